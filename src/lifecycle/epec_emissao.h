#pragma once
// The EPEC contingency of an invoice (tpEmis 4), for layout 4.00: its
// summary (event 110140) is registered with the national environment, the
// front end's request is answered as issued in contingency, and the invoice
// itself, the same signed document under the same key, goes to the state's
// service once it answers again, within 168 hours of dhEmi (table
// EpecPendenteNFe, data/epec_pendente.h). The event registered is stored as
// PastaBase\nfe\arquivos\procNFe\<key>-epec-procEventoNFe.xml.
#include <string>

#include "contexto/contexto.h"

namespace velant {

// The answer text of an invoice issued in EPEC (it fits the row's 50 characters).
inline constexpr const char* kRespostaEpec = "NFe em contingência EPEC: autorização pendente";

// After the invoice of ChaveAcessoSolicitada was generated with tpEmis 4:
// registers its EPEC and, on 136, records it pending and marks the request
// done (NFeProcessada, RespostaAprovada). False leaves the reason in
// MensagemRetorno.
bool RegistraEpecNFE(Contexto& ctx);

// A request again for an invoice issued in EPEC and still pending (its key
// on the row): answered as the first one was, and true; false for any other key.
bool RepeteEpecPendente(Contexto& ctx, const std::string& chave);

// The state's service answers again: sends each pending invoice of the
// state (registry "UnidadeFederada") as it was signed; an authorised one
// leaves the table with its distribution file written. The request in
// hand is left as it was.
void EnviaEpecsPendentes(Contexto& ctx, const std::string& uf);

// Announces, once each, in the log and the status line, the pending
// invoices in their last 24 hours and those past the deadline.
void AvisaPrazosEpec(Contexto& ctx, const std::string& uf);

// The stored EPEC of the key (Windows path).
std::string ArquivoEpec(const Contexto& ctx, const std::string& chave);

}  // namespace velant
