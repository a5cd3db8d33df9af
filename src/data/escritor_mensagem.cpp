#include "data/escritor_mensagem.h"

#include <exception>

#include "base/erro.h"
#include "data/solicitacao_funcao_nfe.h"
#include "contexto/solicitacao_atual.h"

namespace velant::data {

RegistroEventos::EscritorMensagem EscritorMensagemSolicitacao(cSolicitacaoFuncaoNFe& solicitacao,
                                                              const SolicitacaoAtual& estado, RegistroEventos& log) {
  return [&solicitacao, &estado, &log](const std::string& mensagem) {
    // Called from inside the log: the error goes to the daily file only, which
    // never comes back here.
    try {
      return solicitacao.DefineMensagem(estado.NSUAtual, mensagem);
    } catch (const std::exception& e) {
      log.CriaLogNFe("     ** Erro na Rotina: DefineMensagem - " + DescricaoErro(e));
    } catch (...) {
      log.CriaLogNFe("     ** Erro na Rotina: DefineMensagem - erro desconhecido");
    }
    return false;
  };
}

}  // namespace velant::data
