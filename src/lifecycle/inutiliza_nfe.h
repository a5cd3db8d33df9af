#pragma once
// "INUTILIZA NFE": voids one invoice number of the series SerieAtual at the
// authority and records it in the front end's MovimentoNFeSaidaInutilizada
// row (Empresa = CodigoEmpresa, Serie = SerieAtual, Numero = NumeroAtual) at
// step 3. The text for the request's answer is left in MensagemRetorno, at
// most 50 characters (never half of an accented letter).
#include <string>

#include "contexto/contexto.h"

namespace velant {

// True when the number is voided (now, or already before) and the row was
// updated. Errors of the component are not trapped here: the poll loop
// reports them.
bool InutilizaNFe(Contexto& ctx, const std::string& pAno, const std::string& pNumeroInicial,
                  const std::string& pNumeroFinal, const std::string& pJustificativa);

}  // namespace velant
