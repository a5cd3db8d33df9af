// The simulator's national environment and the EPEC: the event registered
// at "/an" only, once per key; the state's service then takes an invoice of
// tpEmis 4 only with its EPEC, and only when both say the same.
#include <gtest/gtest.h>

#include "component/apoio_nfe400.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/evento_epec.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "component/xml/validador_esquema.h"
#include "simulador/simulador_apoio.h"
#include "simulador/simulador_autoridade.h"

namespace velant::autoridade {
namespace {

class SimuladorEpec : public teste::SimuladorDoTeste {
 protected:
  SimuladorEpec() { Cria(false, 0); }
  // The answer at the authority's prefix, valid against `esquema`.
  std::string Pede(const char* autorizador, ServicoNFe servico, const std::string& mensagem, const char* esquema) {
    return SimuladorDoTeste::Pede(servico, mensagem, Leiaute::V400, autorizador, esquema);
  }
  // The status of the EPEC of that invoice sent to `autorizador`.
  std::string Epec(const char* autorizador, const std::string& nfe) {
    DadosEpec d = ResumoEpec(nfe);
    d.idLote = "1";
    d.tpAmb = "2";
    d.dhEvento = DataHoraComFuso(std::chrono::system_clock::now(), -3);
    const std::string r = Pede(autorizador, ServicoNFe::RecepcaoEvento,
                               AssinarXml(MensagemEventoEpec(d), "infEvento", teste::CertificadoTeste()),
                               "evento-epec/retEnvEPEC_v1.00.xsd");
    return Texto(Procura(Filho(DocumentoXml::Ler(r, "r").Raiz(), "retEvento"), "cStat"));
  }
  std::string Autoriza(const std::string& nfe) {
    const std::string r = Pede("", ServicoNFe::Autorizacao, MensagemLote("1", {nfe}, Leiaute::V400),
                               "PL_010e/retEnviNFe_v4.00.xsd");
    return Texto(Procura(Filho(DocumentoXml::Ler(r, "r").Raiz(), "protNFe"), "cStat"));
  }
};

TEST_F(SimuladorEpec, RegistroNoAmbienteNacional) {
  const std::string nfe = teste::NotaAssinada400({.numero = 701, .tpEmis = 4});
  struct Caso { const char* nome; const char* autorizador; std::string nfe; const char* cStat; } casos[] = {
      {"na SEFAZ da UF", "", nfe, "491"},
      {"registrado", "AN", nfe, "136"},
      {"a mesma chave de novo", "AN", nfe, "573"},
  };
  for (const auto& c : casos) EXPECT_EQ(Epec(c.autorizador, c.nfe), c.cStat) << c.nome;
  // Only events: the national environment authorises nothing.
  const auto& d = Descricao(ServicoNFe::Autorizacao, Leiaute::V400);
  EXPECT_EQ(sim_->Atende({"/an" + CaminhoServico(d), TipoConteudoSoap(d), "x"}).status, 404);
}

TEST_F(SimuladorEpec, NotaDoEpecNaSefazDaUf) {
  const std::string registrada = teste::NotaAssinada400({.numero = 702, .tpEmis = 4});
  ASSERT_EQ(Epec("AN", registrada), "136");
  // Another document under the same key, issued at another second: the
  // summary no longer agrees.
  std::string divergente = teste::NotaSemAssinatura400({.numero = 702, .tpEmis = 4});
  const size_t p = divergente.find("<dhEmi>") + 7;
  const std::string dhEmi = divergente.substr(p, 25);
  std::string outra = dhEmi;
  outra.replace(17, 2, dhEmi.substr(17, 2) == "00" ? "01" : "00");
  for (size_t i = divergente.find(dhEmi); i != std::string::npos; i = divergente.find(dhEmi, i))
    divergente.replace(i, dhEmi.size(), outra);
  struct Caso { const char* nome; std::string nfe; const char* cStat; } casos[] = {
      {"sem EPEC", teste::NotaAssinada400({.numero = 703, .tpEmis = 4}), "468"},
      {"divergente do EPEC", AssinarXml(divergente, "infNFe", teste::CertificadoTeste()), "467"},
      {"com o EPEC", registrada, "100"},
  };
  for (const auto& c : casos) EXPECT_EQ(Autoriza(c.nfe), c.cStat) << c.nome;
}

}  // namespace
}  // namespace velant::autoridade
