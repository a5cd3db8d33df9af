#pragma once
// The authority's answer documents read into the component's answer types
// (resposta_autoridade.h). Reading only: the signature and the other checks
// are conferencia_resposta.h's; the texts are textos_resposta.h's. A
// document that does not parse raises ErroExecucao (ErroComponente).
#include <string>

#include "component/resposta_autoridade.h"

namespace velant::autoridade {

RespostaStatus LerStatusServico(const std::string& retConsStatServ);
// retEnviNFe (infRec/nRec) and retConsReciNFe (nRec, the first protNFe).
RespostaLote LerRespostaLote(const std::string& retLote);
RespostaSituacao LerSituacao(const std::string& retConsSitNFe);
// retEnvEvento: the first retEvento's infEvento, or the batch's own code and
// reason when it carries no event.
RespostaRegistro LerEvento(const std::string& retEnvEvento);
RespostaRegistro LerInutilizacao(const std::string& retInutNFe);

}  // namespace velant::autoridade
