// The simulator as an authority of layout 4.00, asked in-process: services
// found by path, 3.10 switched off unless asked for, a batch's form, SVC
// contingency, the EPEC at the national environment and the log of calls.
// (The synchronous authorisation, its receipt fallback, cancellation and
// voiding through the client are the component's Componente400 tests; the
// Host through SVC and EPEC, casos/contingencia.caso.)
#include <gtest/gtest.h>

#include <tuple>

#include "component/apoio_nfe400.h"
#include "component/autoridade/evento_epec.h"
#include "simulador/simulador_apoio.h"

namespace velant::autoridade {
namespace {

using teste::Campo;

class Simulador400 : public teste::SimuladorDoTeste {
 protected:
  void SetUp() override { Cria(false, 0); }
  // The invoice's status at `autorizador` when it was judged, else the batch's.
  std::string Autoriza(const char* autorizador, const std::string& nfe, const char* esquema = nullptr) {
    std::string r = Pede(Servico::Autorizacao, MensagemLote("1", {nfe}, Leiaute::V400), Leiaute::V400, autorizador, esquema);
    auto doc = DocumentoXml::Ler(r, "r");
    xmlNode* prot = Filho(doc.Raiz(), "protNFe");
    return prot ? Texto(Procura(prot, "cStat")) : Campo(r, "cStat");
  }
  // The status of the EPEC of that invoice sent to `autorizador`.
  std::string Epec(const char* autorizador, const std::string& nfe) {
    DadosEpec d = ResumoEpec(nfe);
    d.idLote = "1";
    d.tpAmb = "2";
    d.dhEvento = DataHoraComFuso(std::chrono::system_clock::now(), -3);
    return Interna(Pede(Servico::RecepcaoEvento, AssinarXml(MensagemEventoEpec(d), "infEvento", teste::CertificadoTeste()),
                        Leiaute::V400, autorizador, "evento-epec/retEnvEPEC_v1.00.xsd"),
                   "retEvento", "infEvento").cStat;
  }
};

// Only the exact path of a service, in SOAP 1.2 naming its operation, is
// served; the SVCs void nothing and the national environment takes only
// events. Every call is in the state file, whatever its fate: a new
// instance on it sees them.
TEST_F(Simulador400, ServicoPeloCaminhoECadaChamadaRegistrada) {
  const auto& d = Descricao(ServicoNFe::StatusServico, Leiaute::V400);
  const std::string envelope = MontaEnvelopePedido(d, "35", MensagemStatusServico("2", "35", Leiaute::V400));
  Pede(ServicoNFe::StatusServico, MensagemStatusServico("2", "35", Leiaute::V400), Leiaute::V400);
  Pede(ServicoNFe::StatusServico, MensagemStatusServico("2", "35"));
  EXPECT_EQ(sim_->Atende({"/ws/Nada.asmx", TipoConteudoSoap(d), "x"}).status, 404);
  EXPECT_EQ(sim_->Atende({CaminhoServico(d), TipoConteudoSoap(d), "isto não é XML"}).status, 500);
  const std::tuple<std::string, std::string, int, std::string> esperadas[] = {
      {"/ws/NFeStatusServico4.asmx", "NFeStatusServico4", 200, "107"},
      {"/ws/NfeStatusServico2.asmx", "NfeStatusServico2", 200, "239"},
      {"/ws/Nada.asmx", "", 404, ""},
      {"/ws/NFeStatusServico4.asmx", "NFeStatusServico4", 500, ""}};
  Cria(false, 0);
  auto chamadas = sim_->Chamadas();
  ASSERT_EQ(chamadas.size(), std::size(esperadas));
  for (size_t i = 0; i < chamadas.size(); ++i)
    EXPECT_EQ(std::tie(chamadas[i].caminho, chamadas[i].servico, chamadas[i].http, chamadas[i].cStat), esperadas[i]) << i;

  for (const std::string& caminho :
       {std::string("/"), std::string("/ws/NFeStatusServico4"), std::string("/ws/nfestatusservico4.asmx"),
        std::string("/ws/Outro4.asmx"), std::string("/NFeStatusServico4.asmx"), std::string("/ws/NFeStatusServico4.asmx/x"),
        "/svc-an" + CaminhoServico(Descricao(ServicoNFe::Inutilizacao, Leiaute::V400)),
        "/an" + CaminhoServico(Descricao(ServicoNFe::Autorizacao, Leiaute::V400))})
    EXPECT_EQ(sim_->Atende({caminho, TipoConteudoSoap(d), envelope}).status, 404) << caminho;
  EXPECT_EQ(sim_->Atende({CaminhoServico(d), "text/xml; charset=utf-8", envelope}).status, 415);
  EXPECT_EQ(sim_->Atende({CaminhoServico(d), TipoConteudoSoap(Descricao(ServicoNFe::Consulta, Leiaute::V400)), envelope})
                .status,
            500);
}

// One invoice may not ask for an asynchronous answer.
TEST_F(Simulador400, LoteDeUmaNotaAssincronaRecusado) {
  std::string lote = MensagemLote("1", {teste::NotaAssinada400({.numero = 11})}, Leiaute::V400);
  lote.replace(lote.find("<indSinc>") + 9, 1, "0");
  std::string r = Pede(ServicoNFe::Autorizacao, lote, Leiaute::V400);
  EXPECT_EQ(teste::Campos(r, {"cStat", "xMotivo", "nRec"}),
            "452|Rejeição: Solicitada resposta assíncrona para Lote com somente 1 (uma) NF-e|");
  EXPECT_EQ(r.find("protNFe"), std::string::npos) << r;
}

// The state's SVC, active only while the state's service is paused, takes
// only its own tpEmis, with dhCont and xJust.
TEST_F(Simulador400, ContingenciaSvc) {
  const struct {
    const char* controle;
    const char* autorizador;
    teste::OpcoesNota400 nota;
    const char* cStat;
  } casos[] = {
      {"paralisado=108", "SVC-RS", {.numero = 602, .tpEmis = 7}, "100"},
      {"paralisado=109", "SVC-AN", {.numero = 603}, "713"},
      {"paralisado=109", "SVC-AN", {.numero = 605, .tpEmis = 6, .justificada = false}, "557"},
  };
  for (const auto& c : casos) {
    Controle(c.controle);
    EXPECT_EQ(Autoriza(c.autorizador, teste::NotaAssinada400(c.nota)), c.cStat) << c.nota.numero;
  }
}

// The EPEC is registered at "/an" only; the state's service then takes an
// invoice of tpEmis 4 only with its EPEC, and only when both say the same.
TEST_F(Simulador400, Epec) {
  const std::string registrada = teste::NotaAssinada400({.numero = 702, .tpEmis = 4});
  EXPECT_EQ(Epec("", registrada), "491");
  ASSERT_EQ(Epec("AN", registrada), "136");
  // Another document under the same key, issued at another second: the
  // summary no longer agrees.
  std::string divergente = teste::NotaSemAssinatura400({.numero = 702, .tpEmis = 4});
  const std::string dhEmi = divergente.substr(divergente.find("<dhEmi>") + 7, 25);
  std::string outra = dhEmi;
  outra.replace(17, 2, dhEmi.substr(17, 2) == "00" ? "01" : "00");
  for (size_t i = divergente.find(dhEmi); i != std::string::npos; i = divergente.find(dhEmi, i))
    divergente.replace(i, dhEmi.size(), outra);
  const std::pair<std::string, const char*> casos[] = {
      {teste::NotaAssinada400({.numero = 703, .tpEmis = 4}), "468"},
      {AssinarXml(divergente, "infNFe", teste::CertificadoTeste()), "467"},
      {registrada, "100"},
  };
  for (const auto& [nfe, cStat] : casos) EXPECT_EQ(Autoriza("", nfe, "PL_010e/retEnviNFe_v4.00.xsd"), cStat);
}

}  // namespace
}  // namespace velant::autoridade
