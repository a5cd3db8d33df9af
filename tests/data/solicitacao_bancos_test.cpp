// The request record on the real engines: what reaches the table and what
// comes back, on SQLite and on PostgreSQL.
#include <gtest/gtest.h>

#include <string>

#include "apoio_dados.h"
#include "base/regional.h"
#include "data/conexao_driver.h"
#include "data/solicitacao_funcao_nfe.h"

namespace velant::data {
namespace {

using teste::BancoAberto;
using teste::Motor;

class SolicitacaoNoBanco : public ::testing::TestWithParam<Motor> {
 protected:
  BancoAberto banco{GetParam()};
  cSolicitacaoFuncaoNFe s{*banco.conexao, banco.estado, banco.raiz.ui};

  // A request as an AC writes it through the same class.
  bool Inclui(int32_t nsu, const std::string& ip) {
    cSolicitacaoFuncaoNFe ac(*banco.conexao, banco.estado, banco.raiz.ui);
    ac.NSU(nsu);
    ac.NumeroControleSolicitacao(nsu * 10);
    ac.DataSolicitacao(DataHora::De(2026, 12, 5));
    ac.HoraSolicitacao(DataHora::Hora(8, 0, 0));
    ac.TipoOperacao("NFE");
    ac.IPComputadorAC(ip);
    ac.Texto("000-000 = STATUS SERVICO\r\n999-999 = FIM\r\n");
    return ac.Incluir();
  }

  // One column of one row, read straight from the table.
  Valor Coluna(int32_t nsu, const std::string& coluna) {
    Recordset rs = banco.conexao->ConexaoCompartilhada()->Consultar(
        "SELECT [" + coluna + "] FROM SolicitacaoFuncaoNFe WHERE NSU = " + std::to_string(nsu));
    EXPECT_FALSE(rs.Eof()) << "NSU " << nsu;
    return rs.Eof() ? Valor() : rs.Value(0);
  }

