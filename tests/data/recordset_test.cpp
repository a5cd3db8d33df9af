#include "data/recordset.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/erro.h"

namespace velant::data {
namespace {

int NumeroDoErro(const std::function<void()>& f) {
  try {
    f();
  } catch (const ErroExecucao& e) {
    return e.Numero();
  }
  return 0;
}

Recordset Tabela() {
  Recordset rs;
  rs.AppendCampo("Codigo", adInteger);
  rs.AppendCampo("Descricao", adVarChar, 10);
  rs.AppendCampo("Valor", adCurrency);
  rs.AppendCampo("Quantidade", adSmallInt);
  rs.AppendCampo("Grande", adBigInt);
  rs.AppendCampo("Emissao", adDBDate);
  rs.AppendCampo("Fator", adDouble);
  rs.Open();
  return rs;
}

std::vector<int32_t> Codigos(Recordset& rs) {
  std::vector<int32_t> r;
  if (rs.RecordCount() == 0) return r;
  rs.MoveFirst();
  while (!rs.Eof()) {
    r.push_back(*AcessoValor::Se<int32_t>(rs.Value("codigo")));
    rs.MoveNext();
  }
  return r;
}

Recordset ComCodigos(std::initializer_list<int32_t> codigos) {
  Recordset rs = Tabela();
  for (int32_t c : codigos) {
    rs.AddNew();
    rs.SetValue("Codigo", Valor(c));
    rs.Update();
  }
  return rs;
}

TEST(Recordset, AddNewAppendsANullRecordAndMakesItCurrent) {
  Recordset rs = Tabela();
  EXPECT_TRUE(rs.Eof());
  EXPECT_TRUE(rs.Bof());
  rs.AddNew();
  EXPECT_EQ(rs.RecordCount(), 1);
  EXPECT_FALSE(rs.Eof());
  for (int32_t i = 0; i < rs.QuantidadeCampos(); ++i) EXPECT_TRUE(rs.Value(i).ENulo()) << i;
  rs.SetValue("Codigo", Valor(7));
  rs.AddNew();
  EXPECT_EQ(rs.Posicao(), 1);
  EXPECT_TRUE(rs.Value("Codigo").ENulo());
  rs.MovePrevious();
  EXPECT_EQ(*AcessoValor::Se<int32_t>(rs.Value("Codigo")), 7);
}

TEST(Recordset, DeleteThenMoveNextEmptiesTheSet) {
  Recordset rs = ComCodigos({1, 2, 3, 4});
  rs.MoveFirst();
  while (!rs.Eof()) {
    rs.Delete();
    rs.MoveNext();
  }
  EXPECT_EQ(rs.RecordCount(), 0);
  EXPECT_TRUE(rs.Eof());
  EXPECT_TRUE(rs.Bof());
}

TEST(Recordset, DeleteSelectedRecordsKeepsTheOthersInOrder) {
  Recordset rs = ComCodigos({1, 2, 3, 4, 5});
  rs.MoveFirst();
  while (!rs.Eof()) {
    if (*AcessoValor::Se<int32_t>(rs.Value("Codigo")) % 2 == 0) rs.Delete();
    rs.MoveNext();
  }
  EXPECT_EQ(Codigos(rs), (std::vector<int32_t>{1, 3, 5}));
}

TEST(Recordset, DeletedRecordHasNoValueUntilTheNextMove) {
  Recordset rs = ComCodigos({1, 2});
  rs.MoveLast();
  rs.Delete();
  EXPECT_FALSE(rs.Eof());   // still on the deleted record
  EXPECT_EQ(NumeroDoErro([&] { (void)rs.Value("Codigo"); }), 3021);
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  rs.MovePrevious();
  EXPECT_EQ(*AcessoValor::Se<int32_t>(rs.Value("Codigo")), 1);
}

TEST(Recordset, CursorLimitsRaiseNoCurrentRecord) {
  Recordset rs = ComCodigos({1});
  rs.MoveFirst();
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(NumeroDoErro([&] { rs.MoveNext(); }), 3021);
  EXPECT_EQ(NumeroDoErro([&] { (void)rs.Value("Codigo"); }), 3021);
  EXPECT_EQ(NumeroDoErro([&] { rs.Delete(); }), 3021);
  rs.MoveFirst();
  rs.MovePrevious();
  EXPECT_TRUE(rs.Bof());
  EXPECT_EQ(NumeroDoErro([&] { rs.MovePrevious(); }), 3021);
  EXPECT_EQ(NumeroDoErro([&] { rs.SetValue("Codigo", Valor(1)); }), 3021);
}

TEST(Recordset, ClosedSetRaisesObjectClosedAndKeepsItsColumns) {
  Recordset rs = ComCodigos({1});
  rs.Close();
  EXPECT_EQ(rs.State(), adStateClosed);
  EXPECT_EQ(NumeroDoErro([&] { (void)rs.Value("Codigo"); }), 3704);
  EXPECT_EQ(NumeroDoErro([&] { (void)rs.RecordCount(); }), 3704);
  EXPECT_EQ(NumeroDoErro([&] { rs.AddNew(); }), 3704);
  EXPECT_EQ(rs.QuantidadeCampos(), 7);
  rs.Open();
  EXPECT_EQ(rs.RecordCount(), 0);
}

TEST(Recordset, ColumnsAreDefinedOnlyWhileClosed) {
  Recordset rs = Tabela();
  EXPECT_EQ(NumeroDoErro([&] { rs.AppendCampo("Outra", adInteger); }), 5);
  rs.Close();
  rs.AppendCampo("Outra", adInteger);
  EXPECT_EQ(rs.QuantidadeCampos(), 8);
}

TEST(Recordset, ColumnNamesIgnoreLetterCase) {
  Recordset rs;
  rs.AppendCampo("Descrição", adVarChar, 20);
  rs.Open();
  rs.AddNew();
  rs.SetValue("DESCRIÇÃO", Valor("abc"));
  EXPECT_EQ(rs.Value("descrição").ComoTexto(), "abc");
  EXPECT_EQ(rs.IndiceCampo("DESCRICAO"), -1);
  EXPECT_EQ(NumeroDoErro([&] { (void)rs.Value("Inexistente"); }), 3265);
  EXPECT_EQ(NumeroDoErro([&] { rs.SetValue("Inexistente", Valor(1)); }), 3265);
}

// Conversions on assignment, each checked by the type and value stored.
struct CasoConversao {
  const char* coluna;
  Valor entrada;
  TipoValor tipo;
  std::string texto;   // CStr of the stored value
};

class ConversaoNaColuna : public ::testing::TestWithParam<CasoConversao> {};

TEST_P(ConversaoNaColuna, StoresTheColumnType) {
  const auto& c = GetParam();
  Recordset rs = Tabela();
  rs.AddNew();
  rs.SetValue(c.coluna, c.entrada);
  EXPECT_EQ(rs.Value(c.coluna).Tipo(), c.tipo);
  EXPECT_EQ(rs.Value(c.coluna).Texto(), c.texto);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, ConversaoNaColuna,
    ::testing::Values(CasoConversao{"Valor", Valor("1.234,5"), TipoValor::Moeda, "1234,5"},
                      CasoConversao{"Valor", Valor("2,00005"), TipoValor::Moeda, "2"},
                      CasoConversao{"Quantidade", Valor("12"), TipoValor::Inteiro16, "12"},
                      CasoConversao{"Quantidade", Valor(2.5), TipoValor::Inteiro16, "2"},
                      CasoConversao{"Codigo", Valor("123456"), TipoValor::Inteiro32, "123456"},
                      CasoConversao{"Grande", Valor("9000000000"), TipoValor::Inteiro64, "9000000000"},
                      CasoConversao{"Fator", Valor("0,25"), TipoValor::Duplo, "0,25"},
                      CasoConversao{"Emissao", Valor("05/12/2026 13:45:07"), TipoValor::Data, "05/12/2026"},
                      CasoConversao{"Descricao", Valor(int32_t{42}), TipoValor::Texto, "42"},
                      CasoConversao{"Descricao", Valor("ação"), TipoValor::Texto, "ação"}));

TEST(Recordset, NullStaysNullInEveryColumn) {
  Recordset rs = Tabela();
  rs.AddNew();
  for (int32_t i = 0; i < rs.QuantidadeCampos(); ++i) {
    rs.SetValue(i, Valor(int32_t{1}));
    rs.SetValue(i, Valor::Nulo());
    EXPECT_TRUE(rs.Value(i).ENulo()) << rs.Campo(i).nome;
  }
}

struct CasoErro {
  const char* coluna;
  Valor entrada;
  int numero;
};

class ConversaoRecusada : public ::testing::TestWithParam<CasoErro> {};

TEST_P(ConversaoRecusada, RaisesAndKeepsTheOldValue) {
  const auto& c = GetParam();
  Recordset rs = Tabela();
  rs.AddNew();
  EXPECT_EQ(NumeroDoErro([&] { rs.SetValue(c.coluna, c.entrada); }), c.numero);
  EXPECT_TRUE(rs.Value(c.coluna).ENulo());
}

INSTANTIATE_TEST_SUITE_P(Tabela, ConversaoRecusada,
                         ::testing::Values(CasoErro{"Valor", Valor("abc"), 13},
                                           CasoErro{"Codigo", Valor("12x"), 13},
                                           CasoErro{"Quantidade", Valor("40000"), 6},
                                           CasoErro{"Codigo", Valor("3000000000"), 6},
                                           CasoErro{"Grande", Valor("35150912345678000190"), 6},
                                           CasoErro{"Emissao", Valor("31/02/2026"), 13}));

TEST(Recordset, TextLongerThanTheColumnIsRefusedNamingIt) {
  Recordset rs = Tabela();
  rs.AddNew();
  rs.SetValue("Descricao", Valor("ççççççççç0"));   // ten characters, more bytes
  try {
    rs.SetValue("Descricao", Valor("12345678901"));
    FAIL() << "texto de 11 caracteres aceito";
  } catch (const ErroExecucao& e) {
    EXPECT_NE(e.Descricao().find("Descricao"), std::string::npos) << e.Descricao();
    EXPECT_NE(e.Descricao().find("10"), std::string::npos) << e.Descricao();
  }
  EXPECT_EQ(rs.Value("Descricao").ComoTexto(), "ççççççççç0");
}

TEST(Recordset, QueryResultOpensOnTheFirstRow) {
  Recordset rs;
  rs.AbrirComResultado({{"NSU", adInteger, 0}, {"Texto", adVarChar, 0}},
                       {{Valor(int32_t{5}), Valor("a")}, {Valor(int32_t{9}), Valor::Nulo()}});
  EXPECT_EQ(rs.RecordCount(), 2);
  EXPECT_EQ(*AcessoValor::Se<int32_t>(rs.Value("nsu")), 5);
  rs.MoveNext();
  EXPECT_TRUE(rs.Value("TEXTO").ENulo());
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
}

}  // namespace
}  // namespace velant::data
