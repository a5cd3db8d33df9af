#include "manager/solicitacoes_orfas.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// Two-second calls and a six-second processing bound: a request takes at
// most 10 + 6 + 6 x 2 + 20 = 48 seconds.
constexpr int kLimite = 48;

// One Host on the shared database: its own root, wall clock (the test sets
// it ahead, behind, in another time zone), monotonic clock, id and heartbeat.
struct HostNaFila {
  HostNaFila(Motor motor, const std::filesystem::path& pastaBanco, const data::teste::BancoPostgreSqlTeste* pg, int64_t id)
      : configurado(Configura(motor, pastaBanco, pg, id)) {
    if (!conexao.ConexaoAtiva()) throw std::runtime_error(conexao.ErroAbertura());
    data::DefineDialetoBanco(a.host, conexao.TipoBanco());
    a.ctx.ConexaoBanco = &conexao;
  }
  ~HostNaFila() { a.ctx.ConexaoBanco = nullptr; }
  // The registry's time limits, the database, the IP served and the id, before the connection opens.
  bool Configura(Motor motor, const std::filesystem::path& pastaBanco, const data::teste::BancoPostgreSqlTeste* pg, int64_t id) {
    teste::GravarTudo(a.registro.Arquivo(),
                      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n"
                      "\"TempoLimiteTotal\"=\"2\"\r\n\"TempoLimiteProcessamento\"=\"6\"\r\n");
    // On SQLite every root names the same file on drive D:, which is one folder for all.
    if (motor == Motor::Sqlite) std::filesystem::create_symlink(pastaBanco, a.raiz / "D");
    using Chaves = std::vector<std::pair<const char*, std::string>>;
    for (const auto& [chave, valor] :
         motor == Motor::Sqlite ? Chaves{{data::kChaveTipoBanco, "SQLITE"}, {data::kChaveArquivoBanco, "D:\\fila\\dvk_data.db"}}
                                : Chaves{{data::kChaveTipoBanco, "POSTGRESQL"}, {data::kChaveIPBanco, "127.0.0.1"},
                                         {data::kChavePortaBanco, data::teste::PortaPostgreSqlTeste()},
                                         {data::kChaveNomeInterno, pg->sufixo}, {data::kChaveUsuarioBanco, "postgres"}})
      a.ini.GravarIni(data::kSecaoBanco, chave, valor, data::kCaminhoIni);
    a.host.IPProcessamento = "10.0.0.5";
    a.host.IdHost = id;
    return true;
  }

  // Both clocks go on by the same time.
  void Passa(int segundos) {
    monotono += seconds(segundos);
    a.relogio.agora = DataHora(a.relogio.agora.Serial() + segundos / 86400.0);
  }
  int Verifica() { return orfas.Verifica(fila); }
  bool Cancelada(int32_t nsu) {
    EXPECT_TRUE(fila.LocalizarCodigo(nsu));
    return !fila.HoraCancelamentoHost().Zero();
  }
  int64_t Batimentos(int64_t id) {
    return CLngLng(conexao.ConexaoCompartilhada()->Consultar("SELECT COUNT(*) FROM HostBatimento WHERE Id = " + std::to_string(id)).Value(0));
  }
  // A request of the front end, with these columns set.
  void Tomada(int32_t nsu, const std::string& colunas, const std::string& comando = "NFE3.10", const std::string& ip = "10.0.0.5") {
    ASSERT_TRUE(teste::IncluiPedido(conexao, a, nsu, teste::Pedido(comando), ip));
    conexao.ConexaoCompartilhada()->Executar("UPDATE SolicitacaoFuncaoNFe SET " + colunas + " WHERE NSU = " + std::to_string(nsu));
  }

  teste::AmbienteTeste a;
  bool configurado;
  data::CConexaoNfe conexao{a.ini, a.caminhos, a.ui};
  data::cSolicitacaoFuncaoNFe fila{conexao, a.host, a.ui};
  std::chrono::steady_clock::time_point monotono{seconds(1000)};
  BatimentoHost batimento{a.ctx, [this] { return monotono; }};
  SolicitacoesOrfas orfas{a.ctx, [this] { return monotono; }};
};

