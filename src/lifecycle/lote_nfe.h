#pragma once
// Batch build, send and processing query of the invoice whose key is in
// ChaveAcessoSolicitada; each records its step in MovimentoNFe.
#include "component/resposta_autoridade.h"
#include "contexto/contexto.h"

namespace velant {

// Takes a batch number, has the batch file built from the signed document,
// records step 1 and sends it (EnviaLoteNFE); a send that did not reach the
// authority writes step 0 back. *processado as EnviaLoteNFE's.
bool GerarLoteNFE(Contexto& ctx, bool* processado = nullptr);
// Sends the batch file and stores the receipt (15 digits, or nothing at
// all). A synchronous answer (104 with the invoice's protocol, layout 4.00)
// has no receipt: it is recorded at once as a batch query's answer
// (RegistraResultadoLote), and *processado becomes true, so that no batch
// query follows.
bool EnviaLoteNFE(Contexto& ctx, bool* processado = nullptr);
// The final answer of a batch, from its query or from a synchronous send:
// step 2 for a final status whose protocol is believed, a refused protocol
// leaves the row as it is, a duplicate of an authorised invoice takes that
// key and step 2, any other rejection step 0. True for step 2.
bool RegistraResultadoLote(Contexto& ctx, const RespostaLote& resposta);
// Queries the receipt in NumeroRecepcao until the batch is processed, for at
// most TempoLimiteProcessamento: step 2 for a final status, step 0 for a
// rejection. A duplicate of an invoice the authority has authorised is no
// rejection: the row takes that key and step 2, and nothing is sent again.
bool ConsultaProcessamentoNFE(Contexto& ctx);

}  // namespace velant
