// The poll loop and its database: an outage shown while it lasts, and
// answers that the database did not take written again until they land.
#include <string>

#include "base/erro.h"
#include "base/texto.h"
#include "data/conexao_nfe.h"
#include "data/solicitacao_funcao_nfe.h"
#include "manager/gerenciador_nfe.h"

namespace velant {

namespace {

// The status label has one line: the first line of the reason, readable.
std::string PrimeiraLinha(const std::string& texto) {
  std::string linha = texto.substr(0, texto.find_first_of("\r\n"));
  return Len(linha) > 200 ? Left(linha, 200) + "..." : linha;
}

const char* Rotina(bool aprovada) { return aprovada ? "DefineHoraAprovacaoHost" : "DefineHoraCancelamentoHost"; }

}  // namespace

bool GerenciadorNFe::BancoDisponivel() {
  Solicitacao();   // creates the connection on first use
  data::CConexaoNfe& banco = *ctx_.ConexaoBanco;
  // Reopens a lost connection when its wait is over.
  if (banco.ConexaoAtiva()) {
    if (bancoForaDoAr_) {
      bancoForaDoAr_ = false;
      Registra("      Banco de dados disponível novamente (indisponível desde " +
               FormataHora(Valor(bancoForaDesde_)) + ")");
      janela_.TextoStatus = kTextoStatusAguardando;
      MostraStatus();
    }
    return true;
  }
  const std::string motivo = banco.MotivoFalha().empty() ? "conexão perdida" : banco.MotivoFalha();
  if (!bancoForaDoAr_) {
    bancoForaDoAr_ = true;
    bancoForaDesde_ = ctx_.relogio.Agora();
    Registra(" ** Erro: Banco de dados indisponível: " + motivo);
  }
  janela_.TextoStatus =
      "Banco de dados indisponível desde " + FormataHora(Valor(bancoForaDesde_)) + ": " + PrimeiraLinha(motivo);
  MostraStatus();
  return false;
}

GerenciadorNFe::Entrega GerenciadorNFe::EntregaResposta(const RespostaPendente& r, bool repetida) {
  bool gravou = false;
  try {
    gravou = r.aprovada ? Solicitacao().DefineHoraAprovacaoHost(r.nsu, r.hora, r.mensagem)
                        : Solicitacao().DefineHoraCancelamentoHost(r.nsu, r.hora, r.mensagem);
  } catch (const std::exception& erro) {
    // Logged once; the answer waits for the database instead of being lost.
    if (!repetida) {
      Registra("     ** Erro na Rotina: " + std::string(Rotina(r.aprovada)) + " - " + DescricaoErro(erro) +
               " - resposta do NSU " + std::to_string(r.nsu) + " pendente, gravada assim que o banco permitir");
      respostasPendentes_.push_back(r);
    }
    return Entrega::Adiada;
  }
  if (!gravou && repetida) {
    // The lost attempt may have reached the row before its reply was lost.
    data::cSolicitacaoFuncaoNFe& s = Solicitacao();
    gravou = s.LocalizarCodigo(r.nsu) && !(r.aprovada ? s.HoraAprovacao() : s.HoraCancelamentoHost()).Zero();
  }
  if (!gravou) {
    Registra(r.aprovada ? " ** Erro: Não foi possível definir Hora de Aprovação da Solicitacao."
                        : " ** Erro: Não foi possível definir Hora de Cancelamento da Solicitacao.");
    return Entrega::Recusada;
  }
  if (repetida) Registra("      Resposta pendente do NSU " + std::to_string(r.nsu) + " gravada");
  Registra((r.aprovada ? "      Aprovado pelo Host: " : "      Cancelado pelo Host: ") + FormataHora(Valor(r.hora)));
  return Entrega::Gravada;
}

bool GerenciadorNFe::EntregaRespostasPendentes() {
  while (!respostasPendentes_.empty()) {
    if (EntregaResposta(respostasPendentes_.front(), true) == Entrega::Adiada) {
      janela_.TextoStatus = "Resposta do NSU " + std::to_string(respostasPendentes_.front().nsu) +
                            " não gravada: nova tentativa a cada segundo";
      MostraStatus();
      return false;
    }
    respostasPendentes_.pop_front();
  }
  return true;
}

}  // namespace velant
