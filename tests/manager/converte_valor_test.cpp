#include "manager/converte_valor.h"

#include <gtest/gtest.h>

#include "base/erro.h"

namespace velant {
namespace {

struct CasoConversao {
  const char* texto;
  const char* esperado;   // invariant text of the Currency
};

class ConverteValorTeste : public ::testing::TestWithParam<CasoConversao> {};

TEST_P(ConverteValorTeste, ConverteComoOPrograma) {
  const auto& c = GetParam();
  EXPECT_EQ(ConverteValor(c.texto), Currency::DeTextoInvariante(c.esperado)) << "texto: [" << c.texto << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ConverteValorTeste,
    ::testing::Values(
        CasoConversao{"", "0"}, CasoConversao{"7", "7"}, CasoConversao{"1.234,56", "1234.56"},
        CasoConversao{"1,234.56", "1234.56"}, CasoConversao{"1234.5", "1234.5"}, CasoConversao{"-12,5", "-12.5"},
        CasoConversao{"1.234", "1.234"}, CasoConversao{"1.234.567,89", "1234567.89"},
        CasoConversao{"2,50", "2.5"}, CasoConversao{"-0,01", "-0.01"},
        // The shift after a removal lets the currency sign stand before the number.
        CasoConversao{"R$ 1.234,56", "0"},
        // A leading blank becomes the decimal point of a one-digit text.
        CasoConversao{" 5", "0.5"}, CasoConversao{"5 ", "5"},
        CasoConversao{"abc", "0"}, CasoConversao{"€1,5", "1.5"},
        CasoConversao{"0,00005", "0.0000"}, CasoConversao{"0,00015", "0.0002"},
        CasoConversao{"1..5", "1.5"}));

TEST(ConverteValor, NumeroForaDaFaixaDeMoedaLevantaEstouro) {
  try {
    ConverteValor("99999999999999999999999");
    FAIL() << "esperava Estouro";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::Estouro);
  }
}

TEST(ConverteValor, TextoLongoDeSeparadoresTerminaEmTempoLinear) {
  // Two megabytes with a million separators to remove: a quadratic walk
  // would take hours.
  std::string texto;
  for (int i = 0; i < 1'000'000; ++i) texto += "0.";
  texto += ",5";
  EXPECT_EQ(ConverteValor(texto), Currency::DeTextoInvariante("0.5"));
}

}  // namespace
}  // namespace velant
