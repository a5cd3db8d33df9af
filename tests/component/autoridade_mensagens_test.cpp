// Endpoints, request messages and SOAP envelopes of the authority client.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <regex>

#include "autoridade_apoio.h"
#include "base/erro.h"
#include "component/autoridade_mensagens.h"
#include "component/autoridade_xml.h"
#include "component/envelope_soap.h"
#include "component/servicos_autorizacao.h"

namespace velant::autoridade {
namespace {

// --- Endpoint file ------------------------------------------------------------

TabelaServicos Enviada() {
  return TabelaServicos::Carregar(std::filesystem::path(VELANT_FONTE) / "dados" / "servicos-nfe.ini");
}

struct CasoEndereco {
  const char* uf;
  ServicoNFe servico;
  const char* url;
};
void PrintTo(const CasoEndereco& c, std::ostream* os) { *os << c.uf << " " << c.url; }

class EnderecoHomologacao : public ::testing::TestWithParam<CasoEndereco> {};

TEST_P(EnderecoHomologacao, DoArquivoEnviado) {
  EXPECT_EQ(Enviada().Url(GetParam().uf, "2", GetParam().servico), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(
    Historicos, EnderecoHomologacao,
    ::testing::Values(
        CasoEndereco{"SP", ServicoNFe::Autorizacao, "https://homologacao.nfe.fazenda.sp.gov.br/ws/nfeautorizacao.asmx"},
        CasoEndereco{"sp", ServicoNFe::StatusServico,
                     "https://homologacao.nfe.fazenda.sp.gov.br/ws/nfestatusservico2.asmx"},
        CasoEndereco{"SP", ServicoNFe::RecepcaoEvento, "https://homologacao.nfe.fazenda.sp.gov.br/ws/recepcaoevento.asmx"},
        CasoEndereco{"RS", ServicoNFe::Autorizacao,
                     "https://nfe-homologacao.sefazrs.rs.gov.br/ws/NfeAutorizacao/NFeAutorizacao.asmx"},
        CasoEndereco{"SC", ServicoNFe::Autorizacao,
                     "https://nfe-homologacao.svrs.rs.gov.br/ws/NfeAutorizacao/NFeAutorizacao.asmx"},
        CasoEndereco{"RJ", ServicoNFe::Inutilizacao,
                     "https://nfe-homologacao.svrs.rs.gov.br/ws/nfeinutilizacao/nfeinutilizacao2.asmx"}));

TEST(TabelaServicos, TodoServicoDeSPRSESVRSEmHomologacao) {
  auto t = Enviada();
  for (const char* uf : {"SP", "RS", "SVRS", "AC", "DF", "TO"})
    for (auto s : {ServicoNFe::StatusServico, ServicoNFe::Autorizacao, ServicoNFe::RetAutorizacao, ServicoNFe::Consulta,
                   ServicoNFe::RecepcaoEvento, ServicoNFe::Inutilizacao})
      EXPECT_EQ(t.Url(uf, "2", s).rfind("https://", 0), 0u) << uf;
}

TEST(TabelaServicos, ProducaoSemEnderecoDizOQueFalta) {
  try {
    Enviada().Url("SP", "1", ServicoNFe::Autorizacao);
    FAIL() << "deveria faltar";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
    EXPECT_NE(e.Descricao().find("NfeAutorizacao"), std::string::npos) << e.Descricao();
    EXPECT_NE(e.Descricao().find("[SP-1]"), std::string::npos) << e.Descricao();
  }
  EXPECT_THROW(Enviada().Url("XX", "2", ServicoNFe::Autorizacao), ErroExecucao);
  EXPECT_THROW(Enviada().Url("SP", "3", ServicoNFe::Autorizacao), ErroExecucao);
  EXPECT_THROW(TabelaServicos::Carregar("/nao/existe.ini"), ErroExecucao);
}

TEST(TabelaServicos, TextoComComentariosEBrancos) {
  auto t = TabelaServicos::DeTexto("; c\r\n [ mg-2 ] \r\n nfestatusservico2 = https://x/y \r\n# fim\n", "t");
  EXPECT_EQ(t.Url("MG", "2", ServicoNFe::StatusServico), "https://x/y");
}

TEST(TabelaServicos, UnicaLevaTodasAsUFsAoMesmoServidor) {
  auto t = TabelaServicos::DeTexto(TabelaServicosUnica("https://127.0.0.1:9"), "t");
  EXPECT_EQ(t.Url("GO", "1", ServicoNFe::Consulta), "https://127.0.0.1:9/ws/NfeConsulta2.asmx");
  EXPECT_EQ(t.Url("SP", "2", ServicoNFe::RecepcaoEvento), "https://127.0.0.1:9/ws/RecepcaoEvento.asmx");
}

TEST(TabelaServicos, VariavelDeAmbienteVenceORegistro) {
  unsetenv("VELANT_SERVICOS");
  EXPECT_EQ(ArquivoServicos("/etc/servicos.ini"), "/etc/servicos.ini");
  EXPECT_TRUE(std::filesystem::exists(ArquivoServicos("")));
  setenv("VELANT_SERVICOS", "/tmp/outro.ini", 1);
  EXPECT_EQ(ArquivoServicos("/etc/servicos.ini"), "/tmp/outro.ini");
  unsetenv("VELANT_SERVICOS");
}

TEST(CodigoUf, IBGE) {
  EXPECT_EQ(CodigoUf("SP"), "35");
  EXPECT_EQ(CodigoUf(" rs "), "43");
  EXPECT_EQ(CodigoUf("DF"), "53");
  EXPECT_EQ(CodigoUf("XX"), "");
}

// --- Messages -----------------------------------------------------------------

struct CasoMensagem {
  const char* nome;
  std::function<std::string()> mensagem;
  const char* esquema;
};
void PrintTo(const CasoMensagem& c, std::ostream* os) { *os << c.nome; }

class MensagemValida : public ::testing::TestWithParam<CasoMensagem> {};

TEST_P(MensagemValida, NoEsquema) {
  std::string m = GetParam().mensagem();
  auto erro = ValidarXml(m, GetParam().esquema);
  EXPECT_FALSE(erro.has_value()) << *erro << "\n" << m;
}

DadosCancelamento Cancelamento() {
  return {"0000123", "2", "35160111222333000181550010000001231000001233", "1", "135160000000001",
          "  Erro de digitacao\r\nno valor  ", "2016-01-15T12:00:00-03:00"};
}

DadosInutilizacao Inutilizacao() {
  return {"2", "35", "16", "11222333000181", "001", "000000050", "0000000052", "Numeracao pulada por falha\tdo sistema"};
}

INSTANTIATE_TEST_SUITE_P(
    Pedidos, MensagemValida,
    ::testing::Values(
        CasoMensagem{"Status", [] { return MensagemStatusServico("2", "35"); }, "consStatServ_v3.10.xsd"},
        CasoMensagem{"Recibo", [] { return MensagemConsultaRecibo("2", "351000000000042"); }, "consReciNFe_v3.10.xsd"},
        CasoMensagem{"Situacao",
                     [] { return MensagemConsultaSituacao("2", "35160111222333000181550010000001231000001233"); },
                     "consSitNFe_v3.10.xsd"},
        CasoMensagem{"Cancelamento",
                     [] {
                       return AssinarXml(MensagemEventoCancelamento(Cancelamento()), "infEvento",
                                         teste::CertificadoTeste());
                     },
                     "envEventoCancNFe_v1.00.xsd"},
        CasoMensagem{"Inutilizacao",
                     [] { return AssinarXml(MensagemInutilizacao(Inutilizacao()), "infInut", teste::CertificadoTeste()); },
                     "inutNFe_v3.10.xsd"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(MensagemEvento, IdECamposDaChave) {
  std::string m = MensagemEventoCancelamento(Cancelamento());
  EXPECT_EQ(teste::Campo(m, "cOrgao"), "35");
  EXPECT_EQ(teste::Campo(m, "CNPJ"), "11222333000181");
  EXPECT_EQ(teste::Campo(m, "nSeqEvento"), "1");
  EXPECT_EQ(teste::Campo(m, "xJust"), "Erro de digitacao  no valor");
  EXPECT_NE(m.find("Id=\"ID11011135160111222333000181550010000001231000001233" "01\""), std::string::npos) << m;
}

TEST(MensagemInutilizacao, IdComZerosENumerosSem) {
  std::string m = MensagemInutilizacao(Inutilizacao());
  EXPECT_NE(m.find("Id=\"ID3516112223330001815500100000005000000005" "2\""), std::string::npos) << m;
  EXPECT_EQ(teste::Campo(m, "serie"), "1");
  EXPECT_EQ(teste::Campo(m, "nNFIni"), "50");
  EXPECT_EQ(teste::Campo(m, "nNFFin"), "52");
}

TEST(DataHoraComFuso, FormatoDoEsquema) {
  auto instante = std::chrono::system_clock::from_time_t(1452859200);   // 2016-01-15 12:00:00 UTC
  EXPECT_EQ(DataHoraComFuso(instante, -3), "2016-01-15T09:00:00-03:00");
  EXPECT_EQ(DataHoraComFuso(instante, 0), "2016-01-15T12:00:00+00:00");
  EXPECT_EQ(DataHoraComFuso(instante, -13 + 12), "2016-01-15T11:00:00-01:00");
  int fuso = FusoLocalHoras();
  EXPECT_TRUE(fuso >= -11 && fuso <= 12);
}

TEST(SemZerosAEsquerda, Numeros) {
  EXPECT_EQ(SemZerosAEsquerda("000123"), "123");
  EXPECT_EQ(SemZerosAEsquerda(" 000 "), "0");
  EXPECT_EQ(SemZerosAEsquerda("12a"), "12a");
}

// --- Envelopes ----------------------------------------------------------------

TEST(EnvelopeSoap, PedidoIdaEVolta) {
  const auto& d = Descricao(ServicoNFe::StatusServico);
  std::string envelope = MontaEnvelopePedido(d, "35", "<?xml version=\"1.0\"?>" + MensagemStatusServico("2", "35"));
  PedidoSoap p = LePedido(envelope);
  EXPECT_EQ(p.raiz, "consStatServ");
  EXPECT_EQ(p.codigoUf, "35");
  EXPECT_EQ(p.versaoDados, "3.10");
  EXPECT_EQ(p.namespaceDados, "http://www.portalfiscal.inf.br/nfe/wsdl/NfeStatusServico2");
  EXPECT_EQ(p.mensagem, MensagemStatusServico("2", "35"));
  EXPECT_EQ(TipoConteudoSoap(d),
            "application/soap+xml; charset=utf-8; action=\"http://www.portalfiscal.inf.br/nfe/wsdl/NfeStatusServico2/"
            "nfeStatusServicoNF2\"");
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

TEST(EnvelopeSoap, RespostaEFalha) {
  const auto& d = Descricao(ServicoNFe::Consulta);
  std::string msg = "<retConsSitNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><cStat>217</cStat>"
                    "</retConsSitNFe>";
  std::string envelope = MontaEnvelopeResposta(d, "35", msg);
  EXPECT_NE(envelope.find("<nfeConsultaNF2Result xmlns=\"http://www.portalfiscal.inf.br/nfe/wsdl/NfeConsulta2\">"),
            std::string::npos);
  EXPECT_EQ(LeResposta(envelope), msg);
  try {
    LeResposta(MontaFalhaSoap("Receiver", "Servidor em manutenção"));
    FAIL();
  } catch (const ErroExecucao& e) {
    EXPECT_NE(e.Descricao().find("Servidor em manutenção"), std::string::npos) << e.Descricao();
  }
  EXPECT_THROW(LeResposta("<html>erro</html>"), ErroExecucao);
  EXPECT_THROW(LeResposta("não é xml"), ErroExecucao);
  EXPECT_THROW(LePedido("<Envelope/>"), ErroExecucao);
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
