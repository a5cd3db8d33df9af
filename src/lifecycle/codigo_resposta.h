#pragma once
// The fiscal component's answers begin with the authority's status code and
// " - " ("135 - Evento registrado e vinculado a NF-e - Protocolo: ...").
// The routines decide by that code alone: a justification, a date or a
// protocol elsewhere in the text may carry any digits.
#include <string>

namespace velant {

// The three digits before the first " - ", or "" when the text does not begin so.
std::string CodigoResposta(const std::string& resposta);
// The text after "<code> - "; the whole text when it has no code.
std::string MotivoResposta(const std::string& resposta);

}  // namespace velant
