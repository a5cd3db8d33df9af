// The request's answer is the outcome of the last step that ran: a step that
// fails leaves its own reason, never what an earlier step said.
#include <gtest/gtest.h>

#include <functional>

#include "lifecycle/apoio_emissao.h"
#include "lifecycle/processa_nfe.h"

namespace velant {
namespace {

using teste::AmbienteEmissao;
using teste::AutoridadeFalsa;

struct CasoMensagem {
  const char* nome;
  std::function<void(AutoridadeFalsa&, teste::ConexaoRegistrada&)> prepara;
  const char* mensagem;
};
void PrintTo(const CasoMensagem& c, std::ostream* os) { *os << c.nome; }

class MensagemDoUltimoPasso : public AmbienteEmissao, public ::testing::WithParamInterface<CasoMensagem> {};

TEST_P(MensagemDoUltimoPasso, NaoFicaARespostaAnterior) {
  const auto& c = GetParam();
  c.prepara(autoridade, *conexao);
  Prepara();
  EXPECT_FALSE(ProcessaNFeAzure(a.ctx));
  EXPECT_EQ(a.atual.MensagemRetorno, c.mensagem) << a.ArquivoLog();
}

[[noreturn]] void SemResposta() {
  throw ErroExecucao(CodigoErro::ErroComponente, "retorno da autoridade malformado");
}

INSTANTIATE_TEST_SUITE_P(
    Casos, MensagemDoUltimoPasso,
    ::testing::Values(
        // The batch was authorised; the situation answer could not be read.
        CasoMensagem{"SituacaoMalformada",
                     [](AutoridadeFalsa& aut, auto&) {
                       aut.situacao = [](const std::string&) -> RespostaSituacao { SemResposta(); };
                     },
                     "Situação da NFe não confirmada"},  // not the leftover "100 - Autorizado o uso da NF-e"
        // The authority answered 100 after a round in processing; the step was not recorded.
        CasoMensagem{"EtapaDoisNaoGravada",
                     [](AutoridadeFalsa& aut, teste::ConexaoRegistrada& banco) {
                       aut.respostasLote = {teste::RespostaSo("105", "Lote em processamento")};
                       banco.falhaSeContem = "[Etapa Concluida] = 2";
                     },
                     "Erro ao registrar a etapa 2 da NFe"},  // not the leftover "105 - Lote em processamento"
        // The batch was received; its query got no answer.
        CasoMensagem{"ConsultaDoLoteSemResposta",
                     [](AutoridadeFalsa& aut, auto&) {
                       aut.consultaLote = [](const std::string&) -> RespostaLote { SemResposta(); };
                     },
                     "retorno da autoridade malformado"},  // not the leftover "Não foi possível enviar o lote"
        CasoMensagem{"ReciboNaoGravado",
                     [](AutoridadeFalsa&, teste::ConexaoRegistrada& banco) {
                       banco.falhaSeContem = "[Numero da Recepcao] =";
                     },
                     "Erro ao registrar o recibo do lote"},  // not the leftover "Não foi possível enviar o lote"
        CasoMensagem{"ReciboInvalido",
                     [](AutoridadeFalsa& aut, auto&) {
                       aut.envio = [](const std::string&) { return teste::LoteRecebido("35100000000001"); };
                     },
                     "Recibo inválido no retorno do envio do lote"}),  // not the leftover "Não foi possível enviar o lote"
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace velant
