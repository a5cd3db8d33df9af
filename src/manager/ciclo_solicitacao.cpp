// Timer1 of the main window: claim, parse, dispatch and answer one request.
#include <cstdint>
#include <exception>
#include <limits>
#include <string>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "data/solicitacao_funcao_nfe.h"
#include "manager/analisador_solicitacao.h"
#include "manager/gerenciador_nfe.h"

namespace velant {

namespace {

constexpr int16_t kCiclosAteLimparStatus = 20;

std::string Descricao(const std::exception& e) {
  if (const auto* erro = dynamic_cast<const ErroExecucao*>(&e)) return erro->Descricao();
  return e.what();
}

// A request field that the preparation of the handler's arguments could not
// convert; its text becomes the Host-cancellation message.
struct PreparoInvalido {
  std::string mensagem;
  std::string descricao;
};

template <class Conversao>
auto Prepara(const std::string& mensagem, Conversao conversao) {
  try {
    return conversao();
  } catch (const std::exception& e) {
    throw PreparoInvalido{mensagem, Descricao(e)};
  }
}

const char* const kNumeroNFInvalido = "Número da NF inválido (111-000)";
const char* const kDataSaidaInvalida = "Data de saída inválida (114-000)";
const char* const kDataEmissaoInvalida = "Data de emissão inválida (110-000)";

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
  // The handlers and the wait process window events, and with them the
  // timer: a tick that comes while a request is being served does nothing.
  if (ocupado_) return;
  ocupado_ = true;
  try {
    Ciclo();
  } catch (const std::exception& e) {
    Registra("     ** Erro na Rotina: Timer1_Timer - " + Descricao(e));
  }
  ocupado_ = false;
}

void GerenciadorNFe::Ciclo() {
  SolicitacaoAtual& e = ctx_.atual;
  ctx_.ui.Repintar();
  if (janela_.ContadorCiclos < std::numeric_limits<int16_t>::max()) ++janela_.ContadorCiclos;
  if (!BancoDisponivel() || !EntregaRespostasPendentes()) return;

  int32_t nsu = 0;
  try {
    nsu = Solicitacao().LocalizarAnalise(ctx_.host.IPProcessamento);
  } catch (const std::exception& erro) {
    e.NSUAtual = 0;
    RegistraErroBanco("LocalizarAnalise", Descricao(erro));
    return;
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
      RegistraErroBanco("DefineHoraAnalise", Descricao(erro));
    }
    if (!reivindicada) {
      Registra(" ** Erro: Não foi possível definir Hora de Análise!");
      return;
    }
    Registra("      Registro defido para análise em: " + FormataHora(Valor(Solicitacao().HoraAnalise())));

    janela_.TextoStatus = "Verificando Solicitação...";
    MostraStatus();

    const bool aceita = AbreArquivoSolicitacao(ctx_, janela_);
    if (!aceita) {
      if (!RecusaSolicitacao()) return;
    } else if (janela_.ComandoAtual != "ATV") {
      if (!Despacha()) return;
    }
    AguardaSegundos(ctx_, 1);
  }

  // A tick that ended early may have stepped past the reset value.
  if (janela_.ContadorCiclos >= kCiclosAteLimparStatus) {
    janela_.ContadorCiclos = 0;
    janela_.TextoStatus = kTextoStatusAguardando;
  }
  MostraStatus();
}

