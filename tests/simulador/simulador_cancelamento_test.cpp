// What the authority simulator enforces on cancellation events and voiding
// requests: the invoice's authorisation protocol, the deadline counted from
// the authorisation, and a justification of 15 to 255 characters; and on
// correction letters: an authorised invoice, not cancelled, each sequence once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "component/autoridade_apoio.h"
#include "simulador/simulador_apoio.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "simulador/simulador_autoridade.h"

namespace velant::autoridade {
namespace {

using teste::Campo;

struct Situacao { std::string cStat, nProt; };

class SimuladorCancelamento : public teste::SimuladorDoTeste {
 protected:
  SimuladorCancelamento() { Cria(); }
  // A simulator whose clock runs avanco_ ahead.
  void Cria() {
    SimuladorDoTeste::Cria(true, 0, {}, [this] { return std::chrono::system_clock::now() + avanco_; });
  }

  // Authorises invoice `numero` and returns its protocol; its key in chave_.
  std::string Autoriza(int numero = 123) {
    std::string recibo = Campo(Pede(ServicoNFe::Autorizacao,
                                    teste::Lote("1", {teste::NotaAssinada({.numero = numero}, &chave_)})),
                               "nRec");
    std::string r = Pede(ServicoNFe::RetAutorizacao, MensagemConsultaRecibo("2", recibo));
    EXPECT_EQ(Campo(r, "cStat"), "104");
    return Campo(r, "nProt");
  }

  // cStat of the batch when it has no event answer, else of the event, with its protocol.
  Situacao Evento(const std::string& assinada) {
    auto doc = DocumentoXml::Ler(Pede(ServicoNFe::RecepcaoEvento, assinada), "retEnvEvento");
    xmlNode* inf = Filho(Filho(doc.Raiz(), "retEvento"), "infEvento");
    return {TextoFilho(inf != nullptr ? inf : doc.Raiz(), "cStat"), inf != nullptr ? TextoFilho(inf, "nProt") : ""};
  }
  Situacao Cancela(const std::string& protocolo, const std::string& justificativa) {
    DadosCancelamento d{"1", "2", chave_, "1", protocolo, justificativa, "2016-01-15T12:00:00-03:00"};
    return Evento(AssinarXml(MensagemEventoCancelamento(d), "infEvento", teste::CertificadoTeste()));
  }

  std::string Inutiliza(const std::string& numero, const std::string& justificativa) {
    DadosInutilizacao d{"2", "35", "16", teste::kCnpjEmitente, "1", numero, numero, justificativa};
    return Campo(Pede(ServicoNFe::Inutilizacao,
                      AssinarXml(MensagemInutilizacao(d), "infInut", teste::CertificadoTeste())),
                 "cStat");
  }

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

const std::string kJustificativa = "Cancelamento por erro de digitacao";

// Hours after the authorisation: on time, out of time but registered, refused.
struct CasoPrazo { int horas; const char* cStat; bool registrado; };
void PrintTo(const CasoPrazo& c, std::ostream* os) { *os << c.horas << "h"; }

class PrazoCancelamento : public SimuladorCancelamento, public ::testing::WithParamInterface<CasoPrazo> {};

TEST_P(PrazoCancelamento, ContadoDaAutorizacao) {
  const auto& c = GetParam();
  std::string protocolo = Autoriza();
  avanco_ = std::chrono::hours(c.horas);
  Situacao s = Cancela(protocolo, kJustificativa);
  EXPECT_EQ(s.cStat, c.cStat);
  EXPECT_EQ(s.nProt.size(), c.registrado ? 15u : 0u);
  EXPECT_EQ(s.nProt.substr(0, std::min<size_t>(3, s.nProt.size())), c.registrado ? "1" + chave_.substr(0, 2) : "");
  EXPECT_EQ(SituacaoDaNota(), c.registrado ? "101" : "100");
}

INSTANTIATE_TEST_SUITE_P(Horas, PrazoCancelamento,
                         ::testing::Values(CasoPrazo{23, "135", true},
                                           CasoPrazo{25, "155", true}, CasoPrazo{167, "155", true},
                                           CasoPrazo{169, "220", false}));

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
    EXPECT_EQ(Cancela(Autoriza(++numero), texto).cStat, aceita ? "135" : "215");
    EXPECT_EQ(SituacaoDaNota(), aceita ? "101" : "100");
    EXPECT_EQ(Inutiliza(std::to_string(numero + 100), texto), aceita ? "102" : "215");
  }
}

// One invoice's letters in order, each answered by what the authority knows
// by then; the letters registered outlive a restart of the simulator.
TEST_F(SimuladorCancelamento, CartaCorrecao) {
  const std::string correcao = "Rua certa: Flores 120";
  std::string protocolo;
  struct Passo { const char* nome; std::function<std::string()> faz; const char* cStat; } passos[] = {
      {"nota desconhecida", [&] { teste::NotaAssinada({}, &chave_); return Carta("1", correcao); }, "217"},
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
      {"depois de reiniciar", [&] { Cria(); return Carta("2", correcao); }, "573"},
      {"nota cancelada", [&] { Cancela(protocolo, kJustificativa); return Carta("3", correcao); }, "218"},
  };
  for (const auto& p : passos) EXPECT_EQ(p.faz(), p.cStat) << p.nome;
  EXPECT_EQ(SituacaoDaNota(), "101");
}

}  // namespace
}  // namespace velant::autoridade
