#include "lifecycle/lote_nfe.h"

#include <limits>
#include <optional>
#include <string>

#include "base/erro.h"
#include "base/texto.h"
#include "component/autoridade/cliente_autoridade.h"
#include "component/fiscal_doc_service.h"
#include "component/textos_resposta.h"
#include "data/contador_lote.h"
#include "data/documentos_nfe.h"
#include "lifecycle/documentos_banco.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

using namespace emissao;

namespace {

constexpr const char* kSufixoLote = "-env-lot.xml";

// The batch identifier, the name of the batch file without its suffix: the
// number in 12 digits ("...\nfe\lotes\000000000042-env-lot.xml"), wherever
// the base folder is.
std::string IdentificadorLote(int64_t numero) {
  std::string digitos = std::to_string(numero);
  return std::string(digitos.size() < 12 ? 12 - digitos.size() : 0, '0') + digitos;
}

}  // namespace

bool GerarLoteNFE(Contexto& ctx, bool* processado) {
  return ComTratamento(ctx, "GerarLoteNFE", [&] {
    SolicitacaoAtual& e = ctx.atual;
    e.MensagemRetorno = "Não foi possível gerar o lote";
    ctx.log.RegistraEvento("        Iniciando Geração do Lote: ", true, true);

    std::optional<int64_t> numero = data::TomaNumeroLote(Banco(ctx));
    if (!numero) return false;
    e.NumeroLote = std::to_string(*numero);
    if (*numero < 1 || *numero > std::numeric_limits<int32_t>::max()) Levanta(CodigoErro::Estouro);

    e.ArquivoAtual = CaminhoAssinado(ctx);
    {
      auto componente = Componente(ctx);
      e.RetornoServico = componente->GeraLote(e.ArquivoAtual, static_cast<int32_t>(*numero));
    }
    ctx.log.RegistraEvento("        Lote gerado: " + e.RetornoServico, true, true);
    if (e.RetornoServico.empty()) {
      ctx.log.RegistraEvento("      ** Erro ao gerar Lote: " + e.ArquivoAtual, true, true);
      return false;
    }
    e.NumeroLote = IdentificadorLote(*numero);

    // Step 1 is written with the batch, in one transaction, beside the signed
    // document step 0 stored: a Host that resumes the invoice finds what was sent.
    if (!data::ExecutaEmTransacao(Banco(ctx), {"UPDATE MovimentoNFe SET [Numero do Lote] = " +
                                                   std::to_string(*numero) + ", [Etapa Concluida] = 1" +
                                                   LinhaDaNota(ctx),
                                               data::ComandoGravaLote(NotaAtual(ctx), e.NumeroLote, LeLote(ctx))})) {
      ctx.log.RegistraEvento("      ** Erro ao atualizar MovimentoNFe: Etapa Concluída 1", true, false);
      return false;
    }
    bool processadoNoEnvio = false;
    const bool enviado = EnviaLoteNFE(ctx, &processadoNoEnvio);
    if (processado) *processado = processadoNoEnvio;
    // A batch processed on receipt has had its step written by its answer.
    if (enviado || processadoNoEnvio) return enviado;
    if (!AtualizaNota(ctx, "[Etapa Concluida] = 0"))
      ctx.log.RegistraEvento("      ** Erro ao atualizar MovimentoNFe - Etapa Concluída 0", true, false);
    return false;
  });
}

bool EnviaLoteNFE(Contexto& ctx, bool* processado) {
  if (processado) *processado = false;
  return ComTratamento(ctx, "EnviaLoteNFE", [&] {
    SolicitacaoAtual& e = ctx.atual;
    e.MensagemRetorno = "Não foi possível enviar o lote";
    e.NumeroRecepcao.clear();
    e.ArquivoAtual = e.PastaBase + "\\nfe\\lotes\\" + e.NumeroLote + kSufixoLote;
    e.FalhaEnvioLote = SolicitacaoAtual::FalhaEnvio::Nenhuma;
    e.DetalheFalhaEnvio.clear();
    RespostaLote resposta;
    {
      auto componente = Componente(ctx);
      try {
        resposta = componente->EnviaLote(e.ArquivoAtual);
      } catch (const ErroExecucao& erro) {
        // How far the batch went decides whether it may go elsewhere (contingencia_emissao.h).
        switch (autoridade::ClassificaFalha(erro.Descricao())) {
          case autoridade::FalhaTransporte::Nenhuma: break;
          case autoridade::FalhaTransporte::NaoEnviada:
            e.FalhaEnvioLote = SolicitacaoAtual::FalhaEnvio::ConexaoRecusada;
            break;
          case autoridade::FalhaTransporte::Incerta: e.FalhaEnvioLote = SolicitacaoAtual::FalhaEnvio::SemResposta; break;
        }
        e.DetalheFalhaEnvio = erro.Descricao();
        throw;
      }
    }
    e.RetornoServico = TextoEnvioLote(resposta);
    ctx.log.RegistraEvento("        Lote enviado: " + e.RetornoServico + " - do Arquivo: " + e.ArquivoAtual, true, false);
    if (resposta.Processado()) {
      // The synchronous answer: the invoice's protocol came with it.
      if (processado) *processado = true;
      return RegistraResultadoLote(ctx, resposta);
    }
    if (!resposta.Recebido()) {
      if (resposta.cStat == "108" || resposta.cStat == "109" || resposta.cStat == "114") {
        e.FalhaEnvioLote = resposta.cStat == "114" ? SolicitacaoAtual::FalhaEnvio::SvcDesabilitada
                                                   : SolicitacaoAtual::FalhaEnvio::Paralisado;
        e.DetalheFalhaEnvio = resposta.cStat + " - " + resposta.xMotivo;
      }
      // A batch the authority refused (a rejection, code 200 or above: sending
      // it again will not help) answers with the authority's reason; a
      // service that is down or gave no answer keeps the generic message.
      if (LoteRejeitado(resposta)) e.MensagemRetorno = resposta.cStat + " - " + resposta.xMotivo;
      return false;
    }
    // Received: whatever fails from here, the batch was sent.
    e.MensagemRetorno = "Lote recebido pela autoridade";

    e.NumeroRecepcao = resposta.nRec;
    // The receipt goes into the statement as a number: nothing but its digits may.
    if (!SoDigitos(e.NumeroRecepcao, 15)) {
      ctx.log.RegistraEvento("      ** Recibo inválido no retorno do envio do lote (15 dígitos esperados): \"" +
                                 e.NumeroRecepcao + "\"",
                             true, false);
      e.NumeroRecepcao.clear();
      e.MensagemRetorno = "Recibo inválido no retorno do envio do lote";
      return false;
    }
    if (AtualizaNota(ctx, "[Numero da Recepcao] = " + e.NumeroRecepcao)) return true;
    ctx.log.RegistraEvento("      ** Erro ao atualizar MovimentoNFe Numero da Recepcao: " + e.NumeroRecepcao, true,
                           false);
    e.MensagemRetorno = "Erro ao registrar o recibo do lote";
    return false;
  });
}

}  // namespace velant
