// The authority simulator's answers, asked in-process: the codes and texts
// of the homologation rules, protocol numbers, batches in processing, and
// every answer valid against its schema.
#include "simulador/simulador_autoridade.h"

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
using teste::NotaAssinada;
using teste::OpcoesNota;

// cStat, xMotivo and nProt of an inner answer (protNFe/infProt, retEvento/infEvento).
struct Resposta {
  std::string cStat, xMotivo, nProt;
};
Resposta Interna(const std::string& xml, const char* elemento, const char* info) {
  auto doc = DocumentoXml::Ler(xml, "resposta");
  xmlNode* inf = Filho(Filho(doc.Raiz(), elemento), info);
  return {TextoFilho(inf, "cStat"), TextoFilho(inf, "xMotivo"), TextoFilho(inf, "nProt")};
}

std::string Inutilizacao(const std::string& inicio, const std::string& fim, const std::string& cnpj = "11222333000181") {
  DadosInutilizacao d{"2", "35", "16", cnpj, "1", inicio, fim, "Numeracao pulada por falha do sistema"};
  return AssinarXml(MensagemInutilizacao(d), "infInut", teste::CertificadoTeste());
}

class Simulador : public ::testing::Test {
 protected:
  Simulador() { Cria(); }

  void Cria(FalhasSimulador falhas = {}) {
    ConfiguracaoSimulador c;
    c.leiaute310 = true;
    c.banco = pasta_.Caminho() / "autoridade.sqlite";
    c.arquivoControle = pasta_.Caminho() / "controle.txt";
    c.falhas = falhas;
    c.consultasEmProcessamento = 1;
    sim_ = std::make_unique<SimuladorAutoridade>(c);
  }

  // Sends a message and returns the answer message, checked against its schema.
  std::string Pede(ServicoNFe servico, const std::string& mensagem) {
    return teste::PedeAoSimulador(*sim_, Descricao(servico), mensagem);
  }

  std::string EnviaLote(const std::vector<std::string>& notas) {
    return Pede(ServicoNFe::Autorizacao, teste::Lote("1", notas));
  }

