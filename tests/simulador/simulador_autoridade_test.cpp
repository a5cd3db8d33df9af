// The authority simulator's answers in layout 3.10, asked in-process: the
// codes and texts of the homologation rules, protocol numbers, the control
// file, and what it enforces on cancellations, voidings and correction
// letters; every answer valid against its schema. (The round trips through
// the client are the component's and the end-to-end cases'.)
#include "simulador/simulador_autoridade.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <regex>
#include <tuple>

#include "base/erro.h"
#include "simulador/simulador_apoio.h"

namespace velant::autoridade {
namespace {

using teste::Campo;
using teste::NotaAssinada;

class Simulador : public teste::SimuladorDoTeste {
 protected:
  Simulador() { Cria(); }
};

// Answers of one request: status, and rules checked before any processing.
TEST_F(Simulador, RespostaDireta) {
  const std::string status = MensagemStatusServico("2", "35");
  DadosInutilizacao outroCnpj{"2", "35", "16", "99888777000166", "1", "70", "70", "Numeracao pulada por falha do sistema"};
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
      {"", ServicoNFe::Inutilizacao, AssinarXml(MensagemInutilizacao(outroCnpj), "infInut", teste::CertificadoTeste()),
       "<cStat>213</cStat>"}};
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
  EXPECT_EQ(teste::Campos(Pede(ServicoNFe::Autorizacao, teste::Lote("1", {nota})), {"cStat", "nRec"}), "109|");
  EXPECT_EQ(Campo(Pede(ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave)), "cStat"), "109");
  EXPECT_EQ(Campo(Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", "351000000000001")), "cStat"), "109");
  EXPECT_EQ(Inutiliza("80", "80"), "109");
  EXPECT_EQ(Cancela(chave, "135160000000001").cStat, "109");
  // Nothing was kept, and the chosen rejection waits for the next document.
  Controle("rejeitar=297\n");
  EXPECT_EQ(Inutiliza("80", "80"), "297");
  EXPECT_EQ(Inutiliza("80", "80"), "102");
  EXPECT_EQ(Processa(nota).cStat, "100");
}

TEST_F(Simulador, FalhasRecebemFalhaSoap) {
  const auto& d = Descricao(ServicoNFe::StatusServico);
  auto pede = [&](const std::string& envelope) { return sim_->Atende({CaminhoServico(d), TipoConteudoSoap(d), envelope}); };
  RespostaSimulador r = pede("isto não é XML");
  EXPECT_EQ(r.status, 500);
  EXPECT_THROW(LeResposta(r.corpo), ErroExecucao);
  // A message posted to another service's path is not served either.
  EXPECT_EQ(pede(MontaEnvelopePedido(d, "35", MensagemConsultaSituacao("2", std::string(44, '1')))).status, 500);
  const std::string status = MontaEnvelopePedido(d, "35", MensagemStatusServico("2", "35"));
  // A control file it cannot read, and its own failure, are the receiver's faults.
  Controle("paralisado=107\n");
  r = pede(status);
  EXPECT_EQ(r.status, 500);
  EXPECT_NE(r.corpo.find("paralisado=107"), std::string::npos);
  Controle("");
  teste::VariavelAmbiente esquemas("VELANT_ESQUEMAS", (pasta_.Caminho() / "sem-esquemas").string());
  r = pede(status);
  EXPECT_EQ(r.status, 500);
  EXPECT_THAT(r.corpo, ::testing::AllOf(::testing::HasSubstr("soap12:Receiver"), ::testing::HasSubstr("consStatServ_v3.10.xsd")));
}

// 1, the state, the year of receipt, a 10-digit sequence; the state survives a restart.
TEST_F(Simulador, ProtocolosEmSequenciaEDuplicidades) {
  std::string chave;
  std::string nota = NotaAssinada({.codigoNumerico = 10}, &chave);
  teste::Resposta r = Processa(nota);
  EXPECT_EQ(r.cStat, "100");
  std::string ano = DataHoraComFuso(std::chrono::system_clock::now(), -3).substr(2, 2);
  EXPECT_EQ(r.nProt, "135" + ano + "0000000001");
  std::string situacao = Pede(ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave));
  EXPECT_EQ(teste::Campos(situacao, {"xMotivo", "nProt", "digVal"}),
            "Autorizado o uso da NF-e|" + r.nProt + "|" + Campo(nota, "DigestValue"));
  EXPECT_EQ(Processa(NotaAssinada({.numero = 2})).nProt, "135" + ano + "0000000002");

  Cria();
  teste::Resposta duplicada = Processa(nota);
  EXPECT_EQ(duplicada.cStat, "204");
  EXPECT_TRUE(std::regex_match(duplicada.xMotivo, std::regex("Rejeição: Duplicidade de NF-e \\[nRec:351[0-9]{12}\\]")))
      << duplicada.xMotivo;
  teste::Resposta outraChave = Processa(NotaAssinada({.codigoNumerico = 11}));
  EXPECT_EQ(outraChave.cStat, "539");
  EXPECT_NE(outraChave.xMotivo.find("[chNFe:" + chave + "]"), std::string::npos) << outraChave.xMotivo;
}

// One rule of homologation broken per case (the business rules are regras_autoridade_test's).
TEST_F(Simulador, RejeicaoDeNota) {
  const std::string dsig = "<(/?)(Signature|SignedInfo|CanonicalizationMethod|SignatureMethod|Reference|Transforms|"
                           "Transform|DigestMethod|DigestValue|SignatureValue|KeyInfo|X509Data|X509Certificate)([ >/])";
  const std::pair<std::string, const char*> casos[] = {
      {teste::TrocaPrimeiro(NotaAssinada(), "PRODUTO DE TESTE", "PRODUTO ALTERADO"), "297"},
      {teste::TrocaPrimeiro(std::regex_replace(NotaAssinada(), std::regex(dsig), "<$1ds:$2$3"),
                            "xmlns=\"http://www.w3.org/2000/09/xmldsig#\"", "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\""),
       "298"},
      {NotaAssinada({.cnpj = "99888777000166"}), "213"},
      {NotaAssinada({.ambiente = "1"}), "252"}};
  for (const auto& [nota, cStat] : casos) {
    teste::Resposta r = Processa(nota);
    EXPECT_EQ(r.cStat + "|" + r.xMotivo + "|" + r.nProt, std::string(cStat) + "|" + SimuladorAutoridade::TextoStatus(cStat) + "|");
  }
}

// A voided number cannot be authorised afterwards, nor a number already used
// voided. The rejection chosen on the command line holds for the next
// document only (the control file's: ParalisadoNenhumServicoProcessa).
TEST_F(Simulador, InutilizacaoDeNumerosLivres) {
  FalhasSimulador f;
  f.rejeitarProxima = "213";
  Cria(true, 1, f);
  EXPECT_EQ(Inutiliza("50", "50"), "213");
  EXPECT_EQ(Inutiliza("50", "50"), "102");
  EXPECT_EQ(Inutiliza("49", "51"), "256");
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

// --- Cancellations, voidings and correction letters ------------------------
// The deadline counted from the authorisation, a justification of 15 to 255
// characters; letters on an authorised invoice, not cancelled, each sequence once.

// A simulator whose clock runs avanco_ ahead; the invoice's key in chave_.
class SimuladorCancelamento : public teste::SimuladorDoTeste {
 protected:
  SimuladorCancelamento() { Reinicia(); }
  void Reinicia() { Cria(true, 1, {}, [this] { return std::chrono::system_clock::now() + avanco_; }); }
  std::string Autoriza(int numero = 123) { return Processa(NotaAssinada({.numero = numero}, &chave_)).nProt; }
  // cStat of the letter; `depois` changes the signed message before it goes.
  std::string Carta(const std::string& sequencia, const std::string& correcao,
                    std::string (*depois)(std::string) = nullptr) {
    DadosCartaCorrecao d{"1", "2", chave_, sequencia, correcao, "2016-01-15T12:00:00-03:00"};
    std::string m = AssinarXml(MensagemCartaCorrecao(d), "infEvento", teste::CertificadoTeste());
    return Evento(depois ? depois(m) : m).cStat;
  }
  std::string SituacaoDaNota() { return Campo(Pede(ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave_)), "cStat"); }

  std::chrono::hours avanco_{0};
  std::string chave_;
};

// Hours after the authorisation: on time, out of time but registered, refused.
TEST_F(SimuladorCancelamento, PrazoContadoDaAutorizacao) {
  const std::tuple<int, const char*, bool> casos[] = {{23, "135", true}, {25, "155", true}, {167, "155", true},
                                                      {169, "220", false}};
  int numero = 20;
  for (const auto& [horas, cStat, registrado] : casos) {
    SCOPED_TRACE(horas);
    avanco_ = {};
    const std::string protocolo = Autoriza(++numero);
    avanco_ = std::chrono::hours(horas);
    teste::Resposta r = Cancela(chave_, protocolo);
    EXPECT_EQ(r.cStat + "|" + r.nProt.substr(0, 3) + "|" + std::to_string(r.nProt.size()),
              std::string(cStat) + (registrado ? "|1" + chave_.substr(0, 2) + "|15" : "||0"));
    EXPECT_EQ(SituacaoDaNota(), registrado ? "101" : "100");
  }
}

// The justification's length in characters, accented ones counting one
// each; refused, the invoice stays authorised and the number free.
TEST_F(SimuladorCancelamento, JustificativaDe15A255Caracteres) {
  std::string cedilhas;
  for (int i = 0; i < 85; ++i) cedilhas += "ção";
  const std::pair<std::string, bool> casos[] = {{"Erro de emissa", false}, {"Erro de emissao", true},
                                                {"Emissão indevid", true}, {"               ", false},
                                                {cedilhas, true},          {cedilhas + "x", false}};
  int numero = 70;
  for (const auto& [texto, aceita] : casos) {
    SCOPED_TRACE(texto);
    EXPECT_EQ(Cancela(chave_, Autoriza(++numero), texto).cStat, aceita ? "135" : "215");
    EXPECT_EQ(SituacaoDaNota(), aceita ? "101" : "100");
    const std::string livre = std::to_string(numero + 100);
    EXPECT_EQ(Inutiliza(livre, livre, texto), aceita ? "102" : "215");
  }
}

// One invoice's letters in order, each answered by what the authority knows
// by then; the letters registered outlive a restart of the simulator.
TEST_F(SimuladorCancelamento, CartaCorrecao) {
  const std::string correcao = "Rua certa: Flores 120";
  std::string protocolo;
  struct Passo { const char* nome; std::function<std::string()> faz; const char* cStat; } passos[] = {
      {"nota desconhecida", [&] { NotaAssinada({}, &chave_); return Carta("1", correcao); }, "217"},
      {"primeira", [&] { protocolo = Autoriza(); return Carta("1", correcao); }, "135"},
      {"mesma sequência", [&] { return Carta("1", correcao + "; Placa ABC1D23"); }, "573"},
      {"segunda", [&] { return Carta("2", correcao + "; Placa ABC1D23"); }, "135"},
      {"14 caracteres", [&] { return Carta("3", "Rua das Flores"); }, "215"},
      {"alterada depois de assinada",
       [&] {
         return Carta("3", correcao, [](std::string m) {
           m.replace(m.find("Flores 120"), 10, "Flores 121");
           return m;
         });
       },
       "297"},
      {"depois de reiniciar", [&] { Reinicia(); return Carta("2", correcao); }, "573"},
      {"nota cancelada", [&] { Cancela(chave_, protocolo); return Carta("3", correcao); }, "218"},
  };
  for (const auto& p : passos) EXPECT_EQ(p.faz(), p.cStat) << p.nome;
  EXPECT_EQ(SituacaoDaNota(), "101");
}

}  // namespace
}  // namespace velant::autoridade
