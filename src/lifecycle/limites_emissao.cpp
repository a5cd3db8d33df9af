#include "lifecycle/limites_emissao.h"

#include <string>

#include "base/texto.h"
#include "component/servico_documento_fiscal.h"

namespace velant {

namespace {

constexpr int kProcessamentoPadrao = 120;
// Remote calls of one request outside the processing loop: the situation
// asked before a resend, the send, the last query of the loop, the situation
// asked on a duplicate, the situation query, the distribution file.
constexpr int kChamadasRemotas = 6;
// Statements waiting for a lock held by another Host, and the local work.
constexpr int kMargemSegundos = 20;

}  // namespace

std::chrono::seconds TempoLimiteProcessamento(const Contexto& ctx) {
  std::string texto = Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "TempoLimiteProcessamento"));
  if (texto.empty() || texto.size() > 4 || texto.find_first_not_of("0123456789") != std::string::npos)
    return std::chrono::seconds(kProcessamentoPadrao);
  int segundos = std::stoi(texto);
  if (segundos < 5 || segundos > 3600) return std::chrono::seconds(kProcessamentoPadrao);
  return std::chrono::seconds(segundos);
}

std::chrono::seconds TempoMaximoSolicitacao(const Contexto& ctx) {
  auto chamada = std::chrono::ceil<std::chrono::seconds>(LerConfiguracaoCliente(ctx).tempoTotal);
  return std::chrono::seconds(2 * kEsperaConsultaLote) + TempoLimiteProcessamento(ctx) + kChamadasRemotas * chamada +
         std::chrono::seconds(kMargemSegundos);
}

}  // namespace velant
