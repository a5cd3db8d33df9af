#include "data/formata_sql.h"

#include <gtest/gtest.h>

#include <string>

#include "data/dialeto_sql.h"
#include "manager/estado_global.h"

namespace velant::data {
namespace {

enum class Banco { Access, SqlServer, Sqlite, PostgreSql, SoMySql };

EstadoGlobal Estado(Banco b) {
  EstadoGlobal e;   // start-up's switches: SQL Server on
  e.BancoAccess = b == Banco::Access;
  e.BancoSqlite = b == Banco::Sqlite;
  e.BancoPostgreSql = b == Banco::PostgreSql;
  e.BancoSqlServer = b != Banco::SoMySql;
  e.BancoMySql = b == Banco::SoMySql;
  return e;
}

using Rotina = void (*)(std::string&, const EstadoGlobal&, int, const Valor&, const Valor&);

struct CasoForma {
  const char* nome;
  Banco banco;
  Rotina rotina;
  Valor valor;
  std::string literal;   // "" when nothing is appended at all
};

class FormaPorDialeto : public ::testing::TestWithParam<CasoForma> {};

TEST_P(FormaPorDialeto, ListAndAssignmentModes) {
  const auto& c = GetParam();
  EstadoGlobal e = Estado(c.banco);
  std::string lista = "( ";
  c.rotina(lista, e, 1, c.valor, ", ");
  std::string atribuicao = "SET ";
  c.rotina(atribuicao, e, 2, "[Coluna] = ", c.valor);
  std::string outro = "x";
  c.rotina(outro, e, 3, c.valor, c.valor);
  if (c.literal.empty()) {
    EXPECT_EQ(lista, "( ");
    EXPECT_EQ(atribuicao, "SET ");
  } else {
    EXPECT_EQ(lista, "( " + c.literal + ", ");
    EXPECT_EQ(atribuicao, "SET [Coluna] = " + c.literal);
  }
  EXPECT_EQ(outro, "x");
}

const DataHora kDia = DataHora::De(2026, 12, 5, 13, 45, 7);
const DataHora kHora = DataHora::Hora(21, 4, 9);

INSTANTIATE_TEST_SUITE_P(
    Tabela, FormaPorDialeto,
    ::testing::Values(
        CasoForma{"DataAccess", Banco::Access, FormataSQLData, kDia, "#12/05/2026#"},
        CasoForma{"DataSqlServer", Banco::SqlServer, FormataSQLData, kDia, "'05/12/2026'"},
        CasoForma{"DataSqlite", Banco::Sqlite, FormataSQLData, kDia, "'2026-12-05'"},
        CasoForma{"DataPostgreSql", Banco::PostgreSql, FormataSQLData, kDia, "DATE '2026-12-05'"},
        CasoForma{"DataTexto", Banco::SqlServer, FormataSQLData, Valor("07/01/2027"), "'07/01/2027'"},
        CasoForma{"DataZero", Banco::SqlServer, FormataSQLData, DataHora(), "Null"},
        CasoForma{"DataZeroSqlite", Banco::Sqlite, FormataSQLData, DataHora(), "Null"},
        CasoForma{"DataTextoZero", Banco::PostgreSql, FormataSQLData, Valor("00:00:00"), "Null"},
        CasoForma{"HoraAccess", Banco::Access, FormataSQLHora, kHora, "#21:04:09#"},
        CasoForma{"HoraSqlServer", Banco::SqlServer, FormataSQLHora, kDia, "'13:45:07'"},
        CasoForma{"HoraSqlite", Banco::Sqlite, FormataSQLHora, kHora, "'21:04:09'"},
        CasoForma{"HoraPostgreSql", Banco::PostgreSql, FormataSQLHora, kHora, "TIME '21:04:09'"},
        CasoForma{"HoraZeroAccess", Banco::Access, FormataSQLHora, DataHora(), "Null"},
        CasoForma{"Numero", Banco::SqlServer, FormataSQLNumero, Valor("1234"), "1234"},
        CasoForma{"NumeroArredonda", Banco::Sqlite, FormataSQLNumero, Valor(2.5), "2"},
        CasoForma{"NumeroNegativo", Banco::PostgreSql, FormataSQLNumero, Valor(int32_t{-7}), "-7"},
        CasoForma{"NumeroZero", Banco::Access, FormataSQLNumero, Valor(int32_t{0}), "0"},
        CasoForma{"Texto", Banco::SqlServer, FormataSQLTexto, Valor("d'água ''x'"), "'d''água ''''x'''"},
        CasoForma{"TextoVazio", Banco::Sqlite, FormataSQLTexto, Valor(""), "''"},
        CasoForma{"TextoColchetes", Banco::PostgreSql, FormataSQLTexto, Valor("[nRec:1]"), "'[nRec:1]'"},
        CasoForma{"SemDialetoData", Banco::SoMySql, FormataSQLData, kDia, ""},
        CasoForma{"SemDialetoTexto", Banco::SoMySql, FormataSQLTexto, Valor("a"), ""}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(FormataSql, AccessWinsOverTheOtherSwitches) {
  EstadoGlobal e;
  e.BancoAccess = e.BancoSqlite = e.BancoPostgreSql = e.BancoSqlServer = true;
  std::string t;
  FormataSQLData(t, e, 1, kDia, "");
  EXPECT_EQ(t, "#12/05/2026#");
  e.BancoAccess = false;
  t.clear();
  FormataSQLData(t, e, 1, kDia, "");
  EXPECT_EQ(t, "'2026-12-05'");
  e.BancoSqlite = false;
  t.clear();
  FormataSQLData(t, e, 1, kDia, "");
  EXPECT_EQ(t, "DATE '2026-12-05'");
}

TEST(FormataSql, QuotesOnlyDoubledByDuplicaAspas) {
  EXPECT_EQ(DuplicaAspas("'a''b'"), "''a''''b''");
  EXPECT_EQ(DuplicaAspas(""), "");
  EXPECT_EQ(EntreAspas("O'k"), "'O'k'");
}

struct CasoDialeto {
  const char* nome;
  DialetoSql dialeto;
  std::string entrada;
  std::string saida;
};

class Adaptacao : public ::testing::TestWithParam<CasoDialeto> {};

TEST_P(Adaptacao, RewritesOutsideLiterals) {
  const auto& c = GetParam();
  EXPECT_EQ(AdaptaSql(c.entrada, c.dialeto), c.saida);
}

const std::string kBusca =
    "SELECT TOP 1 NSU  FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NULL   AND [IP Computador AC] = '1' "
    "ORDER BY NSU ASC";

INSTANTIATE_TEST_SUITE_P(
    Tabela, Adaptacao,
    ::testing::Values(
        CasoDialeto{"SqlServerIntacto", DialetoSql::SqlServer, kBusca, kBusca},
        CasoDialeto{"AccessIntacto", DialetoSql::Access, kBusca, kBusca},
        CasoDialeto{"SqliteLimit", DialetoSql::Sqlite, kBusca,
                    "SELECT NSU  FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NULL   AND [IP Computador AC] = "
                    "'1' ORDER BY NSU ASC LIMIT 1"},
        CasoDialeto{"PostgreSqlAspasELimit", DialetoSql::PostgreSql, kBusca,
                    "SELECT NSU  FROM SolicitacaoFuncaoNFe WHERE \"Hora da Analise\" IS NULL   AND \"IP Computador AC\" = "
                    "'1' ORDER BY NSU ASC LIMIT 1"},
        CasoDialeto{"LiteralComColchetes", DialetoSql::PostgreSql,
                    "UPDATE T SET Mensagem = 'Lote [nRec:123] it''s [x]', [Versao Host] = '1' WHERE NSU = 5",
                    "UPDATE T SET Mensagem = 'Lote [nRec:123] it''s [x]', \"Versao Host\" = '1' WHERE NSU = 5"},
        CasoDialeto{"TopDentroDeLiteral", DialetoSql::Sqlite, "SELECT NSU FROM T WHERE Texto = 'SELECT TOP 5 x'",
                    "SELECT NSU FROM T WHERE Texto = 'SELECT TOP 5 x'"},
        CasoDialeto{"TopMinusculo", DialetoSql::Sqlite, "select top 10 a from t;", "select a from t LIMIT 10;"},
        CasoDialeto{"Distinct", DialetoSql::PostgreSql, "SELECT DISTINCT TOP 2 [A b] FROM t",
                    "SELECT DISTINCT \"A b\" FROM t LIMIT 2"},
        CasoDialeto{"NomeComAspas", DialetoSql::PostgreSql, "SELECT [a\"b] FROM t", "SELECT \"a\"\"b\" FROM t"},
        CasoDialeto{"NomeSemBrancoDobra", DialetoSql::PostgreSql, "SELECT [Mensagem], [Hora X] FROM t",
                    "SELECT \"mensagem\", \"Hora X\" FROM t"},
        CasoDialeto{"SemTop", DialetoSql::Sqlite, "SELECT TOPO FROM t", "SELECT TOPO FROM t"}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace velant::data