  // The invoice's infProt once its batch is processed (after one "in processing").
  Resposta Processa(const std::string& nota) {
    std::string recibo = Campo(EnviaLote({nota}), "nRec");
    EXPECT_EQ(Campo(Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", recibo)), "cStat"), "105");
    std::string r = Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", recibo));
    EXPECT_EQ(Campo(r, "cStat"), "104");
    return Interna(r, "protNFe", "infProt");
  }
  std::string Resultado(const std::string& nota, std::string* protocolo = nullptr) {
    Resposta r = Processa(nota);
    if (protocolo) *protocolo = r.nProt;
    return r.cStat;
  }

  std::string Cancela(const std::string& chave, const std::string& protocolo) {
    DadosCancelamento d{"1", "2", chave, "1", protocolo, "Cancelamento por erro de digitacao",
                        "2016-01-15T12:00:00-03:00"};
    return Pede(ServicoNFe::RecepcaoEvento,
                AssinarXml(MensagemEventoCancelamento(d), "infEvento", teste::CertificadoTeste()));
  }

  std::string Inutiliza(const std::string& inicio, const std::string& fim) {
    return Pede(ServicoNFe::Inutilizacao, Inutilizacao(inicio, fim));
  }

  void Controle(const std::string& texto) { teste::GravarTudo(pasta_.Caminho() / "controle.txt", texto); }

  teste::PastaTemporaria pasta_;
  std::unique_ptr<SimuladorAutoridade> sim_;
};

// Answers of one request: status, rules checked before any processing.
struct CasoResposta {
  const char* nome;
  const char* controle;
  ServicoNFe servico;
  std::function<std::string()> mensagem;
  std::string trecho;              // in the answer
  const char* ausente = nullptr;   // not in the answer
};
void PrintTo(const CasoResposta& c, std::ostream* os) { *os << c.nome; }

class RespostaDireta : public Simulador, public ::testing::WithParamInterface<CasoResposta> {};

TEST_P(RespostaDireta, CodigoETexto) {
  const auto& c = GetParam();
  Controle(c.controle);
  std::string r = Pede(c.servico, c.mensagem());
  EXPECT_NE(r.find(c.trecho), std::string::npos) << r;
  EXPECT_EQ(c.ausente ? r.find(c.ausente) : std::string::npos, std::string::npos) << r;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RespostaDireta,
    ::testing::Values(
        CasoResposta{"StatusEmOperacao", "", ServicoNFe::StatusServico, [] { return MensagemStatusServico("2", "35"); },
                     "<cStat>107</cStat><xMotivo>Serviço em Operação</xMotivo><cUF>35</cUF>"},
        CasoResposta{"Paralisado108", "paralisado=108\n", ServicoNFe::StatusServico,
                     [] { return MensagemStatusServico("2", "35"); },
                     "<cStat>108</cStat><xMotivo>Serviço Paralisado Momentaneamente (curto prazo)</xMotivo>"},
        CasoResposta{"Paralisado109", "paralisado=109\n", ServicoNFe::StatusServico,
                     [] { return MensagemStatusServico("2", "35"); },
                     "<cStat>109</cStat><xMotivo>Serviço Paralisado sem Previsão</xMotivo>"},
        CasoResposta{"AmbienteDeProducao", "", ServicoNFe::StatusServico,
                     [] { return MensagemStatusServico("1", "35"); }, "<cStat>252</cStat>"},
        CasoResposta{"MensagemForaDoEsquema", "", ServicoNFe::StatusServico,
                     [] {
                       return std::string("<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">"
                                          "<tpAmb>2</tpAmb><cUF>35</cUF></consStatServ>");   // no xServ
                     },
                     "<cStat>215</cStat>"},
        CasoResposta{"LoteDesconhecido", "", ServicoNFe::RetAutorizacao,
                     [] { return MensagemConsultaRecibo("2", "351000000999999"); }, "<cStat>106</cStat>"},
        CasoResposta{"LoteForaDoEsquemaSemRecibo", "", ServicoNFe::Autorizacao,
                     [] { return teste::Lote("1", {"<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"/>"}); },
                     "<cStat>225</cStat>", "<nRec>"},
        CasoResposta{"InutilizacaoDeOutroCnpj", "", ServicoNFe::Inutilizacao,
                     [] { return Inutilizacao("70", "70", "99888777000166"); }, "<cStat>213</cStat>"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Simulador, ParalisadoNenhumServicoProcessa) {
  Controle("paralisado=109\nrejeitar=297\n");
  std::string chave;
  std::string nota = NotaAssinada({}, &chave);
  std::string envio = EnviaLote({nota});
  EXPECT_EQ(Campo(envio, "cStat"), "109");
  EXPECT_EQ(Campo(envio, "nRec"), "");
  EXPECT_EQ(Campo(Pede(ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave)), "cStat"), "109");
  EXPECT_EQ(Campo(Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", "351000000000001")), "cStat"), "109");
  EXPECT_EQ(Campo(Inutiliza("80", "80"), "cStat"), "109");
  EXPECT_EQ(Campo(Cancela(chave, "135160000000001"), "cStat"), "109");
  // Nothing was kept, and the chosen rejection waits for the next document.
  Controle("rejeitar=297\n");
  EXPECT_EQ(Campo(Inutiliza("80", "80"), "cStat"), "297");
  EXPECT_EQ(Campo(Inutiliza("80", "80"), "cStat"), "102");
  EXPECT_EQ(Resultado(nota), "100");
}

TEST_F(Simulador, FalhasRecebemFalhaSoap) {
  const auto& statusD = Descricao(ServicoNFe::StatusServico);
  RespostaSimulador r = sim_->Atende(teste::PedidoHttpDe(statusD, "isto não é XML"));
  EXPECT_EQ(r.status, 500);
  EXPECT_THROW(LeResposta(r.corpo), ErroExecucao);
  // A message posted to another service's path is not served either.
  EXPECT_EQ(sim_->Atende(teste::PedidoServico(statusD, MensagemConsultaSituacao("2", std::string(44, '1')))).status, 500);
  autoridade::PedidoHttp status = teste::PedidoServico(statusD, MensagemStatusServico("2", "35"));
  // A control file it cannot read, and its own failure, are the receiver's faults.
  Controle("paralisado=107\n");
  r = sim_->Atende(status);
  EXPECT_EQ(r.status, 500);
  EXPECT_NE(r.corpo.find("paralisado=107"), std::string::npos);
  Controle("");
  teste::VariavelAmbiente esquemas("VELANT_ESQUEMAS", (pasta_.Caminho() / "sem-esquemas").string());
  r = sim_->Atende(status);
  EXPECT_EQ(r.status, 500);
  EXPECT_NE(r.corpo.find("soap12:Receiver"), std::string::npos) << r.corpo;
  EXPECT_NE(r.corpo.find("consStatServ_v3.10.xsd"), std::string::npos) << r.corpo;
}

TEST_F(Simulador, AutorizaComProtocoloDe15DigitosDepoisDeUmaConsultaEmProcessamento) {
  std::string chave;
  std::string nota = NotaAssinada({}, &chave);
  std::string retorno = EnviaLote({nota});
  EXPECT_EQ(Campo(retorno, "cStat"), "103");
  EXPECT_EQ(Campo(retorno, "xMotivo"), "Lote recebido com sucesso");
  std::string recibo = Campo(retorno, "nRec");
  EXPECT_TRUE(std::regex_match(recibo, std::regex("351[0-9]{12}"))) << recibo;

  std::string r1 = Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", recibo));
  EXPECT_EQ(Campo(r1, "cStat"), "105");
  EXPECT_EQ(Campo(r1, "xMotivo"), "Lote em processamento");
  std::string r2 = Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", recibo));
  EXPECT_EQ(Campo(r2, "cStat"), "104");
  EXPECT_EQ(Campo(r2, "chNFe"), chave);
  EXPECT_EQ(Campo(r2, "xMotivo"), "Lote processado");
  std::string protocolo = Campo(r2, "nProt");
  // 1, the state, the year of receipt, a 10-digit sequence.
  std::string ano = DataHoraComFuso(std::chrono::system_clock::now(), -3).substr(2, 2);
  EXPECT_EQ(protocolo, "135" + ano + "0000000001");
  EXPECT_EQ(Campo(r2, "digVal"), Campo(nota, "DigestValue"));

  std::string situacao = Pede(ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave));
  EXPECT_EQ(Campo(situacao, "cStat"), "100");
  EXPECT_EQ(Campo(situacao, "xMotivo"), "Autorizado o uso da NF-e");
  EXPECT_EQ(Campo(situacao, "nProt"), protocolo);
}

TEST_F(Simulador, ProtocolosSeguemASequencia) {
  std::string p1, p2;
  ASSERT_EQ(Resultado(NotaAssinada({.numero = 1}), &p1), "100");
  ASSERT_EQ(Resultado(NotaAssinada({.numero = 2}), &p2), "100");
  EXPECT_EQ(std::stoll(p2), std::stoll(p1) + 1);
}

TEST_F(Simulador, EmProcessamentoParaSempreQuandoPedido) {
  Controle("processando=sempre\n");
  std::string recibo = Campo(EnviaLote({NotaAssinada()}), "nRec");
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Campo(Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", recibo)), "cStat"), "105");
  Controle("");
  EXPECT_EQ(Campo(Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", recibo)), "cStat"), "104");
}

// One rule of homologation broken per case.
struct CasoRejeicao {
  const char* nome;
  std::function<std::string()> nota;
  const char* cStat;
};
void PrintTo(const CasoRejeicao& c, std::ostream* os) { *os << c.nome << " " << c.cStat; }

class RejeicaoDeNota : public Simulador, public ::testing::WithParamInterface<CasoRejeicao> {};

TEST_P(RejeicaoDeNota, CodigoETextoOficiais) {
  const CasoRejeicao& c = GetParam();
  Resposta r = Processa(c.nota());
  EXPECT_EQ(r.cStat, c.cStat);
  EXPECT_EQ(r.xMotivo, SimuladorAutoridade::TextoStatus(c.cStat));
  EXPECT_EQ(r.nProt, "");
}

std::string Trocado(std::string s, const std::string& de, const std::string& para) {
  size_t p = s.find(de);
  EXPECT_NE(p, std::string::npos) << de;
  return p == std::string::npos ? s : s.replace(p, de.size(), para);
}

INSTANTIATE_TEST_SUITE_P(
    Homologacao, RejeicaoDeNota,
    ::testing::Values(
        CasoRejeicao{"AlteradaDepoisDeAssinada",
                     [] { return Trocado(NotaAssinada(), "PRODUTO DE TESTE", "PRODUTO ALTERADO"); }, "297"},
        CasoRejeicao{"AssinaturaComPrefixoDs",
                     [] {
                       std::string n = std::regex_replace(
                           NotaAssinada(),
                           std::regex("<(/?)(Signature|SignedInfo|CanonicalizationMethod|SignatureMethod|Reference|"
                                      "Transforms|Transform|DigestMethod|DigestValue|SignatureValue|KeyInfo|"
                                      "X509Data|X509Certificate)([ >/])"),
                           "<$1ds:$2$3");
                       return Trocado(n, "xmlns=\"http://www.w3.org/2000/09/xmldsig#\"",
                                      "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\"");
                     },
                     "298"},
        CasoRejeicao{"EmitenteDeOutroCnpj",
                     [] { return NotaAssinada({.cnpj = "99888777000166"}); }, "213"},
        CasoRejeicao{"AmbienteDeProducao", [] { return NotaAssinada({.ambiente = "1"}); }, "252"},
        CasoRejeicao{"DestinatarioSemOTextoDeHomologacao",
                     [] { return NotaAssinada({.destinatario = "CLIENTE EXEMPLO S A"}); }, "598"},
        CasoRejeicao{"DigitoVerificadorErrado",
                     [] {
                       std::string chave;
                       std::string n = teste::NotaSemAssinatura({}, &chave);
                       std::string errada = chave.substr(0, 43) + (chave[43] == '9' ? "0" : "1");
                       if (errada == chave) errada = chave.substr(0, 43) + "2";
                       n = Trocado(n, "NFe" + chave, "NFe" + errada);
                       n = Trocado(n, "<cDV>" + chave.substr(43) + "</cDV>", "<cDV>" + errada.substr(43) + "</cDV>");
                       return AssinarXml(n, "infNFe", teste::CertificadoTeste());
                     },
                     "236"},
        CasoRejeicao{"ChaveQueNaoBateComOsCampos",
                     [] {
                       std::string chave;
                       std::string n = teste::NotaSemAssinatura({}, &chave);
                       return AssinarXml(Trocado(n, "<nNF>123</nNF>", "<nNF>124</nNF>"), "infNFe",
                                         teste::CertificadoTeste());
                     },
                     "502"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Simulador, DuplicidadeDaMesmaChaveDa204ComORecibo) {
  std::string nota = NotaAssinada();
  ASSERT_EQ(Resultado(nota), "100");
  Resposta r = Processa(nota);
  EXPECT_EQ(r.cStat, "204");
  EXPECT_TRUE(std::regex_match(r.xMotivo, std::regex("Rejeição: Duplicidade de NF-e \\[nRec:351[0-9]{12}\\]")))
      << r.xMotivo;
}

TEST_F(Simulador, MesmoNumeroComOutraChaveDa539) {
  std::string chave;
  ASSERT_EQ(Resultado(NotaAssinada({.codigoNumerico = 10}, &chave)), "100");
  Resposta r = Processa(NotaAssinada({.codigoNumerico = 11}));
  EXPECT_EQ(r.cStat, "539");
  EXPECT_NE(r.xMotivo.find("[chNFe:" + chave + "]"), std::string::npos) << r.xMotivo;
}

TEST_F(Simulador, RejeicaoEscolhidaValeUmaVezSo) {
  Controle("rejeitar=204\n");
  EXPECT_EQ(Resultado(NotaAssinada({.numero = 5})), "204");
  EXPECT_EQ(teste::LerTudo(pasta_.Caminho() / "controle.txt"), "");
  EXPECT_EQ(Resultado(NotaAssinada({.numero = 5})), "100");
}

TEST_F(Simulador, RejeicaoEscolhidaNaLinhaDeComandoTambemValeUmaVez) {
  FalhasSimulador f;
  f.rejeitarProxima = "213";
  Cria(f);
  EXPECT_EQ(Resultado(NotaAssinada({.numero = 6})), "213");
  EXPECT_EQ(Resultado(NotaAssinada({.numero = 6})), "100");
}

TEST_F(Simulador, EstadoSobreviveAoReinicio) {
  ASSERT_EQ(Resultado(NotaAssinada()), "100");
  Cria();
  EXPECT_EQ(Resultado(NotaAssinada()), "204");
}

TEST_F(Simulador, CancelamentoDa135EDepois218) {
  std::string chave, protocolo;
  ASSERT_EQ(Resultado(NotaAssinada({}, &chave), &protocolo), "100");
  std::string r = Cancela(chave, protocolo);
  EXPECT_EQ(Campo(r, "cStat"), "128");
  Resposta e = Interna(r, "retEvento", "infEvento");
  EXPECT_EQ(e.cStat, "135");
  EXPECT_EQ(e.xMotivo, "Evento registrado e vinculado a NF-e");
  std::string protocoloCancelamento = e.nProt;
  EXPECT_EQ(protocoloCancelamento.size(), 15u);
  EXPECT_NE(protocoloCancelamento, protocolo);

  std::string situacao = Pede(ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave));
  EXPECT_EQ(Campo(situacao, "cStat"), "101");
  EXPECT_EQ(Campo(situacao, "xMotivo"), "Cancelamento de NF-e homologado");

  Resposta e2 = Interna(Cancela(chave, protocolo), "retEvento", "infEvento");
  EXPECT_EQ(e2.cStat, "218");
  EXPECT_EQ(e2.xMotivo,
            "Rejeição: NF-e já está cancelada na base de dados da SEFAZ [nRec:" + protocoloCancelamento + "]");
}

TEST_F(Simulador, CancelamentoDeNotaDesconhecidaOuProtocoloErrado) {
  std::string chave, protocolo;
  std::string desconhecida;
  teste::NotaSemAssinatura({.numero = 77}, &desconhecida);
  std::string lote = Cancela(desconhecida, "135160000000001");
  EXPECT_EQ(Campo(lote, "cStat"), "128");
  EXPECT_EQ(Campo(lote, "xMotivo"), "Lote de Evento Processado");
  EXPECT_EQ(Interna(lote, "retEvento", "infEvento").cStat, "217");
  ASSERT_EQ(Resultado(NotaAssinada({}, &chave), &protocolo), "100");
  EXPECT_EQ(Interna(Cancela(chave, "135169999999999"), "retEvento", "infEvento").cStat, "222");
}

TEST_F(Simulador, InutilizacaoHomologadaDepoisJaInutilizada) {
  std::string r = Inutiliza("50", "50");
  EXPECT_EQ(Campo(r, "cStat"), "102");
  EXPECT_EQ(Campo(r, "xMotivo"), "Inutilização de número homologado");
  EXPECT_EQ(Campo(r, "nProt").size(), 15u);
  EXPECT_EQ(Campo(Inutiliza("50", "50"), "cStat"), "563");
  EXPECT_EQ(Campo(Inutiliza("49", "51"), "cStat"), "256");
  // A voided number cannot be authorised afterwards.
  EXPECT_EQ(Resultado(NotaAssinada({.numero = 50})), "206");
  // Nor can a number already used be voided.
  ASSERT_EQ(Resultado(NotaAssinada({.numero = 60})), "100");
  EXPECT_EQ(Campo(Inutiliza("55", "65"), "cStat"), "241");
}

// --- The control file ---------------------------------------------------

struct CasoControle {
  const char* texto;
  std::function<bool(const FalhasSimulador&)> confere;
};
void PrintTo(const CasoControle& c, std::ostream* os) {
  for (const char* p = c.texto; *p; ++p) *os << (*p == '\n' || *p == '\r' ? ' ' : *p);
}

class ControleSimulador : public ::testing::TestWithParam<CasoControle> {};

TEST_P(ControleSimulador, Le) {
  EXPECT_TRUE(GetParam().confere(AplicaControle({}, GetParam().texto))) << GetParam().texto;
}

INSTANTIATE_TEST_SUITE_P(
    Chaves, ControleSimulador,
    ::testing::Values(
        CasoControle{"recusar=1", [](const FalhasSimulador& f) { return f.recusarConexoes; }},
        CasoControle{"# comentário\n\natraso = 2.5\r\n", [](const FalhasSimulador& f) { return f.atrasoSegundos == 2.5; }},
        CasoControle{"descartar=sim", [](const FalhasSimulador& f) { return f.descartarResposta; }},
        CasoControle{"rejeitar=539", [](const FalhasSimulador& f) { return f.rejeitarProxima == "539"; }},
        CasoControle{"processando=sempre", [](const FalhasSimulador& f) { return f.sempreEmProcessamento; }},
        CasoControle{"consultas_processamento=3",
                     [](const FalhasSimulador& f) { return f.consultasEmProcessamento == 3; }},
        CasoControle{"paralisado=109", [](const FalhasSimulador& f) { return f.paralisado == "109"; }},
        CasoControle{"adulterar=protocolo", [](const FalhasSimulador& f) { return f.adulterar == "protocolo"; }}));

TEST(ControleSimulador, ArquivoSobrepoeSoOQueNomeia) {
  FalhasSimulador base;
  base.descartarResposta = true;
  base.paralisado = "108";
  FalhasSimulador f = AplicaControle(base, "paralisado=\n");
  EXPECT_TRUE(f.descartarResposta);
  EXPECT_EQ(f.paralisado, "");
}

TEST(ControleSimulador, RecusaOQueNaoEntende) {
  for (const char* t : {"atrasar=1", "atraso=-1", "atraso=x", "rejeitar=20", "paralisado=107", "recusar=talvez",
                        "consultas_processamento=1x", "processando=às vezes", "sem igual",
                        "adulterar=tudo"})
    EXPECT_THROW(AplicaControle({}, t), std::invalid_argument) << t;
}

TEST(ControleSimulador, ConsumirRejeicaoTiraSoEssaLinha) {
  teste::PastaTemporaria pasta;
  auto arquivo = pasta.Caminho() / "controle.txt";
  teste::GravarTudo(arquivo, "atraso=1\nrejeitar=204\nparalisado=108\n");
  ConsomeRejeicao(arquivo);
  EXPECT_EQ(teste::LerTudo(arquivo), "atraso=1\nparalisado=108\n");
}

}  // namespace
}  // namespace velant::autoridade
