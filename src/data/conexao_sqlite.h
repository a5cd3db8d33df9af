#pragma once
// SQLite file opened for several processes at once: WAL journal, a busy
// timeout, and statements retried while another process holds the lock.
#include <filesystem>

#include "data/conexao_driver.h"

struct sqlite3;

namespace velant::data {

class ConexaoSqlite : public ConexaoDriver {
 public:
  // Opens or creates the file; ErroExecucao(ErroBanco) when it cannot.
  explicit ConexaoSqlite(const std::filesystem::path& arquivo, int esperaMs = 15000);
  ~ConexaoSqlite() override;
  ConexaoSqlite(const ConexaoSqlite&) = delete;
  ConexaoSqlite& operator=(const ConexaoSqlite&) = delete;

  bool Aberta() const override { return db_ != nullptr; }
  int64_t Executar(const std::string& sql) override;
  Recordset Consultar(const std::string& sql) override;
  void ExecutarScript(const std::string& script) override;
  void IniciarTransacao() override;
  void ConfirmarTransacao() override;
  void CancelarTransacao() override;
  void Fechar() override;

 private:
  void ExecutarSimples(const std::string& sql);
  sqlite3* db_ = nullptr;
  int esperaMs_;
};

}  // namespace velant::data
