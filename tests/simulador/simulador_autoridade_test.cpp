// The authority simulator's answers, asked in-process: the codes and texts
// of the homologation rules, protocol numbers and the control file, every
// answer valid against its schema. (The round trips through the client are
// the component's and the end-to-end cases'.)
#include "simulador/simulador_autoridade.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "base/erro.h"

#include "component/autoridade_apoio.h"
#include "simulador/simulador_apoio.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/servicos_autorizacao.h"

namespace velant::autoridade {
namespace {

using teste::Campo;
using ::testing::AllOf;
using ::testing::HasSubstr;
using teste::TrocaPrimeiro;
using teste::NotaAssinada;

// cStat, xMotivo and nProt of an inner answer (protNFe/infProt, retEvento/infEvento).
struct Resposta { std::string cStat, xMotivo, nProt; };
Resposta Interna(const std::string& xml, const char* elemento, const char* info) {
  auto doc = DocumentoXml::Ler(xml, "resposta");
  xmlNode* inf = Filho(Filho(doc.Raiz(), elemento), info);
  return {TextoFilho(inf, "cStat"), TextoFilho(inf, "xMotivo"), TextoFilho(inf, "nProt")};
}

std::string Inutilizacao(const std::string& inicio, const std::string& fim, const std::string& cnpj = "11222333000181") {
  DadosInutilizacao d{"2", "35", "16", cnpj, "1", inicio, fim, "Numeracao pulada por falha do sistema"};
  return AssinarXml(MensagemInutilizacao(d), "infInut", teste::CertificadoTeste());
}

class Simulador : public teste::SimuladorDoTeste {
 protected:
  Simulador() { Cria(); }
  void Cria(FalhasSimulador falhas = {}) { SimuladorDoTeste::Cria(true, 1, falhas); }
  std::string EnviaLote(const std::string& nota) { return Pede(ServicoNFe::Autorizacao, teste::Lote("1", {nota})); }
  std::string ConsultaRecibo(const std::string& recibo) {
    return Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", recibo));
  }
  // The invoice's infProt once its batch is processed (after one "in processing").
  Resposta Processa(const std::string& nota) {
    std::string recibo = Campo(EnviaLote(nota), "nRec");
    EXPECT_EQ(Campo(ConsultaRecibo(recibo), "cStat"), "105");
    std::string r = ConsultaRecibo(recibo);
    EXPECT_EQ(Campo(r, "cStat"), "104");
    return Interna(r, "protNFe", "infProt");
  }
  std::string Cancela(const std::string& chave, const std::string& protocolo) {
    DadosCancelamento d{"1", "2", chave, "1", protocolo, "Cancelamento por erro de digitacao", "2016-01-15T12:00:00-03:00"};
    return Pede(ServicoNFe::RecepcaoEvento, AssinarXml(MensagemEventoCancelamento(d), "infEvento", teste::CertificadoTeste()));
  }
  std::string Inutiliza(const std::string& inicio, const std::string& fim) {
    return Campo(Pede(ServicoNFe::Inutilizacao, Inutilizacao(inicio, fim)), "cStat");
  }
};

// Answers of one request: status, and rules checked before any processing.
TEST_F(Simulador, RespostaDireta) {
  const std::string status = MensagemStatusServico("2", "35");
  const struct {
    const char* controle;
    ServicoNFe servico;
    std::string mensagem;
    const char* trecho;              // in the answer
    const char* ausente = nullptr;   // not in the answer
  } casos[] = {
      {"", ServicoNFe::StatusServico, status, "<cStat>107</cStat><xMotivo>Serviço em Operação</xMotivo><cUF>35</cUF>"},
      {"paralisado=109\n", ServicoNFe::StatusServico, status, "<cStat>109</cStat><xMotivo>Serviço Paralisado sem Previsão</xMotivo>"},
      {"", ServicoNFe::StatusServico, MensagemStatusServico("1", "35"), "<cStat>252</cStat>"},
      {"", ServicoNFe::StatusServico,   // no xServ
       "<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb><cUF>35</cUF></consStatServ>",
       "<cStat>215</cStat>"},
      {"", ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", "351000000999999"), "<cStat>106</cStat>"},
      {"", ServicoNFe::Autorizacao, teste::Lote("1", {"<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"/>"}),
       "<cStat>225</cStat>", "<nRec>"},
      {"", ServicoNFe::Inutilizacao, Inutilizacao("70", "70", "99888777000166"), "<cStat>213</cStat>"}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.trecho);
    Controle(c.controle);
    std::string r = Pede(c.servico, c.mensagem);
    EXPECT_NE(r.find(c.trecho), std::string::npos) << r;
    EXPECT_EQ(c.ausente ? r.find(c.ausente) : std::string::npos, std::string::npos) << r;
  }
}

TEST_F(Simulador, ParalisadoNenhumServicoProcessa) {
  Controle("paralisado=109\nrejeitar=297\n");
  std::string chave;
  std::string nota = NotaAssinada({}, &chave);
  EXPECT_EQ(teste::Campos(EnviaLote(nota), {"cStat", "nRec"}), "109|");
  EXPECT_EQ(Campo(Pede(ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave)), "cStat"), "109");
  EXPECT_EQ(Campo(ConsultaRecibo("351000000000001"), "cStat"), "109");
  EXPECT_EQ(Inutiliza("80", "80"), "109");
  EXPECT_EQ(Campo(Cancela(chave, "135160000000001"), "cStat"), "109");
  // Nothing was kept, and the chosen rejection waits for the next document.
  Controle("rejeitar=297\n");
  EXPECT_EQ(Inutiliza("80", "80"), "297");
  EXPECT_EQ(Inutiliza("80", "80"), "102");
  EXPECT_EQ(Processa(nota).cStat, "100");
}

TEST_F(Simulador, FalhasRecebemFalhaSoap) {
  const auto& statusD = Descricao(ServicoNFe::StatusServico);
  RespostaSimulador r = sim_->Atende(teste::PedidoHttpDe(statusD, "isto não é XML"));
  EXPECT_EQ(r.status, 500);
  EXPECT_THROW(LeResposta(r.corpo), ErroExecucao);
  // A message posted to another service's path is not served either.
  EXPECT_EQ(sim_->Atende(teste::PedidoServico(statusD, MensagemConsultaSituacao("2", std::string(44, '1')))).status, 500);
  PedidoHttp status = teste::PedidoServico(statusD, MensagemStatusServico("2", "35"));
  // A control file it cannot read, and its own failure, are the receiver's faults.
  Controle("paralisado=107\n");
  r = sim_->Atende(status);
  EXPECT_EQ(r.status, 500);
  EXPECT_NE(r.corpo.find("paralisado=107"), std::string::npos);
  Controle("");
  teste::VariavelAmbiente esquemas("VELANT_ESQUEMAS", (pasta_.Caminho() / "sem-esquemas").string());
  r = sim_->Atende(status);
  EXPECT_EQ(r.status, 500);
  EXPECT_THAT(r.corpo, AllOf(HasSubstr("soap12:Receiver"), HasSubstr("consStatServ_v3.10.xsd")));
}

// 1, the state, the year of receipt, a 10-digit sequence; the state survives a restart.
TEST_F(Simulador, ProtocolosEmSequenciaEDuplicidades) {
  std::string chave;
  std::string nota = NotaAssinada({.codigoNumerico = 10}, &chave);
  Resposta r = Processa(nota);
  EXPECT_EQ(r.cStat, "100");
  std::string ano = DataHoraComFuso(std::chrono::system_clock::now(), -3).substr(2, 2);
  EXPECT_EQ(r.nProt, "135" + ano + "0000000001");
  std::string situacao = Pede(ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave));
  EXPECT_EQ(teste::Campos(situacao, {"xMotivo", "nProt", "digVal"}),
            "Autorizado o uso da NF-e|" + r.nProt + "|" + Campo(nota, "DigestValue"));
  EXPECT_EQ(Processa(NotaAssinada({.numero = 2})).nProt, "135" + ano + "0000000002");

  Cria();
  Resposta duplicada = Processa(nota);
  EXPECT_EQ(duplicada.cStat, "204");
  EXPECT_TRUE(std::regex_match(duplicada.xMotivo, std::regex("Rejeição: Duplicidade de NF-e \\[nRec:351[0-9]{12}\\]")))
      << duplicada.xMotivo;
  Resposta outraChave = Processa(NotaAssinada({.codigoNumerico = 11}));
  EXPECT_EQ(outraChave.cStat, "539");
  EXPECT_NE(outraChave.xMotivo.find("[chNFe:" + chave + "]"), std::string::npos) << outraChave.xMotivo;
}

// One rule of homologation broken per case (the business rules are regras_autoridade_test's).
TEST_F(Simulador, RejeicaoDeNota) {
  const std::string dsig = "<(/?)(Signature|SignedInfo|CanonicalizationMethod|SignatureMethod|Reference|Transforms|"
                           "Transform|DigestMethod|DigestValue|SignatureValue|KeyInfo|X509Data|X509Certificate)([ >/])";
  const std::pair<std::string, const char*> casos[] = {
      {TrocaPrimeiro(NotaAssinada(), "PRODUTO DE TESTE", "PRODUTO ALTERADO"), "297"},
      {TrocaPrimeiro(std::regex_replace(NotaAssinada(), std::regex(dsig), "<$1ds:$2$3"),
               "xmlns=\"http://www.w3.org/2000/09/xmldsig#\"", "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\""),
       "298"},
      {NotaAssinada({.cnpj = "99888777000166"}), "213"},
      {NotaAssinada({.ambiente = "1"}), "252"}};
  for (const auto& [nota, cStat] : casos) {
    Resposta r = Processa(nota);
    EXPECT_EQ(r.cStat, cStat);
    EXPECT_EQ(r.xMotivo, SimuladorAutoridade::TextoStatus(cStat));
    EXPECT_EQ(r.nProt, "");
  }
}

// Chosen on the command line: for the next document only (the control
// file's choice: ParalisadoNenhumServicoProcessa).
TEST_F(Simulador, RejeicaoDaLinhaDeComandoValeUmaVezSo) {
  FalhasSimulador f;
  f.rejeitarProxima = "213";
  Cria(f);
  EXPECT_EQ(Processa(NotaAssinada({.numero = 6})).cStat, "213");
  EXPECT_EQ(Processa(NotaAssinada({.numero = 6})).cStat, "100");
}

TEST_F(Simulador, InutilizacaoDeNumerosLivres) {
  EXPECT_EQ(Inutiliza("50", "50"), "102");
  EXPECT_EQ(Inutiliza("49", "51"), "256");
  // A voided number cannot be authorised afterwards, nor a number already used voided.
  EXPECT_EQ(Processa(NotaAssinada({.numero = 50})).cStat, "206");
  ASSERT_EQ(Processa(NotaAssinada({.numero = 60})).cStat, "100");
  EXPECT_EQ(Inutiliza("55", "65"), "241");
}

// A state file that is no database stops the simulator before it serves anything.
TEST(EstadoSimulador, ArquivoQueNaoEBancoEErro) {
  teste::PastaTemporaria pasta;
  ConfiguracaoSimulador c;
  c.banco = pasta.Caminho() / "autoridade.sqlite";
  teste::GravarTudo(c.banco, std::string(4096, 'x'));
  EXPECT_THROW(SimuladorAutoridade{c}, std::runtime_error);
}

// --- The control file ---------------------------------------------------

TEST(ControleSimulador, LeCadaChave) {
  const std::pair<const char*, std::function<bool(const FalhasSimulador&)>> casos[] = {
      {"recusar=1", [](const FalhasSimulador& f) { return f.recusarConexoes; }},
      {"# comentário\n\natraso = 2.5\r\n", [](const FalhasSimulador& f) { return f.atrasoSegundos == 2.5; }},
      {"descartar=sim", [](const FalhasSimulador& f) { return f.descartarResposta; }},
      {"rejeitar=539", [](const FalhasSimulador& f) { return f.rejeitarProxima == "539"; }},
      {"processando=sempre", [](const FalhasSimulador& f) { return f.sempreEmProcessamento; }},
      {"consultas_processamento=3", [](const FalhasSimulador& f) { return f.consultasEmProcessamento == 3; }},
      {"paralisado=109", [](const FalhasSimulador& f) { return f.paralisado == "109"; }},
      {"adulterar=protocolo", [](const FalhasSimulador& f) { return f.adulterar == "protocolo"; }}};
  for (const auto& [texto, confere] : casos) EXPECT_TRUE(confere(AplicaControle({}, texto))) << texto;
  for (const char* t : {"atrasar=1", "atraso=-1", "atraso=x", "rejeitar=20", "paralisado=107", "recusar=talvez",
                        "consultas_processamento=1x", "processando=às vezes", "sem igual", "adulterar=tudo"})
    EXPECT_THROW(AplicaControle({}, t), std::invalid_argument) << t;
}

TEST(ControleSimulador, ArquivoSobrepoeSoOQueNomeiaERejeicaoConsumidaSai) {
  FalhasSimulador base;
  base.descartarResposta = true;
  base.paralisado = "108";
  FalhasSimulador f = AplicaControle(base, "paralisado=\n");
  EXPECT_TRUE(f.descartarResposta && f.paralisado.empty());
  teste::PastaTemporaria pasta;
  auto arquivo = pasta.Caminho() / "controle.txt";
  teste::GravarTudo(arquivo, "atraso=1\nrejeitar=204\nparalisado=108\n");
  ConsomeRejeicao(arquivo);
  EXPECT_EQ(teste::LerTudo(arquivo), "atraso=1\nparalisado=108\n");
}

}  // namespace
}  // namespace velant::autoridade