class Orfas : public ::testing::TestWithParam<Motor> {
 protected:
  Orfas() {
    if (GetParam() == Motor::PostgreSql) pg = std::make_unique<data::teste::BancoPostgreSqlTeste>();
    std::filesystem::create_directories(pastaBanco.Caminho() / "fila");
  }
  std::unique_ptr<HostNaFila> Host(int64_t id) { return std::make_unique<HostNaFila>(GetParam(), pastaBanco.Caminho(), pg.get(), id); }

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
    auto a = Host(100 + ++nsu), b = Host(200 + nsu);
    EXPECT_EQ(TempoMaximoSolicitacao(b->a.ctx).count(), kLimite);
    a->Passa(diferencaSegundos);
    ASSERT_TRUE(teste::IncluiPedido(a->conexao, a->a, nsu, teste::Pedido("NFE3.10")));
    a->batimento.Bate();
    ASSERT_TRUE(a->fila.DefineHoraAnalise(nsu, a->a.relogio.Agora().SoHora()));
    // A serves it for three times the limit, beating every second.
    int tomadas = 0;
    for (int s = 0; s < 3 * kLimite; ++s) {
      a->Passa(1), b->Passa(1), a->batimento.Bate();
      if (s % 11 == 0) tomadas += b->Verifica();
    }
    EXPECT_EQ(tomadas + b->Cancelada(nsu), 0);
    // A dies: after the limit, and not before, B answers the request and removes A's heartbeat.
    int ate = 0;
    for (; !b->Cancelada(nsu) && ate <= 2 * kLimite; ate += 11) b->Passa(11), b->Verifica();
    EXPECT_TRUE(ate > kLimite && ate <= kLimite + 2 * 11) << ate;
    EXPECT_EQ(b->fila.Mensagem() + "|" + std::to_string(b->Batimentos(100 + nsu)), std::string(kMensagemInterrompida) + "|0");
    // A comes back: its answer is refused, the row keeps B's alone; its next beat writes its row again.
    EXPECT_FALSE(a->fila.DefineHoraAprovacaoHost(nsu, a->a.relogio.Agora().SoHora(), "Processamento de NFe OK!"));
    a->Passa(1), a->batimento.Bate();
    ASSERT_TRUE(b->fila.LocalizarCodigo(nsu));
    EXPECT_EQ(std::to_string(b->fila.HoraAprovacao().Zero()) + "|" + b->fila.Mensagem() + "|" + std::to_string(b->Batimentos(100 + nsu)),
              "1|" + std::string(kMensagemInterrompida) + "|1");
  }
}

// Claims that name no Host with a heartbeat (a Host of an earlier version
// writes none; a Host whose row is gone) are judged by how long this Host
// has seen them claimed and unanswered, whatever time of day they carry.
TEST_P(Orfas, PosseSemBatimentoContaDesdeQueFoiVista) {
  auto b = Host(7);
  b->Tomada(1, "[Hora da Analise] = '23:50:00', [Host da Analise] = NULL");   // "yesterday" by B's clock
  b->Tomada(2, "[Hora da Analise] = '09:05:12', [Host da Analise] = NULL");   // 5 s ahead of B's clock
  b->Tomada(3, "[Hora da Analise] = '09:00:00', [Host da Analise] = 424242");
  EXPECT_EQ(b->Verifica(), 0);
  b->Passa(kLimite);
  EXPECT_EQ(b->Verifica(), 0);
  b->Passa(11);
  EXPECT_EQ(b->Verifica(), 3);
  EXPECT_TRUE(b->Cancelada(1) && b->Cancelada(2) && b->Cancelada(3));
  EXPECT_NE(b->a.ArquivoLog().find(" -       Solicitação 1 interrompida, cancelada pelo Host: " + FormataHora(Valor(b->a.relogio.Agora()))),
            std::string::npos) << b->a.ArquivoLog();
}

// Rows that are not B's to answer, however long B watches them.
TEST_P(Orfas, SoAsTomadasSemRespostaDoIPServido) {
  auto a = Host(11), b = Host(12);
  a->batimento.Bate();
  const std::string por999 = "[Hora da Analise] = '09:00:00', [Host da Analise] = 999";
  a->Tomada(1, por999, "ATV");   // a liveness check stays claimed for good
  a->Tomada(2, por999, "NFE3.10", "10.0.0.6");   // another Host's IP
  a->Tomada(3, por999 + ", [Hora da Aprovacao] = '09:00:30'");
  a->Tomada(4, por999 + ", [Hora do Cancelamento AC] = '09:01:00'");
  a->Tomada(5, por999 + ", [Hora da Confirmacao AC] = '09:01:00'");
  ASSERT_TRUE(teste::IncluiPedido(a->conexao, a->a, 6, teste::Pedido("NFE3.10")));   // open: the poll loop serves it
  int tomadas = 0;
  for (int i = 0; i < 10; ++i) b->Passa(11), tomadas += b->Verifica();
  for (int32_t nsu = 1; nsu <= 5; ++nsu) tomadas += b->Cancelada(nsu);
  EXPECT_EQ(tomadas, 0);
  EXPECT_TRUE(b->fila.LocalizarCodigo(6) && b->fila.HoraAnalise().Zero());
  // With the IP of every computer, the other IP's row is B's too.
  b->a.host.IPProcessamento = "127.0.0.1";
  b->Passa(11);
  EXPECT_EQ(b->Verifica(), 0);   // first seen now
  b->Passa(kLimite + 1);
  EXPECT_EQ(b->Verifica(), 1);
  EXPECT_TRUE(b->Cancelada(2));
  b->a.ctx.ConexaoBanco = nullptr;   // the database gone: nothing found, no crash
  EXPECT_EQ(b->Verifica(), 0);
}

INSTANTIATE_TEST_SUITE_P(Motores, Orfas, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return data::teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant
