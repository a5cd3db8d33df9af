// SQL literals, the dialect rewriting and the engines' date and time texts,
// from the tables formata_sql.tsv, adapta_sql.tsv and data_hora_banco.tsv.
#include "data/formata_sql.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/regional.h"
#include "base/tabela_tsv_teste.h"
#include "contexto/configuracao_host.h"
#include "data/data_hora_banco.h"
#include "data/dialeto_sql.h"

namespace velant::data {
namespace {

using Rotina = void (*)(std::string&, const ConfiguracaoHost&, int, const Valor&, const Valor&);

Valor ValorDoTipo(const std::string& tipo, const std::string& texto) {
  if (tipo == "data" || tipo == "hora") return CDate(texto);
  if (tipo == "zero") return DataHora();
  if (tipo == "duplo") return Valor(std::stod(texto));
  if (tipo == "inteiro") return Valor(static_cast<int32_t>(std::stoi(texto)));
  return Valor(texto);
}

TEST(FormataSql, LiteralOfEachDialectInListAndAssignmentModes) {
  const std::map<std::string, Rotina> rotinas = {{"Data", FormataSQLData}, {"Hora", FormataSQLHora},
                                                 {"Numero", FormataSQLNumero}, {"Texto", FormataSQLTexto}};
  for (const auto& c : teste::LerTabelaTsv("data/formata_sql.tsv")) {
    SCOPED_TRACE("formata_sql.tsv:" + std::to_string(c.numero));
    ConfiguracaoHost e;   // start-up's switches: SQL Server on
    e.BancoAccess = c[1] == "Access";
    e.BancoSqlite = c[1] == "Sqlite";
    e.BancoPostgreSql = c[1] == "PostgreSql";
    e.BancoSqlServer = c[1] != "Nenhum";
    const Valor valor = ValorDoTipo(c[2], c[3]);
    std::string lista = "( ", atribuicao = "SET ", outro = "x";
    rotinas.at(c[0])(lista, e, 1, valor, ", ");
    rotinas.at(c[0])(atribuicao, e, 2, "[Coluna] = ", valor);
    rotinas.at(c[0])(outro, e, 3, valor, valor);   // any other mode appends nothing
    EXPECT_EQ(lista + "|" + atribuicao + "|" + outro,
              c[4].empty() ? "( |SET |x" : "( " + c[4] + ", |SET [Coluna] = " + c[4] + "|x");
  }
}

TEST(FormataSql, DialectRewritingLeavesStringLiteralsAlone) {
  const std::map<std::string, DialetoSql> dialetos = {{"SqlServer", DialetoSql::SqlServer}, {"Access", DialetoSql::Access},
                                                      {"Sqlite", DialetoSql::Sqlite}, {"PostgreSql", DialetoSql::PostgreSql}};
  for (const auto& c : teste::LerTabelaTsv("data/adapta_sql.tsv"))
    EXPECT_EQ(AdaptaSql(c[1], dialetos.at(c[0])), c[2]) << "adapta_sql.tsv:" << c.numero;
}

TEST(DataHoraBanco, ReadsTheEngineForms) {
  for (const auto& c : teste::LerTabelaTsv("data/data_hora_banco.tsv")) {
    DataHora lido(-1.0);
    const bool leu = LerDataHoraBanco(c[0], lido);
    EXPECT_EQ(leu ? Format(lido, "yyyy-mm-dd") + " " + Format(lido, "hh:mm:ss") : "", c[1]) << "[" << c[0] << "]";
  }
}

}  // namespace
}  // namespace velant::data
