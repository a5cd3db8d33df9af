#include "manager/converte_cidade.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/regional.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "manager/gerenciador_nfe.h"
#include "ambiente_teste.h"
#include "fila_falsa.h"

namespace velant {
namespace {

using teste::AmbienteTeste;

// The real SQLite connection of the root, keeping the statements it ran.
class ConexaoQueGuarda : public data::CConexaoNfe {
 public:
  using CConexaoNfe::CConexaoNfe;
  int32_t ExecutaSql(const std::string& sql) override {
    comandos.push_back(sql);
    return CConexaoNfe::ExecutaSql(sql);
  }
  std::vector<std::string> comandos;
};

class ConverteCidade : public ::testing::Test {
 protected:
  ConverteCidade() {
    data::GarantirConfiguracaoBanco(a.ini);
    conexao = std::make_unique<ConexaoQueGuarda>(a.ini, a.caminhos, a.ui);
    a.ctx.ConexaoBanco = conexao.get();
  }
  void Executa(const std::string& sql) { ASSERT_EQ(conexao->ExecutaSql(sql), 1) << sql; }
  // "codigo|nome|uf" of every row, in code order.
  std::vector<std::string> Copiadas() {
    std::vector<std::string> linhas;
    auto rs = conexao->RsConexao("SELECT Codigo, Nome, UF FROM CidadeIBGE ORDER BY Codigo, Nome");
    for (; !rs->Eof(); rs->MoveNext())
      linhas.push_back(CStr(rs->Value(0)) + "|" + CStr(rs->Value(1)) + "|" + CStr(rs->Value(2)));
    return linhas;
  }

