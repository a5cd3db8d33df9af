// Connections that go away come back: a PostgreSQL backend that was killed,
// an SQLite file that could not be opened at start. And values that try to
// end their literal never run as statements, whatever the server's settings.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "apoio_dados.h"
#include "base/erro.h"
#include "data/conexao_driver.h"
#include "data/conexao_postgresql.h"
#include "data/configuracao_banco.h"
#include "data/esquema_banco.h"
#include "data/solicitacao_funcao_nfe.h"

namespace velant::data {
namespace {

using teste::Motor;

const char* const kTabelas[] = {"SolicitacaoFuncaoNFe", "MovimentoNFe", "MovimentoNFeSaidaCancelada",
                                "MovimentoNFeSaidaInutilizada", "ConfiguracaoDiversa", "natureza_operacao",
                                "Municipios", "CidadeIBGE"};

void ExigeTodasAsTabelas(CConexaoNfe& conexao) {
  for (const char* t : kTabelas) {
    EXPECT_NO_THROW(conexao.ConexaoCompartilhada()->Consultar(std::string("SELECT COUNT(*) FROM ") + t)) << t;
  }
}

// Ends the server side of every connection the program opened to that
// database, and waits until the connection given has seen its end (the
// backend leaves the server's list before its socket is closed).
void DerrubaConexoes(const std::string& banco, ConexaoDriver* conexao = nullptr) {
  ConexaoPostgreSql(teste::ParametrosServidor("postgres"))
      .Consultar("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" + banco +
                 "' AND application_name = 'velantnfe' AND pid <> pg_backend_pid()");
  for (int i = 0; conexao != nullptr && i < 500 && conexao->Aberta(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TEST(Reconexao, BackendDerrubadoEReabertoAntesDaInstrucaoSeguinte) {
  teste::BancoAberto banco(Motor::PostgreSql);
  cSolicitacaoFuncaoNFe s(*banco.conexao, banco.host, banco.raiz.ui);
  ASSERT_TRUE(banco.Inclui(1, "10.0.0.5"));
  DerrubaConexoes(banco.pg->Nome(), banco.conexao->ConexaoCompartilhada());
  EXPECT_EQ(s.LocalizarAnalise(""), 1);
  EXPECT_TRUE(s.DefineHoraAnalise(1, DataHora::Hora(10, 0, 0)));
  EXPECT_EQ(banco.conexao->MotivoFalha(), "");
  // The class's own connection comes back as well.
  DerrubaConexoes(banco.pg->Nome(), banco.conexao->Conexao());
  EXPECT_EQ(banco.conexao->ExecutaSql("UPDATE SolicitacaoFuncaoNFe SET Mensagem = 'x' WHERE NSU = 1"), 1);
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

// A statement that meets a connection lost while it ran fails; it is never
// sent again on its own, since it may have run. The next one reconnects.
TEST(Reconexao, InstrucaoQueEncontraAConexaoCaindoFalhaEASeguinteReconecta) {
  teste::BancoAberto banco(Motor::PostgreSql);
  ConexaoDriver* c = banco.conexao->ConexaoCompartilhada();
  EXPECT_THROW(c->Consultar("SELECT pg_terminate_backend(pg_backend_pid())"), ErroExecucao);
  EXPECT_FALSE(c->Aberta());
  ASSERT_NE(banco.conexao->ConexaoCompartilhada(), nullptr);
  EXPECT_EQ(banco.conexao->ConexaoCompartilhada()->Consultar("SELECT 1 AS um").Value(0).Texto(), "1");
}

// A file that cannot be opened (here a folder stands where it should be, which
// not even the superuser can open as a database) is opened as soon as it can
// be, no sooner than the wait after the failed attempt.
TEST(Reconexao, ArquivoSqliteInacessivelNoInicioAbreDepoisDaEspera) {
  teste::RaizTeste raiz;
  raiz.ConfiguraSqlite();
  const std::filesystem::path arquivo = raiz.pasta.Caminho() / "C/KorvanePafEcf/NFe/VelantNFe/dvk_data.db";
  std::filesystem::create_directories(arquivo);
  CConexaoNfe conexao(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni);
  conexao.DefinirEsperaReconexao({std::chrono::milliseconds(1500), std::chrono::milliseconds(1500)});
  EXPECT_FALSE(conexao.ConexaoAtiva());
  EXPECT_NE(conexao.ErroAbertura().find("Banco de dados SQLITE: nenhuma conexão aberta: "), std::string::npos);
  EXPECT_EQ(conexao.MotivoFalha(), conexao.ErroAbertura());

  std::filesystem::remove(arquivo);
  EXPECT_FALSE(conexao.ConexaoAtiva()) << "antes do fim da espera";
  std::this_thread::sleep_for(std::chrono::milliseconds(1600));
  ASSERT_TRUE(conexao.ConexaoAtiva()) << conexao.MotivoFalha();
  EXPECT_EQ(conexao.MotivoFalha(), "");
  ExigeTodasAsTabelas(conexao);
}

// --- Values that try to end their literal -----------------------------------

const std::string kInjecao = "x\\'); DROP TABLE MovimentoNFe; --";
const std::string kInjecaoBarra = "y\\\\'; DELETE FROM ConfiguracaoDiversa; --\\";

class Injecao : public ::testing::TestWithParam<Motor> {};

TEST_P(Injecao, ValoresComBarraEAspasVoltamComoEntraramETabelasIntactas) {
  teste::BancoAberto banco(GetParam());
  const auto contadores = [&] {
    return banco.conexao->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n").Texto();
  };
  const std::string antes = contadores();
  cSolicitacaoFuncaoNFe s(*banco.conexao, banco.host, banco.raiz.ui);
  teste::PreencheTudo(s);
  s.TipoOperacao(kInjecao);
  s.SegurancaEstabelecimento(kInjecaoBarra);
  s.Texto("000-000 - ATV\r\n041-000 - " + kInjecao + "\r\n999-999 - \r\n");
  s.Mensagem(kInjecaoBarra);
  ASSERT_TRUE(s.Incluir());
  ASSERT_TRUE(s.DefineMensagem(1234, kInjecao));
  cSolicitacaoFuncaoNFe lido(*banco.conexao, banco.host, banco.raiz.ui);
  ASSERT_TRUE(lido.LocalizarCodigo(1234));
  EXPECT_EQ(lido.TipoOperacao(), kInjecao);
  EXPECT_EQ(lido.SegurancaEstabelecimento(), kInjecaoBarra);
  EXPECT_EQ(lido.Mensagem(), kInjecao);
  EXPECT_EQ(lido.LocalizarAnalise(kInjecao), 0);
  ExigeTodasAsTabelas(*banco.conexao);
  EXPECT_EQ(contadores(), antes);
}

// One statement per call: a second one is refused, never run.
TEST_P(Injecao, SegundaInstrucaoNaMesmaChamadaERecusada) {
  teste::BancoAberto banco(GetParam());
  ConexaoDriver& c = *banco.conexao->ConexaoCompartilhada();
  EXPECT_THROW(c.Executar("UPDATE MovimentoNFe SET Etapa = 0; DROP TABLE CidadeIBGE"), ErroExecucao);
  EXPECT_THROW(c.Consultar("SELECT 1; DROP TABLE Municipios"), ErroExecucao);
  EXPECT_NO_THROW(c.Executar("UPDATE MovimentoNFe SET Empresa = 0 WHERE 1 = 0; -- fim"));
  EXPECT_NO_THROW(c.Executar("UPDATE MovimentoNFe SET Empresa = 0 WHERE 1 = 0; /* fim */ "));
  ExigeTodasAsTabelas(*banco.conexao);
}

INSTANTIATE_TEST_SUITE_P(Motores, Injecao, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& i) { return teste::NomeMotor(i.param); });

// A server, a database or a role may have the old setting, under which a
// backslash escapes the quote that follows it.
TEST(InjecaoPostgreSql, SessaoLigaStandardConformingStringsMesmoComOBancoDesligado) {
  teste::BancoPostgreSqlTeste pg;
  ConexaoPostgreSql(teste::ParametrosServidor("postgres"))
      .Executar("ALTER DATABASE " + pg.Nome() + " SET standard_conforming_strings = off");
  teste::RaizTeste raiz;
  raiz.ConfiguraPostgreSql(pg);
  auto conexao = raiz.Conecta();
  ASSERT_TRUE(conexao->ConexaoAtiva()) << conexao->ErroAbertura();
  CriarEsquema(*conexao->Conexao(), DialetoSql::PostgreSql);
  for (ConexaoDriver* c : {conexao->Conexao(), conexao->ConexaoCompartilhada()}) {
    EXPECT_EQ(c->Consultar("SHOW standard_conforming_strings").Value(0).Texto(), "on");
  }
  ConfiguracaoHost host;
  DefineDialetoBanco(host, "POSTGRESQL");
  cSolicitacaoFuncaoNFe s(*conexao, host, raiz.ui);
  s.NSU(7);
  s.Texto(kInjecao);
  s.Mensagem(kInjecaoBarra);
  ASSERT_TRUE(s.Incluir());
  ASSERT_TRUE(s.DefineHoraCancelamentoHost(7, DataHora::Hora(10, 0, 0), kInjecao));
  ASSERT_TRUE(s.LocalizarCodigo(7));
  EXPECT_EQ(s.Texto(), kInjecao);
  EXPECT_EQ(s.Mensagem(), kInjecao);
  ExigeTodasAsTabelas(*conexao);
  // A session reopened after a loss gets the setting again.
  DerrubaConexoes(pg.Nome(), conexao->ConexaoCompartilhada());
  EXPECT_EQ(conexao->ConexaoCompartilhada()->Consultar("SHOW standard_conforming_strings").Value(0).Texto(), "on");
}

}  // namespace
}  // namespace velant::data
