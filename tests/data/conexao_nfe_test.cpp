#include "data/conexao_nfe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "apoio_dados.h"
#include "base/regional.h"
#include "data/conexao_driver.h"
#include "data/configuracao_banco.h"
#include "data/conexao_postgresql.h"
#include "data/criacao_banco.h"
#include "data/esquema_banco.h"

namespace velant::data {
namespace {

using teste::BancoAberto;
using teste::Motor;
using teste::RaizTeste;

struct CasoConexao {
  const char* nome;
  std::vector<std::pair<std::string, std::string>> chaves;
  std::string connectionString;
  std::string linhaLog;
};

class ConexaoSemDriver : public ::testing::TestWithParam<CasoConexao> {};

TEST_P(ConexaoSemDriver, BuildsTheTextAndOpensNothing) {
  RaizTeste raiz;
  for (const auto& [chave, valor] : GetParam().chaves) raiz.Grava(chave, valor);
  auto c = raiz.Conecta();
  EXPECT_EQ(c->ConnectionString(), GetParam().connectionString);
  EXPECT_FALSE(c->ConexaoAtiva());
  EXPECT_EQ(c->ConexaoCompartilhada(), nullptr);
  EXPECT_EQ(c->ErroAbertura(), GetParam().linhaLog);
  // a statement on it fails in a box, as a closed connection does
  EXPECT_EQ(c->ExecutaSql("DELETE FROM x"), 0);
  EXPECT_EQ(c->RsConexao("SELECT 1")->State(), adStateClosed);
  ASSERT_EQ(raiz.ui.Caixas().size(), 2u);
  EXPECT_EQ(raiz.ui.Caixas()[0].prompt.substr(0, 7), "3704 - ");
}

INSTANTIATE_TEST_SUITE_P(
    Tipos, ConexaoSemDriver,
    ::testing::Values(
        CasoConexao{"Access",
                    {{"Gerenciador de Banco de Dados", "ACCESS"}, {"IP do Banco de Dados", "10.0.0.9"}},
                    "Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=C:\\teste\\teste.mdb",
                    "Banco de dados ACCESS sem driver nesta plataforma: nenhuma conexão aberta"},
        CasoConexao{"SqlServer",
                    {{"Gerenciador de Banco de Dados", "SQLSERVER"},
                     {"IP do Banco de Dados", "10.0.0.9"},
                     {"Porta do Banco de Dados", "1433"},
                     {"Nome Interno BD", "01"}},
                    "PROVIDER=SQLOLEDB.1;DATA SOURCE=10.0.0.9,1433;INITIAL CATALOG=dvk_data01;USER ID=sa;"
                    "PASSWORD=mirtalo41;",
                    "Banco de dados SQLSERVER sem driver nesta plataforma: nenhuma conexão aberta"},
        CasoConexao{"SqlServerNomeSemPrefixoDobrado",
                    {{"Gerenciador de Banco de Dados", "SQLSERVER"}, {"Nome Interno BD", "dvk_data"}},
                    "PROVIDER=SQLOLEDB.1;DATA SOURCE=,;INITIAL CATALOG=dvk_data;USER ID=sa;PASSWORD=mirtalo41;",
                    "Banco de dados SQLSERVER sem driver nesta plataforma: nenhuma conexão aberta"},
        CasoConexao{"SqlServerLoginProprio",
                    {{"Gerenciador de Banco de Dados", "SQLSERVER"},
                     {"IP do Banco de Dados", "srv"},
                     {"Porta do Banco de Dados", "1433"},
                     {"Usuario do Banco de Dados", "nfe"},
                     {"Senha do Banco de Dados", "s3nha"}},
                    "PROVIDER=SQLOLEDB.1;DATA SOURCE=srv,1433;INITIAL CATALOG=dvk_data;USER ID=nfe;PASSWORD=s3nha;",
                    "Banco de dados SQLSERVER sem driver nesta plataforma: nenhuma conexão aberta"},
        CasoConexao{"MySql", {{"Gerenciador de Banco de Dados", "MYSQL"}}, "",
                    "Banco de dados MYSQL sem driver nesta plataforma: nenhuma conexão aberta"},
        CasoConexao{"Oracle", {{"Gerenciador de Banco de Dados", "ORACLE"}}, "",
                    "Banco de dados ORACLE sem driver nesta plataforma: nenhuma conexão aberta"},
        CasoConexao{"MinusculasNaoValem", {{"Gerenciador de Banco de Dados", "sqlserver"}}, "",
                    "Banco de dados desconhecido \"sqlserver\" (use SQLITE ou POSTGRESQL): nenhuma conexão aberta"},
        CasoConexao{"SemTipo", {}, "", "Banco de dados não configurado (seção SGBD): nenhuma conexão aberta"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(NomeBancoDados, PrefixAndSuffix) {
  EXPECT_EQ(NomeBancoDados(""), "dvk_data");
  EXPECT_EQ(NomeBancoDados("01"), "dvk_data01");
  EXPECT_EQ(NomeBancoDados("dvk_data"), "dvk_data");
  EXPECT_EQ(NomeBancoDados("DVK_DATA"), "dvk_dataDVK_DATA");
}

bool TabelaExiste(CConexaoNfe& c, const std::string& tabela) {
  Recordset rs = c.Conexao()->Consultar("SELECT name FROM sqlite_master WHERE type = 'table' AND name = '" + tabela + "'");
  return !rs.Eof();
}

const char* const kTabelas[] = {"SolicitacaoFuncaoNFe",       "MovimentoNFe",        "MovimentoNFeSaidaCancelada",
                                "MovimentoNFeSaidaInutilizada", "ConfiguracaoDiversa", "natureza_operacao",
                                "Municipios",                  "CidadeIBGE"};

TEST(PrimeiraExecucao, WritesSqliteAndCreatesTheDatabase) {
  RaizTeste raiz;
  GarantirConfiguracaoBanco(raiz.ini);
  EXPECT_EQ(raiz.ini.LerIni("SGBD", "Gerenciador de Banco de Dados", kCaminhoIni), "SQLITE");
  auto c = raiz.Conecta();
  ASSERT_TRUE(c->ConexaoAtiva()) << c->ErroAbertura();
  EXPECT_EQ(c->ErroAbertura(), "");
  EXPECT_EQ(c->Dialeto(), DialetoSql::Sqlite);
  EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / "C/KorvanePafEcf/NFe/VelantNFe/dvk_data.db"));
  for (const char* t : kTabelas) EXPECT_TRUE(TabelaExiste(*c, t)) << t;
  auto rs = c->RsConexao("SELECT Valor  FROM ConfiguracaoDiversa WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'");
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Value("Valor").Texto(), "0");

  // a second start keeps the file, its rows and the configured kind
  EXPECT_EQ(c->ExecutaSql("UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = "
                          "'Contador Lote NFe'"),
            1);
  c.reset();
  GarantirConfiguracaoBanco(raiz.ini);
  c = raiz.Conecta();
  rs = c->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa");
  EXPECT_EQ(rs->Value("n").Texto(), "1");
  rs = c->RsConexao("SELECT Valor FROM ConfiguracaoDiversa");
  EXPECT_EQ(rs->Value("Valor").Texto(), "1");
  EXPECT_TRUE(raiz.ui.Caixas().empty());
}

TEST(PrimeiraExecucao, KeepsAKindAlreadyConfigured) {
  RaizTeste raiz;
  raiz.Grava("Gerenciador de Banco de Dados", "POSTGRESQL");
  GarantirConfiguracaoBanco(raiz.ini);
  EXPECT_EQ(raiz.ini.LerIni("SGBD", "Gerenciador de Banco de Dados", kCaminhoIni), "POSTGRESQL");
}

TEST(ConexaoSqlite, FileNamedInTheIniAndDialectSwitches) {
  RaizTeste raiz;
  raiz.ConfiguraSqlite();
  raiz.Grava("Arquivo do Banco de Dados", "D:\\Dados\\loja.db");
  auto c = raiz.Conecta();
  ASSERT_TRUE(c->ConexaoAtiva()) << c->ErroAbertura();
  EXPECT_EQ(c->ConnectionString(), "Data Source=D:\\Dados\\loja.db;");
  EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / "D/Dados/loja.db"));
  EstadoGlobal e;
  DefineDialetoBanco(e, c->TipoBanco());
  EXPECT_TRUE(e.BancoSqlite);
  EXPECT_FALSE(e.BancoPostgreSql);
  EXPECT_TRUE(e.BancoSqlServer);
}

