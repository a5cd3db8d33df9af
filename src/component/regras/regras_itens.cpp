// Rules on the values of each item: bar codes, value against quantity and
// unit price, tax against base and rate, the deferral of CST 51, the rate
// of imported goods across states, PIS and COFINS present.
#include <string>

#include "component/regras/regras_digitos.h"
#include "component/regras/regras_valores.h"
#include "component/regras/regras_verificacoes.h"

namespace velant::regras {

namespace {

// Quantities carry up to 4 decimals, unit prices up to 10, rates up to 4.
constexpr int kQuantidade = 4, kUnitario = 10, kAliquota = 4;

// A value of scale `casas` rounded to cents, for the detail texts.
std::string EmCentavos(Inteiro valor, int casas) {
  Inteiro fator = Potencia10(casas - 2);
  Inteiro centavos = valor / fator, resto = valor % fator;
  if (resto * 2 >= fator) ++centavos;
  if (resto * 2 <= -fator) --centavos;
  return TextoCentavos(centavos);
}

// vProd against quantity times unit price, within one cent.
Detalhe ValorDoItem(const ItemLido& item, const std::string& quantidade, const std::string& unitario,
                    const char* rotuloQ, const char* rotuloV) {
  Inteiro produto = Produto(FixoOuZero(quantidade, kQuantidade), FixoOuZero(unitario, kUnitario));
  constexpr int escala = kQuantidade + kUnitario;
  if (Perto(produto, Produto(Centavos(item.vProd), Potencia10(escala - 2)), Potencia10(escala - 2))) return std::nullopt;
  return NoItem(item) + "vProd " + item.vProd + "; " + rotuloQ + " " + quantidade + " x " + rotuloV + " " + unitario +
         " = " + EmCentavos(produto, escala);
}

// base x rate / 100 against the amount, within one cent; all at scale 8.
bool ProdutoConfere(const std::string& base, const std::string& aliquota, Inteiro montanteCentavos) {
  Inteiro calculado = Produto(Centavos(base), FixoOuZero(aliquota, kAliquota));   // scale 6, a percentage
  return Perto(calculado, Produto(montanteCentavos, Potencia10(6)), Potencia10(6));
}

std::string BaseVezesAliquota(const std::string& base, const std::string& aliquota) {
  return EmCentavos(Produto(Centavos(base), FixoOuZero(aliquota, kAliquota)), 8);
}

bool Cst51ComDiferimento(const ItemLido& item) { return item.grupoIcms == "ICMS51" && item.vICMSOp.has_value(); }

}  // namespace

// Layout 4.00 says "SEM GTIN" for a product without a bar code.
bool GtinAceito(const NFeLida& n, const std::string& gtin) {
  return gtin.empty() || GtinValido(gtin) || (n.Leiaute4() && gtin == "SEM GTIN");
}

Detalhe GtinComercial(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens)
    if (!GtinAceito(n, item.cEAN)) return NoItem(item) + "cEAN " + item.cEAN;
  return std::nullopt;
}

Detalhe GtinTributavel(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens)
    if (!GtinAceito(n, item.cEANTrib)) return NoItem(item) + "cEANTrib " + item.cEANTrib;
  return std::nullopt;
}

Detalhe ValorComercial(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens)
    if (auto d = ValorDoItem(item, item.qCom, item.vUnCom, "qCom", "vUnCom")) return d;
  return std::nullopt;
}

Detalhe ValorTributavel(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens)
    if (auto d = ValorDoItem(item, item.qTrib, item.vUnTrib, "qTrib", "vUnTrib")) return d;
  return std::nullopt;
}

Detalhe IcmsBaseAliquota(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens) {
    if (item.vBC.empty() || item.pICMS.empty() || item.vICMS.empty() || Cst51ComDiferimento(item)) continue;
    if (!ProdutoConfere(item.vBC, item.pICMS, Centavos(item.vICMS)))
      return NoItem(item) + "vICMS " + item.vICMS + "; vBC " + item.vBC + " x pICMS " + item.pICMS + " = " +
             BaseVezesAliquota(item.vBC, item.pICMS);
  }
  return std::nullopt;
}

