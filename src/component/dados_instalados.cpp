#include "component/dados_instalados.h"

namespace velant {

std::filesystem::path ArquivoDeDados(const std::string& nome) {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    auto instalado = exe.parent_path() / ".." / "share" / "velantnfe" / "dados" / nome;
    if (std::filesystem::exists(instalado, ec)) return instalado;
  }
  return std::filesystem::path(VELANT_FONTE) / "dados" / nome;
}

}  // namespace velant
