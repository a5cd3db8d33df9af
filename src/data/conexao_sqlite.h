#pragma once
// SQLite file opened for several processes at once: WAL journal, a busy
// timeout, and statements retried while another process holds the lock.
// One statement per call: a text with a second statement is refused.
#include <filesystem>

#include "data/conexao_driver.h"

struct sqlite3;

namespace velant::data {

class ConexaoSqlite : public ConexaoDriver {
 public:
  // Opens or creates the file (only opens, with criar false); ErroExecucao(ErroBanco) when it cannot.
  explicit ConexaoSqlite(const std::filesystem::path& arquivo, int esperaMs = 15000, bool criar = true);
  ~ConexaoSqlite() override;
  ConexaoSqlite(const ConexaoSqlite&) = delete;
  ConexaoSqlite& operator=(const ConexaoSqlite&) = delete;

  // False once an error showed the file itself unusable (moved, unreadable,
  // damaged): only opening it again can help.
  bool Aberta() const override { return db_ != nullptr && !perdida_; }
  int64_t Executar(const std::string& sql) override;
  Recordset Consultar(const std::string& sql) override;
  void ExecutarScript(const std::string& script) override;
  void IniciarTransacao() override;
  void ConfirmarTransacao() override;
  void CancelarTransacao() override;
  void Fechar() override;

 private:
  void ExecutarSimples(const std::string& sql);
  [[noreturn]] void LevantaErro();   // the error of the last call; marks the file lost when it is
  sqlite3* db_ = nullptr;
  int esperaMs_;
  bool perdida_ = false;
};

}  // namespace velant::data