TEST(ConexaoSqlite, DefaultFileFollowsTheDatabaseName) {
  RaizTeste raiz;
  raiz.ConfiguraSqlite();
  raiz.Grava("Nome Interno BD", "02");
  auto c = raiz.Conecta();
  ASSERT_TRUE(c->ConexaoAtiva());
  EXPECT_EQ(c->ConnectionString(), "Data Source=C:\\KorvanePafEcf\\NFe\\VelantNFe\\dvk_data02.db;");
}

TEST(ConexaoPostgreSql, UnreachableServerLeavesItClosed) {
  RaizTeste raiz;
  raiz.Grava("Gerenciador de Banco de Dados", "POSTGRESQL");
  raiz.Grava("IP do Banco de Dados", "127.0.0.1");
  raiz.Grava("Porta do Banco de Dados", "1");
  raiz.Grava("Usuario do Banco de Dados", "nfe");
  raiz.Grava("Senha do Banco de Dados", "segredo");
  auto c = raiz.Conecta();
  EXPECT_FALSE(c->ConexaoAtiva());
  EXPECT_EQ(c->ConnectionString(), "Host=127.0.0.1;Port=1;Database=dvk_data;User ID=nfe;");
  EXPECT_NE(c->ErroAbertura().find("Banco de dados POSTGRESQL: nenhuma conexão aberta"), std::string::npos)
      << c->ErroAbertura();
  EXPECT_TRUE(raiz.ui.Caixas().empty());
}

