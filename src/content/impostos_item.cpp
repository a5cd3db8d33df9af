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
  linha[77] = FormataDecimal2(Valor(taxa));
  Valor base = comDesconto ? Subtrai(nota.Value("totalprodserv"), nota.Value("TotalDescontoPd"))
                           : nota.Value("totalprodserv");
  linha[78] = FormataDecimal2(CreditoSN(base, taxa));
}

bool CfopVendaEcf(const data::Recordset& nota) { return IgualAlgum(nota.Value("cfop"), {5929, 6929}); }

// Stage 3, branch A: Simples Nacional with a CSOSN other than "000".
void SituacaoSimplesNacional(const data::Recordset& nota, std::vector<std::string>& linha, const std::string& S,
                             Currency taxa) {
  const bool domestico = Diferente(nota.Value("ufcli"), Valor("EX"));
  if (CfopVendaEcf(nota)) {
    linha[18] = "400";
  } else if (S == "101" && domestico) {
    linha[18] = "101";
    CreditoSimplesNacional(nota, linha, taxa, true);
  } else if (S == "102" && domestico) {
    linha[18] = "102";
  } else if (S == "103" && domestico) {
    linha[18] = "103";
  } else if (S == "300") {
    linha[18] = "300";
  } else if (S == "201" && domestico) {
    linha[18] = "201";
    CreditoSimplesNacional(nota, linha, taxa, true);
    linha[46] = "4";
    if (IvaPositivo(nota)) linha[47] = Dec2(nota, "ValorIva");
    linha[48] = Dec2(nota, "PercentualRedICMSSub");
    linha[50] = Dec2(nota, "PercentualICMSSub");
    linha[51] = Dec2(nota, "ValorIcmsSub");
    linha[49] = BcstEmMoeda(nota);
  } else if (S == "202" && domestico) {
    linha[18] = "202";
    linha[46] = "4";
    linha[50] = Dec2(nota, "PercentualICMSSub");
    linha[51] = Dec2(nota, "ValorIcmsSub");
    linha[48] = Dec2(nota, "PercentualRedICMSSub");
    linha[49] = Dec2(nota, "BCST");
  } else if (S == "203" && domestico) {
    linha[18] = "203";
  } else if (S == "400" && domestico) {
    linha[18] = "400";
  } else if (S == "500" && domestico) {
    linha[18] = "500";
    linha[49] = Dec2(nota, "BCST");
    linha[51] = Dec2(nota, "ValorIcmsSub");
  } else if (S == "900" && domestico) {
    linha[18] = "900";
    CreditoSimplesNacional(nota, linha, taxa, false);
    linha[46] = "4";
    linha[19] = "3";
    linha[20] = ProdutoOuZero(nota, "ValorBCICMSProd");
    linha[52] = Dec2(nota, "PercentualRedICMS");
    linha[21] = ProdutoOuZero(nota, "AliquotaICMSProd");
    linha[22] = ProdutoOuZero(nota, "ValorIcmsProd");
    linha[50] = Dec2(nota, "PercentualICMSSub");
    linha[51] = Dec2(nota, "ValorIcmsSub");
    if (IvaPositivo(nota)) linha[47] = Dec2(nota, "ValorIva");
    if (Maior(nota.Value("PercentualRedICMSSub"), Valor(int32_t{0}))) linha[48] = Dec2(nota, "PercentualRedICMSSub");
    linha[49] = BcstEmMoeda(nota);
  } else if (Igual(nota.Value("ufcli"), Valor("EX"))) {
    // An export is immune from ICMS; under Simples Nacional that is CSOSN
    // 300, as a CST here would be refused.
    linha[18] = "300";
  }
}

}  // namespace

