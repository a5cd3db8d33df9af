#include "base/converte_valor.h"

#include <gtest/gtest.h>

#include "apoio/erro_teste.h"

namespace velant {
namespace {

TEST(ConverteValor, ConverteComoOPrograma) {
  const std::pair<const char*, const char*> casos[] = {   // text, invariant text of the Currency
      {"", "0"}, {"7", "7"}, {"1.234,56", "1234.56"}, {"1,234.56", "1234.56"}, {"1234.5", "1234.5"},
      {"-12,5", "-12.5"}, {"1.234", "1.234"}, {"1.234.567,89", "1234567.89"}, {"2,50", "2.5"}, {"-0,01", "-0.01"},
      // The shift after a removal lets the currency sign stand before the number.
      {"R$ 1.234,56", "0"},
      // A leading blank becomes the decimal point of a one-digit text.
      {" 5", "0.5"}, {"5 ", "5"}, {"abc", "0"}, {"\u20AC1,5", "1.5"}, {"0,00005", "0.0000"}, {"0,00015", "0.0002"},
      {"1..5", "1.5"}};
  for (const auto& [texto, esperado] : casos) {
    EXPECT_EQ(ConverteValor(texto), Currency::DeTextoInvariante(esperado)) << "texto: [" << texto << "]";
  }
}

TEST(ConverteValor, NumeroForaDaFaixaDeMoedaLevantaEstouro) {
  EXPECT_EQ(teste::ErroDe([] { ConverteValor("99999999999999999999999"); }),
            static_cast<int>(CodigoErro::Estouro));
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
