#include "base/texto.h"

#include <gtest/gtest.h>

#include <utility>

#include "apoio/erro_teste.h"

namespace velant {
namespace {

using teste::ErroDe;

const std::string kFrase = "Não foi possível conectar ao serviço da SEFAZ: ação inválida";

TEST(Texto, CutsCountCharactersNotBytes) {
  EXPECT_EQ(Len(kFrase), 60);
  EXPECT_EQ(Len(""), 0);
  EXPECT_EQ(Len("ç€𝄞"), 3);
  EXPECT_EQ(Left(kFrase, 3), "Não");
  EXPECT_EQ(Left(kFrase, 50), "Não foi possível conectar ao serviço da SEFAZ: açã");
  EXPECT_EQ(Left("Não", 2), "Nã");
  EXPECT_EQ(Left("abc", 10), "abc");
  EXPECT_EQ(Right("ação", 3), "ção");
  EXPECT_EQ(Right("ação", 9), "ação");
  EXPECT_EQ(Mid("ação inválida", 6, 3), "inv");
  EXPECT_EQ(Mid("ação", 2), "ção");
  EXPECT_EQ(Mid("ação", 9), "");
  EXPECT_EQ(Mid("ação", 4, 100), "o");
  EXPECT_EQ(Trim("  ação \t "), "ação \t");   // blanks only
  EXPECT_EQ(LTrim("  a "), "a ");
  EXPECT_EQ(RTrim("  a "), "  a");
  EXPECT_EQ(Trim("    "), "");
  EXPECT_EQ(Space(3), "   ");
  EXPECT_EQ(Replace("a'b''c", "'", "''"), "a''b''''c");
  EXPECT_EQ(Replace("ação ação", "ç", "c"), "acão acão");
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
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

TEST(Texto, CaseConvertsAsciiAndLatin1LettersOnly) {
  const std::pair<const char*, const char*> pares[] = {
      {"ação", "AÇÃO"}, {"éêíóôõúü", "ÉÊÍÓÔÕÚÜ"}, {"ñàâäèëìïòöùûý", "ÑÀÂÄÈËÌÏÒÖÙÛÝ"}, {"abc xyz 123", "ABC XYZ 123"},
      {"œšžÿ", "ŒŠŽŸ"}};
  for (const auto& [minusculo, maiusculo] : pares) {
    EXPECT_EQ(UCase(minusculo), maiusculo);
    EXPECT_EQ(LCase(maiusculo), minusculo);
  }
  EXPECT_EQ(UCase("ß µ ÷ º ª € ω"), "ß µ ÷ º ª € ω");
  EXPECT_EQ(LCase("× Ω"), "× Ω");
  EXPECT_EQ(UCase("a\xff\xc3"), "A\xff\xc3");
}

TEST(Texto, InStrPositionsInCharacters) {
  const struct { const char* texto; const char* procura; int64_t inicio, posicao; } casos[] = {
      {"ação-x", "-", 1, 5}, {"ação-x-", "-", 6, 7}, {"abc", "d", 1, 0}, {"abc", "", 2, 2}, {"", "", 1, 0},
      {"abc", "a", 4, 0}, {"ãã", "ã", 2, 2},
  };
  for (const auto& c : casos) EXPECT_EQ(InStr(c.texto, c.procura, c.inicio), c.posicao) << c.texto;
}

TEST(Texto, KeepsUtf8ElseReadsWindows1252) {
  const struct { std::string bytes, utf8; } casos[] = {
      {"Não", "Não"}, {"N\xe3o", "Não"}, {"\x80 10", "€ 10"}, {"\x93x\x94", "“x”"}, {"a\x81z", "a\xc2\x81z"},
      {"\xc3", "Ã"}, {"ação\xe7", "aÃ§Ã£o\xc3\xa7"}, {"\xed\xa0\x80", "í\xc2\xa0€"}, {"\xc0\xaf", "À¯"}, {"", ""},
      {"\xf0\x9d\x84\x9e", "𝄞"}, {"\x9f", "Ÿ"},
  };
  for (const auto& c : casos) {
    const std::string r = ParaUtf8(c.bytes);
    EXPECT_EQ(r, c.utf8);
    EXPECT_TRUE(EUtf8Valido(r)) << r;
  }
}

TEST(Texto, Utf8Validation) {
  EXPECT_TRUE(EUtf8Valido("ação €𝄞"));
  EXPECT_FALSE(EUtf8Valido("\xe2\x82"));          // truncated
  EXPECT_FALSE(EUtf8Valido("\xf4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(EUtf8Valido("\xe0\x80\x80"));      // overlong
  EXPECT_FALSE(EUtf8Valido("\xed\xb0\x80"));      // surrogate
  // Damaged text is cut byte by byte, without crashing.
  const std::string danificado = "ab\xe2\x82";
  EXPECT_EQ(Len(danificado), 4);
  EXPECT_EQ(Left(danificado, 3), "ab\xe2");
  EXPECT_EQ(Mid(danificado, 4), "\x82");
}

TEST(Like, MatchesByCharacters) {
  const struct { const char* texto; const char* padrao; bool casa; } casos[] = {
      {"aBBBa", "a*a", true}, {"F", "[A-Z]", true}, {"F", "[!A-Z]", false}, {"a2a", "a#a", true},
      {"aM5b", "a[L-P]#[!c-e]", true}, {"BAT123khg", "B?T*", true}, {"CAT123khg", "B?T*", false},
      {"ab", "a*b*", true}, {"", "*", true}, {"", "?", false}, {"a", "A", false}, {"ação", "a?ão", true},
      {"ação", "a??o", true}, {"ação", "a?o", false}, {"é", "[à-ü]", true}, {"ç", "[!ç]", false},
      {"a*b", "a[*]b", true}, {"a-b", "a[-]b", true}, {"a?", "a[?]", true}, {"ab", "a[?]", false}, {"#", "[#]", true},
      {"1", "[#]", false}, {"abc", "a[]bc", true}, {"12345678901234", "##############", true},
      {"1234567890123", "##############", false}, {"abcabcabd", "*abc*abd", true}, {"x]", "x]", true},
      {"a!", "a!", true}, {"5", "[!a-z]", true},
  };
  for (const auto& c : casos) EXPECT_EQ(Like(c.texto, c.padrao), c.casa) << c.texto << " Like " << c.padrao;
  // An unclosed bracket or a reversed range is an invalid pattern.
  EXPECT_EQ(ErroDe([] { Like("a", "[a"); }), 93);
  EXPECT_EQ(ErroDe([] { Like("a", "[z-a]"); }), 93);
}

}  // namespace
}  // namespace velant
