// Requests the Host cannot accept are answered, never left claimed: the
// front end learns why at once instead of waiting out its timeout.
#include <string>

#include "base/erro.h"
#include "data/solicitacao_funcao_nfe.h"
#include "manager/gerenciador_nfe.h"

namespace velant {

bool GerenciadorNFe::RecusaSolicitacao() {
  const std::string motivo = janela_.MotivoRecusa.empty() ? "Solicitação recusada" : janela_.MotivoRecusa;
  Registra("      Solicitação recusada: " + motivo);
  janela_.HoraResposta = ctx_.relogio.Agora().SoHora();
  return Responde(false, motivo);
}

void GerenciadorNFe::RecusaNSUInvalido(int64_t nsu) {
  const std::string motivo = "NSU " + std::to_string(nsu) + " inválido: use de 1 a 2147483647";
  Registra("***** Início de Solicitação ***** - " + std::to_string(nsu));
  Registra("      Solicitação recusada: " + motivo);
  const DataHora hora = ctx_.relogio.Agora().SoHora();
  bool gravou = false;
  try {
    gravou = Solicitacao().RecusaNSUInvalido(nsu, hora, motivo);
  } catch (const std::exception& erro) {
    // The row stays open and is found again on the next tick.
    RegistraErroBanco("RecusaNSUInvalido", DescricaoErro(erro));
    return;
  }
  if (!gravou) {   // another Host took it first
    Registra(" ** Erro: Não foi possível definir Hora de Análise!");
    return;
  }
  Registra("      Cancelado pelo Host: " + FormataHora(Valor(hora)));
}

}  // namespace velant
