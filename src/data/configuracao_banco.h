#pragma once
// Section "SGBD" of the INI file: which database, where, and how to log in.
#include <string>

namespace velant {
class PerfilIni;
struct ConfiguracaoHost;
}  // namespace velant

namespace velant::data {

inline constexpr const char* kSecaoBanco = "SGBD";
inline constexpr const char* kChaveTipoBanco = "Gerenciador de Banco de Dados";
inline constexpr const char* kChaveIPBanco = "IP do Banco de Dados";
inline constexpr const char* kChavePortaBanco = "Porta do Banco de Dados";
inline constexpr const char* kChaveNomeInterno = "Nome Interno BD";
inline constexpr const char* kChaveArquivoBanco = "Arquivo do Banco de Dados";
inline constexpr const char* kChaveUsuarioBanco = "Usuario do Banco de Dados";
inline constexpr const char* kChaveSenhaBanco = "Senha do Banco de Dados";

// The kind written on a first run: the embedded database.
inline constexpr const char* kTipoBancoPadrao = "SQLITE";

struct ConfiguracaoBanco {
  std::string tipo;          // "SQLITE", "POSTGRESQL", "ACCESS", "SQLSERVER", "MYSQL", "ORACLE"; exact
  std::string ip;
  std::string porta;
  std::string nomeInterno;
  std::string arquivo;       // Windows path of the SQLite file; empty for the default
  std::string usuario;
  std::string senha;
  std::string arquivoIni;    // the INI file it was read from

  // "dvk_data" followed by nomeInterno, unless nomeInterno is "dvk_data" itself.
  std::string NomeBanco() const;
  // The SQLite file: the key's value, else beside the INI file as <NomeBanco>.db.
  std::string ArquivoSqlite() const;
};

std::string NomeBancoDados(const std::string& nomeInterno);

ConfiguracaoBanco LerConfiguracaoBanco(const PerfilIni& ini, const std::string& arquivoIni);

// First run: a section without a kind gets "SQLITE". Call before creating CConexaoNfe.
void GarantirConfiguracaoBanco(const PerfilIni& ini);
void GarantirConfiguracaoBanco(const PerfilIni& ini, const std::string& arquivoIni);

// True for the kinds that open a connection on this platform.
bool TipoBancoComDriver(const std::string& tipo);

// The start-up log line about the kind: empty for the kinds that have a
// driver, else why nothing opens.
std::string LinhaLogTipoBanco(const std::string& tipo);

// BancoSqlite and BancoPostgreSql by the kind; the four older switches are
// start-up's and stay as they are.
void DefineDialetoBanco(ConfiguracaoHost& estado, const std::string& tipo);

}  // namespace velant::data
