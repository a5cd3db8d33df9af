#include "base/valor.h"

#include <gtest/gtest.h>

#include "apoio/erro_teste.h"
#include "base/regional.h"

namespace velant {
namespace {

using teste::ErroDe;

// Expected outcome of Igual, Menor and Maior; the other three follow from them
// except when a side is Null (all false) or the two cannot be compared.
enum class Resultado { Igual, Menor, Maior, Incomparavel, Nulo };

TEST(Valor, ComparisonTableForAllSixOperators) {
  DefinirRegional(RegionalPtBR());
  using R = Resultado;
  const struct { const char* descricao; Valor a, b; Resultado r; } casos[] = {
      {"Null = Null", Valor::Nulo(), Valor::Nulo(), R::Nulo}, {"Null = \"\"", Valor::Nulo(), "", R::Nulo},
      {"0 = Null", int32_t{0}, Valor::Nulo(), R::Nulo}, {"Empty = \"\"", Valor(), "", R::Igual},
      {"Empty = 0", Valor(), int16_t{0}, R::Igual}, {"0 = Empty", Currency(), Valor(), R::Igual},
      {"Empty < 1", Valor(), 1.0, R::Menor}, {"\"abc\" vs Empty", "abc", Valor(), R::Maior},
      {"\"\" = \"\"", "", "", R::Igual}, {"\"abc\" < \"abd\"", "abc", "abd", R::Menor},
      {"case-sensitive", "ABC", "abc", R::Menor}, {"\"5929\" = 5929", "5929", int32_t{5929}, R::Igual},
      {"5929 = \"5929\"", int32_t{5929}, "5929", R::Igual}, {"\"10\" > 9 numerically", "10", int32_t{9}, R::Maior},
      {"\"1.234,5\" = 1234.5", "1.234,5", 1234.5, R::Igual}, {"\"abc\" vs 0", "abc", int32_t{0}, R::Incomparavel},
      {"\"\" vs 0", "", Currency(), R::Incomparavel}, {"Currency 0 = \"0\"", Currency(), "0", R::Igual},
      // compared as texts: "0,5" sorts before "0.5"
      {"Currency 0,5 vs \"0.5\"", Currency::DeBruto(5000), "0.5", R::Menor},
      {"Currency 0,5 = \"0,5\"", Currency::DeBruto(5000), "0,5", R::Igual},
      {"9 vs \"10\" as text", int32_t{9}, "10", R::Maior}, {"Currency 0 vs \"\"", Currency(), "", R::Maior},
      {"0.1 = Currency 0,1", 0.1, Currency::DeBruto(1000), R::Igual}, {"-2 < -1", int64_t{-2}, int16_t{-1}, R::Menor},
      {"max currency > 0", Currency::DeBruto(INT64_MAX), 1e14, R::Maior}, {"True = -1", true, int32_t{-1}, R::Igual},
      {"dates", DataHora::De(2024, 1, 1), DataHora::De(2024, 1, 2), R::Menor},
      {"date text = date", "01/01/2024", DataHora::De(2024, 1, 1), R::Igual},
      {"zero date = \"00:00:00\"", DataHora(), "00:00:00", R::Igual},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.descricao);
    const Resultado r = c.r;
    EXPECT_EQ(Igual(c.a, c.b), r == R::Igual);
    EXPECT_EQ(Diferente(c.a, c.b), r == R::Menor || r == R::Maior || r == R::Incomparavel);
    EXPECT_EQ(Menor(c.a, c.b), r == R::Menor);
    EXPECT_EQ(MenorOuIgual(c.a, c.b), r == R::Menor || r == R::Igual);
    EXPECT_EQ(Maior(c.a, c.b), r == R::Maior);
    EXPECT_EQ(MaiorOuIgual(c.a, c.b), r == R::Maior || r == R::Igual);
  }
}

TEST(Valor, OnlyNumberTypesAreNumericAndOnlyTextIsText) {
  EXPECT_TRUE(Valor(Currency()).ENumerico() && Valor(2.0).ENumerico() && Valor(int16_t{1}).ENumerico());
  EXPECT_FALSE(Valor(true).ENumerico() || Valor(DataHora()).ENumerico() || Valor("1").ENumerico());
  EXPECT_EQ(Valor("abc").ComoTexto(), "abc");
  EXPECT_EQ(ErroDe([] { Valor(int32_t{1}).ComoTexto(); }), 13);
  EXPECT_EQ(ErroDe([] { Valor::Nulo().ComoTexto(); }), 13);
}

}  // namespace
}  // namespace velant
