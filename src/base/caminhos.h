#pragma once
// The system names its files with Windows paths ("C:\Dunmor\nfe\arquivos\...").
// They stay texts everywhere (logs, messages, character positions) and are
// mapped onto a local root folder only when a file is touched:
//   <raiz>/C/Dunmor/nfe/arquivos/...
// The drive letter becomes a folder, backslashes become separators, and each
// component that already exists is matched without regard to letter case.
#include <filesystem>
#include <memory>
#include <string>

namespace velant {

// The value of an environment variable, "" when unset.
std::string VariavelAmbiente(const char* nome);
// The user's home folder ($HOME, else the password entry, else the current folder).
std::filesystem::path PastaPessoal();

class MapeadorCaminhos {
 public:
  explicit MapeadorCaminhos(std::filesystem::path raiz);

  // Root from --raiz, else $VELANT_RAIZ, else $XDG_DATA_HOME/velantnfe
  // (~/.local/share/velantnfe).
  static std::filesystem::path RaizPadrao(const std::string& opcaoLinhaComando = "");

  const std::filesystem::path& Raiz() const { return raiz_; }

  // Local path for reading or testing: existing components are matched
  // case-insensitively; missing ones keep the spelling given.
  std::filesystem::path Mapear(const std::string& caminhoWindows) const;
  // Local path for writing: as Mapear, and the missing folders are created.
  std::filesystem::path MapearParaGravar(const std::string& caminhoWindows) const;

  bool Existe(const std::string& caminhoWindows) const;

  struct Pastas;   // opaque: the folders already found

 private:
  std::filesystem::path raiz_;
  // Folders already found (by their upper-case Windows path): every log line
  // and every file of an invoice lives in a few of them, and finding one
  // without regard to case may mean reading its parent folder.
  std::shared_ptr<Pastas> pastas_;
};

}  // namespace velant
