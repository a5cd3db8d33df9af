#include "data/escritor_mensagem.h"

#include "data/solicitacao_funcao_nfe.h"
#include "contexto/solicitacao_atual.h"

namespace velant::data {

RegistroEventos::EscritorMensagem EscritorMensagemSolicitacao(cSolicitacaoFuncaoNFe& solicitacao,
                                                              const SolicitacaoAtual& estado) {
  return [&solicitacao, &estado](const std::string& mensagem) {
    try {
      return solicitacao.DefineMensagem(estado.NSUAtual, mensagem);
    } catch (...) {
      return false;
    }
  };
}

}  // namespace velant::data
