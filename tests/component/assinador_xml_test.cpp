#include "component/xml/assinador_xml.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <thread>

#include "apoio_documento.h"
#include "base/erro.h"

namespace velant {
namespace {

const std::string kNfeMinima =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">"
    "<infNFe versao=\"3.10\" Id=\"NFe35160111222333000181550010000001231000001233\"><ide><natOp>VENDA "
    "&amp; SERVIÇO</natOp></ide></infNFe></NFe>";

std::string Assina(const std::string& xml, const std::string& tag = "infNFe") {
  return AssinarXml(xml, tag, teste::CertificadoTeste());
}

std::string Entre(const std::string& s, const std::string& abre, const std::string& fecha) {
  size_t i = s.find(abre);
  size_t f = s.find(fecha, i);
  return (i == std::string::npos || f == std::string::npos) ? "" : s.substr(i + abre.size(), f - i - abre.size());
}

TEST(CertificadoA1, AssuntoECnpjDoTitular) {
  const auto& c = teste::CertificadoTeste();
  EXPECT_EQ(c.Assunto(), "C=BR, O=ICP-Brasil, OU=Teste, CN=EMPRESA TESTE LTDA:11222333000181");
  EXPECT_EQ(c.Cnpj(), "11222333000181");
  EXPECT_TRUE(std::regex_match(c.ValidoAte(), std::regex("20[0-9]{2}-[0-9]{2}-[0-9]{2} [0-9:]{8}")));
  EXPECT_EQ(c.CertificadoBase64().find_first_of("\r\n "), std::string::npos);
}

struct CasoAssunto {
  const char* assunto;
  const char* cnpj;
};
class CnpjAssunto : public ::testing::TestWithParam<CasoAssunto> {};
TEST_P(CnpjAssunto, CatorzeDigitosDepoisDoUltimoDoisPontosDoCN) {
  EXPECT_EQ(CnpjDoAssunto(GetParam().assunto), GetParam().cnpj);
}
INSTANTIATE_TEST_SUITE_P(Casos, CnpjAssunto,
                         ::testing::Values(CasoAssunto{"C=BR, CN=EMPRESA TESTE LTDA:11222333000181", "11222333000181"},
                                           CasoAssunto{"CN=A:B LTDA:11222333000181, OU=X", "11222333000181"},
                                           CasoAssunto{"/C=BR/CN=NOME:11222333000181", "11222333000181"},
                                           CasoAssunto{"CN=EMPRESA SEM CNPJ", ""},
                                           CasoAssunto{"CN=PESSOA:12345678909", ""},
                                           CasoAssunto{"O=X:11222333000181", ""},
                                           // The alphanumeric CNPJ: 12 characters from 0-9 and A-Z, 2 digits.
                                           CasoAssunto{"CN=EMPRESA ALFA LTDA:12ABC34501DE35", "12ABC34501DE35"},
                                           CasoAssunto{"CN=EMPRESA ALFA LTDA:12.ABC.345.01DE-35", "12ABC34501DE35"},
                                           CasoAssunto{"CN=EMPRESA ALFA LTDA:12ABC34501DEAB", ""},
                                           CasoAssunto{"CN=EMPRESA ALFA LTDA:12ABC34501DE3", ""}));

TEST(AssinarXml, PerfilDaNFe) {
  std::string s = Assina(kNfeMinima);
  // The signed element keeps its bytes and Signature follows it inside NFe.
  EXPECT_EQ(s.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">"
                    "<infNFe versao=\"3.10\" Id=\"NFe35160111222333000181550010000001231000001233\"><ide><natOp>VENDA "
                    "&amp; SERVIÇO</natOp></ide></infNFe><Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"
                    "<SignedInfo><CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>"
                    "<SignatureMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/>"
                    "<Reference URI=\"#NFe35160111222333000181550010000001231000001233\"><Transforms>"
                    "<Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"/>"
                    "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/></Transforms>"
                    "<DigestMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#sha1\"/><DigestValue>",
                    0),
            0u)
      << s;
  EXPECT_TRUE(s.ends_with("</X509Certificate></X509Data></KeyInfo></Signature></NFe>"));
  EXPECT_FALSE(std::regex_search(s, std::regex(">\\s+<")));
  EXPECT_EQ(Entre(s, "<X509Certificate>", "</X509Certificate>"), teste::CertificadoTeste().CertificadoBase64());
  EXPECT_EQ(Entre(s, "<SignatureValue>", "</SignatureValue>").size(), 344u);   // RSA-2048, no line breaks

