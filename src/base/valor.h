#pragma once
// Valor: the value of a record-set field or of a conversion, as the routines
// of this system see it. It is Empty, Null, or holds one typed value.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "base/currency.h"
#include "base/data_hora.h"

namespace velant {

enum class TipoValor { Vazio, Nulo, Texto, Moeda, Inteiro16, Inteiro32, Inteiro64, Duplo, Data, Booleano };

class Valor {
 public:
  Valor() = default;                                   // Empty
  static Valor Nulo();
  Valor(const char* t) : v_(std::string(t)) {}
  Valor(std::string t) : v_(std::move(t)) {}
  Valor(Currency c) : v_(c) {}
  Valor(int16_t i) : v_(i) {}
  Valor(int32_t i) : v_(i) {}
  Valor(int64_t i) : v_(i) {}
  Valor(double d) : v_(d) {}
  Valor(DataHora d) : v_(d) {}
  Valor(bool b) : v_(b) {}

  TipoValor Tipo() const;
  bool ENulo() const { return std::holds_alternative<NuloTag>(v_); }
  bool EVazio() const { return std::holds_alternative<std::monostate>(v_); }
  bool ETexto() const { return std::holds_alternative<std::string>(v_); }
  bool ENumerico() const;   // Moeda, inteiros, Duplo (not Booleano, not Data)

  // Direct access to the held alternative; raises TiposIncompativeis on a different type.
  const std::string& ComoTexto() const;

  // The text form, as CStr gives it in the regional settings: Null raises
  // UsoInvalidoDeNull, Empty gives "".
  std::string Texto() const;

  friend bool operator==(const Valor& a, const Valor& b) = delete;  // use the comparisons below

 private:
  struct NuloTag { bool operator==(const NuloTag&) const = default; };
  std::variant<std::monostate, NuloTag, std::string, Currency, int16_t, int32_t, int64_t, double,
               DataHora, bool>
      v_;
  friend struct AcessoValor;
};

// Access to the held alternative for the conversion routines.
struct AcessoValor {
  template <class T>
  static const T* Se(const Valor& v) { return std::get_if<T>(&v.v_); }
};

// Comparisons as the Ifs of the routines rely on them. Each returns false
// when either side is Null (an If on Null takes the false branch).
//  * text against a number: the text is read as a regional number and
//    compared numerically; a text that is not a number (or is empty) is
//    simply unequal: Igual false, Diferente true, the orderings false;
//  * a number against a text literal: the number's text form is compared
//    with the text (a Currency 0 equals "0", 0.5 does not);
//  * Empty counts as 0 against a number and as "" against a text;
//  * two texts: binary, case-sensitive; two numbers: numerically.
bool Igual(const Valor& a, const Valor& b);
bool Diferente(const Valor& a, const Valor& b);
bool Menor(const Valor& a, const Valor& b);
bool MenorOuIgual(const Valor& a, const Valor& b);
bool Maior(const Valor& a, const Valor& b);
bool MaiorOuIgual(const Valor& a, const Valor& b);

}  // namespace velant
