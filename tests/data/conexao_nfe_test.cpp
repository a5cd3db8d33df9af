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
using Chaves = std::vector<std::pair<std::string, std::string>>;

const char* const kPastaBanco = "C/KorvanePafEcf/NFe/VelantNFe";
const char* const kTipo = "Gerenciador de Banco de Dados";

std::unique_ptr<CConexaoNfe> Conecta(RaizTeste& raiz, const Chaves& chaves) {
  for (const auto& [chave, valor] : chaves) raiz.Grava(chave, valor);
  return raiz.Conecta();
}

TEST(ConexaoSemDriver, KindsWithoutADriverOpenNothingAndStatementsFailInABox) {
  const std::pair<std::string, std::string> casos[] = {
      {"ACCESS", "Banco de dados ACCESS sem driver nesta plataforma: nenhuma conexão aberta"},
      {"ORACLE", "Banco de dados ORACLE sem driver nesta plataforma: nenhuma conexão aberta"},
      {"sqlserver", "Banco de dados desconhecido \"sqlserver\" (use SQLITE ou POSTGRESQL): nenhuma conexão aberta"},
      {"", "Banco de dados não configurado (seção SGBD): nenhuma conexão aberta"},
  };
  for (const auto& [tipo, linhaLog] : casos) {
    RaizTeste raiz;
    auto conexao = Conecta(raiz, tipo.empty() ? Chaves{} : Chaves{{kTipo, tipo}});
    EXPECT_FALSE(conexao->ConexaoAtiva());
    EXPECT_EQ(conexao->ErroAbertura(), linhaLog);
    EXPECT_EQ(conexao->ExecutaSql("DELETE FROM x"), 0);
    EXPECT_EQ(conexao->RsConexao("SELECT 1")->State(), adStateClosed);
    ASSERT_EQ(raiz.ui.Caixas().size(), 2u);
    EXPECT_EQ(raiz.ui.Caixas()[0].prompt.substr(0, 7), "3704 - ");
  }
}

// The connection text start-up shows; the database name is the internal
// name after "dvk_data", once; the password stays out.
TEST(Conexao, ConnectionTextOfEachKind) {
  const char* const pasta = "Data Source=C:\\KorvanePafEcf\\NFe\\VelantNFe\\";
  const struct { Chaves chaves; std::string texto; } casos[] = {
      {{{kTipo, "SQLITE"}, {"Arquivo do Banco de Dados", "D:\\Dados\\loja.db"}}, "Data Source=D:\\Dados\\loja.db;"},
      {{{kTipo, "SQLITE"}, {"Nome Interno BD", "02"}}, pasta + std::string("dvk_data02.db;")},
      {{{kTipo, "SQLITE"}, {"Nome Interno BD", "dvk_data"}}, pasta + std::string("dvk_data.db;")},
      {{{kTipo, "SQLITE"}, {"Nome Interno BD", "DVK_DATA"}}, pasta + std::string("dvk_dataDVK_DATA.db;")},
      {{{kTipo, "POSTGRESQL"}, {"IP do Banco de Dados", "127.0.0.1"}}, "Host=127.0.0.1;Port=5432;Database=dvk_data;"},
  };
  for (const auto& c : casos) {
    RaizTeste raiz;
    EXPECT_EQ(Conecta(raiz, c.chaves)->ConnectionString(), c.texto);
  }
  RaizTeste raiz;
  EXPECT_TRUE(Conecta(raiz, casos[0].chaves)->ConexaoAtiva());
  EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / "D/Dados/loja.db"));
}

TEST(ConexaoPostgreSql, UnreachableServerLeavesItClosedWithoutABox) {
  RaizTeste raiz;
  auto c = Conecta(raiz, {{kTipo, "POSTGRESQL"}, {"IP do Banco de Dados", "127.0.0.1"}, {"Nome Interno BD", "01"},
                          {"Porta do Banco de Dados", "1"}, {"Usuario do Banco de Dados", "nfe"},
                          {"Senha do Banco de Dados", "s3nha"}});
  EXPECT_FALSE(c->ConexaoAtiva());
  EXPECT_EQ(c->ConnectionString(), "Host=127.0.0.1;Port=1;Database=dvk_data01;User ID=nfe;");
  EXPECT_TRUE(c->ErroAbertura().starts_with("Banco de dados POSTGRESQL: nenhuma conexão aberta: ")) << c->ErroAbertura();
  EXPECT_TRUE(raiz.ui.Caixas().empty());
}

