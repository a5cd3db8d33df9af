// Rules of the tax reform groups (IBSCBS, IS and their totals): the group
// a Simples Nacional issuer owes from 2027, what the CST demands, the rates
// of the emission year, the item arithmetic and the totals. The table and
// the arithmetic are those the generator writes with (reforma_tributaria.h).
#include <array>
#include <cstdlib>
#include <string>

#include "component/regras/reforma_tributaria.h"
#include "component/regras/regras_valores.h"
#include "component/regras/regras_verificacoes.h"

namespace velant::regras {

namespace {

namespace rf = reforma;

const rf::Tabela& Tabela() { return rf::Tabela::Padrao(); }

int AnoDe(const std::string& dhEmi) { return dhEmi.size() >= 4 ? std::atoi(dhEmi.substr(0, 4).c_str()) : 0; }

Inteiro Percentual(const std::string& texto) { return FixoOuZero(texto, rf::kCasasPercentual); }

struct TributoNomeado {
  const char* nome;
  const TributoLido& t;
};

// The three taxes of an item's gIBSCBS, named as the layout names their rates.
std::array<TributoNomeado, 3> Tributos(const IbsCbsLido& g) {
  return {TributoNomeado{"pIBSUF", g.uf}, TributoNomeado{"pIBSMun", g.mun}, TributoNomeado{"pCBS", g.cbs}};
}

// An item's check of its group under the CST's demands (items whose CST the table does not know are left alone).
template <class F>
Detalhe PorItemComCst(const NFeLida& n, F&& verifica) {
  for (const auto& item : n.itens) {
    if (!item.ibscbs) continue;
    const rf::ExigenciaCst* exige = Tabela().Cst(item.ibscbs->CST);
    if (exige == nullptr) continue;
    if (Detalhe d = verifica(*item.ibscbs, *exige)) return NoItem(item) + *d;
  }
  return std::nullopt;
}

Detalhe SubgrupoDoCst(const NFeLida& n, const char* subgrupo, bool rf::ExigenciaCst::*exigido,
                      bool TributoLido::*presente) {
  return PorItemComCst(n, [&](const IbsCbsLido& g, const rf::ExigenciaCst& exige) -> Detalhe {
    if (!g.gIBSCBS) return std::nullopt;
    for (const auto& [nome, t] : Tributos(g))
      if (t.*presente != exige.*exigido)
        return "CST " + g.CST + (exige.*exigido ? " exige " : " não permite ") + subgrupo + " (" + nome + ")";
    return std::nullopt;
  });
}

Detalhe AliquotaDoAno(const NFeLida& n, Inteiro rf::Aliquotas::*campo, const TributoLido IbsCbsLido::*tributo,
                      const char* nome) {
  for (const auto& item : n.itens) {
    if (!item.ibscbs || !item.ibscbs->gIBSCBS) continue;
    auto doAno = Tabela().DoAno(AnoDe(n.dhEmi));
    if (!doAno) return std::nullopt;   // a year the table does not hold yet is not judged
    const std::string& p = (*item.ibscbs.*tributo).p;
    if (Percentual(p) != (*doAno).*campo)
      return NoItem(item) + nome + " " + p + "; " + n.dhEmi.substr(0, 4) + ": " +
             TextoFixo((*doAno).*campo, rf::kCasasPercentual);
  }
  return std::nullopt;
}

// The item's values against the arithmetic: effective rate, deferral, tax, vIBS.
Detalhe ContaDoTributo(const std::string& vBC, const char* nome, const TributoLido& t) {
  Inteiro p = Percentual(t.p);
  Inteiro pRedAliq = t.gRed ? Percentual(t.pRedAliq) : 0;
  Inteiro pDif = t.gDif ? Percentual(t.pDif) : 0;
  rf::Tributo esperado = rf::CalculaTributo(Centavos(vBC), p, pRedAliq, pDif);
  if (t.gRed && Percentual(t.pAliqEfet) != esperado.pAliqEfet)
    return std::string(nome) + ": pAliqEfet " + t.pAliqEfet + "; " + t.p + " x (1 - " + t.pRedAliq + "/100) = " +
           TextoFixo(esperado.pAliqEfet, rf::kCasasPercentual);
  if (t.gDif && Centavos(t.vDif) != esperado.vDif)
    return std::string(nome) + ": vDif " + t.vDif + "; esperado " + TextoCentavos(esperado.vDif);
  if (Centavos(t.v) != esperado.v)
    return std::string(nome) + ": valor " + t.v + "; vBC " + vBC + " x alíquota = " + TextoCentavos(esperado.v);
  return std::nullopt;
}

struct SomaItens {
  Inteiro vBC = 0, vDifUF = 0, vIBSUF = 0, vDifMun = 0, vIBSMun = 0, vIBS = 0, vDifCBS = 0, vCBS = 0, vIS = 0;
  bool ibscbs = false, is = false;
};

SomaItens Somas(const NFeLida& n) {
  SomaItens s;
  for (const auto& item : n.itens) {
    if (item.vIS) {
      s.is = true;
      s.vIS += Centavos(*item.vIS);
    }
    if (!item.ibscbs) continue;
    s.ibscbs = true;
    const IbsCbsLido& g = *item.ibscbs;
    s.vBC += Centavos(g.vBC);
    s.vDifUF += Centavos(g.uf.vDif);
    s.vIBSUF += Centavos(g.uf.v);
    s.vDifMun += Centavos(g.mun.vDif);
    s.vIBSMun += Centavos(g.mun.v);
    s.vIBS += Centavos(g.vIBS);
    s.vDifCBS += Centavos(g.cbs.vDif);
    s.vCBS += Centavos(g.cbs.v);
  }
  return s;
}

Detalhe Compara(const char* nome, const std::string& total, Inteiro soma) {
  if (Centavos(total) == soma) return std::nullopt;
  return std::string(nome) + " " + (total.empty() ? "(ausente)" : total) + "; soma dos itens " + TextoCentavos(soma);
}

}  // namespace

Detalhe IbsCbsAusente(const NFeLida& n, const ContextoRegras&) {
  if (!n.Leiaute4() || !rf::SimplesNacional(n.CRT) || n.dhEmi.substr(0, 10) < rf::kInicioSimples)
    return std::nullopt;
  for (const auto& item : n.itens)
    if (!item.ibscbs) return NoItem(item) + "sem IBSCBS; CRT " + n.CRT + ", emissão " + n.dhEmi.substr(0, 10);
  return std::nullopt;
}

Detalhe ClassificacaoForaDoCst(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens)
    if (item.ibscbs && !rf::ClassificacaoDoCst(item.ibscbs->CST, item.ibscbs->cClassTrib))
      return NoItem(item) + "CST " + item.ibscbs->CST + "; cClassTrib " + item.ibscbs->cClassTrib;
  return std::nullopt;
}

