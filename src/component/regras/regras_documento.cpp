#include "component/regras/regras_documento.h"

#include <initializer_list>
#include <string_view>

#include "component/xml/autoridade_xml.h"

namespace velant::regras {

namespace {

using autoridade::Atributo;
using autoridade::Filho;
using autoridade::NomeLocal;
using autoridade::PrimeiroFilho;
using autoridade::Texto;
using autoridade::TextoFilho;

const xmlNode* Caminho(const xmlNode* no, std::initializer_list<std::string_view> nomes) {
  for (auto nome : nomes) {
    if (no == nullptr) return nullptr;
    no = Filho(no, nome);
  }
  return no;
}

std::optional<std::string> Opcional(const xmlNode* pai, std::string_view nome) {
  const xmlNode* no = Filho(pai, nome);
  if (no == nullptr) return std::nullopt;
  return Texto(no);
}

ParticipanteLido Participante(const xmlNode* no) {
  ParticipanteLido p;
  if (no == nullptr) return p;
  p.CNPJ = Opcional(no, "CNPJ");
  p.CPF = Opcional(no, "CPF");
  p.IE = Opcional(no, "IE");
  return p;
}

void LeIde(const xmlNode* ide, NFeLida& n) {
  n.cUF = TextoFilho(ide, "cUF");
  n.cNF = TextoFilho(ide, "cNF");
  n.mod = TextoFilho(ide, "mod");
  n.serie = TextoFilho(ide, "serie");
  n.nNF = TextoFilho(ide, "nNF");
  n.dhEmi = TextoFilho(ide, "dhEmi");
  n.dhSaiEnt = TextoFilho(ide, "dhSaiEnt");
  n.tpNF = TextoFilho(ide, "tpNF");
  n.idDest = TextoFilho(ide, "idDest");
  n.cMunFG = TextoFilho(ide, "cMunFG");
  n.tpImp = TextoFilho(ide, "tpImp");
  n.tpEmis = TextoFilho(ide, "tpEmis");
  n.cDV = TextoFilho(ide, "cDV");
  n.tpAmb = TextoFilho(ide, "tpAmb");
  n.finNFe = TextoFilho(ide, "finNFe");
  n.indFinal = TextoFilho(ide, "indFinal");
  n.indPres = TextoFilho(ide, "indPres");
  n.dhCont = Filho(ide, "dhCont") != nullptr;
  n.xJust = Filho(ide, "xJust") != nullptr;
  for (const xmlNode* ref = ide ? ide->children : nullptr; ref != nullptr; ref = ref->next) {
    if (NomeLocal(ref) != "NFref") continue;
    ReferenciaLida r;
    r.refNFe = TextoFilho(ref, "refNFe");
    if (const xmlNode* ecf = Filho(ref, "refECF")) {
      r.modECF = TextoFilho(ecf, "mod");
      r.nECF = TextoFilho(ecf, "nECF");
      r.nCOO = TextoFilho(ecf, "nCOO");
    }
    n.referencias.push_back(r);
  }
}

void LeDest(const xmlNode* dest, NFeLida& n) {
  n.dest = dest != nullptr;
  if (dest == nullptr) return;
  n.destinatario = Participante(dest);
  n.idEstrangeiro = Opcional(dest, "idEstrangeiro");
  n.destXNome = Opcional(dest, "xNome");
  n.indIEDest = TextoFilho(dest, "indIEDest");
  const xmlNode* ender = Filho(dest, "enderDest");
  n.enderDest = ender != nullptr;
  n.destCMun = TextoFilho(ender, "cMun");
  n.destUF = TextoFilho(ender, "UF");
  if (ender != nullptr) n.destCPais = Opcional(ender, "cPais");
}

TributoLido LeTributo(const xmlNode* grupo, std::string_view aliquota, std::string_view valor) {
  TributoLido t;
  t.p = TextoFilho(grupo, aliquota);
  t.v = TextoFilho(grupo, valor);
  if (const xmlNode* dif = Filho(grupo, "gDif")) {
    t.gDif = true;
    t.pDif = TextoFilho(dif, "pDif");
    t.vDif = TextoFilho(dif, "vDif");
  }
  if (const xmlNode* red = Filho(grupo, "gRed")) {
    t.gRed = true;
    t.pRedAliq = TextoFilho(red, "pRedAliq");
    t.pAliqEfet = TextoFilho(red, "pAliqEfet");
  }
  return t;
}

IbsCbsLido LeIbsCbs(const xmlNode* ibscbs) {
  IbsCbsLido l;
  l.CST = TextoFilho(ibscbs, "CST");
  l.cClassTrib = TextoFilho(ibscbs, "cClassTrib");
  const xmlNode* g = Filho(ibscbs, "gIBSCBS");
  l.gIBSCBS = g != nullptr;
  if (g == nullptr) return l;
  l.vBC = TextoFilho(g, "vBC");
  l.vIBS = TextoFilho(g, "vIBS");
  l.uf = LeTributo(Filho(g, "gIBSUF"), "pIBSUF", "vIBSUF");
  l.mun = LeTributo(Filho(g, "gIBSMun"), "pIBSMun", "vIBSMun");
  l.cbs = LeTributo(Filho(g, "gCBS"), "pCBS", "vCBS");
  return l;
}

void LeImposto(const xmlNode* imposto, ItemLido& item) {
  item.vTotTrib = TextoFilho(imposto, "vTotTrib");
  if (const xmlNode* grupo = PrimeiroFilho(Filho(imposto, "ICMS"))) {
    item.grupoIcms = NomeLocal(grupo);
    item.orig = TextoFilho(grupo, "orig");
    item.CST = TextoFilho(grupo, "CST");
    item.CSOSN = TextoFilho(grupo, "CSOSN");
    item.vBC = TextoFilho(grupo, "vBC");
    item.pICMS = TextoFilho(grupo, "pICMS");
    item.vICMS = TextoFilho(grupo, "vICMS");
    item.vBCST = TextoFilho(grupo, "vBCST");
    item.vICMSST = TextoFilho(grupo, "vICMSST");
    item.vICMSDeson = TextoFilho(grupo, "vICMSDeson");
    item.vICMSOp = Opcional(grupo, "vICMSOp");
    item.pDif = TextoFilho(grupo, "pDif");
    item.vICMSDif = TextoFilho(grupo, "vICMSDif");
    item.pFCP = Opcional(grupo, "pFCP");
    item.pFCPST = Opcional(grupo, "pFCPST");
    item.pFCPSTRet = Opcional(grupo, "pFCPSTRet");
    item.vBCFCP = TextoFilho(grupo, "vBCFCP");
    item.vFCP = TextoFilho(grupo, "vFCP");
    item.vBCFCPST = TextoFilho(grupo, "vBCFCPST");
    item.vFCPST = TextoFilho(grupo, "vFCPST");
    item.vBCFCPSTRet = TextoFilho(grupo, "vBCFCPSTRet");
    item.vFCPSTRet = TextoFilho(grupo, "vFCPSTRet");
  }
  item.issqn = Filho(imposto, "ISSQN") != nullptr;
  const xmlNode* pis = Filho(imposto, "PIS");
  item.pis = pis != nullptr;
  item.vPIS = TextoFilho(PrimeiroFilho(pis), "vPIS");
  const xmlNode* cofins = Filho(imposto, "COFINS");
  item.cofins = cofins != nullptr;
  item.vCOFINS = TextoFilho(PrimeiroFilho(cofins), "vCOFINS");
  item.vIPI = Texto(Caminho(imposto, {"IPI", "IPITrib", "vIPI"}));
  item.vII = Texto(Caminho(imposto, {"II", "vII"}));
  if (const xmlNode* is = Filho(imposto, "IS")) item.vIS = TextoFilho(is, "vIS");
  if (const xmlNode* ibscbs = Filho(imposto, "IBSCBS")) item.ibscbs = LeIbsCbs(ibscbs);
}

ItemLido LeItem(const xmlNode* det) {
  ItemLido item;
  item.nItem = Atributo(det, "nItem");
  const xmlNode* prod = Filho(det, "prod");
  for (auto [campo, nome] : {std::pair{&item.cEAN, "cEAN"}, {&item.cEANTrib, "cEANTrib"}, {&item.CFOP, "CFOP"},
                             {&item.qCom, "qCom"}, {&item.vUnCom, "vUnCom"}, {&item.vProd, "vProd"},
                             {&item.qTrib, "qTrib"}, {&item.vUnTrib, "vUnTrib"}, {&item.vFrete, "vFrete"},
                             {&item.vSeg, "vSeg"}, {&item.vDesc, "vDesc"}, {&item.vOutro, "vOutro"},
                             {&item.indTot, "indTot"}})
    *campo = TextoFilho(prod, nome);
  item.comb = Filho(prod, "comb") != nullptr;
  for (const xmlNode* no = prod ? prod->children : nullptr; no != nullptr; no = no->next)
    if (NomeLocal(no) == "rastro") item.rastro.push_back({TextoFilho(no, "dFab"), TextoFilho(no, "dVal")});
  LeImposto(Filho(det, "imposto"), item);
  item.vIPIDevol = Texto(Caminho(det, {"impostoDevol", "IPI", "vIPIDevol"}));
  return item;
}

void LeTotais(const xmlNode* total, NFeLida& n) {
  const xmlNode* t = Filho(total, "ICMSTot");
  for (auto [campo, nome] :
       {std::pair{&n.vBC, "vBC"}, {&n.vICMS, "vICMS"}, {&n.vICMSDeson, "vICMSDeson"}, {&n.vBCST, "vBCST"},
        {&n.vST, "vST"}, {&n.vProd, "vProd"}, {&n.vFrete, "vFrete"}, {&n.vSeg, "vSeg"}, {&n.vDesc, "vDesc"},
        {&n.vII, "vII"}, {&n.vIPI, "vIPI"}, {&n.vPIS, "vPIS"}, {&n.vCOFINS, "vCOFINS"}, {&n.vOutro, "vOutro"},
        {&n.vNF, "vNF"}, {&n.vFCP, "vFCP"}, {&n.vFCPST, "vFCPST"}, {&n.vFCPSTRet, "vFCPSTRet"},
        {&n.vIPIDevol, "vIPIDevol"}})
    *campo = TextoFilho(t, nome);
  n.vTotTrib = Opcional(t, "vTotTrib");
  if (const xmlNode* issqn = Filho(total, "ISSQNtot")) n.vServ = TextoFilho(issqn, "vServ");
  if (const xmlNode* is = Filho(total, "ISTot")) n.vISTot = TextoFilho(is, "vIS");
  n.vNFTot = Opcional(total, "vNFTot");
  const xmlNode* ibscbs = Filho(total, "IBSCBSTot");
  n.ibscbsTot = ibscbs != nullptr;
  if (ibscbs == nullptr) return;
  n.vBCIBSCBS = TextoFilho(ibscbs, "vBCIBSCBS");
  const xmlNode* gIBS = Filho(ibscbs, "gIBS");
  n.vDifUF = Texto(Caminho(gIBS, {"gIBSUF", "vDif"}));
  n.vIBSUF = Texto(Caminho(gIBS, {"gIBSUF", "vIBSUF"}));
  n.vDifMun = Texto(Caminho(gIBS, {"gIBSMun", "vDif"}));
  n.vIBSMun = Texto(Caminho(gIBS, {"gIBSMun", "vIBSMun"}));
  n.vIBSTot = TextoFilho(gIBS, "vIBS");
  n.vDifCBS = Texto(Caminho(ibscbs, {"gCBS", "vDif"}));
  n.vCBSTot = Texto(Caminho(ibscbs, {"gCBS", "vCBS"}));
}

void LePagamento(const xmlNode* pag, NFeLida& n) {
  n.pag = pag != nullptr;
  if (pag == nullptr) return;
  for (const xmlNode* no = pag->children; no != nullptr; no = no->next) {
    if (NomeLocal(no) != "detPag") continue;
    n.pagamentos.push_back({TextoFilho(no, "tPag"), TextoFilho(no, "vPag"), Opcional(no, "xPag")});
  }
  n.vTroco = Opcional(pag, "vTroco");
}

void LeCobranca(const xmlNode* cobr, NFeLida& n) {
  if (cobr == nullptr) return;
  if (const xmlNode* fat = Filho(cobr, "fat")) {
    n.fat = true;
    n.nFat = Opcional(fat, "nFat");
    n.vOrig = Opcional(fat, "vOrig");
    n.vDescFat = Opcional(fat, "vDesc");
    n.vLiq = Opcional(fat, "vLiq");
  }
  for (const xmlNode* no = cobr->children; no != nullptr; no = no->next)
    if (NomeLocal(no) == "dup")
      n.duplicatas.push_back({TextoFilho(no, "nDup"), TextoFilho(no, "dVenc"), TextoFilho(no, "vDup")});
}

}  // namespace

NFeLida LeNFe(const xmlNode* nfe) {
  const xmlNode* inf = NomeLocal(nfe) == "infNFe" ? nfe : Filho(nfe, "infNFe");
  NFeLida n;
  n.id = Atributo(inf, "Id");
  n.versao = Atributo(inf, "versao");
  LeIde(Filho(inf, "ide"), n);

  const xmlNode* emit = Filho(inf, "emit");
  n.emit = Participante(emit);
  n.emitCMun = Texto(Caminho(emit, {"enderEmit", "cMun"}));
  n.emitUF = Texto(Caminho(emit, {"enderEmit", "UF"}));
  n.CRT = TextoFilho(emit, "CRT");

  LeDest(Filho(inf, "dest"), n);

  for (const xmlNode* no = inf ? inf->children : nullptr; no != nullptr; no = no->next) {
    std::string nome = NomeLocal(no);
    if (nome == "autXML") n.autXML.push_back(Participante(no));
    else if (nome == "det") n.itens.push_back(LeItem(no));
    else if (nome == "pag") LePagamento(no, n);
    else if (nome == "cobr") LeCobranca(no, n);
    else if (nome == "exporta") n.exporta = true;
  }
  LeTotais(Filho(inf, "total"), n);

  const xmlNode* transporta = Caminho(inf, {"transp", "transporta"});
  n.transporta = transporta != nullptr;
  n.transportador = Participante(transporta);
  if (transporta != nullptr) n.transportadorUF = Opcional(transporta, "UF");
  return n;
}

}  // namespace velant::regras
