// Opening each kind of database, creating it, its errors and transactions.
// Connections that go away come back: a PostgreSQL backend that was killed,
// an SQLite file that could not be opened at start. And values that try to
// end their literal never run as statements, whatever the server's settings.
#include "data/conexao_nfe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "apoio_dados.h"
#include "base/tabela_tsv_teste.h"
#include "base/erro.h"
#include "base/regional.h"
#include "data/conexao_driver.h"
#include "data/configuracao_banco.h"
#include "data/criacao_banco.h"
#include "data/esquema_banco.h"

namespace velant::data {
namespace {

using teste::Motor;
using teste::NoBanco;
using teste::RaizTeste;
const char* const kTipo = "Gerenciador de Banco de Dados";

// Kinds without a driver open nothing, and their statements fail in a box;
// the connection text start-up shows names the internal name after
// "dvk_data" once and leaves the password out.
TEST(Conexao, ConnectionTextAndOpeningOfEachKind) {
  for (const auto& c : velant::teste::LerTabelaTsv("data/conexao.tsv", false)) {
    SCOPED_TRACE("conexao.tsv:" + std::to_string(c.numero));
    RaizTeste raiz;
    std::istringstream chaves(c[0]);
    for (std::string par; std::getline(chaves, par, ';');) raiz.Grava(par.substr(0, par.find('=')), par.substr(par.find('=') + 1));
    auto conexao = raiz.Conecta();
    EXPECT_EQ(conexao->ConnectionString().substr(0, c[1].size()), c[1]);
    if (c[2] == "-") continue;
    EXPECT_EQ(conexao->ConexaoAtiva(), c[2].empty());
    EXPECT_TRUE(conexao->ErroAbertura().starts_with(c[2])) << conexao->ErroAbertura();
    if (!c[1].empty()) {   // the engines with a driver: the server's absence shows no box
      EXPECT_TRUE(raiz.ui.Caixas().empty());
      continue;
    }
    EXPECT_EQ(conexao->ExecutaSql("DELETE FROM x"), 0);
    EXPECT_EQ(conexao->RsConexao("SELECT 1")->State(), adStateClosed);
    ASSERT_EQ(raiz.ui.Caixas().size(), 2u);
    EXPECT_EQ(raiz.ui.Caixas()[0].prompt.substr(0, 7), "3704 - ");
  }
}

// The first start writes SQLITE and creates the file, or the PostgreSQL
// database, with its tables and the counter row; a second call keeps them;
// a configured kind stays.
TEST(CriacaoBanco, FirstStartCreatesTheDatabaseOnEachEngine) {
  RaizTeste raiz;
  EXPECT_TRUE(CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni).ok);
  EXPECT_EQ(raiz.ini.LerIni("SGBD", kTipo, kCaminhoIni), "SQLITE");
  EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / "C/KorvanePafEcf/NFe/VelantNFe/dvk_data.db"));
  EXPECT_EQ(raiz.Conecta()->ExecutaSql("UPDATE ConfiguracaoDiversa SET Valor = Valor + 1"), 1);
  GarantirConfiguracaoBanco(raiz.ini);
  EXPECT_EQ(raiz.Conecta()->RsConexao("SELECT Valor FROM ConfiguracaoDiversa")->Value(0).Texto(), "1");

  teste::BancoPostgreSqlTeste banco;
  ConexaoPostgreSql(teste::ParametrosServidor("postgres")).Executar("DROP DATABASE " + banco.Nome());
  RaizTeste pg;
  pg.ConfiguraPostgreSql(banco);
  auto r = CriarBancoDados(pg.ini, pg.caminhos, pg.ui, kCaminhoIni);
  EXPECT_TRUE(r.ok && r.mensagem.find("criado") != std::string::npos) << r.mensagem;
  ASSERT_TRUE(CriarBancoDados(pg.ini, pg.caminhos, pg.ui, kCaminhoIni).ok);
  EXPECT_EQ(CLng(pg.Conecta()->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n")), 1);
  pg.Conecta()->ConexaoCompartilhada()->Executar("DROP TABLE DocumentoNFe");   // made before the table...
  EXPECT_TRUE(pg.Conecta()->Conexao()->Consultar("SELECT * FROM DocumentoNFe").Eof());   // ...it gets it when opened
  EXPECT_TRUE(raiz.ui.Caixas().empty() && pg.ui.Caixas().empty());

  RaizTeste oracle;
  oracle.Grava(kTipo, "ORACLE");
  GarantirConfiguracaoBanco(oracle.ini);
  EXPECT_EQ(oracle.ini.LerIni("SGBD", kTipo, kCaminhoIni), "ORACLE");
  EXPECT_EQ(CriarBancoDados(oracle.ini, oracle.caminhos, oracle.ui, kCaminhoIni).mensagem,
            "Banco de dados ORACLE sem driver nesta plataforma: nenhuma conexão aberta");
}

// Errors go to a message box; a transaction runs on the shared connection.
TEST_P(NoBanco, ErrorsAndTransactions) {
  CConexaoNfe& c = *banco.conexao;
  EXPECT_EQ(c.ExecutaSql("UPDATE TabelaQueNaoExiste SET a = 1"), 0);
  EXPECT_EQ(c.RsConexao("SELECT * FROM TabelaQueNaoExiste")->State(), adStateClosed);
  ASSERT_EQ(banco.raiz.ui.Caixas().size(), 2u);
  EXPECT_TRUE(banco.raiz.ui.Caixas()[0].prompt.starts_with("-2147467259 - ")) << banco.raiz.ui.Caixas()[0].prompt;
  EXPECT_EQ(banco.raiz.ui.Caixas()[0].estilo, vbOKOnly);
  for (const char* codigo : {"1", "2"}) {
    c.IniciaTransacao();
    c.ConexaoCompartilhada()->Executar(std::string("INSERT INTO natureza_operacao (codigo) VALUES ('") + codigo + "')");
    codigo[0] == '1' ? c.CancelaTransacao() : c.ConfirmaTransacao();
  }
  auto rs = c.RsConexao("SELECT codigo FROM natureza_operacao");
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Value("codigo").Texto(), "2");
}