bool GerenciadorNFe::Despacha() {
  SolicitacaoAtual& e = ctx_.atual;
  const BufferCabecalho& cab = janela_.Cabecalho;
  const std::string comando = janela_.ComandoAtual;
  e.ComandoEmExecucao = comando;
  e.MotivoFalha.clear();

  // The routine that runs, and the answer by its result.
  const char* rotina = "";
  std::string mensagemAprovada;
  std::string mensagemCancelada;
  bool aprovada = false;
  // For these two commands the failure text comes from MensagemRetorno.
  const bool falhaEmMensagemRetorno = comando == "NFE3.10" || comando == "INUTILIZA NFE";

  try {
    if (comando == "CANCELAR NFE") {
      rotina = "CancelaNFe";
      mensagemAprovada = "NFe Cancelada com Sucesso!";
      mensagemCancelada = "NFe não foi cancelada!";
      // The row to update is the request's, never the series of the one before.
      e.SerieAtual = cab.SerieNFEmp;
      aprovada = manipuladores_.CancelaNFe(cab.NumeroNF, e.ChaveAcessoSolicitada, "1", e.ProtocoloSolicitado,
                                           e.JustificativaSolicitada);
    } else if (comando == "NFE3.10") {
      rotina = "ProcessaNFeAzure";
      e.SerieAtual = cab.SerieNFEmp;
      e.NumeroAtual = Prepara(kNumeroNFInvalido, [&] { return CLng(Valor(cab.NumeroNF)); });
      e.DataEmissaoAtual = Prepara(kDataSaidaInvalida, [&] { return CDate(Valor(Left(cab.DtSaida, 10))); });
      e.EmissaoConcluida = false;
      e.ObservacaoEmissao.clear();
      const bool resultado = manipuladores_.ProcessaNFeAzure();
      if (resultado && e.NFeProcessada) {
        aprovada = true;
        mensagemAprovada = "Processamento de NFe OK!";
      } else {
        mensagemCancelada = resultado ? "NFe não foi processada!" : e.MensagemRetorno;
      }
    } else if (comando == "STATUS SERVICO") {
      rotina = "TestaServidores";
      mensagemAprovada = "Serviço de NFe Disponível";
      mensagemCancelada = "Serviço de NFe Indisponível";
      aprovada = manipuladores_.TestaServidores();
    } else if (comando == "IMPRIMIR DANFE") {
      rotina = "ImprimirNFE";
      mensagemAprovada = "Impressão de DANFE OK!";
      mensagemCancelada = "Não foi possível imprimir DANFE";
      const DataHora data = Prepara(kDataEmissaoInvalida, [&] { return CDate(Valor(Left(cab.DtEmissao, 10))); });
      aprovada = manipuladores_.ImprimirNFE(e.ChaveAcessoSolicitada, e.ProtocoloSolicitado, data);
    } else if (comando == "ENVIA EMAIL") {
      rotina = "EnviaEmailNFe";
      mensagemAprovada = "NFe enviada por Email!";
      mensagemCancelada = "Não foi possível enviar NFe por Email";
      aprovada = manipuladores_.EnviaEmailNFe();
    } else if (comando == "ENVIA NFE EMAIL CONT") {
      rotina = "EnviaEmailContador";
      mensagemAprovada = "NFsE enviada por Email!";
      mensagemCancelada = "Não foi possível enviar NFsE por Email";
      aprovada = manipuladores_.EnviaEmailContador();
    } else if (comando == "INUTILIZA NFE") {
      rotina = "InutilizaNFe";
      e.SerieAtual = cab.SerieNFEmp;
      e.NumeroAtual = Prepara(kNumeroNFInvalido, [&] { return CLng(Valor(cab.NumeroNF)); });
      e.DataEmissaoAtual = Prepara(kDataSaidaInvalida, [&] { return CDate(Valor(cab.DtSaida)); });
      const DataHora emissao = Prepara(kDataEmissaoInvalida, [&] { return CDate(Valor(cab.DtEmissao)); });
      const std::string ano = Mid(std::to_string(emissao.Ano()), 3, 2);
      aprovada = manipuladores_.InutilizaNFe(ano, cab.NumeroNF, cab.NumeroNF, e.JustificativaSolicitada);
      mensagemAprovada = e.MensagemRetorno;
      mensagemCancelada = e.MensagemRetorno;
    } else {
      return true;   // the parser accepts no other command
    }
  } catch (const PreparoInvalido& p) {
    Registra("     ** Erro na preparação: " + p.mensagem + " - " + p.descricao);
    janela_.HoraResposta = ctx_.relogio.Agora().SoHora();
    return Responde(false, p.mensagem);
  } catch (const std::exception& erro) {
    const std::string descricao = Descricao(erro);
    Registra("     ** Erro na Rotina: " + std::string(rotina) + " - " + descricao);
    if (falhaEmMensagemRetorno) {
      e.MensagemRetorno = descricao;
      mensagemCancelada = descricao;
    }
    aprovada = false;
  }
  janela_.HoraResposta = ctx_.relogio.Agora().SoHora();
  if (!aprovada && !e.MotivoFalha.empty()) mensagemCancelada = e.MotivoFalha;
  return Responde(aprovada, aprovada ? mensagemAprovada : mensagemCancelada);
}

bool GerenciadorNFe::Responde(bool aprovada, const std::string& mensagem) {
  return EntregaResposta({ctx_.atual.NSUAtual, aprovada, janela_.HoraResposta, mensagem}, false) == Entrega::Gravada;
}

}  // namespace velant
