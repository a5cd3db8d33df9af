#pragma once
// The text and the sequence of a correction letter, checked before anything
// is sent. A letter replaces the ones before it at the authority, so each
// carries every correction so far: the earlier letter's text, "; ", the new
// correction. Lengths are in characters, as the event's schema counts them.
#include <string>

namespace velant::carta {

inline constexpr size_t kMinimoCorrecao = 15;
inline constexpr size_t kMaximoCorrecao = 1000;
inline constexpr int kMaximoSequencia = 20;
inline constexpr const char* kSeparadorCorrecoes = "; ";

// Line breaks, tabs and other control characters become blanks, a run of
// blanks one blank, and none are left at the ends.
std::string NormalizaCorrecao(const std::string& texto);

// Why a normalised correction may not go; "" when it may: fewer than 15 or
// more than 1000 characters, or a character the schema refuses (only
// U+0020 to U+00FF are accepted).
std::string RecusaCorrecao(const std::string& correcao);

// The text of the new letter: the earlier letter's (empty for the first)
// and the new correction after it.
std::string AcumulaCorrecoes(const std::string& anterior, const std::string& nova);

// Why the accumulated text may not go ("" when it may): more than 1000 characters.
std::string RecusaAcumulada(const std::string& acumulada);

// The sequence of the new letter: the one the request gives ("" for none:
// the one after the last stored, 0 when none is) as a number from 1 to 20.
struct Sequencia {
  int numero = 0;
  std::string recusa;   // "" when the number may go
};
Sequencia SequenciaDaCarta(const std::string& pedida, int ultimaGravada);

}  // namespace velant::carta
