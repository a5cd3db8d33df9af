#pragma once
// The event log's writer of the request row's message: DefineMensagem on the
// shared request record, for the request being served (NSUAtual).
#include "manager/plataforma/registro_eventos.h"

namespace velant {
struct EstadoGlobal;
}

namespace velant::data {

class cSolicitacaoFuncaoNFe;

// A database error counts as "not written" (the log then records the failure)
// instead of breaking the routine that was only logging.
RegistroEventos::EscritorMensagem EscritorMensagemSolicitacao(cSolicitacaoFuncaoNFe& solicitacao,
                                                              const EstadoGlobal& estado);

}  // namespace velant::data
