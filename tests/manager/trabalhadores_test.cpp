// Workers of one Host on a real database (SQLite and the PostgreSQL server
// of the data tests): every request served once while several are served at
// the same time, and, on PostgreSQL, a notification waking a worker that
// would otherwise sleep for a minute.
#include "manager/trabalhadores.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "ambiente_teste.h"
#include "data/conexao_nfe.h"
#include "fila_falsa.h"
#include "manager/gerenciador_nfe.h"

namespace velant {
namespace {

using data::teste::Motor;
using Relogio = std::chrono::steady_clock;

class Atendimento : public ::testing::TestWithParam<Motor> {
 protected:
  // Starts the Host with these registry values and its workers.
  void Inicia(const std::string& valores) {
    if (GetParam() == Motor::PostgreSql) teste::ConfiguraPostgreSql(a, *(pg = std::make_unique<data::teste::BancoPostgreSqlTeste>()));
    a.ini.GravarIni("Local", "IP do Computador a ser processado", "127.0.0.1", data::kCaminhoIni);
    g.ObterIP = [] { return "10.0.0.5"; };
    teste::GravarTudo(a.registro.Arquivo(), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n" + valores);
    ASSERT_TRUE(g.Carrega());
    ASSERT_TRUE(a.host.AtendimentoPorTrabalhadores);
    a.ui.DefinirStatus("");
    trabalhadores = std::make_unique<Trabalhadores>(a.ctx, a.host, [this](Contexto&) {
      auto m = std::make_unique<teste::ManipuladoresTeste>();
      m->efeito = [this] { Atende(); };
      return m;
    });
    trabalhadores->Inicia();
  }
  void Pedido(int32_t nsu) { ASSERT_TRUE(teste::IncluiPedido(*a.ctx.ConexaoBanco, a, nsu, teste::Pedido("STATUS SERVICO"))); }
  // Shows the workers' lines until all of 1 .. ate are answered or the limit (a safety net, not a measure).
  bool Respondidos(int32_t ate, std::chrono::seconds limite) {
    data::cSolicitacaoFuncaoNFe s(*a.ctx.ConexaoBanco, a.host, a.ui);
    for (const auto fim = Relogio::now() + limite; Relogio::now() < fim; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
      trabalhadores->EntregaInterface();
      int32_t nsu = 1;
      while (nsu <= ate && s.LocalizarCodigo(nsu) && !s.HoraAprovacao().Zero()) ++nsu;
      if (nsu > ate) return true;
    }
    return false;
  }
  // The handler: counts, and lets a second worker come in before it ends.
  void Atende() {
    ++servidos;
    const int agora = ++simultaneos;
    for (int maior = maiorSimultaneo; agora > maior && !maiorSimultaneo.compare_exchange_weak(maior, agora);) {
    }
    for (const auto fim = Relogio::now() + std::chrono::seconds(2); maiorSimultaneo < 2 && Relogio::now() < fim;)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    --simultaneos;
  }

  std::unique_ptr<data::teste::BancoPostgreSqlTeste> pg;
  teste::AmbienteTeste a;
  teste::ManipuladoresTeste m;
  GerenciadorNFe g{a.ctx, a.host, m};
  std::unique_ptr<Trabalhadores> trabalhadores;
  std::atomic<int> servidos{0}, simultaneos{0}, maiorSimultaneo{0};
};

TEST_P(Atendimento, CadaSolicitacaoUmaVezComTrabalhadoresEmParalelo) {
  constexpr int kPedidos = 24;
  Inicia("\"Trabalhadores\"=\"4\"\r\n\"IntervaloConsulta\"=\"50\"\r\n\"AtenderEmSequencia\"=\"1\"\r\n");
  for (int32_t nsu = 1; nsu <= kPedidos; ++nsu) Pedido(nsu);
  ASSERT_TRUE(Respondidos(kPedidos, std::chrono::seconds(60)));
  trabalhadores->Para();
  EXPECT_EQ(servidos, kPedidos);
  EXPECT_GE(maiorSimultaneo, 2);
  // Each claim once in the daily file, marked with the worker that made it.
  const std::string log = a.ArquivoLog();
  std::set<std::string> marcas;
  for (int32_t nsu = 1; nsu <= kPedidos; ++nsu) {
    const std::string inicio = "***** Início de Solicitação ***** - " + std::to_string(nsu) + "\r\n";
    const size_t p = log.find(inicio), linha = log.rfind(" - [T", p);
    ASSERT_TRUE(p != std::string::npos && log.find(inicio, p + 1) == std::string::npos && linha != std::string::npos) << nsu;
    marcas.insert(log.substr(linha + 3, p - linha - 3));
  }
  EXPECT_GE(marcas.size(), 2u);
  for (const auto& marca : marcas) EXPECT_TRUE(marca.size() == 5 && marca[2] >= '1' && marca[2] <= '4') << marca;
}

// PostgreSQL only: the other databases have no notifications.
class AvisoDoBanco : public Atendimento {};

TEST_P(AvisoDoBanco, AcordaOTrabalhador) {
  // A minute between polls: only the notification brings the request in time.
  Inicia("\"Trabalhadores\"=\"1\"\r\n\"IntervaloConsulta\"=\"60000\"\r\n");
  for (const auto fim = Relogio::now() + std::chrono::seconds(20); a.ui.Status().empty() && Relogio::now() < fim;   // first turn done
       std::this_thread::sleep_for(std::chrono::milliseconds(20)))
    trabalhadores->EntregaInterface();
  Pedido(1);
  data::AvisaHosts(*a.ctx.ConexaoBanco);
  EXPECT_TRUE(Respondidos(1, std::chrono::seconds(20)));
  // One worker writes its lines as the Host always did.
  EXPECT_EQ(a.ArquivoLog().find("[T1]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Motores, Atendimento, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return data::teste::NomeMotor(info.param); });
INSTANTIATE_TEST_SUITE_P(Motores, AvisoDoBanco, ::testing::Values(Motor::PostgreSql),
                         [](const auto& info) { return data::teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant
