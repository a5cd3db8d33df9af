#include "data/esquema_banco.h"

#include <exception>

#include "base/erro.h"
#include "base/regional.h"
#include "data/conexao_driver.h"

namespace velant::data {

// The scripts of sql/, built in at configure time so an installed Host needs no source tree.
#include "data/esquemas_sql.h"

namespace {

// Columns that later versions added to tables an installed database already
// has. PostgreSQL's script adds them itself (ADD COLUMN IF NOT EXISTS);
// SQLite cannot, so they are added here when missing.
struct ColunaAcrescentada {
  const char* tabela;
  const char* coluna;
  const char* tipo;
};
constexpr ColunaAcrescentada kColunasAcrescentadas[] = {
    {"SolicitacaoFuncaoNFe", "Host da Analise", "BIGINT"},
    {"MovimentoNFe", "Chave Anterior", "VARCHAR(44) DEFAULT ''"},
};

// Tables that later versions added: a database without one gets the script again.
constexpr const char* kTabelasAcrescentadas[] = {"HostBatimento", "ContingenciaNFe", "FalhaServicoNFe", "EpecPendenteNFe"};

bool Conta(ConexaoDriver& conexao, const std::string& sql) {
  Recordset rs = conexao.Consultar(sql);
  return !rs.Eof() && CLng(rs.Value(0)) > 0;
}

// Unquoted names fold to lower case in PostgreSQL; SQLite compares them without case.
bool TemTabela(ConexaoDriver& conexao, DialetoSql dialeto, const std::string& tabela) {
  if (dialeto == DialetoSql::PostgreSql) {
    return Conta(conexao,
                 "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = current_schema() "
                 "AND table_name = lower('" + tabela + "')");
  }
  return Conta(conexao, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = '" + tabela +
                            "' COLLATE NOCASE");
}

bool TemColuna(ConexaoDriver& conexao, DialetoSql dialeto, const ColunaAcrescentada& c) {
  if (dialeto == DialetoSql::PostgreSql) {
    return Conta(conexao,
                 std::string("SELECT COUNT(*) FROM information_schema.columns WHERE table_schema = current_schema() "
                             "AND table_name = lower('") + c.tabela + "') AND column_name = '" + c.coluna + "'");
  }
  return Conta(conexao, std::string("SELECT COUNT(*) FROM pragma_table_info('") + c.tabela + "') WHERE name = '" +
                            c.coluna + "' COLLATE NOCASE");
}

void AcrescentaColunas(ConexaoDriver& conexao, DialetoSql dialeto) {
  for (const ColunaAcrescentada& c : kColunasAcrescentadas) {
    if (TemColuna(conexao, dialeto, c)) continue;
    try {
      conexao.Executar(std::string("ALTER TABLE ") + c.tabela + " ADD COLUMN [" + c.coluna + "] " + c.tipo);
    } catch (const ErroExecucao&) {
      // Another program may have added it at the same moment.
      if (!TemColuna(conexao, dialeto, c)) throw;
    }
  }
}

bool Completo(ConexaoDriver& conexao, DialetoSql dialeto) {
  for (const char* tabela : kTabelasAcrescentadas) {
    if (!TemTabela(conexao, dialeto, tabela)) return false;
  }
  for (const ColunaAcrescentada& c : kColunasAcrescentadas) {
    if (!TemColuna(conexao, dialeto, c)) return false;
  }
  return true;
}

}  // namespace

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
  if (script.empty()) return;
  conexao.ExecutarScript(script);
  AcrescentaColunas(conexao, dialeto);
}

void AtualizarEsquema(ConexaoDriver& conexao, DialetoSql dialeto) {
  if (ScriptEsquema(dialeto).empty() || Completo(conexao, dialeto)) return;
  try {
    CriarEsquema(conexao, dialeto);
  } catch (const ErroExecucao&) {
    // Two Hosts starting together on an older database both run the script;
    // the one that lost a race on creating a table finds it made.
    if (!Completo(conexao, dialeto)) throw;
  }
}

}  // namespace velant::data
