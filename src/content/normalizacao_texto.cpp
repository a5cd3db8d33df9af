#include "content/normalizacao_texto.h"

#include <array>
#include <string_view>

#include "base/erro.h"
#include "base/regional.h"
#include "base/utf8.h"

namespace velant {
namespace {

// One replacement per character, or none (the character goes away).
struct Troca {
  std::u32string_view de;
  std::string_view para;
};

// The tables are searched in order and the first row that holds the
// character wins; characters of no row pass unchanged.
constexpr Troca kTabelaRemove[] = {
    {U"\u00C1\u00C0\u00C3\u00C2\u00C4", "A"},
    {U"\u00E1\u00E0\u00E3\u00E2\u00E4", "a"},
    {U"\u00C9\u00CA\u00CB\u00C8", "E"},
    {U"\u00E9\u00EA\u00EB\u00E8", "e"},
    {U"\u00CD\u00CF\u00CC", "I"},
    {U"\u00ED\u00EF\u00EC", "i"},
    {U"\u00D3\u00D4\u00D5\u00D6\u00D2", "O"},
    {U"\u00F3\u00F4\u00F5\u00F6\u00F2", "o"},
    {U"\u00DA\u00D9\u00DC\u00DB", "U"},
    {U"\u00FA\u00F9\u00FC\u00FB", "u"},
    {U"\u00C7", "C"},
    {U"\u00E7", "c"},
    {U"\u00D1", "N"},
    {U"\u00F1", "n"},
    {U"\r\n", ""},
    {U"'!@#$&*()-_+=\u00A7|\\<>:?/\u00B0]}[{\u00AC\u00A2\u00A3\u00B4`~^\u00A8", " "},
};

constexpr Troca kTabelaRetira[] = {
    {U"\u20AC", "C"},
    {U"\r", ""},
    {U"'", "\u00B4"},
    {U"\u00C9\u00CA", "E"},
    {U"\u00C2\u00C1\u00C3", "A"},
    {U"\u00E9\u00EA", "e"},
    {U"\u00E3\u00E1", "a"},
    {U"\u00C7", "C"},
    {U"\u00E7", "c"},
    {U"\u00D5\u00D3\u00D4", "O"},
    {U"\u00F5\u00F3\u00F4", "o"},
    {U"\u00CD", "I"},
    {U"\u00ED", "i"},
    {U"\u00DA", "U"},
    {U"\u00FA", "u"},
    {U"\u00A7\u00BA", "o"},
    {U"\u00AA", "a"},
};

// For each ASCII character, the first row of the table that holds it (or
// none): item names are nearly all ASCII, and each would otherwise be
// looked for in every row.
struct LinhasAscii {
  std::array<const Troca*, 128> linha{};
};

template <size_t N>
LinhasAscii MontaLinhasAscii(const Troca (&tabela)[N]) {
  LinhasAscii m;
  for (char32_t c = 0; c < 128; ++c) {
    for (const Troca& t : tabela) {
      if (t.de.find(c) != std::u32string_view::npos) {
        m.linha[c] = &t;
        break;
      }
    }
  }
  return m;
}

template <size_t N>
std::string Substitui(std::string_view texto, const Troca (&tabela)[N], const LinhasAscii& ascii) {
  std::string saida;
  saida.reserve(texto.size());
  size_t i = 0;
  while (i < texto.size()) {
    const auto byte = static_cast<unsigned char>(texto[i]);
    if (byte < 0x80) {
      if (const Troca* t = ascii.linha[byte]) saida.append(t->para);
      else saida += static_cast<char>(byte);
      ++i;
      continue;
    }
    size_t inicio = i;
    char32_t c = utf8::Proximo(texto, i);
    const Troca* achada = nullptr;
    for (const Troca& t : tabela) {
      if (t.de.find(c) != std::u32string_view::npos) {
        achada = &t;
        break;
      }
    }
    if (achada != nullptr) {
      saida.append(achada->para);
    } else {
      saida.append(texto.substr(inicio, i - inicio));   // byte for byte, damaged bytes included
    }
  }
  return saida;
}

std::string TextoNaoNulo(const Valor& valor) {
  if (valor.ENulo()) Levanta(CodigoErro::UsoInvalidoDeNull);
  return CStr(valor);
}

}  // namespace

std::string RemoveAcentos(const Valor& valor) {
  if (valor.ENulo() || valor.EVazio()) return "";
  static const LinhasAscii ascii = MontaLinhasAscii(kTabelaRemove);
  return Substitui(CStr(valor), kTabelaRemove, ascii);
}

std::string RetiraAcentos(const Valor& valor) {
  std::string texto = TextoNaoNulo(valor);
  std::string juntas;
  juntas.reserve(texto.size());
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') {
      juntas += ' ';
      ++i;
    } else {
      juntas += texto[i];
    }
  }
  static const LinhasAscii ascii = MontaLinhasAscii(kTabelaRetira);
  return Substitui(juntas, kTabelaRetira, ascii);
}

std::string SomenteNumeros(const Valor& valor) {
  std::string texto = TextoNaoNulo(valor);
  std::string digitos;
  for (char c : texto) {
    if (c >= '0' && c <= '9') digitos += c;
  }
  return digitos;
}

}  // namespace velant
