// Rules that only layout 4.00 has: the payment group, the billing
// (invoice and instalments), the lots of an item and the operation outside
// the premises. A 3.10 document keeps them all.
#include <ctime>
#include <string>

#include "component/regras/regras_valores.h"
#include "component/regras/regras_verificacoes.h"

namespace velant::regras {

namespace {

bool SemPagamentoPelaFinalidade(const NFeLida& n) { return n.finNFe == "3" || n.finNFe == "4"; }

Inteiro SomaPagamentos(const NFeLida& n) {
  Inteiro soma = 0;
  for (const auto& p : n.pagamentos) soma += Centavos(p.vPag);
  return soma;
}

bool AlgumSemPagamento(const NFeLida& n) {
  for (const auto& p : n.pagamentos)
    if (p.tPag == "90") return true;
  return false;
}

std::string Valor(const std::optional<std::string>& v) { return v ? *v : "(ausente)"; }

// The date of a date-time "AAAA-MM-DDThh:mm:ss..." as it was written (local).
std::string DataDe(const std::string& dataHora) { return dataHora.substr(0, 10); }

// The date of the moment in Brasília (UTC-3), for the dates of the items.
std::string DataDoProcessamento(std::chrono::system_clock::time_point agora) {
  std::time_t t = std::chrono::system_clock::to_time_t(agora - std::chrono::hours(3));
  std::tm tm{};
  gmtime_r(&t, &tm);
  char texto[16];
  std::strftime(texto, sizeof texto, "%Y-%m-%d", &tm);
  return texto;
}

}  // namespace

Detalhe PagamentoAusente(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || n.pag) return std::nullopt;
  return "sem pag";
}

Detalhe PagamentoNaoSemPagamento(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || !SemPagamentoPelaFinalidade(n)) return std::nullopt;
  for (const auto& p : n.pagamentos)
    if (p.tPag != "90") return "finNFe " + n.finNFe + "; tPag " + p.tPag;
  return std::nullopt;
}

Detalhe ValorSemPagamento(const NFeLida& n, const ContextoRegras&) {
  for (const auto& p : n.pagamentos)
    if (p.tPag == "90" && Centavos(p.vPag) != 0) return "tPag 90; vPag " + p.vPag;
  return std::nullopt;
}

Detalhe OutrosSemDescricao(const NFeLida& n, const ContextoRegras&) {
  for (const auto& p : n.pagamentos)
    if (p.tPag == "99" && (!p.xPag || p.xPag->empty())) return std::string("tPag 99 sem xPag");
  return std::nullopt;
}

Detalhe PagamentosMenoresQueNota(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || SemPagamentoPelaFinalidade(n) || AlgumSemPagamento(n)) return std::nullopt;
  Inteiro soma = SomaPagamentos(n);
  if (soma >= Centavos(n.vNF)) return std::nullopt;
  return "soma de vPag " + TextoCentavos(soma) + "; vNF " + n.vNF;
}

Detalhe PagamentosMaioresSemTroco(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || n.vTroco) return std::nullopt;
  Inteiro soma = SomaPagamentos(n);
  if (soma <= Centavos(n.vNF)) return std::nullopt;
  return "soma de vPag " + TextoCentavos(soma) + "; vNF " + n.vNF + "; sem vTroco";
}

Detalhe TrocoIncorreto(const NFeLida& n, const ContextoRegras&) {
  if (!n.vTroco) return std::nullopt;
  Inteiro esperado = SomaPagamentos(n) - Centavos(n.vNF);
  if (Centavos(*n.vTroco) == esperado) return std::nullopt;
  return "vTroco " + *n.vTroco + "; soma de vPag - vNF = " + TextoCentavos(esperado);
}

Detalhe FaturaIncompleta(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || (!n.fat && n.duplicatas.empty())) return std::nullopt;
  if (n.nFat && n.vOrig && n.vDescFat && n.vLiq) return std::nullopt;
  return "fat: nFat " + Valor(n.nFat) + ", vOrig " + Valor(n.vOrig) + ", vDesc " + Valor(n.vDescFat) + ", vLiq " +
         Valor(n.vLiq);
}

