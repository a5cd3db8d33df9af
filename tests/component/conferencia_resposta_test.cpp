// An answer of the authority is believed only when its signature holds (under
// the trusted certificates, when the installation names them) and an
// authorisation is for a document sent from here. The answers below are
// signed as the authority signs them, then tampered with. (The simulator's
// tampered answers, an untrusted CA, and signed events and voidings are the
// client test's.)
#include "component/autoridade/conferencia_resposta.h"

#include <gtest/gtest.h>

#include <string>

#include "apoio/arquivos_teste.h"
#include "component/apoio_documento.h"
#include "component/autoridade/respostas_autoridade.h"
#include "component/recusa_resposta.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {
namespace {

const std::string kChave = "35160111222333000181550010000001231000001233";
const std::string kNProt = "135160000000007";
const std::string kDigVal = "dGVzdGVkaWdlc3R2YWx1ZTAxMjM0NTY3OA==";
const std::string kNs = " xmlns=\"http://www.portalfiscal.inf.br/nfe\"";

// The answer signed by the authority over that element, or unsigned; then "de" changed into "para".
std::string Assinado(const std::string& xml, const char* elemento, bool assinado, const std::string& de = "",
                     const std::string& para = "") {
  static const CertificadoA1 autoridade =
      CarregarCertificadoA1(teste::PastaCertificados() / "autoridade.pfx", "1234");
  std::string s = assinado ? SemDeclaracao(AssinarXml(xml, elemento, autoridade)) : xml;
  return de.empty() ? s : teste::TrocaPrimeiro(s, de, para);
}

TEST(Protocolos, SoOGenuinoPassa) {
  const std::string prot = "<protNFe" + kNs + " versao=\"3.10\"><infProt Id=\"ID" + kNProt +
                           "\"><tpAmb>2</tpAmb><verAplic>T</verAplic><chNFe>" + kChave +
                           "</chNFe><dhRecbto>2016-01-15T10:00:00-02:00</dhRecbto><nProt>" + kNProt +
                           "</nProt><digVal>" + kDigVal +
                           "</digVal><cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe>";
  const struct {
    bool assinado;
    std::string de, para;   // a change after signing ("": none)
    bool comConfiaveis, documentoEnviado;
    const char* recusa;
  } casos[] = {
      {true, "", "", true, true, ""},
      {false, "", "", false, true, ""},
      {false, "", "", true, true, kRecusaSemAssinatura},
      {true, "<digVal>dGVz", "<digVal>eGVz", true, true, kRecusaAssinatura},
      // The signature moved to another Id: it no longer covers this protocol.
      {true, "<infProt Id=\"ID" + kNProt, "<infProt Id=\"ID1", true, true, kRecusaAssinatura},
      {true, "", "", true, false, kRecusaOutroDocumento},
      {false, "", "", false, false, kRecusaOutroDocumento}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.de + (c.assinado ? " assinado" : "") + (c.comConfiaveis ? " confiaveis" : "") +
                 (c.documentoEnviado ? " enviado" : ""));
    // Read from the situation answer it came in, as the component reads it.
    RespostaSituacao r = LerSituacao("<retConsSitNFe" + kNs + " versao=\"3.10\"><cStat>100</cStat><xMotivo>x</xMotivo>"
                                     "<chNFe>" + kChave + "</chNFe>" +
                                     Assinado(prot, "infProt", c.assinado, c.de, c.para) + "</retConsSitNFe>");
    ASSERT_TRUE(r.protocolo.has_value());
    RegrasConferencia regras;
    if (c.comConfiaveis) regras.confiaveis = teste::PastaCertificados() / "ac.pem";
    std::string perguntado;
    regras.documentoEnviado = [&](const std::string& chave, const std::string& digVal) {
      perguntado = chave + " " + digVal;
      return c.documentoEnviado;
    };
    ConfereProtocolo(*r.protocolo, regras);
    EXPECT_EQ(r.protocolo->recusa, c.recusa) << r.protocolo->assinatura.motivo;
    // A protocol believed was asked about by its own key and digest.
    if (*c.recusa == '\0') { EXPECT_EQ(perguntado, kChave + " " + kDigVal); }
  }
}

}  // namespace
}  // namespace velant::autoridade
