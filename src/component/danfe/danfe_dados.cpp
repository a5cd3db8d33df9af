#include "component/danfe/danfe_dados.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <mutex>
#include <string_view>

#include "base/erro.h"
#include "component/xml/chave_acesso.h"

namespace velant::danfe {

namespace {

struct LiberaDoc {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using Doc = std::unique_ptr<xmlDoc, LiberaDoc>;

[[noreturn]] void Recusa(const std::string& motivo) { throw ErroExecucao(CodigoErro::ErroComponente, motivo); }

bool EElemento(const xmlNode* no, std::string_view nome) {
  return no != nullptr && no->type == XML_ELEMENT_NODE && nome == reinterpret_cast<const char*>(no->name);
}

const xmlNode* Filho(const xmlNode* pai, std::string_view nome) {
  if (pai == nullptr) return nullptr;
  for (const xmlNode* f = pai->children; f != nullptr; f = f->next)
    if (EElemento(f, nome)) return f;
  return nullptr;
}

std::vector<const xmlNode*> Filhos(const xmlNode* pai, std::string_view nome) {
  std::vector<const xmlNode*> r;
  if (pai == nullptr) return r;
  for (const xmlNode* f = pai->children; f != nullptr; f = f->next)
    if (EElemento(f, nome)) r.push_back(f);
  return r;
}

const xmlNode* PrimeiroElemento(const xmlNode* pai) {
  if (pai == nullptr) return nullptr;
  for (const xmlNode* f = pai->children; f != nullptr; f = f->next)
    if (f->type == XML_ELEMENT_NODE) return f;
  return nullptr;
}

// First element of that name in the subtree, the node itself included.
const xmlNode* Procura(const xmlNode* raiz, std::string_view nome) {
  if (raiz == nullptr) return nullptr;
  if (EElemento(raiz, nome)) return raiz;
  for (const xmlNode* f = raiz->children; f != nullptr; f = f->next)
    if (const xmlNode* achado = f->type == XML_ELEMENT_NODE ? Procura(f, nome) : nullptr) return achado;
  return nullptr;
}

std::string Texto(const xmlNode* no) {
  if (no == nullptr) return "";
  xmlChar* c = xmlNodeGetContent(no);
  std::string s = c ? reinterpret_cast<const char*>(c) : "";
  xmlFree(c);
  return s;
}

// Text of a path of child elements ("" when any step is missing).
std::string Em(const xmlNode* no, std::initializer_list<std::string_view> caminho) {
  for (auto nome : caminho) no = Filho(no, nome);
  return Texto(no);
}

std::string Atributo(const xmlNode* no, const char* nome) {
  xmlChar* v = xmlGetProp(no, reinterpret_cast<const xmlChar*>(nome));
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

Endereco LerEndereco(const xmlNode* e) {
  Endereco r;
  r.logradouro = Em(e, {"xLgr"});
  r.numero = Em(e, {"nro"});
  r.complemento = Em(e, {"xCpl"});
  r.bairro = Em(e, {"xBairro"});
  r.municipio = Em(e, {"xMun"});
  r.uf = Em(e, {"UF"});
  r.cep = Em(e, {"CEP"});
  r.pais = Em(e, {"xPais"});
  r.fone = Em(e, {"fone"});
  return r;
}

Participante LerParticipante(const xmlNode* p, const char* endereco) {
  Participante r;
  for (const char* campo : {"CNPJ", "CPF", "idEstrangeiro"})
    if (const xmlNode* d = Filho(p, campo)) {
      r.documento = Texto(d);
      break;
    }
  r.nome = Em(p, {"xNome"});
  r.fantasia = Em(p, {"xFant"});
  r.ie = Em(p, {"IE"});
  r.iest = Em(p, {"IEST"});
  r.im = Em(p, {"IM"});
  r.endereco = LerEndereco(Filho(p, endereco));
  return r;
}

Item LerItem(const xmlNode* det) {
  Item r;
  r.numero = Atributo(det, "nItem");
  const xmlNode* prod = Filho(det, "prod");
  r.codigo = Em(prod, {"cProd"});
  r.descricao = Em(prod, {"xProd"});
  r.ncm = Em(prod, {"NCM"});
  r.cfop = Em(prod, {"CFOP"});
  r.unidade = Em(prod, {"uCom"});
  r.quantidade = Em(prod, {"qCom"});
  r.valorUnitario = Em(prod, {"vUnCom"});
  r.valorTotal = Em(prod, {"vProd"});
  r.informacaoAdicional = Em(det, {"infAdProd"});
  const xmlNode* imposto = Filho(det, "imposto");
  // The one ICMS group of the item: origin then CST (or CSOSN).
  if (const xmlNode* icms = PrimeiroElemento(Filho(imposto, "ICMS"))) {
    std::string cst = Em(icms, {"CST"});
    r.cst = Em(icms, {"orig"}) + (cst.empty() ? Em(icms, {"CSOSN"}) : cst);
    r.baseIcms = Em(icms, {"vBC"});
    r.valorIcms = Em(icms, {"vICMS"});
    r.aliquotaIcms = Em(icms, {"pICMS"});
  }
  if (const xmlNode* trib = Filho(Filho(imposto, "IPI"), "IPITrib")) {
    r.valorIpi = Em(trib, {"vIPI"});
    r.aliquotaIpi = Em(trib, {"pIPI"});
  }
  return r;
}

void LerTotais(const xmlNode* total, Totais& t) {
  const xmlNode* icms = Filho(total, "ICMSTot");
  t.baseIcms = Em(icms, {"vBC"});
  t.valorIcms = Em(icms, {"vICMS"});
  t.baseIcmsSt = Em(icms, {"vBCST"});
  t.valorIcmsSt = Em(icms, {"vST"});
  t.produtos = Em(icms, {"vProd"});
  t.frete = Em(icms, {"vFrete"});
  t.seguro = Em(icms, {"vSeg"});
  t.desconto = Em(icms, {"vDesc"});
  t.outras = Em(icms, {"vOutro"});
  t.ipi = Em(icms, {"vIPI"});
  t.nota = Em(icms, {"vNF"});
  t.tributos = Em(icms, {"vTotTrib"});
  if (Filho(icms, "vFCP") != nullptr) {
    t.temFcp = true;
    t.fcp = Em(icms, {"vFCP"});
    t.fcpSt = Em(icms, {"vFCPST"});
  }
  if (const xmlNode* iss = Filho(total, "ISSQNtot")) {
    t.temIssqn = true;
    t.servicos = Em(iss, {"vServ"});
    t.baseIssqn = Em(iss, {"vBC"});
    t.valorIssqn = Em(iss, {"vISS"});
  }
}

void LerTransporte(const xmlNode* transp, Transporte& t) {
  t.modalidade = Em(transp, {"modFrete"});
  if (const xmlNode* tr = Filho(transp, "transporta")) {
    t.documento = Em(tr, {"CNPJ"});
    if (t.documento.empty()) t.documento = Em(tr, {"CPF"});
    t.nome = Em(tr, {"xNome"});
    t.ie = Em(tr, {"IE"});
    t.endereco = Em(tr, {"xEnder"});
    t.municipio = Em(tr, {"xMun"});
    t.uf = Em(tr, {"UF"});
  }
  if (const xmlNode* v = Filho(transp, "veicTransp")) {
    t.placa = Em(v, {"placa"});
    t.ufPlaca = Em(v, {"UF"});
    t.rntc = Em(v, {"RNTC"});
  }
  for (const xmlNode* vol : Filhos(transp, "vol"))
    t.volumes.push_back({Em(vol, {"qVol"}), Em(vol, {"esp"}), Em(vol, {"marca"}), Em(vol, {"nVol"}),
                         Em(vol, {"pesoL"}), Em(vol, {"pesoB"})});
}

// The authorisation of this key among the document's protocols.
const xmlNode* Autorizacao(const xmlNode* raiz, const std::string& chave) {
  for (const xmlNode* prot : Filhos(raiz, "protNFe")) {
    const xmlNode* inf = Filho(prot, "infProt");
    if (Em(inf, {"chNFe"}) == chave && Em(inf, {"cStat"}) == "100") return inf;
  }
  return nullptr;
}

// The EPEC of this key registered by the national environment (136), when
// the document carries its procEventoNFe: an invoice of tpEmis 4 printed
// before its authorisation.
const xmlNode* RegistroEpec(const xmlNode* raiz, const std::string& chave) {
  for (const xmlNode* proc : Filhos(raiz, "procEventoNFe")) {
    const xmlNode* inf = Filho(Filho(proc, "retEvento"), "infEvento");
    if (Em(inf, {"tpEvento"}) == "110140" && Em(inf, {"chNFe"}) == chave && Em(inf, {"cStat"}) == "136") return inf;
  }
  return nullptr;
}

}  // namespace

DadosDanfe LerDistribuicao(const std::string& xml) {
  static std::once_flag iniciado;
  std::call_once(iniciado, [] { xmlInitParser(); });
  // The file comes from disk: no network, no entities, no DTD.
  Doc doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, "UTF-8",
                        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  const xmlNode* raiz = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
  if (raiz == nullptr) Recusa("Arquivo de distribuição da NF-e ilegível (XML mal formado)");
  const xmlNode* inf = Procura(raiz, "infNFe");
  if (inf == nullptr) Recusa("Arquivo de distribuição sem a NF-e (elemento infNFe)");

  DadosDanfe d;
  std::string id = Atributo(inf, "Id");
  d.chave = id.rfind("NFe", 0) == 0 ? id.substr(3) : id;
  if (!ChaveNaForma(d.chave, CnpjNaChave::Alfanumerico))
    Recusa("Arquivo de distribuição com chave de acesso inválida: \"" + id + "\"");

  const xmlNode* prot = Autorizacao(raiz, d.chave);
  const xmlNode* epec = prot == nullptr ? RegistroEpec(raiz, d.chave) : nullptr;
  if (prot == nullptr && epec == nullptr)
    Recusa("A NF-e " + d.chave +
           " não tem protocolo de autorização de uso (protNFe com cStat 100); o DANFE não pode ser emitido");
  if (epec != nullptr) {
    d.protocoloEpec = Em(epec, {"nProt"});
    d.dataProtocoloEpec = Em(epec, {"dhRegEvento"});
  } else {
    d.protocolo = Em(prot, {"nProt"});
    d.dataProtocolo = Em(prot, {"dhRecbto"});
  }

  const xmlNode* ide = Filho(inf, "ide");
  d.ambiente = Em(ide, {"tpAmb"});
  d.tipoImpressao = Em(ide, {"tpImp"});
  d.tipoEmissao = Em(ide, {"tpEmis"});
  d.tipoOperacao = Em(ide, {"tpNF"});
  d.indicadorPagamento = Em(ide, {"indPag"});
  d.numero = Em(ide, {"nNF"});
  d.serie = Em(ide, {"serie"});
  d.naturezaOperacao = Em(ide, {"natOp"});
  d.emissao = Em(ide, {"dhEmi"});
  d.saidaEntrada = Em(ide, {"dhSaiEnt"});
  d.contingencia = Em(ide, {"dhCont"});
  d.justificativaContingencia = Em(ide, {"xJust"});

  const xmlNode* emit = Filho(inf, "emit");
  d.emitente = LerParticipante(emit, "enderEmit");
  d.crt = Em(emit, {"CRT"});
  d.destinatario = LerParticipante(Filho(inf, "dest"), "enderDest");

  for (const xmlNode* det : Filhos(inf, "det")) d.itens.push_back(LerItem(det));
  LerTotais(Filho(inf, "total"), d.totais);
  LerTransporte(Filho(inf, "transp"), d.transporte);

  const xmlNode* cobr = Filho(inf, "cobr");
  if (const xmlNode* fat = Filho(cobr, "fat")) {
    d.fatura = Em(fat, {"nFat"});
    d.faturaOriginal = Em(fat, {"vOrig"});
    d.faturaDesconto = Em(fat, {"vDesc"});
    d.faturaLiquido = Em(fat, {"vLiq"});
  }
  for (const xmlNode* dup : Filhos(cobr, "dup"))
    d.duplicatas.push_back({Em(dup, {"nDup"}), Em(dup, {"dVenc"}), Em(dup, {"vDup"})});

  const xmlNode* pag = Filho(inf, "pag");
  for (const xmlNode* det : Filhos(pag, "detPag")) {
    d.pagamentos.push_back({Em(det, {"tPag"}), Em(det, {"xPag"}), Em(det, {"vPag"})});
    if (d.indicadorPagamento.empty()) d.indicadorPagamento = Em(det, {"indPag"});
  }
  d.troco = Em(pag, {"vTroco"});

  const xmlNode* adic = Filho(inf, "infAdic");
  d.informacoesFisco = Em(adic, {"infAdFisco"});
  d.informacoesComplementares = Em(adic, {"infCpl"});
  for (const char* grupo : {"obsCont", "obsFisco"})
    for (const xmlNode* obs : Filhos(adic, grupo))
      d.observacoes.push_back(Atributo(obs, "xCampo") + ": " + Em(obs, {"xTexto"}));
  return d;
}

}  // namespace velant::danfe
