#include "lifecycle/imprimir_nfe.h"

#include "base/erro.h"
#include "base/regional.h"
#include "component/fiscal_doc_service.h"
#include "lifecycle/envio_email_comum.h"
#include "lifecycle/epec_emissao.h"
#include "lifecycle/motivo_falha.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

bool ImprimirNFE(Contexto& ctx, const std::string& pChave, const std::string&, DataHora pDataEmissao) {
  return emissao::ComTratamento(ctx, "ImprimirNFE", [&] {
    SolicitacaoAtual& e = ctx.atual;
    const std::string procNFe = e.PastaBase + "\\nfe\\arquivos\\procNFe\\";
    e.ArquivoAtual = procNFe + pChave + "-procNFe.xml";
    if (!ArquivoExiste(ctx, e.ArquivoAtual))
      e.ArquivoAtual = procNFe + Format(Valor(pDataEmissao), "yyyyMM") + "\\" + pChave + "-procNFe.xml";
    // Issued in EPEC and not authorised yet: its DANFE is the EPEC's.
    if (!ArquivoExiste(ctx, e.ArquivoAtual) && ArquivoExiste(ctx, ArquivoEpec(ctx, pChave)))
      e.ArquivoAtual = ArquivoEpec(ctx, pChave);
    const std::string pdf = e.PastaBase + "\\nfe\\arquivos\\PDF\\" + pChave + ".pdf";

    auto componente = emissao::Componente(ctx);
    try {
      // A PDF already written is the one the customer may have received: printed again, never rewritten.
      if (!ArquivoExiste(ctx, pdf)) componente->ImprimeDanfe(e.ArquivoAtual, pdf, 2, 0);
      componente->ImprimeDanfe(e.ArquivoAtual, "", 3, 0);
    } catch (const ErroExecucao& erro) {
      // A refused document (tampered, too large) is the answer's reason.
      if (auto motivo = MotivoConhecido(erro.Descricao())) e.MotivoFalha = *motivo;
      throw;
    }
    return ArquivoExiste(ctx, e.ArquivoAtual) && ArquivoExiste(ctx, pdf);
  });
}

}  // namespace velant
