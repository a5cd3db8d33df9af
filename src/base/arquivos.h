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
// never read, never waited on) or "maior que N bytes".
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
// leaves an empty one; an existing file keeps its permissions. Raises
// ErroExecucao(ErroDeEntradaSaida) naming the step that failed.
void GravaArquivo(const std::filesystem::path& destino, const std::string& conteudo);

}  // namespace velant
