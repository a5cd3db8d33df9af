// Timer1 of the main window: claim, parse, dispatch and answer one request.
#include <cstdint>
#include <exception>
#include <limits>
#include <string>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "data/conexao_nfe.h"
#include "data/solicitacao_funcao_nfe.h"
#include "manager/analisador_solicitacao.h"
#include "manager/comandos_host.h"
#include "manager/gerenciador_nfe.h"

namespace velant {

namespace {

constexpr int16_t kCiclosAteLimparStatus = 20;

}  // namespace

std::string FormataHora(const Valor& valor) {
  if (!IsDate(valor)) return "";
  return Format(valor, "HH:mm:ss");
}

void GerenciadorNFe::Registra(const std::string& texto) { ctx_.log.RegistraEvento(texto, true, false); }

void GerenciadorNFe::MostraStatus() {
  ctx_.ui.DefinirStatus(janela_.TextoStatus);
  ctx_.ui.Repintar();
}

void GerenciadorNFe::RegistraErroBanco(const std::string& rotina, const std::string& descricao) {
  const std::string linha = "     ** Erro na Rotina: " + rotina + " - " + descricao;
  if (linha == ultimoErroBanco_) return;
  ultimoErroBanco_ = linha;
  Registra(linha);
}

void GerenciadorNFe::Tique() {
  batimento_.Bate();
  // A tick that comes while a request is being served does nothing more
  // than the heartbeat.
  AtendeFila([] { return true; });
}

void GerenciadorNFe::Bate() {
  if (ctx_.ConexaoBanco != nullptr) ctx_.ConexaoBanco->ConexaoAtiva();   // reopens a lost one
  batimento_.Bate();
}

void GerenciadorNFe::AtendeFila(const std::function<bool()>& deveParar) {
  // The handlers and the waits process window events, and with them the timer.
  if (ocupado_) return;
  ocupado_ = true;
  try {
    while (Ciclo() && configuracao_.AtenderEmSequencia && !deveParar()) {
    }
  } catch (const std::exception& e) {
    Registra("     ** Erro na Rotina: Timer1_Timer - " + DescricaoErro(e));
  }
  ocupado_ = false;
}

bool GerenciadorNFe::Ciclo() {
  SolicitacaoAtual& e = ctx_.atual;
  ctx_.ui.Repintar();
  if (janela_.ContadorCiclos < std::numeric_limits<int16_t>::max()) ++janela_.ContadorCiclos;
  if (!BancoDisponivel() || !EntregaRespostasPendentes()) return false;

  // A worker claims while its siblings wait: they never race for one row.
  std::unique_lock<std::mutex> tomada;
  if (travaTomada_ != nullptr) tomada = std::unique_lock<std::mutex>(*travaTomada_);
  int32_t nsu = 0;
  try {
    nsu = Solicitacao().LocalizarAnalise(ctx_.host.IPProcessamento);
  } catch (const std::exception& erro) {
    e.NSUAtual = 0;
    RegistraErroBanco("LocalizarAnalise", DescricaoErro(erro));
    return false;
  }
  e.NSUAtual = nsu;
  ultimoErroBanco_.clear();
  if (nsu == 0 && Solicitacao().NSUInvalido()) RecusaNSUInvalido(*Solicitacao().NSUInvalido());
  orfas_.Verifica(Solicitacao());

  if (nsu > 0) {
    Registra("***** Início de Solicitação ***** - " + std::to_string(nsu));
    bool reivindicada = false;
    try {
      reivindicada = Solicitacao().DefineHoraAnalise(nsu, ctx_.relogio.Agora().SoHora());
    } catch (const std::exception& erro) {
      RegistraErroBanco("DefineHoraAnalise", DescricaoErro(erro));
    }
    if (tomada.owns_lock()) tomada.unlock();
    if (!reivindicada) {
      Registra(" ** Erro: Não foi possível definir Hora de Análise!");
      return false;
    }
    Registra("      Registro defido para análise em: " + FormataHora(Valor(Solicitacao().HoraAnalise())));

    janela_.TextoStatus = "Verificando Solicitação...";
    MostraStatus();

    const bool aceita = AbreArquivoSolicitacao(ctx_, janela_);
    if (!aceita) {
      if (!RecusaSolicitacao()) return true;
    } else if (const ComandoHost* comando = LocalizaComando(janela_.ComandoAtual); comando && comando->executa) {
      if (!Despacha(*comando)) return true;
    }
    if (!configuracao_.AtenderEmSequencia) AguardaSegundos(ctx_, 1);
  }

  // A tick that ended early may have stepped past the reset value.
  if (janela_.ContadorCiclos >= kCiclosAteLimparStatus) {
    janela_.ContadorCiclos = 0;
    janela_.TextoStatus = kTextoStatusAguardando;
  }
  MostraStatus();
  return nsu > 0;
}

bool GerenciadorNFe::Despacha(const ComandoHost& comando) {
  SolicitacaoAtual& e = ctx_.atual;
  e.ComandoEmExecucao = comando.nome;
  e.MotivoFalha.clear();
  e.RespostaAprovada.clear();
  // nullptr in the table: the message is the one the handler left.
  const auto mensagem = [&](const char* daTabela) { return daTabela != nullptr ? daTabela : e.MensagemRetorno; };

  bool aprovada = false;
  std::string resposta;
  try {
    const bool resultado = comando.executa(manipuladores_, e, janela_.Cabecalho);
    if (resultado && comando.naoConcluida != nullptr && !e.NFeProcessada) {
      resposta = comando.naoConcluida;
    } else {
      aprovada = resultado;
      resposta = mensagem(resultado ? comando.aprovada : comando.cancelada);
      if (resultado && !e.RespostaAprovada.empty()) resposta = e.RespostaAprovada;
    }
  } catch (const PreparoInvalido& p) {
    Registra("     ** Erro na preparação: " + p.mensagem + " - " + p.descricao);
    janela_.HoraResposta = ctx_.relogio.Agora().SoHora();
    return Responde(false, p.mensagem);
  } catch (const std::exception& erro) {
    const std::string descricao = DescricaoErro(erro);
    Registra("     ** Erro na Rotina: " + std::string(comando.rotina) + " - " + descricao);
    if (comando.cancelada == nullptr) e.MensagemRetorno = descricao;
    resposta = mensagem(comando.cancelada);
  }
  janela_.HoraResposta = ctx_.relogio.Agora().SoHora();
  // A refusal with its reason (an attachment, a certificate) says why instead of the fixed text.
  if (!aprovada && !e.MotivoFalha.empty()) resposta = e.MotivoFalha;
  return Responde(aprovada, resposta);
}

bool GerenciadorNFe::Responde(bool aprovada, const std::string& mensagem) {
  return EntregaResposta({ctx_.atual.NSUAtual, aprovada, janela_.HoraResposta, mensagem}, false) == Entrega::Gravada;
}

}  // namespace velant
