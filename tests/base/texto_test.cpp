#include "base/texto.h"

#include <gtest/gtest.h>

#include "apoio_base.h"

namespace velant {
namespace {

using teste::ErroDe;

const std::string kFrase = "Não foi possível conectar ao serviço da SEFAZ: ação inválida";

TEST(Texto, CutsCountCharactersNotBytes) {
  EXPECT_EQ(Len(kFrase), 60);
  EXPECT_EQ(Len(""), 0);
  EXPECT_EQ(Len("ç€𝄞"), 3);
  EXPECT_EQ(Left(kFrase, 3), "Não");
  EXPECT_EQ(Left("Não", 2), "Nã");
  EXPECT_EQ(Left("abc", 10), "abc");
  EXPECT_EQ(Right("ação", 3), "ção");
  EXPECT_EQ(Right("ação", 9), "ação");
  EXPECT_EQ(Mid("ação inválida", 6, 3), "inv");
  EXPECT_EQ(Mid("ação", 2), "ção");
  EXPECT_EQ(Mid("ação", 9), "");
  EXPECT_EQ(Mid("ação", 4, 100), "o");
}

TEST(Texto, FiftyCharacterCutNeverSplitsALetter) {
  // Put an accented letter at every position around the cut.
  for (int antes = 45; antes <= 52; ++antes) {
    const std::string texto = std::string(static_cast<size_t>(antes), 'a') + "ííííí fim";
    const std::string corte = Left(texto, 50);
    EXPECT_EQ(Len(corte), 50);
    EXPECT_TRUE(EUtf8Valido(corte)) << antes;
    EXPECT_EQ(corte + Mid(texto, 51), texto);
  }
}

TEST(Texto, NegativeLengthsAndStartsAreInvalidCalls) {
  EXPECT_EQ(ErroDe([] { Left("a", -1); }), 5);
  EXPECT_EQ(ErroDe([] { Right("a", -1); }), 5);
  EXPECT_EQ(ErroDe([] { Mid("a", 0); }), 5);
  EXPECT_EQ(ErroDe([] { Mid("a", 1, -1); }), 5);
  EXPECT_EQ(ErroDe([] { Space(-1); }), 5);
  EXPECT_EQ(ErroDe([] { InStr("a", "a", 0); }), 5);
}

TEST(Texto, TrimRemovesBlanksOnly) {
  EXPECT_EQ(Trim("  ação \t "), "ação \t");
  EXPECT_EQ(LTrim("  a "), "a ");
  EXPECT_EQ(RTrim("  a "), "  a");
  EXPECT_EQ(Trim("    "), "");
  EXPECT_EQ(Space(3), "   ");
}

struct CasoCaixa {
  const char* minusculo;
  const char* maiusculo;
};

class Caixa : public ::testing::TestWithParam<CasoCaixa> {};

TEST_P(Caixa, ConvertsAsciiAndLatin1Letters) {
  EXPECT_EQ(UCase(GetParam().minusculo), GetParam().maiusculo);
  EXPECT_EQ(LCase(GetParam().maiusculo), GetParam().minusculo);
}

INSTANTIATE_TEST_SUITE_P(Tabela, Caixa,
                         ::testing::Values(CasoCaixa{"ação", "AÇÃO"}, CasoCaixa{"éêíóôõúü", "ÉÊÍÓÔÕÚÜ"},
                                           CasoCaixa{"ñàâäèëìïòöùûý", "ÑÀÂÄÈËÌÏÒÖÙÛÝ"},
                                           CasoCaixa{"abc xyz 123", "ABC XYZ 123"},
                                           CasoCaixa{"œšžÿ", "ŒŠŽŸ"}));

TEST(Texto, CaseLeavesOtherCharactersAlone) {
  EXPECT_EQ(UCase("ß µ ÷ º ª € ω"), "ß µ ÷ º ª € ω");
  EXPECT_EQ(LCase("× Ω"), "× Ω");
  const std::string danificado = "a\xff\xc3";
  EXPECT_EQ(UCase(danificado), "A\xff\xc3");
}

struct CasoInStr {
  const char* texto;
  const char* procura;
  int64_t inicio;
  int64_t posicao;
};

class InStrTabela : public ::testing::TestWithParam<CasoInStr> {};

TEST_P(InStrTabela, PositionsInCharacters) {
  const auto& c = GetParam();
  EXPECT_EQ(InStr(c.texto, c.procura, c.inicio), c.posicao);
}

INSTANTIATE_TEST_SUITE_P(Tabela, InStrTabela,
                         ::testing::Values(CasoInStr{"ação-x", "-", 1, 5}, CasoInStr{"ação-x-", "-", 6, 7},
                                           CasoInStr{"abc", "d", 1, 0}, CasoInStr{"abc", "", 2, 2},
                                           CasoInStr{"", "", 1, 0}, CasoInStr{"abc", "a", 4, 0},
                                           CasoInStr{"ãã", "ã", 2, 2}));

TEST(Texto, ReplaceEveryOccurrence) {
  EXPECT_EQ(Replace("a'b''c", "'", "''"), "a''b''''c");
  EXPECT_EQ(Replace("ação ação", "ç", "c"), "acão acão");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
}

struct CasoCodificacao {
  std::string bytes;
  std::string utf8;
};

class ParaUtf8Tabela : public ::testing::TestWithParam<CasoCodificacao> {};

TEST_P(ParaUtf8Tabela, KeepsUtf8ElseReadsWindows1252) {
  const std::string r = ParaUtf8(GetParam().bytes);
  EXPECT_EQ(r, GetParam().utf8);
  EXPECT_TRUE(EUtf8Valido(r));
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, ParaUtf8Tabela,
    ::testing::Values(CasoCodificacao{"Não", "Não"}, CasoCodificacao{"N\xe3o", "Não"},
                      CasoCodificacao{"\x80 10", "€ 10"}, CasoCodificacao{"\x93x\x94", "“x”"},
                      CasoCodificacao{"a\x81z", "a\xc2\x81z"}, CasoCodificacao{"\xc3", "Ã"},
                      CasoCodificacao{"ação\xe7", "aÃ§Ã£o\xc3\xa7"},
                      CasoCodificacao{"\xed\xa0\x80", "í\xc2\xa0€"},
                      CasoCodificacao{"\xc0\xaf", "À¯"}, CasoCodificacao{"", ""},
                      CasoCodificacao{"\xf0\x9d\x84\x9e", "𝄞"}, CasoCodificacao{"\x9f", "Ÿ"}));

TEST(Texto, Utf8Validation) {
  EXPECT_TRUE(EUtf8Valido("ação €𝄞"));
  EXPECT_FALSE(EUtf8Valido("\xe2\x82"));          // truncated
  EXPECT_FALSE(EUtf8Valido("\xf4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(EUtf8Valido("\xe0\x80\x80"));      // overlong
  EXPECT_FALSE(EUtf8Valido("\xed\xb0\x80"));      // surrogate
}

TEST(Texto, DamagedTextIsCutWithoutCrashing) {
  const std::string danificado = "ab\xe2\x82";
  EXPECT_EQ(Len(danificado), 4);
  EXPECT_EQ(Left(danificado, 3), "ab\xe2");
  EXPECT_EQ(Mid(danificado, 4), "\x82");
}

struct CasoLike {
  const char* texto;
  const char* padrao;
  bool casa;
};

class LikeTabela : public ::testing::TestWithParam<CasoLike> {};

TEST_P(LikeTabela, MatchesByCharacters) {
  const auto& c = GetParam();
  EXPECT_EQ(Like(c.texto, c.padrao), c.casa) << c.texto << " Like " << c.padrao;
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, LikeTabela,
    ::testing::Values(
        CasoLike{"aBBBa", "a*a", true}, CasoLike{"F", "[A-Z]", true}, CasoLike{"F", "[!A-Z]", false},
        CasoLike{"a2a", "a#a", true}, CasoLike{"aM5b", "a[L-P]#[!c-e]", true},
        CasoLike{"BAT123khg", "B?T*", true}, CasoLike{"CAT123khg", "B?T*", false},
        CasoLike{"ab", "a*b*", true}, CasoLike{"", "*", true}, CasoLike{"", "?", false},
        CasoLike{"a", "A", false}, CasoLike{"ação", "a?ão", true}, CasoLike{"ação", "a??o", true},
        CasoLike{"ação", "a?o", false}, CasoLike{"é", "[à-ü]", true}, CasoLike{"ç", "[!ç]", false},
        CasoLike{"a*b", "a[*]b", true}, CasoLike{"a-b", "a[-]b", true},
        CasoLike{"a?", "a[?]", true}, CasoLike{"ab", "a[?]", false}, CasoLike{"#", "[#]", true},
        CasoLike{"1", "[#]", false}, CasoLike{"abc", "a[]bc", true},
        CasoLike{"12345678901234", "##############", true},
        CasoLike{"1234567890123", "##############", false},
        CasoLike{"abcabcabd", "*abc*abd", true}, CasoLike{"x]", "x]", true},
        CasoLike{"a!", "a!", true}, CasoLike{"5", "[!a-z]", true}));

TEST(Like, UnclosedBracketOrReversedRangeIsAnInvalidPattern) {
  EXPECT_EQ(ErroDe([] { Like("a", "[a"); }), 93);
  EXPECT_EQ(ErroDe([] { Like("a", "[z-a]"); }), 93);
}

}  // namespace
}  // namespace velant
