// Request messages and SOAP envelopes of the authority client.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "autoridade_apoio.h"
#include "component/apoio_nfe400.h"
#include "base/erro.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/xml/autoridade_xml.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/servicos_autorizacao.h"

namespace velant::autoridade {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// Each row must be refused as a component error whose text names what went wrong.
TEST(EnvelopeSoap, RespostasRecusadas) {
  struct Caso { const char* nome; std::function<void()> chamar; const char* trecho; } casos[] = {
      {"falha soap", [] { LeResposta(MontaFalhaSoap("Receiver", "Servidor em manutenção")); },
       "Servidor em manutenção"},
      {"resposta html", [] { LeResposta("<html>erro</html>"); }, ""},
      {"resposta que nao e xml", [] { LeResposta("não é xml"); }, ""},
      {"pedido sem corpo", [] { LePedido("<Envelope/>"); }, ""},
  };
  for (const auto& c : casos) EXPECT_NE(teste::ErroDoComponente(c.chamar).find(c.trecho), std::string::npos) << c.nome;
}

// Small text conversions: state codes, leading zeros, timestamps with offset.
std::string Meiodia15Jan2016Utc(int fuso) {
  return DataHoraComFuso(std::chrono::system_clock::from_time_t(1452859200), fuso);
}

#define CHAMADA(...) #__VA_ARGS__, [] { return std::string(__VA_ARGS__); }
TEST(Conversoes, TextoEsperado) {
  struct Caso { const char* chamada; std::function<std::string()> converter; const char* esperado; } casos[] = {
      {CHAMADA(CodigoUf("SP")), "35"}, {CHAMADA(CodigoUf(" rs ")), "43"}, {CHAMADA(CodigoUf("DF")), "53"},
      {CHAMADA(CodigoUf("XX")), ""}, {CHAMADA(SemZerosAEsquerda("000123")), "123"},
      {CHAMADA(SemZerosAEsquerda(" 000 ")), "0"}, {CHAMADA(SemZerosAEsquerda("12a")), "12a"},
      {CHAMADA(Meiodia15Jan2016Utc(-3)), "2016-01-15T09:00:00-03:00"},
      {CHAMADA(Meiodia15Jan2016Utc(0)), "2016-01-15T12:00:00+00:00"},
      {CHAMADA(Meiodia15Jan2016Utc(-1)), "2016-01-15T11:00:00-01:00"},
  };
  for (const auto& c : casos) EXPECT_EQ(c.converter(), c.esperado) << c.chamada;
  int fuso = FusoLocalHoras();
  EXPECT_TRUE(fuso >= -11 && fuso <= 12) << fuso;
}
#undef CHAMADA

// --- Messages -----------------------------------------------------------------

DadosCancelamento Cancelamento() {
  return {"0000123", "2", "35160111222333000181550010000001231000001233", "1", "135160000000001",
          "  Erro de digitacao\r\nno valor  ", "2016-01-15T12:00:00-03:00"};
}

DadosInutilizacao Inutilizacao() {
  return {"2", "35", "16", "11222333000181", "001", "000000050", "0000000052",
          "Numeracao pulada por falha\tdo sistema"};
}

TEST(Mensagens, ValidasNoEsquema) {
  const std::string chave = "35160111222333000181550010000001231000001233";
  const auto& certificado = teste::CertificadoTeste();
  const std::string cancelamento = AssinarXml(MensagemEventoCancelamento(Cancelamento()), "infEvento", certificado);
  const std::pair<std::string, const char*> casos[] = {
      {MensagemStatusServico("2", "35"), "consStatServ_v3.10.xsd"},
      {MensagemConsultaRecibo("2", "351000000000042"), "consReciNFe_v3.10.xsd"},
      {MensagemConsultaSituacao("2", chave), "consSitNFe_v3.10.xsd"},
      {cancelamento, "envEventoCancNFe_v1.00.xsd"},
      {AssinarXml(MensagemInutilizacao(Inutilizacao()), "infInut", certificado), "inutNFe_v3.10.xsd"},
      {MensagemLote("7", {teste::NotaAssinada()}, Leiaute::V310), "enviNFe_v3.10.xsd"},
      {MensagemStatusServico("2", "35", Leiaute::V400), "PL_010e/consStatServ_v4.00.xsd"},
      {MensagemConsultaRecibo("2", "351000000000042", Leiaute::V400), "PL_010e/consReciNFe_v4.00.xsd"},
      {MensagemConsultaSituacao("2", chave, Leiaute::V400), "PL_010e/consSitNFe_v4.00.xsd"},
      {cancelamento, "evento-cancelamento-v4/envEventoCancNFe_v1.00.xsd"},
      {AssinarXml(MensagemInutilizacao(Inutilizacao(), Leiaute::V400), "infInut", certificado),
       "PL_010e/inutNFe_v4.00.xsd"},
      {teste::NotaAssinada400(), "PL_010e/nfe_v4.00.xsd"},
      {MensagemLote("7", {teste::NotaAssinada400()}, Leiaute::V400), "PL_010e/enviNFe_v4.00.xsd"},
      {MensagemLote("8", {teste::NotaAssinada400({.numero = 1}), teste::NotaAssinada400({.numero = 2})}, Leiaute::V400),
       "PL_010e/enviNFe_v4.00.xsd"},
  };
  for (const auto& [m, esquema] : casos) {
    auto erro = ValidarXml(m, esquema);
    EXPECT_FALSE(erro.has_value()) << esquema << ": " << *erro << "\n" << m;
  }
}

// One invoice in 4.00 asks for the synchronous answer; anything else the
// asynchronous one. The invoice goes in byte for byte.
TEST(MensagemLote, RespostaSincronaSoParaUmaNotaEm400) {
  struct Caso { size_t notas; Leiaute leiaute; const char* indSinc; } casos[] = {
      {1, Leiaute::V400, "1"}, {2, Leiaute::V400, "0"}, {1, Leiaute::V310, "0"}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.notas);
    std::string m = MensagemLote("12", std::vector<std::string>(c.notas, "<NFe/>"), c.leiaute);
    EXPECT_EQ(teste::Campo(m, "indSinc"), c.indSinc);
    EXPECT_EQ(LeiauteDoDocumento(m), c.leiaute);
  }
  std::string nota = teste::NotaAssinada400();
  EXPECT_NE(MensagemLote("1", {nota}, Leiaute::V400).find(SemDeclaracao(nota)), std::string::npos);
  EXPECT_EQ(LeiauteDoDocumento(nota), Leiaute::V400);
  EXPECT_EQ(LeiauteDoDocumento(teste::NotaAssinada()), Leiaute::V310);
}

