#include <gtest/gtest.h>

#include <array>

#include "base/regional.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"
#include "data/solicitacao_funcao_nfe.h"
#include "manager/gerenciador_nfe.h"
#include "ambiente_teste.h"
#include "fila_falsa.h"

namespace velant {
namespace {

using teste::AmbienteTeste;

constexpr const char* kIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";
constexpr const char* kStatus = "000-000 - STATUS SERVICO\r\n001-000 - 3\r\n999-999 - \r\n";

class Inicio : public ::testing::Test {
 protected:
  Inicio() {
    g.ObterIP = [] { return "10.0.0.5"; };
    a.relogio.passoSegundos = 0.5;
  }
  void GravaIP(const std::string& ip) { a.ini.GravarIni("Local", "IP do Computador a ser processado", ip, kIni); }
  std::string LeIni(const std::string& secao, const std::string& chave) { return a.ini.LerIni(secao, chave, kIni); }

  AmbienteTeste a;
  teste::ManipuladoresTeste m;
  GerenciadorNFe g{a.ctx, a.host, m};
};

TEST_F(Inicio, PrimeiraExecucaoGravaOIPEOBancoEAbreAFila) {
  a.host.BancoAccess = true;
  a.tabelas.TabelaNotaCriada = a.tabelas.TabelaDuplicatasCriada = a.tabelas.TabelaCuponsCriada = true;
  ASSERT_TRUE(g.Carrega());
  EXPECT_TRUE(a.ui.IconeNaBandeja());
  // PC's IP|title|tray tip|INI IP|INI database|IP served|base folder|label
  EXPECT_EQ(g.Janela().IPDestePC + "|" + a.ui.Titulo() + "|" + a.ui.DicaBandeja() + "|" +
                LeIni("Local", "IP do Computador a ser processado") + "|" + LeIni("SGBD", "Gerenciador de Banco de Dados") +
                "|" + a.host.IPProcessamento + "|" + a.atual.PastaBase + "|" + a.ui.Status(),
            "10.0.0.5|Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5|Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5|10.0.0.5|"
            "SQLITE|10.0.0.5|C:\\Dunmor|Ativo: Aguardando Solicitação");
  // Access, SQL Server, SQLite, PostgreSQL: SQLite speaks the SQL Server dialect.
  EXPECT_EQ((std::array{a.host.BancoAccess, a.host.BancoSqlServer, a.host.BancoSqlite, a.host.BancoPostgreSql}),
            (std::array{false, true, true, false}));
  EXPECT_FALSE(a.tabelas.TabelaNotaCriada || a.tabelas.TabelaDuplicatasCriada || a.tabelas.TabelaCuponsCriada);
  ASSERT_NE(a.ctx.ConexaoBanco, nullptr);
  EXPECT_TRUE(a.ctx.ConexaoBanco->ConexaoAtiva());
  EXPECT_NE(a.ctx.Solicitacao, nullptr);
  EXPECT_TRUE(a.ui.Caixas().empty());
}

TEST_F(Inicio, IpDeTestesServeEmQualquerComputador) {
  GravaIP("127.0.0.1");
  ASSERT_TRUE(g.Carrega());
  EXPECT_EQ(a.host.IPProcessamento + "|" + LeIni("Local", "IP do Computador a ser processado"), "127.0.0.1|127.0.0.1");
  EXPECT_TRUE(a.ui.Caixas().empty());
}

TEST_F(Inicio, SemIPDaRedeServeOsPedidosSemIP) {
  g.ObterIP = [] { return std::string(); };
  ASSERT_TRUE(g.Carrega());
  EXPECT_EQ(a.host.IPProcessamento, "");
  EXPECT_EQ(a.ui.Titulo(), "Velant NFe V-6.07.01.1 IP deste PC:");
}

// A Host that could never open its queue would show "Ativo" and serve nothing.
TEST_F(Inicio, BancoSemDriverERecusadoNoInicio) {
  const std::pair<const char*, const char*> casos[] = {
      {"SQLSERVER", "Banco de dados SQLSERVER sem driver nesta plataforma: nenhuma conexão aberta"},
      {"sqlite", "Banco de dados desconhecido \"sqlite\" (use SQLITE ou POSTGRESQL): nenhuma conexão aberta"}};
  for (const auto& [tipo, linha] : casos) {
    AmbienteTeste amb;
    GerenciadorNFe host(amb.ctx, amb.host, m);
    host.ObterIP = [] { return "10.0.0.5"; };
    amb.ini.GravarIni("SGBD", "Gerenciador de Banco de Dados", tipo, kIni);
    EXPECT_FALSE(host.Carrega()) << tipo;
    EXPECT_TRUE(amb.NaLista(std::string(" ** Erro: ") + linha)) << tipo;
    ASSERT_EQ(amb.ui.Caixas().size(), 1u) << tipo;
    EXPECT_EQ(amb.ui.Caixas()[0].titulo + "|" + amb.ui.Caixas()[0].prompt,
              "Banco de Dados não suportado!|" + std::string(linha) + "\r\nFavor configurar no arquivo de configuração\r\n" + kIni);
    EXPECT_EQ(amb.ctx.ConexaoBanco, nullptr);
  }
}

TEST_F(Inicio, ProgressoDoManipuladorVaiParaALinha) {
  GravaIP("127.0.0.1");
  ASSERT_TRUE(g.Carrega());
  ASSERT_TRUE(teste::IncluiPedido(*a.ctx.ConexaoBanco, a, 7, kStatus, "10.1.1.1"));
  // A progress line goes into the row while the handler runs: trimmed, cut to 50 characters.
  std::string progresso;
  m.efeito = [&] {
    a.log.RegistraEvento("   Consultando o serviço... com um texto bem mais longo que cinquenta   ", true, true);
    data::cSolicitacaoFuncaoNFe leitura(*a.ctx.ConexaoBanco, a.host, a.ui);
    if (leitura.LocalizarCodigo(7)) progresso = leitura.Mensagem();
  };
  g.Tique();
  EXPECT_EQ(progresso, "Consultando o serviço... com um texto bem mais lon");
  // The answer replaces it (the row's stamps are casos/comandos.caso's).
  data::cSolicitacaoFuncaoNFe ac(*a.ctx.ConexaoBanco, a.host, a.ui);
  ASSERT_TRUE(ac.LocalizarCodigo(7));
  EXPECT_EQ(ac.Mensagem(), "Serviço de NFe Disponível");
  EXPECT_NE(a.ArquivoLog().find("Consultando o serviço..."), std::string::npos);
  EXPECT_EQ(a.ArquivoLog().find("Não foi possível definir mensagem"), std::string::npos);
}

// The Host run names itself in its claims and keeps its heartbeat going
// while a request waits (the emission's waits take seconds); its row goes
// when it unloads.
TEST_F(Inicio, BatimentoSegueDuranteUmaSolicitacaoLonga) {
  GravaIP("127.0.0.1");
  ASSERT_TRUE(g.Carrega());
  ASSERT_GT(a.host.IdHost, 0);
  ASSERT_TRUE(teste::IncluiPedido(*a.ctx.ConexaoBanco, a, 8, kStatus, ""));
  data::ConexaoDriver& banco = *a.ctx.ConexaoBanco->ConexaoCompartilhada();
  const auto contador = [&] {
    data::Recordset rs =
        banco.Consultar("SELECT Contador FROM HostBatimento WHERE Id = " + std::to_string(a.host.IdHost));
    return rs.Eof() ? int64_t{-1} : CLngLng(rs.Value(0));
  };
  int64_t antes = -1, depois = -1;
  int64_t posse = 0;
  m.efeito = [&] {
    posse = CLngLng(banco.Consultar("SELECT [Host da Analise] FROM SolicitacaoFuncaoNFe WHERE NSU = 8").Value(0));
    antes = contador();
    a.relogio.passoSegundos = 0;   // the wall clock stands: the wait lasts its two seconds
    AguardaSegundos(a.ctx, 2);
    depois = contador();
  };
  g.Tique();
  EXPECT_EQ(posse, a.host.IdHost);
  EXPECT_GE(antes, 0);
  EXPECT_GT(depois, antes);
  g.Descarrega();
  data::CConexaoNfe outra(a.ini, a.caminhos, a.ui, kIni);
  EXPECT_TRUE(outra.ConexaoCompartilhada()
                  ->Consultar("SELECT Id FROM HostBatimento WHERE Id = " + std::to_string(a.host.IdHost))
                  .Eof());
}

TEST_F(Inicio, DescargaFechaAConexaoCompartilhada) {
  ASSERT_TRUE(g.Carrega());
  g.Descarrega();
  EXPECT_EQ(a.ctx.ConexaoBanco, nullptr);
  EXPECT_EQ(a.ctx.Solicitacao, nullptr);
  // The log no longer writes through the released record.
  a.atual.NSUAtual = 1;
  a.log.RegistraEvento("depois da descarga", true, true);
  EXPECT_TRUE(a.NaLista("depois da descarga"));
}

}  // namespace
}  // namespace velant
