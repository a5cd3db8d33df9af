#pragma once
// "NFE3.10": the invoice given by CodigoEmpresa, SerieAtual and NumeroAtual,
// run or resumed from the last step its MovimentoNFe row records.
#include <cstdint>
#include <string>

#include "contexto/contexto.h"

namespace velant {

// True when the invoice reached step 3 in this run (NFeProcessada is then
// true); otherwise MensagemRetorno holds the reason. pTipoEmissao and
// pObservacao are the emission arguments (1 and "" for queue requests).
bool ProcessaNFeAzure(Contexto& ctx, int16_t pTipoEmissao = 1, const std::string& pObservacao = "");
// Sets the emission type, purpose and observation, then ImprimeNfeTabSaida(false).
bool EmiteNFE(Contexto& ctx, int16_t pTipoEmissao, const std::string& pObservacao);
// Takes the record counts of the request tables and runs GerarNFE.
bool ImprimeNfeTabSaida(Contexto& ctx, bool pFinalidade2);

}  // namespace velant
