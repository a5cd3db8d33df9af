#include "base/currency.h"

#include <limits>

#include "base/decimal.h"
#include "base/erro.h"

namespace velant {

namespace {

constexpr int64_t kMaximo = std::numeric_limits<int64_t>::max();
constexpr int64_t kMinimo = std::numeric_limits<int64_t>::min();

Currency DeInt128(__int128 bruto) {
  if (bruto > kMaximo || bruto < kMinimo) Levanta(CodigoErro::Estouro);
  return Currency::DeBruto(static_cast<int64_t>(bruto));
}

// numerador / divisor rounded half to even; divisor > 0.
__int128 DivideArredondando(__int128 numerador, __int128 divisor) {
  __int128 quociente = numerador / divisor;
  __int128 resto = numerador % divisor;
  if (resto < 0) resto = -resto;
  const __int128 dobro = resto * 2;
  const bool negativo = numerador < 0;
  if (dobro > divisor || (dobro == divisor && quociente % 2 != 0)) {
    quociente += negativo ? -1 : 1;
  }
  return quociente;
}

}  // namespace

Currency Currency::DeInteiro(int64_t inteiro) {
  return DeInt128(static_cast<__int128>(inteiro) * kEscala);
}

Currency Currency::DeDouble(double valor) {
  auto bruto = decimal::ParaEscalado4(decimal::DeDouble(valor));
  if (!bruto) Levanta(CodigoErro::Estouro);
  return DeBruto(*bruto);
}

Currency Currency::DeTextoInvariante(const std::string& texto) {
  auto n = decimal::Ler(texto, '.');
  if (!n) Levanta(CodigoErro::TiposIncompativeis);
  auto bruto = decimal::ParaEscalado4(*n);
  if (!bruto) Levanta(CodigoErro::Estouro);
  return DeBruto(*bruto);
}

double Currency::ParaDouble() const {
  // Through the exact decimal so that 0.1 gives the double nearest 0.1.
  auto d = decimal::ParaDouble(decimal::DeEscalado(bruto_, 4));
  return d ? *d : 0.0;
}

std::string Currency::TextoInvariante() const {
  decimal::Numero n = decimal::DeEscalado(bruto_, 4);
  if (n.Zero()) return "0";
  std::string texto = n.negativo ? "-" : "";
  const int64_t casas = -n.expoente;  // 0..4 after normalisation, or negative for trailing zeros
  if (casas <= 0) return texto + n.digitos + std::string(static_cast<size_t>(-casas), '0');
  const int64_t tamanho = static_cast<int64_t>(n.digitos.size());
  if (tamanho <= casas) {
    return texto + "0." + std::string(static_cast<size_t>(casas - tamanho), '0') + n.digitos;
  }
  return texto + n.digitos.substr(0, static_cast<size_t>(tamanho - casas)) + "." +
         n.digitos.substr(static_cast<size_t>(tamanho - casas));
}

Currency Currency::operator+(Currency o) const {
  return DeInt128(static_cast<__int128>(bruto_) + o.bruto_);
}

Currency Currency::operator-(Currency o) const {
  return DeInt128(static_cast<__int128>(bruto_) - o.bruto_);
}

Currency Currency::operator*(Currency o) const {
  const __int128 produto = static_cast<__int128>(bruto_) * o.bruto_;  // at most 2^126
  return DeInt128(DivideArredondando(produto, kEscala));
}

Currency Currency::operator/(Currency o) const {
  if (o.bruto_ == 0) Levanta(CodigoErro::DivisaoPorZero);
  __int128 numerador = static_cast<__int128>(bruto_) * kEscala;
  __int128 divisor = o.bruto_;
  if (divisor < 0) {
    divisor = -divisor;
    numerador = -numerador;
  }
  return DeInt128(DivideArredondando(numerador, divisor));
}

Currency Currency::operator-() const { return DeInt128(-static_cast<__int128>(bruto_)); }

}  // namespace velant
