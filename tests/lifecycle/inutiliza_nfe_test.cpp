#include "lifecycle/inutiliza_nfe.h"

#include <gtest/gtest.h>

#include "base/texto.h"
#include "component/recusa_resposta.h"
#include "movimento_saida.h"

namespace velant {
namespace {

using teste::Retorno;
using Tabela = std::vector<std::vector<int64_t>>;

const char* const kHomologada = "Inutilização de número homologado";
const RespostaRegistro kRespostaHomologada = Retorno("102", kHomologada, "135240000000007");

class Inutilizacao : public teste::MovimentoSaida {
 protected:
  Inutilizacao() { a.atual.NumeroAtual = 77; }
  void LinhaDoAC(int empresa = 1, const std::string& serie = "1", int numero = 77) {
    Executa("INSERT INTO MovimentoNFeSaidaInutilizada (Empresa, Serie, Numero) VALUES (" + std::to_string(empresa) +
            ", '" + serie + "', " + std::to_string(numero) + ")");
  }
  // Company, number and [Etapa Concluida] of every row, by company, series and number.
  Tabela Etapas() {
    return Linhas("SELECT Empresa, Numero, [Etapa Concluida] FROM MovimentoNFeSaidaInutilizada "
                  "ORDER BY Empresa, Serie, Numero");
  }
  bool Inutiliza() { return InutilizaNFe(a.ctx, "24", "77", "78", "Numeracao 102 pulada por falha"); }
};

// Decided by the code; the message keeps 50 whole characters of the reason
// (accented letters before and at the cut), whatever the request before left.
// (102, 563 and 213 through the Host: tests/ponta/casos/inutilizacao.caso.)
// Only the row of the request's company, series and number is written.
TEST_F(Inutilizacao, DecidePeloCodigoEDeixaAMensagem) {
  const std::string jaInutilizada = " - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ";
  // texto: in the log
  const struct { RespostaRegistro resposta; std::string texto; bool inutilizada; std::string mensagem; } casos[] = {
      {kRespostaHomologada, "102 - Inutilização de número homologado - Protocolo: 135240000000007", true, kHomologada},
      {Retorno("256", "Rejeição: Uma NF-e da faixa já está inutilizada na Base de dados da SEFAZ"), "256" + jaInutilizada, true, kHomologada},
      {Retorno("241", "Rejeição: Um número da faixa já foi utilizado"), "241 - Rejeição: Um número da faixa já foi utilizado", false, "Um número da faixa já foi utilizado"},
      {Retorno("999", "Rejeição: Numeração já utilizada em homologação pela série informada"), "999 - Rejeição: Numeração já utilizada em homologação pela série informada", false, "Numeração já utilizada em homologação pela série i"},
      {Retorno("999", "Rejeição: Inutilização não homologada, divergência informação da série"), "999 - Rejeição: Inutilização não homologada, divergência informação da série", false, "Inutilização não homologada, divergência informaçã"},
      // An answer that could be read as voided, to a reader of the text, says plainly it is not.
      {Retorno("215", "Rejeição: Falha no schema XML (xJust: Numeracao 102 pulada)"), "215 - Rejeição: inutilização não homologada", false, "inutilização não homologada"},
      {Retorno("108", "Serviço Paralisado Momentaneamente (curto prazo)"), "108 - Rejeição: Serviço Paralisado Momentaneamente (curto prazo)", false, "Serviço Paralisado Momentaneamente (curto prazo)"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.texto);
    conexao->ExecutaSql("DELETE FROM MovimentoNFeSaidaInutilizada");
    LinhaDoAC(1, "1", 77);
    LinhaDoAC(1, "1", 78);
    LinhaDoAC(1, "2", 77);
    LinhaDoAC(2, "1", 77);
    chamadas.clear();
    a.atual.MensagemRetorno = "107 - Servico em Operacao";
    resposta = c.resposta;
    EXPECT_EQ(Inutiliza(), c.inutilizada);
    EXPECT_EQ(a.atual.MensagemRetorno, c.mensagem);
    EXPECT_EQ(Etapas(), (Tabela{{1, 77, c.inutilizada ? 3 : 0}, {1, 78, 0}, {1, 77, 0}, {2, 77, 0}}));
    EXPECT_TRUE(NoLog("      Resultado: " + c.texto));
    EXPECT_EQ(chamadas, std::vector<std::string>{"InutilizaNumeracao(24|77|78|Numeracao 102 pulada por falha)"});
  }
  EXPECT_TRUE(a.ui.Eventos().empty());   // the result line goes to the file only
  EXPECT_TRUE(Caixas().empty());
}

// A voiding answer that is not believed records nothing.
TEST_F(Inutilizacao, RespostaRecusadaNaoGravaNada) {
  resposta = kRespostaHomologada;
  resposta.recusa = kRecusaAssinatura;
  LinhaDoAC();
  EXPECT_FALSE(Inutiliza());
  EXPECT_EQ(Etapas(), (Tabela{{1, 77, 0}}));
  EXPECT_EQ(a.atual.MensagemRetorno, kRecusaAssinatura);
  EXPECT_TRUE(NoLog(std::string("      ** ") + kRecusaAssinatura)) << a.ArquivoLog();
  EXPECT_TRUE(Caixas().empty());
}

// A quote in the series does not escape the statement.
TEST_F(Inutilizacao, SerieComAspasNaoAtualizaNada) {
  LinhaDoAC();
  resposta = kRespostaHomologada;
  a.atual.SerieAtual = "1' OR '1'='1";
  EXPECT_FALSE(Inutiliza());
  EXPECT_EQ(Caixas(), std::vector<std::string>{"Inconsistência na atualização do Cancelamento da NF-e"});
  EXPECT_EQ(Etapas(), (Tabela{{1, 77, 0}}));
}

}  // namespace
}  // namespace velant