Detalhe DescontoMaiorQueFatura(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || Centavos(n.vDescFat.value_or("")) <= Centavos(n.vOrig.value_or(""))) return std::nullopt;
  return "vDesc " + Valor(n.vDescFat) + "; vOrig " + Valor(n.vOrig);
}

Detalhe LiquidoDaFatura(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || !n.vLiq || !n.vOrig) return std::nullopt;
  Inteiro esperado = Centavos(*n.vOrig) - Centavos(n.vDescFat.value_or(""));
  if (Centavos(*n.vLiq) == esperado) return std::nullopt;
  return "vLiq " + *n.vLiq + "; vOrig - vDesc = " + TextoCentavos(esperado);
}

Detalhe FaturaMaiorQueNota(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4()) return std::nullopt;
  const std::optional<std::string>& valor = n.vLiq ? n.vLiq : n.vOrig;
  if (!valor || Centavos(*valor) <= Centavos(n.vNF)) return std::nullopt;
  return std::string(n.vLiq ? "vLiq " : "vOrig ") + *valor + "; vNF " + n.vNF;
}

// Instalments numbered "001", "002", ... in their order.
Detalhe NumeroDaParcela(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4()) return std::nullopt;
  for (size_t i = 0; i < n.duplicatas.size(); ++i) {
    std::string esperado = std::to_string(i + 1);
    esperado = std::string(esperado.size() < 3 ? 3 - esperado.size() : 0, '0') + esperado;
    const std::string& nDup = n.duplicatas[i].nDup;
    if (nDup != esperado) return "dup " + std::to_string(i + 1) + ": nDup " + (nDup.empty() ? "(ausente)" : nDup);
  }
  return std::nullopt;
}

Detalhe VencimentoAntesDaEmissao(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4()) return std::nullopt;
  for (size_t i = 0; i < n.duplicatas.size(); ++i) {
    const std::string& d = n.duplicatas[i].dVenc;
    if (d.empty() || d < DataDe(n.dhEmi))
      return "dup " + std::to_string(i + 1) + ": dVenc " + (d.empty() ? "(ausente)" : d) + "; dhEmi " + n.dhEmi;
  }
  return std::nullopt;
}

Detalhe VencimentoForaDeOrdem(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4()) return std::nullopt;
  for (size_t i = 1; i < n.duplicatas.size(); ++i)
    if (n.duplicatas[i].dVenc < n.duplicatas[i - 1].dVenc)
      return "dup " + std::to_string(i + 1) + ": dVenc " + n.duplicatas[i].dVenc + " antes de " +
             n.duplicatas[i - 1].dVenc;
  return std::nullopt;
}

Detalhe SomaDasParcelas(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || n.duplicatas.empty()) return std::nullopt;
  Inteiro soma = 0;
  for (const auto& d : n.duplicatas) soma += Centavos(d.vDup);
  if (soma == Centavos(n.vLiq.value_or(""))) return std::nullopt;
  return "soma de vDup " + TextoCentavos(soma) + "; vLiq " + Valor(n.vLiq);
}

Detalhe FabricacaoFutura(const NFeLida& n, const ContextoRegras& c) {
  const std::string hoje = DataDoProcessamento(c.agora);
  for (const auto& item : n.itens)
    for (const auto& lote : item.rastro)
      if (lote.dFab > hoje) return NoItem(item) + "dFab " + lote.dFab + "; hoje " + hoje;
  return std::nullopt;
}

Detalhe ValidadeAntesDaFabricacao(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens)
    for (const auto& lote : item.rastro)
      if (lote.dVal < lote.dFab) return NoItem(item) + "dVal " + lote.dVal + "; dFab " + lote.dFab;
  return std::nullopt;
}

Detalhe ForaDoEstabelecimentoSemReferencia(const NFeLida& n, const ContextoRegras&) {
  if (n.indPres != "5") return std::nullopt;
  for (const auto& r : n.referencias)
    if (!r.refNFe.empty()) return std::nullopt;
  return std::string("indPres 5 sem refNFe");
}

}  // namespace velant::regras
