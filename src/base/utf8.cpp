#include "base/utf8.h"

namespace velant::utf8 {

namespace {

bool Continuacao(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

size_t SequenciaValida(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const size_t resta = s.size() - i;
  const unsigned char c = b(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return resta >= 2 && Continuacao(b(1)) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (resta < 3 || !Continuacao(b(1)) || !Continuacao(b(2))) return 0;
    if (c == 0xE0 && b(1) < 0xA0) return 0;   // overlong
    if (c == 0xED && b(1) >= 0xA0) return 0;  // surrogates
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (resta < 4 || !Continuacao(b(1)) || !Continuacao(b(2)) || !Continuacao(b(3))) return 0;
    if (c == 0xF0 && b(1) < 0x90) return 0;   // overlong
    if (c == 0xF4 && b(1) >= 0x90) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

char32_t Proximo(std::string_view s, size_t& i) {
  const size_t n = SequenciaValida(s, i);
  const auto b = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k])); };
  char32_t cp;
  switch (n) {
    case 1: cp = b(0); break;
    case 2: cp = ((b(0) & 0x1F) << 6) | (b(1) & 0x3F); break;
    case 3: cp = ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F); break;
    case 4:
      cp = ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
      break;
    default:
      cp = 0xDC00 + b(0);
      i += 1;
      return cp;
  }
  i += n;
  return cp;
}

void Acrescenta(std::string& saida, char32_t cp) {
  if (cp >= 0xDC80 && cp <= 0xDCFF) {
    saida += static_cast<char>(cp - 0xDC00);
  } else if (cp < 0x80) {
    saida += static_cast<char>(cp);
  } else if (cp < 0x800) {
    saida += static_cast<char>(0xC0 | (cp >> 6));
    saida += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    saida += static_cast<char>(0xE0 | (cp >> 12));
    saida += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    saida += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    saida += static_cast<char>(0xF0 | (cp >> 18));
    saida += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    saida += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    saida += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

size_t Deslocamento(std::string_view s, int64_t n) {
  size_t i = 0;
  while (n > 0 && i < s.size()) {
    const size_t tamanho = SequenciaValida(s, i);
    i += tamanho == 0 ? 1 : tamanho;
    --n;
  }
  return i;
}

}  // namespace velant::utf8
