#include "data/formata_sql.h"

#include <gtest/gtest.h>

#include <string>

#include "data/dialeto_sql.h"
#include "contexto/configuracao_host.h"
#include "contexto/solicitacao_atual.h"

namespace velant::data {
namespace {

enum class Banco { Access, SqlServer, Sqlite, PostgreSql, Nenhum };

ConfiguracaoHost Estado(Banco b) {
  ConfiguracaoHost e;   // start-up's switches: SQL Server on
  e.BancoAccess = b == Banco::Access;
  e.BancoSqlite = b == Banco::Sqlite;
  e.BancoPostgreSql = b == Banco::PostgreSql;
  e.BancoSqlServer = b != Banco::Nenhum;
  return e;
}

using Rotina = void (*)(std::string&, const ConfiguracaoHost&, int, const Valor&, const Valor&);

const DataHora kDia = DataHora::De(2026, 12, 5, 13, 45, 7);
const DataHora kHora = DataHora::Hora(21, 4, 9);

// Each routine appends the literal after a list item (mode 1) or after the
// column of an assignment (mode 2), and nothing in any other mode.
TEST(FormataSql, LiteralOfEachDialectInListAndAssignmentModes) {
  // literal: "" when nothing is appended at all
  const struct { const char* nome; Banco banco; Rotina rotina; Valor valor; std::string literal; } casos[] = {
      {"DataAccess", Banco::Access, FormataSQLData, kDia, "#12/05/2026#"},
      {"DataSqlServer", Banco::SqlServer, FormataSQLData, kDia, "'05/12/2026'"},
      {"DataSqlite", Banco::Sqlite, FormataSQLData, kDia, "'2026-12-05'"},
      {"DataPostgreSql", Banco::PostgreSql, FormataSQLData, kDia, "DATE '2026-12-05'"},
      {"DataTexto", Banco::SqlServer, FormataSQLData, Valor("07/01/2027"), "'07/01/2027'"},
      {"DataZero", Banco::SqlServer, FormataSQLData, DataHora(), "Null"},
      {"DataZeroSqlite", Banco::Sqlite, FormataSQLData, DataHora(), "Null"},
      {"DataTextoZero", Banco::PostgreSql, FormataSQLData, Valor("00:00:00"), "Null"},
      {"HoraAccess", Banco::Access, FormataSQLHora, kHora, "#21:04:09#"},
      {"HoraSqlServer", Banco::SqlServer, FormataSQLHora, kDia, "'13:45:07'"},
      {"HoraSqlite", Banco::Sqlite, FormataSQLHora, kHora, "'21:04:09'"},
      {"HoraPostgreSql", Banco::PostgreSql, FormataSQLHora, kHora, "TIME '21:04:09'"},
      {"HoraZeroAccess", Banco::Access, FormataSQLHora, DataHora(), "Null"},
      {"Numero", Banco::SqlServer, FormataSQLNumero, Valor("1234"), "1234"},
      {"NumeroArredonda", Banco::Sqlite, FormataSQLNumero, Valor(2.5), "2"},
      {"NumeroNegativo", Banco::PostgreSql, FormataSQLNumero, Valor(int32_t{-7}), "-7"},
      {"NumeroZero", Banco::Access, FormataSQLNumero, Valor(int32_t{0}), "0"},
      {"Texto", Banco::SqlServer, FormataSQLTexto, Valor("d'água ''x'"), "'d''água ''''x'''"},
      {"TextoVazio", Banco::Sqlite, FormataSQLTexto, Valor(""), "''"},
      {"TextoColchetes", Banco::PostgreSql, FormataSQLTexto, Valor("[nRec:1]"), "'[nRec:1]'"},
      {"SemDialetoData", Banco::Nenhum, FormataSQLData, kDia, ""},
      {"SemDialetoTexto", Banco::Nenhum, FormataSQLTexto, Valor("a"), ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    ConfiguracaoHost e = Estado(c.banco);
    std::string lista = "( ", atribuicao = "SET ", outro = "x";
    c.rotina(lista, e, 1, c.valor, ", ");
    c.rotina(atribuicao, e, 2, "[Coluna] = ", c.valor);
    c.rotina(outro, e, 3, c.valor, c.valor);
    EXPECT_EQ(lista, c.literal.empty() ? "( " : "( " + c.literal + ", ");
    EXPECT_EQ(atribuicao, c.literal.empty() ? "SET " : "SET [Coluna] = " + c.literal);
    EXPECT_EQ(outro, "x");
  }
}

const std::string kBusca =
    "SELECT TOP 1 NSU  FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NULL   AND [IP Computador AC] = '1' "
    "ORDER BY NSU ASC";

TEST(FormataSql, DialectRewritingLeavesStringLiteralsAlone) {
  const struct { const char* nome; DialetoSql dialeto; std::string entrada, saida; } casos[] = {
      {"SqlServerIntacto", DialetoSql::SqlServer, kBusca, kBusca},
      {"AccessIntacto", DialetoSql::Access, kBusca, kBusca},
      {"SqliteLimit", DialetoSql::Sqlite, kBusca,
       "SELECT NSU  FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NULL   AND [IP Computador AC] = "
       "'1' ORDER BY NSU ASC LIMIT 1"},
      {"PostgreSqlAspasELimit", DialetoSql::PostgreSql, kBusca,
       "SELECT NSU  FROM SolicitacaoFuncaoNFe WHERE \"Hora da Analise\" IS NULL   AND \"IP Computador AC\" = "
       "'1' ORDER BY NSU ASC LIMIT 1"},
      {"LiteralComColchetes", DialetoSql::PostgreSql,
       "UPDATE T SET Mensagem = 'Lote [nRec:123] it''s [x]', [Versao Host] = '1' WHERE NSU = 5",
       "UPDATE T SET Mensagem = 'Lote [nRec:123] it''s [x]', \"Versao Host\" = '1' WHERE NSU = 5"},
      {"TopDentroDeLiteral", DialetoSql::Sqlite, "SELECT NSU FROM T WHERE Texto = 'SELECT TOP 5 x'",
       "SELECT NSU FROM T WHERE Texto = 'SELECT TOP 5 x'"},
      {"TopMinusculo", DialetoSql::Sqlite, "select top 10 a from t;", "select a from t LIMIT 10;"},
      {"Distinct", DialetoSql::PostgreSql, "SELECT DISTINCT TOP 2 [A b] FROM t",
       "SELECT DISTINCT \"A b\" FROM t LIMIT 2"},
      {"NomeComAspas", DialetoSql::PostgreSql, "SELECT [a\"b] FROM t", "SELECT \"a\"\"b\" FROM t"},
      {"NomeSemBrancoDobra", DialetoSql::PostgreSql, "SELECT [Mensagem], [Hora X] FROM t",
       "SELECT \"mensagem\", \"Hora X\" FROM t"},
      {"SemTop", DialetoSql::Sqlite, "SELECT TOPO FROM t", "SELECT TOPO FROM t"},
  };
  for (const auto& c : casos) EXPECT_EQ(AdaptaSql(c.entrada, c.dialeto), c.saida) << c.nome;
}

}  // namespace
}  // namespace velant::data
