#include "data/esquema_banco.h"

#include "data/conexao_driver.h"

namespace velant::data {

// The scripts of sql/, built in at configure time so an installed Host needs no source tree.
#include "data/esquemas_sql.h"

const std::string& ScriptEsquema(DialetoSql dialeto) {
  static const std::string sqlite = kScriptSqlite;
  static const std::string postgresql = kScriptPostgreSql;
  static const std::string nenhum;
  switch (dialeto) {
    case DialetoSql::Sqlite: return sqlite;
    case DialetoSql::PostgreSql: return postgresql;
    default: return nenhum;
  }
}

void CriarEsquema(ConexaoDriver& conexao, DialetoSql dialeto) {
  const std::string& script = ScriptEsquema(dialeto);
  if (!script.empty()) conexao.ExecutarScript(script);
}

}  // namespace velant::data
