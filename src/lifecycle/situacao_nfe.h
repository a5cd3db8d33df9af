#pragma once
// The last step of an emission: the invoice's situation at the authority,
// its protocol, and the distribution file.
#include <string>

#include "contexto/contexto.h"

namespace velant {

// Asks the situation of ChaveAcessoSolicitada, stores the protocol (15 digits,
// or nothing at all), has the distribution file written and records step 3.
bool ConsultaSituacaoNFE(Contexto& ctx);
// Has the component write PastaBase\nfe\arquivos\procNFe\<key>-procNFe.xml
// from the signed document; pRecibo is not used. The signed document and the
// batch the database holds for the key are written into PastaBase first.
bool GeraArquivoDistribuicao(Contexto& ctx, const std::string& pChave, const std::string& pRecibo);

}  // namespace velant
