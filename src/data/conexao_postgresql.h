#pragma once
// PostgreSQL server shared by several Hosts on a network (libpq). Every
// session has standard_conforming_strings on; one statement per call.
#include <chrono>
#include <string>

#include "data/conexao_driver.h"

struct pg_conn;

namespace velant::data {
struct ConfiguracaoBanco;
}

namespace velant::data {

struct ParametrosPostgreSql {
  std::string host;
  std::string porta = "5432";
  std::string banco;
  std::string usuario;   // empty: libpq's default (the system user)
  std::string senha;
  int esperaSegundos = 10;   // connection timeout
};

// The parameters of the [SGBD] section's server and database.
ParametrosPostgreSql ParametrosDoBanco(const ConfiguracaoBanco& cfg);

class ConexaoPostgreSql : public ConexaoDriver {
 public:
  // Connects; ErroExecucao(ErroBanco) with the server's text when it cannot.
  explicit ConexaoPostgreSql(const ParametrosPostgreSql& parametros);
  ~ConexaoPostgreSql() override;
  ConexaoPostgreSql(const ConexaoPostgreSql&) = delete;
  ConexaoPostgreSql& operator=(const ConexaoPostgreSql&) = delete;

  bool Aberta() const override;
  int64_t Executar(const std::string& sql) override;
  Recordset Consultar(const std::string& sql) override;
  void ExecutarScript(const std::string& script) override;
  void IniciarTransacao() override;
  void ConfirmarTransacao() override;
  void CancelarTransacao() override;
  void Fechar() override;

  // Waits up to `limite` for a notification on a channel this session
  // LISTENs to; true when one (or more) came. ErroExecucao(ErroBanco) when
  // the connection is lost.
  bool AguardaAviso(std::chrono::milliseconds limite);

 private:
  pg_conn* conn_ = nullptr;
};

}  // namespace velant::data