Detalhe GrupoIbsCbsDoCst(const NFeLida& n, const ContextoRegras&) {
  return PorItemComCst(n, [](const IbsCbsLido& g, const rf::ExigenciaCst& exige) -> Detalhe {
    if (g.gIBSCBS == exige.gIBSCBS) return std::nullopt;
    return "CST " + g.CST + (exige.gIBSCBS ? " exige gIBSCBS" : " não permite gIBSCBS");
  });
}

Detalhe ReducaoDoCst(const NFeLida& n, const ContextoRegras&) {
  return SubgrupoDoCst(n, "gRed", &rf::ExigenciaCst::gRed, &TributoLido::gRed);
}

Detalhe DiferimentoDoCst(const NFeLida& n, const ContextoRegras&) {
  return SubgrupoDoCst(n, "gDif", &rf::ExigenciaCst::gDif, &TributoLido::gDif);
}

// A classification whose reduction the table knows must carry it.
Detalhe ReducaoDaClassificacao(const NFeLida& n, const ContextoRegras&) {
  return PorItemComCst(n, [](const IbsCbsLido& g, const rf::ExigenciaCst& exige) -> Detalhe {
    auto reducao = Tabela().ReducaoDe(g.cClassTrib);
    if (!g.gIBSCBS || !exige.gRed || !reducao) return std::nullopt;
    for (const auto& [nome, t] : Tributos(g))
      if (t.gRed && Percentual(t.pRedAliq) != *reducao)
        return std::string(nome) + ": pRedAliq " + t.pRedAliq + "; cClassTrib " + g.cClassTrib + " reduz " +
               TextoFixo(*reducao, rf::kCasasPercentual);
    return std::nullopt;
  });
}

