// An answer of the authority is believed only when its signature holds (under
// the trusted certificates, when the installation names them) and an
// authorisation is for a document sent from here. The answers below are
// signed as the authority signs them, then tampered with.
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

const CertificadoA1& Autoridade() {
  static CertificadoA1 c = CarregarCertificadoA1(teste::PastaCertificados() / "autoridade.pfx", "1234");
  return c;
}

// A self-signed certificate: its signatures hold, but under no trusted CA.
const CertificadoA1& Intruso() {
  static teste::PastaTemporaria pasta;
  static CertificadoA1 c = [] {
    std::string saida;
    int r = teste::Executa("cd '" + pasta.Caminho().string() +
                               "' && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout k.pem -out c.pem "
                               "-subj '/CN=Autoridade Falsa' 2>&1 && openssl pkcs12 -export -inkey k.pem -in c.pem "
                               "-out i.pfx -passout pass:1234 2>&1",
                           &saida);
    if (r != 0) throw std::runtime_error("openssl: " + saida);
    return CarregarCertificadoA1(pasta.Caminho() / "i.pfx", "1234");
  }();
  return c;
}

std::string Assinado(const std::string& xml, const char* elemento, const CertificadoA1* quem) {
  return quem ? SemDeclaracao(AssinarXml(xml, elemento, *quem)) : xml;
}

std::string ProtNFe(const CertificadoA1* quem) {
  return Assinado("<protNFe" + kNs + " versao=\"3.10\"><infProt Id=\"ID" + kNProt +
                      "\"><tpAmb>2</tpAmb><verAplic>T</verAplic><chNFe>" + kChave +
                      "</chNFe><dhRecbto>2016-01-15T10:00:00-02:00</dhRecbto><nProt>" + kNProt + "</nProt><digVal>" +
                      kDigVal + "</digVal><cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt>"
                      "</protNFe>",
                  "infProt", quem);
}

enum Assinante { Ninguem, PelaAutoridade, PeloIntruso };

struct CasoProtocolo {
  const char* nome;
  Assinante assinante;
  std::string de, para;   // a change after signing ("": none)
  bool comConfiaveis;
  bool documentoEnviado;
  const char* recusa;
};
void PrintTo(const CasoProtocolo& c, std::ostream* os) { *os << c.nome; }

class Protocolos : public ::testing::TestWithParam<CasoProtocolo> {};

TEST_P(Protocolos, SoOGenuinoPassa) {
  const auto& c = GetParam();
  std::string prot = ProtNFe(c.assinante == PelaAutoridade ? &Autoridade()
                             : c.assinante == PeloIntruso  ? &Intruso()
                                                           : nullptr);
  if (!c.de.empty()) prot = teste::TrocaPrimeiro(prot, c.de, c.para);
  // Read from the situation answer it came in, as the component reads it.
  RespostaSituacao r = LerSituacao("<retConsSitNFe" + kNs + " versao=\"3.10\"><tpAmb>2</tpAmb><verAplic>T</verAplic>"
                                   "<cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo><cUF>35</cUF>"
                                   "<dhRecbto>2016-01-15T10:00:00-02:00</dhRecbto><chNFe>" +
                                   kChave + "</chNFe>" + prot + "</retConsSitNFe>");
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
  if (*c.recusa == '\0') {
    EXPECT_EQ(perguntado, kChave + " " + kDigVal);
  }
}

