#include "data/conexao_nfe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "apoio_dados.h"
#include "base/erro.h"
#include "base/regional.h"
#include "data/configuracao_banco.h"
#include "data/criacao_banco.h"
#include "data/esquema_banco.h"

namespace velant::data {
namespace {

using teste::Motor;
using teste::RaizTeste;

const char* const kPastaBanco = "C/KorvanePafEcf/NFe/VelantNFe";

TEST(ConexaoSemDriver, KindsWithoutADriverOpenNothingAndStatementsFailInABox) {
  const std::pair<std::string, std::string> casos[] = {
      {"ACCESS", "Banco de dados ACCESS sem driver nesta plataforma: nenhuma conexão aberta"},
      {"SQLSERVER", "Banco de dados SQLSERVER sem driver nesta plataforma: nenhuma conexão aberta"},
      {"MYSQL", "Banco de dados MYSQL sem driver nesta plataforma: nenhuma conexão aberta"},
      {"ORACLE", "Banco de dados ORACLE sem driver nesta plataforma: nenhuma conexão aberta"},
      {"sqlserver", "Banco de dados desconhecido \"sqlserver\" (use SQLITE ou POSTGRESQL): nenhuma conexão aberta"},
      {"", "Banco de dados não configurado (seção SGBD): nenhuma conexão aberta"},
  };
  for (const auto& [tipo, linhaLog] : casos) {
    RaizTeste raiz;
    if (!tipo.empty()) raiz.Grava("Gerenciador de Banco de Dados", tipo);
    auto conexao = raiz.Conecta();
    EXPECT_FALSE(conexao->ConexaoAtiva());
    EXPECT_EQ(conexao->ConexaoCompartilhada(), nullptr);
    EXPECT_EQ(conexao->ErroAbertura(), linhaLog);
    EXPECT_EQ(conexao->ExecutaSql("DELETE FROM x"), 0);
    EXPECT_EQ(conexao->RsConexao("SELECT 1")->State(), adStateClosed);
    ASSERT_EQ(raiz.ui.Caixas().size(), 2u);
    EXPECT_EQ(raiz.ui.Caixas()[0].prompt.substr(0, 7), "3704 - ");
  }
}

TEST(ConexaoSemDriver, ConnectionTextsOfAccessAndSqlServer) {
  const struct { std::vector<std::pair<std::string, std::string>> chaves; std::string connectionString; } casos[] = {
      {{{"Gerenciador de Banco de Dados", "ACCESS"}, {"IP do Banco de Dados", "10.0.0.9"}},
       "Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=C:\\teste\\teste.mdb"},
      {{{"IP do Banco de Dados", "10.0.0.9"}, {"Porta do Banco de Dados", "1433"}, {"Nome Interno BD", "01"}},
       "PROVIDER=SQLOLEDB.1;DATA SOURCE=10.0.0.9,1433;INITIAL CATALOG=dvk_data01;USER ID=sa;PASSWORD=mirtalo41;"},
      // the prefix is not doubled; another case is no prefix
      {{{"Nome Interno BD", "dvk_data"}},
       "PROVIDER=SQLOLEDB.1;DATA SOURCE=,;INITIAL CATALOG=dvk_data;USER ID=sa;PASSWORD=mirtalo41;"},
      {{{"Nome Interno BD", "DVK_DATA"}},
       "PROVIDER=SQLOLEDB.1;DATA SOURCE=,;INITIAL CATALOG=dvk_dataDVK_DATA;USER ID=sa;PASSWORD=mirtalo41;"},
      {{{"IP do Banco de Dados", "srv"}, {"Porta do Banco de Dados", "1433"}, {"Usuario do Banco de Dados", "nfe"},
        {"Senha do Banco de Dados", "s3nha"}},
       "PROVIDER=SQLOLEDB.1;DATA SOURCE=srv,1433;INITIAL CATALOG=dvk_data;USER ID=nfe;PASSWORD=s3nha;"},
  };
  for (const auto& c : casos) {
    RaizTeste raiz;
    raiz.Grava("Gerenciador de Banco de Dados", "SQLSERVER");
    for (const auto& [chave, valor] : c.chaves) raiz.Grava(chave, valor);
    EXPECT_EQ(raiz.Conecta()->ConnectionString(), c.connectionString);
  }
}

TEST(ConexaoPostgreSql, UnreachableServerLeavesItClosedWithoutABoxAndThePortDefaultsTo5432) {
  RaizTeste raiz;
  raiz.Grava("Gerenciador de Banco de Dados", "POSTGRESQL");
  raiz.Grava("IP do Banco de Dados", "127.0.0.1");
  EXPECT_EQ(raiz.Conecta()->ConnectionString(), "Host=127.0.0.1;Port=5432;Database=dvk_data;");
  raiz.Grava("Porta do Banco de Dados", "1");
  raiz.Grava("Usuario do Banco de Dados", "nfe");
  raiz.Grava("Senha do Banco de Dados", "segredo");
  auto c = raiz.Conecta();
  EXPECT_FALSE(c->ConexaoAtiva());
  EXPECT_EQ(c->ConnectionString(), "Host=127.0.0.1;Port=1;Database=dvk_data;User ID=nfe;");
  EXPECT_EQ(c->ErroAbertura().rfind("Banco de dados POSTGRESQL: nenhuma conexão aberta: ", 0), 0u)
      << c->ErroAbertura();
  EXPECT_TRUE(raiz.ui.Caixas().empty());
}

TEST(ConexaoSqlite, FileNamedInTheIniOrAfterTheDatabaseName) {
  const struct { std::string chave, valor, connectionString, arquivo; } casos[] = {
      {"Arquivo do Banco de Dados", "D:\\Dados\\loja.db", "Data Source=D:\\Dados\\loja.db;", "D/Dados/loja.db"},
      {"Nome Interno BD", "02", "Data Source=C:\\KorvanePafEcf\\NFe\\VelantNFe\\dvk_data02.db;",
       std::string(kPastaBanco) + "/dvk_data02.db"},
  };
  for (const auto& c : casos) {
    RaizTeste raiz;
    raiz.ConfiguraSqlite();
    raiz.Grava(c.chave, c.valor);
    auto conexao = raiz.Conecta();
    EXPECT_TRUE(conexao->ConexaoAtiva()) << conexao->ErroAbertura();
    EXPECT_EQ(conexao->ConnectionString(), c.connectionString);
    EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / c.arquivo)) << c.arquivo;
  }
}

