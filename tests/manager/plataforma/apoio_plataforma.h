#pragma once
// Helpers of the platform tests: a scratch root folder, whole-file reads and
// writes, a clock that tells the time it is given.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/data_hora.h"

namespace velant::teste {

class PastaTemporaria {
 public:
  PastaTemporaria() {
    std::string modelo = (std::filesystem::temp_directory_path() / "plataforma-XXXXXX").string();
    caminho_ = mkdtemp(modelo.data());
  }
  ~PastaTemporaria() {
    std::error_code ec;
    std::filesystem::remove_all(caminho_, ec);
  }
  const std::filesystem::path& Caminho() const { return caminho_; }

 private:
  std::filesystem::path caminho_;
};

inline std::string LerTudo(const std::filesystem::path& arquivo) {
  std::ifstream in(arquivo, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void GravarTudo(const std::filesystem::path& arquivo, const std::string& conteudo) {
  std::filesystem::create_directories(arquivo.parent_path());
  std::ofstream(arquivo, std::ios::binary | std::ios::trunc) << conteudo;
}

class RelogioFixo : public Relogio {
 public:
  explicit RelogioFixo(DataHora agora) : agora_(agora) {}
  DataHora Agora() const override { return agora_; }
  void Definir(DataHora agora) { agora_ = agora; }

 private:
  DataHora agora_;
};

}  // namespace velant::teste
