#pragma once
// The emission under the contingency policy (politica_contingencia.h), for
// layout 4.00 invoices: the mode an invoice is issued in, and what a failed
// send of one tells about the state's service. The period in force lives in
// the database (data/contingencia_nfe.h), so that every Host agrees.
// Registry key "nfe": "Contingencia" (the policy), "ContingenciaForcada"
// ("1": enter now and stay), "ContingenciaFalhas" (N, 3 when absent),
// "ContingenciaJanela" (seconds within which the N failures count, 300) and
// "ContingenciaIntervaloStatus" (seconds between two questions to the
// state's status while in contingency, among all Hosts; 60).
#include <cstdint>
#include <optional>
#include <string>

#include "contexto/contexto.h"

namespace velant {

struct ModoEmissao {
  int16_t tpEmis = 1;
  std::string autorizador;     // "" the state's service, "SVC-AN", "SVC-RS" or "EPEC"
  std::string inicio;          // dhCont: when the period began
  std::string justificativa;   // xJust: why (15 to 256 characters)
};

// The mode of the invoice about to be generated. In a period, asks the
// state's status when it is this Host's turn and leaves on 107; a forced
// contingency opens a period. Out of a period, the invoices issued in EPEC
// are sent (epec_emissao.h); in one, their deadline is watched. Sets
// ContingenciaEmVigor.
ModoEmissao ModoDaEmissao(Contexto& ctx);

// After a send in the normal mode failed (FalhaEnvioLote): counts a
// transport failure and enters contingency when the policy says so. The
// period's mode when one is now open and the invoice surely never reached
// the state's service (it answered 108/109, or no connection was made): it
// may be issued again in contingency at once. Otherwise nothing: an invoice
// that may have reached the service is left for the situation query, and
// the answer says when the authority is unavailable.
std::optional<ModoEmissao> EntraAposFalha(Contexto& ctx);

// After a send to SVC failed: an SVC the state has turned off (114) asks the
// state's status at once, and true when the period was left there (the
// invoice, which SVC did not take, may go to the state's service now). Else
// the answer says that the contingency is unavailable too.
bool SaiAposFalhaNaSvc(Contexto& ctx);

// After a send to SVC failed and SaiAposFalhaNaSvc kept the period: under
// "SVC+EPEC", an SVC that surely did not take the invoice (108, 109, 114, no
// connection) ends the SVC period and opens an EPEC one (or finds it
// open); its mode (tpEmis 4). Nothing under any other policy or failure.
std::optional<ModoEmissao> EntraEmEpecAposFalhaNaSvc(Contexto& ctx);

// A send the state's service answered: the series of failures ends.
void ServicoRespondeu(Contexto& ctx);

// Before an event of the invoice of that key: SVC takes the events of its
// own invoices (tpEmis 6 or 7) while the period lasts. Sets
// ContingenciaEmVigor; a normal key never looks.
void MarcaContingenciaDaChave(Contexto& ctx, const std::string& chave);

// Leaves the invoice's vectors for the mode: tpEmis, dhCont and xJust.
void AplicaModo(Contexto& ctx, const ModoEmissao& modo);

}  // namespace velant
