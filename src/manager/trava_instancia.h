#pragma once
// One Host per installation: an exclusive lock on a file beside the INI
// file, held while the process lives and released by the system when it ends.
#include <filesystem>

namespace velant {

inline constexpr const char* kArquivoTrava = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.lock";

class TravaInstancia {
 public:
  enum class Resultado { Obtida, OutraInstancia, Indisponivel };

  TravaInstancia() = default;
  ~TravaInstancia();
  TravaInstancia(const TravaInstancia&) = delete;
  TravaInstancia& operator=(const TravaInstancia&) = delete;

  // Indisponivel: the file cannot be opened (the lock cannot tell).
  Resultado Obter(const std::filesystem::path& arquivo);
  void Liberar();

 private:
  int fd_ = -1;
};

}  // namespace velant
