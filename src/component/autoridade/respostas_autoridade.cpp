#include "component/autoridade/respostas_autoridade.h"

#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {

namespace {

ProtocoloNFe LerProtocolo(const xmlNode* protNFe) {
  const xmlNode* inf = Filho(protNFe, "infProt");
  ProtocoloNFe p;
  p.chNFe = TextoFilho(inf, "chNFe");
  p.dhRecbto = TextoFilho(inf, "dhRecbto");
  p.nProt = TextoFilho(inf, "nProt");
  p.digVal = TextoFilho(inf, "digVal");
  p.cStat = TextoFilho(inf, "cStat");
  p.xMotivo = TextoFilho(inf, "xMotivo");
  p.xml = SerializaElemento(protNFe);
  return p;
}

std::optional<ProtocoloNFe> ProtocoloFilho(const xmlNode* raiz) {
  const xmlNode* prot = Filho(raiz, "protNFe");
  if (prot == nullptr) return std::nullopt;
  return LerProtocolo(prot);
}

}  // namespace

RespostaStatus LerStatusServico(const std::string& retConsStatServ) {
  DocumentoXml doc = DocumentoXml::Ler(retConsStatServ, "retConsStatServ");
  return {TextoFilho(doc.Raiz(), "cStat"), TextoFilho(doc.Raiz(), "xMotivo"), TextoFilho(doc.Raiz(), "dhRecbto")};
}

RespostaLote LerRespostaLote(const std::string& retLote) {
  DocumentoXml doc = DocumentoXml::Ler(retLote, "retorno do lote");
  const xmlNode* raiz = doc.Raiz();
  RespostaLote r;
  r.cStat = TextoFilho(raiz, "cStat");
  r.xMotivo = TextoFilho(raiz, "xMotivo");
  r.dhRecbto = TextoFilho(raiz, "dhRecbto");
  r.nRec = TextoFilho(raiz, "nRec");
  if (r.nRec.empty()) r.nRec = TextoFilho(Filho(raiz, "infRec"), "nRec");
  r.protocolo = ProtocoloFilho(raiz);
  return r;
}

RespostaSituacao LerSituacao(const std::string& retConsSitNFe) {
  DocumentoXml doc = DocumentoXml::Ler(retConsSitNFe, "retConsSitNFe");
  RespostaSituacao r;
  r.cStat = TextoFilho(doc.Raiz(), "cStat");
  r.xMotivo = TextoFilho(doc.Raiz(), "xMotivo");
  r.chNFe = TextoFilho(doc.Raiz(), "chNFe");
  r.protocolo = ProtocoloFilho(doc.Raiz());
  return r;
}

RespostaRegistro LerEvento(const std::string& retEnvEvento) {
  DocumentoXml doc = DocumentoXml::Ler(retEnvEvento, "retEnvEvento");
  const xmlNode* retEvento = Filho(doc.Raiz(), "retEvento");
  const xmlNode* inf = Filho(retEvento, "infEvento");
  RespostaRegistro r;
  const xmlNode* situacao = inf != nullptr ? inf : doc.Raiz();
  r.cStat = TextoFilho(situacao, "cStat");
  r.xMotivo = TextoFilho(situacao, "xMotivo");
  r.chNFe = TextoFilho(inf, "chNFe");
  r.nProt = TextoFilho(inf, "nProt");
  r.dhRegistro = TextoFilho(inf, "dhRegEvento");
  if (retEvento != nullptr) r.xml = SerializaElemento(retEvento);
  return r;
}

RespostaRegistro LerInutilizacao(const std::string& retInutNFe) {
  DocumentoXml doc = DocumentoXml::Ler(retInutNFe, "retInutNFe");
  const xmlNode* inf = Filho(doc.Raiz(), "infInut");
  RespostaRegistro r;
  r.cStat = TextoFilho(inf, "cStat");
  r.xMotivo = TextoFilho(inf, "xMotivo");
  r.nProt = TextoFilho(inf, "nProt");
  r.dhRegistro = TextoFilho(inf, "dhRecbto");
  r.xml = SerializaElemento(doc.Raiz());
  return r;
}

}  // namespace velant::autoridade
