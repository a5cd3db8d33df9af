#pragma once
// Batch build, send and processing query of the invoice whose key is in
// ChaveAcessoSolicitada; each records its step in MovimentoNFe.
#include "contexto/contexto.h"

namespace velant {

// Takes a batch number, has the batch file built from the signed document,
// records step 1 and sends it (EnviaLoteNFE); a failed send writes step 0 back.
bool GerarLoteNFE(Contexto& ctx);
// Sends the batch file and stores the receipt (15 digits, or nothing at all).
bool EnviaLoteNFE(Contexto& ctx);
// Queries the receipt in NumeroRecepcao until the batch is processed, for at
// most TempoLimiteProcessamento: step 2 for a final status, step 0 for a
// rejection. A duplicate of an invoice the authority has authorised is no
// rejection: the row takes that key and step 2, and nothing is sent again.
bool ConsultaProcessamentoNFE(Contexto& ctx);

}  // namespace velant
