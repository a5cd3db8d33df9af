#pragma once
// The bounds of an "NFE3.10" request. Every wait of the pipeline has one, so
// the longest a request can take is known, and a request claimed for longer
// than that was left by a Host that died.
#include <chrono>

#include "contexto/contexto.h"

namespace velant {

// Seconds between two processing queries of a batch, and after a new send.
inline constexpr int16_t kEsperaConsultaLote = 5;

// How long the processing query may go on while the authority answers "em
// processamento": registry value "TempoLimiteProcessamento" under "nfe", whole
// seconds from 5 to 3600; 120 when absent or not understood.
std::chrono::seconds TempoLimiteProcessamento(const Contexto& ctx);

// The longest one request can take: the fixed waits, the processing bound,
// every remote call at the component's total timeout ("TempoLimiteTotal")
// and a margin for the database.
std::chrono::seconds TempoMaximoSolicitacao(const Contexto& ctx);

}  // namespace velant
