#pragma once
// Amounts and date-times of an NF-e as the business rules compare them:
// decimals as exact integers of a fixed scale (no binary rounding in a
// comparison the authority makes to the cent), date-times as instants.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace velant::regras {

using Inteiro = __int128;

// The decimal text ("123.45", "-0.5") as a count of 10^-casas; nothing when it
// is not a plain decimal or carries more decimals than that.
std::optional<Inteiro> Fixo(std::string_view texto, int casas);
// The same, with an absent or unreadable value counting as zero: the rules
// run on schema-valid documents, where an empty amount is an absent one.
Inteiro FixoOuZero(std::string_view texto, int casas);
inline Inteiro Centavos(std::string_view texto) { return FixoOuZero(texto, 2); }

// A count of 10^-casas as decimal text with that many decimals ("150.00").
std::string TextoFixo(Inteiro valor, int casas);
inline std::string TextoCentavos(Inteiro centavos) { return TextoFixo(centavos, 2); }

// a x b, held at the largest value of its sign where it would overflow: a
// document outside the schema's widths must not make the check undefined.
Inteiro Produto(Inteiro a, Inteiro b);

// |a - b| <= tolerancia, all three at the same scale.
inline bool Perto(Inteiro a, Inteiro b, Inteiro tolerancia) {
  Inteiro diferenca;
  if (__builtin_sub_overflow(a, b, &diferenca)) return false;
  return diferenca < 0 ? diferenca >= -tolerancia : diferenca <= tolerancia;
}

// 10^n for n from 0 to 38 (1 below, 10^38 above).
Inteiro Potencia10(int n);

// AAAA-MM-DDThh:mm:ss followed by +hh:mm, -hh:mm or Z, as an instant.
std::optional<std::chrono::system_clock::time_point> Instante(std::string_view dataHora);

}  // namespace velant::regras