  std::string erro;
  std::vector<InfoAssinatura> infos;
  ASSERT_TRUE(VerificarAssinatura(s, &erro, &infos)) << erro;
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0].falha, InfoAssinatura::Falha::Nenhuma);
  EXPECT_EQ(infos[0].referencia, "NFe35160111222333000181550010000001231000001233");
  EXPECT_EQ(infos[0].digestValue, Entre(s, "<DigestValue>", "</DigestValue>"));
  EXPECT_EQ(infos[0].digestValue.size(), 28u);
  EXPECT_EQ(infos[0].cnpjCertificado, "11222333000181");
}

TEST(AssinarXml, CertificadoComCadeiaLevaSoODoSignatario) {
  auto pasta = teste::PastaCertificados();
  teste::PastaTemporaria tmp;
  auto pfx = tmp.Caminho() / "cadeia.pfx";
  std::string saida;
  ASSERT_EQ(teste::Executa("openssl pkcs12 -export -inkey '" + (pasta / "emitente.key").string() + "' -in '" +
                               (pasta / "emitente.pem").string() + "' -certfile '" + (pasta / "ac.pem").string() +
                               "' -out '" + pfx.string() + "' -passout pass:abc",
                           &saida),
            0)
      << saida;
  std::string s = AssinarXml(kNfeMinima, "infNFe", CarregarCertificadoA1(pfx, "abc"));
  size_t n = 0;
  for (size_t p = s.find("<X509Certificate>"); p != std::string::npos; p = s.find("<X509Certificate>", p + 1)) ++n;
  EXPECT_EQ(n, 1u);
  std::string erro;
  EXPECT_TRUE(VerificarAssinatura(s, &erro)) << erro;
}

struct CasoAdulteracao {
  const char* nome;
  std::string (*adultera)(std::string);
  InfoAssinatura::Falha falha;
  const char* trecho;
};

std::string TrocaPrimeiro(std::string s, const std::string& de, const std::string& para) {
  size_t p = s.find(de);
  if (p != std::string::npos) s.replace(p, de.size(), para);
  return s;
}

class Adulteracoes : public ::testing::TestWithParam<CasoAdulteracao> {};

