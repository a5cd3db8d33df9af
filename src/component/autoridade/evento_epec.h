#pragma once
// The summary an EPEC carries, read from the signed invoice it stands for:
// the national environment registers exactly what the invoice later sent
// to the state says (issuer's state and IE, dhEmi, tpNF, the customer, vNF,
// vICMS, vST), so both come from one document.
#include <string>

#include "component/autoridade/autoridade_mensagens.h"

namespace velant::autoridade {

// The EPEC of the NFe (an NFe or a document holding one), idLote, tpAmb and
// dhEvento left for the caller. Raises ErroExecucao (ErroComponente) when
// the document is no invoice of tpEmis 4 or lacks what the summary needs.
DadosEpec ResumoEpec(const std::string& nfe);

}  // namespace velant::autoridade
