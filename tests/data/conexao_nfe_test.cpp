#include "data/conexao_nfe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "apoio/erro_teste.h"
#include "apoio_dados.h"
#include "base/erro.h"
#include "base/regional.h"
#include "data/configuracao_banco.h"
#include "data/criacao_banco.h"
#include "data/esquema_banco.h"

namespace velant::data {
namespace {

using teste::Motor;
using velant::teste::ErroDe;
using teste::RaizTeste;
using Chaves = std::vector<std::pair<std::string, std::string>>;
const char* const kTipo = "Gerenciador de Banco de Dados";

// Kinds without a driver open nothing, and their statements fail in a box;
// the connection text start-up shows names the internal name after
// "dvk_data" once and leaves the password out.
TEST(Conexao, ConnectionTextAndOpeningOfEachKind) {
  const char* const pasta = "Data Source=C:\\KorvanePafEcf\\NFe\\VelantNFe\\";
  const char* const semServidor = "Banco de dados POSTGRESQL: nenhuma conexão aberta: ";   // and no box
  const struct { Chaves chaves; std::string texto; std::optional<std::string> erro; } casos[] = {
      {{{kTipo, "SQLITE"}, {"Arquivo do Banco de Dados", "D:\\Dados\\loja.db"}}, "Data Source=D:\\Dados\\loja.db;", ""},
      {{{kTipo, "SQLITE"}, {"Nome Interno BD", "02"}}, pasta + std::string("dvk_data02.db;"), ""},
      {{{kTipo, "SQLITE"}, {"Nome Interno BD", "dvk_data"}}, pasta + std::string("dvk_data.db;"), ""},
      {{{kTipo, "SQLITE"}, {"Nome Interno BD", "DVK_DATA"}}, pasta + std::string("dvk_dataDVK_DATA.db;"), ""},
      {{{kTipo, "POSTGRESQL"}, {"IP do Banco de Dados", "127.0.0.1"}}, "Host=127.0.0.1;Port=5432;Database=dvk_data;",
       std::nullopt},
      {{{kTipo, "POSTGRESQL"}, {"IP do Banco de Dados", "127.0.0.1"}, {"Nome Interno BD", "01"},
        {"Porta do Banco de Dados", "1"}, {"Usuario do Banco de Dados", "nfe"}, {"Senha do Banco de Dados", "s3nha"}},
       "Host=127.0.0.1;Port=1;Database=dvk_data01;User ID=nfe;", semServidor},
      {{{kTipo, "ACCESS"}}, "", "Banco de dados ACCESS sem driver nesta plataforma: nenhuma conexão aberta"},
      {{{kTipo, "sqlserver"}}, "",
       "Banco de dados desconhecido \"sqlserver\" (use SQLITE ou POSTGRESQL): nenhuma conexão aberta"},
      {{}, "", "Banco de dados não configurado (seção SGBD): nenhuma conexão aberta"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.texto + c.erro.value_or(""));
    RaizTeste raiz;
    for (const auto& [chave, valor] : c.chaves) raiz.Grava(chave, valor);
    auto conexao = raiz.Conecta();
    EXPECT_EQ(conexao->ConnectionString().substr(0, c.texto.size()), c.texto);
    if (!c.erro) continue;
    EXPECT_EQ(conexao->ConexaoAtiva(), c.erro->empty());
    EXPECT_TRUE(conexao->ErroAbertura().starts_with(*c.erro)) << conexao->ErroAbertura();
    if (!c.texto.empty()) {
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
  EXPECT_TRUE(raiz.ui.Caixas().empty() && pg.ui.Caixas().empty());

  RaizTeste oracle;
  oracle.Grava(kTipo, "ORACLE");
  GarantirConfiguracaoBanco(oracle.ini);
  EXPECT_EQ(oracle.ini.LerIni("SGBD", kTipo, kCaminhoIni), "ORACLE");
  EXPECT_EQ(CriarBancoDados(oracle.ini, oracle.caminhos, oracle.ui, kCaminhoIni).mensagem,
            "Banco de dados ORACLE sem driver nesta plataforma: nenhuma conexão aberta");
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
                            "SELECT [Chave Anterior] FROM MovimentoNFe", "SELECT COUNT(*) FROM DocumentoNFe"})
      EXPECT_EQ(ErroDe([&] { (void)banco.conexao->ConexaoCompartilhada()->Consultar(sql); }).has_value(), !atualiza) << sql;
    EXPECT_EQ(banco.Coluna(nsu, "IP Computador AC").Texto(), "10.0.0.5");
  }
  EXPECT_TRUE(banco.Coluna(nsu, "Host da Analise").ENulo());
  EXPECT_EQ(CLng(banco.conexao->RsConexao("SELECT COUNT(*) AS n FROM ConfiguracaoDiversa")->Value("n")), 1);
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