TEST(PrimeiraExecucao, WritesSqliteAndCreatesEveryTableAndTheCounterRow) {
  RaizTeste raiz;
  GarantirConfiguracaoBanco(raiz.ini);
  EXPECT_EQ(raiz.ini.LerIni("SGBD", "Gerenciador de Banco de Dados", kCaminhoIni), "SQLITE");
  auto c = raiz.Conecta();
  ASSERT_TRUE(c->ConexaoAtiva()) << c->ErroAbertura();
  EXPECT_EQ(c->ErroAbertura(), "");
  EXPECT_EQ(c->Dialeto(), DialetoSql::Sqlite);
  EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / kPastaBanco / "dvk_data.db"));
  for (const char* t : {"SolicitacaoFuncaoNFe", "MovimentoNFe", "MovimentoNFeSaidaCancelada",
                        "MovimentoNFeSaidaInutilizada", "ConfiguracaoDiversa", "natureza_operacao", "Municipios",
                        "CidadeIBGE"}) {
    EXPECT_FALSE(c->Conexao()->Consultar("SELECT name FROM sqlite_master WHERE type = 'table' AND name = '" +
                                         std::string(t) + "'").Eof())
        << t;
  }
  const std::string contador = "FROM ConfiguracaoDiversa WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'";
  auto rs = c->RsConexao("SELECT Valor  " + contador);
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Value("Valor").Texto(), "0");

  // a second start keeps the file, its rows and the configured kind
  EXPECT_EQ(c->ExecutaSql("UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = "
                          "'Contador Lote NFe'"),
            1);
  c.reset();
  GarantirConfiguracaoBanco(raiz.ini);
  c = raiz.Conecta();
  EXPECT_EQ(c->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n").Texto(), "1");
  EXPECT_EQ(c->RsConexao("SELECT Valor FROM ConfiguracaoDiversa")->Value("Valor").Texto(), "1");
  EXPECT_TRUE(raiz.ui.Caixas().empty());

  RaizTeste outra;
  outra.Grava("Gerenciador de Banco de Dados", "POSTGRESQL");
  GarantirConfiguracaoBanco(outra.ini);
  EXPECT_EQ(outra.ini.LerIni("SGBD", "Gerenciador de Banco de Dados", kCaminhoIni), "POSTGRESQL");
}

