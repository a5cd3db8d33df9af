// The request record on the real engines: what reaches the table and what
// comes back, on SQLite and on PostgreSQL.
#include <gtest/gtest.h>

#include <string>

#include "apoio_dados.h"
#include "base/regional.h"
#include "data/solicitacao_funcao_nfe.h"

namespace velant::data {
namespace {

using teste::Descreve;
using teste::Motor;

class SolicitacaoNoBanco : public ::testing::TestWithParam<Motor> {
 protected:
  teste::BancoAberto banco{GetParam()};
  cSolicitacaoFuncaoNFe s{*banco.conexao, banco.host, banco.raiz.ui};

  cSolicitacaoFuncaoNFe Nova() { return cSolicitacaoFuncaoNFe(*banco.conexao, banco.host, banco.raiz.ui); }
};

TEST_P(SolicitacaoNoBanco, IncluirAndLocalizarCodigoRoundTripEveryColumn) {
  teste::PreencheTudo(s);
  ASSERT_TRUE(s.Incluir());
  cSolicitacaoFuncaoNFe lido = Nova();
  ASSERT_TRUE(lido.LocalizarCodigo(1234));
  EXPECT_EQ(Descreve(lido), Descreve(s));
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

TEST_P(SolicitacaoNoBanco, IncluirWithZeroTimesStoresNull) {
  s.NSU(5);
  ASSERT_TRUE(s.Incluir());
  for (const char* c : {"Data da Solicitacao", "Hora da Solicitacao", "Hora da Analise", "Hora da Aprovacao",
                        "Hora Cancelamento Host", "Hora da Confirmacao AC", "Hora do Cancelamento AC"}) {
    EXPECT_TRUE(banco.Coluna(5, c).ENulo()) << c;
  }
  EXPECT_EQ(s.LocalizarAnalise(""), 5);
  EXPECT_FALSE(s.Incluir()) << "NSU repetido";
}

TEST_P(SolicitacaoNoBanco, FindersSkipRowsWithAnyStamp) {
  int32_t nsu = 1;
  for (const char* c : {"Hora do Cancelamento AC", "Hora da Confirmacao AC", "Hora Cancelamento Host",
                        "Hora da Analise", "Hora da Aprovacao"}) {
    ASSERT_TRUE(banco.Inclui(nsu, "10.0.0.5"));
    banco.Executa("UPDATE SolicitacaoFuncaoNFe SET [" + std::string(c) + "] = '10:00:00' WHERE NSU = " +
                  std::to_string(nsu++));
  }
  EXPECT_EQ(s.LocalizarAnalise("10.0.0.5"), 0);
  EXPECT_EQ(s.LocalizarAnalise("127.0.0.1"), 0);

  ASSERT_TRUE(banco.Inclui(9, "10.0.0.6"));
  ASSERT_TRUE(banco.Inclui(8, "10.0.0.5"));
  const std::pair<const char*, int32_t> porIP[] = {{"10.0.0.5", 8},  {"10.0.0.6", 9}, {"10.0.0.7", 0},
                                                   {"127.0.0.1", 8}, {"", 8},         {"10.0.0.5' OR ''='", 0}};
  for (const auto& [ip, esperado] : porIP) EXPECT_EQ(s.LocalizarAnalise(ip), esperado) << ip;

  // Open rows missing the analysis or the approval stamp: 4 (claimed only), 5 (approved only), then 8.
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 4);
  banco.Executa("UPDATE SolicitacaoFuncaoNFe SET [Hora da Aprovacao] = '10:00:01' WHERE NSU = 4");
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 5);
  banco.Executa("UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = '10:00:01' WHERE NSU = 5");
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 8);
}

TEST_P(SolicitacaoNoBanco, ASecondClaimFailsAndKeepsTheFirstEvenAtMidnight) {
  ASSERT_TRUE(banco.Inclui(4, "a"));
  banco.host.VersaoSistema = "6.07.01.1";
  EXPECT_TRUE(s.DefineHoraAnalise(4, DataHora::Hora(10, 0, 1)));
  banco.host.VersaoSistema = "outra";
  EXPECT_FALSE(s.DefineHoraAnalise(4, DataHora::Hora(10, 0, 2)));
  EXPECT_EQ(CDate(banco.Coluna(4, "Hora da Analise")), DataHora::Hora(10, 0, 1));
  EXPECT_EQ(banco.Coluna(4, "Versao Host").Texto(), "6.07.01.1");
  EXPECT_FALSE(s.DefineHoraAnalise(404, DataHora::Hora(10, 0, 2))) << "NSU inexistente";

  ASSERT_TRUE(banco.Inclui(7, "a"));
  EXPECT_TRUE(s.DefineHoraAnalise(7, DataHora()));
  EXPECT_FALSE(banco.Coluna(7, "Hora da Analise").ENulo());
  EXPECT_EQ(s.LocalizarAnalise("a"), 0);
  EXPECT_FALSE(s.DefineHoraAnalise(7, DataHora::Hora(0, 0, 1)));
}

