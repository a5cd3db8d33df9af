#pragma once
// "CANCELAR NFE": the cancellation event of an authorised invoice, recorded
// in the front end's MovimentoNFeSaidaCancelada row (Empresa = CodigoEmpresa,
// Serie = SerieAtual, [Numero da NFe] = the key) at step 3 with the event's
// protocol, or 1111 when the authority had it cancelled already.
#include <string>

#include "contexto/contexto.h"

namespace velant {

// True when the event was registered (or the invoice was already cancelled)
// and the row was updated. Errors of the component and of the number's
// conversion are not trapped here: the poll loop reports them.
bool CancelaNFe(Contexto& ctx, const std::string& pNumeroNF, const std::string& pChave,
                const std::string& pSequencia, const std::string& pProtocolo, const std::string& pJustificativa);

}  // namespace velant
