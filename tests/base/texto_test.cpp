#include "base/texto.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <utility>

#include "apoio/erro_teste.h"

namespace velant {
namespace {

using teste::ErroDe;

const std::string kFrase = "Não foi possível conectar ao serviço da SEFAZ: ação inválida";

TEST(Texto, CutsCountCharactersNotBytes) {
  EXPECT_EQ((std::array{Len(kFrase), Len(""), Len("ç€𝄞")}), (std::array<int64_t, 3>{60, 0, 3}));
  const std::pair<std::string, const char*> casos[] = {   // obtained, expected; Trim takes blanks only
      {Left(kFrase, 3), "Não"}, {Left(kFrase, 50), "Não foi possível conectar ao serviço da SEFAZ: açã"},
      {Left("Não", 2), "Nã"}, {Left("abc", 10), "abc"}, {Right("ação", 3), "ção"}, {Right("ação", 9), "ação"},
      {Mid("ação inválida", 6, 3), "inv"}, {Mid("ação", 2), "ção"}, {Mid("ação", 9), ""}, {Mid("ação", 4, 100), "o"},
      {Trim("  ação \t "), "ação \t"}, {LTrim("  a "), "a "}, {RTrim("  a "), "  a"}, {Trim("    "), ""},
      {Space(3), "   "}, {Replace("a'b''c", "'", "''"), "a''b''''c"}, {Replace("ação ação", "ç", "c"), "acão acão"},
      {Replace("abc", "", "x"), "abc"}, {Replace("aaa", "aa", "b"), "ba"}};
  for (size_t i = 0; i < std::size(casos); ++i) EXPECT_EQ(casos[i].first, casos[i].second) << i;
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
  const std::function<void()> chamadas[] = {[] { Left("a", -1); }, [] { Right("a", -1); }, [] { Mid("a", 0); },
                                            [] { Mid("a", 1, -1); }, [] { Space(-1); }, [] { InStr("a", "a", 0); }};
  for (size_t i = 0; i < std::size(chamadas); ++i) EXPECT_EQ(ErroDe(chamadas[i]), 5) << i;
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
  // truncated, beyond U+10FFFF, overlong, surrogate
  for (const char* t : {"\xe2\x82", "\xf4\x90\x80\x80", "\xe0\x80\x80", "\xed\xb0\x80"}) EXPECT_FALSE(EUtf8Valido(t)) << t;
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
