// Rules on the totals: each against the sum over the items, to the cent,
// and the invoice total against its formula.
#include <string>

#include "component/regras/regras_valores.h"
#include "component/regras/regras_verificacoes.h"

namespace velant::regras {

namespace {

template <class Campo, class Conta>
Inteiro Soma(const NFeLida& n, Campo campo, Conta conta) {
  Inteiro soma = 0;
  for (const auto& item : n.itens)
    if (conta(item)) soma += Centavos(item.*campo);
  return soma;
}

template <class Campo>
Inteiro Soma(const NFeLida& n, Campo campo) {
  return Soma(n, campo, [](const ItemLido&) { return true; });
}

Detalhe Confere(const char* rotulo, const std::string& total, Inteiro soma) {
  if (Centavos(total) == soma) return std::nullopt;
  return std::string(rotulo) + " " + (total.empty() ? "(ausente)" : total) + "; soma dos itens " + TextoCentavos(soma);
}

bool SujeitoAoIcms(const ItemLido& item) { return !item.grupoIcms.empty(); }

}  // namespace

Detalhe TotalBaseIcms(const NFeLida& n, const ContextoRegras&) { return Confere("vBC", n.vBC, Soma(n, &ItemLido::vBC)); }
Detalhe TotalIcms(const NFeLida& n, const ContextoRegras&) {
  return Confere("vICMS", n.vICMS, Soma(n, &ItemLido::vICMS));
}
Detalhe TotalIcmsDesonerado(const NFeLida& n, const ContextoRegras&) {
  return Confere("vICMSDeson", n.vICMSDeson, Soma(n, &ItemLido::vICMSDeson));
}
Detalhe TotalBaseSt(const NFeLida& n, const ContextoRegras&) {
  return Confere("vBCST", n.vBCST, Soma(n, &ItemLido::vBCST));
}
Detalhe TotalSt(const NFeLida& n, const ContextoRegras&) { return Confere("vST", n.vST, Soma(n, &ItemLido::vICMSST)); }

// Items outside the total (indTot 0) and services under ISSQN are not products.
Detalhe TotalProdutos(const NFeLida& n, const ContextoRegras&) {
  return Confere("vProd", n.vProd,
                 Soma(n, &ItemLido::vProd, [](const ItemLido& i) { return i.indTot == "1" && !i.issqn; }));
}

Detalhe TotalFrete(const NFeLida& n, const ContextoRegras&) {
  return Confere("vFrete", n.vFrete, Soma(n, &ItemLido::vFrete));
}
Detalhe TotalSeguro(const NFeLida& n, const ContextoRegras&) { return Confere("vSeg", n.vSeg, Soma(n, &ItemLido::vSeg)); }
Detalhe TotalDesconto(const NFeLida& n, const ContextoRegras&) {
  return Confere("vDesc", n.vDesc, Soma(n, &ItemLido::vDesc));
}
Detalhe TotalIi(const NFeLida& n, const ContextoRegras&) { return Confere("vII", n.vII, Soma(n, &ItemLido::vII)); }
Detalhe TotalIpi(const NFeLida& n, const ContextoRegras&) { return Confere("vIPI", n.vIPI, Soma(n, &ItemLido::vIPI)); }
Detalhe TotalPis(const NFeLida& n, const ContextoRegras&) {
  return Confere("vPIS", n.vPIS, Soma(n, &ItemLido::vPIS, SujeitoAoIcms));
}
Detalhe TotalCofins(const NFeLida& n, const ContextoRegras&) {
  return Confere("vCOFINS", n.vCOFINS, Soma(n, &ItemLido::vCOFINS, SujeitoAoIcms));
}
Detalhe TotalOutros(const NFeLida& n, const ContextoRegras&) {
  return Confere("vOutro", n.vOutro, Soma(n, &ItemLido::vOutro));
}

Detalhe TotalTributos(const NFeLida& n, const ContextoRegras&) {
  if (!n.vTotTrib) return std::nullopt;
  return Confere("vTotTrib", *n.vTotTrib, Soma(n, &ItemLido::vTotTrib));
}

Detalhe TotalServicos(const NFeLida& n, const ContextoRegras&) {
  if (!n.vServ) return std::nullopt;
  return Confere("vServ", *n.vServ, Soma(n, &ItemLido::vProd, [](const ItemLido& i) { return i.issqn; }));
}

// Layout 4.00 adds the fund of the substitution and the returned IPI.
Detalhe TotalNota(const NFeLida& n, const ContextoRegras&) {
  Inteiro esperado = Centavos(n.vProd) - Centavos(n.vDesc) - Centavos(n.vICMSDeson) + Centavos(n.vST) +
                     Centavos(n.vFrete) + Centavos(n.vSeg) + Centavos(n.vOutro) + Centavos(n.vII) +
                     Centavos(n.vIPI) + Centavos(n.vServ.value_or(""));
  if (n.Leiaute4()) esperado += Centavos(n.vFCPST) + Centavos(n.vIPIDevol);
  if (Centavos(n.vNF) == esperado) return std::nullopt;
  return "vNF " + n.vNF + "; vProd - vDesc - vICMSDeson + vST + vFrete + vSeg + vOutro + vII + vIPI + vServ" +
         (n.Leiaute4() ? " + vFCPST + vIPIDevol" : "") + " = " + TextoCentavos(esperado);
}

Detalhe TotalFcp(const NFeLida& n, const ContextoRegras&) {
  return n.Leiaute4() ? Confere("vFCP", n.vFCP, Soma(n, &ItemLido::vFCP)) : std::nullopt;
}
Detalhe TotalFcpSt(const NFeLida& n, const ContextoRegras&) {
  return n.Leiaute4() ? Confere("vFCPST", n.vFCPST, Soma(n, &ItemLido::vFCPST)) : std::nullopt;
}
Detalhe TotalFcpStRetido(const NFeLida& n, const ContextoRegras&) {
  return n.Leiaute4() ? Confere("vFCPSTRet", n.vFCPSTRet, Soma(n, &ItemLido::vFCPSTRet)) : std::nullopt;
}
Detalhe TotalIpiDevolvido(const NFeLida& n, const ContextoRegras&) {
  return n.Leiaute4() ? Confere("vIPIDevol", n.vIPIDevol, Soma(n, &ItemLido::vIPIDevol)) : std::nullopt;
}

}  // namespace velant::regras
