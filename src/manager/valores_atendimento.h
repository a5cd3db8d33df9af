#pragma once
// The registry values that tune how fast the queue is served, read at
// start-up into ConfiguracaoHost:
//   IntervaloConsulta   poll interval in milliseconds, 50 or more
//   AtenderEmSequencia  1: after a request, claim the next one at once while requests wait
//   Trabalhadores       requests served in parallel, each worker with its own
//                       database connection and request state (1 to 32)
// An absent value keeps its default; a value that cannot be used keeps it
// too and is named in a log line.
#include <string>
#include <vector>

#include "contexto/configuracao_host.h"
#include "plataforma/registro_windows.h"

namespace velant {

inline constexpr int kIntervaloConsultaMinimoMs = 50;
inline constexpr int kTrabalhadoresMaximo = 32;

// Fills the three values of `configuracao`; returns the log lines of the
// values refused (none with the defaults).
std::vector<std::string> LeValoresAtendimento(const RegistroWindows& registro, ConfiguracaoHost& configuracao);

}  // namespace velant
