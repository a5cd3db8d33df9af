#include "base/regional.h"

#include <gtest/gtest.h>

#include <functional>

#include "apoio/erro_teste.h"

namespace velant {
namespace {

using teste::ErroDe;

// Every test here starts and ends under pt-BR, whatever another test set.
class Regional_ : public ::testing::Test {
 protected:
  void SetUp() override { DefinirRegional(RegionalPtBR()); }
  void TearDown() override { DefinirRegional(RegionalPtBR()); }
};

TEST_F(Regional_, WholeNumbersRoundExactHalvesToEvenInTheRegionalFormat) {
  const struct { Valor valor; int64_t esperado; } casos[] = {
      {"2,5", 2}, {"3,5", 4}, {"-2,5", -2}, {"-3,5", -4}, {"2,51", 3}, {"0,5", 0}, {"1,5", 2}, {" 12 ", 12},
      {"1.234", 1234}, {"+7", 7}, {"1E3", 1000}, {"&HFF", 255}, {"&HFFFF", -1}, {2.5, 2}, {3.5, 4}, {-0.5, 0},
      {Currency::DeBruto(25000), 2}, {Currency::DeBruto(35000), 4}, {true, -1}, {false, 0}, {Valor(), 0},
      {int16_t{-32768}, -32768}, {int64_t{32767}, 32767}, {"-32768,5", -32768}, {"32766,5", 32766},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.esperado);
    EXPECT_EQ(CInt(c.valor), c.esperado);
    EXPECT_EQ(CLng(c.valor), c.esperado);
    EXPECT_EQ(CLngLng(c.valor), c.esperado);
  }
  EXPECT_EQ(CLng("2147483646,5"), 2147483646);
  for (const char* t : {"", "abc", "R$ 5", "12x", "1 2", "1..2", ",", "--1"}) {
    EXPECT_EQ(ErroDe([&] { CInt(t); }), 13) << t;
    EXPECT_EQ(ErroDe([&] { CLng(t); }), 13) << t;
  }
}

TEST_F(Regional_, CurrencyReadsTheRegionalFormatAndRoundsExactHalvesToEven) {
  const struct { Valor valor; int64_t bruto; } casos[] = {
      {"1.234,56", 12345600}, {"1234,56", 12345600}, {"-12,5", -125000}, {"0,00005", 0}, {"0,00015", 2},
      {"1.234.567,8", 12345678000}, {"2.5", 250000}, {" 10 ", 100000}, {0.125, 1250}, {0.00005, 0},
      {int32_t{-3}, -30000}, {Valor(), 0},
  };
  for (const auto& c : casos) EXPECT_EQ(CCur(c.valor).Bruto(), c.bruto) << c.bruto;
}

TEST_F(Regional_, ValReadsTheLeadingDotDecimalNumber) {
  const struct { const char* texto; double esperado; } casos[] = {
      {"1 2.5x", 12.5}, {"", 0}, {"abc", 0}, {"  -3.25", -3.25}, {"1\t2\n3", 123}, {"1,5", 1}, {"1.2.3", 1.2},
      {".5", 0.5}, {"-", 0}, {"1e3", 1000}, {"1e", 1}, {"2D2", 200}, {"&HFF", 255}, {"&O17", 15}, {"&HFFFF", -1},
      {"12\r3", 12}, {"R$ 5", 0}, {"007", 7},
  };
  for (const auto& c : casos) EXPECT_EQ(Val(c.texto), c.esperado) << c.texto;
  const struct { const char* texto; int16_t esperado; } casos16[] = {
      {"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"0.5", 0}, {"1.5", 2}, {"2.500001", 3}, {"", 0}, {"SIM", 0}, {"1 5", 15},
      {"32767.4", 32767}, {"-32768", -32768},
  };
  for (const auto& c : casos16) EXPECT_EQ(Val16(c.texto), c.esperado) << c.texto;
}

TEST_F(Regional_, ConversionsRaiseTypedErrors) {
  const struct { const char* chamada; std::function<void()> f; int erro; } casos[] = {
      {"CInt(Null)", [] { CInt(Valor::Nulo()); }, 94}, {"CLng(Null)", [] { CLng(Valor::Nulo()); }, 94},
      {"CInt(32767,5)", [] { CInt("32767,5"); }, 6}, {"CInt(-32769)", [] { CInt("-32769"); }, 6},
      {"CInt(40000)", [] { CInt(int32_t{40000}); }, 6}, {"CLng(2147483647,5)", [] { CLng("2147483647,5"); }, 6},
      {"CLng(1e10)", [] { CLng(1e10); }, 6}, {"CLngLng(1e19)", [] { CLngLng(1e19); }, 6},
      {"CCur(Null)", [] { CCur(Valor::Nulo()); }, 94}, {"CCur(R$ 1,00)", [] { CCur("R$ 1,00"); }, 13},
      {"CCur('')", [] { CCur(""); }, 13}, {"CCur(10^18)", [] { CCur("1.000.000.000.000.000"); }, 6},
      {"CCur(1e300)", [] { CCur(1e300); }, 6}, {"Val16(32767.5)", [] { Val16("32767.5"); }, 6},
      {"Val16(40000)", [] { Val16("40000"); }, 6}, {"Val16(-32768.6)", [] { Val16("-32768.6"); }, 6},
      {"Val(1e400)", [] { Val("1e400"); }, 6}, {"CStr(Null)", [] { CStr(Valor::Nulo()); }, 94},
      {"Null.Texto()", [] { Valor::Nulo().Texto(); }, 94}, {"CDate(Null)", [] { CDate(Valor::Nulo()); }, 94},
      {"CDate(-657435)", [] { CDate(-657435.0); }, 6}, {"CDate(2958466)", [] { CDate(2958466.0); }, 6},
      {"CDate(1e300)", [] { CDate(1e300); }, 6}, {"CDbl(x)", [] { CDbl("x"); }, 13},
      {"CBool(SIM)", [] { CBool("SIM"); }, 13}, {"CBool(Null)", [] { CBool(Valor::Nulo()); }, 94},
  };
  for (const auto& c : casos) EXPECT_EQ(ErroDe(c.f), c.erro) << c.chamada;
}

TEST_F(Regional_, IsNumericFollowsTheRegionalSettings) {
  const struct { Valor valor; bool numerico; } casos[] = {
      {"1.234,56", true}, {"R$ 5", false}, {"", false}, {" 12 ", true}, {"2,5", true}, {"-3", true}, {"abc", false},
      {"1,2,3", false}, {"12/05/2024", false}, {Valor::Nulo(), false}, {Valor(), false}, {3.5, true},
      {Currency(), true}, {true, true}, {DataHora::De(2024, 1, 1), false}, {"&H1FFFFFFFF", false},
  };
  for (size_t i = 0; i < std::size(casos); ++i) EXPECT_EQ(IsNumeric(casos[i].valor), casos[i].numerico) << i;
}

TEST_F(Regional_, AnotherLocaleSwapsTheSeparators) {
  ConfiguracaoRegional ingles;
  ingles.separadorDecimal = ".";
  ingles.separadorMilhar = ",";
  ingles.ordemData = ConfiguracaoRegional::OrdemData::MesDiaAno;
  ingles.textoVerdadeiro = "True";
  ingles.textoFalso = "False";
  DefinirRegional(ingles);
  EXPECT_EQ(CCur("1,234.56").Bruto(), 12345600);
  EXPECT_TRUE(IsNumeric("1,234.56"));
  EXPECT_FALSE(IsNumeric("1.234,56"));
  EXPECT_EQ(CStr(1234.5), "1234.5");
  EXPECT_EQ(CStr(true), "True");
  EXPECT_EQ(CDate("05/12/2026"), DataHora::De(2026, 5, 12));
  EXPECT_EQ(Format(1234.5, "###,###,##0.00"), "1,234.50");
}

TEST_F(Regional_, DatesReadRegionalAndIsoForms) {
  const struct { const char* texto; DataHora esperada; } casos[] = {
      {"05/12/2026", DataHora::De(2026, 12, 5)}, {"5/1/2024", DataHora::De(2024, 1, 5)},
      {"29/02/2024 13:45", DataHora::De(2024, 2, 29, 13, 45, 0)},
      {"31/12/1999 23:59:59", DataHora::De(1999, 12, 31, 23, 59, 59)}, {"2024-03-07", DataHora::De(2024, 3, 7)},
      {"2024-03-07T08:09:10", DataHora::De(2024, 3, 7, 8, 9, 10)},
      {"2024-03-07 08:09:10.123", DataHora::De(2024, 3, 7, 8, 9, 10)}, {"14:30", DataHora::Hora(14, 30, 0)},
      {"14:30:15", DataHora::Hora(14, 30, 15)}, {"00:00:00", DataHora()}, {" 01/02/03 ", DataHora::De(2003, 2, 1)},
      {"01/02/95", DataHora::De(1995, 2, 1)},
  };
  for (const auto& c : casos) {
    EXPECT_EQ(CDate(c.texto), c.esperada) << c.texto;
    EXPECT_TRUE(IsDate(c.texto)) << c.texto;
  }
  for (const char* t : {"", "abc", "31/02/2024", "29/02/2023", "12/13/2024", "25:00", "10:60", "2024-13-01",
                        "05/12/2026 10", "05/12/2026x", "2024-03-07X10:00", "1/2", "45000"}) {
    EXPECT_EQ(ErroDe([&] { CDate(t); }), 13) << t;
    EXPECT_FALSE(IsDate(t)) << t;
  }
  // A number is a serial, within years 100 to 9999, but no date text.
  EXPECT_EQ(CDate(45000.5), DataHora(45000.5));
  EXPECT_EQ(CDate(-657434.0), DataHora::De(100, 1, 1));
  EXPECT_FALSE(IsDate(45000.0));
}

TEST_F(Regional_, TextFormOfEachType) {
  const struct { Valor valor; const char* texto; } casos[] = {
      {Currency::DeBruto(12345000), "1234,5"}, {Currency(), "0"}, {Currency::DeBruto(-1), "-0,0001"},
      {1234.5, "1234,5"}, {0.1 + 0.2, "0,3"}, {0.0, "0"}, {-0.0, "0"}, {1e15, "1E+15"},
      {123456789012345.0, "123456789012345"}, {-2.5, "-2,5"}, {int16_t{-7}, "-7"}, {int32_t{123456}, "123456"},
      {int64_t{-9000000000}, "-9000000000"}, {true, "Verdadeiro"}, {false, "Falso"}, {Valor(), ""}, {"Não", "Não"},
      {DataHora::De(2026, 12, 5), "05/12/2026"}, {DataHora::Hora(7, 8, 9), "07:08:09"}, {DataHora(), "00:00:00"},
      {DataHora::De(2026, 12, 5, 23, 0, 1), "05/12/2026 23:00:01"}, {DataHora(45000.0 + 1e-9), "15/03/2023"},
  };
  for (const auto& c : casos) {
    EXPECT_EQ(CStr(c.valor), c.texto);
    EXPECT_EQ(c.valor.Texto(), c.texto);
  }
}

TEST_F(Regional_, DateTextsRoundTrip) {
  for (DataHora d : {DataHora::De(2024, 2, 29), DataHora::De(1900, 3, 1, 0, 0, 1), DataHora::Hora(23, 59, 59),
                     DataHora::De(9999, 12, 31, 23, 59, 59), DataHora::De(1899, 12, 29, 6, 0, 0), DataHora()}) {
    EXPECT_EQ(CDate(CStr(d)), d) << CStr(d);
    EXPECT_EQ(CDate(Format(d, "yyyy-mm-dd") + " " + Format(d, "hh:mm:ss")), d) << CStr(d);
  }
}

TEST_F(Regional_, CDblAndCBool) {
  EXPECT_EQ(CDbl("1.234,5"), 1234.5);
  EXPECT_EQ(CDbl(Currency::DeBruto(1000)), 0.1);
  const struct { Valor valor; bool esperado; } casos[] = {
      {"Verdadeiro", true}, {"true", true}, {"Falso", false}, {"-1", true}, {"0", false},
      {Currency::DeBruto(1), true},
  };
  for (const auto& c : casos) EXPECT_EQ(CBool(c.valor), c.esperado) << CStr(c.valor);
}

}  // namespace
}  // namespace velant
