#pragma once
// While a request waits to be claimed: what the queue's rows say about the
// Host that should take it (busy with another request, stopped, or never
// seen serving that IP), so that a mistyped --ip or --raiz, or a Host that
// is not running, shows itself while the front end waits.
#include <string>

#include "base/data_hora.h"
#include "fila_ac.h"

namespace velant::ac {

// How far back a claim counts as a Host serving the IP now.
inline constexpr int kMinutosHostAtivo = 10;

// The notice for request `nsu` of `ip`, unclaimed at `agora`.
std::string AvisoSemAnalise(FilaAC& fila, const std::string& ip, int32_t nsu, DataHora agora);

}  // namespace velant::ac