TEST(CriacaoBanco, FreshRootGetsTheEmbeddedDatabaseAndAKindWithoutDriverSaysSo) {
  RaizTeste raiz;
  auto r = CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni);
  EXPECT_TRUE(r.ok) << r.mensagem;
  EXPECT_EQ(raiz.ini.LerIni("SGBD", "Gerenciador de Banco de Dados", kCaminhoIni), "SQLITE");
  EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / kPastaBanco / "dvk_data.db"));

  RaizTeste oracle;
  oracle.Grava("Gerenciador de Banco de Dados", "ORACLE");
  r = CriarBancoDados(oracle.ini, oracle.caminhos, oracle.ui, kCaminhoIni);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.mensagem, "Banco de dados ORACLE sem driver nesta plataforma: nenhuma conexão aberta");
}

TEST(CriacaoBanco, PostgreSqlDatabaseAndTablesFromOneCallTwice) {
  teste::BancoPostgreSqlTeste banco;
  ConexaoPostgreSql(teste::ParametrosServidor("postgres")).Executar("DROP DATABASE " + banco.Nome());
  RaizTeste raiz;
  raiz.ConfiguraPostgreSql(banco);
  auto r = CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni);
  ASSERT_TRUE(r.ok) << r.mensagem;
  EXPECT_NE(r.mensagem.find("criado"), std::string::npos) << r.mensagem;
  r = CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni);
  ASSERT_TRUE(r.ok) << r.mensagem;
  auto c = raiz.Conecta();
  EXPECT_EQ(CLng(c->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa WHERE Nome = 'Contador Lote NFe'")
                     ->Value("n")),
            1);
  EXPECT_EQ(CLng(c->RsConexao("SELECT COUNT(*) AS n FROM SolicitacaoFuncaoNFe")->Value("n")), 0);
  EXPECT_TRUE(raiz.ui.Caixas().empty());
}

// The statements of the other subsystems, as they write them, on both engines.
class ConexaoNoBanco : public ::testing::TestWithParam<Motor> {
 protected:
  teste::BancoAberto banco{GetParam()};
  CConexaoNfe& c = *banco.conexao;

  std::string Le(const std::string& sql, const std::string& coluna) {
    auto rs = c.RsConexao(sql);
    return rs->Eof() ? "(nada)" : rs->Value(coluna).Texto();
  }
};

