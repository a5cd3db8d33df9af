#include "base/currency.h"

#include <gtest/gtest.h>

#include <limits>

#include "apoio_base.h"

namespace velant {
namespace {

using teste::ErroDe;

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

struct CasoTexto {
  const char* texto;
  int64_t bruto;
};

class CurrencyDeTexto : public ::testing::TestWithParam<CasoTexto> {};

TEST_P(CurrencyDeTexto, RoundsExactHalvesToEven) {
  EXPECT_EQ(Currency::DeTextoInvariante(GetParam().texto).Bruto(), GetParam().bruto);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, CurrencyDeTexto,
    ::testing::Values(CasoTexto{"1234.5", 12345000}, CasoTexto{"0", 0}, CasoTexto{"-0", 0},
                      CasoTexto{"0.00005", 0}, CasoTexto{"0.00015", 2}, CasoTexto{"0.00025", 2},
                      CasoTexto{"0.000250001", 3}, CasoTexto{"-0.00015", -2},
                      CasoTexto{"-0.00005", 0}, CasoTexto{"2.5", 25000}, CasoTexto{".5", 5000},
                      CasoTexto{"7.", 70000}, CasoTexto{"+3", 30000}, CasoTexto{"1e2", 1000000},
                      CasoTexto{"1.5E-3", 15}, CasoTexto{"922337203685477.5807", kMax},
                      CasoTexto{"-922337203685477.5808", kMin},
                      CasoTexto{"0.99995", 10000}, CasoTexto{"0.99985", 9998}));

TEST(Currency, TextThatIsNotAnInvariantNumberIsATypeMismatch) {
  for (const char* t : {"", "abc", "1,5", "1.234,56", " 1", "1 ", "1e", "-", ".", "R$ 5"}) {
    EXPECT_EQ(ErroDe([&] { Currency::DeTextoInvariante(t); }), 13) << t;
  }
}

TEST(Currency, TextBeyondRangeOverflows) {
  EXPECT_EQ(ErroDe([] { Currency::DeTextoInvariante("922337203685477.58075"); }), 6);
  EXPECT_EQ(ErroDe([] { Currency::DeTextoInvariante("1e300"); }), 6);
  EXPECT_EQ(ErroDe([] { Currency::DeTextoInvariante("-922337203685477.5809"); }), 6);
}

struct CasoDouble {
  double valor;
  int64_t bruto;
};

class CurrencyDeDouble : public ::testing::TestWithParam<CasoDouble> {};

TEST_P(CurrencyDeDouble, UsesTheShortestDecimalOfTheDouble) {
  EXPECT_EQ(Currency::DeDouble(GetParam().valor).Bruto(), GetParam().bruto);
}

INSTANTIATE_TEST_SUITE_P(Tabela, CurrencyDeDouble,
                         ::testing::Values(CasoDouble{0.1, 1000}, CasoDouble{1234.5678, 12345678},
                                           CasoDouble{0.00005, 0}, CasoDouble{0.00015, 2},
                                           CasoDouble{-0.00015, -2}, CasoDouble{1.00005, 10000},
                                           CasoDouble{1.00015, 10002}, CasoDouble{0.1 + 0.2, 3000},
                                           CasoDouble{-2.5, -25000}, CasoDouble{1e-10, 0}));

TEST(Currency, DoubleOutOfRangeOrNotFiniteOverflows) {
  EXPECT_EQ(ErroDe([] { Currency::DeDouble(1e15); }), 6);
  EXPECT_EQ(ErroDe([] { Currency::DeDouble(std::numeric_limits<double>::infinity()); }), 6);
  EXPECT_EQ(ErroDe([] { Currency::DeDouble(std::numeric_limits<double>::quiet_NaN()); }), 6);
  EXPECT_EQ(Currency::DeDouble(9e14).Bruto(), 9000000000000000000);
}

TEST(Currency, IntegerConversionChecksRange) {
  EXPECT_EQ(Currency::DeInteiro(-7).Bruto(), -70000);
  EXPECT_EQ(Currency::DeInteiro(922337203685477).Bruto(), 9223372036854770000);
  EXPECT_EQ(ErroDe([] { Currency::DeInteiro(922337203685478); }), 6);
  EXPECT_EQ(ErroDe([] { Currency::DeInteiro(kMin); }), 6);
}

TEST(Currency, InvariantTextHasOnlyTheNeededDecimals) {
  const std::pair<int64_t, const char*> casos[] = {
      {12345000, "1234.5"}, {0, "0"},          {-1, "-0.0001"},
      {10000, "1"},         {-1234567, "-123.4567"}, {1000000, "100"},
      {kMax, "922337203685477.5807"},             {kMin, "-922337203685477.5808"}};
  for (const auto& [bruto, texto] : casos) {
    EXPECT_EQ(Currency::DeBruto(bruto).TextoInvariante(), texto);
    EXPECT_EQ(Currency::DeTextoInvariante(texto).Bruto(), bruto) << texto;
  }
}

TEST(Currency, ToDoubleIsTheNearestDouble) {
  EXPECT_EQ(Currency::DeBruto(1000).ParaDouble(), 0.1);
  EXPECT_EQ(Currency::DeBruto(-12345678).ParaDouble(), -1234.5678);
}

struct CasoOperacao {
  const char* a;
  char op;
  const char* b;
  const char* resultado;  // nullptr: overflow
};

Currency Aplica(Currency a, char op, Currency b) {
  switch (op) {
    case '+': return a + b;
    case '-': return a - b;
    case '*': return a * b;
    default: return a / b;
  }
}

class CurrencyOperacao : public ::testing::TestWithParam<CasoOperacao> {};

TEST_P(CurrencyOperacao, ComputesOrOverflowsNeverWraps) {
  const auto& c = GetParam();
  const Currency a = Currency::DeTextoInvariante(c.a);
  const Currency b = Currency::DeTextoInvariante(c.b);
  if (c.resultado == nullptr) {
    EXPECT_EQ(ErroDe([&] { Aplica(a, c.op, b); }), 6);
  } else {
    EXPECT_EQ(Aplica(a, c.op, b).TextoInvariante(), c.resultado);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, CurrencyOperacao,
    ::testing::Values(
        CasoOperacao{"1.1", '+', "2.2", "3.3"}, CasoOperacao{"1", '-', "2.5", "-1.5"},
        CasoOperacao{"1.5", '*', "1.5", "2.25"},
        // 0.0001 * 0.5 = 0.00005: a tie, to the even 0.0000
        CasoOperacao{"0.0001", '*', "0.5", "0"}, CasoOperacao{"0.0003", '*', "0.5", "0.0002"},
        CasoOperacao{"-0.0003", '*', "0.5", "-0.0002"},
        CasoOperacao{"10", '/', "4", "2.5"}, CasoOperacao{"1", '/', "3", "0.3333"},
        CasoOperacao{"2", '/', "3", "0.6667"}, CasoOperacao{"-2", '/', "3", "-0.6667"},
        CasoOperacao{"0.0001", '/', "2", "0"}, CasoOperacao{"0.0003", '/', "2", "0.0002"},
        CasoOperacao{"0.0003", '/', "-2", "-0.0002"},
        CasoOperacao{"922337203685477.5807", '+', "0.0001", nullptr},
        CasoOperacao{"-922337203685477.5808", '-', "0.0001", nullptr},
        CasoOperacao{"922337203685477", '*', "2", nullptr},
        CasoOperacao{"3037000499.9", '*', "3037000499.9", nullptr},
        CasoOperacao{"922337203685477", '/', "0.5", nullptr},
        CasoOperacao{"-922337203685477.5808", '/', "-1", nullptr},
        CasoOperacao{"922337203685477.5807", '*', "-1", "-922337203685477.5807"},
        CasoOperacao{"100000000000000", '/', "0.0001", nullptr}));

TEST(Currency, DivisionByZeroAndNegationOfMinimum) {
  EXPECT_EQ(ErroDe([] { Currency::DeInteiro(1) / Currency(); }), 11);
  EXPECT_EQ(ErroDe([] { -Currency::DeBruto(kMin); }), 6);
  Currency total = Currency::DeBruto(kMax);
  EXPECT_EQ(ErroDe([&] { total += Currency::DeBruto(1); }), 6);
  EXPECT_EQ(total.Bruto(), kMax);  // left as it was
}

}  // namespace
}  // namespace velant
