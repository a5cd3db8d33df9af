#pragma once
// Printing a PDF through CUPS: one job on the named destination, or on the
// system's default one. Every wait on the scheduler is bounded, so a stuck
// or silent scheduler ends in an error instead of holding the Host.
#include <chrono>
#include <filesystem>
#include <string>

namespace velant {

struct ConfiguracaoImpressora {
  std::string impressora;   // "" = the default destination
  std::string servidor;     // "" = CUPS's own choice (CUPS_SERVER, client.conf, the local socket)
  std::chrono::milliseconds tempoConexao{5000};
  std::chrono::milliseconds tempoResposta{30000};
};

// Sends the file as one job titled `titulo`; returns the job id. Raises
// ErroExecucao (ErroComponente) naming the printer and CUPS's reason.
int ImprimePdf(const ConfiguracaoImpressora& configuracao, const std::filesystem::path& pdf,
               const std::string& titulo);

}  // namespace velant
