#include "data/conexao_nfe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "apoio_dados.h"
#include "base/tabela_tsv_teste.h"
#include "base/regional.h"
#include "data/configuracao_banco.h"
#include "data/criacao_banco.h"

namespace velant::data {
namespace {

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

}  // namespace
}  // namespace velant::data
