#pragma once
// Currency: signed 64-bit fixed point with four implied decimals.
// Exact halves round to even (banker's rounding) when a value with more
// decimals, a double or a text, becomes a Currency. Arithmetic that leaves
// the 64-bit range raises an Estouro error; it never wraps.
#include <cstdint>
#include <string>

namespace velant {

class Currency {
 public:
  static constexpr int64_t kEscala = 10000;

  constexpr Currency() = default;
  static constexpr Currency DeBruto(int64_t bruto) { Currency c; c.bruto_ = bruto; return c; }
  static Currency DeInteiro(int64_t inteiro);          // overflow checked
  static Currency DeDouble(double valor);              // half to even, overflow checked
  // Text with "." as decimal point and no thousands separator ("1234.5", "-0.00005").
  // Raises TiposIncompativeis for anything else. Regional texts go through CCur.
  static Currency DeTextoInvariante(const std::string& texto);

  constexpr int64_t Bruto() const { return bruto_; }
  double ParaDouble() const;
  // Plain text with "." decimal point and only the needed decimals: "1234.5", "0", "-0.0001".
  std::string TextoInvariante() const;

  Currency operator+(Currency o) const;
  Currency operator-(Currency o) const;
  Currency operator*(Currency o) const;   // result rounded half to even
  Currency operator/(Currency o) const;   // result rounded half to even; /0 raises DivisaoPorZero
  Currency operator-() const;
  Currency& operator+=(Currency o) { return *this = *this + o; }
  Currency& operator-=(Currency o) { return *this = *this - o; }

  friend constexpr bool operator==(Currency a, Currency b) { return a.bruto_ == b.bruto_; }
  friend constexpr auto operator<=>(Currency a, Currency b) { return a.bruto_ <=> b.bruto_; }

 private:
  int64_t bruto_ = 0;
};

}  // namespace velant
