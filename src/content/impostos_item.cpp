// Tax slots of an item: ICMS (normal regime CST or Simples Nacional CSOSN),
// substitution, PIS, COFINS and the IPI framing.
#include <string>

#include "base/regional.h"
#include "base/texto.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/item_nota.h"

namespace velant::conteudo {
namespace {

std::string Dec2(const data::Recordset& nota, const char* coluna) { return FormataDecimal2(nota.Value(coluna)); }

// The base values of a service are zero.
std::string ProdutoOuZero(const data::Recordset& nota, const char* coluna) {
  if (Igual(nota.Value("servprod"), Valor("P"))) return Dec2(nota, coluna);
  return "0.00";
}

// "ValorIva" and "BCST" are converted to currency where the tests use them,
// so a Null there is an error.
bool IvaPositivo(const data::Recordset& nota) { return CCur(nota.Value("ValorIva")) > Currency(); }
std::string BcstEmMoeda(const data::Recordset& nota) { return FormataDecimal2(Valor(CCur(nota.Value("BCST")))); }

Valor CreditoSN(const Valor& base, Currency taxa) {
  Valor produto = Multiplica(base, Valor(taxa));
  if (produto.ENulo()) return produto;
  return Valor(CDbl(produto) / 100.0);
}

void CreditoSimplesNacional(const data::Recordset& nota, std::vector<std::string>& linha, Currency taxa,
                            bool comDesconto) {
  linha[Produto::pCredSN] = FormataDecimal2(Valor(taxa));
  Valor base = comDesconto ? Subtrai(nota.Value("totalprodserv"), nota.Value("TotalDescontoPd"))
                           : nota.Value("totalprodserv");
  linha[Produto::vCredICMSSN] = FormataDecimal2(CreditoSN(base, taxa));
}

bool CfopVendaEcf(const data::Recordset& nota) { return IgualAlgum(nota.Value("cfop"), {5929, 6929}); }

// Stage 3, branch A: Simples Nacional with a CSOSN other than "000".
void SituacaoSimplesNacional(const data::Recordset& nota, std::vector<std::string>& linha, const std::string& S,
                             Currency taxa) {
  const bool domestico = Diferente(nota.Value("ufcli"), Valor("EX"));
  if (CfopVendaEcf(nota)) {
    linha[Produto::CSTouCSOSN] = "400";
  } else if (S == "101" && domestico) {
    linha[Produto::CSTouCSOSN] = "101";
    CreditoSimplesNacional(nota, linha, taxa, true);
  } else if (S == "102" && domestico) {
    linha[Produto::CSTouCSOSN] = "102";
  } else if (S == "103" && domestico) {
    linha[Produto::CSTouCSOSN] = "103";
  } else if (S == "300") {
    linha[Produto::CSTouCSOSN] = "300";
  } else if (S == "201" && domestico) {
    linha[Produto::CSTouCSOSN] = "201";
    CreditoSimplesNacional(nota, linha, taxa, true);
    linha[Produto::modBCST] = "4";
    if (IvaPositivo(nota)) linha[Produto::pMVAST] = Dec2(nota, "ValorIva");
    linha[Produto::pRedBCST] = Dec2(nota, "PercentualRedICMSSub");
    linha[Produto::pICMSST] = Dec2(nota, "PercentualICMSSub");
    linha[Produto::vICMSST] = Dec2(nota, "ValorIcmsSub");
    linha[Produto::vBCST] = BcstEmMoeda(nota);
  } else if (S == "202" && domestico) {
    linha[Produto::CSTouCSOSN] = "202";
    linha[Produto::modBCST] = "4";
    linha[Produto::pICMSST] = Dec2(nota, "PercentualICMSSub");
    linha[Produto::vICMSST] = Dec2(nota, "ValorIcmsSub");
    linha[Produto::pRedBCST] = Dec2(nota, "PercentualRedICMSSub");
    linha[Produto::vBCST] = Dec2(nota, "BCST");
  } else if (S == "203" && domestico) {
    linha[Produto::CSTouCSOSN] = "203";
  } else if (S == "400" && domestico) {
    linha[Produto::CSTouCSOSN] = "400";
  } else if (S == "500" && domestico) {
    linha[Produto::CSTouCSOSN] = "500";
    linha[Produto::vBCST] = Dec2(nota, "BCST");
    linha[Produto::vICMSST] = Dec2(nota, "ValorIcmsSub");
  } else if (S == "900" && domestico) {
    linha[Produto::CSTouCSOSN] = "900";
    CreditoSimplesNacional(nota, linha, taxa, false);
    linha[Produto::modBCST] = "4";
    linha[Produto::modBC] = "3";
    linha[Produto::vBC] = ProdutoOuZero(nota, "ValorBCICMSProd");
    linha[Produto::pRedBC] = Dec2(nota, "PercentualRedICMS");
    linha[Produto::pICMS] = ProdutoOuZero(nota, "AliquotaICMSProd");
    linha[Produto::vICMS] = ProdutoOuZero(nota, "ValorIcmsProd");
    linha[Produto::pICMSST] = Dec2(nota, "PercentualICMSSub");
    linha[Produto::vICMSST] = Dec2(nota, "ValorIcmsSub");
    if (IvaPositivo(nota)) linha[Produto::pMVAST] = Dec2(nota, "ValorIva");
    if (Maior(nota.Value("PercentualRedICMSSub"), Valor(int32_t{0})))
      linha[Produto::pRedBCST] = Dec2(nota, "PercentualRedICMSSub");
    linha[Produto::vBCST] = BcstEmMoeda(nota);
  } else if (Igual(nota.Value("ufcli"), Valor("EX"))) {
    // An export is immune from ICMS; under Simples Nacional that is CSOSN
    // 300, as a CST here would be refused.
    linha[Produto::CSTouCSOSN] = "300";
  }
}

}  // namespace

void PreencheIcmsItem(const data::Recordset& nota, std::vector<std::string>& linha, std::string& S,
                      const ParametrosItem& parametros) {
  const int16_t crt = parametros.crt;
  S = BrutoDe(nota, "codsittrib");

  // Stage 0: origin.
  if (Igual(nota.Value("tpnf"), Valor(int32_t{0}))) {
    linha[Produto::orig] = "0";
  } else {
    linha[Produto::orig] = Left(BrutoDe(nota, "codsittrib"), 1);
  }

  // Stage 1: base values.
  const bool vendaEcf = CfopVendaEcf(nota);
  if (crt == 1 && IgualAlgum(nota.Value("cfop"), {6949, 5949, 6202, 5202})) {
    linha[Produto::modBC] = "2";
    linha[Produto::vBC] = ProdutoOuZero(nota, "ValorBCICMSProd");
    linha[Produto::pICMS] = ProdutoOuZero(nota, "AliquotaICMSProd");
    linha[Produto::vICMS] = ProdutoOuZero(nota, "ValorIcmsProd");
  } else if (crt == 1 && vendaEcf) {
    linha[Produto::CSTouCSOSN] = "400";
    linha[Produto::modBC] = "1";
  } else if (crt == 1 && IgualAlgum(nota.Value("cfop"), {1913, 2913})) {
    linha[Produto::CSTouCSOSN] = S;
    linha[Produto::modBC] = "1";
    linha[Produto::vBC] = linha[Produto::pICMS] = linha[Produto::vICMS] = "0.00";
  } else if (crt == 1) {
    linha[Produto::modBC] = "0";
    linha[Produto::vBC] = linha[Produto::pICMS] = linha[Produto::vICMS] = "0.00";
  } else if (vendaEcf) {
    linha[Produto::CSTouCSOSN] = Mid(S, 2, 2);
    linha[Produto::modBC] = "3";
    linha[Produto::vBC] = linha[Produto::pICMS] = linha[Produto::vICMS] = "0.00";
  } else {
    linha[Produto::CSTouCSOSN] = Mid(S, 2, 2);
    linha[Produto::modBC] = "2";
    linha[Produto::vBC] = ProdutoOuZero(nota, "ValorBCICMSProd");
    linha[Produto::pICMS] = ProdutoOuZero(nota, "AliquotaICMSProd");
    linha[Produto::vICMS] = ProdutoOuZero(nota, "ValorIcmsProd");
  }

  // Stage 2: CST 60 with the regime 0.
  if (crt == 0 && Igual(nota.Value("codsittrib"), Valor("060"))) {
    linha[Produto::modBCST] = "0";
    if (IvaPositivo(nota)) linha[Produto::pMVAST] = Dec2(nota, "ValorIva");
    if (Maior(nota.Value("PercentualRedICMSSub"), Valor(int32_t{0}))) linha[Produto::pRedBCST] = "0.00";
  }

  // Stage 3: situation code.
  if (crt == 1 && S != "000") {
    SituacaoSimplesNacional(nota, linha, S, parametros.taxaCreditoSN);
  } else if (crt == 1) {
    // CSOSN "000": slot 18 stays as the base values left it.
  } else if (crt == 3) {
    linha[Produto::pMVAST] = Dec2(nota, "ValorIva");
    linha[Produto::pRedBCST] = Dec2(nota, "PercentualRedICMSSub");
  }

  // Stage 4: substitution tail, for every item.
  linha[Produto::vBCST] = Dec2(nota, "BCST");
  linha[Produto::pICMSST] = Dec2(nota, "PercentualICMSSub");
  linha[Produto::vICMSST] = Dec2(nota, "ValorIcmsSub");
  linha[Produto::pRedBC] = Dec2(nota, "PercentualRedICMS");
}

void PreenchePisItem(const data::Recordset& nota, std::vector<std::string>& linha) {
  linha[Produto::CST_PIS] = BrutoDe(nota, "CSTPIS");
  if (CfopVendaEcf(nota)) {
    linha[Produto::CST_PIS] = "49";
    linha[Produto::vBC_PIS] = linha[Produto::pPIS] = linha[Produto::vPIS] = "0.00";
    linha[Produto::vAliqProd_PIS] = "0.0000";
  } else if (Igual(nota.Value("CSTPIS"), Valor("03"))) {
    linha[Produto::vBC_PIS] = "";
    linha[Produto::pPIS] = "";
    linha[Produto::vPIS] = FormataDecimal2(Multiplica(nota.Value("valorpisreais"), nota.Value("qntprod")));
    linha[Produto::vAliqProd_PIS] = Dec2(nota, "valorpisreais") + "00";
  } else if (IgualAlgumTexto(nota.Value("CSTPIS"), {"01", "02", "04", "99"})) {
    linha[Produto::vBC_PIS] = IgualAlgum(nota.Value("cfop"), {5915, 6915})
                                  ? std::string("0.00")
                                  : FormataDecimal2(Subtrai(nota.Value("totalprodserv"), nota.Value("DescontoProd")));
    linha[Produto::pPIS] = Dec2(nota, "valorpisprod");
    linha[Produto::vPIS] = Dec2(nota, "valorpisreais");
    linha[Produto::vAliqProd_PIS] = "0.0000";
  }
}

void PreencheCofinsItem(const data::Recordset& nota, std::vector<std::string>& linha) {
  linha[Produto::CST_COFINS] = BrutoDe(nota, "cstcofins");
  if (CfopVendaEcf(nota)) {
    linha[Produto::CST_COFINS] = "49";
    linha[Produto::vBC_COFINS] = linha[Produto::pCOFINS] = linha[Produto::vCOFINS] = "0.00";
    linha[Produto::vAliqProd_COFINS] = "0.0000";
  } else if (Igual(nota.Value("cstcofins"), Valor("03"))) {
    linha[Produto::vBC_COFINS] = Dec2(nota, "totalprodserv");
    linha[Produto::vCOFINS] = Dec2(nota, "valorcofinsprod");
    linha[Produto::vAliqProd_COFINS] = Dec2(nota, "valorcofinsreais") + "00";
  } else if (IgualAlgumTexto(nota.Value("cstcofins"), {"01", "02", "04", "99"})) {
    linha[Produto::vBC_COFINS] =
        IgualAlgum(nota.Value("cfop"), {5915, 6915}) ? std::string("0.00") : Dec2(nota, "totalprodserv");
    linha[Produto::pCOFINS] = Dec2(nota, "valorcofinsprod");
    linha[Produto::vCOFINS] = Dec2(nota, "valorcofinsreais");
    linha[Produto::vAliqProd_COFINS] = "0.0000";
  }
}

void PreencheIpiItem(const data::Recordset& nota, std::vector<std::string>& linha) {
  if (Maior(nota.Value("TotalIpitot"), Valor(int32_t{0}))) {
    linha[Produto::vBC_IPI] = "0";
    linha[Produto::CNPJProd] = "00000000000000";
    linha[Produto::pIPI] = "0";
    linha[Produto::vIPI] = "0";
    linha[Produto::cEnq] = "999";
    // The item's own IPI, on its value: without it the invoice's IPI total
    // would differ from the sum of the items.
    if (Maior(nota.Value("ValorIPIProd"), Valor(int32_t{0}))) {
      linha[Produto::vBC_IPI] = Dec2(nota, "totalprodserv");
      linha[Produto::pIPI] = Dec2(nota, "AliquotaIPIProd");
      linha[Produto::vIPI] = Dec2(nota, "ValorIPIProd");
    }
  }
}

}  // namespace velant::conteudo
