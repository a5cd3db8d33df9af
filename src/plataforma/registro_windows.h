#pragma once
// Registry values of the current user, read from a per-user file in the
// .reg export format ("Windows Registry Editor Version 5.00", sections such
// as [HKEY_CURRENT_USER\nfe], lines "Ambiente"="2"). Only text (REG_SZ)
// values are read; anything else, or anything absent, reads as "".
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace velant {

inline constexpr int32_t HKEY_CURRENT_USER = static_cast<int32_t>(0x80000001u);
inline constexpr int32_t HKEY_LOCAL_MACHINE = static_cast<int32_t>(0x80000002u);

class RegistroWindows {
 public:
  explicit RegistroWindows(std::filesystem::path arquivoReg);
  // $VELANT_REGISTRO, else $XDG_CONFIG_HOME/velantnfe/registro.reg.
  static std::filesystem::path ArquivoPadrao(const std::string& opcaoLinhaComando = "");

  const std::filesystem::path& Arquivo() const { return arquivo_; }

  // The file is looked at every call, so a change is seen at once; its text
  // is read again when its identity, size or modification time changed.
  std::string LerRegistro(int32_t raiz, const std::string& chave, const std::string& nomeValor) const;

  // Where a file that exists but cannot be read is reported (one line, once
  // until it reads again); without one, the standard error.
  using AvisoFalha = std::function<void(const std::string& linha)>;
  void DefinirAvisoFalha(AvisoFalha aviso);

 private:
  struct Lido;
  // The value, or "" with `falha` set to why the file was not read.
  std::string Ler(int32_t raiz, const std::string& chave, const std::string& nomeValor, std::string& falha) const;
  void Avisa(const std::string& falha) const;
  std::filesystem::path arquivo_;
  std::shared_ptr<Lido> lido_;   // the last text read, and what the file was then
};

}  // namespace velant
