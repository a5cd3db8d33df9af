#include "data/recordset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "apoio/erro_teste.h"
#include "base/tabela_tsv_teste.h"

namespace velant::data {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using velant::teste::ErroDe;

Recordset Tabela(std::initializer_list<int32_t> codigos = {}) {
  Recordset rs;
  for (const auto& [nome, tipo, tamanho] : {std::tuple("Codigo", adInteger, 0), {"Descricao", adVarChar, 10},
                                           {"Valor", adCurrency, 0}, {"Quantidade", adSmallInt, 0},
                                           {"Grande", adBigInt, 0}, {"Emissao", adDBDate, 0}, {"Fator", adDouble, 0},
                                           {"Observação", adVarChar, 20}})
    rs.AppendCampo(nome, tipo, tamanho);
  rs.Open();
  for (int32_t c : codigos) {
    rs.AddNew();
    rs.SetValue("Codigo", Valor(c));
    rs.Update();
  }
  return rs;
}

int32_t Codigo(Recordset& rs) { return *AcessoValor::Se<int32_t>(rs.Value("codigo")); }

TEST(Recordset, AddNewDeleteAndTheWalk) {
  Recordset rs = Tabela();
  EXPECT_TRUE(rs.Eof() && rs.Bof());
  rs.AddNew();   // a record of Nulls, made current
  EXPECT_EQ(rs.RecordCount(), 1);
  for (int32_t i = 0; i < rs.QuantidadeCampos(); ++i) EXPECT_TRUE(rs.Value(i).ENulo()) << i;
  rs.SetValue("Codigo", Valor(7));
  rs.AddNew();
  EXPECT_EQ(rs.Posicao(), 1);
  rs.MovePrevious();
  EXPECT_EQ(Codigo(rs), 7);

  rs = Tabela({1, 2, 3, 4, 5});
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) if (Codigo(rs) % 2 == 0) rs.Delete();
  std::string codigos;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) codigos += std::to_string(Codigo(rs));
  EXPECT_EQ(codigos, "135");
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) rs.Delete();
  EXPECT_TRUE(rs.RecordCount() == 0 && rs.Eof() && rs.Bof());

  // The deleted record stays current, without a value, until the next move.
  rs = Tabela({1, 2});
  rs.MoveLast();
  rs.Delete();
  EXPECT_FALSE(rs.Eof());
  EXPECT_EQ(ErroDe([&] { (void)rs.Value("Codigo"); }), 3021);
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  rs.MovePrevious();
  EXPECT_EQ(Codigo(rs), 1);
}

// Past either end no record is current; a closed set has none at all and
// takes new columns; column names ignore letter case but not accents.
TEST(Recordset, ErrosPorOperacao) {
  Recordset rs = Tabela({1});
  const std::pair<std::function<void()>, std::optional<int>> passos[] = {
      {[&] { rs.MoveFirst(); rs.MoveNext(); }, std::nullopt},
      {[&] { rs.MoveNext(); }, 3021},
      {[&] { (void)rs.Value("Codigo"); }, 3021},
      {[&] { rs.Delete(); }, 3021},
      {[&] { rs.MoveFirst(); rs.MovePrevious(); }, std::nullopt},
      {[&] { rs.MovePrevious(); }, 3021},
      {[&] { rs.SetValue("Codigo", Valor(1)); }, 3021},
      {[&] { rs.MoveFirst(); (void)rs.Value("Inexistente"); }, 3265},
      {[&] { rs.SetValue("Inexistente", Valor(1)); }, 3265},
      {[&] { rs.AppendCampo("Outra", adInteger); }, 5},
      {[&] { rs.Close(); }, std::nullopt},
      {[&] { (void)rs.Value("Codigo"); }, 3704},
      {[&] { (void)rs.RecordCount(); }, 3704},
      {[&] { rs.AddNew(); }, 3704},
      {[&] { rs.AppendCampo("Outra", adInteger); rs.Open(); }, std::nullopt},
  };
  for (size_t i = 0; i < std::size(passos); ++i) EXPECT_EQ(ErroDe(passos[i].first), passos[i].second) << "passo " << i;
  EXPECT_EQ(rs.QuantidadeCampos(), 9);
  EXPECT_EQ(rs.RecordCount(), 0);
  rs.AddNew();
  rs.SetValue("OBSERVAÇÃO", Valor("abc"));
  EXPECT_EQ(rs.Value("observação").ComoTexto() + std::to_string(rs.IndiceCampo("OBSERVACAO")), "abc-1");
}

TEST(Recordset, AssignmentConvertsToTheColumnType) {
  for (const auto& c : teste::LerTabelaTsv("data/recordset_atribuicao.tsv")) {
    Recordset rs = Tabela({1});
    rs.SetValue(c[0], Valor::Nulo());
    const Valor entrada = c[1] == "d" ? Valor(std::stod(c[2])) : c[1] == "i" ? Valor(std::stoi(c[2])) : Valor(c[2]);
    const auto erro = ErroDe([&] { rs.SetValue(c[0], entrada); });
    const Valor lido = rs.Value(c[0]);
    EXPECT_EQ(erro ? "erro " + std::to_string(*erro) : std::to_string(static_cast<int>(lido.Tipo())) + " " + lido.Texto(),
              c[3]) << "recordset_atribuicao.tsv:" << c.numero;
    EXPECT_TRUE(!erro || lido.ENulo()) << c.numero;
    rs.SetValue(c[0], Valor::Nulo());   // Null stays Null in every column
    EXPECT_TRUE(rs.Value(c[0]).ENulo()) << c[0];
  }
  // A text longer than its column is refused, naming the column and its size.
  Recordset rs = Tabela({1});
  EXPECT_THAT([&] { rs.SetValue("Descricao", Valor("12345678901")); },
              ThrowsMessage<ErroExecucao>(AllOf(HasSubstr("Descricao"), HasSubstr("10"))));
  EXPECT_TRUE(rs.Value("Descricao").ENulo());
}

}  // namespace
}  // namespace velant::data
