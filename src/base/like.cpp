#include <vector>

#include "base/erro.h"
#include "base/texto.h"
#include "base/utf8.h"

namespace velant {

namespace {

constexpr int kPadraoInvalido = 93;

struct Faixa {
  char32_t de;
  char32_t ate;
};

struct Elemento {
  enum class Tipo { Literal, Qualquer, Um, Digito, Conjunto };
  Tipo tipo;
  char32_t literal = 0;
  std::vector<Faixa> faixas;  // Conjunto
  bool negado = false;

  explicit Elemento(Tipo t, char32_t l = 0) : tipo(t), literal(l) {}

  bool Aceita(char32_t c) const {
    switch (tipo) {
      case Tipo::Literal: return c == literal;
      case Tipo::Um: return true;
      case Tipo::Digito: return c >= '0' && c <= '9';
      case Tipo::Conjunto: {
        bool dentro = false;
        for (const auto& f : faixas) {
          if (c >= f.de && c <= f.ate) dentro = true;
        }
        return dentro != negado;
      }
      case Tipo::Qualquer: return true;
    }
    return false;
  }
};

std::vector<char32_t> Caracteres(std::string_view s) {
  std::vector<char32_t> cs;
  cs.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) cs.push_back(utf8::Proximo(s, i));
  return cs;
}

[[noreturn]] void PadraoInvalido() {
  throw ErroExecucao(kPadraoInvalido, "Cadeia de caracteres padrão inválida");
}

std::vector<Elemento> Compila(std::string_view padrao) {
  const std::vector<char32_t> p = Caracteres(padrao);
  std::vector<Elemento> elementos;
  for (size_t i = 0; i < p.size(); ++i) {
    const char32_t c = p[i];
    if (c == '*') {
      // Consecutive stars match the same as one.
      if (elementos.empty() || elementos.back().tipo != Elemento::Tipo::Qualquer) {
        elementos.emplace_back(Elemento::Tipo::Qualquer);
      }
    } else if (c == '?') {
      elementos.emplace_back(Elemento::Tipo::Um);
    } else if (c == '#') {
      elementos.emplace_back(Elemento::Tipo::Digito);
    } else if (c == '[') {
      Elemento e(Elemento::Tipo::Conjunto);
      size_t j = i + 1;
      if (j < p.size() && p[j] == '!') {
        e.negado = true;
        ++j;
      }
      const size_t inicioLista = j;
      while (j < p.size() && p[j] != ']') {
        const char32_t de = p[j];
        if (de == '-' && j == inicioLista) {
          e.faixas.push_back({de, de});
          ++j;
        } else if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
          const char32_t ate = p[j + 2];
          if (ate < de) PadraoInvalido();
          e.faixas.push_back({de, ate});
          j += 3;
        } else {
          e.faixas.push_back({de, de});
          ++j;
        }
      }
      if (j >= p.size()) PadraoInvalido();
      i = j;
      // "[]" stands for nothing at all; "[!]" for any one character.
      if (e.faixas.empty() && !e.negado) continue;
      elementos.push_back(std::move(e));
    } else {
      elementos.emplace_back(Elemento::Tipo::Literal, c);
    }
  }
  return elementos;
}

}  // namespace

bool Like(std::string_view texto, std::string_view padrao) {
  const std::vector<Elemento> p = Compila(padrao);
  const std::vector<char32_t> t = Caracteres(texto);
  // Single-character elements only, so one backtrack point (the last star) suffices.
  size_t it = 0, ip = 0;
  size_t estrela = SIZE_MAX, retorno = 0;
  while (it < t.size()) {
    if (ip < p.size() && p[ip].tipo == Elemento::Tipo::Qualquer) {
      estrela = ip++;
      retorno = it;
    } else if (ip < p.size() && p[ip].Aceita(t[it])) {
      ++ip;
      ++it;
    } else if (estrela != SIZE_MAX) {
      ip = estrela + 1;
      it = ++retorno;
    } else {
      return false;
    }
  }
  while (ip < p.size() && p[ip].tipo == Elemento::Tipo::Qualquer) ++ip;
  return ip == p.size();
}

}  // namespace velant