TEST_P(SolicitacaoNoBanco, AnswerStampsAreGuardedAndKeepTheirMessages) {
  ASSERT_TRUE(banco.Inclui(6, "a"));
  const std::string longa(120, 'x');
  const std::string comAcentos = "Rejeição: ção ç 'aspas' [nRec:351000012345678] e mais texto até passar de cinquenta";
  EXPECT_TRUE(s.DefineHoraAprovacaoHost(6, DataHora::Hora(11, 0, 0), longa));
  EXPECT_EQ(banco.Coluna(6, "Mensagem").Texto(), longa);
  EXPECT_FALSE(s.DefineHoraAprovacaoHost(6, DataHora::Hora(11, 0, 1), "segunda"));
  EXPECT_EQ(banco.Coluna(6, "Mensagem").Texto(), longa);

  ASSERT_TRUE(banco.Inclui(16, "a"));
  EXPECT_TRUE(s.DefineHoraCancelamentoHost(16, DataHora::Hora(12, 0, 0), comAcentos));
  EXPECT_EQ(banco.Coluna(16, "Mensagem").Texto(), "Rejeição: ção ç 'aspas' [nRec:351000012345678] e m");
  EXPECT_FALSE(s.DefineHoraCancelamentoHost(16, DataHora::Hora(12, 0, 1), "segunda"));

  EXPECT_TRUE(s.DefineMensagem(6, comAcentos));
  EXPECT_EQ(banco.Coluna(6, "Mensagem").Texto(), comAcentos);
  EXPECT_FALSE(s.DefineMensagem(404, "x"));
}

// A request is answered once: whichever answer comes second (a Host that
// finishes a request another Host gave up, or gives up one it finished) is
// refused and leaves the row as the first answer wrote it.
TEST_P(SolicitacaoNoBanco, ARowNeverCarriesBothAnswers) {
  const struct {
    const char* nome;
    bool aprovadaPrimeiro;
  } casos[] = {{"aprovada, depois cancelada", true}, {"cancelada, depois aprovada", false}};
  int32_t nsu = 40;
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    ASSERT_TRUE(banco.Inclui(++nsu, "a"));
    ASSERT_TRUE(s.DefineHoraAnalise(nsu, DataHora::Hora(9, 0, 0)));
    const auto aprova = [&] { return s.DefineHoraAprovacaoHost(nsu, DataHora::Hora(9, 0, 5), "aprovada"); };
    const auto cancela = [&] { return s.DefineHoraCancelamentoHost(nsu, DataHora::Hora(9, 0, 6), "cancelada"); };
    EXPECT_TRUE(c.aprovadaPrimeiro ? aprova() : cancela());
    EXPECT_FALSE(c.aprovadaPrimeiro ? cancela() : aprova());
    EXPECT_EQ(banco.Coluna(nsu, "Hora da Aprovacao").ENulo(), !c.aprovadaPrimeiro);
    EXPECT_EQ(banco.Coluna(nsu, "Hora Cancelamento Host").ENulo(), c.aprovadaPrimeiro);
    EXPECT_EQ(banco.Coluna(nsu, "Mensagem").Texto(), c.aprovadaPrimeiro ? "aprovada" : "cancelada");
  }
}

// The claim names the Host run that holds the row; a program without an id
// (the front end's tools) leaves the column empty.
TEST_P(SolicitacaoNoBanco, TheClaimNamesTheHostThatHoldsTheRow) {
  const struct {
    int64_t id;
    bool nulo;
  } casos[] = {{4611686018427387903, false}, {7, false}, {0, true}};
  int32_t nsu = 50;
  for (const auto& c : casos) {
    SCOPED_TRACE(c.id);
    banco.host.IdHost = c.id;
    ASSERT_TRUE(banco.Inclui(++nsu, "a"));
    ASSERT_TRUE(s.DefineHoraAnalise(nsu, DataHora::Hora(9, 0, 0)));
    const Valor host = banco.Coluna(nsu, "Host da Analise");
    ASSERT_EQ(host.ENulo(), c.nulo);
    if (!c.nulo) {
      EXPECT_EQ(CLngLng(host), c.id);
    }
  }
}

TEST_P(SolicitacaoNoBanco, LocalizarCodigoOfAMissingRowChangesNothingAndNullsLoadAsEmptyValues) {
  ASSERT_TRUE(banco.Inclui(12, "10.9.9.9"));
  ASSERT_TRUE(s.LocalizarCodigo(12));
  const std::string antes = Descreve(s);
  EXPECT_FALSE(s.LocalizarCodigo(13));
  EXPECT_EQ(Descreve(s), antes);
  EXPECT_EQ(s.IPComputadorAC(), "10.9.9.9");
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());

  // An AC that writes only some columns leaves NULLs: nothing of request 12 may survive.
  banco.Executa("INSERT INTO SolicitacaoFuncaoNFe (NSU, [Codigo do Usuario], Texto, Mensagem) "
                "VALUES (21, NULL, 'novo', NULL)");
  ASSERT_TRUE(s.LocalizarCodigo(21));
  cSolicitacaoFuncaoNFe vazia = Nova();
  vazia.NSU(21);
  vazia.Texto("novo");
  EXPECT_EQ(Descreve(s), Descreve(vazia));
}

TEST_P(SolicitacaoNoBanco, AlterarAndExcluir) {
  ASSERT_TRUE(banco.Inclui(30, "a"));
  ASSERT_TRUE(s.LocalizarCodigo(30));
  s.NSU(31);
  s.Mensagem("alterado");
  s.HoraCancelamentoAC(DataHora::Hora(18, 30, 0));
  EXPECT_TRUE(s.Alterar(30));
  EXPECT_FALSE(s.LocalizarCodigo(30));
  ASSERT_TRUE(s.LocalizarCodigo(31));
  EXPECT_EQ(s.Mensagem(), "alterado");
  EXPECT_EQ(s.HoraCancelamentoAC(), DataHora::Hora(18, 30, 0));
  EXPECT_EQ(s.Texto(), "000-000 = STATUS SERVICO\r\n999-999 = FIM\r\n");
  EXPECT_FALSE(s.Alterar(30));
  EXPECT_TRUE(s.Excluir(31));
  EXPECT_FALSE(s.Excluir(31));
  EXPECT_FALSE(s.LocalizarCodigo(31));
}

INSTANTIATE_TEST_SUITE_P(Motores, SolicitacaoNoBanco, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant::data