void ExigeTodasAsTabelas(CConexaoNfe& conexao) {
  for (const char* t : {"SolicitacaoFuncaoNFe", "MovimentoNFe", "MovimentoNFeSaidaCancelada", "MovimentoNFeSaidaInutilizada",
                        "ConfiguracaoDiversa", "natureza_operacao", "Municipios", "CidadeIBGE"})
    EXPECT_NO_THROW(conexao.ConexaoCompartilhada()->Consultar(std::string("SELECT COUNT(*) FROM ") + t)) << t;
}

// Ends the server side of every connection the program opened to that
// database, and waits until the connection given has seen its end.
void DerrubaConexoes(const std::string& banco, ConexaoDriver* conexao) {
  ConexaoPostgreSql(teste::ParametrosServidor("postgres"))
      .Consultar("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" + banco +
                 "' AND application_name = 'velantnfe' AND pid <> pg_backend_pid()");
  for (int i = 0; i < 500 && conexao->Aberta(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// A statement that meets a connection lost while it ran fails; it is never
// sent again on its own, since it may have run. The next one reconnects, on
// the shared connection and on the class's own.
TEST(Reconexao, BackendDerrubadoFalhaAInstrucaoEASeguinteReconecta) {
  teste::BancoAberto banco(Motor::PostgreSql);
  ConexaoDriver* c = banco.conexao->ConexaoCompartilhada();
  EXPECT_THROW(c->Consultar("SELECT pg_terminate_backend(pg_backend_pid())"), ErroExecucao);
  EXPECT_FALSE(c->Aberta());
  cSolicitacaoFuncaoNFe s(*banco.conexao, banco.host, banco.raiz.ui);
  ASSERT_TRUE(banco.Inclui(1, "10.0.0.5"));
  DerrubaConexoes(banco.pg->Nome(), banco.conexao->ConexaoCompartilhada());
  EXPECT_EQ(s.LocalizarAnalise(""), 1);
  EXPECT_EQ(banco.conexao->MotivoFalha(), "");
  DerrubaConexoes(banco.pg->Nome(), banco.conexao->Conexao());
  EXPECT_EQ(banco.conexao->ExecutaSql("UPDATE SolicitacaoFuncaoNFe SET Mensagem = 'x' WHERE NSU = 1"), 1);
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

// A file that cannot be opened (a folder stands where it should be, which not
// even the superuser opens as a database) is opened when it can be, no sooner
// than the wait after the failed attempt.
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

// Values with backslashes and quotes come back as they went in; one statement
// per call: a second one is refused, never run. PostgreSQL: even where the
// database has the old setting, under which a backslash escapes the quote.

TEST_P(NoBanco, ValoresVoltamComoEntraramESegundaInstrucaoERecusada) {
  if (GetParam() == Motor::PostgreSql) {
    ConexaoPostgreSql(teste::ParametrosServidor("postgres"))
        .Executar("ALTER DATABASE " + banco.pg->Nome() + " SET standard_conforming_strings = off");
    banco.conexao = banco.raiz.Conecta();
    for (ConexaoDriver* c : {banco.conexao->Conexao(), banco.conexao->ConexaoCompartilhada()})
      EXPECT_EQ(c->Consultar("SHOW standard_conforming_strings").Value(0).Texto(), "on");
  }
  cSolicitacaoFuncaoNFe s(*banco.conexao, banco.host, banco.raiz.ui);
  teste::PreencheTudo(s);
  s.TipoOperacao(kInjecao); s.SegurancaEstabelecimento(kInjecaoBarra);
  s.Texto("000-000 - ATV\r\n041-000 - " + kInjecao + "\r\n999-999 - \r\n");
  ASSERT_TRUE(s.Incluir());
  ASSERT_TRUE(s.DefineMensagem(1234, kInjecao));
  cSolicitacaoFuncaoNFe lido(*banco.conexao, banco.host, banco.raiz.ui);
  ASSERT_TRUE(lido.LocalizarCodigo(1234));
  EXPECT_EQ(lido.TipoOperacao() + lido.SegurancaEstabelecimento() + lido.Mensagem(), kInjecao + kInjecaoBarra + kInjecao);
  EXPECT_EQ(lido.LocalizarAnalise(kInjecao), 0);

  ConexaoDriver& c = *banco.conexao->ConexaoCompartilhada();
  EXPECT_THROW(c.Executar("UPDATE MovimentoNFe SET Etapa = 0; DROP TABLE CidadeIBGE"), ErroExecucao);
  EXPECT_THROW(c.Consultar("SELECT 1; DROP TABLE Municipios"), ErroExecucao);
  EXPECT_NO_THROW(c.Executar("UPDATE MovimentoNFe SET Empresa = 0 WHERE 1 = 0; -- fim"));
  EXPECT_NO_THROW(c.Executar("UPDATE MovimentoNFe SET Empresa = 0 WHERE 1 = 0; /* fim */ "));
  ExigeTodasAsTabelas(*banco.conexao);
  EXPECT_EQ(CLng(banco.conexao->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n")), 1);
  if (GetParam() == Motor::PostgreSql) {   // a session reopened after a loss gets the setting again
    DerrubaConexoes(banco.pg->Nome(), banco.conexao->ConexaoCompartilhada());
    EXPECT_EQ(banco.conexao->ConexaoCompartilhada()->Consultar("SHOW standard_conforming_strings").Value(0).Texto(),
              "on");
  }
}

}  // namespace
}  // namespace velant::data