  AmbienteTeste a;
  std::unique_ptr<ConexaoQueGuarda> conexao;
};

TEST_F(ConverteCidade, CopiesUpperCaseNamesWithoutAccentsAndTheApostropheAsAnAccent) {
  Executa("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3550308, 'São Paulo')");
  Executa("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('RO', 1100015, 'Alta Floresta D''Oeste')");
  Executa("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('PI', 2207108, 'Olho D''Água do Piauí')");
  Executa("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('RS', 4317103, 'Sant''Ana do Livramento')");
  conexao->comandos.clear();

  ResultadoConverteCidade r = ConverteCidade1(a.ctx);

  EXPECT_FALSE(r.erro);
  EXPECT_EQ(r.inseridos, 4);
  EXPECT_TRUE(a.ui.Caixas().empty());
  // In the order of the query: by state, then by name.
  EXPECT_EQ(conexao->comandos,
            (std::vector<std::string>{
                "INSERT INTO CidadeIBGE ( Codigo, Nome, UF ) Values ( '2207108', 'OLHO D´AGUA DO PIAUI', 'PI' )",
                "INSERT INTO CidadeIBGE ( Codigo, Nome, UF ) Values ( '1100015', 'ALTA FLORESTA D´OESTE', 'RO' )",
                "INSERT INTO CidadeIBGE ( Codigo, Nome, UF ) Values ( '4317103', 'SANT´ANA DO LIVRAMENTO', 'RS' )",
                "INSERT INTO CidadeIBGE ( Codigo, Nome, UF ) Values ( '3550308', 'SAO PAULO', 'SP' )"}));
  EXPECT_EQ(Copiadas(), (std::vector<std::string>{"1100015|ALTA FLORESTA D´OESTE|RO", "2207108|OLHO D´AGUA DO PIAUI|PI",
                                                  "3550308|SAO PAULO|SP", "4317103|SANT´ANA DO LIVRAMENTO|RS"}));
}

TEST_F(ConverteCidade, PressingAgainAddsOnlyTheMunicipalitiesNotYetCopied) {
  Executa("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3550308, 'São Paulo')");
  ASSERT_EQ(ConverteCidade1(a.ctx).inseridos, 1);
  Executa("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3509502, 'Campinas')");

  ResultadoConverteCidade r = ConverteCidade1(a.ctx);

  EXPECT_EQ(r.inseridos, 1);
  EXPECT_EQ(r.jaCopiados, 1);
  EXPECT_TRUE(a.ui.Caixas().empty());
  EXPECT_EQ(Copiadas(), (std::vector<std::string>{"3509502|CAMPINAS|SP", "3550308|SAO PAULO|SP"}));
}

TEST_F(ConverteCidade, EmptySourceInsertsNothingAndSaysNothing) {
  ResultadoConverteCidade r = ConverteCidade1(a.ctx);
  EXPECT_FALSE(r.erro);
  EXPECT_EQ(r.inseridos, 0);
  EXPECT_TRUE(a.ui.Caixas().empty());
  EXPECT_TRUE(Copiadas().empty());
}

TEST_F(ConverteCidade, AQuoteInAnyValueStaysInsideItsLiteral) {
  Executa("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('S''', 3550308, 'São Paulo')");
  ResultadoConverteCidade r = ConverteCidade1(a.ctx);
  EXPECT_FALSE(r.erro);
  EXPECT_TRUE(a.ui.Caixas().empty());
  EXPECT_EQ(Copiadas(), (std::vector<std::string>{"3550308|SAO PAULO|S'"}));
}

TEST_F(ConverteCidade, AnErrorStopsTheCopyWithTheRoutinesBox) {
  const struct {
    const char* tabela;
    int inseridos;
  } casos[] = {{"Municipios", 0}, {"CidadeIBGE", 0}};
  for (const auto& c : casos) {
    AmbienteTeste b;
    data::GarantirConfiguracaoBanco(b.ini);
    data::CConexaoNfe banco(b.ini, b.caminhos, b.ui);
    b.ctx.ConexaoBanco = &banco;
    banco.ExecutaSql("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3550308, 'São Paulo')");
    banco.ExecutaSql(std::string("DROP TABLE ") + c.tabela);

    ResultadoConverteCidade r = ConverteCidade1(b.ctx);

    EXPECT_TRUE(r.erro) << c.tabela;
    EXPECT_EQ(r.inseridos, c.inseridos) << c.tabela;
    // The connection's own box for the failed query, then the routine's.
    ASSERT_EQ(b.ui.Caixas().size(), 2u) << c.tabela;
    EXPECT_NE(b.ui.Caixas()[0].prompt.find(c.tabela), std::string::npos) << b.ui.Caixas()[0].prompt;
    const auto& caixa = b.ui.Caixas()[1];
    EXPECT_EQ(caixa.titulo, "Rotina: ConverteCidade1");
    EXPECT_EQ(caixa.estilo, vbInformation);
    EXPECT_EQ(caixa.prompt.rfind("ERrO não identificado!\r\n", 0), 0u) << caixa.prompt;
    EXPECT_EQ(caixa.prompt.substr(caixa.prompt.rfind("\r\n")), "\r\n3704") << caixa.prompt;
  }
}

TEST_F(ConverteCidade, WithoutADatabaseObjectTheBoxSaysSo) {
  a.ctx.ConexaoBanco = nullptr;
  EXPECT_TRUE(ConverteCidade1(a.ctx).erro);
  ASSERT_EQ(a.ui.Caixas().size(), 1u);
  EXPECT_EQ(a.ui.Caixas()[0].prompt.substr(a.ui.Caixas()[0].prompt.rfind("\r\n")), "\r\n91");
}

// The window's button runs the utility once the manager has loaded, and
// no longer after it unloaded.
TEST(ConverteCidadeBotao, Command1RunsTheUtilityWhileTheManagerIsLoaded) {
  AmbienteTeste a;
  a.ini.GravarIni("Local", "IP do Computador a ser processado", "127.0.0.1", a.host.CaminhoIni);
  teste::ManipuladoresTeste m;
  GerenciadorNFe g(a.ctx, a.host, m);
  g.ObterIP = [] { return "10.0.0.5"; };
  ASSERT_TRUE(g.Carrega());
  ASSERT_EQ(a.ctx.ConexaoBanco->ExecutaSql("INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3550308, 'São Paulo')"), 1);

  a.ui.PressionarCommand1();
  auto conta = [&] { return CLng(a.ctx.ConexaoBanco->RsConexao("SELECT COUNT(*) FROM CidadeIBGE")->Value(0)); };
  EXPECT_EQ(conta(), 1);

  a.ctx.ConexaoBanco->ExecutaSql("DELETE FROM CidadeIBGE");
  g.Descarrega();
  a.ui.PressionarCommand1();   // must not reach the manager that went away
  EXPECT_TRUE(a.ui.Caixas().empty());
}

}  // namespace
}  // namespace velant
