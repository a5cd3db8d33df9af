#pragma once
// Whole-file reads and writes: the one reader and the one writer of the
// system's files.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "base/erro.h"

namespace velant {

// No file the system reads (request, certificate, INI, registry, schema,
// document) comes near this; a larger one is a mistake, not data.
inline constexpr std::size_t kTamanhoMaximoArquivo = 64u * 1024u * 1024u;

// The bytes of a regular file, or nothing with `motivo` set to
// "não encontrado", "não é um arquivo comum" (a folder, a device, a FIFO:
// never read, never waited on), "maior que N bytes" or "reservado ao banco
// de dados" (a protected file, below: never opened).
std::optional<std::string> LerArquivoComum(const std::filesystem::path& local, std::string* motivo = nullptr,
                                           std::size_t limite = kTamanhoMaximoArquivo);

// The file's bytes; ErroExecucao(ArquivoNaoEncontrado) naming `nome` when it
// cannot be read.
std::string LerArquivo(const std::filesystem::path& local, const std::string& nome);

// The file's bytes; ErroExecucao(codigo) reading "<oQue> <motivo>: <path>",
// e.g. "Certificado digital não encontrado: /x.pfx".
std::string LerArquivoDescrito(const std::filesystem::path& local, const std::string& oQue, CodigoErro codigo);

// Written to a temporary file beside the target, flushed to the disk and
// renamed over it, so a reader never finds half a document and a crash never
// leaves an empty one; an existing file keeps its permissions, a new one gets
// what the process umask leaves of 0666. Raises
// ErroExecucao(ErroDeEntradaSaida) naming the step that failed ("disco
// cheio" when the disk is full).
void GravaArquivo(const std::filesystem::path& destino, const std::string& conteudo);
// The error GravaArquivo raises when step `passo` ("criação", "escrita", ...)
// fails with the system's error number `erro`.
ErroExecucao ErroDeGravacao(const std::filesystem::path& destino, const char* passo, int erro);

// Files only their owner may open, such as the database and its -wal, -shm
// and -journal companions: closing any other descriptor of a file drops the
// POSIX locks the whole process holds on it, and SQLite's locks are what
// tell other processes that the Host still uses its write-ahead log. A path
// that does not exist yet counts from the moment it does.
void ProtegeArquivo(const std::filesystem::path& local);
// True when `local` (links followed) is one of those files.
bool ArquivoProtegido(const std::filesystem::path& local);

}  // namespace velant
