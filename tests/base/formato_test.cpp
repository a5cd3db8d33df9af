#include <gtest/gtest.h>

#include "apoio_base.h"
#include "base/regional.h"

namespace velant {
namespace {

using teste::ErroDe;

struct CasoFormato {
  Valor valor;
  const char* padrao;
  const char* esperado;
};

class FormatTabela : public ::testing::TestWithParam<CasoFormato> {};

TEST_P(FormatTabela, GivesTheRegionalText) {
  DefinirRegional(RegionalPtBR());
  EXPECT_EQ(Format(GetParam().valor, GetParam().padrao), GetParam().esperado);
}

const DataHora kTarde = DataHora::De(2026, 12, 5, 15, 4, 9);

INSTANTIATE_TEST_SUITE_P(
    Numeros, FormatTabela,
    ::testing::Values(
        CasoFormato{1234.5, "#######0.00", "1234,50"}, CasoFormato{0.5, "#######0.00", "0,50"},
        CasoFormato{-3.0, "#######0.00", "-3,00"}, CasoFormato{1234.5, "###,###,##0.00", "1.234,50"},
        CasoFormato{1234567.891, "###,###,##0.00", "1.234.567,89"},
        CasoFormato{-1234567.0, "###,###,##0.00", "-1.234.567,00"},
        CasoFormato{12.0, "###,###,##0.00", "12,00"}, CasoFormato{int32_t{123}, "0000000", "0000123"},
        CasoFormato{12345678.0, "0000000", "12345678"}, CasoFormato{123456789.0, "#######0.00", "123456789,00"},
        CasoFormato{12.5, "#######0.000", "12,500"}, CasoFormato{2.5, "#######0.0000", "2,5000"},
        // exact halves to even, on the decimal value
        CasoFormato{0.125, "#######0.00", "0,12"}, CasoFormato{0.135, "#######0.00", "0,14"},
        CasoFormato{0.145, "#######0.00", "0,14"}, CasoFormato{-0.125, "#######0.00", "-0,12"},
        CasoFormato{2.5, "0000000", "0000002"}, CasoFormato{3.5, "0000000", "0000004"},
        CasoFormato{1.0005, "#######0.000", "1,000"}, CasoFormato{1.0015, "#######0.000", "1,002"},
        CasoFormato{Currency::DeBruto(1250), "#######0.00", "0,12"},
        CasoFormato{Currency::DeBruto(1350), "#######0.00", "0,14"},
        CasoFormato{Currency::DeBruto(-1), "#######0.00", "0,00"},
        CasoFormato{-0.001, "#######0.00", "0,00"},
        CasoFormato{Currency::DeBruto(9223372036854775807), "###,###,##0.00",
                    "922.337.203.685.477,58"},
        CasoFormato{int64_t{-5}, "0000000", "-0000005"}, CasoFormato{true, "#######0.00", "-1,00"},
        // texts are read in the regional settings first
        CasoFormato{"1.234,56", "#######0.00", "1234,56"}, CasoFormato{"2,5", "#######0.0000", "2,5000"},
        CasoFormato{"3", "#######0.0000", "3,0000"}, CasoFormato{"0,125", "#######0.00", "0,12"},
        CasoFormato{"abc", "#######0.00", "abc"}, CasoFormato{Valor::Nulo(), "#######0.00", ""},
        CasoFormato{Valor(), "#######0.00", "0,00"}));

INSTANTIATE_TEST_SUITE_P(
    Datas, FormatTabela,
    ::testing::Values(
        CasoFormato{kTarde, "dd/mm/yyyy", "05/12/2026"}, CasoFormato{kTarde, "mm/dd/yyyy", "12/05/2026"},
        CasoFormato{kTarde, "hh:mm:ss", "15:04:09"}, CasoFormato{kTarde, "HH:mm:ss", "15:04:09"},
        CasoFormato{kTarde, "yyyy-mm-dd", "2026-12-05"}, CasoFormato{kTarde, "yyyyMM", "202612"},
        CasoFormato{kTarde, "dd", "05"}, CasoFormato{kTarde, "mm", "12"},
        CasoFormato{kTarde, "yyyy", "2026"}, CasoFormato{DataHora(), "hh:mm:ss", "00:00:00"},
        CasoFormato{DataHora(), "dd/mm/yyyy", "30/12/1899"},
        CasoFormato{"05/12/2026 15:04:09", "hh:mm:ss", "15:04:09"},
        CasoFormato{"2026-12-05", "mm/dd/yyyy", "12/05/2026"},
        CasoFormato{"23:59:58", "HH:mm:ss", "23:59:58"}, CasoFormato{"00:00:00", "dd/mm/yyyy", "30/12/1899"},
        CasoFormato{"não é data", "hh:mm:ss", "não é data"},
        CasoFormato{Valor::Nulo(), "dd/mm/yyyy", ""}, CasoFormato{45000.5, "dd/mm/yyyy", "15/03/2023"},
        CasoFormato{45000.5, "hh:mm:ss", "12:00:00"}));

TEST(Format, PatternsOutsideTheListAreRejected) {
  for (const char* p : {"", "0.00", "#,##0.00", "dd/MM/yyyy", "hh:nn:ss", "General Number", "yy"}) {
    EXPECT_EQ(ErroDe([&] { Format(1.0, p); }), 5) << p;
    EXPECT_EQ(ErroDe([&] { Format(Valor::Nulo(), p); }), 5) << p;
  }
}

TEST(Format, HugeDoublesKeepAllTheirDigits) {
  EXPECT_EQ(Format(1e20, "#######0.00"), "100000000000000000000,00");
  EXPECT_EQ(Format(1e20, "###,###,##0.00"), "100.000.000.000.000.000.000,00");
}

}  // namespace
}  // namespace velant