// The first start writes SQLITE and creates the file with its tables and the
// counter row; a second one keeps them; a configured kind stays.
TEST(CriacaoBanco, FirstStartAndTheCreateCommand) {
  RaizTeste raiz;
  EXPECT_TRUE(CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni).ok);
  EXPECT_EQ(raiz.ini.LerIni("SGBD", kTipo, kCaminhoIni), "SQLITE");
  auto c = raiz.Conecta();
  ASSERT_TRUE(c->ConexaoAtiva()) << c->ErroAbertura();
  EXPECT_EQ(c->Dialeto(), DialetoSql::Sqlite);
  EXPECT_TRUE(std::filesystem::exists(raiz.pasta.Caminho() / kPastaBanco / "dvk_data.db"));
  EXPECT_EQ(c->ExecutaSql("UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Nome = 'Contador Lote NFe'"), 1);
  c.reset();
  GarantirConfiguracaoBanco(raiz.ini);
  c = raiz.Conecta();
  EXPECT_EQ(c->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n").Texto(), "1");
  EXPECT_EQ(c->RsConexao("SELECT Valor FROM ConfiguracaoDiversa")->Value("Valor").Texto(), "1");
  EXPECT_TRUE(raiz.ui.Caixas().empty());

  RaizTeste oracle;
  oracle.Grava(kTipo, "ORACLE");
  GarantirConfiguracaoBanco(oracle.ini);
  EXPECT_EQ(oracle.ini.LerIni("SGBD", kTipo, kCaminhoIni), "ORACLE");
  auto r = CriarBancoDados(oracle.ini, oracle.caminhos, oracle.ui, kCaminhoIni);
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
  ASSERT_TRUE(CriarBancoDados(raiz.ini, raiz.caminhos, raiz.ui, kCaminhoIni).ok);
  EXPECT_EQ(CLng(raiz.Conecta()->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n")), 1);
  EXPECT_TRUE(raiz.ui.Caixas().empty());
}

class ConexaoNoBanco : public ::testing::TestWithParam<Motor> {
 protected:
  teste::BancoAberto banco{GetParam()};
};

// A database made by an earlier version: its request table lacks the claim's
// Host, the invoice table the key before a contingency, and there are no
// heartbeat, contingency and document tables. Opening it as the Host does
// brings them all, keeping the rows; a command that only reads changes nothing.
TEST_P(ConexaoNoBanco, AnOlderDatabaseIsBroughtUpToDateWhenOpened) {
  const std::pair<ModoAbertura, bool> casos[] = {{ModoAbertura::SoExistente, false},
                                                 {ModoAbertura::CriarSeFaltar, true}};
  int32_t nsu = 0;
  for (const auto& [modo, atualiza] : casos) {
    SCOPED_TRACE(atualiza);
    CriarEsquema(*banco.conexao->Conexao(), banco.conexao->Dialeto());   // harmless on a complete database
    for (const char* tabela : {"HostBatimento", "ContingenciaNFe", "FalhaServicoNFe", "DocumentoNFe"})
      banco.Executa(std::string("DROP TABLE ") + tabela);
    banco.Executa("ALTER TABLE SolicitacaoFuncaoNFe DROP COLUMN [Host da Analise]");
    banco.Executa("ALTER TABLE MovimentoNFe DROP COLUMN [Chave Anterior]");
    ASSERT_TRUE(banco.Inclui(++nsu, "10.0.0.5"));
    banco.conexao.reset();
    banco.conexao =
        std::make_unique<CConexaoNfe>(banco.raiz.ini, banco.raiz.caminhos, banco.raiz.ui, kCaminhoIni, modo);
    ASSERT_TRUE(banco.conexao->ConexaoAtiva()) << banco.conexao->ErroAbertura();
    for (const char* sql : {"SELECT COUNT(*) FROM HostBatimento", "SELECT [Host da Analise] FROM SolicitacaoFuncaoNFe",
                            "SELECT COUNT(*) FROM ContingenciaNFe", "SELECT COUNT(*) FROM FalhaServicoNFe",
                            "SELECT [Chave Anterior] FROM MovimentoNFe", "SELECT COUNT(*) FROM DocumentoNFe"}) {
      bool funciona = true;
      try {
        banco.conexao->ConexaoCompartilhada()->Consultar(sql);
      } catch (const ErroExecucao&) {
        funciona = false;
      }
      EXPECT_EQ(funciona, atualiza) << sql;
    }
    EXPECT_EQ(banco.Coluna(nsu, "IP Computador AC").Texto(), "10.0.0.5");
  }
  EXPECT_TRUE(banco.Coluna(nsu, "Host da Analise").ENulo());
  EXPECT_EQ(CLng(banco.conexao->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n")), 1);
}

// Statements the emission, cancellation and voiding write, with what each
// engine makes of them: a date as text, a long number, bracketed names.
TEST_P(ConexaoNoBanco, StatementsOfTheOtherSubsystems) {
  CConexaoNfe& c = *banco.conexao;
  for (const char* sql :
       {"INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Numero do Lote], [Etapa Concluida], Data)"
        " VALUES ( 1, '1', 456, 'k', 0, 0, '05/12/2026' )",
        "INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (1, '1', 'k')",
        "UPDATE MovimentoNFeSaidaCancelada SET [Numero do Protocolo] = 135260000000001, [Etapa Concluida] = 3",
        "INSERT INTO MovimentoNFeSaidaInutilizada (Empresa, Serie, Numero) VALUES (1, '1', 7)"})
    EXPECT_EQ(c.ExecutaSql(sql), 1) << sql;
  EXPECT_EQ(CDate(c.RsConexao("SELECT Data FROM MovimentoNFe")->Value("Data")), DataHora::De(2026, 12, 5));
  EXPECT_EQ(c.RsConexao("SELECT [Numero do Protocolo] FROM MovimentoNFeSaidaCancelada")->Value(0).Texto(),
            "135260000000001");
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

// Errors go to a message box; a transaction runs on the shared connection.
TEST_P(ConexaoNoBanco, ErrorsAndTransactions) {
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

INSTANTIATE_TEST_SUITE_P(Motores, ConexaoNoBanco, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant::data