const std::string kOutroNProt = "<nProt>135160000000099", kNProtTag = "<nProt>" + kNProt;
const CasoProtocolo kProtocolos[] = {
    {"Genuino", PelaAutoridade, "", "", true, true, ""},
    {"GenuinoSemConfiaveis", PelaAutoridade, "", "", false, true, ""},
    {"SemAssinaturaNemConfiaveis", Ninguem, "", "", false, true, ""},
    {"SemAssinaturaComConfiaveis", Ninguem, "", "", true, true, kRecusaSemAssinatura},
    {"NProtTrocado", PelaAutoridade, kNProtTag, kOutroNProt, true, true, kRecusaAssinatura},
    {"NProtTrocadoSemConfiaveis", PelaAutoridade, kNProtTag, kOutroNProt, false, true, kRecusaAssinatura},
    {"ChaveTrocada", PelaAutoridade, "<chNFe>3516", "<chNFe>3517", true, true, kRecusaAssinatura},
    {"DigValTrocado", PelaAutoridade, "<digVal>dGVz", "<digVal>eGVz", true, true, kRecusaAssinatura},
    // The signature moved to another Id: it no longer covers this protocol.
    {"AssinaturaDeOutroElemento", PelaAutoridade, "<infProt Id=\"ID" + kNProt, "<infProt Id=\"ID1", true, true,
     kRecusaAssinatura},
    {"AssinanteForaDosConfiaveis", PeloIntruso, "", "", true, true, kRecusaAssinatura},
    {"DocumentoNaoEnviado", PelaAutoridade, "", "", true, false, kRecusaOutroDocumento},
    {"DocumentoNaoEnviadoSemAssinatura", Ninguem, "", "", false, false, kRecusaOutroDocumento}};
INSTANTIATE_TEST_SUITE_P(Casos, Protocolos, ::testing::ValuesIn(kProtocolos),
                         [](const auto& info) { return std::string(info.param.nome); });

// Events and voidings: the same signature, over infEvento and infInut.
TEST(Registros, SoOGenuinoPassa) {
  const std::string evento = "<infEvento Id=\"ID" + kNProt + "\"><tpAmb>2</tpAmb><verAplic>T</verAplic>"
                             "<cOrgao>35</cOrgao><cStat>135</cStat><xMotivo>Evento registrado e vinculado a NF-e"
                             "</xMotivo><chNFe>" + kChave + "</chNFe><nProt>" + kNProt + "</nProt></infEvento>";
  const std::string inutilizacao = "<infInut Id=\"ID" + kNProt + "\"><tpAmb>2</tpAmb><verAplic>T</verAplic>"
                                   "<cStat>102</cStat><xMotivo>Inutilização de número homologado</xMotivo>"
                                   "<cUF>35</cUF><dhRecbto>2016-01-15T10:00:00-02:00</dhRecbto><nProt>" +
                                   kNProt + "</nProt></infInut>";
  const struct {
    bool evento, assinado;
    const char *de, *para;   // a change after signing (nullptr: none)
    const char* recusa;
  } casos[] = {
      {true, true, nullptr, nullptr, ""},
      {true, true, "<nProt>135160000000007", "<nProt>135160000000099", kRecusaAssinatura},
      {true, false, nullptr, nullptr, kRecusaSemAssinatura}, {false, true, nullptr, nullptr, ""},
      {false, true, "<cStat>102", "<cStat>102</cStat><cStat>102", kRecusaAssinatura},   // an element inserted
      {false, false, nullptr, nullptr, kRecusaSemAssinatura},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(std::string(c.evento ? "evento " : "inutilização ") + (c.de ? c.de : "") + (c.assinado ? "" : "-"));
    const CertificadoA1* quem = c.assinado ? &Autoridade() : nullptr;
    const char* elemento = c.evento ? "infEvento" : "infInut";
    std::string ret = Assinado(c.evento ? "<retEvento" + kNs + " versao=\"1.00\">" + evento + "</retEvento>"
                                        : "<retInutNFe" + kNs + " versao=\"3.10\">" + inutilizacao + "</retInutNFe>",
                               elemento, quem);
    if (c.de) ret = teste::TrocaPrimeiro(ret, c.de, c.para);
    RespostaRegistro r =
        c.evento ? LerEvento("<retEnvEvento" + kNs + " versao=\"1.00\"><idLote>1</idLote><tpAmb>2</tpAmb><verAplic>T"
                             "</verAplic><cOrgao>35</cOrgao><cStat>128</cStat><xMotivo>Lote de Evento Processado"
                             "</xMotivo>" + ret + "</retEnvEvento>")
                 : LerInutilizacao(ret);
    ConfereRegistro(r, elemento, {teste::PastaCertificados() / "ac.pem", nullptr});
    EXPECT_EQ(r.recusa, c.recusa) << r.assinatura.motivo;
    EXPECT_EQ(RecusaRegistro(r, c.evento ? kChave : ""), c.recusa);
  }
}

}  // namespace
}  // namespace velant::autoridade
