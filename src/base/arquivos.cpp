#include "base/arquivos.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "base/erro.h"

namespace velant {

std::string LerArquivo(const std::filesystem::path& local, const std::string& nome) {
  std::ifstream f(local, std::ios::binary);
  if (!f) throw ErroExecucao(CodigoErro::ArquivoNaoEncontrado, "Arquivo não encontrado: " + nome);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void GravaArquivo(const std::filesystem::path& destino, const std::string& conteudo) {
  std::filesystem::path temporario = destino;
  temporario += ".tmp";
  {
    std::ofstream f(temporario, std::ios::binary | std::ios::trunc);
    if (f) f.write(conteudo.data(), static_cast<std::streamsize>(conteudo.size()));
    if (!f || !f.flush()) {
      std::error_code ec;
      std::filesystem::remove(temporario, ec);
      throw ErroExecucao(CodigoErro::ErroDeEntradaSaida, "Não foi possível gravar " + destino.string());
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporario, destino, ec);
  if (ec) {
    std::filesystem::remove(temporario, ec);
    throw ErroExecucao(CodigoErro::ErroDeEntradaSaida, "Não foi possível gravar " + destino.string());
  }
}

}  // namespace velant
