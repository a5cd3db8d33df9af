#pragma once
#include "contexto/contexto.h"

namespace velant {

// "ENVIA NFE EMAIL CONT": mails the compressed file ArquivoAnexoEmail to the
// accountant's office (EmailDestinatario, else the address the operator
// types, which is kept for the request). True when it was sent. Raises when
// the fiscal component cannot be created; the poll loop reports it.
bool EnviaEmailContador(Contexto& ctx);

}  // namespace velant
