#include <gtest/gtest.h>

#include <array>

#include "base/regional.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"
#include "manager/gerenciador_nfe.h"
#include "ambiente_teste.h"

namespace velant {
namespace {

constexpr const char* kIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";

class Inicio : public ::testing::Test {
 protected:
  Inicio() {
    g.ObterIP = [] { return "10.0.0.5"; };
    a.relogio.passoSegundos = 0.5;
  }

  teste::AmbienteTeste a;
  teste::ManipuladoresTeste m;
  GerenciadorNFe g{a.ctx, a.host, m};
};

// (The INI's IP and the database file of a first run are ponta/gerente_inicio.sh's.)
TEST_F(Inicio, PrimeiraExecucaoAbreAFilaEDescargaAFecha) {
  a.host.BancoAccess = true;
  a.tabelas.TabelaNotaCriada = a.tabelas.TabelaDuplicatasCriada = a.tabelas.TabelaCuponsCriada = true;
  ASSERT_TRUE(g.Carrega());
  // tray|title|tray tip|INI database|IP served|base folder|label|boxes
  EXPECT_EQ(std::to_string(a.ui.IconeNaBandeja()) + "|" + a.ui.Titulo() + "|" + a.ui.DicaBandeja() + "|" +
                a.ini.LerIni("SGBD", "Gerenciador de Banco de Dados", kIni) + "|" + a.host.IPProcessamento + "|" +
                a.atual.PastaBase + "|" + a.ui.Status() + "|" + std::to_string(a.ui.Caixas().size()),
            "1|Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5|Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5|"
            "SQLITE|10.0.0.5|C:\\Dunmor|Ativo: Aguardando Solicitação|0");
  // Access, SQL Server, SQLite, PostgreSQL: SQLite speaks the SQL Server dialect.
  EXPECT_EQ((std::array{a.host.BancoAccess, a.host.BancoSqlServer, a.host.BancoSqlite, a.host.BancoPostgreSql}),
            (std::array{false, true, true, false}));
  EXPECT_FALSE(a.tabelas.TabelaNotaCriada || a.tabelas.TabelaDuplicatasCriada || a.tabelas.TabelaCuponsCriada);
  ASSERT_TRUE(a.ctx.ConexaoBanco != nullptr && a.ctx.Solicitacao != nullptr && a.ctx.ConexaoBanco->ConexaoAtiva());
  g.Descarrega();
  EXPECT_TRUE(a.ctx.ConexaoBanco == nullptr && a.ctx.Solicitacao == nullptr);
  // The log no longer writes through the released record.
  a.atual.NSUAtual = 1;
  a.log.RegistraEvento("depois da descarga", true, true);
  EXPECT_TRUE(a.NaLista("depois da descarga"));
}

// A Host that could never open its queue would show "Ativo" and serve nothing.
TEST_F(Inicio, BancoSemDriverERecusadoNoInicio) {
  const std::string linha = "Banco de dados SQLSERVER sem driver nesta plataforma: nenhuma conexão aberta";
  a.ini.GravarIni("SGBD", "Gerenciador de Banco de Dados", "SQLSERVER", kIni);
  EXPECT_FALSE(g.Carrega());
  EXPECT_TRUE(a.NaLista(" ** Erro: " + linha));
  ASSERT_EQ(a.ui.Caixas().size(), 1u);
  EXPECT_EQ(a.ui.Caixas()[0].titulo + "|" + a.ui.Caixas()[0].prompt,
            "Banco de Dados não suportado!|" + linha + "\r\nFavor configurar no arquivo de configuração\r\n" + kIni);
  EXPECT_EQ(a.ctx.ConexaoBanco, nullptr);
}

// While a request is served on the real database, a progress line goes into
// its row (trimmed, cut to 50 characters) and the Host's heartbeat goes on
// (the emission's waits take seconds); the Host names itself in its claim,
// and its heartbeat row goes when it unloads.
TEST_F(Inicio, ProgressoEBatimentoDuranteUmaSolicitacao) {
  a.ini.GravarIni("Local", "IP do Computador a ser processado", "127.0.0.1", kIni);
  ASSERT_TRUE(g.Carrega());
  ASSERT_TRUE(teste::IncluiPedido(*a.ctx.ConexaoBanco, a, 7, teste::Pedido("STATUS SERVICO"), "10.1.1.1"));
  data::ConexaoDriver& banco = *a.ctx.ConexaoBanco->ConexaoCompartilhada();
  const auto consulta = [&](const std::string& sql) {
    data::Recordset rs = banco.Consultar(sql);
    return rs.Eof() ? std::string("-") : CStr(rs.Value(0));
  };
  // A missing row ("-") raises, which the handler's error shows.
  const auto contador = [&] { return std::stoll(consulta("SELECT Contador FROM HostBatimento WHERE Id = " + std::to_string(a.host.IdHost))); };
  std::string durante;
  int64_t antes = -1, depois = -1;
  m.efeito = [&] {
    a.log.RegistraEvento("   Consultando o serviço... com um texto bem mais longo que cinquenta   ", true, true);
    durante = consulta("SELECT Mensagem FROM SolicitacaoFuncaoNFe WHERE NSU = 7") + "|" +
              consulta("SELECT [Host da Analise] FROM SolicitacaoFuncaoNFe WHERE NSU = 7");
    antes = contador();
    a.relogio.passoSegundos = 0;   // the wall clock stands: the wait lasts its two seconds
    AguardaSegundos(a.ctx, 2);
    depois = contador();
  };
  g.Tique();
  EXPECT_EQ(durante, "Consultando o serviço... com um texto bem mais lon|" + std::to_string(a.host.IdHost));
  EXPECT_TRUE(antes >= 0 && depois > antes) << antes << " " << depois;
  // The answer replaces the progress (the row's stamps are casos/comandos.caso's).
  EXPECT_EQ(consulta("SELECT Mensagem FROM SolicitacaoFuncaoNFe WHERE NSU = 7"), "Serviço de NFe Disponível");
  EXPECT_EQ(a.ArquivoLog().find("Não foi possível definir mensagem"), std::string::npos);
  g.Descarrega();
  data::CConexaoNfe outra(a.ini, a.caminhos, a.ui, kIni);
  EXPECT_TRUE(outra.ConexaoCompartilhada()->Consultar("SELECT Id FROM HostBatimento WHERE Id = " + std::to_string(a.host.IdHost)).Eof());
}

}  // namespace
}  // namespace velant
