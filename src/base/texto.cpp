#include "base/texto.h"

#include "base/erro.h"
#include "base/utf8.h"

namespace velant {

namespace {

// Windows-1252 letters outside Latin-1 that have a case pair.
struct ParCaixa {
  char32_t maiuscula;
  char32_t minuscula;
};
constexpr ParCaixa kPares1252[] = {
    {0x0160, 0x0161}, {0x0152, 0x0153}, {0x017D, 0x017E}, {0x0178, 0x00FF}};

char32_t Maiuscula(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  for (const auto& p : kPares1252) {
    if (c == p.minuscula) return p.maiuscula;
  }
  return c;
}

char32_t Minuscula(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  for (const auto& p : kPares1252) {
    if (c == p.maiuscula) return p.minuscula;
  }
  return c;
}

template <class Funcao>
std::string Mapeia(std::string_view s, Funcao f) {
  std::string saida;
  saida.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) utf8::Acrescenta(saida, f(utf8::Proximo(s, i)));
  return saida;
}

}  // namespace

int64_t Len(std::string_view s) {
  int64_t n = 0;
  size_t i = 0;
  while (i < s.size()) {
    const size_t tamanho = utf8::SequenciaValida(s, i);
    i += tamanho == 0 ? 1 : tamanho;
    ++n;
  }
  return n;
}

std::string Left(std::string_view s, int64_t n) {
  if (n < 0) Levanta(CodigoErro::ChamadaInvalida);
  return std::string(s.substr(0, utf8::Deslocamento(s, n)));
}

std::string Right(std::string_view s, int64_t n) {
  if (n < 0) Levanta(CodigoErro::ChamadaInvalida);
  const int64_t total = Len(s);
  if (n >= total) return std::string(s);
  return std::string(s.substr(utf8::Deslocamento(s, total - n)));
}

std::string Mid(std::string_view s, int64_t inicio) {
  if (inicio < 1) Levanta(CodigoErro::ChamadaInvalida);
  return std::string(s.substr(utf8::Deslocamento(s, inicio - 1)));
}

std::string Mid(std::string_view s, int64_t inicio, int64_t n) {
  if (inicio < 1 || n < 0) Levanta(CodigoErro::ChamadaInvalida);
  std::string_view resto = s.substr(utf8::Deslocamento(s, inicio - 1));
  return std::string(resto.substr(0, utf8::Deslocamento(resto, n)));
}

std::string LTrim(std::string_view s) {
  const size_t inicio = s.find_first_not_of(' ');
  return inicio == std::string_view::npos ? std::string() : std::string(s.substr(inicio));
}

std::string RTrim(std::string_view s) {
  const size_t fim = s.find_last_not_of(' ');
  return fim == std::string_view::npos ? std::string() : std::string(s.substr(0, fim + 1));
}

std::string Trim(std::string_view s) { return LTrim(RTrim(s)); }

std::string UCase(std::string_view s) { return Mapeia(s, Maiuscula); }
std::string LCase(std::string_view s) { return Mapeia(s, Minuscula); }

int64_t InStr(std::string_view s, std::string_view procura, int64_t inicio) {
  if (inicio < 1) Levanta(CodigoErro::ChamadaInvalida);
  if (s.empty()) return 0;
  const int64_t total = Len(s);
  if (inicio > total) return 0;
  if (procura.empty()) return inicio;
  const size_t deslocamento = utf8::Deslocamento(s, inicio - 1);
  const size_t achado = s.find(procura, deslocamento);
  if (achado == std::string_view::npos) return 0;
  // A match may begin inside a damaged sequence only if procura itself is
  // damaged; counting the characters before it is right either way.
  return Len(s.substr(0, achado)) + 1;
}

std::string Replace(std::string_view s, std::string_view de, std::string_view para) {
  if (de.empty()) return std::string(s);
  std::string saida;
  saida.reserve(s.size());
  size_t i = 0;
  while (true) {
    const size_t achado = s.find(de, i);
    if (achado == std::string_view::npos) break;
    saida.append(s.substr(i, achado - i));
    saida.append(para);
    i = achado + de.size();
  }
  saida.append(s.substr(i));
  return saida;
}

std::string Space(int64_t n) {
  if (n < 0) Levanta(CodigoErro::ChamadaInvalida);
  return std::string(static_cast<size_t>(n), ' ');
}

}  // namespace velant
