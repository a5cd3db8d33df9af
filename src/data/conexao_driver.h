#pragma once
// One open database connection. Statements arrive in the SQL Server form the
// routines write; each driver adapts them to its own dialect (dialeto_sql.h).
// Database errors are raised as ErroExecucao(ErroBanco, the driver's text).
#include <cstdint>
#include <string>

#include "data/recordset.h"

namespace velant::data {

class ConexaoDriver {
 public:
  virtual ~ConexaoDriver() = default;

  virtual bool Aberta() const = 0;
  // Runs a statement that returns no records; the number of rows it changed.
  virtual int64_t Executar(const std::string& sql) = 0;
  // Runs a query and reads its whole result (client-side cursor).
  virtual Recordset Consultar(const std::string& sql) = 0;
  // Runs a script of several statements in the database's own dialect, as is.
  virtual void ExecutarScript(const std::string& script) = 0;

  virtual void IniciarTransacao() = 0;
  virtual void ConfirmarTransacao() = 0;
  virtual void CancelarTransacao() = 0;
  virtual void Fechar() = 0;
};

}  // namespace velant::data
