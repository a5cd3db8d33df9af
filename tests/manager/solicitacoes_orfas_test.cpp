#include "manager/solicitacoes_orfas.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "ambiente_teste.h"
#include "base/regional.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"
#include "lifecycle/limites_emissao.h"
#include "manager/batimento_host.h"
#include "manager/gerenciador_nfe.h"

namespace velant {
namespace {

using data::teste::Motor;
using std::chrono::seconds;
using Instante = std::chrono::steady_clock::time_point;

// Two-second calls and a six-second processing bound: a request takes at
// most 10 + 6 + 6 x 2 + 20 = 48 seconds.
constexpr int kLimite = 48;

// One Host on the shared database: its own root, wall clock (the test sets
// it ahead, behind, in another time zone), monotonic clock, id and heartbeat.
struct HostNaFila {
  HostNaFila(Motor motor, const std::filesystem::path& pastaBanco, const data::teste::BancoPostgreSqlTeste* pg,
             int64_t id) {
    teste::GravarTudo(a.registro.Arquivo(),
                      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n"
                      "\"TempoLimiteTotal\"=\"2\"\r\n\"TempoLimiteProcessamento\"=\"6\"\r\n");
    if (motor == Motor::Sqlite) {
      // Every root names the same file on drive D:, which is one folder for all.
      std::filesystem::create_symlink(pastaBanco, a.raiz / "D");
      a.ini.GravarIni(data::kSecaoBanco, data::kChaveTipoBanco, "SQLITE", data::kCaminhoIni);
      a.ini.GravarIni(data::kSecaoBanco, data::kChaveArquivoBanco, "D:\\fila\\dvk_data.db", data::kCaminhoIni);
    } else {
      teste::ConfiguraPostgreSql(a, *pg);
    }
    a.host.IPProcessamento = "10.0.0.5";
    a.host.IdHost = id;
    conexao = std::make_unique<data::CConexaoNfe>(a.ini, a.caminhos, a.ui);
    if (!conexao->ConexaoAtiva()) throw std::runtime_error(conexao->ErroAbertura());
    data::DefineDialetoBanco(a.host, conexao->TipoBanco());
    fila = std::make_unique<data::cSolicitacaoFuncaoNFe>(*conexao, a.host, a.ui);
    a.ctx.ConexaoBanco = conexao.get();
  }
  ~HostNaFila() { a.ctx.ConexaoBanco = nullptr; }

  // Both clocks go on by the same time.
  void Passa(int segundos) {
    monotono += seconds(segundos);
    a.relogio.agora = DataHora(a.relogio.agora.Serial() + segundos / 86400.0);
  }

  teste::AmbienteTeste a;
  std::unique_ptr<data::CConexaoNfe> conexao;
  std::unique_ptr<data::cSolicitacaoFuncaoNFe> fila;
  Instante monotono{seconds(1000)};
  BatimentoHost batimento{a.ctx, [this] { return monotono; }};
  SolicitacoesOrfas orfas{a.ctx, [this] { return monotono; }};
};

class Orfas : public ::testing::TestWithParam<Motor> {
 protected:
  Orfas() {
    if (GetParam() == Motor::PostgreSql) pg = std::make_unique<data::teste::BancoPostgreSqlTeste>();
    std::filesystem::create_directories(pastaBanco.Caminho() / "fila");
  }

  std::unique_ptr<HostNaFila> Host(int64_t id) {
    return std::make_unique<HostNaFila>(GetParam(), pastaBanco.Caminho(), pg.get(), id);
  }
  // A request of the front end, open.
  void Pedido(HostNaFila& h, int32_t nsu, const std::string& comando = "NFE3.10", const std::string& ip = "10.0.0.5") {
    ASSERT_TRUE(teste::IncluiPedido(*h.conexao, h.a, nsu, teste::Pedido(comando), ip));
  }
  void Executa(HostNaFila& h, const std::string& sql) { h.conexao->ConexaoCompartilhada()->Executar(sql); }
  bool Cancelada(HostNaFila& h, int32_t nsu) {
    EXPECT_TRUE(h.fila->LocalizarCodigo(nsu));
    return !h.fila->HoraCancelamentoHost().Zero();
  }
  int64_t Batimentos(HostNaFila& h, int64_t id) {
    return CLngLng(h.conexao->ConexaoCompartilhada()->Consultar("SELECT COUNT(*) FROM HostBatimento WHERE Id = " + std::to_string(id)).Value(0));
  }