Detalhe Icms51Operacao(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens) {
    if (!Cst51ComDiferimento(item) || ProdutoConfere(item.vBC, item.pICMS, Centavos(*item.vICMSOp))) continue;
    return NoItem(item) + "vICMSOp " + *item.vICMSOp + "; vBC " + item.vBC + " x pICMS " + item.pICMS + " = " +
           BaseVezesAliquota(item.vBC, item.pICMS);
  }
  return std::nullopt;
}

Detalhe Icms51Diferido(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens) {
    if (!Cst51ComDiferimento(item) || ProdutoConfere(*item.vICMSOp, item.pDif, Centavos(item.vICMSDif))) continue;
    return NoItem(item) + "vICMSDif " + (item.vICMSDif.empty() ? "(ausente)" : item.vICMSDif) + "; vICMSOp " +
           *item.vICMSOp + " x pDif " + (item.pDif.empty() ? "(ausente)" : item.pDif) + " = " +
           BaseVezesAliquota(*item.vICMSOp, item.pDif);
  }
  return std::nullopt;
}

Detalhe Icms51Diferenca(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens) {
    if (!Cst51ComDiferimento(item)) continue;
    Inteiro diferenca = Centavos(*item.vICMSOp) - Centavos(item.vICMSDif);
    if (Centavos(item.vICMS) != diferenca)
      return NoItem(item) + "vICMS " + (item.vICMS.empty() ? "(ausente)" : item.vICMS) + "; vICMSOp - vICMSDif = " +
             TextoCentavos(diferenca);
  }
  return std::nullopt;
}

Detalhe AliquotaImportado(const NFeLida& n, const ContextoRegras&) {
  if (n.tpNF != "1" || n.idDest != "2") return std::nullopt;
  for (const auto& item : n.itens) {
    bool importado = item.orig == "1" || item.orig == "2" || item.orig == "3" || item.orig == "8";
    if (importado && FixoOuZero(item.pICMS, kAliquota) > 4 * Potencia10(kAliquota))
      return NoItem(item) + "orig " + item.orig + "; pICMS " + item.pICMS;
  }
  return std::nullopt;
}

Detalhe ItemSemPis(const NFeLida& n, const ContextoRegras&) {
  if (n.mod != "55") return std::nullopt;
  for (const auto& item : n.itens)
    if (!item.pis) return NoItem(item) + "sem PIS";
  return std::nullopt;
}

Detalhe ItemSemCofins(const NFeLida& n, const ContextoRegras&) {
  if (n.mod != "55") return std::nullopt;
  for (const auto& item : n.itens)
    if (!item.cofins) return NoItem(item) + "sem COFINS";
  return std::nullopt;
}

// The poverty fund: a rate given must not be zero (the fields are left out
// for goods the fund does not reach).
Detalhe PercentualFcpZero(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens)
    if (item.pFCP && FixoOuZero(*item.pFCP, kAliquota) == 0) return NoItem(item) + "pFCP " + *item.pFCP;
  return std::nullopt;
}

Detalhe PercentualFcpStZero(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens) {
    if (item.pFCPST && FixoOuZero(*item.pFCPST, kAliquota) == 0) return NoItem(item) + "pFCPST " + *item.pFCPST;
    if (item.pFCPSTRet && FixoOuZero(*item.pFCPSTRet, kAliquota) == 0)
      return NoItem(item) + "pFCPSTRet " + *item.pFCPSTRet;
  }
  return std::nullopt;
}

// The fund of a normal invoice is its base times its rate: the ICMS base
// for CST 00, the fund's own base for the other groups.
Detalhe ValorFcp(const NFeLida& n, const ContextoRegras&) {
  if (n.finNFe != "1") return std::nullopt;
  for (const auto& item : n.itens) {
    if (!item.pFCP || item.vFCP.empty()) continue;
    const std::string& base = item.grupoIcms == "ICMS00" ? item.vBC : item.vBCFCP;
    if (ProdutoConfere(base, *item.pFCP, Centavos(item.vFCP))) continue;
    return NoItem(item) + "vFCP " + item.vFCP + "; base " + (base.empty() ? "(ausente)" : base) + " x pFCP " +
           *item.pFCP + " = " + BaseVezesAliquota(base, *item.pFCP);
  }
  return std::nullopt;
}

}  // namespace velant::regras
