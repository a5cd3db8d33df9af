#pragma once
// INI files with the behaviour of the Windows profile API
// (GetPrivateProfileString / WritePrivateProfileString).
#include <string>

#include "base/caminhos.h"

namespace velant {

class PerfilIni {
 public:
  explicit PerfilIni(const MapeadorCaminhos& caminhos) : caminhos_(caminhos) {}

  // Section and key case-insensitive; value trimmed, one pair of enclosing
  // quotes removed, cut at 254 characters (a 255-character buffer with its
  // NUL); a missing file or key gives "".
  std::string LerIni(const std::string& secao, const std::string& chave,
                     const std::string& arquivoWindows) const;
  // Creates file, section and key as needed; every other line stays as it was.
  void GravarIni(const std::string& secao, const std::string& chave, const std::string& valor,
                 const std::string& arquivoWindows) const;

 private:
  const MapeadorCaminhos& caminhos_;
};

}  // namespace velant
