#include <chrono>
#include <string>
#include <vector>

#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "lifecycle/limites_emissao.h"
#include "lifecycle/lote_nfe.h"
#include "lifecycle/retomada_emissao.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

using namespace emissao;

namespace {

std::vector<std::string> Linhas(const std::string& texto) {
  std::vector<std::string> linhas;
  size_t inicio = 0;
  for (;;) {
    size_t fim = texto.find("\r\n", inicio);
    linhas.push_back(texto.substr(inicio, fim == std::string::npos ? std::string::npos : fim - inicio));
    if (fim == std::string::npos) return linhas;
    inicio = fim + 2;
  }
}

// The third line of a processed batch's four, else the first.
std::string LinhaStatus(const std::string& texto) {
  std::vector<std::string> linhas = Linhas(texto);
  return linhas.size() >= 4 ? linhas[2] : linhas[0];
}

bool Rejeicao(const std::string& linhaStatus) {
  std::string u = UCase(linhaStatus);
  return Like(u, "*REJEICAO*") || Like(u, "*REJEIÇÃO*");
}

bool FinalDoLote(Contexto& ctx, const std::string& linhaStatus) {
  if (!AtualizaNota(ctx, "[Etapa Concluida] = 2")) {
    ctx.log.RegistraEvento("      ** Erro ao atualizar MovimentoNFe - Etapa Concluída 2", true, false);
    return false;
  }
  ctx.atual.MensagemRetorno = linhaStatus;
  ctx.log.RegistraEvento("      " + linhaStatus, true, true);
  return true;
}

}  // namespace

bool ConsultaProcessamentoNFE(Contexto& ctx) {
  return ComTratamento(ctx, "ConsultaProcessamentoNFE", [&] {
    SolicitacaoAtual& e = ctx.atual;
    using Relogio = std::chrono::steady_clock;
    const std::chrono::seconds tempoLimite = TempoLimiteProcessamento(ctx);
    const auto limite = Relogio::now() + tempoLimite;
    // The waits are counted too: the bound holds whatever clock the waits follow.
    const int64_t esperasPossiveis = tempoLimite.count() / kEsperaConsultaLote;
    int64_t esperas = 0;
    for (;;) {
      ctx.log.RegistraEvento("        Iniciando Consulta do Lote: " + e.NumeroRecepcao, true, false);
      if (e.NumeroRecepcao.empty()) return false;
      std::string texto;
      {
        auto componente = Componente(ctx);
        texto = componente->ConsultaLote(e.NumeroRecepcao);
      }
      ctx.log.RegistraEvento("        Situação da consulta do lote: " + texto, true, false);
      const std::string status = LinhaStatus(texto);

      if (Rejeicao(status)) {
        // A duplicate is the trace of a send whose answer was lost: the
        // invoice may stand authorised, and must then not go back to step 0.
        if (EDuplicidade(status)) return AssumeNotaAutorizada(ctx, status) && FinalDoLote(ctx, status);
        if (AtualizaNota(ctx, "[Etapa Concluida] = 0")) {
          e.MensagemRetorno = status;
          ctx.log.RegistraEvento("        " + status, true, false);
        } else {
          ctx.log.RegistraEvento("      ** Erro ao atualizar MovimentoNFe - Etapa Concluída 0", true, false);
        }
        return false;
      }
      if (!Like(UCase(status), "*EM PROCESSAMENTO*")) return FinalDoLote(ctx, status);

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
