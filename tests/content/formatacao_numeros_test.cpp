#include "content/formatacao_numeros.h"

#include <gtest/gtest.h>

#include "base/regional.h"

namespace velant {
namespace {

Valor Moeda(const char* t) { return Valor(Currency::DeTextoInvariante(t)); }

class Formatacao : public ::testing::Test {
 protected:
  void SetUp() override { DefinirRegional(RegionalPtBR()); }
};

struct CasoDecimal {
  Valor entrada;
  const char* duas;
  const char* tres;
};

TEST_F(Formatacao, FormataDecimal2e3) {
  const CasoDecimal casos[] = {
      {Moeda("1234.5"), "1234.50", "1234.500"},
      {Moeda("0.5"), "0.50", "0.500"},
      {Moeda("-3"), "-3.00", "-3.000"},
      {Moeda("12.5"), "12.50", "12.500"},
      {Valor::Nulo(), "0.00", "0.000"},
      {Valor(""), "0.00", "0.000"},
      {Valor("ABC"), "0.00", "0.000"},
      {Valor("1.234,56"), "1234.56", "1234.560"},
      {Valor(int64_t{123456789}), "123456789.00", "123456789.000"},
      {Valor(1234567.891), "1234567.89", "1234567.891"},
      // Exact halves go to the even neighbour.
      {Moeda("0.125"), "0.12", "0.125"},
      {Moeda("0.375"), "0.38", "0.375"},
      {Moeda("2.0005"), "2.00", "2.000"},
      {Moeda("2.0015"), "2.00", "2.002"},
      {Moeda("-0.125"), "-0.12", "-0.125"},
  };
  for (const auto& c : casos) {
    EXPECT_EQ(FormataDecimal2(c.entrada), c.duas) << c.duas;
    EXPECT_EQ(FormataDecimal3(c.entrada), c.tres) << c.tres;
  }
}

TEST_F(Formatacao, FormataDecimal4RecebeTexto) {
  const std::pair<const char*, const char*> casos[] = {
      {"3", "3.0000"}, {"2,5", "2.5000"}, {"", "0.0000"}, {"X", "0.0000"},
      {"10,5", "10.5000"}, {"40,5", "40.5000"}, {"0,00005", "0.0000"}, {"0,00015", "0.0002"},
      {"-1,25", "-1.2500"},
  };
  for (const auto& [entrada, esperado] : casos) EXPECT_EQ(FormataDecimal4(entrada), esperado) << entrada;
}

TEST_F(Formatacao, ValorCampo) {
  data::Recordset nota;
  nota.AppendCampo("x", data::adVarChar, 10);
  nota.Open();
  nota.AddNew();
  nota.Update();
  nota.MoveFirst();
  EXPECT_EQ(ValorCampo(nota, Valor::Nulo()), "");
  EXPECT_EQ(ValorCampo(nota, Valor(int32_t{12})), "12");
  EXPECT_EQ(ValorCampo(nota, Valor("abc")), "abc");
  nota.MoveNext();   // past the last record: every value reads as empty
  ASSERT_TRUE(nota.Eof());
  EXPECT_EQ(ValorCampo(nota, Valor("abc")), "");
}

}  // namespace
}  // namespace velant
