#include "base/valor.h"

#include <gtest/gtest.h>

#include "apoio_base.h"
#include "base/regional.h"

namespace velant {
namespace {

using teste::ErroDe;

// Expected outcome of Igual, Menor and Maior; the other three follow from them
// except when a side is Null (all false) or the two cannot be compared.
enum class Resultado { Igual, Menor, Maior, Incomparavel, Nulo };

struct CasoComparacao {
  const char* descricao;
  Valor a;
  Valor b;
  Resultado esperado;
};

class Comparacoes : public ::testing::TestWithParam<CasoComparacao> {};

TEST_P(Comparacoes, AllSixOperators) {
  DefinirRegional(RegionalPtBR());
  const auto& c = GetParam();
  const Resultado r = c.esperado;
  SCOPED_TRACE(c.descricao);
  EXPECT_EQ(Igual(c.a, c.b), r == Resultado::Igual);
  EXPECT_EQ(Diferente(c.a, c.b),
            r == Resultado::Menor || r == Resultado::Maior || r == Resultado::Incomparavel);
  EXPECT_EQ(Menor(c.a, c.b), r == Resultado::Menor);
  EXPECT_EQ(MenorOuIgual(c.a, c.b), r == Resultado::Menor || r == Resultado::Igual);
  EXPECT_EQ(Maior(c.a, c.b), r == Resultado::Maior);
  EXPECT_EQ(MaiorOuIgual(c.a, c.b), r == Resultado::Maior || r == Resultado::Igual);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, Comparacoes,
    ::testing::Values(
        CasoComparacao{"Null = Null", Valor::Nulo(), Valor::Nulo(), Resultado::Nulo},
        CasoComparacao{"Null = \"\"", Valor::Nulo(), "", Resultado::Nulo},
        CasoComparacao{"0 = Null", int32_t{0}, Valor::Nulo(), Resultado::Nulo},
        CasoComparacao{"Empty = \"\"", Valor(), "", Resultado::Igual},
        CasoComparacao{"Empty = 0", Valor(), int16_t{0}, Resultado::Igual},
        CasoComparacao{"0 = Empty", Currency(), Valor(), Resultado::Igual},
        CasoComparacao{"Empty < 1", Valor(), 1.0, Resultado::Menor},
        CasoComparacao{"\"abc\" vs Empty", "abc", Valor(), Resultado::Maior},
        CasoComparacao{"\"\" = \"\"", "", "", Resultado::Igual},
        CasoComparacao{"\"abc\" < \"abd\"", "abc", "abd", Resultado::Menor},
        CasoComparacao{"case-sensitive", "ABC", "abc", Resultado::Menor},
        CasoComparacao{"\"5929\" = 5929", "5929", int32_t{5929}, Resultado::Igual},
        CasoComparacao{"5929 = \"5929\"", int32_t{5929}, "5929", Resultado::Igual},
        CasoComparacao{"\"10\" > 9 numerically", "10", int32_t{9}, Resultado::Maior},
        CasoComparacao{"\"1.234,5\" = 1234.5", "1.234,5", 1234.5, Resultado::Igual},
        CasoComparacao{"\"abc\" vs 0", "abc", int32_t{0}, Resultado::Incomparavel},
        CasoComparacao{"\"\" vs 0", "", Currency(), Resultado::Incomparavel},
        CasoComparacao{"Currency 0 = \"0\"", Currency(), "0", Resultado::Igual},
        // compared as texts: "0,5" sorts before "0.5"
        CasoComparacao{"Currency 0,5 vs \"0.5\"", Currency::DeBruto(5000), "0.5",
                       Resultado::Menor},
        CasoComparacao{"Currency 0,5 = \"0,5\"", Currency::DeBruto(5000), "0,5", Resultado::Igual},
        CasoComparacao{"9 vs \"10\" as text", int32_t{9}, "10", Resultado::Maior},
        CasoComparacao{"Currency 0 vs \"\"", Currency(), "", Resultado::Maior},
        CasoComparacao{"0.1 = Currency 0,1", 0.1, Currency::DeBruto(1000), Resultado::Igual},
        CasoComparacao{"-2 < -1", int64_t{-2}, int16_t{-1}, Resultado::Menor},
        CasoComparacao{"max currency > 0", Currency::DeBruto(INT64_MAX), 1e14, Resultado::Maior},
        CasoComparacao{"True = -1", true, int32_t{-1}, Resultado::Igual},
        CasoComparacao{"dates", DataHora::De(2024, 1, 1), DataHora::De(2024, 1, 2),
                       Resultado::Menor},
        CasoComparacao{"date text = date", "01/01/2024", DataHora::De(2024, 1, 1),
                       Resultado::Igual},
        CasoComparacao{"zero date = \"00:00:00\"", DataHora(), "00:00:00", Resultado::Igual}),
    [](const auto& info) { return "Caso" + std::to_string(info.index); });

TEST(Valor, TypeAndAccess) {
  EXPECT_EQ(Valor().Tipo(), TipoValor::Vazio);
  EXPECT_EQ(Valor::Nulo().Tipo(), TipoValor::Nulo);
  EXPECT_EQ(Valor("x").Tipo(), TipoValor::Texto);
  EXPECT_EQ(Valor(Currency()).Tipo(), TipoValor::Moeda);
  EXPECT_EQ(Valor(int16_t{1}).Tipo(), TipoValor::Inteiro16);
  EXPECT_EQ(Valor(int32_t{1}).Tipo(), TipoValor::Inteiro32);
  EXPECT_EQ(Valor(int64_t{1}).Tipo(), TipoValor::Inteiro64);
  EXPECT_EQ(Valor(1.0).Tipo(), TipoValor::Duplo);
  EXPECT_EQ(Valor(DataHora()).Tipo(), TipoValor::Data);
  EXPECT_EQ(Valor(true).Tipo(), TipoValor::Booleano);
  EXPECT_TRUE(Valor(Currency()).ENumerico());
  EXPECT_TRUE(Valor(2.0).ENumerico());
  EXPECT_FALSE(Valor(true).ENumerico());
  EXPECT_FALSE(Valor(DataHora()).ENumerico());
  EXPECT_FALSE(Valor("1").ENumerico());
  EXPECT_EQ(Valor("abc").ComoTexto(), "abc");
  EXPECT_EQ(ErroDe([] { Valor(int32_t{1}).ComoTexto(); }), 13);
  EXPECT_EQ(ErroDe([] { Valor::Nulo().ComoTexto(); }), 13);
}

}  // namespace
}  // namespace velant
