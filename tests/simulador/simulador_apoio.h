#pragma once
// What the in-process simulator tests share: a request as the server hands
// it over (the service's path and SOAP 1.2 Content-Type, the envelope).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "apoio/arquivos_teste.h"

#include "component/autoridade/envelope_soap.h"
#include "component/xml/validador_esquema.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "simulador/simulador_autoridade.h"

namespace velant::teste {

inline autoridade::PedidoHttp PedidoHttpDe(const autoridade::DescricaoServico& d, const std::string& envelope) {
  return {autoridade::CaminhoServico(d), autoridade::TipoConteudoSoap(d), envelope};
}

// The message in its service's envelope, at its service's path.
inline autoridade::PedidoHttp PedidoServico(const autoridade::DescricaoServico& d, const std::string& mensagem) {
  return PedidoHttpDe(d, autoridade::MontaEnvelopePedido(d, "35", mensagem));
}

// Asks the simulator (at the prefix of `autorizador`, "" for the state's own
// service) and returns the answer message, after checking that it came as
// HTTP 200 in the service's SOAP type and is valid against `esquema` (by
// default the answer's schema of the service).
inline std::string PedeAoSimulador(autoridade::SimuladorAutoridade& sim, const autoridade::DescricaoServico& d,
                                   const std::string& mensagem, const char* autorizador = "",
                                   const char* esquema = nullptr) {
  autoridade::RespostaSimulador r =
      sim.Atende({autoridade::PrefixoAutorizador(autorizador) + autoridade::CaminhoServico(d),
                  autoridade::TipoConteudoSoap(d), autoridade::MontaEnvelopePedido(d, "35", mensagem)});
  EXPECT_EQ(r.status, 200) << r.corpo;
  EXPECT_EQ(r.tipoConteudo, autoridade::TipoConteudoSoap(d));
  std::string resposta = autoridade::LeResposta(r.corpo);
  EXPECT_EQ(ValidarXml(resposta, esquema ? esquema : d.esquemaResposta).value_or(""), "") << resposta;
  return resposta;
}

// A simulator on a state file and a control file of the test's own.
class SimuladorDoTeste : public ::testing::Test {
 protected:
  // (Re)starts it on the same files, as a restart of the program would.
  void Cria(bool leiaute310, int consultasEmProcessamento, autoridade::FalhasSimulador falhas = {},
            autoridade::SimuladorAutoridade::Relogio relogio = nullptr) {
    autoridade::ConfiguracaoSimulador c;
    c.leiaute310 = leiaute310;
    c.consultasEmProcessamento = consultasEmProcessamento;
    c.falhas = falhas;
    c.banco = pasta_.Caminho() / "autoridade.sqlite";
    c.arquivoControle = pasta_.Caminho() / "controle.txt";
    sim_.reset();
    sim_ = std::make_unique<autoridade::SimuladorAutoridade>(c, relogio);
  }
  // The answer message, checked as PedeAoSimulador does.
  std::string Pede(autoridade::ServicoNFe servico, const std::string& mensagem,
                   autoridade::Leiaute leiaute = autoridade::Leiaute::V310, const char* autorizador = "",
                   const char* esquema = nullptr) {
    return PedeAoSimulador(*sim_, autoridade::Descricao(servico, leiaute), mensagem, autorizador, esquema);
  }
  void Controle(const std::string& texto) { GravarTudo(pasta_.Caminho() / "controle.txt", texto); }

  PastaTemporaria pasta_;
  std::unique_ptr<autoridade::SimuladorAutoridade> sim_;
};

}  // namespace velant::teste
