#pragma once
#include "contexto/contexto.h"

namespace velant {

// "ENVIA EMAIL": mails the distribution file (XML) and the DANFE PDF of
// ChaveAcessoSolicitada to the customer (EmailDestinatario, else the address
// the operator types) and, when EmailEmitente is known, to the accountant.
// With CartaCorrecaoNoEmail a third mail carries the last correction letter
// stored (carta_correcao.h); without one, nothing is sent.
// True when the PDF reached the customer. Raises when the fiscal component
// cannot be created; the poll loop reports it.
bool EnviaEmailNFe(Contexto& ctx);

}  // namespace velant