  std::unique_ptr<data::teste::BancoPostgreSqlTeste> pg;
  teste::PastaTemporaria pastaBanco;
};

// Host A claims a request and serves it for longer than the limit, beating
// all the while; Host B, whose wall clock differs from A's, looks every 11
// seconds and never takes the request from it. Once A stops beating, B
// cancels the request after the limit; A, coming back, can no longer approve it.
TEST_P(Orfas, RelogiosDeOutrosHostsNaoContam) {
  int32_t nsu = 0;
  // A's wall clock minus B's: 5 s ahead or behind, another time zone either way, almost a day ahead.
  for (int diferencaSegundos : {5, -5, 3600, -3 * 3600, 86400 - 30}) {
    SCOPED_TRACE(diferencaSegundos);
    ++nsu;
    auto a = Host(100 + nsu);
    auto b = Host(200 + nsu);
    EXPECT_EQ(TempoMaximoSolicitacao(b->a.ctx).count(), kLimite);
    a->Passa(diferencaSegundos);
    Pedido(*a, nsu);
    a->batimento.Bate();
    ASSERT_TRUE(a->fila->DefineHoraAnalise(nsu, a->a.relogio.Agora().SoHora()));

    // A serves it for three times the limit, beating every second.
    int tomadas = 0;
    for (int s = 0; s < 3 * kLimite; ++s) {
      a->Passa(1);
      b->Passa(1);
      a->batimento.Bate();
      if (s % 11 == 0) tomadas += b->orfas.Verifica(*b->fila);
    }
    EXPECT_EQ(tomadas + Cancelada(*b, nsu), 0);

    // A dies: after the limit, and not before, B answers the request and removes A's heartbeat.
    int ate = 0;
    for (; !Cancelada(*b, nsu) && ate <= 2 * kLimite; ate += 11) {
      b->Passa(11);
      b->orfas.Verifica(*b->fila);
    }
    EXPECT_TRUE(ate > kLimite && ate <= kLimite + 2 * 11) << ate;
    EXPECT_EQ(b->fila->Mensagem() + "|" + std::to_string(Batimentos(*b, 100 + nsu)), std::string(kMensagemInterrompida) + "|0");

    // A comes back: its answer is refused, the row keeps B's alone; its next beat writes its row again.
    EXPECT_FALSE(a->fila->DefineHoraAprovacaoHost(nsu, a->a.relogio.Agora().SoHora(), "Processamento de NFe OK!"));
    a->Passa(1);
    a->batimento.Bate();
    ASSERT_TRUE(b->fila->LocalizarCodigo(nsu));
    EXPECT_EQ(std::to_string(b->fila->HoraAprovacao().Zero()) + "|" + b->fila->Mensagem() + "|" + std::to_string(Batimentos(*b, 100 + nsu)),
              "1|" + std::string(kMensagemInterrompida) + "|1");
  }
}

// Claims that name no Host with a heartbeat (a Host of an earlier version
// writes none; a Host whose row is gone) are judged by how long this Host
// has seen them claimed and unanswered, whatever time of day they carry.
TEST_P(Orfas, PosseSemBatimentoContaDesdeQueFoiVista) {
  auto b = Host(7);
  const struct { int32_t nsu; const char *host, *horaAnalise; } casos[] = {
      {1, "NULL", "'23:50:00'"},   // [Host da Analise], [Hora da Analise]: "yesterday" by B's clock
      {2, "NULL", "'09:05:12'"},   // 5 s ahead of B's clock
      {3, "424242", "'09:00:00'"}};
  for (const auto& c : casos) {
    Pedido(*b, c.nsu);
    Executa(*b, "UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = " + std::string(c.horaAnalise) +
                    ", [Host da Analise] = " + c.host + " WHERE NSU = " + std::to_string(c.nsu));
  }
  EXPECT_EQ(b->orfas.Verifica(*b->fila), 0);
  b->Passa(kLimite);
  EXPECT_EQ(b->orfas.Verifica(*b->fila), 0);
  b->Passa(11);
  EXPECT_EQ(b->orfas.Verifica(*b->fila), 3);
  for (const auto& c : casos) EXPECT_TRUE(Cancelada(*b, c.nsu)) << c.nsu;
  EXPECT_NE(b->a.ArquivoLog().find(" -       Solicitação 1 interrompida, cancelada pelo Host: " +
                                   FormataHora(Valor(b->a.relogio.Agora()))),
            std::string::npos)
      << b->a.ArquivoLog();
}

// Rows that are not B's to answer, however long B watches them.
TEST_P(Orfas, SoAsTomadasSemRespostaDoIPServido) {
  auto a = Host(11);
  auto b = Host(12);
  a->batimento.Bate();
  const struct { int32_t nsu; const char *comando, *ip, *outras; } casos[] = {   // outras: more columns set
      {1, "ATV", "10.0.0.5", ""},               // a liveness check stays claimed for good
      {2, "NFE3.10", "10.0.0.6", ""},           // another Host's IP
      {3, "NFE3.10", "10.0.0.5", ", [Hora da Aprovacao] = '09:00:30'"},
      {4, "NFE3.10", "10.0.0.5", ", [Hora do Cancelamento AC] = '09:01:00'"},
      {5, "NFE3.10", "10.0.0.5", ", [Hora da Confirmacao AC] = '09:01:00'"},
  };
  for (const auto& c : casos) {
    Pedido(*a, c.nsu, c.comando, c.ip);
    Executa(*a, "UPDATE SolicitacaoFuncaoNFe SET [Hora da Analise] = '09:00:00', [Host da Analise] = 999" +
                    std::string(c.outras) + " WHERE NSU = " + std::to_string(c.nsu));
  }
  Pedido(*a, 6);   // open: the poll loop serves it
  int tomadas = 0;
  for (int i = 0; i < 10; ++i) b->Passa(11), tomadas += b->orfas.Verifica(*b->fila);
  for (const auto& c : casos) tomadas += Cancelada(*b, c.nsu);
  EXPECT_EQ(tomadas, 0);
  EXPECT_TRUE(b->fila->LocalizarCodigo(6) && b->fila->HoraAnalise().Zero());

  // With the IP of every computer, the other IP's row is B's too.
  b->a.host.IPProcessamento = "127.0.0.1";
  b->Passa(11);
  EXPECT_EQ(b->orfas.Verifica(*b->fila), 0);   // first seen now
  b->Passa(kLimite + 1);
  EXPECT_EQ(b->orfas.Verifica(*b->fila), 1);
  EXPECT_TRUE(Cancelada(*b, 2));
  b->a.ctx.ConexaoBanco = nullptr;   // the database gone: nothing found, no crash
  EXPECT_EQ(b->orfas.Verifica(*b->fila), 0);
}

INSTANTIATE_TEST_SUITE_P(Motores, Orfas, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return data::teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant
