#include "base/decimal.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/erro.h"

namespace velant::decimal {

namespace {

void Normaliza(Numero& n) {
  size_t inicio = n.digitos.find_first_not_of('0');
  if (inicio == std::string::npos) {
    n.digitos.clear();
    n.expoente = 0;
    n.negativo = false;
    return;
  }
  n.digitos.erase(0, inicio);
  size_t fim = n.digitos.find_last_not_of('0');
  n.expoente += static_cast<int64_t>(n.digitos.size() - fim - 1);
  n.digitos.resize(fim + 1);
}

bool EDigito(char c) { return c >= '0' && c <= '9'; }

// Adds one to a digit string in place.
void SomaUm(std::string& d) {
  for (size_t i = d.size(); i-- > 0;) {
    if (d[i] != '9') {
      ++d[i];
      return;
    }
    d[i] = '0';
  }
  d.insert(d.begin(), '1');
}

}  // namespace

Numero DeInteiro(int64_t valor) { return DeEscalado(valor, 0); }

Numero DeEscalado(int64_t bruto, int casas) {
  Numero n;
  n.negativo = bruto < 0;
  // The magnitude of INT64_MIN does not fit in int64_t.
  uint64_t modulo = n.negativo ? 0 - static_cast<uint64_t>(bruto) : static_cast<uint64_t>(bruto);
  n.digitos = std::to_string(modulo);
  n.expoente = -casas;
  Normaliza(n);
  return n;
}

Numero DeDouble(double valor) {
  if (!std::isfinite(valor)) Levanta(CodigoErro::Estouro);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, valor, std::chars_format::scientific);
  auto lido = Ler(std::string_view(buf, static_cast<size_t>(r.ptr - buf)), '.');
  return lido ? *lido : Numero{};
}

std::optional<Numero> Ler(std::string_view t, char separadorDecimal) {
  Numero n;
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    n.negativo = t[i] == '-';
    ++i;
  }
  size_t qtdDigitos = 0;
  while (i < t.size() && EDigito(t[i])) {
    n.digitos += t[i++];
    ++qtdDigitos;
  }
  if (i < t.size() && t[i] == separadorDecimal) {
    ++i;
    while (i < t.size() && EDigito(t[i])) {
      n.digitos += t[i++];
      --n.expoente;
      ++qtdDigitos;
    }
  }
  if (qtdDigitos == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    bool expNegativo = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
      expNegativo = t[i] == '-';
      ++i;
    }
    if (i >= t.size() || !EDigito(t[i])) return std::nullopt;
    int64_t e = 0;
    while (i < t.size() && EDigito(t[i])) {
      if (e < 1000000) e = e * 10 + (t[i] - '0');
      ++i;
    }
    n.expoente += expNegativo ? -e : e;
  }
  if (i != t.size()) return std::nullopt;
  Normaliza(n);
  return n;
}

std::optional<std::string> Escalado(const Numero& n, int casas, size_t maxDigitos) {
  if (n.Zero()) return std::string();
  const int64_t deslocamento = n.expoente + casas;
  const int64_t tamanho = static_cast<int64_t>(n.digitos.size());
  if (deslocamento >= 0) {
    if (tamanho + deslocamento > static_cast<int64_t>(maxDigitos)) return std::nullopt;
    return n.digitos + std::string(static_cast<size_t>(deslocamento), '0');
  }
  const int64_t cortados = -deslocamento;
  if (cortados > tamanho) return std::string();  // below half a unit
  std::string mantidos = n.digitos.substr(0, static_cast<size_t>(tamanho - cortados));
  std::string_view resto(n.digitos.data() + mantidos.size(), static_cast<size_t>(cortados));
  // resto has no trailing zeros (normalised), so it is a tie only when it is "5".
  bool sobe;
  if (resto[0] > '5') {
    sobe = true;
  } else if (resto[0] < '5') {
    sobe = false;
  } else if (resto.size() > 1) {
    sobe = true;
  } else {
    const int ultimo = mantidos.empty() ? 0 : mantidos.back() - '0';
    sobe = ultimo % 2 == 1;
  }
  if (sobe) SomaUm(mantidos);
  size_t inicio = mantidos.find_first_not_of('0');
  mantidos.erase(0, inicio == std::string::npos ? mantidos.size() : inicio);
  if (mantidos.size() > maxDigitos) return std::nullopt;
  return mantidos;
}

namespace {

std::optional<int64_t> EscaladoNoIntervalo(const Numero& n, int casas, int64_t minimo,
                                           int64_t maximo) {
  auto d = Escalado(n, casas, 30);
  if (!d) return std::nullopt;
  if (d->size() > 20) return std::nullopt;
  unsigned __int128 modulo = 0;
  for (char c : *d) modulo = modulo * 10 + static_cast<unsigned>(c - '0');
  __int128 valor = n.negativo ? -static_cast<__int128>(modulo) : static_cast<__int128>(modulo);
  if (valor < minimo || valor > maximo) return std::nullopt;
  return static_cast<int64_t>(valor);
}

}  // namespace

std::optional<int64_t> ParaInteiro(const Numero& n, int64_t minimo, int64_t maximo) {
  return EscaladoNoIntervalo(n, 0, minimo, maximo);
}

std::optional<int64_t> ParaEscalado4(const Numero& n) {
  return EscaladoNoIntervalo(n, 4, std::numeric_limits<int64_t>::min(),
                             std::numeric_limits<int64_t>::max());
}

std::optional<double> ParaDouble(const Numero& n) {
  if (n.Zero()) return 0.0;
  if (n.expoente + static_cast<int64_t>(n.digitos.size()) > 400) return std::nullopt;
  if (n.expoente + static_cast<int64_t>(n.digitos.size()) < -400) return 0.0;
  std::string texto = (n.negativo ? "-" : "") + n.digitos + "e" + std::to_string(n.expoente);
  double valor = 0;
  auto r = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
  if (r.ec == std::errc::result_out_of_range) {
    // from_chars reports underflow the same way; only overflow is an error.
    if (n.expoente < 0) return 0.0;
    return std::nullopt;
  }
  if (!std::isfinite(valor)) return std::nullopt;
  return valor;
}

}  // namespace velant::decimal
