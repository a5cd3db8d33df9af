#include "content/normalizacao_texto.h"

#include <gtest/gtest.h>

#include "base/erro.h"
#include "base/regional.h"

namespace velant {
namespace {

struct Caso {
  const char* entrada;
  const char* esperado;
};

void PrintTo(const Caso& c, std::ostream* os) { *os << c.entrada; }

class RemoveAcentosTabela : public ::testing::TestWithParam<Caso> {};

TEST_P(RemoveAcentosTabela, TrocaCadaCaractere) {
  EXPECT_EQ(RemoveAcentos(Valor(GetParam().entrada)), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RemoveAcentosTabela,
    ::testing::Values(
        Caso{"S\u00C3O JO\u00C3O D'ALIAN\u00C7A", "SAO JOAO D ALIANCA"},
        Caso{"RUA 7 DE SETEMBRO, N\u00BA 10", "RUA 7 DE SETEMBRO, N\u00BA 10"},
        Caso{"A+B=C", "A B C"},
        Caso{"LINHA1\r\nLINHA2", "LINHA1LINHA2"},
        Caso{"\u00C1\u00C0\u00C3\u00C2\u00C4\u00E1\u00E0\u00E3\u00E2\u00E4", "AAAAAaaaaa"},
        Caso{"\u00C9\u00CA\u00CB\u00C8\u00E9\u00EA\u00EB\u00E8", "EEEEeeee"},
        Caso{"\u00CD\u00CF\u00CC\u00ED\u00EF\u00EC", "IIIiii"},
        Caso{"\u00D3\u00D4\u00D5\u00D6\u00D2\u00F3\u00F4\u00F5\u00F6\u00F2", "OOOOOooooo"},
        Caso{"\u00DA\u00D9\u00DC\u00DB\u00FA\u00F9\u00FC\u00FB", "UUUUuuuu"},
        Caso{"\u00C7\u00E7\u00D1\u00F1", "CcNn"},
        // The whole punctuation set, one blank each.
        Caso{"'!@#$&*()-_+=\u00A7|\\<>:?/\u00B0]}[{\u00AC\u00A2\u00A3\u00B4`~^\u00A8",
             "                                  "},
        // Passes unchanged: circumflex I, stop, comma, semicolon, percent,
        // double quote, ordinals, digits.
        Caso{"\u00CE\u00EE.,;%\"\u00BA\u00AA09az", "\u00CE\u00EE.,;%\"\u00BA\u00AA09az"},
        Caso{"", ""}));

TEST(RemoveAcentos, NuloDaTextoVazio) { EXPECT_EQ(RemoveAcentos(Valor::Nulo()), ""); }

TEST(RemoveAcentos, NumeroViraSeuTexto) {
  DefinirRegional(RegionalPtBR());
  EXPECT_EQ(RemoveAcentos(Valor(Currency::DeTextoInvariante("12.5"))), "12,5");
}

class RetiraAcentosTabela : public ::testing::TestWithParam<Caso> {};

TEST_P(RetiraAcentosTabela, TrocaCadaCaractere) {
  EXPECT_EQ(RetiraAcentos(Valor(GetParam().entrada)), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RetiraAcentosTabela,
    ::testing::Values(
        Caso{"LINHA1\r\nLINHA2", "LINHA1 LINHA2"},
        Caso{"D'\u00C1GUA", "D\u00B4AGUA"},
        Caso{"P\u00E3o \u00E0 vista", "Pao \u00E0 vista"},
        Caso{"\u20AC", "C"},
        Caso{"A\rB", "AB"},
        Caso{"A\nB", "A\nB"},   // a lone line feed stays
        Caso{"\u00C9\u00CA\u00E9\u00EA", "EEee"},
        Caso{"\u00C2\u00C1\u00C3\u00E3\u00E1", "AAAaa"},
        Caso{"\u00C7\u00E7", "Cc"},
        Caso{"\u00D5\u00D3\u00D4\u00F5\u00F3\u00F4", "OOOooo"},
        Caso{"\u00CD\u00ED\u00DA\u00FA", "IiUu"},
        Caso{"\u00A7\u00BA\u00AA", "ooa"},
        // Not in its table: kept.
        Caso{"\u00C0\u00E0\u00E2\u00C4\u00E4\u00C8\u00FC\u00D1\u00F1-+/!", "\u00C0\u00E0\u00E2\u00C4\u00E4\u00C8\u00FC\u00D1\u00F1-+/!"},
        Caso{"", ""}));

TEST(RetiraAcentos, NuloLevantaUsoInvalido) {
  try {
    RetiraAcentos(Valor::Nulo());
    FAIL() << "sem erro";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::UsoInvalidoDeNull);
  }
}

class SomenteNumerosTabela : public ::testing::TestWithParam<Caso> {};

TEST_P(SomenteNumerosTabela, GuardaOsAlgarismos) {
  EXPECT_EQ(SomenteNumeros(Valor(GetParam().entrada)), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(Casos, SomenteNumerosTabela,
                         ::testing::Values(Caso{"12.345-6", "123456"}, Caso{"ISENTO", ""}, Caso{"", ""},
                                           Caso{"3515 0312-3456/78", "35150312345678"},
                                           Caso{"\u00B9\u00B2 9", "9"}));

TEST(SomenteNumeros, NuloLevantaUsoInvalido) {
  EXPECT_THROW(SomenteNumeros(Valor::Nulo()), ErroExecucao);
}

}  // namespace
}  // namespace velant