TEST_P(Adulteracoes, VerificacaoRecusaComOMotivo) {
  const auto& c = GetParam();
  std::string s = c.adultera(Assina(kNfeMinima));
  std::string erro;
  std::vector<InfoAssinatura> infos;
  EXPECT_FALSE(VerificarAssinatura(s, &erro, &infos));
  EXPECT_NE(erro.find(c.trecho), std::string::npos) << erro;
  ASSERT_FALSE(infos.empty());
  EXPECT_EQ(infos[0].falha, c.falha) << erro;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Adulteracoes,
    ::testing::Values(
        CasoAdulteracao{"ConteudoAlterado", [](std::string s) { return TrocaPrimeiro(s, "VENDA", "VENDE"); },
                        InfoAssinatura::Falha::Calculo, "DigestValue"},
        CasoAdulteracao{"ValorDaAssinaturaAlterado",
                        [](std::string s) {
                          size_t p = s.find("<SignatureValue>") + 20;
                          s[p] = s[p] == 'A' ? 'B' : 'A';
                          return s;
                        },
                        InfoAssinatura::Falha::Calculo, "SignatureValue"},
        CasoAdulteracao{"PrefixoDs",
                        [](std::string s) {
                          size_t i = s.find("<Signature"), f = s.find("</Signature>") + 12;
                          std::string assinatura = std::regex_replace(s.substr(i, f - i),
                                                                      std::regex("<(/?)([A-Za-z0-9]+)"), "<$1ds:$2");
                          assinatura = TrocaPrimeiro(assinatura, "xmlns=", "xmlns:ds=");
                          return s.substr(0, i) + assinatura + s.substr(f);
                        },
                        InfoAssinatura::Falha::Perfil, "sem prefixo"},
        CasoAdulteracao{"C14nExclusivo",
                        [](std::string s) {
                          return TrocaPrimeiro(s, "TR/2001/REC-xml-c14n-20010315\"/><SignatureMethod",
                                               "2001/10/xml-exc-c14n#\"/><SignatureMethod");
                        },
                        InfoAssinatura::Falha::Perfil, "CanonicalizationMethod"},
        CasoAdulteracao{"Sha256", [](std::string s) { return TrocaPrimeiro(s, "xmldsig#sha1", "xmlenc#sha256"); },
                        InfoAssinatura::Falha::Perfil, "DigestMethod"},
        CasoAdulteracao{"SemTransformacaoC14n",
                        [](std::string s) {
                          return TrocaPrimeiro(
                              s, "<Transform Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>", "");
                        },
                        InfoAssinatura::Falha::Perfil, "Transforms"},
        CasoAdulteracao{"AssinaturaForaDoLugar",
                        [](std::string s) {
                          size_t i = s.find("<Signature"), f = s.find("</Signature>") + 12;
                          std::string assinatura = s.substr(i, f - i);
                          s.erase(i, f - i);
                          return TrocaPrimeiro(s, "<infNFe", assinatura + "<infNFe");
                        },
                        InfoAssinatura::Falha::Perfil, "deve seguir"}),
    [](const ::testing::TestParamInfo<CasoAdulteracao>& i) { return std::string(i.param.nome); });

TEST(VerificarAssinatura, SemAssinaturaOuMalFormado) {
  std::string erro;
  EXPECT_FALSE(VerificarAssinatura(kNfeMinima, &erro));
  EXPECT_EQ(erro, "Documento sem assinatura");
  EXPECT_FALSE(VerificarAssinatura("<NFe><infNFe>", &erro));
  EXPECT_NE(erro.find("mal formado"), std::string::npos) << erro;
}

TEST(VerificarAssinatura, LoteComVariasNotas) {
  std::string a = Assina(kNfeMinima);
  std::string b = Assina(TrocaPrimeiro(kNfeMinima, "NFe35160111222333000181550010000001231000001233",
                                       "NFe35160111222333000181550010000001241000001249"));
  auto semDeclaracao = [](const std::string& s) { return s.substr(s.find("<NFe")); };
  std::string lote = "<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><idLote>1</idLote>"
                     "<indSinc>0</indSinc>" + semDeclaracao(a) + semDeclaracao(b) + "</enviNFe>";
  std::string erro;
  std::vector<InfoAssinatura> infos;
  EXPECT_TRUE(VerificarAssinatura(lote, &erro, &infos)) << erro;
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[1].referencia, "NFe35160111222333000181550010000001241000001249");
  infos.clear();
  size_t segunda = lote.rfind("VENDA");
  lote.replace(segunda, 5, "VENDE");
  EXPECT_FALSE(VerificarAssinatura(lote, &erro, &infos));
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].falha, InfoAssinatura::Falha::Nenhuma);
  EXPECT_EQ(infos[1].falha, InfoAssinatura::Falha::Calculo);
}

TEST(AssinarXml, EventoEInutilizacao) {
  std::string evento =
      "<evento xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\"><infEvento "
      "Id=\"ID1101113516011122233300018155001000000123100000123301\"><cOrgao>35</cOrgao></infEvento></evento>";
  std::string inut = "<inutNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><infInut "
                     "Id=\"ID351611222333000181550010000001230000001230\"><tpAmb>2</tpAmb></infInut></inutNFe>";
  for (const auto& [xml, tag] : {std::pair{evento, "infEvento"}, std::pair{inut, "infInut"}}) {
    std::string s = Assina(xml, tag);
    EXPECT_NE(s.find(std::string("</") + tag + "><Signature xmlns="), std::string::npos) << s;
    std::string erro;
    EXPECT_TRUE(VerificarAssinatura(s, &erro)) << tag << ": " << erro;
  }
}

