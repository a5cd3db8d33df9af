#include "base/texto.h"
#include "base/utf8.h"

namespace velant {

namespace {

// 0x80..0x9F of Windows-1252. The five unassigned bytes map to the C1
// control of the same number, as the Windows conversion does.
constexpr char16_t kFaixa80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

bool EUtf8Valido(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t n = utf8::SequenciaValida(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string ParaUtf8(std::string_view bytes) {
  if (EUtf8Valido(bytes)) return std::string(bytes);
  std::string saida;
  saida.reserve(bytes.size() + bytes.size() / 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    const char32_t cp = b >= 0x80 && b <= 0x9F ? kFaixa80[b - 0x80] : b;
    utf8::Acrescenta(saida, cp);
  }
  return saida;
}

}  // namespace velant