  void Executa(const std::string& sql) { banco.conexao->ConexaoCompartilhada()->Executar(sql); }
};

TEST_P(SolicitacaoNoBanco, IncluirAndLocalizarCodigoRoundTripEveryColumn) {
  s.NSU(31);
  s.NumeroControleSolicitacao(77);
  s.DataSolicitacao(DataHora::De(2026, 12, 5));
  s.HoraSolicitacao(DataHora::Hora(9, 5, 3));
  s.TipoOperacao("NFE");
  s.CodigoEstabelecimento(3);
  s.SerieNFe("1");
  s.NumeroNFe(456);
  s.ChaveAcessoNFe("35261212345678000190550010000004561000004567");
  s.IPComputadorAC("10.0.0.5");
  s.IPInternetAC("200.1.2.3");
  s.SegurancaEstabelecimento("x'y");
  s.CodigoUsuario(9);
  s.VersaoAC("2.1");
  s.VersaoHost("h");
  s.Texto("000-000 = NFE3.10\r\n001-000 = Pão d'água [x]\r\n999-999 = FIM\r\n");
  s.HoraAnalise(DataHora::Hora(13, 45, 7));
  s.HoraConfirmacaoAC(DataHora::Hora(23, 0, 0));
  s.Mensagem("Msg 'citada' [nRec:1]");
  ASSERT_TRUE(s.Incluir());

  cSolicitacaoFuncaoNFe lido(*banco.conexao, banco.estado, banco.raiz.ui);
  ASSERT_TRUE(lido.LocalizarCodigo(31));
  EXPECT_EQ(lido.NSU(), 31);
  EXPECT_EQ(lido.NumeroControleSolicitacao(), 77);
  EXPECT_EQ(lido.DataSolicitacao(), DataHora::De(2026, 12, 5));
  EXPECT_EQ(lido.HoraSolicitacao(), DataHora::Hora(9, 5, 3));
  EXPECT_EQ(lido.TipoOperacao(), "NFE");
  EXPECT_EQ(lido.CodigoEstabelecimento(), 3);
  EXPECT_EQ(lido.SerieNFe(), "1");
  EXPECT_EQ(lido.NumeroNFe(), 456);
  EXPECT_EQ(lido.ChaveAcessoNFe(), "35261212345678000190550010000004561000004567");
  EXPECT_EQ(lido.IPComputadorAC(), "10.0.0.5");
  EXPECT_EQ(lido.IPInternetAC(), "200.1.2.3");
  EXPECT_EQ(lido.SegurancaEstabelecimento(), "x'y");
  EXPECT_EQ(lido.CodigoUsuario(), 9);
  EXPECT_EQ(lido.VersaoAC(), "2.1");
  EXPECT_EQ(lido.VersaoHost(), "h");
  EXPECT_EQ(lido.Texto(), "000-000 = NFE3.10\r\n001-000 = Pão d'água [x]\r\n999-999 = FIM\r\n");
  EXPECT_EQ(lido.HoraAnalise(), DataHora::Hora(13, 45, 7));
  EXPECT_TRUE(lido.HoraAprovacao().Zero());
  EXPECT_TRUE(lido.HoraCancelamentoHost().Zero());
  EXPECT_EQ(lido.HoraConfirmacaoAC(), DataHora::Hora(23, 0, 0));
  EXPECT_TRUE(lido.HoraCancelamentoAC().Zero());
  EXPECT_EQ(lido.Mensagem(), "Msg 'citada' [nRec:1]");
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

TEST_P(SolicitacaoNoBanco, IncluirWithZeroTimesStoresNull) {
  s.NSU(5);
  ASSERT_TRUE(s.Incluir());
  for (const char* c : {"Data da Solicitacao", "Hora da Solicitacao", "Hora da Analise", "Hora da Aprovacao",
                        "Hora Cancelamento Host", "Hora da Confirmacao AC", "Hora do Cancelamento AC"}) {
    EXPECT_TRUE(Coluna(5, c).ENulo()) << c;
  }
  EXPECT_EQ(s.LocalizarAnalise(""), 5);
  EXPECT_FALSE(s.Incluir()) << "NSU repetido";
}

TEST_P(SolicitacaoNoBanco, FindersSkipRowsWithAnyStamp) {
  const char* carimbos[] = {"Hora do Cancelamento AC", "Hora da Confirmacao AC", "Hora Cancelamento Host",
                            "Hora da Analise", "Hora da Aprovacao"};
  int32_t nsu = 1;
  for (const char* c : carimbos) {
    ASSERT_TRUE(Inclui(nsu, "10.0.0.5"));
    Executa("UPDATE SolicitacaoFuncaoNFe SET [" + std::string(c) + "] = '10:00:00' WHERE NSU = " + std::to_string(nsu));
    ++nsu;
  }
  EXPECT_EQ(s.LocalizarAnalise("10.0.0.5"), 0);
  EXPECT_EQ(s.LocalizarAnalise("127.0.0.1"), 0);

  ASSERT_TRUE(Inclui(9, "10.0.0.6"));
  ASSERT_TRUE(Inclui(8, "10.0.0.5"));
  EXPECT_EQ(s.LocalizarAnalise("10.0.0.5"), 8);
  EXPECT_EQ(s.LocalizarAnalise("10.0.0.6"), 9);
  EXPECT_EQ(s.LocalizarAnalise("10.0.0.7"), 0);
  EXPECT_EQ(s.LocalizarAnalise("127.0.0.1"), 8);
  EXPECT_EQ(s.LocalizarAnalise(""), 8);
  EXPECT_EQ(s.LocalizarAnalise("10.0.0.5' OR ''='"), 0);
}

TEST_P(SolicitacaoNoBanco, LocalizarAnaliseEOuAprovacaoFindsClaimedButUnanswered) {
  ASSERT_TRUE(Inclui(1, "a"));
  ASSERT_TRUE(Inclui(2, "a"));
  ASSERT_TRUE(Inclui(3, "a"));
  Executa("UPDATE SolicitacaoFuncaoNFe SET [Hora do Cancelamento AC] = '10:00:00' WHERE NSU = 1");
  Executa("UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = '10:00:00' WHERE NSU = 2");
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 2);
  Executa("UPDATE SolicitacaoFuncaoNFe SET [Hora da Aprovacao] = '10:00:01' WHERE NSU = 2");
  EXPECT_EQ(s.LocalizarAnaliseEOuAprovacao(), 3);
}

TEST_P(SolicitacaoNoBanco, SecondClaimFailsAndKeepsTheFirst) {
  ASSERT_TRUE(Inclui(4, "a"));
  banco.estado.VersaoSistema = "6.07.01.1";
  EXPECT_TRUE(s.DefineHoraAnalise(4, DataHora::Hora(10, 0, 1)));
  banco.estado.VersaoSistema = "outra";
  EXPECT_FALSE(s.DefineHoraAnalise(4, DataHora::Hora(10, 0, 2)));
  EXPECT_EQ(CDate(Coluna(4, "Hora da Analise")), DataHora::Hora(10, 0, 1));
  EXPECT_EQ(Coluna(4, "Versao Host").Texto(), "6.07.01.1");
  EXPECT_FALSE(s.DefineHoraAnalise(404, DataHora::Hora(10, 0, 2))) << "NSU inexistente";
}

TEST_P(SolicitacaoNoBanco, AnswerStampsAreGuardedAndKeepTheirMessages) {
  ASSERT_TRUE(Inclui(6, "a"));
  const std::string longa(120, 'x');
  const std::string comAcentos = "Rejeição: ção ç 'aspas' [nRec:351000012345678] e mais texto até passar de cinquenta";
  EXPECT_TRUE(s.DefineHoraAprovacaoHost(6, DataHora::Hora(11, 0, 0), longa));
  EXPECT_EQ(Coluna(6, "Mensagem").Texto(), longa);
  EXPECT_FALSE(s.DefineHoraAprovacaoHost(6, DataHora::Hora(11, 0, 1), "segunda"));
  EXPECT_EQ(Coluna(6, "Mensagem").Texto(), longa);

  EXPECT_TRUE(s.DefineHoraCancelamentoHost(6, DataHora::Hora(12, 0, 0), comAcentos));
  EXPECT_EQ(Coluna(6, "Mensagem").Texto(), "Rejeição: ção ç 'aspas' [nRec:351000012345678] e m");
  EXPECT_FALSE(s.DefineHoraCancelamentoHost(6, DataHora::Hora(12, 0, 1), "segunda"));

  EXPECT_TRUE(s.DefineMensagem(6, comAcentos));
  EXPECT_EQ(Coluna(6, "Mensagem").Texto(), comAcentos);
  EXPECT_FALSE(s.DefineMensagem(404, "x"));
}

TEST_P(SolicitacaoNoBanco, MidnightClaimIsStillAClaim) {
  ASSERT_TRUE(Inclui(7, "a"));
  EXPECT_TRUE(s.DefineHoraAnalise(7, DataHora()));
  EXPECT_FALSE(Coluna(7, "Hora da Analise").ENulo());
  EXPECT_EQ(s.LocalizarAnalise("a"), 0);
  EXPECT_FALSE(s.DefineHoraAnalise(7, DataHora::Hora(0, 0, 1)));
}

TEST_P(SolicitacaoNoBanco, LocalizarCodigoOfAMissingRowChangesNothing) {
  ASSERT_TRUE(Inclui(12, "10.9.9.9"));
  ASSERT_TRUE(s.LocalizarCodigo(12));
  EXPECT_FALSE(s.LocalizarCodigo(13));
  EXPECT_EQ(s.NSU(), 12);
  EXPECT_EQ(s.IPComputadorAC(), "10.9.9.9");
  EXPECT_EQ(s.NumeroControleSolicitacao(), 120);
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

TEST_P(SolicitacaoNoBanco, RowWrittenWithNullsLoadsAsEmptyValues) {
  ASSERT_TRUE(Inclui(20, "a"));
  ASSERT_TRUE(s.LocalizarCodigo(20));
  // An AC that writes only some columns leaves NULLs: nothing of request 20 may survive.
  Executa("INSERT INTO SolicitacaoFuncaoNFe (NSU, [Codigo do Usuario], Texto, Mensagem) VALUES (21, NULL, 'novo', NULL)");
  ASSERT_TRUE(s.LocalizarCodigo(21));
  EXPECT_EQ(s.Texto(), "novo");
  EXPECT_EQ(s.CodigoUsuario(), 0);
  EXPECT_EQ(s.NumeroControleSolicitacao(), 0);
  EXPECT_TRUE(s.DataSolicitacao().Zero());
  EXPECT_EQ(s.IPComputadorAC(), "");
  EXPECT_EQ(s.Mensagem(), "");
}

TEST_P(SolicitacaoNoBanco, AlterarAndExcluir) {
  ASSERT_TRUE(Inclui(30, "a"));
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
