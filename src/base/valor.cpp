#include "base/valor.h"

#include <optional>

#include "base/decimal.h"
#include "base/erro.h"
#include "base/leitura.h"
#include "base/regional.h"

namespace velant {

Valor Valor::Nulo() {
  Valor v;
  v.v_ = NuloTag{};
  return v;
}

TipoValor Valor::Tipo() const {
  switch (v_.index()) {
    case 0: return TipoValor::Vazio;
    case 1: return TipoValor::Nulo;
    case 2: return TipoValor::Texto;
    case 3: return TipoValor::Moeda;
    case 4: return TipoValor::Inteiro16;
    case 5: return TipoValor::Inteiro32;
    case 6: return TipoValor::Inteiro64;
    case 7: return TipoValor::Duplo;
    case 8: return TipoValor::Data;
    default: return TipoValor::Booleano;
  }
}

bool Valor::ENumerico() const {
  switch (Tipo()) {
    case TipoValor::Moeda:
    case TipoValor::Inteiro16:
    case TipoValor::Inteiro32:
    case TipoValor::Inteiro64:
    case TipoValor::Duplo: return true;
    default: return false;
  }
}

const std::string& Valor::ComoTexto() const {
  if (auto t = std::get_if<std::string>(&v_)) return *t;
  Levanta(CodigoErro::TiposIncompativeis);
}

std::string Valor::Texto() const { return CStr(*this); }

namespace {

// -1, 0, 1 as a is less than, equal to or greater than b; nullopt when the
// two cannot be compared (a text that is not a number against a number).
using Ordem = std::optional<int>;

int ComparaModulos(const decimal::Numero& a, const decimal::Numero& b) {
  if (a.Zero() || b.Zero()) return a.Zero() == b.Zero() ? 0 : (a.Zero() ? -1 : 1);
  // Position of the leading digit decides first.
  const int64_t ordemA = a.expoente + static_cast<int64_t>(a.digitos.size());
  const int64_t ordemB = b.expoente + static_cast<int64_t>(b.digitos.size());
  if (ordemA != ordemB) return ordemA < ordemB ? -1 : 1;
  const int c = a.digitos.compare(b.digitos);  // equal lengths up front, then the longer is larger
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int ComparaNumeros(const decimal::Numero& a, const decimal::Numero& b) {
  const int sinalA = a.Zero() ? 0 : (a.negativo ? -1 : 1);
  const int sinalB = b.Zero() ? 0 : (b.negativo ? -1 : 1);
  if (sinalA != sinalB) return sinalA < sinalB ? -1 : 1;
  const int modulos = ComparaModulos(a, b);
  return sinalA < 0 ? -modulos : modulos;
}

int ComparaTextos(const std::string& a, const std::string& b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

decimal::Numero NumeroDoValor(const Valor& v) {
  if (auto c = AcessoValor::Se<Currency>(v)) return decimal::DeEscalado(c->Bruto(), 4);
  if (auto i = AcessoValor::Se<int16_t>(v)) return decimal::DeInteiro(*i);
  if (auto i = AcessoValor::Se<int32_t>(v)) return decimal::DeInteiro(*i);
  if (auto i = AcessoValor::Se<int64_t>(v)) return decimal::DeInteiro(*i);
  if (auto d = AcessoValor::Se<double>(v)) return decimal::DeDouble(*d);
  if (auto d = AcessoValor::Se<DataHora>(v)) return decimal::DeDouble(d->Serial());
  if (auto b = AcessoValor::Se<bool>(v)) return decimal::DeInteiro(*b ? -1 : 0);
  return {};  // Empty
}

// A text on the left of a number: read as a number (or as a date against a date).
Ordem TextoContraNumero(const std::string& texto, const Valor& numero) {
  const auto& r = Regional();
  if (AcessoValor::Se<DataHora>(numero)) {
    if (auto d = leitura::DataRegional(texto, r)) {
      return ComparaNumeros(decimal::DeDouble(d->Serial()), NumeroDoValor(numero));
    }
  }
  std::optional<decimal::Numero> n;
  try {
    n = leitura::NumeroRegional(texto, r);
  } catch (const ErroExecucao&) {
    return std::nullopt;
  }
  if (!n) return std::nullopt;
  return ComparaNumeros(*n, NumeroDoValor(numero));
}

Ordem Compara(const Valor& a, const Valor& b) {
  const auto ta = AcessoValor::Se<std::string>(a);
  const auto tb = AcessoValor::Se<std::string>(b);
  if (ta && tb) return ComparaTextos(*ta, *tb);
  if (ta) return b.EVazio() ? ComparaTextos(*ta, "") : TextoContraNumero(*ta, b);
  if (tb) return ComparaTextos(a.EVazio() ? std::string() : CStr(a), *tb);
  return ComparaNumeros(NumeroDoValor(a), NumeroDoValor(b));
}

template <class Teste>
bool Avalia(const Valor& a, const Valor& b, bool seIncomparavel, Teste teste) {
  if (a.ENulo() || b.ENulo()) return false;
  const Ordem o = Compara(a, b);
  if (!o) return seIncomparavel;
  return teste(*o);
}

}  // namespace

bool Igual(const Valor& a, const Valor& b) {
  return Avalia(a, b, false, [](int o) { return o == 0; });
}
bool Diferente(const Valor& a, const Valor& b) {
  return Avalia(a, b, true, [](int o) { return o != 0; });
}
bool Menor(const Valor& a, const Valor& b) {
  return Avalia(a, b, false, [](int o) { return o < 0; });
}
bool MenorOuIgual(const Valor& a, const Valor& b) {
  return Avalia(a, b, false, [](int o) { return o <= 0; });
}
bool Maior(const Valor& a, const Valor& b) {
  return Avalia(a, b, false, [](int o) { return o > 0; });
}
bool MaiorOuIgual(const Valor& a, const Valor& b) {
  return Avalia(a, b, false, [](int o) { return o >= 0; });
}

}  // namespace velant