TEST(ConexaoPostgreSql, DefaultPortIs5432) {
  RaizTeste raiz;
  raiz.Grava("Gerenciador de Banco de Dados", "POSTGRESQL");
  raiz.Grava("IP do Banco de Dados", "127.0.0.1");
  auto c = raiz.Conecta();
  EXPECT_EQ(c->ConnectionString(), "Host=127.0.0.1;Port=5432;Database=dvk_data;");
}


TEST(Esquema, KindsWithoutDriverHaveNoScript) {
  EXPECT_EQ(ScriptEsquema(DialetoSql::SqlServer), "");
}

// The statements of the other subsystems, as they write them, on both engines.
class ConexaoNoBanco : public ::testing::TestWithParam<Motor> {
 protected:
  BancoAberto banco{GetParam()};
  CConexaoNfe& c = *banco.conexao;
};

TEST_P(ConexaoNoBanco, SchemaIsHarmlessTwice) {
  CriarEsquema(*c.Conexao(), c.Dialeto());
  auto rs = c.RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa");
  EXPECT_EQ(CLng(rs->Value("n")), 1);
}

TEST_P(ConexaoNoBanco, InvoiceProgressStatements) {
  ASSERT_EQ(c.ExecutaSql("INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Numero do Lote], "
                         "[Numero da Recepcao], [Numero do Protocolo], [Etapa Concluida], Data ) VALUES ( 1, '1', 456, "
                         "'35261212345678000190550010000004561000004567', 0, 0, 0, 0, '05/12/2026' )"),
            1);
  EXPECT_EQ(c.ExecutaSql("UPDATE MovimentoNFe SET [Numero da Recepcao] = 351000012345678 WHERE Empresa = 1   AND "
                         "Serie = '1'   AND [Numero da NFe] = '35261212345678000190550010000004561000004567'"),
            1);
  auto rs = c.RsConexao("SELECT Empresa, [Numero da NFe], [Numero do Lote], [Numero da Recepcao], [Numero do Protocolo], "
                        "[Etapa Concluida], Data  FROM MovimentoNFe WHERE Empresa = 1   AND Serie = '1'   AND Numero = 456");
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Value("Numero da Recepcao").Texto(), "351000012345678");
  EXPECT_EQ(CLng(rs->Value("Etapa Concluida")), 0);
  EXPECT_EQ(CDate(rs->Value("Data")), DataHora::De(2026, 12, 5));
  EXPECT_EQ(c.ExecutaSql("UPDATE MovimentoNFe SET [Etapa Concluida] = 3 WHERE Empresa = 9"), 0);
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

TEST_P(ConexaoNoBanco, BatchCounterAndOperationNature) {
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(c.ExecutaSql("UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = "
                           "'Contador Lote NFe'"),
              1);
  }
  auto rs = c.RsConexao("SELECT Valor  FROM ConfiguracaoDiversa WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'");
  EXPECT_EQ(rs->Value("Valor").Texto(), "2");
  EXPECT_EQ(c.ExecutaSql("INSERT INTO natureza_operacao (codigo, situacao_tributaria) VALUES ('5102', '102')"), 1);
  rs = c.RsConexao("SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5102'");
  EXPECT_EQ(rs->Value("situacao_tributaria").Texto(), "102");
  rs = c.RsConexao("SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5929'");
  EXPECT_TRUE(rs->Eof());
}

TEST_P(ConexaoNoBanco, CityCopyStatements) {
  ASSERT_EQ(c.ExecutaSql("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3550308, 'São Paulo')"), 1);
  auto rs = c.RsConexao("SELECT UF, CMUN, XMUN  FROM Municipios ORDER BY UF, XMUN");
  ASSERT_EQ(rs->RecordCount(), 1);
  std::string insert = "INSERT INTO CidadeIBGE ( Codigo, Nome, UF ) Values ( '" + rs->Value("CMUN").Texto() +
                       "', 'SAO PAULO', '" + rs->Value("UF").Texto() + "' )";
  EXPECT_EQ(c.ExecutaSql(insert), 1);
  rs = c.RsConexao("SELECT Codigo, Nome, UF FROM CidadeIBGE");
  EXPECT_EQ(CLng(rs->Value("codigo")), 3550308);
}

