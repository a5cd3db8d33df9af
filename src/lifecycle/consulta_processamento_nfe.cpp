#include <chrono>
#include <string>

#include "component/fiscal_doc_service.h"
#include "component/recusa_resposta.h"
#include "component/textos_resposta.h"
#include "lifecycle/contingencia_emissao.h"
#include "lifecycle/limites_emissao.h"
#include "lifecycle/lote_nfe.h"
#include "lifecycle/retomada_emissao.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

using namespace emissao;

namespace {

bool FinalDoLote(Contexto& ctx, const std::string& linhaStatus) {
  if (!AtualizaNota(ctx, "[Etapa Concluida] = 2")) {
    ctx.log.RegistraEvento("      ** Erro ao atualizar MovimentoNFe - Etapa Concluída 2", true, false);
    ctx.atual.MensagemRetorno = "Erro ao registrar a etapa 2 da NFe";
    return false;
  }
  ctx.atual.MensagemRetorno = linhaStatus;
  ctx.log.RegistraEvento("      " + linhaStatus, true, true);
  return true;
}

}  // namespace

bool RegistraResultadoLote(Contexto& ctx, const RespostaLote& resposta) {
  SolicitacaoAtual& e = ctx.atual;
  const std::string status = LinhaStatusLote(resposta);
  if (Desfecho(resposta) == DesfechoLote::Rejeitado) {
    // A duplicate is the trace of a send whose answer was lost: the
    // invoice may stand authorised, and must then not go back to step 0.
    if (EDuplicidade(resposta)) return AssumeNotaAutorizada(ctx, resposta) && FinalDoLote(ctx, status);
    if (AtualizaNota(ctx, "[Etapa Concluida] = 0")) {
      e.MensagemRetorno = status;
      ctx.log.RegistraEvento("        " + status, true, false);
    } else {
      ctx.log.RegistraEvento("      ** Erro ao atualizar MovimentoNFe - Etapa Concluída 0", true, false);
      e.MensagemRetorno = "Erro ao registrar a etapa 0 da NFe";
    }
    return false;
  }
  // The invoice's protocol is believed before its step moves on.
  const std::string recusa = resposta.protocolo ? RecusaProtocolo(*resposta.protocolo, e.ChaveAcessoSolicitada, "") : "";
  if (!recusa.empty()) {
    RecusaResposta(ctx, recusa);
    return false;
  }
  return FinalDoLote(ctx, status);
}

bool ConsultaProcessamentoNFE(Contexto& ctx) {
  return ComTratamento(ctx, "ConsultaProcessamentoNFE", [&] {
    SolicitacaoAtual& e = ctx.atual;
    using Relogio = std::chrono::steady_clock;
    const std::chrono::seconds tempoLimite = TempoLimiteProcessamento(ctx);
    const auto limite = Relogio::now() + tempoLimite;
    // The waits are counted too: the bound holds whatever clock the waits follow.
    const int64_t esperasPossiveis = tempoLimite.count() / kEsperaConsultaLote;
    MarcaContingenciaDaChave(ctx, e.ChaveAcessoSolicitada);
    int64_t esperas = 0;
    for (;;) {
      ctx.log.RegistraEvento("        Iniciando Consulta do Lote: " + e.NumeroRecepcao, true, false);
      if (e.NumeroRecepcao.empty()) return false;
      // What the send or an earlier round said is no answer to this query: a
      // query that fails leaves its own cause (the routine's handler).
      e.MensagemRetorno.clear();
      RespostaLote resposta;
      {
        auto componente = Componente(ctx);
        resposta = componente->ConsultaLote(e.NumeroRecepcao);
      }
      ctx.log.RegistraEvento("        Situação da consulta do lote: " + TextoConsultaLote(resposta), true, false);
      const std::string status = LinhaStatusLote(resposta);
      if (Desfecho(resposta) != DesfechoLote::EmProcessamento) return RegistraResultadoLote(ctx, resposta);

      e.MensagemRetorno = status;
      ctx.log.RegistraEvento("        Aguarde... Lote ainda em processamento!", true, true);
      // The Host serves nobody while it waits here: the row keeps step 1 and
      // its receipt, and the next request for the invoice queries again.
      if (esperas >= esperasPossiveis || Relogio::now() + std::chrono::seconds(kEsperaConsultaLote) > limite) {
        ctx.log.RegistraEvento("      ** Tempo limite da consulta do lote esgotado (" +
                                   std::to_string(tempoLimite.count()) + " s): " + e.NumeroRecepcao,
                               true, false);
        return false;
      }
      ++esperas;
      AguardaSegundos(ctx, kEsperaConsultaLote);
    }
  });
}

}  // namespace velant