void PreencheIcmsItem(const data::Recordset& nota, std::vector<std::string>& linha, std::string& S,
                      const ParametrosItem& parametros) {
  const int16_t crt = parametros.crt;
  S = BrutoDe(nota, "codsittrib");

  // Stage 0: origin.
  if (Igual(nota.Value("tpnf"), Valor(int32_t{0}))) {
    linha[17] = "0";
  } else {
    linha[17] = Left(BrutoDe(nota, "codsittrib"), 1);
  }

  // Stage 1: base values.
  const bool vendaEcf = CfopVendaEcf(nota);
  if (crt == 1 && IgualAlgum(nota.Value("cfop"), {6949, 5949, 6202, 5202})) {
    linha[19] = "2";
    linha[20] = ProdutoOuZero(nota, "ValorBCICMSProd");
    linha[21] = ProdutoOuZero(nota, "AliquotaICMSProd");
    linha[22] = ProdutoOuZero(nota, "ValorIcmsProd");
  } else if (crt == 1 && vendaEcf) {
    linha[18] = "400";
    linha[19] = "1";
  } else if (crt == 1 && IgualAlgum(nota.Value("cfop"), {1913, 2913})) {
    linha[18] = S;
    linha[19] = "1";
    linha[20] = linha[21] = linha[22] = "0.00";
  } else if (crt == 1) {
    linha[19] = "0";
    linha[20] = linha[21] = linha[22] = "0.00";
  } else if (vendaEcf) {
    linha[18] = Mid(S, 2, 2);
    linha[19] = "3";
    linha[20] = linha[21] = linha[22] = "0.00";
  } else {
    linha[18] = Mid(S, 2, 2);
    linha[19] = "2";
    linha[20] = ProdutoOuZero(nota, "ValorBCICMSProd");
    linha[21] = ProdutoOuZero(nota, "AliquotaICMSProd");
    linha[22] = ProdutoOuZero(nota, "ValorIcmsProd");
  }

  // Stage 2: CST 60 with the regime 0.
  if (crt == 0 && Igual(nota.Value("codsittrib"), Valor("060"))) {
    linha[46] = "0";
    if (IvaPositivo(nota)) linha[47] = Dec2(nota, "ValorIva");
    if (Maior(nota.Value("PercentualRedICMSSub"), Valor(int32_t{0}))) linha[48] = "0.00";
  }

  // Stage 3: situation code.
  if (crt == 1 && S != "000") {
    SituacaoSimplesNacional(nota, linha, S, parametros.taxaCreditoSN);
  } else if (crt == 1) {
    // CSOSN "000": slot 18 stays as the base values left it.
  } else if (crt == 3) {
    linha[47] = Dec2(nota, "ValorIva");
    linha[48] = Dec2(nota, "PercentualRedICMSSub");
  }

  // Stage 4: substitution tail, for every item.
  linha[49] = Dec2(nota, "BCST");
  linha[50] = Dec2(nota, "PercentualICMSSub");
  linha[51] = Dec2(nota, "ValorIcmsSub");
  linha[52] = Dec2(nota, "PercentualRedICMS");
  for (int i = 23; i <= 30; ++i) linha[i] = "";
}

void PreenchePisItem(const data::Recordset& nota, std::vector<std::string>& linha) {
  linha[31] = BrutoDe(nota, "CSTPIS");
  if (CfopVendaEcf(nota)) {
    linha[31] = "49";
    linha[32] = linha[33] = linha[34] = "0.00";
    linha[45] = "0.0000";
  } else if (Igual(nota.Value("CSTPIS"), Valor("03"))) {
    linha[32] = "";
    linha[33] = "";
    linha[34] = FormataDecimal2(Multiplica(nota.Value("valorpisreais"), nota.Value("qntprod")));
    linha[45] = Dec2(nota, "valorpisreais") + "00";
  } else if (IgualAlgumTexto(nota.Value("CSTPIS"), {"01", "02", "04", "99"})) {
    linha[32] = IgualAlgum(nota.Value("cfop"), {5915, 6915})
                    ? std::string("0.00")
                    : FormataDecimal2(Subtrai(nota.Value("totalprodserv"), nota.Value("DescontoProd")));
    linha[33] = Dec2(nota, "valorpisprod");
    linha[34] = Dec2(nota, "valorpisreais");
    linha[45] = "0.0000";
  }
}

void PreencheCofinsItem(const data::Recordset& nota, std::vector<std::string>& linha) {
  linha[35] = BrutoDe(nota, "cstcofins");
  if (CfopVendaEcf(nota)) {
    linha[35] = "49";
    linha[36] = linha[37] = linha[38] = "0.00";
    linha[44] = "0.0000";
  } else if (Igual(nota.Value("cstcofins"), Valor("03"))) {
    linha[36] = Dec2(nota, "totalprodserv");
    linha[38] = Dec2(nota, "valorcofinsprod");
    linha[44] = Dec2(nota, "valorcofinsreais") + "00";
  } else if (IgualAlgumTexto(nota.Value("cstcofins"), {"01", "02", "04", "99"})) {
    linha[36] = IgualAlgum(nota.Value("cfop"), {5915, 6915}) ? std::string("0.00") : Dec2(nota, "totalprodserv");
    linha[37] = Dec2(nota, "valorcofinsprod");
    linha[38] = Dec2(nota, "valorcofinsreais");
    linha[44] = "0.0000";
  }
}

void PreencheIpiItem(const data::Recordset& nota, std::vector<std::string>& linha) {
  if (Maior(nota.Value("TotalIpitot"), Valor(int32_t{0}))) {
    linha[87] = "0";
    linha[88] = "00000000000000";
    linha[89] = "0";
    linha[90] = "0";
    linha[91] = "999";
    // The item's own IPI, on its value: without it the invoice's IPI total
    // would differ from the sum of the items.
    if (Maior(nota.Value("ValorIPIProd"), Valor(int32_t{0}))) {
      linha[87] = Dec2(nota, "totalprodserv");
      linha[89] = Dec2(nota, "AliquotaIPIProd");
      linha[90] = Dec2(nota, "ValorIPIProd");
    }
  }
}

}  // namespace velant::conteudo