TEST(MensagemEvento, IdECamposDaChave) {
  std::string m = MensagemEventoCancelamento(Cancelamento());
  EXPECT_EQ(teste::Campos(m, {"cOrgao", "CNPJ", "nSeqEvento", "xJust"}),
            "35|11222333000181|1|Erro de digitacao  no valor");
  EXPECT_NE(m.find("Id=\"ID11011135160111222333000181550010000001231000001233" "01\""), std::string::npos) << m;
}

// The letter as it goes, judged from outside: Debian's xmllint with the
// official schema (the fixed conditions of use, the text's limits) and
// xmlsec1 on the signature; texts at the limits and with what XML escapes.
TEST(MensagemCartaCorrecao, AceitaNoEsquemaENoXmlsec) {
  const std::string chave = "35160111222333000181550010000001231000001233";
  teste::PastaTemporaria pasta;
  const auto arquivo = pasta.Caminho() / "cce.xml";
  struct Caso { const char* nome; std::string sequencia, correcao, id; } casos[] = {
      {"acentos e o que o XML escapa", "1", "Onde se lê <Rua & Cia> \"A\", leia-se 'B'", "ID110110" + chave + "01"},
      {"mil", "20", std::string(1000, 'x'), "ID110110" + chave + "20"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    DadosCartaCorrecao d{"123", "2", chave, c.sequencia, c.correcao, "2016-01-15T12:00:00-03:00"};
    const std::string m = AssinarXml(MensagemCartaCorrecao(d), "infEvento", teste::CertificadoTeste());
    teste::GravarTudo(arquivo, m);
    for (std::string juiz : {"xmllint --noout --schema '" + std::string(VELANT_FONTE) +
                                 "/schemas/evento-cce/envCCe_v1.00.xsd'",
                             "xmlsec1 --verify --id-attr:Id infEvento --enabled-key-data x509 --trusted-pem '" +
                                 (teste::PastaCertificados() / "ac.pem").string() + "'"}) {
      std::string saida;
      EXPECT_EQ(teste::Executa(juiz + " '" + arquivo.string() + "'", &saida), 0) << juiz << "\n" << saida;
    }
    auto doc = DocumentoXml::Ler(m, "envEvento");
    const xmlNode* inf = Procura(doc.Raiz(), "infEvento");
    EXPECT_EQ(Atributo(inf, "Id"), c.id);
    EXPECT_EQ(TextoFilho(Procura(inf, "detEvento"), "xCorrecao"), c.correcao);
  }
}

TEST(MensagemInutilizacao, IdComZerosENumerosSem) {
  std::string m = MensagemInutilizacao(Inutilizacao());
  EXPECT_NE(m.find("Id=\"ID3516112223330001815500100000005000000005" "2\""), std::string::npos) << m;
  EXPECT_EQ(teste::Campos(m, {"serie", "nNFIni", "nNFFin"}), "1|50|52");
}

// --- Envelopes ----------------------------------------------------------------

std::string Resumo(const PedidoSoap& p) {
  return p.raiz + "|" + p.codigoUf + "|" + p.versaoDados + "|" + p.namespaceDados;
}

const std::string kWsdl = "http://www.portalfiscal.inf.br/nfe/wsdl/";
const std::string kSoap = "application/soap+xml; charset=utf-8; action=\"";
const std::string kNs = " xmlns=\"http://www.portalfiscal.inf.br/nfe\"";

TEST(EnvelopeSoap, PedidoERespostaIdaEVolta) {
  const auto& d = Descricao(ServicoNFe::StatusServico);
  PedidoSoap p = LePedido(MontaEnvelopePedido(d, "35", "<?xml version=\"1.0\"?>" + MensagemStatusServico("2", "35")));
  EXPECT_EQ(Resumo(p), "consStatServ|35|3.10|" + kWsdl + "NfeStatusServico2");
  EXPECT_EQ(p.mensagem, MensagemStatusServico("2", "35"));
  EXPECT_EQ(TipoConteudoSoap(d), kSoap + kWsdl + "NfeStatusServico2/nfeStatusServicoNF2\"");
  const std::string msg = "<retConsSitNFe" + kNs + " versao=\"3.10\"><cStat>217</cStat></retConsSitNFe>";
  std::string resposta = MontaEnvelopeResposta(Descricao(ServicoNFe::Consulta), "35", msg);
  EXPECT_THAT(resposta, HasSubstr("<nfeConsultaNF2Result xmlns=\"" + kWsdl + "NfeConsulta2\">"));
  EXPECT_EQ(LeResposta(resposta), msg);
}

// 4.00: no nfeCabecMsg, the 4.00 namespace and action, the answer in nfeResultMsg.
TEST(EnvelopeSoap, Leiaute400SemCabecalho) {
  const auto& d = Descricao(ServicoNFe::Autorizacao, Leiaute::V400);
  std::string envelope = MontaEnvelopePedido(d, "35", MensagemLote("3", {teste::NotaAssinada400()}, Leiaute::V400));
  EXPECT_THAT(envelope, AllOf(Not(HasSubstr("nfeCabecMsg")), Not(HasSubstr("Header"))));
  EXPECT_EQ(Resumo(LePedido(envelope)), "enviNFe|||" + kWsdl + "NFeAutorizacao4");
  EXPECT_EQ(TipoConteudoSoap(d), kSoap + kWsdl + "NFeAutorizacao4/nfeAutorizacaoLote\"");
  const std::string msg = "<retEnviNFe" + kNs + "/>";
  std::string resposta = MontaEnvelopeResposta(d, "35", msg);
  EXPECT_THAT(resposta, AllOf(HasSubstr("<nfeResultMsg xmlns=\"" + kWsdl + "NFeAutorizacao4\">"),
                              Not(HasSubstr("nfeCabecMsg"))));
  EXPECT_EQ(LeResposta(resposta), msg);
}

TEST(EnvelopeSoap, AssinaturaSobreviveAoEnvelope) {
  // The envelope's own namespaces must not reach the signed element.
  std::string lote = teste::Lote("7", {teste::NotaAssinada()});
  PedidoSoap p = LePedido(MontaEnvelopePedido(Descricao(ServicoNFe::Autorizacao), "35", lote));
  auto doc = DocumentoXml::Ler(p.mensagem, "lote");
  std::string nfe = SerializaElemento(Filho(doc.Raiz(), "NFe"));
  std::string erro;
  EXPECT_TRUE(VerificarAssinatura(nfe, &erro)) << erro;
  EXPECT_EQ(nfe.find("soap12"), std::string::npos);
}

TEST(EnvelopeSoap, MensagemHerdaONamespace) {
  // A message whose namespace is declared on the wrapper keeps it when taken out.
  std::string envelope =
      "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body><r xmlns=\"urn:w\">"
      "<n:retConsStatServ xmlns:n=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><n:cStat>107</n:cStat>"
      "</n:retConsStatServ></r></s:Body></s:Envelope>";
  std::string m = LeResposta(envelope);
  EXPECT_EQ(teste::Campo(m, "cStat"), "107");
  auto doc = DocumentoXml::Ler(m, "m");
  ASSERT_NE(doc.Raiz()->ns, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(doc.Raiz()->ns->href), "http://www.portalfiscal.inf.br/nfe");
}

}  // namespace
}  // namespace velant::autoridade
