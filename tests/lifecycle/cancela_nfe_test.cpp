#include "lifecycle/cancela_nfe.h"

#include <gtest/gtest.h>

#include "component/recusa_resposta.h"
#include "component/servico_documento_fiscal.h"
#include "movimento_saida.h"

namespace velant {
namespace {

using teste::Retorno;
using Tabela = std::vector<std::vector<int64_t>>;

const std::string kChave = "35160111222333000181550010000001231000001234";
const std::string kProtocoloEvento = "135260000000042";
const char* const kJustificativa = "Cancelamento por erro de digitacao 101 218";
const RespostaRegistro kRegistrado = Retorno("135", "Evento registrado e vinculado a NF-e", kProtocoloEvento);

class Cancelamento : public teste::MovimentoSaida {
 protected:
  void LinhaDoAC(int empresa = 1, const std::string& serie = "1") {
    Executa("INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (" +
            std::to_string(empresa) + ", '" + serie + "', '" + kChave + "')");
  }
  // [Numero do Protocolo] and [Etapa Concluida] of the rows, by company and series.
  Tabela Linha() {
    return Linhas("SELECT [Numero do Protocolo], [Etapa Concluida] FROM MovimentoNFeSaidaCancelada "
                  "ORDER BY Empresa, Serie");
  }
  bool Cancela(const std::string& numero = "123") {
    return CancelaNFe(a.ctx, numero, kChave, "1", "135160000000001", kJustificativa);
  }
};

// The answer decides by its status code and protocol; digits in its reason
// (a justification echoed) decide nothing. (Cancelled, cancelled again with
// its protocol kept, 222 and no row: tests/ponta/casos/cancelamento.caso.)
// Only the row of the request's company and series is written.
TEST_F(Cancelamento, GravaOProtocoloSoPeloCodigo) {
  // texto: in the log and in the box of a failure
  // protocolo: in the row afterwards (0: untouched)
  const struct { RespostaRegistro resposta; std::string texto; bool cancelada; int64_t protocolo; } casos[] = {
      {kRegistrado, "135 - Evento registrado e vinculado a NF-e - Protocolo: " + kProtocoloEvento, true, 135260000000042},
      {Retorno("155", "Cancelamento homologado fora de prazo", "135260000000043"), "155 - Cancelamento homologado fora de prazo - Evento registrado e vinculado a NF-e - Protocolo: 135260000000043", true, 135260000000043},
      {Retorno("218", "Rejeição: NF-e já está cancelada na base de dados da SEFAZ [nProt:135160000000001][dhCanc:2016-01-15T11:00:00-02:00]"), "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ", true, 1111},
      {Retorno("573", "Rejeição: Duplicidade de Evento"), "573 - Rejeição: Duplicidade de Evento", true, 1111},
      // The old cancellation service's code: the event service never answers it.
      {Retorno("101", "Cancelamento de NF-e homologado"), "101 - Rejeição: evento não registrado", false, 0},
      {Retorno("215", "Rejeição: Falha no schema XML (xJust: NF 101 cancelada 218 antes 102)"), "215 - Rejeição: evento não registrado", false, 0},
      {Retorno("135", "Evento registrado e vinculado a NF-e", "13526"), "135 - Rejeição: evento não registrado", false, 0},
      {Retorno("2180", "Rejeição: outra"), "2180 - Rejeição: evento não registrado", false, 0},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.texto);
    conexao->ExecutaSql("DELETE FROM MovimentoNFeSaidaCancelada");
    const size_t caixas = a.ui.Caixas().size();
    chamadas.clear();
    resposta = c.resposta;
    LinhaDoAC(1, "1");
    LinhaDoAC(1, "2");
    LinhaDoAC(2, "2");
    a.atual.CodigoEmpresa = 2;
    a.atual.SerieAtual = "2";
    EXPECT_EQ(Cancela(), c.cancelada);
    EXPECT_EQ(Linha(), (Tabela{{0, 0}, {0, 0}, {c.protocolo, c.cancelada ? 3 : 0}}));
    EXPECT_TRUE(NoLog("      Resultado: " + c.texto));
    EXPECT_TRUE(a.ui.Eventos().empty());   // the result line goes to the file only
    EXPECT_EQ(Caixas(caixas), c.cancelada ? std::vector<std::string>{}
                                    : std::vector<std::string>{"Erro ao cancelar nfe. Retorno! \r\n" + c.texto});
    // The number in seven digits.
    EXPECT_EQ(chamadas, std::vector<std::string>{"EventoCancelamento(0000123|" + kChave + "|1|135160000000001|" +
                                                 kJustificativa + ")"});
  }
}

TEST_F(Cancelamento, NumeroQueNaoConverteNaoChamaOComponente) {
  EXPECT_THROW(Cancela("12A"), ErroExecucao);
  EXPECT_TRUE(chamadas.empty());
}

// An event the schema in place refuses for the key's letters: the request's
// answer says so instead of the fixed text; any other error does not.
TEST_F(Cancelamento, EsquemaSemCnpjAlfanumericoEOMotivoDaResposta) {
  for (const std::string& motivo : {std::string(kEventoSemCnpjAlfanumerico), std::string()}) {
    struct Recusa : teste::ComponenteInesperado {
      std::string descricao;
      RespostaRegistro EventoCancelamento(S, S, S, S, S) override { throw ErroExecucao(CodigoErro::ErroComponente, descricao); }
    };
    a.ctx.CriaFiscalDocService = [&] {
      auto c = std::make_unique<Recusa>();
      c->descricao = motivo.empty() ? "Mensagem envEvento fora do esquema" : motivo + ": NF-e " + kChave;
      return c;
    };
    a.atual.MotivoFalha.clear();
    EXPECT_THROW(Cancela(), ErroExecucao);
    EXPECT_EQ(a.atual.MotivoFalha, motivo);
  }
}

// An event answer that is not believed records nothing: no protocol, no
// step, and the reason in the message (no box: there is nothing to retry).
TEST_F(Cancelamento, RespostaRecusadaNaoGravaNada) {
  resposta = kRegistrado;
  resposta.chNFe = "35160111222333000181550010000001241000001240";
  LinhaDoAC();
  EXPECT_FALSE(Cancela());
  EXPECT_EQ(Linha(), (Tabela{{0, 0}}));
  EXPECT_EQ(a.atual.MensagemRetorno, kRecusaOutraChave);
  EXPECT_TRUE(NoLog(std::string("      ** ") + kRecusaOutraChave)) << a.ArquivoLog();
  EXPECT_TRUE(Caixas().empty());
}

// A quote in the series does not escape the statement.
TEST_F(Cancelamento, SerieComAspasNaoAtualizaNada) {
  LinhaDoAC();
  resposta = kRegistrado;
  a.atual.SerieAtual = "1' OR '1'='1";
  EXPECT_FALSE(Cancela());
  EXPECT_EQ(Caixas(), std::vector<std::string>{"Inconsistência na atualização do Cancelamento da NF-e"});
  EXPECT_EQ(Linha(), (Tabela{{0, 0}}));
}

}  // namespace
}  // namespace velant
