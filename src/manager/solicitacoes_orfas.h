#pragma once
// Requests whose Host died while serving them: claimed, never answered, and
// older than the longest a request can take. Left alone, the front end only
// ever sees its own timeout; answered, it knows to send the request again,
// which resumes an invoice from its last recorded step.
#include <cstdint>
#include <optional>

#include "base/data_hora.h"
#include "contexto/contexto.h"

namespace velant {

namespace data {
class cSolicitacaoFuncaoNFe;
}

inline constexpr const char* kMensagemInterrompida = "Processamento interrompido: reenvie a solicitação";
inline constexpr int kIntervaloOrfasSegundos = 60;

class SolicitacoesOrfas {
 public:
  explicit SolicitacoesOrfas(Contexto& ctx) : ctx_(ctx) {}

  // At the first call (start-up) and then once a minute: answers, for the IP
  // this Host serves, every claimed and unanswered request other than "ATV"
  // claimed longer ago than TempoMaximoSolicitacao with a Host cancellation
  // (kMensagemInterrompida). Returns how many it answered.
  int Verifica(data::cSolicitacaoFuncaoNFe& fila);

 private:
  int Responde(data::cSolicitacaoFuncaoNFe& fila);

  Contexto& ctx_;
  std::optional<DataHora> ultimaVerificacao_;
};

}  // namespace velant
