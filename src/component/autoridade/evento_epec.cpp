#include "component/autoridade/evento_epec.h"

#include "base/erro.h"
#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {

namespace {

[[noreturn]] void Falta(const std::string& oque) {
  throw ErroExecucao(CodigoErro::ErroComponente, "NF-e sem " + oque + " para o EPEC");
}

std::string Exigido(const xmlNode* pai, const char* nome, const char* onde) {
  std::string valor = TextoFilho(pai, nome);
  if (valor.empty()) Falta(std::string(onde) + "/" + nome);
  return valor;
}

}  // namespace

DadosEpec ResumoEpec(const std::string& nfe) {
  DocumentoXml doc = DocumentoXml::Ler(nfe, "NFe do EPEC");
  const xmlNode* inf = Procura(doc.Raiz(), "infNFe");
  const xmlNode* ide = Filho(inf, "ide");
  const xmlNode* emit = Filho(inf, "emit");
  const xmlNode* dest = Filho(inf, "dest");
  const xmlNode* tot = Filho(Filho(inf, "total"), "ICMSTot");
  if (ide == nullptr || emit == nullptr || tot == nullptr) Falta("ide, emit ou total");
  if (TextoFilho(ide, "tpEmis") != "4")
    throw ErroExecucao(CodigoErro::ErroComponente, "NF-e com tpEmis " + TextoFilho(ide, "tpEmis") + " não vai em EPEC");
  // An EPEC names its customer: an invoice without one cannot have it.
  if (dest == nullptr) Falta("destinatário");
  DadosEpec d;
  const std::string id = Atributo(inf, "Id");
  if (id.size() != 47 || id.compare(0, 3, "NFe") != 0) Falta("Id da chave");
  d.chave = id.substr(3);
  d.cOrgaoAutor = Exigido(ide, "cUF", "ide");
  d.verAplic = Exigido(ide, "verProc", "ide");
  d.dhEmi = Exigido(ide, "dhEmi", "ide");
  d.tpNF = Exigido(ide, "tpNF", "ide");
  d.ie = Exigido(emit, "IE", "emit");
  const xmlNode* endereco = Filho(dest, "enderDest");
  d.destUF = TextoFilho(endereco, "UF");
  for (const char* tipo : {"CNPJ", "CPF", "idEstrangeiro"})
    if (Filho(dest, tipo) != nullptr) {
      d.destTipoId = tipo;
      d.destId = TextoFilho(dest, tipo);
      break;
    }
  if (d.destTipoId.empty()) Falta("dest/CNPJ, CPF ou idEstrangeiro");
  if (d.destUF.empty()) d.destUF = d.destTipoId == "idEstrangeiro" ? "EX" : "";
  if (d.destUF.empty()) Falta("dest/enderDest/UF");
  d.destIE = TextoFilho(dest, "IE");
  d.vNF = Exigido(tot, "vNF", "ICMSTot");
  d.vICMS = Exigido(tot, "vICMS", "ICMSTot");
  d.vST = Exigido(tot, "vST", "ICMSTot");
  return d;
}

}  // namespace velant::autoridade
