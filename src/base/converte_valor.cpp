#include "base/converte_valor.h"

#include <string>
#include <vector>

#include "base/regional.h"
#include "base/texto.h"

namespace velant {

namespace {

// The characters of a UTF-8 text, each as its bytes.
std::vector<std::string_view> Caracteres(std::string_view texto) {
  std::vector<std::string_view> r;
  r.reserve(texto.size());
  size_t i = 0;
  while (i < texto.size()) {
    size_t n = 1;
    while (i + n < texto.size() && (static_cast<unsigned char>(texto[i + n]) & 0xC0) == 0x80) ++n;
    r.push_back(texto.substr(i, n));
    i += n;
  }
  return r;
}

bool Digito(std::string_view c) { return c.size() == 1 && c[0] >= '0' && c[0] <= '9'; }

}  // namespace

Currency ConverteValor(std::string_view texto) {
  if (texto.empty()) return Currency();
  const bool negativo = texto[0] == '-';

  // Walking from the right, the first non-digit becomes "." and every later
  // one is removed by shifting what stands left of it one place right, a
  // blank entering at the start. After each removal the character that
  // slides into the current place is not tested again, so some separators
  // and signs survive ("R$ 1.234,56" keeps its "$" in front of the number).
  // `deslocamento` counts the removals so far: place i then holds the
  // original character i - deslocamento, or a blank.
  const std::vector<std::string_view> original = Caracteres(texto);
  const int64_t L = static_cast<int64_t>(original.size());
  std::vector<std::string_view> saida(original.size());
  auto Atual = [&](int64_t i, int64_t deslocamento) -> std::string_view {
    const int64_t j = i - deslocamento;
    return j >= 1 ? original[static_cast<size_t>(j - 1)] : std::string_view(" ");
  };
  int64_t deslocamento = 0;
  bool primeiro = true;
  for (int64_t i = L; i >= 1; --i) {
    std::string_view c = Atual(i, deslocamento);
    if (Digito(c)) {
      saida[static_cast<size_t>(i - 1)] = c;
    } else if (primeiro) {
      saida[static_cast<size_t>(i - 1)] = ".";
      primeiro = false;
    } else {
      ++deslocamento;
      saida[static_cast<size_t>(i - 1)] = Atual(i, deslocamento);
    }
  }
  std::string resultado;
  resultado.reserve(texto.size());
  for (std::string_view c : saida) resultado.append(c);

  Currency valor = Currency::DeDouble(Val(Trim(resultado)));
  return negativo ? -valor : valor;
}

}  // namespace velant
