#include "content/preenche_vetores.h"

#include <exception>

#include "content/execucao_tolerante.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

void ParametrosEmissaoFila(Contexto& ctx) {
  VetoresNFe& v = ctx.vetores;
  v.gTipoEmissao = 1;
  v.gFinalidadeNFe = ctx.atual.IndicadorDevolucao == "SIM" ? 4 : 1;
  ctx.atual.ObservacaoEmissao.clear();
  v.gQtdItens = ctx.tabelas.TabelaNota.RecordCount();
  v.gQtdDuplicatas = ctx.tabelas.TabelaDuplicatas.RecordCount();
  v.gQtdCuponsRef = static_cast<int16_t>(ctx.tabelas.TabelaCupons.RecordCount());
}

bool PreencheVetores(Contexto& ctx) {
  try {
    // Identification and totals before billing (it copies their slots);
    // issuer before additional information (it copies the city); every
    // header group before the items, which walk TabelaNota to its end.
    Gera_dados_ide(ctx);
    if (LeiauteQuatro(ctx)) {
      Gera_dados_pagamento(ctx);
      MunicipioFatoGeradorIbs(ctx);
    }
    Gera_dados_emitente(ctx);
    Gera_dados_destinatario(ctx);
    Gera_dados_totais(ctx);
    Gera_dados_transporte(ctx);
    Gera_dados_infAdic(ctx);
    Gera_dados_produtos(ctx);
    if (LeiauteQuatro(ctx)) SomaFcpNosTotais(ctx.vetores);
    Gera_dados_faturas(ctx);
    Gera_dados_autXML(ctx);
    return true;
  } catch (const std::exception& erro) {
    ctx.ui.MsgBox("Erro: " + conteudo::DescricaoErro(erro), vbCritical, "PreencheVetores");
    return false;
  }
}

}  // namespace velant