Detalhe AliquotaIbsUf(const NFeLida& n, const ContextoRegras&) {
  return AliquotaDoAno(n, &rf::Aliquotas::pIBSUF, &IbsCbsLido::uf, "pIBSUF");
}
Detalhe AliquotaIbsMun(const NFeLida& n, const ContextoRegras&) {
  return AliquotaDoAno(n, &rf::Aliquotas::pIBSMun, &IbsCbsLido::mun, "pIBSMun");
}
Detalhe AliquotaCbs(const NFeLida& n, const ContextoRegras&) {
  return AliquotaDoAno(n, &rf::Aliquotas::pCBS, &IbsCbsLido::cbs, "pCBS");
}

Detalhe ValorIbsCbsItem(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens) {
    if (!item.ibscbs || !item.ibscbs->gIBSCBS) continue;
    const IbsCbsLido& g = *item.ibscbs;
    for (const auto& [nome, t] : Tributos(g))
      if (Detalhe d = ContaDoTributo(g.vBC, nome, t)) return NoItem(item) + *d;
    Inteiro vIBS = Centavos(g.uf.v) + Centavos(g.mun.v);
    if (Centavos(g.vIBS) != vIBS) return NoItem(item) + "vIBS " + g.vIBS + "; vIBSUF + vIBSMun = " + TextoCentavos(vIBS);
  }
  return std::nullopt;
}

Detalhe TotalIbsUf(const NFeLida& n, const ContextoRegras&) {
  SomaItens s = Somas(n);
  if (!s.ibscbs || !n.ibscbsTot) return std::nullopt;
  return Compara("vIBSUF", n.vIBSUF, s.vIBSUF);
}

Detalhe TotalIbsCbs(const NFeLida& n, const ContextoRegras&) {
  SomaItens s = Somas(n);
  if (s.ibscbs != n.ibscbsTot) return std::string(n.ibscbsTot ? "IBSCBSTot sem item com IBSCBS" : "sem IBSCBSTot");
  if (!s.ibscbs) return std::nullopt;
  const std::pair<const char*, std::pair<const std::string*, Inteiro>> totais[] = {
      {"vBCIBSCBS", {&n.vBCIBSCBS, s.vBC}}, {"gIBSUF/vDif", {&n.vDifUF, s.vDifUF}},
      {"gIBSMun/vDif", {&n.vDifMun, s.vDifMun}}, {"vIBSMun", {&n.vIBSMun, s.vIBSMun}},
      {"vIBS", {&n.vIBSTot, s.vIBS}}, {"gCBS/vDif", {&n.vDifCBS, s.vDifCBS}}, {"vCBS", {&n.vCBSTot, s.vCBS}}};
  for (const auto& [nome, par] : totais)
    if (Detalhe d = Compara(nome, *par.first, par.second)) return d;
  return std::nullopt;
}

Detalhe TotalIs(const NFeLida& n, const ContextoRegras&) {
  SomaItens s = Somas(n);
  if (s.is != n.vISTot.has_value()) return std::string(s.is ? "sem ISTot" : "ISTot sem item com IS");
  if (!s.is) return std::nullopt;
  return Compara("vIS", *n.vISTot, s.vIS);
}

Detalhe TotalComTributos(const NFeLida& n, const ContextoRegras&) {
  if (!n.vNFTot) return std::nullopt;
  rf::Totais t;
  t.vIBS = Centavos(n.vIBSTot);
  t.vCBS = Centavos(n.vCBSTot);
  Inteiro esperado = t.TotalComTributos(Centavos(n.vNF));
  if (Centavos(*n.vNFTot) == esperado) return std::nullopt;
  return "vNFTot " + *n.vNFTot + "; vNF + vIBS + vCBS = " + TextoCentavos(esperado);
}

}  // namespace velant::regras
