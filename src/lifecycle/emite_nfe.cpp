#include <limits>

#include "base/erro.h"
#include "data/tabelas_solicitacao.h"
#include "lifecycle/gerar_nfe.h"
#include "lifecycle/processa_nfe.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

bool EmiteNFE(Contexto& ctx, int16_t pTipoEmissao, const std::string& pObservacao) {
  return emissao::ComTratamento(ctx, "EmiteNFE", [&] {
    ctx.vetores.gFinalidadeNFe = 1;
    ctx.vetores.gTipoEmissao = pTipoEmissao;
    if (ctx.atual.IndicadorDevolucao == "SIM") ctx.vetores.gFinalidadeNFe = 4;
    ctx.atual.ObservacaoEmissao = pObservacao;
    return ImprimeNfeTabSaida(ctx, false);
  });
}

bool ImprimeNfeTabSaida(Contexto& ctx, bool pFinalidade2) {
  return emissao::ComTratamento(ctx, "ImprimeNfeTabSaida", [&] {
    VetoresNFe& v = ctx.vetores;
    v.gFinalidadeNFe = pFinalidade2 ? 2 : 1;
    if (ctx.atual.IndicadorDevolucao == "SIM") v.gFinalidadeNFe = 4;
    v.gQtdItens = ctx.tabelas.TabelaNota.RecordCount();
    v.gQtdDuplicatas = ctx.tabelas.TabelaDuplicatas.RecordCount();
    int32_t cupons = ctx.tabelas.TabelaCupons.RecordCount();
    if (cupons > std::numeric_limits<int16_t>::max()) Levanta(CodigoErro::Estouro);
    v.gQtdCuponsRef = static_cast<int16_t>(cupons);
    return GerarNFE(ctx);
  });
}

}  // namespace velant
