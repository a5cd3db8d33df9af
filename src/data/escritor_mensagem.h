#pragma once
// The event log's writer of the request row's message: DefineMensagem on the
// shared request record, for the request being served (NSUAtual).
#include "plataforma/registro_eventos.h"

namespace velant {
struct SolicitacaoAtual;
}

namespace velant::data {

class cSolicitacaoFuncaoNFe;

// A database error counts as "not written" (the log then records the failure)
// instead of breaking the routine that was only logging; the error itself
// goes to the daily file of `log`.
RegistroEventos::EscritorMensagem EscritorMensagemSolicitacao(cSolicitacaoFuncaoNFe& solicitacao,
                                                              const SolicitacaoAtual& estado, RegistroEventos& log);

}  // namespace velant::data