// However the document came written (declaration or not, a byte-order mark,
// comments or blanks around the root, a prefixed element), the result is the
// same document with one sound Signature after the signed element, under the
// one declaration, and verified by the outside tool's rules here.
TEST(AssinarXml, QualquerFormaDoDocumentoDeEntrada) {
  const std::string corpo = kNfeMinima.substr(kNfeMinima.find("<NFe"));
  const std::string declaracao = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const std::string casos[] = {
      corpo,
      "\xEF\xBB\xBF" + declaracao + corpo,
      "<?xml version='1.0' encoding='utf-8'?>\r\n<!-- exportado -->\r\n" + corpo + "\r\n",
      declaracao + TrocaPrimeiro(corpo, "</ide>", "</ide><!-- </infNFe> -->"),
      declaracao + "<p:NFe xmlns:p=\"http://www.portalfiscal.inf.br/nfe\"><p:infNFe versao=\"3.10\" "
                   "Id=\"NFe35160111222333000181550010000001231000001233\"><p:ide/></p:infNFe></p:NFe>"};
  for (const auto& xml : casos) {
    SCOPED_TRACE(xml);
    std::string s = Assina(xml);
    EXPECT_EQ(s.rfind(declaracao + "<", 0), 0u) << s;
    EXPECT_EQ(s.find("<?xml", 1), std::string::npos);
    EXPECT_EQ(s.find("</Signature>"), s.rfind("</Signature>"));
    std::string erro;
    std::vector<InfoAssinatura> infos;
    EXPECT_TRUE(VerificarAssinatura(s, &erro, &infos)) << erro;
    EXPECT_EQ(infos.size(), 1u);
  }
  // A plain document keeps its own bytes: only the Signature is added.
  std::string s = Assina(kNfeMinima);
  size_t fim = s.find("</infNFe>") + 9;
  EXPECT_EQ(s.substr(0, fim) + s.substr(s.find("</Signature>") + 12), kNfeMinima);
}

// Loading a certificate or signing must be refused as a component error that says why.
TEST(AssinarXml, Recusas) {
  const auto pfx = teste::PastaCertificados() / "emitente.pfx";
  const std::string semId = TrocaPrimeiro(kNfeMinima, " Id=\"NFe35160111222333000181550010000001231000001233\"", "");
  const std::string assinado = Assina(kNfeMinima);
  struct Caso {
    const char* nome;
    std::function<void()> chamar;
    const char* trecho;
  } casos[] = {
      {"senha errada", [&] { CarregarCertificadoA1(pfx, "errada"); }, "Senha do certificado"},
      {"pfx inexistente", [] { CarregarCertificadoA1("/nao/existe.pfx", "1234"); }, "não encontrado"},
      {"memoria sem pfx", [] { CarregarCertificadoA1Memoria("isto não é um pfx", "1234"); }, "PKCS#12"},
      {"tag ausente", [] { Assina(kNfeMinima, "infEvento"); }, "infEvento não encontrado"},
      {"sem Id", [&] { Assina(semId); }, "sem o atributo Id"},
      {"ja assinado", [&] { Assina(assinado); }, "já assinado"},
      {"mal formado", [] { Assina("<NFe>"); }, "mal formado"},
      {"certificado vazio", [] { AssinarXml(kNfeMinima, "infNFe", CertificadoA1()); }, ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    try {
      c.chamar();
      ADD_FAILURE() << "deveria recusar";
    } catch (const ErroExecucao& e) {
      EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
      EXPECT_NE(e.Descricao().find(c.trecho), std::string::npos) << e.Descricao();
    }
  }
}

// The Host signs while the authority simulator verifies, from other threads.
TEST(AssinarXml, VariasThreadsAoMesmoTempo) {
  const CertificadoA1& c = teste::CertificadoTeste();
  std::vector<std::thread> threads;
  std::vector<int> validas(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        std::string s = AssinarXml(kNfeMinima, "infNFe", c);
        std::string erro;
        if (VerificarAssinatura(s, &erro)) ++validas[static_cast<size_t>(t)];
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(validas, std::vector<int>(4, 10));
}

}  // namespace
}  // namespace velant
