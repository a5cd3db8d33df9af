// An answer that is not believed stores nothing: the invoice's row keeps
// what it had, no distribution file is written, and the request's message
// names the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "component/recusa_resposta.h"
#include "lifecycle/apoio_emissao.h"
#include "lifecycle/processa_nfe.h"

namespace velant {
namespace {

using teste::AmbienteEmissao;
using teste::AutoridadeFalsa;
using teste::ChaveNFe;

const std::string kChave = ChaveNFe();
const std::string kOutraChave = MontaChaveAcesso("35", "15/01/2016", "11222333000181", 55, 1, 124, 1, 124);
const std::string kRecibo = "350000000000001";
const std::string kProtocolo = "130000000000001";   // the first the authority gives
const std::string kRegistrado = "130000000000077";  // on the row from an earlier request

struct CasoRecusa {
  const char* nome;
  std::function<void(AutoridadeFalsa&)> prepara;
  int etapaAnterior;        // -1: no row, a first request
  const char* recusa;       // "" for the genuine answer
  int etapa;                // the row's afterwards
  const char* protocolo;    // the row's afterwards
};
void PrintTo(const CasoRecusa& c, std::ostream* os) { *os << c.nome; }

class RespostaRecusada : public AmbienteEmissao, public ::testing::WithParamInterface<CasoRecusa> {};

TEST_P(RespostaRecusada, NadaEGravado) {
  const auto& c = GetParam();
  if (c.etapaAnterior >= 0) {
    ASSERT_EQ(autoridade.Recebe(kChave), kRecibo);
    Movimento(c.etapaAnterior, kChave, kRecibo, kRegistrado);
  }
  c.prepara(autoridade);
  Prepara();
  const bool genuino = *c.recusa == '\0';
  EXPECT_EQ(ProcessaNFeAzure(a.ctx), genuino) << a.ArquivoLog();
  auto m = Movimento();
  EXPECT_EQ(m.etapa, c.etapa);
  EXPECT_EQ(CStr(Valor(m.protocolo)), c.protocolo);
  EXPECT_EQ(a.caminhos.Existe("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + kChave + "-procNFe.xml"), genuino);
  if (genuino) return;
  EXPECT_EQ(a.atual.MensagemRetorno, c.recusa);
  EXPECT_TRUE(NoLog(std::string("      ** ") + c.recusa)) << a.ArquivoLog();
  EXPECT_NE(std::find(mensagens.begin(), mensagens.end(), std::string("** ") + c.recusa), mensagens.end());
  EXPECT_EQ(std::count(autoridade.chamadas.begin(), autoridade.chamadas.end(), "GeraDistribuicao " + kChave), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RespostaRecusada,
    ::testing::Values(
        CasoRecusa{"Genuina", [](AutoridadeFalsa&) {}, -1, "", 3, "130000000000001"},
        CasoRecusa{"SituacaoComProtocoloDeOutraChave",
                   [](AutoridadeFalsa& aut) {
                     aut.situacao = [](const std::string&) { return teste::SituacaoAutorizada(kOutraChave, kProtocolo); };
                   },
                   -1, kRecusaOutraChave, 2, "0"},
        CasoRecusa{"SituacaoQueOComponenteRecusou",
                   [](AutoridadeFalsa& aut) {
                     aut.situacao = [](const std::string& chave) {
                       RespostaSituacao r = teste::SituacaoAutorizada(chave, kProtocolo);
                       r.protocolo->recusa = kRecusaAssinatura;
                       return r;
                     };
                   },
                   -1, kRecusaAssinatura, 2, "0"},
        // The row already holds a protocol (its distribution file failed): another number is not taken.
        CasoRecusa{"SituacaoComOutroProtocolo", [](AutoridadeFalsa&) {}, 2, kRecusaOutroProtocolo, 2,
                   "130000000000077"},
        CasoRecusa{"LoteComProtocoloDeOutraChave",
                   [](AutoridadeFalsa& aut) {
                     aut.respostasLote = {teste::LoteProcessado(
                         kRecibo, teste::Protocolo(kOutraChave, "100", "Autorizado o uso da NF-e", kProtocolo))};
                   },
                   -1, kRecusaOutraChave, 1, "0"},
        CasoRecusa{"LoteQueOComponenteRecusou",
                   [](AutoridadeFalsa& aut) {
                     ProtocoloNFe p = teste::Protocolo(kChave, "100", "Autorizado o uso da NF-e", kProtocolo);
                     p.recusa = kRecusaOutroDocumento;
                     aut.respostasLote = {teste::LoteProcessado(kRecibo, p)};
                   },
                   -1, kRecusaOutroDocumento, 1, "0"}),
    [](const auto& info) { return std::string(info.param.nome); });

// A duplicate whose authorisation is not believed: the row keeps its key.
TEST_F(AmbienteEmissao, DuplicidadeComAutorizacaoRecusadaNaoTrocaAChave) {
  const std::string anterior = ChaveNFe("15/02/2016");
  autoridade.Autoriza(anterior);
  autoridade.respostasLote = {teste::LoteProcessado(
      kRecibo, teste::Protocolo(kChave, "539",
                                "Rejeição: Duplicidade de NF-e com diferença na Chave de Acesso [chNFe:" + anterior +
                                    "][nRec:351000000000007]"))};
  autoridade.situacao = [](const std::string& chave) {
    RespostaSituacao r = teste::SituacaoAutorizada(chave, kProtocolo);
    r.protocolo->recusa = kRecusaAssinatura;
    return r;
  };
  Prepara();
  EXPECT_FALSE(ProcessaNFeAzure(a.ctx));
  auto m = Movimento();
  EXPECT_EQ(m.chave, kChave);
  EXPECT_EQ(m.etapa, 1);
  EXPECT_EQ(m.protocolo, 0);
  EXPECT_EQ(a.atual.MensagemRetorno, kRecusaAssinatura);
}

}  // namespace
}  // namespace velant
