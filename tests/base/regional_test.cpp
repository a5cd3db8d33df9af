#include "base/regional.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "apoio_base.h"

namespace velant {
namespace {

using teste::ErroDe;

// Every test here starts and ends under pt-BR, whatever another test set.
class Regional_ : public ::testing::Test {
 protected:
  void SetUp() override { DefinirRegional(RegionalPtBR()); }
  void TearDown() override { DefinirRegional(RegionalPtBR()); }
};

struct CasoInteiro {
  Valor valor;
  int64_t esperado;
};

class CIntTabela : public ::testing::TestWithParam<CasoInteiro> {};

TEST_P(CIntTabela, RoundsHalfToEvenInTheRegionalFormat) {
  DefinirRegional(RegionalPtBR());
  EXPECT_EQ(CInt(GetParam().valor), GetParam().esperado);
  EXPECT_EQ(CLng(GetParam().valor), GetParam().esperado);
  EXPECT_EQ(CLngLng(GetParam().valor), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, CIntTabela,
    ::testing::Values(CasoInteiro{"2,5", 2}, CasoInteiro{"3,5", 4}, CasoInteiro{"-2,5", -2},
                      CasoInteiro{"-3,5", -4}, CasoInteiro{"2,51", 3}, CasoInteiro{"0,5", 0},
                      CasoInteiro{"1,5", 2}, CasoInteiro{" 12 ", 12}, CasoInteiro{"1.234", 1234},
                      CasoInteiro{"+7", 7}, CasoInteiro{"1E3", 1000}, CasoInteiro{"&HFF", 255},
                      CasoInteiro{"&HFFFF", -1}, CasoInteiro{2.5, 2}, CasoInteiro{3.5, 4},
                      CasoInteiro{-0.5, 0}, CasoInteiro{Currency::DeBruto(25000), 2},
                      CasoInteiro{Currency::DeBruto(35000), 4}, CasoInteiro{true, -1},
                      CasoInteiro{false, 0}, CasoInteiro{Valor(), 0},
                      CasoInteiro{int16_t{-32768}, -32768}, CasoInteiro{int64_t{32767}, 32767}));

TEST_F(Regional_, WholeNumberConversionsRaiseTypedErrors) {
  EXPECT_EQ(ErroDe([] { CInt(Valor::Nulo()); }), 94);
  EXPECT_EQ(ErroDe([] { CLng(Valor::Nulo()); }), 94);
  for (const char* t : {"", "abc", "R$ 5", "12x", "1 2", "1..2", ",", "--1"}) {
    EXPECT_EQ(ErroDe([&] { CInt(t); }), 13) << t;
    EXPECT_EQ(ErroDe([&] { CLng(t); }), 13) << t;
  }
  EXPECT_EQ(ErroDe([] { CInt("32767,5"); }), 6);  // rounds to 32768
  EXPECT_EQ(CInt("-32768,5"), -32768);
  EXPECT_EQ(ErroDe([] { CInt("-32769"); }), 6);
  EXPECT_EQ(CInt("32766,5"), 32766);
  EXPECT_EQ(ErroDe([] { CInt(int32_t{40000}); }), 6);
  EXPECT_EQ(ErroDe([] { CLng("2147483647,5"); }), 6);
  EXPECT_EQ(CLng("2147483646,5"), 2147483646);
  EXPECT_EQ(ErroDe([] { CLng(1e10); }), 6);
  EXPECT_EQ(ErroDe([] { CLngLng(1e19); }), 6);
}

struct CasoMoeda {
  Valor valor;
  int64_t bruto;
};

class CCurTabela : public ::testing::TestWithParam<CasoMoeda> {};

TEST_P(CCurTabela, ReadsTheRegionalFormatAndRoundsHalfToEven) {
  DefinirRegional(RegionalPtBR());
  EXPECT_EQ(CCur(GetParam().valor).Bruto(), GetParam().bruto);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, CCurTabela,
    ::testing::Values(CasoMoeda{"1.234,56", 12345600}, CasoMoeda{"1234,56", 12345600},
                      CasoMoeda{"-12,5", -125000}, CasoMoeda{"0,00005", 0},
                      CasoMoeda{"0,00015", 2}, CasoMoeda{"1.234.567,8", 12345678000},
                      CasoMoeda{"2.5", 250000},  // the dot groups thousands here
                      CasoMoeda{" 10 ", 100000}, CasoMoeda{0.125, 1250},
                      CasoMoeda{0.00005, 0}, CasoMoeda{int32_t{-3}, -30000},
                      CasoMoeda{Valor(), 0}));

TEST_F(Regional_, CurrencyConversionErrors) {
  EXPECT_EQ(ErroDe([] { CCur(Valor::Nulo()); }), 94);
  EXPECT_EQ(ErroDe([] { CCur("R$ 1,00"); }), 13);
  EXPECT_EQ(ErroDe([] { CCur(""); }), 13);
  EXPECT_EQ(ErroDe([] { CCur("1.000.000.000.000.000"); }), 6);
  EXPECT_EQ(ErroDe([] { CCur(1e300); }), 6);
}

struct CasoVal {
  const char* texto;
  double esperado;
};

class ValTabela : public ::testing::TestWithParam<CasoVal> {};

TEST_P(ValTabela, ReadsTheLeadingDotDecimalNumber) {
  EXPECT_EQ(Val(GetParam().texto), GetParam().esperado) << GetParam().texto;
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, ValTabela,
    ::testing::Values(CasoVal{"1 2.5x", 12.5}, CasoVal{"", 0}, CasoVal{"abc", 0},
                      CasoVal{"  -3.25", -3.25}, CasoVal{"1\t2\n3", 123}, CasoVal{"1,5", 1},
                      CasoVal{"1.2.3", 1.2}, CasoVal{".5", 0.5}, CasoVal{"-", 0},
                      CasoVal{"1e3", 1000}, CasoVal{"1e", 1}, CasoVal{"2D2", 200},
                      CasoVal{"&HFF", 255}, CasoVal{"&O17", 15}, CasoVal{"&HFFFF", -1},
                      CasoVal{"12\r3", 12}, CasoVal{"R$ 5", 0}, CasoVal{"007", 7}));

struct CasoVal16 {
  const char* texto;
  int16_t esperado;
};

class Val16Tabela : public ::testing::TestWithParam<CasoVal16> {};

TEST_P(Val16Tabela, RoundsHalfToEven) { EXPECT_EQ(Val16(GetParam().texto), GetParam().esperado); }

INSTANTIATE_TEST_SUITE_P(Tabela, Val16Tabela,
                         ::testing::Values(CasoVal16{"2.5", 2}, CasoVal16{"3.5", 4},
                                           CasoVal16{"-2.5", -2}, CasoVal16{"0.5", 0},
                                           CasoVal16{"1.5", 2}, CasoVal16{"2.500001", 3},
                                           CasoVal16{"", 0}, CasoVal16{"SIM", 0},
                                           CasoVal16{"1 5", 15}, CasoVal16{"32767.4", 32767},
                                           CasoVal16{"-32768", -32768}));

TEST(Val16, OverflowsOutside16Bits) {
  EXPECT_EQ(ErroDe([] { Val16("32767.5"); }), 6);
  EXPECT_EQ(ErroDe([] { Val16("40000"); }), 6);
  EXPECT_EQ(ErroDe([] { Val16("-32768.6"); }), 6);
  EXPECT_EQ(ErroDe([] { Val("1e400"); }), 6);
}

struct CasoNumerico {
  Valor valor;
  bool numerico;
};

class IsNumericTabela : public ::testing::TestWithParam<CasoNumerico> {};

TEST_P(IsNumericTabela, FollowsTheRegionalSettings) {
  DefinirRegional(RegionalPtBR());
  EXPECT_EQ(IsNumeric(GetParam().valor), GetParam().numerico);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, IsNumericTabela,
    ::testing::Values(CasoNumerico{"1.234,56", true}, CasoNumerico{"R$ 5", false},
                      CasoNumerico{"", false}, CasoNumerico{" 12 ", true},
                      CasoNumerico{"2,5", true}, CasoNumerico{"-3", true},
                      CasoNumerico{"abc", false}, CasoNumerico{"1,2,3", false},
                      CasoNumerico{"12/05/2024", false}, CasoNumerico{Valor::Nulo(), false},
                      CasoNumerico{Valor(), false}, CasoNumerico{3.5, true},
                      CasoNumerico{Currency(), true}, CasoNumerico{true, true},
                      CasoNumerico{DataHora::De(2024, 1, 1), false},
                      CasoNumerico{"&H1FFFFFFFF", false}));

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

struct CasoData {
  const char* texto;
  DataHora esperada;
};

class CDateTabela : public ::testing::TestWithParam<CasoData> {};

TEST_P(CDateTabela, ReadsRegionalAndIsoForms) {
  DefinirRegional(RegionalPtBR());
  EXPECT_EQ(CDate(GetParam().texto), GetParam().esperada) << GetParam().texto;
  EXPECT_TRUE(IsDate(GetParam().texto));
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, CDateTabela,
    ::testing::Values(CasoData{"05/12/2026", DataHora::De(2026, 12, 5)},
                      CasoData{"5/1/2024", DataHora::De(2024, 1, 5)},
                      CasoData{"29/02/2024 13:45", DataHora::De(2024, 2, 29, 13, 45, 0)},
                      CasoData{"31/12/1999 23:59:59", DataHora::De(1999, 12, 31, 23, 59, 59)},
                      CasoData{"2024-03-07", DataHora::De(2024, 3, 7)},
                      CasoData{"2024-03-07T08:09:10", DataHora::De(2024, 3, 7, 8, 9, 10)},
                      CasoData{"2024-03-07 08:09:10.123", DataHora::De(2024, 3, 7, 8, 9, 10)},
                      CasoData{"14:30", DataHora::Hora(14, 30, 0)},
                      CasoData{"14:30:15", DataHora::Hora(14, 30, 15)},
                      CasoData{"00:00:00", DataHora()}, CasoData{" 01/02/03 ", DataHora::De(2003, 2, 1)},
                      CasoData{"01/02/95", DataHora::De(1995, 2, 1)}));

TEST_F(Regional_, TextsThatAreNotDatesAreATypeMismatch) {
  for (const char* t : {"", "abc", "31/02/2024", "29/02/2023", "12/13/2024", "25:00",
                        "10:60", "2024-13-01", "05/12/2026 10", "05/12/2026x", "2024-03-07X10:00",
                        "1/2", "45000"}) {
    EXPECT_EQ(ErroDe([&] { CDate(t); }), 13) << t;
    EXPECT_FALSE(IsDate(t)) << t;
  }
  EXPECT_EQ(ErroDe([] { CDate(Valor::Nulo()); }), 94);
  EXPECT_EQ(CDate(45000.5), DataHora(45000.5));
  EXPECT_FALSE(IsDate(45000.0));
  EXPECT_EQ(CDate(-657434.0), DataHora::De(100, 1, 1));
  EXPECT_EQ(ErroDe([] { CDate(-657435.0); }), 6);
  EXPECT_EQ(ErroDe([] { CDate(2958466.0); }), 6);
  EXPECT_EQ(ErroDe([] { CDate(1e300); }), 6);
}

struct CasoTexto {
  Valor valor;
  const char* texto;
};

class CStrTabela : public ::testing::TestWithParam<CasoTexto> {};

TEST_P(CStrTabela, GivesTheRegionalTextForm) {
  DefinirRegional(RegionalPtBR());
  EXPECT_EQ(CStr(GetParam().valor), GetParam().texto);
  EXPECT_EQ(GetParam().valor.Texto(), GetParam().texto);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, CStrTabela,
    ::testing::Values(
        CasoTexto{Currency::DeBruto(12345000), "1234,5"}, CasoTexto{Currency(), "0"},
        CasoTexto{Currency::DeBruto(-1), "-0,0001"}, CasoTexto{1234.5, "1234,5"},
        CasoTexto{0.1 + 0.2, "0,3"}, CasoTexto{0.0, "0"}, CasoTexto{-0.0, "0"},
        CasoTexto{1e15, "1E+15"}, CasoTexto{123456789012345.0, "123456789012345"},
        CasoTexto{-2.5, "-2,5"}, CasoTexto{int16_t{-7}, "-7"}, CasoTexto{int32_t{123456}, "123456"},
        CasoTexto{int64_t{-9000000000}, "-9000000000"}, CasoTexto{true, "Verdadeiro"},
        CasoTexto{false, "Falso"}, CasoTexto{Valor(), ""}, CasoTexto{"Não", "Não"},
        CasoTexto{DataHora::De(2026, 12, 5), "05/12/2026"},
        CasoTexto{DataHora::Hora(7, 8, 9), "07:08:09"}, CasoTexto{DataHora(), "00:00:00"},
        CasoTexto{DataHora::De(2026, 12, 5, 23, 0, 1), "05/12/2026 23:00:01"},
        CasoTexto{DataHora(45000.0 + 1e-9), "15/03/2023"}));

TEST_F(Regional_, CStrOfNullIsInvalidUseOfNull) {
  EXPECT_EQ(ErroDe([] { CStr(Valor::Nulo()); }), 94);
  EXPECT_EQ(ErroDe([] { Valor::Nulo().Texto(); }), 94);
}

TEST_F(Regional_, DateTextsRoundTrip) {
  const DataHora datas[] = {DataHora::De(2024, 2, 29), DataHora::De(1900, 3, 1, 0, 0, 1),
                            DataHora::De(9999, 12, 31, 23, 59, 59), DataHora::Hora(23, 59, 59),
                            DataHora::De(1899, 12, 29, 6, 0, 0), DataHora()};
  for (DataHora d : datas) {
    EXPECT_EQ(CDate(CStr(d)), d) << CStr(d);
    EXPECT_EQ(CDate(Format(d, "yyyy-mm-dd") + " " + Format(d, "hh:mm:ss")), d) << CStr(d);
  }
}

TEST_F(Regional_, CDblAndCBool) {
  EXPECT_EQ(CDbl("1.234,5"), 1234.5);
  EXPECT_EQ(CDbl(Currency::DeBruto(1000)), 0.1);
  EXPECT_EQ(ErroDe([] { CDbl("x"); }), 13);
  EXPECT_TRUE(CBool("Verdadeiro"));
  EXPECT_TRUE(CBool("true"));
  EXPECT_FALSE(CBool("Falso"));
  EXPECT_TRUE(CBool("-1"));
  EXPECT_FALSE(CBool("0"));
  EXPECT_TRUE(CBool(Currency::DeBruto(1)));
  EXPECT_EQ(ErroDe([] { CBool("SIM"); }), 13);
  EXPECT_EQ(ErroDe([] { CBool(Valor::Nulo()); }), 94);
}

}  // namespace
}  // namespace velant
