#pragma once
// Requests whose Host died while serving them: claimed, never answered, and
// held by a Host whose heartbeat (batimento_host.h) stood still longer than
// the longest a request can take. Left alone, the front end only ever sees
// its own timeout; answered, it knows to send the request again, which
// resumes an invoice from its last recorded step.
//
// Every duration is measured on this Host's monotonic clock: how long a
// heartbeat counter has not moved, or how long a claim has been seen
// unanswered. The time of day in the row is another computer's clock (ahead,
// behind, another time zone) and is never compared with this one.
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>

#include "contexto/contexto.h"
#include "manager/batimento_host.h"

namespace velant {

namespace data {
class ConexaoDriver;
class cSolicitacaoFuncaoNFe;
}  // namespace data

inline constexpr const char* kMensagemInterrompida = "Processamento interrompido: reenvie a solicitação";
inline constexpr int kIntervaloOrfasSegundos = 10;

class SolicitacoesOrfas {
 public:
  explicit SolicitacoesOrfas(Contexto& ctx, RelogioMonotonico agora = &std::chrono::steady_clock::now)
      : ctx_(ctx), agora_(std::move(agora)) {}

  // At the first call and then every kIntervaloOrfasSegundos: answers, for
  // the IP this Host serves, every claimed and unanswered request other than
  // one answered by its claim alone ("ATV") with a Host cancellation
  // (kMensagemInterrompida) when, for longer than TempoMaximoSolicitacao:
  //  - the counter of the Host that claimed it has not moved; or
  //  - its Host is unknown (a claim by an earlier version, which names no
  //    Host, or a Host whose heartbeat row is gone) and the request has stood
  //    claimed and unanswered since this Host first saw it.
  // The heartbeat rows of Hosts found gone are removed. Returns how many
  // requests it answered.
  int Verifica(data::cSolicitacaoFuncaoNFe& fila);

 private:
  using Instante = std::chrono::steady_clock::time_point;
  int Responde(data::cSolicitacaoFuncaoNFe& fila, Instante agora);
  void LeBatimentos(data::ConexaoDriver& conexao, Instante agora);

  Contexto& ctx_;
  RelogioMonotonico agora_;
  std::optional<Instante> ultimaVerificacao_;
  struct Batimento {
    int64_t contador = 0;
    Instante desde;   // when this Host first saw the counter at this value
  };
  std::map<int64_t, Batimento> batimentos_;   // by Host id
  std::map<int32_t, Instante> tomadas_;       // claimed, unanswered requests by NSU, since first seen
};

}  // namespace velant
