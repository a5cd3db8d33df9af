#include "lifecycle/inutiliza_nfe.h"

#include <gtest/gtest.h>

#include "base/texto.h"
#include "component/recusa_resposta.h"
#include "movimento_saida.h"

namespace velant {
namespace {

const char* const kHomologada = "Inutilização de número homologado";
const char* const kInconsistencia = "Inconsistência na atualização do Cancelamento da NF-e";

class Inutilizacao : public teste::MovimentoSaida {
 protected:
  Inutilizacao() {
    a.atual.NumeroAtual = 77;
    // What the request before this one left.
    a.atual.MensagemRetorno = "107 - Servico em Operacao";
  }
  void LinhaDoAC(int empresa = 1, const std::string& serie = "1", int numero = 77) {
    Executa("INSERT INTO MovimentoNFeSaidaInutilizada (Empresa, Serie, Numero) VALUES (" + std::to_string(empresa) +
            ", '" + serie + "', " + std::to_string(numero) + ")");
  }
  // [Etapa Concluida] of every row, by company, series and number.
  std::vector<std::vector<int64_t>> Etapas() {
    return Linhas("SELECT Empresa, Numero, [Etapa Concluida] FROM MovimentoNFeSaidaInutilizada "
                  "ORDER BY Empresa, Serie, Numero");
  }
  bool Inutiliza() { return InutilizaNFe(a.ctx, "24", "77", "77", "Numeracao 102 pulada por falha"); }
};

// The reasons below are past 50 characters with accented letters before and
// at the cut: the message keeps 50 whole characters.
struct CasoInutilizacao {
  const char* nome;
  RespostaRegistro resposta;
  std::string texto;   // in the log
  bool inutilizada;
  std::string mensagem;
  friend void PrintTo(const CasoInutilizacao& c, std::ostream* os) { *os << c.nome; }
};

class RespostasInutilizacao : public Inutilizacao, public ::testing::WithParamInterface<CasoInutilizacao> {};

TEST_P(RespostasInutilizacao, DecidePeloCodigoEDeixaAMensagem) {
  const auto& c = GetParam();
  resposta = c.resposta;
  LinhaDoAC();
  EXPECT_EQ(Inutiliza(), c.inutilizada);
  EXPECT_EQ(a.atual.MensagemRetorno, c.mensagem);
  EXPECT_TRUE(EUtf8Valido(a.atual.MensagemRetorno));
  EXPECT_EQ(Etapas(), (std::vector<std::vector<int64_t>>{{1, 77, c.inutilizada ? 3 : 0}}));
  EXPECT_TRUE(NoArquivoLog("      Resultado: " + c.texto)) << a.ArquivoLog();
  EXPECT_TRUE(a.ui.Eventos().empty());   // the result line goes to the file only
  EXPECT_TRUE(Caixas().empty());
}

using teste::Registro;
const char* const kJaInutilizada = " - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ";

INSTANTIATE_TEST_SUITE_P(
    InutilizaNFe, RespostasInutilizacao,
    ::testing::Values(
        CasoInutilizacao{"Homologada102", Registro("102", "Inutilização de número homologado", "135240000000007"),
                         "102 - Inutilização de número homologado - Protocolo: 135240000000007", true, kHomologada},
        CasoInutilizacao{"MesmaFaixa563",
                         Registro("563", "Rejeição: Já existe pedido de Inutilização com a mesma faixa de inutilização"),
                         std::string("563") + kJaInutilizada, true, kHomologada},
        CasoInutilizacao{"FaixaQueContem256",
                         Registro("256", "Rejeição: Uma NF-e da faixa já está inutilizada na Base de dados da SEFAZ"),
                         std::string("256") + kJaInutilizada, true, kHomologada},
        CasoInutilizacao{"NumeroInutilizado206",
                         Registro("206", "Rejeição: NF-e já está inutilizada na Base de dados da SEFAZ"),
                         std::string("206") + kJaInutilizada, true, kHomologada},
        CasoInutilizacao{"Rejeitada", Registro("241", "Rejeição: Um número da faixa já foi utilizado"),
                         "241 - Rejeição: Um número da faixa já foi utilizado", false,
                         "Um número da faixa já foi utilizado"},
        CasoInutilizacao{"MotivoLongoCortadoEmCaracteres",
                         Registro("213", "Rejeição: CNPJ-Base do Emitente difere do CNPJ-Base do Certificado Digital"),
                         "213 - Rejeição: CNPJ-Base do Emitente difere do CNPJ-Base do Certificado Digital", false,
                         "CNPJ-Base do Emitente difere do CNPJ-Base do Certi"},
        CasoInutilizacao{"CorteSobreLetraAcentuada",
                         Registro("999", "Rejeição: Numeração já utilizada em homologação pela série informada"),
                         "999 - Rejeição: Numeração já utilizada em homologação pela série informada", false,
                         "Numeração já utilizada em homologação pela série i"},
        CasoInutilizacao{"UltimoCaractereAcentuado",
                         Registro("999", "Rejeição: Inutilização não homologada, divergência informação da série"),
                         "999 - Rejeição: Inutilização não homologada, divergência informação da série", false,
                         "Inutilização não homologada, divergência informaçã"},
        // An answer that could be read as voided, to a reader of the text, says plainly it is not.
        CasoInutilizacao{"DigitosNaJustificativa",
                         Registro("215", "Rejeição: Falha no schema XML (xJust: Numeracao 102 pulada)"),
                         "215 - Rejeição: inutilização não homologada", false, "inutilização não homologada"},
        CasoInutilizacao{"SemPrefixoDeRejeicao",
                         Registro("108", "Serviço Paralisado Momentaneamente (curto prazo)"),
                         "108 - Rejeição: Serviço Paralisado Momentaneamente (curto prazo)", false,
                         "Serviço Paralisado Momentaneamente (curto prazo)"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Inutilizacao, PassaAsArgumentosAoComponente) {
  resposta = teste::Registro("102", "Inutilização de número homologado", "135240000000007");
  LinhaDoAC();
  ASSERT_TRUE(InutilizaNFe(a.ctx, "24", "77", "78", "Numeracao pulada por falha"));
  EXPECT_EQ(chamadas, std::vector<std::string>{"InutilizaNumeracao(24|77|78|Numeracao pulada por falha)"});
}

// Voided at the authority (now or before) but the front end made no row:
// false, with the inconsistency message; the answer says what the authority did.
TEST_F(Inutilizacao, SemLinhaDoACDaInconsistencia) {
  for (const char* codigo : {"102", "563"}) {
    resposta = teste::Registro(codigo, "Inutilização de número homologado", "135240000000007");
    EXPECT_FALSE(Inutiliza()) << codigo;
    EXPECT_EQ(a.atual.MensagemRetorno, kHomologada);
  }
  EXPECT_EQ(Caixas(), std::vector<std::string>(2, kInconsistencia));
}

// A voiding answer that is not believed records nothing.
TEST_F(Inutilizacao, RespostaRecusadaNaoGravaNada) {
  resposta = teste::Registro("102", "Inutilização de número homologado", "135240000000007");
  resposta.recusa = kRecusaAssinatura;
  LinhaDoAC();
  EXPECT_FALSE(Inutiliza());
  EXPECT_EQ(Etapas(), (std::vector<std::vector<int64_t>>{{1, 77, 0}}));
  EXPECT_EQ(a.atual.MensagemRetorno, kRecusaAssinatura);
  EXPECT_TRUE(NoArquivoLog(std::string("      ** ") + kRecusaAssinatura)) << a.ArquivoLog();
  EXPECT_TRUE(Caixas().empty());
}

// Only the row of the request's company, series and number is written.
TEST_F(Inutilizacao, AtualizaSoALinhaDaEmpresaSerieENumero) {
  LinhaDoAC(1, "1", 77);
  LinhaDoAC(1, "1", 78);
  LinhaDoAC(1, "2", 77);
  LinhaDoAC(2, "1", 77);
  resposta = teste::Registro("102", "Inutilização de número homologado", "135240000000007");
  ASSERT_TRUE(Inutiliza());
  EXPECT_EQ(Etapas(), (std::vector<std::vector<int64_t>>{{1, 77, 3}, {1, 78, 0}, {1, 77, 0}, {2, 77, 0}}));
}

TEST_F(Inutilizacao, AspaNaSerieNaoEscapaDoTexto) {
  LinhaDoAC();
  a.atual.SerieAtual = "1' OR '1'='1";
  resposta = teste::Registro("102", "Inutilização de número homologado", "135240000000007");
  EXPECT_FALSE(Inutiliza());
  EXPECT_EQ(Etapas(), (std::vector<std::vector<int64_t>>{{1, 77, 0}}));
  EXPECT_EQ(Caixas(), std::vector<std::string>{kInconsistencia});
}

}  // namespace
}  // namespace velant