TEST_P(ConexaoNoBanco, SchemaIsHarmlessTwice) {
  CriarEsquema(*c.Conexao(), c.Dialeto());
  EXPECT_EQ(CLng(c.RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n")), 1);
}

// A database made by an earlier version: its request table lacks the claim's
// Host, the invoice table the key before a contingency, and there are no
// heartbeat and contingency tables. Opening it as the Host does brings them
// all, keeping the rows; a command that only reads changes nothing.
TEST_P(ConexaoNoBanco, AnOlderDatabaseIsBroughtUpToDateWhenOpened) {
  const struct {
    const char* nome;
    ModoAbertura modo;
    bool atualiza;
  } casos[] = {{"Host", ModoAbertura::CriarSeFaltar, true}, {"SoLeitura", ModoAbertura::SoExistente, false}};
  int32_t nsu = 0;
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    for (const char* tabela : {"HostBatimento", "ContingenciaNFe", "FalhaServicoNFe"})
      banco.Executa(std::string("DROP TABLE ") + tabela);
    banco.Executa("ALTER TABLE SolicitacaoFuncaoNFe DROP COLUMN [Host da Analise]");
    banco.Executa("ALTER TABLE MovimentoNFe DROP COLUMN [Chave Anterior]");
    ASSERT_TRUE(banco.Inclui(++nsu, "10.0.0.5"));
    banco.conexao.reset();
    banco.conexao = std::make_unique<CConexaoNfe>(banco.raiz.ini, banco.raiz.caminhos, banco.raiz.ui, kCaminhoIni,
                                                  c.modo);
    ASSERT_TRUE(banco.conexao->ConexaoAtiva()) << banco.conexao->ErroAbertura();
    ConexaoDriver& driver = *banco.conexao->ConexaoCompartilhada();
    const auto funciona = [&](const std::string& sql) {
      try {
        driver.Consultar(sql);
        return true;
      } catch (const ErroExecucao&) {
        return false;
      }
    };
    for (const char* sql : {"SELECT COUNT(*) FROM HostBatimento", "SELECT [Host da Analise] FROM SolicitacaoFuncaoNFe",
                            "SELECT COUNT(*) FROM ContingenciaNFe", "SELECT COUNT(*) FROM FalhaServicoNFe",
                            "SELECT [Chave Anterior] FROM MovimentoNFe"})
      EXPECT_EQ(funciona(sql), c.atualiza) << sql;
    EXPECT_EQ(banco.Coluna(nsu, "IP Computador AC").Texto(), "10.0.0.5");
    if (c.atualiza) {
      EXPECT_TRUE(banco.Coluna(nsu, "Host da Analise").ENulo());
    } else {
      CriarEsquema(driver, banco.conexao->Dialeto());   // the next case starts from the new tables
    }
  }
}

TEST_P(ConexaoNoBanco, InvoiceBatchCityAndVoidingStatements) {
  const std::pair<std::string, int32_t> escritas[] = {
      {"INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Numero do Lote], [Numero da Recepcao], "
       "[Numero do Protocolo], [Etapa Concluida], Data ) VALUES ( 1, '1', 456, "
       "'35261212345678000190550010000004561000004567', 0, 0, 0, 0, '05/12/2026' )",
       1},
      {"UPDATE MovimentoNFe SET [Numero da Recepcao] = 351000012345678 WHERE Empresa = 1   AND Serie = '1'   AND "
       "[Numero da NFe] = '35261212345678000190550010000004561000004567'",
       1},
      {"UPDATE MovimentoNFe SET [Etapa Concluida] = 3 WHERE Empresa = 9", 0},
      {"UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'", 1},
      {"UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'", 1},
      {"INSERT INTO natureza_operacao (codigo, situacao_tributaria) VALUES ('5102', '102')", 1},
      {"INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3550308, 'São Paulo')", 1},
      {"INSERT INTO CidadeIBGE ( Codigo, Nome, UF ) Values ( '3550308', 'SAO PAULO', 'SP' )", 1},
      {"INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (1, '1', 'k')", 1},
      {"UPDATE MovimentoNFeSaidaCancelada SET [Numero do Protocolo] = 135260000000001, [Etapa Concluida] = 3 "
       "WHERE Empresa = 1   AND Serie = '1'   AND [Numero da NFe] = 'k'",
       1},
      {"INSERT INTO MovimentoNFeSaidaInutilizada (Empresa, Serie, Numero) VALUES (1, '1', 7)", 1},
      {"UPDATE MovimentoNFeSaidaInutilizada SET [Etapa Concluida] = 3 WHERE Empresa = 1 AND Serie = '1' AND "
       "Numero = 7",
       1},
  };
  for (const auto& [sql, linhas] : escritas) EXPECT_EQ(c.ExecutaSql(sql), linhas) << sql;

  const std::string movimento = "FROM MovimentoNFe WHERE Empresa = 1   AND Serie = '1'   AND Numero = 456";
  EXPECT_EQ(Le("SELECT [Numero da Recepcao] " + movimento, "Numero da Recepcao"), "351000012345678");
  EXPECT_EQ(Le("SELECT [Etapa Concluida] " + movimento, "Etapa Concluida"), "0");
  EXPECT_EQ(CDate(c.RsConexao("SELECT Data " + movimento)->Value("Data")), DataHora::De(2026, 12, 5));
  EXPECT_EQ(Le("SELECT Valor  FROM ConfiguracaoDiversa WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'", "Valor"),
            "2");
  EXPECT_EQ(Le("SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5102'", "situacao_tributaria"),
            "102");
  EXPECT_EQ(Le("SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5929'", "situacao_tributaria"),
            "(nada)");
  EXPECT_EQ(Le("SELECT UF, CMUN, XMUN  FROM Municipios ORDER BY UF, XMUN", "XMUN"), "São Paulo");
  EXPECT_EQ(CLng(c.RsConexao("SELECT Codigo, Nome, UF FROM CidadeIBGE")->Value("codigo")), 3550308);
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

TEST_P(ConexaoNoBanco, ErrorsGoToAMessageBox) {
  EXPECT_EQ(c.ExecutaSql("UPDATE TabelaQueNaoExiste SET a = 1"), 0);
  EXPECT_EQ(c.RsConexao("SELECT * FROM TabelaQueNaoExiste")->State(), adStateClosed);
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