TEST_P(ConexaoNoBanco, CancelledAndVoidedNumbers) {
  ASSERT_EQ(c.ExecutaSql("INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (1, '1', 'k')"), 1);
  EXPECT_EQ(c.ExecutaSql("UPDATE MovimentoNFeSaidaCancelada SET [Numero do Protocolo] = 135260000000001, "
                         "[Etapa Concluida] = 3 WHERE Empresa = 1   AND Serie = '1'   AND [Numero da NFe] = 'k'"),
            1);
  ASSERT_EQ(c.ExecutaSql("INSERT INTO MovimentoNFeSaidaInutilizada (Empresa, Serie, Numero) VALUES (1, '1', 7)"), 1);
  EXPECT_EQ(c.ExecutaSql("UPDATE MovimentoNFeSaidaInutilizada SET [Etapa Concluida] = 3 WHERE Empresa = 1 AND Serie = "
                         "'1' AND Numero = 7"),
            1);
}

TEST_P(ConexaoNoBanco, ErrorsGoToAMessageBox) {
  EXPECT_EQ(c.ExecutaSql("UPDATE TabelaQueNaoExiste SET a = 1"), 0);
  auto rs = c.RsConexao("SELECT * FROM TabelaQueNaoExiste");
  EXPECT_EQ(rs->State(), adStateClosed);
  ASSERT_EQ(banco.raiz.ui.Caixas().size(), 2u);
  EXPECT_EQ(banco.raiz.ui.Caixas()[0].prompt.rfind("-2147467259 - ", 0), 0u) << banco.raiz.ui.Caixas()[0].prompt;
  EXPECT_EQ(banco.raiz.ui.Caixas()[0].estilo, vbOKOnly);
}

TEST_P(ConexaoNoBanco, TransactionsRunOnTheSharedConnection) {
  c.IniciaTransacao();
  c.ConexaoCompartilhada()->Executar("INSERT INTO natureza_operacao (codigo) VALUES ('1')");
  c.CancelaTransacao();
  c.IniciaTransacao();
  c.ConexaoCompartilhada()->Executar("INSERT INTO natureza_operacao (codigo) VALUES ('2')");
  c.ConfirmaTransacao();
  auto rs = c.RsConexao("SELECT codigo FROM natureza_operacao");
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Value("codigo").Texto(), "2");
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

INSTANTIATE_TEST_SUITE_P(Motores, ConexaoNoBanco, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant::data

namespace velant::data {
namespace {

TEST(CriacaoBanco, FreshRootGetsTheEmbeddedDatabase) {
  RaizTeste raiz;
  auto r = CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni);
  EXPECT_TRUE(r.ok) << r.mensagem;
  EXPECT_EQ(raiz.ini.LerIni("SGBD", "Gerenciador de Banco de Dados", kCaminhoIni), "SQLITE");
  EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / "C/KorvanePafEcf/NFe/VelantNFe/dvk_data.db"));
}

TEST(CriacaoBanco, KindWithoutDriverSaysSo) {
  RaizTeste raiz;
  raiz.Grava("Gerenciador de Banco de Dados", "ORACLE");
  auto r = CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.mensagem, "Banco de dados ORACLE sem driver nesta plataforma: nenhuma conexão aberta");
}

TEST(CriacaoBanco, PostgreSqlDatabaseAndTablesFromOneCallTwice) {
  teste::BancoPostgreSqlTeste banco;
  {
    ParametrosPostgreSql p;
    p.host = "127.0.0.1";
    p.porta = teste::PortaPostgreSqlTeste();
    p.banco = "postgres";
    p.usuario = "postgres";
    ConexaoPostgreSql admin(p);
    admin.Executar("DROP DATABASE " + banco.Nome());
  }
  RaizTeste raiz;
  raiz.ConfiguraPostgreSql(banco);
  auto r = CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni);
  ASSERT_TRUE(r.ok) << r.mensagem;
  EXPECT_NE(r.mensagem.find("criado"), std::string::npos) << r.mensagem;
  r = CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni);
  ASSERT_TRUE(r.ok) << r.mensagem;
  auto c = raiz.Conecta();
  auto rs = c->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa WHERE Nome = 'Contador Lote NFe'");
  EXPECT_EQ(CLng(rs->Value("n")), 1);
  rs = c->RsConexao("SELECT COUNT(*) AS n FROM SolicitacaoFuncaoNFe");
  EXPECT_EQ(CLng(rs->Value("n")), 0);
  EXPECT_TRUE(raiz.ui.Caixas().empty());
}

}  // namespace
}  // namespace velant::data
