// What only a layout 4.00 invoice carries: the payment, the poverty-fund
// (FCP) amounts, the benefit code and the lot of each item, and the fund
// totals. A layout 3.10 invoice leaves these slots empty.
#include <string>

#include "base/converte_valor.h"
#include "base/texto.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/preenche_vetores.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

namespace {

// An amount column: "" when zero or absent, so that the generator leaves
// its group out.
std::string ValorSePositivo(const data::Recordset& nota, const char* coluna, bool quatroCasas) {
  if (!nota.TemCampo(coluna)) return "";
  const Valor& v = nota.Value(coluna);
  if (v.ENulo()) return "";
  std::string texto = FormataDecimal2(v);
  if (texto.empty() || texto[0] == '-' || texto.find_first_of("123456789") == std::string::npos) return "";
  return quatroCasas ? FormataDecimal4(conteudo::BrutoDe(nota, coluna)) : texto;
}

}  // namespace

bool LeiauteQuatro(const Contexto& ctx) { return ctx.atual.LeiauteNFe == "4.00"; }

void Gera_dados_pagamento(Contexto& ctx) {
  auto& v = ctx.vetores.gVetorIde;
  const auto& p = ctx.atual.PagamentoSolicitado;
  std::string tPag = Trim(p.tPag);
  if (tPag.empty()) tPag = Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "TipoPagamentoPadrao"));
  v[Ide::tPag] = tPag;
  v[Ide::xPag] = Trim(p.xPag);
  v[Ide::vTroco] = Trim(p.vTroco).empty() ? "" : FormataDecimal2(Valor(ConverteValor(p.vTroco)));
  v[Ide::tpIntegra] = Trim(p.tpIntegra);
  v[Ide::CNPJ_card] = Trim(p.CNPJ);
  v[Ide::tBand] = Trim(p.tBand);
  v[Ide::cAut] = Trim(p.cAut);
  v[Ide::indIntermed] = Trim(p.indIntermed);
}

void PreencheItemLeiaute4(const data::Recordset& nota, std::vector<std::string>& linha) {
  linha[Produto::vBCFCP] = ValorSePositivo(nota, "BCFCPProd", false);
  linha[Produto::pFCP] = ValorSePositivo(nota, "PercentualFCPProd", true);
  linha[Produto::vFCP] = ValorSePositivo(nota, "ValorFCPProd", false);
  linha[Produto::vBCFCPST] = ValorSePositivo(nota, "BCFCPSTProd", false);
  linha[Produto::pFCPST] = ValorSePositivo(nota, "PercentualFCPSTProd", true);
  linha[Produto::vFCPST] = ValorSePositivo(nota, "ValorFCPSTProd", false);
  linha[Produto::vBCFCPSTRet] = ValorSePositivo(nota, "BCFCPSTRetProd", false);
  linha[Produto::pFCPSTRet] = ValorSePositivo(nota, "PercentualFCPSTRetProd", true);
  linha[Produto::vFCPSTRet] = ValorSePositivo(nota, "ValorFCPSTRetProd", false);
  linha[Produto::cBenef] = Trim(conteudo::OpcionalDe(nota, "CodBeneficioFiscal"));
  linha[Produto::nLote] = Trim(conteudo::OpcionalDe(nota, "LoteProd"));
  if (!linha[Produto::nLote].empty()) {
    linha[Produto::qLote] = FormataDecimal4(conteudo::OpcionalDe(nota, "QntLoteProd"));
    linha[Produto::dFab] = Trim(conteudo::OpcionalDe(nota, "DtFabricacaoLote"));
    linha[Produto::dVal] = Trim(conteudo::OpcionalDe(nota, "DtValidadeLote"));
    linha[Produto::cAgreg] = Trim(conteudo::OpcionalDe(nota, "CodAgregacaoLote"));
  }
  linha[Produto::descANP] = Trim(conteudo::OpcionalDe(nota, "DescricaoANP"));
}

void SomaFcpNosTotais(VetoresNFe& v) {
  const std::pair<Produto::Slot, Totais::Slot> somas[] = {
      {Produto::vFCP, Totais::vFCP}, {Produto::vFCPST, Totais::vFCPST}, {Produto::vFCPSTRet, Totais::vFCPSTRet}};
  for (const auto& [item, total] : somas) {
    Currency soma;
    for (const auto& linha : v.gVetorProdutos)
      if (!linha[item].empty()) soma += Currency::DeTextoInvariante(linha[item]);
    v.gVetorTotais[total] = FormataDecimal2(Valor(soma));
  }
  v.gVetorTotais[Totais::vIPIDevol] = "0.00";
}

}  // namespace velant
