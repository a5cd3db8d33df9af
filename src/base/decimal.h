#pragma once
// Exact decimal numbers for the conversions: a Currency, a double (through
// its shortest round-trip text) or a number text become digits and a power
// of ten, and are rounded from there. Rounding on the decimal digits is what
// makes 0.125 a tie and 0.135 not, whatever the binary value underneath.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velant::decimal {

// valor = (negativo ? -1 : 1) * digitos * 10^expoente.
// digitos has no leading zeros; an empty digitos is zero.
struct Numero {
  bool negativo = false;
  std::string digitos;
  int64_t expoente = 0;

  bool Zero() const { return digitos.empty(); }
};

Numero DeInteiro(int64_t valor);
Numero DeEscalado(int64_t bruto, int casas);   // bruto / 10^casas
// Shortest text that reads back as the same double. NaN and infinities raise Estouro.
Numero DeDouble(double valor);

// Plain number: [sign] digits [sep digits] [E|e [sign] digits]; no blanks,
// no grouping. Either side of the separator may be empty, not both.
std::optional<Numero> Ler(std::string_view texto, char separadorDecimal);

// The value times 10^casas rounded half to even, as digits without leading
// zeros ("" is zero). nullopt when it has more than maxDigitos digits.
std::optional<std::string> Escalado(const Numero& n, int casas, size_t maxDigitos = 400);

// The value rounded half to even to a whole number inside [minimo, maximo];
// nullopt outside.
std::optional<int64_t> ParaInteiro(const Numero& n, int64_t minimo, int64_t maximo);
// Raw Currency (value * 10^4, half to even); nullopt outside the 64-bit range.
std::optional<int64_t> ParaEscalado4(const Numero& n);
// Nearest double; nullopt when it does not fit (infinite).
std::optional<double> ParaDouble(const Numero& n);

}  // namespace velant::decimal
