#include "component/xml/assinador_xml.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <utility>

#include "apoio_documento.h"
#include "autoridade_apoio.h"
#include "base/erro.h"

namespace velant {
namespace {

using teste::TrocaPrimeiro;

const std::string kId = "NFe35160111222333000181550010000001231000001233";
const std::string kNfeMinima =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">"
    "<infNFe versao=\"3.10\" Id=\"" + kId + "\"><ide><natOp>VENDA &amp; SERVIÇO</natOp></ide></infNFe></NFe>";

std::string Assina(const std::string& xml, const std::string& tag = "infNFe") {
  return AssinarXml(xml, tag, teste::CertificadoTeste());
}

std::string Entre(const std::string& s, const std::string& abre, const std::string& fecha) {
  size_t i = s.find(abre), f = s.find(fecha, i);
  return (i == std::string::npos || f == std::string::npos) ? "" : s.substr(i + abre.size(), f - i - abre.size());
}

TEST(CertificadoA1, AssuntoECnpjDoTitular) {
  const auto& c = teste::CertificadoTeste();
  EXPECT_EQ(c.Assunto() + "|" + c.Cnpj(),
            "C=BR, O=ICP-Brasil, OU=Teste, CN=EMPRESA TESTE LTDA:11222333000181|11222333000181");
  EXPECT_TRUE(std::regex_match(c.ValidoAte(), std::regex("20[0-9]{2}-[0-9]{2}-[0-9]{2} [0-9:]{8}")));
  EXPECT_EQ(c.CertificadoBase64().find_first_of("\r\n "), std::string::npos);
}

// The signed element keeps its bytes and Signature follows it inside NFe,
// in the NF-e's profile, with only the signer's certificate.
TEST(AssinarXml, PerfilDaNFe) {
  std::string s = Assina(kNfeMinima);
  EXPECT_EQ(s.rfind(kNfeMinima.substr(0, kNfeMinima.size() - 6) +
                        "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"
                        "<SignedInfo>"
                        "<CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>"
                        "<SignatureMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/>"
                        "<Reference URI=\"#" + kId + "\"><Transforms>"
                        "<Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"/>"
                        "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/></Transforms>"
                        "<DigestMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#sha1\"/><DigestValue>",
                    0),
            0u)
      << s;
  EXPECT_TRUE(s.ends_with("</X509Certificate></X509Data></KeyInfo></Signature></NFe>"));
  EXPECT_EQ(s.substr(0, s.find("</infNFe>") + 9) + s.substr(s.find("</Signature>") + 12), kNfeMinima);
  EXPECT_FALSE(std::regex_search(s, std::regex(">\\s+<")));
  EXPECT_EQ(Entre(s, "<X509Certificate>", "</X509Certificate>"), teste::CertificadoTeste().CertificadoBase64());
  EXPECT_EQ(Entre(s, "<SignatureValue>", "</SignatureValue>").size(), 344u);   // RSA-2048, no line breaks

  std::string erro;
  std::vector<InfoAssinatura> infos;
  ASSERT_TRUE(VerificarAssinatura(s, &erro, &infos)) << erro;
  ASSERT_EQ(infos.size(), 1u);
  const std::string digest = Entre(s, "<DigestValue>", "</DigestValue>");
  EXPECT_EQ(std::tuple(infos[0].falha, infos[0].referencia, infos[0].digestValue, infos[0].cnpjCertificado),
            std::tuple(InfoAssinatura::Falha::Nenhuma, kId, digest, std::string("11222333000181")));
  EXPECT_EQ(digest.size(), 28u);

  // A certificate file with its chain: only the signer's goes.
  teste::PastaTemporaria tmp;
  const auto pfx = tmp.Caminho() / "cadeia.pfx";
  std::string saida;
  ASSERT_EQ(teste::Executa("cd '" + teste::PastaCertificados().string() +
                               "' && openssl pkcs12 -export -inkey emitente.key -in emitente.pem -certfile ac.pem "
                               "-passout pass:abc -out '" + pfx.string() + "'",
                           &saida),
            0)
      << saida;
  s = AssinarXml(kNfeMinima, "infNFe", CarregarCertificadoA1(pfx, "abc"));
  EXPECT_EQ(s.find("<X509Certificate>"), s.rfind("<X509Certificate>"));
  EXPECT_TRUE(VerificarAssinatura(s, &erro)) << erro;
}

TEST(VerificarAssinatura, AdulteracaoRecusadaComOMotivo) {
  using F = InfoAssinatura::Falha;
  const std::string assinado = Assina(kNfeMinima);
  const size_t i = assinado.find("<Signature"), f = assinado.find("</Signature>") + 12;
  const std::string assinatura = assinado.substr(i, f - i);
  // The signature with a "ds:" prefix, and moved before the signed element.
  const std::string comPrefixo = std::regex_replace(assinatura, std::regex("<(/?)([A-Za-z0-9]+)"), "<$1ds:$2");
  const std::string prefixada =
      assinado.substr(0, i) + TrocaPrimeiro(comPrefixo, "xmlns=", "xmlns:ds=") + assinado.substr(f);
  const std::string foraDoLugar =
      TrocaPrimeiro(std::string(assinado).erase(i, f - i), "<infNFe", assinatura + "<infNFe");
  std::string valorTrocado = assinado;
  char& c = valorTrocado[valorTrocado.find("<SignatureValue>") + 20];
  c = c == 'A' ? 'B' : 'A';
  const std::string c14n = "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>";
  const struct {
    std::string xml;
    F falha;
    const char* trecho;
  } casos[] = {
      {TrocaPrimeiro(assinado, "VENDA", "VENDE"), F::Calculo, "DigestValue"},
      {valorTrocado, F::Calculo, "SignatureValue"}, {prefixada, F::Perfil, "sem prefixo"},
      {TrocaPrimeiro(assinado, "TR/2001/REC-xml-c14n-20010315\"/><SignatureMethod",
                     "2001/10/xml-exc-c14n#\"/><SignatureMethod"),
       F::Perfil, "CanonicalizationMethod"},
      {TrocaPrimeiro(assinado, "xmldsig#sha1", "xmlenc#sha256"), F::Perfil, "DigestMethod"},
      {TrocaPrimeiro(assinado, c14n, ""), F::Perfil, "Transforms"}, {foraDoLugar, F::Perfil, "deve seguir"},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.trecho);
    std::string erro;
    std::vector<InfoAssinatura> infos;
    EXPECT_FALSE(VerificarAssinatura(caso.xml, &erro, &infos));
    EXPECT_NE(erro.find(caso.trecho), std::string::npos) << erro;
    ASSERT_FALSE(infos.empty());
    EXPECT_EQ(infos[0].falha, caso.falha) << erro;
  }
  std::string erro;
  EXPECT_FALSE(VerificarAssinatura(kNfeMinima, &erro));
  EXPECT_EQ(erro, "Documento sem assinatura");
  EXPECT_FALSE(VerificarAssinatura("<NFe><infNFe>", &erro));
  EXPECT_NE(erro.find("mal formado"), std::string::npos) << erro;
}

// However the document came written (assinador_entradas.tsv), the result
// is the same document with one sound Signature right after the signed
// element, under the one declaration.
TEST(AssinarXml, QualquerDocumentoEFormaDeEntrada) {
  for (const auto& caso : teste::LerTabela("component/assinador_entradas.tsv")) {
    const std::string xml = teste::DesfazEscapes(caso[0]), &tag = caso[1];
    SCOPED_TRACE(xml);
    std::string s = Assina(xml, tag), erro;
    EXPECT_EQ(s.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><", 0), 0u) << s;
    EXPECT_EQ(s.find("<?xml", 1), std::string::npos);
    EXPECT_TRUE(std::regex_search(s, std::regex(std::string("</(p:)?") + tag + "><Signature xmlns=")));
    EXPECT_EQ(s.find("</Signature>"), s.rfind("</Signature>"));
    std::vector<InfoAssinatura> infos;
    EXPECT_TRUE(VerificarAssinatura(s, &erro, &infos)) << erro;
    EXPECT_EQ(infos.size(), 1u);
  }
}

// Loading a certificate or signing must be refused as a component error that says why.
TEST(AssinarXml, Recusas) {
  const auto pfx = teste::PastaCertificados() / "emitente.pfx";
  const std::pair<std::function<void()>, const char*> casos[] = {
      {[&] { CarregarCertificadoA1(pfx, "errada"); }, "Senha do certificado"},
      {[] { CarregarCertificadoA1("/nao/existe.pfx", "1234"); }, "não encontrado"},
      {[] { CarregarCertificadoA1Memoria("isto não é um pfx", "1234"); }, "PKCS#12"},
      {[] { Assina(kNfeMinima, "infEvento"); }, "infEvento não encontrado"},
      {[] { Assina(TrocaPrimeiro(kNfeMinima, " Id=\"" + kId + "\"", "")); }, "sem o atributo Id"},
      {[] { Assina(Assina(kNfeMinima)); }, "já assinado"},
      {[] { Assina("<NFe>"); }, "mal formado"},
      {[] { AssinarXml(kNfeMinima, "infNFe", CertificadoA1()); }, ""},
  };
  for (const auto& [chamar, trecho] : casos)
    EXPECT_NE(teste::ErroDoComponente(chamar).find(trecho), std::string::npos) << trecho;
}

}  // namespace
}  // namespace velant
