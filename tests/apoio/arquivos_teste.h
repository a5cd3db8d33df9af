#pragma once
// What tests of several folders need around files: a scratch folder, whole
// file reads and writes, an environment variable set for one scope.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

namespace velant::teste {

// A folder under the temporary directory, removed with everything in it.
class PastaTemporaria {
 public:
  PastaTemporaria() {
    std::string modelo = (std::filesystem::temp_directory_path() / "velant-teste-XXXXXX").string();
    if (mkdtemp(modelo.data()) == nullptr) throw std::runtime_error("mkdtemp falhou");
    caminho_ = modelo;
  }
  ~PastaTemporaria() {
    std::error_code ec;
    std::filesystem::remove_all(caminho_, ec);
  }
  PastaTemporaria(const PastaTemporaria&) = delete;
  PastaTemporaria& operator=(const PastaTemporaria&) = delete;
  const std::filesystem::path& Caminho() const { return caminho_; }

 private:
  std::filesystem::path caminho_;
};

inline std::string LerTudo(const std::filesystem::path& arquivo) {
  std::ifstream in(arquivo, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes the bytes as they are, creating the missing folders.
inline void GravarTudo(const std::filesystem::path& arquivo, const std::string& conteudo) {
  std::filesystem::create_directories(arquivo.parent_path());
  std::ofstream(arquivo, std::ios::binary | std::ios::trunc) << conteudo;
}

// Sets (or, with nullopt, removes) an environment variable for one scope and
// puts the old value back.
class VariavelAmbiente {
 public:
  VariavelAmbiente(const char* nome, const std::optional<std::string>& valor) : nome_(nome) {
    if (const char* antes = std::getenv(nome)) antes_ = antes;
    if (valor) setenv(nome, valor->c_str(), 1);
    else unsetenv(nome);
  }
  ~VariavelAmbiente() {
    if (antes_) setenv(nome_, antes_->c_str(), 1);
    else unsetenv(nome_);
  }
  VariavelAmbiente(const VariavelAmbiente&) = delete;
  VariavelAmbiente& operator=(const VariavelAmbiente&) = delete;

 private:
  const char* nome_;
  std::optional<std::string> antes_;
};

}  // namespace velant::teste
