#include "lifecycle/cancela_nfe.h"

#include <gtest/gtest.h>

#include "movimento_saida.h"

namespace velant {
namespace {

const std::string kChave = "35160111222333000181550010000001231000001234";
const std::string kProtocoloEvento = "135260000000042";
const char* const kJustificativa = "Cancelamento por erro de digitacao 101 218";

class Cancelamento : public teste::MovimentoSaida {
 protected:
  void LinhaDoAC(int empresa = 1, const std::string& serie = "1") {
    Executa("INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (" +
            std::to_string(empresa) + ", '" + serie + "', '" + kChave + "')");
  }
  // [Numero do Protocolo] and [Etapa Concluida] of the row.
  std::vector<std::vector<int64_t>> Linha(int empresa = 1, const std::string& serie = "1") {
    return Linhas("SELECT [Numero do Protocolo], [Etapa Concluida] FROM MovimentoNFeSaidaCancelada WHERE Empresa = " +
                  std::to_string(empresa) + " AND Serie = '" + serie + "'");
  }
  bool Cancela(const std::string& numero = "123") {
    return CancelaNFe(a.ctx, numero, kChave, "1", "135160000000001", kJustificativa);
  }
};

// The component's answer decides by its status code; digits elsewhere in the
// text (a justification echoed, a protocol) decide nothing.
struct CasoCancelamento {
  const char* nome;
  std::string resposta;
  bool cancelada;
  int64_t protocolo;   // in the row afterwards (0: untouched)
  friend void PrintTo(const CasoCancelamento& c, std::ostream* os) { *os << c.nome; }
};

class RespostasCancelamento : public Cancelamento, public ::testing::WithParamInterface<CasoCancelamento> {};

TEST_P(RespostasCancelamento, GravaOProtocoloSoPeloCodigo) {
  const auto& c = GetParam();
  resposta = c.resposta;
  LinhaDoAC();
  EXPECT_EQ(Cancela(), c.cancelada);
  EXPECT_EQ(Linha(), (std::vector<std::vector<int64_t>>{{c.protocolo, c.cancelada ? 3 : 0}}));
  EXPECT_TRUE(NoArquivoLog("      Resultado: " + c.resposta)) << a.ArquivoLog();
  EXPECT_TRUE(a.ui.Eventos().empty());   // the result line goes to the file only
  if (c.cancelada) {
    EXPECT_TRUE(Caixas().empty());
  } else {
    EXPECT_EQ(Caixas(), std::vector<std::string>{"Erro ao cancelar nfe. Retorno! \r\n" + c.resposta});
  }
}

INSTANTIATE_TEST_SUITE_P(
    CancelaNFe, RespostasCancelamento,
    ::testing::Values(
        CasoCancelamento{"Registrado135", "135 - Evento registrado e vinculado a NF-e - Protocolo: " + kProtocoloEvento,
                         true, 135260000000042},
        CasoCancelamento{"ForaDePrazo155",
                         "155 - Cancelamento homologado fora de prazo - Evento registrado e vinculado a NF-e - "
                         "Protocolo: 135260000000043",
                         true, 135260000000043},
        CasoCancelamento{"JaCancelada218", "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ", true,
                         1111},
        CasoCancelamento{"EventoDuplicado573", "573 - Rejeição: Duplicidade de Evento", true, 1111},
        CasoCancelamento{"ProtocoloErrado222",
                         "222 - Rejeição: Protocolo de Autorização de Uso difere do cadastrado", false, 0},
        CasoCancelamento{"ForaDoPrazo220", "220 - Rejeição: Prazo de Cancelamento superior ao previsto na Legislação",
                         false, 0},
        // The old cancellation service's code: the event service never answers it.
        CasoCancelamento{"CodigoDoServicoAntigo101", "101 - Cancelamento de NF-e homologado", false, 0},
        CasoCancelamento{"DigitosNaJustificativa",
                         "215 - Rejeição: Falha no schema XML (xJust: NF 101 cancelada 218 antes 102)", false, 0},
        CasoCancelamento{"TextoDeRegistroSemCodigo",
                         "Evento registrado e vinculado a NF-e 101 - Protocolo: 135260000000044", false, 0},
        CasoCancelamento{"RegistradoSemProtocolo", "135 - Evento registrado e vinculado a NF-e - Protocolo: 13526",
                         false, 0},
        CasoCancelamento{"CodigoColadoAoTexto", "2180 - Rejeição: outra", false, 0},
        CasoCancelamento{"Vazio", "", false, 0}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Cancelamento, ChamaOComponenteComONumeroEmSeteDigitos) {
  resposta = "135 - Evento registrado e vinculado a NF-e - Protocolo: " + kProtocoloEvento;
  LinhaDoAC();
  ASSERT_TRUE(Cancela("123"));
  EXPECT_EQ(chamadas, std::vector<std::string>{"EventoCancelamento(0000123|" + kChave + "|1|135160000000001|" +
                                               kJustificativa + ")"});
}

TEST_F(Cancelamento, NumeroQueNaoConverteNaoChamaOComponente) {
  resposta = "135 - Evento registrado e vinculado a NF-e - Protocolo: " + kProtocoloEvento;
  EXPECT_THROW(Cancela("12A"), ErroExecucao);
  EXPECT_TRUE(chamadas.empty());
}

// Asked again after it was recorded: approved, and the event's protocol is
// not lost to the fixed 1111.
TEST_F(Cancelamento, JaCanceladaMantemOProtocoloGravado) {
  LinhaDoAC();
  Executa("UPDATE MovimentoNFeSaidaCancelada SET [Numero do Protocolo] = 135260000000042, [Etapa Concluida] = 3");
  for (const char* r : {"218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ",
                        "573 - Rejeição: Duplicidade de Evento"}) {
    resposta = r;
    EXPECT_TRUE(Cancela()) << r;
    EXPECT_EQ(Linha(), (std::vector<std::vector<int64_t>>{{135260000000042, 3}})) << r;
  }
}

// Registered or already cancelled at the authority, but the front end made
// no row for it: false, with the inconsistency message.
TEST_F(Cancelamento, SemLinhaDoACDaInconsistencia) {
  for (const std::string& r : {"135 - Evento registrado e vinculado a NF-e - Protocolo: " + kProtocoloEvento,
                              std::string("218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ")}) {
    resposta = r;
    a.ui.ResponderProximaCaixa(vbOK);
    EXPECT_FALSE(Cancela()) << r;
  }
  EXPECT_EQ(Caixas(), std::vector<std::string>(2, "Inconsistência na atualização do Cancelamento da NF-e"));
}

// Only the row of the request's company and series is written.
TEST_F(Cancelamento, AtualizaSoALinhaDaEmpresaEDaSerie) {
  LinhaDoAC(1, "1");
  LinhaDoAC(1, "2");
  LinhaDoAC(2, "2");
  a.atual.CodigoEmpresa = 2;
  a.atual.SerieAtual = "2";
  resposta = "135 - Evento registrado e vinculado a NF-e - Protocolo: " + kProtocoloEvento;
  ASSERT_TRUE(Cancela());
  EXPECT_EQ(Linha(2, "2"), (std::vector<std::vector<int64_t>>{{135260000000042, 3}}));
  EXPECT_EQ(Linha(1, "2"), (std::vector<std::vector<int64_t>>{{0, 0}}));
  EXPECT_EQ(Linha(1, "1"), (std::vector<std::vector<int64_t>>{{0, 0}}));
}

TEST_F(Cancelamento, AspaNaSerieNaoEscapaDoTexto) {
  LinhaDoAC();
  a.atual.SerieAtual = "1' OR '1'='1";
  resposta = "135 - Evento registrado e vinculado a NF-e - Protocolo: " + kProtocoloEvento;
  EXPECT_FALSE(Cancela());
  EXPECT_EQ(Linha(), (std::vector<std::vector<int64_t>>{{0, 0}}));
  EXPECT_EQ(Caixas(), std::vector<std::string>{"Inconsistência na atualização do Cancelamento da NF-e"});
}

}  // namespace
}  // namespace velant
