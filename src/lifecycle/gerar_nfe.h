#pragma once
// Generation of the invoice document: vectors, access key, XML, the
// MovimentoNFe row at step 0, signature and schema validation.
#include "contexto/contexto.h"

namespace velant {

// True when the document was generated, recorded at step 0, signed and validated.
bool GerarNFE(Contexto& ctx);
// The same invoice again from the vectors GerarNFE filled, in the emission
// type now in gTipoEmissao (a contingency's, with its dhCont and xJust):
// another key on the same row. The request tables are read once.
bool RegerarNFE(Contexto& ctx);
// Signs the generated file and validates the signed one.
bool AssinarNFE(Contexto& ctx);
// Validates the signed file against "nfe_v3.10.xsd".
bool ValidaNFE(Contexto& ctx);
// The authority's business rules on the signed file (registry value
// "VerificaRegrasAntesDeEnviar" = "0" skips them): false, with the rule's
// "<code> - <text>" in MensagemRetorno, when the authority would refuse it.
bool ConfereRegrasNFE(Contexto& ctx);

}  // namespace velant
