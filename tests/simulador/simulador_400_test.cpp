// The simulator as an authority of layout 4.00, asked in-process: services
// found by path, 3.10 switched off unless asked for, a batch's form,
// SVC contingency and the log of calls. (The synchronous authorisation, its
// receipt fallback, cancellation and voiding through the client are the
// component's Componente400 tests.)
#include <gtest/gtest.h>

#include <tuple>

#include "component/apoio_nfe400.h"
#include "component/autoridade_apoio.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "component/xml/validador_esquema.h"
#include "simulador/simulador_apoio.h"
#include "simulador/simulador_autoridade.h"

namespace velant::autoridade {
namespace {

using teste::Campo;

class Simulador400 : public teste::SimuladorDoTeste {
 protected:
  void Cria(bool leiaute310) { SimuladorDoTeste::Cria(leiaute310, 0); }
  void SetUp() override { Cria(false); }
  std::string Pede(ServicoNFe servico, const std::string& mensagem, Leiaute leiaute = Leiaute::V400) {
    return SimuladorDoTeste::Pede(servico, mensagem, leiaute);
  }
  std::string Envia(const std::vector<std::string>& notas, const char* indSinc = nullptr) {
    std::string lote = MensagemLote("1", notas, Leiaute::V400);
    if (indSinc != nullptr) lote.replace(lote.find("<indSinc>") + 9, 1, indSinc);
    return Pede(ServicoNFe::Autorizacao, lote);
  }
};

TEST_F(Simulador400, CaminhoDesconhecidoDa404) {
  const auto& d = Descricao(ServicoNFe::StatusServico, Leiaute::V400);
  std::string envelope = MontaEnvelopePedido(d, "35", MensagemStatusServico("2", "35", Leiaute::V400));
  for (const char* caminho : {"/", "/ws/NFeStatusServico4", "/ws/nfestatusservico4.asmx", "/ws/Outro4.asmx",
                              "/NFeStatusServico4.asmx", "/ws/NFeStatusServico4.asmx/x"}) {
    SCOPED_TRACE(caminho);
    EXPECT_EQ(sim_->Atende({caminho, TipoConteudoSoap(d), envelope}).status, 404);
  }
  EXPECT_EQ(sim_->Atende({CaminhoServico(d), TipoConteudoSoap(d), envelope}).status, 200);
  // What is not SOAP 1.2, or names another operation, is not served.
  EXPECT_EQ(sim_->Atende({CaminhoServico(d), "text/xml; charset=utf-8", envelope}).status, 415);
  EXPECT_EQ(sim_->Atende({CaminhoServico(d), TipoConteudoSoap(Descricao(ServicoNFe::Consulta, Leiaute::V400)),
                          envelope}).status,
            500);
}

// One invoice may not ask for an asynchronous answer.
TEST_F(Simulador400, LoteDeUmaNotaAssincronaRecusado) {
  std::string r = Envia({teste::NotaAssinada400({.numero = 11})}, "0");
  EXPECT_EQ(teste::Campos(r, {"cStat", "xMotivo", "nRec"}),
            "452|Rejeição: Solicitada resposta assíncrona para Lote com somente 1 (uma) NF-e|");
  EXPECT_EQ(r.find("protNFe"), std::string::npos) << r;
}

// The state's SVC: active only while the state's service is paused, it takes
// only its own tpEmis with dhCont and xJust, knows only its own invoices,
// and voids nothing. (casos/contingencia.caso shows the Host through it: 100, a
// cancellation at SVC, SVC paused too, SVC turned off.)
TEST_F(Simulador400, ContingenciaSvc) {
  auto pedeEm = [&](const char* autorizador, ServicoNFe servico, const std::string& mensagem) {
    return teste::PedeAoSimulador(*sim_, Descricao(servico, Leiaute::V400), mensagem, autorizador);
  };
  // The invoice's status when it was judged, else the batch's.
  auto autoriza = [&](const char* autorizador, const teste::OpcoesNota400& o, std::string* chave = nullptr) {
    std::string r = pedeEm(autorizador, ServicoNFe::Autorizacao,
                           MensagemLote("1", {teste::NotaAssinada400(o, chave)}, Leiaute::V400));
    auto doc = DocumentoXml::Ler(r, "r");
    xmlNode* prot = Filho(doc.Raiz(), "protNFe");
    return prot ? Texto(Procura(prot, "cStat")) : Campo(r, "cStat");
  };
  const struct {
    const char* nome;
    const char* controle;
    const char* autorizador;
    teste::OpcoesNota400 nota;
    const char* cStat;
  } casos[] = {
      {"SVC-RS ativa", "paralisado=108", "SVC-RS", {.numero = 602, .tpEmis = 7}, "100"},
      {"tpEmis normal na SVC", "paralisado=109", "SVC-AN", {.numero = 603}, "713"},
      {"tpEmis da outra SVC", "paralisado=109", "SVC-AN", {.numero = 604, .tpEmis = 7}, "713"},
      {"sem dhCont e xJust", "paralisado=109", "SVC-AN", {.numero = 605, .tpEmis = 6, .justificada = false}, "557"},
      {"tpEmis da SVC na UF", "", "", {.numero = 608, .tpEmis = 6}, "570"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    Controle(c.controle);
    EXPECT_EQ(autoriza(c.autorizador, c.nota), c.cStat);
  }
  Controle("");
  EXPECT_EQ(Campo(pedeEm("SVC-AN", ServicoNFe::StatusServico, MensagemStatusServico("2", "35", Leiaute::V400)), "xMotivo"),
            "SVC desabilitada pela SEFAZ Origem");
  const auto& inutilizacao = Descricao(ServicoNFe::Inutilizacao, Leiaute::V400);
  EXPECT_EQ(sim_->Atende({"/svc-an" + CaminhoServico(inutilizacao), TipoConteudoSoap(inutilizacao), "x"}).status, 404);

  // What each authority knows: the state all, an SVC its own.
  std::string normal, svc;
  ASSERT_EQ(autoriza("", {.numero = 610}, &normal), "100");
  Controle("paralisado=109");
  ASSERT_EQ(autoriza("SVC-AN", {.numero = 611, .tpEmis = 6}, &svc), "100");
  auto situacao = [&](const char* autorizador, const std::string& chave) {
    return Campo(pedeEm(autorizador, ServicoNFe::Consulta, MensagemConsultaSituacao("2", chave, Leiaute::V400)), "cStat");
  };
  EXPECT_EQ(situacao("SVC-AN", normal), "217");
  EXPECT_EQ(situacao("SVC-AN", svc), "100");
  Controle("");
  EXPECT_EQ(situacao("", svc), "100");
}


// Every call in the state file, whatever its fate: a new instance on it sees them.
TEST_F(Simulador400, RegistraCadaChamada) {
  const auto& status = Descricao(ServicoNFe::StatusServico, Leiaute::V400);
  Pede(ServicoNFe::StatusServico, MensagemStatusServico("2", "35", Leiaute::V400));
  Pede(ServicoNFe::StatusServico, MensagemStatusServico("2", "35"), Leiaute::V310);
  sim_->Atende({"/ws/Nada.asmx", TipoConteudoSoap(status), "x"});
  sim_->Atende({CaminhoServico(status), TipoConteudoSoap(status), "isto não é XML"});
  const std::tuple<std::string, std::string, int, std::string> esperadas[] = {
      {"/ws/NFeStatusServico4.asmx", "NFeStatusServico4", 200, "107"},
      {"/ws/NfeStatusServico2.asmx", "NfeStatusServico2", 200, "239"},
      {"/ws/Nada.asmx", "", 404, ""},
      {"/ws/NFeStatusServico4.asmx", "NFeStatusServico4", 500, ""}};
  Cria(false);
  auto chamadas = sim_->Chamadas();
  ASSERT_EQ(chamadas.size(), std::size(esperadas));
  for (size_t i = 0; i < chamadas.size(); ++i) {
    EXPECT_EQ(std::tie(chamadas[i].caminho, chamadas[i].servico, chamadas[i].http, chamadas[i].cStat), esperadas[i]) << i;
  }
}

}  // namespace
}  // namespace velant::autoridade
