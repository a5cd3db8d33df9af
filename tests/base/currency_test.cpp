#include "base/currency.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "apoio/erro_teste.h"

namespace velant {
namespace {

using teste::ErroDe;

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

TEST(Currency, InvariantTextRoundsExactHalvesToEven) {
  const struct { const char* texto; int64_t bruto; } casos[] = {
      {"1234.5", 12345000}, {"0", 0}, {"-0", 0}, {"0.00005", 0}, {"0.00015", 2}, {"0.00025", 2}, {"0.000250001", 3},
      {"-0.00015", -2}, {"-0.00005", 0}, {"2.5", 25000}, {".5", 5000}, {"7.", 70000}, {"+3", 30000}, {"1e2", 1000000},
      {"1.5E-3", 15}, {"922337203685477.5807", kMax}, {"-922337203685477.5808", kMin}, {"0.99995", 10000},
      {"0.99985", 9998},
  };
  for (const auto& c : casos) EXPECT_EQ(Currency::DeTextoInvariante(c.texto).Bruto(), c.bruto) << c.texto;
}

TEST(Currency, DoubleUsesItsShortestDecimalAndRoundsExactHalvesToEven) {
  const struct { double valor; int64_t bruto; } casos[] = {
      {0.1, 1000}, {1234.5678, 12345678}, {0.00005, 0}, {0.00015, 2}, {-0.00015, -2}, {1.00005, 10000},
      {1.00015, 10002}, {0.1 + 0.2, 3000}, {-2.5, -25000}, {1e-10, 0}, {9e14, 9000000000000000000},
  };
  for (const auto& c : casos) EXPECT_EQ(Currency::DeDouble(c.valor).Bruto(), c.bruto) << c.valor;
  EXPECT_EQ(Currency::DeInteiro(-7).Bruto(), -70000);
  EXPECT_EQ(Currency::DeInteiro(922337203685477).Bruto(), 9223372036854770000);
  EXPECT_EQ(Currency::DeBruto(-12345678).ParaDouble(), -1234.5678);
}

TEST(Currency, InvariantTextHasOnlyTheNeededDecimalsAndReadsBack) {
  const struct { int64_t bruto; const char* texto; } casos[] = {
      {12345000, "1234.5"}, {0, "0"}, {-1, "-0.0001"}, {10000, "1"}, {-1234567, "-123.4567"}, {1000000, "100"},
      {kMax, "922337203685477.5807"}, {kMin, "-922337203685477.5808"},
  };
  for (const auto& c : casos) {
    EXPECT_EQ(Currency::DeBruto(c.bruto).TextoInvariante(), c.texto);
    EXPECT_EQ(Currency::DeTextoInvariante(c.texto).Bruto(), c.bruto) << c.texto;
  }
}

// Every way into a Currency and every operation either gives the value or
// raises; nothing wraps around.
TEST(Currency, OutOfRangeOverflowsAndBadTextIsATypeMismatch) {
  const struct { const char* descricao; std::function<void()> chamada; int erro; } casos[] = {
      {"texto além do máximo", [] { Currency::DeTextoInvariante("922337203685477.58075"); }, 6},
      {"texto 1e300", [] { Currency::DeTextoInvariante("1e300"); }, 6},
      {"texto abaixo do mínimo", [] { Currency::DeTextoInvariante("-922337203685477.5809"); }, 6},
      {"double 1e15", [] { Currency::DeDouble(1e15); }, 6},
      {"double infinito", [] { Currency::DeDouble(std::numeric_limits<double>::infinity()); }, 6},
      {"double NaN", [] { Currency::DeDouble(std::numeric_limits<double>::quiet_NaN()); }, 6},
      {"inteiro além do máximo", [] { Currency::DeInteiro(922337203685478); }, 6},
      {"inteiro mínimo", [] { Currency::DeInteiro(kMin); }, 6},
      {"divisão por zero", [] { Currency::DeInteiro(1) / Currency(); }, 11},
      {"negar o mínimo", [] { -Currency::DeBruto(kMin); }, 6},
  };
  for (const auto& c : casos) EXPECT_EQ(ErroDe(c.chamada), c.erro) << c.descricao;
  for (const char* t : {"", "abc", "1,5", "1.234,56", " 1", "1 ", "1e", "-", ".", "R$ 5"}) {
    EXPECT_EQ(ErroDe([&] { Currency::DeTextoInvariante(t); }), 13) << t;
  }
  Currency total = Currency::DeBruto(kMax);
  EXPECT_EQ(ErroDe([&] { total += Currency::DeBruto(1); }), 6);
  EXPECT_EQ(total.Bruto(), kMax);   // left as it was
}

TEST(Currency, ArithmeticRoundsExactHalvesToEvenOrOverflows) {
  const struct {
    const char* a;
    char op;
    const char* b;
    const char* resultado;   // nullptr: overflow
  } casos[] = {
      {"1.1", '+', "2.2", "3.3"}, {"1", '-', "2.5", "-1.5"}, {"1.5", '*', "1.5", "2.25"},
      // 0.0001 * 0.5 = 0.00005: a tie, to the even 0.0000
      {"0.0001", '*', "0.5", "0"}, {"0.0003", '*', "0.5", "0.0002"}, {"-0.0003", '*', "0.5", "-0.0002"},
      {"10", '/', "4", "2.5"}, {"1", '/', "3", "0.3333"}, {"2", '/', "3", "0.6667"}, {"-2", '/', "3", "-0.6667"},
      {"0.0001", '/', "2", "0"}, {"0.0003", '/', "2", "0.0002"}, {"0.0003", '/', "-2", "-0.0002"},
      {"922337203685477.5807", '+', "0.0001", nullptr}, {"-922337203685477.5808", '-', "0.0001", nullptr},
      {"922337203685477", '*', "2", nullptr}, {"3037000499.9", '*', "3037000499.9", nullptr},
      {"922337203685477", '/', "0.5", nullptr}, {"-922337203685477.5808", '/', "-1", nullptr},
      {"922337203685477.5807", '*', "-1", "-922337203685477.5807"}, {"100000000000000", '/', "0.0001", nullptr},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(std::string(c.a) + " " + c.op + " " + c.b);
    const Currency a = Currency::DeTextoInvariante(c.a);
    const Currency b = Currency::DeTextoInvariante(c.b);
    const auto aplica = [&] { return c.op == '+' ? a + b : c.op == '-' ? a - b : c.op == '*' ? a * b : a / b; };
    if (c.resultado == nullptr) EXPECT_EQ(ErroDe([&] { aplica(); }), 6);
    else EXPECT_EQ(aplica().TextoInvariante(), c.resultado);
  }
}

}  // namespace
}  // namespace velant
