#pragma once
// Whole-file reads and writes of the documents the system produces.
#include <filesystem>
#include <string>

namespace velant {

// The file's bytes; ErroExecucao(ArquivoNaoEncontrado) naming `nome` when it cannot be read.
std::string LerArquivo(const std::filesystem::path& local, const std::string& nome);

// Written beside the target and renamed over it, so a reader never finds
// half a document; ErroExecucao(ErroDeEntradaSaida) when it cannot be written.
void GravaArquivo(const std::filesystem::path& destino, const std::string& conteudo);

}  // namespace velant
