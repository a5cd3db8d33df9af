#include "component/autoridade/conferencia_resposta.h"

#include <vector>

#include "base/erro.h"
#include "component/recusa_resposta.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {

namespace {

using Estado = AssinaturaResposta::Estado;

AssinaturaResposta Invalida(const std::string& motivo) { return {Estado::Invalida, motivo}; }

// The refusal a signature gives, "" when none. With trusted certificates
// named, what carries a protocol number of the authority must be signed.
std::string RecusaAssinatura(const AssinaturaResposta& a, const std::string& nProt, const RegrasConferencia& regras) {
  if (a.estado == Estado::Invalida) return kRecusaAssinatura;
  if (a.estado == Estado::Ausente && !nProt.empty() && !regras.confiaveis.empty()) return kRecusaSemAssinatura;
  return "";
}

}  // namespace

AssinaturaResposta ConfereAssinaturaResposta(const std::string& xml, const char* elemento,
                                             const std::filesystem::path& confiaveis) {
  if (xml.empty()) return {};
  std::string id;
  try {
    DocumentoXml doc = DocumentoXml::Ler(xml, "resposta assinada");
    if (Procura(doc.Raiz(), "Signature") == nullptr) return {};
    id = Atributo(Procura(doc.Raiz(), elemento), "Id");
  } catch (const ErroExecucao& e) {
    return Invalida(e.Descricao());
  }
  if (id.empty()) return Invalida(std::string("assinatura sem o Id de ") + elemento);
  std::string erro;
  std::vector<InfoAssinatura> infos;
  if (!VerificarAssinatura(xml, &erro, &infos, confiaveis)) return Invalida(erro);
  if (infos.size() != 1) return Invalida("mais de uma assinatura");
  if (infos.front().referencia != id) return Invalida("a assinatura não é a de " + std::string(elemento) + " " + id);
  return {Estado::Valida, ""};
}

void ConfereProtocolo(ProtocoloNFe& p, const RegrasConferencia& regras) {
  p.assinatura = ConfereAssinaturaResposta(p.xml, "infProt", regras.confiaveis);
  p.recusa = RecusaAssinatura(p.assinatura, p.nProt, regras);
  // An authorisation is for one document: the one sent from here.
  if (p.recusa.empty() && p.Autorizado() &&
      (p.digVal.empty() || !regras.documentoEnviado || !regras.documentoEnviado(p.chNFe, p.digVal)))
    p.recusa = kRecusaOutroDocumento;
}

void ConfereRegistro(RespostaRegistro& r, const char* elemento, const RegrasConferencia& regras) {
  r.assinatura = ConfereAssinaturaResposta(r.xml, elemento, regras.confiaveis);
  r.recusa = RecusaAssinatura(r.assinatura, r.nProt, regras);
}

}  // namespace velant::autoridade
