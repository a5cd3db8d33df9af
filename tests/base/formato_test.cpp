#include <gtest/gtest.h>

#include "apoio/erro_teste.h"
#include "base/regional.h"

namespace velant {
namespace {

using teste::ErroDe;

const DataHora kTarde = DataHora::De(2026, 12, 5, 15, 4, 9);

TEST(Format, GivesTheRegionalTextRoundingExactHalvesToEven) {
  DefinirRegional(RegionalPtBR());
  const struct { Valor valor; const char* padrao; const char* esperado; } casos[] = {
      {1234.5, "#######0.00", "1234,50"}, {0.5, "#######0.00", "0,50"}, {-3.0, "#######0.00", "-3,00"},
      {1234.5, "###,###,##0.00", "1.234,50"}, {1234567.891, "###,###,##0.00", "1.234.567,89"},
      {-1234567.0, "###,###,##0.00", "-1.234.567,00"}, {12.0, "###,###,##0.00", "12,00"},
      {int32_t{123}, "0000000", "0000123"}, {12345678.0, "0000000", "12345678"},
      {123456789.0, "#######0.00", "123456789,00"}, {12.5, "#######0.000", "12,500"},
      {2.5, "#######0.0000", "2,5000"}, {1e20, "#######0.00", "100000000000000000000,00"},
      {1e20, "###,###,##0.00", "100.000.000.000.000.000.000,00"},
      // exact halves to even, on the decimal value
      {0.125, "#######0.00", "0,12"}, {0.135, "#######0.00", "0,14"}, {0.145, "#######0.00", "0,14"},
      {-0.125, "#######0.00", "-0,12"}, {2.5, "0000000", "0000002"}, {3.5, "0000000", "0000004"},
      {1.0005, "#######0.000", "1,000"}, {1.0015, "#######0.000", "1,002"},
      {Currency::DeBruto(1250), "#######0.00", "0,12"}, {Currency::DeBruto(1350), "#######0.00", "0,14"},
      {Currency::DeBruto(-1), "#######0.00", "0,00"}, {-0.001, "#######0.00", "0,00"},
      {Currency::DeBruto(9223372036854775807), "###,###,##0.00", "922.337.203.685.477,58"},
      {int64_t{-5}, "0000000", "-0000005"}, {true, "#######0.00", "-1,00"},
      // texts are read in the regional settings first
      {"1.234,56", "#######0.00", "1234,56"}, {"2,5", "#######0.0000", "2,5000"}, {"3", "#######0.0000", "3,0000"},
      {"0,125", "#######0.00", "0,12"}, {"abc", "#######0.00", "abc"}, {Valor::Nulo(), "#######0.00", ""},
      {Valor(), "#######0.00", "0,00"},
      // dates and times
      {kTarde, "dd/mm/yyyy", "05/12/2026"}, {kTarde, "mm/dd/yyyy", "12/05/2026"}, {kTarde, "hh:mm:ss", "15:04:09"},
      {kTarde, "HH:mm:ss", "15:04:09"}, {kTarde, "yyyy-mm-dd", "2026-12-05"}, {kTarde, "yyyyMM", "202612"},
      {kTarde, "dd", "05"}, {kTarde, "mm", "12"}, {kTarde, "yyyy", "2026"}, {DataHora(), "hh:mm:ss", "00:00:00"},
      {DataHora(), "dd/mm/yyyy", "30/12/1899"}, {"05/12/2026 15:04:09", "hh:mm:ss", "15:04:09"},
      {"2026-12-05", "mm/dd/yyyy", "12/05/2026"}, {"23:59:58", "HH:mm:ss", "23:59:58"},
      {"00:00:00", "dd/mm/yyyy", "30/12/1899"}, {"não é data", "hh:mm:ss", "não é data"},
      {Valor::Nulo(), "dd/mm/yyyy", ""}, {45000.5, "dd/mm/yyyy", "15/03/2023"}, {45000.5, "hh:mm:ss", "12:00:00"},

  };
  for (const auto& c : casos) EXPECT_EQ(Format(c.valor, c.padrao), c.esperado) << c.padrao;
}

TEST(Format, PatternsOutsideTheListAreRejected) {
  for (const char* p : {"", "0.00", "#,##0.00", "dd/MM/yyyy", "hh:nn:ss", "General Number", "yy"}) {
    EXPECT_EQ(ErroDe([&] { Format(1.0, p); }), 5) << p;
    EXPECT_EQ(ErroDe([&] { Format(Valor::Nulo(), p); }), 5) << p;
  }
}

}  // namespace
}  // namespace velant
