// An "NFE3.10" request from the insert of its row to the Host's answer,
// against the authority simulator over TLS, with the real Host processes:
//   BM_PedidoAteResposta/itens/consultas/leiaute   one Host on SQLite, its
//       registry at 3.10 (310) or 4.00 (400); in 3.10 the simulator answers
//       the processing query at once (0) or after one "em processamento" (1,
//       which costs the pipeline's 5-second wait); 4.00 has no such query,
//       the send's synchronous answer bringing the protocol
//   BM_PedidosPorMinuto/hosts              1, 2 or 4 Hosts on one PostgreSQL
//       database, 10 requests per Host inserted at once
//   BM_EtapasNoProcesso/itens              the pipeline's steps in this
//       process, without the poll loop: where the time of one invoice goes
// Figures go in the notes; nothing here is a test.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "apoio/processo_filho.h"
#include "base/caminhos.h"
#include "base/data_hora.h"
#include "base/regional.h"
#include "component/xml/gerador_xml_nfe.h"
#include "component/servico_documento_fiscal.h"
#include "contexto/contexto.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "data/solicitacao_funcao_nfe.h"
#include "data/tabelas_solicitacao.h"
#include "lifecycle/gerar_nfe.h"
#include "lifecycle/lote_nfe.h"
#include "lifecycle/processa_nfe.h"
#include "lifecycle/situacao_nfe.h"
#include "manager/analisador_solicitacao.h"
#include "manager/estado_gerenciador.h"
#include "ui/interface_headless.h"

#include "apoio_ponta.h"

namespace velant {
namespace {

using namespace bench;
using Relogio = std::chrono::steady_clock;

void BM_PedidoAteResposta(benchmark::State& state) {
  const int itens = static_cast<int>(state.range(0));
  const bool v400 = state.range(2) == 400;
  Simulador sim(static_cast<int>(state.range(1)));
  RaizHost raiz(sim, nullptr, "", v400 ? "\"LeiauteNFe\"=\"4.00\"\r\n" : "");
  auto host = raiz.Inicia();
  FrenteDeLoja ac(raiz);
  int numero = 0;
  // Requests come at any moment of the Host's one-second tick, not right
  // after its last answer.
  std::mt19937 sorteio(7);
  for (auto _ : state) {
    state.PauseTiming();
    std::this_thread::sleep_for(std::chrono::milliseconds(sorteio() % 1000));
    std::string texto = v400 ? Pedido(++numero, itens, "NFE3.10", Ontem()) : Pedido(++numero, itens);
    state.ResumeTiming();
    int32_t nsu = ac.Inclui(texto);
    if (!EsperaRespostas(state, ac, {nsu}, 120)) break;
  }
  state.counters["itens"] = itens;
}

void BM_PedidosPorMinuto(benchmark::State& state) {
  const int hosts = static_cast<int>(state.range(0));
  const int pedidos = 10 * hosts;
  ServidorPostgreSql pg;
  Simulador sim(0);
  std::string comando = "psql -X -q -h 127.0.0.1 -p " + pg.porta + " -U postgres -d postgres -c 'CREATE DATABASE dvk_databench' >/dev/null";
  if (std::system(comando.c_str()) != 0) {
    state.SkipWithError("CREATE DATABASE falhou");
    return;
  }
  std::vector<std::unique_ptr<RaizHost>> raizes;
  for (int i = 0; i < hosts; ++i) raizes.push_back(std::make_unique<RaizHost>(sim, &pg, "bench"));
  std::string criar = Binario("velantnfe").string() + " banco criar --raiz " + raizes[0]->raiz.string() + " >/dev/null";
  if (std::system(criar.c_str()) != 0) {
    state.SkipWithError("banco criar falhou");
    return;
  }
  std::vector<std::unique_ptr<Processo>> processos;
  for (auto& r : raizes) processos.push_back(r->Inicia());
  FrenteDeLoja ac(*raizes[0]);
  int numero = 0;
  double minutos = 0;
  for (auto _ : state) {
    std::vector<int32_t> nsus;
    auto inicio = Relogio::now();
    for (int i = 0; i < pedidos; ++i) nsus.push_back(ac.Inclui(Pedido(++numero, 1)));
    if (!EsperaRespostas(state, ac, nsus, 600)) break;
    minutos += std::chrono::duration<double>(Relogio::now() - inicio).count() / 60.0;
  }
  state.counters["hosts"] = hosts;
  state.counters["por_minuto"] = minutos > 0 ? numero / minutos : 0;
}

// The steps of one invoice in this process, without the poll loop: the
// local generation, the batch and its send, the processing query and the
// situation with the distribution file. Each is a counter (ms).
void BM_EtapasNoProcesso(benchmark::State& state) {
  const int itens = static_cast<int>(state.range(0));
  Simulador sim(0);
  RaizHost raiz(sim);
  InterfaceHeadless ui(true);
  RelogioSistema relogio;
  MapeadorCaminhos caminhos(raiz.raiz);
  PerfilIni ini(caminhos);
  RegistroWindows registro(raiz.raiz / "registro.reg");
  RegistroEventos log(ui, caminhos, relogio);
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  TabelasSolicitacao tabelas;
  VetoresNFe vetores;
  Contexto ctx{ui, relogio, caminhos, ini, registro, log, host, atual, tabelas, vetores, nullptr, nullptr, nullptr, {}, {}};
  data::GarantirConfiguracaoBanco(ini);
  data::CConexaoNfe conexao(ini, caminhos, ui);
  GeradorXmlNFe gerador(caminhos, &registro);
  ctx.ConexaoBanco = &conexao;
  ctx.GeradorXml = &gerador;
  ctx.CriaFiscalDocService = FabricaServicoDocumentoFiscal(ctx);
  EstadoGerenciador janela;
  double geracao = 0, envio = 0, processamento = 0, situacao = 0;
  int numero = 0;
  auto ms = [](Relogio::time_point a, Relogio::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
  };
  for (auto _ : state) {
    ++numero;
    state.PauseTiming();
    bool pronto = AnalisaTextoSolicitacao(ctx, janela, Pedido(numero, itens));
    atual.SerieAtual = "1";
    atual.NumeroAtual = numero;
    atual.DataEmissaoAtual = DataHora::De(2016, 1, 15);
    state.ResumeTiming();
    auto t0 = Relogio::now();
    bool ok = pronto && EmiteNFE(ctx, 1, "");
    auto t1 = Relogio::now();
    ok = ok && GerarLoteNFE(ctx);
    auto t2 = Relogio::now();
    ok = ok && ConsultaProcessamentoNFE(ctx);
    auto t3 = Relogio::now();
    ok = ok && ConsultaSituacaoNFE(ctx);
    auto t4 = Relogio::now();
    if (!ok) {
      state.SkipWithError(("falhou: " + atual.MensagemRetorno).c_str());
      break;
    }
    geracao += ms(t0, t1);
    envio += ms(t1, t2);
    processamento += ms(t2, t3);
    situacao += ms(t3, t4);
  }
  ctx.ConexaoBanco = nullptr;
  const double n = static_cast<double>(state.iterations());
  state.counters["itens"] = itens;
  state.counters["geracao_ms"] = n > 0 ? geracao / n : 0;
  state.counters["lote_envio_ms"] = n > 0 ? envio / n : 0;
  state.counters["processamento_ms"] = n > 0 ? processamento / n : 0;
  state.counters["situacao_distribuicao_ms"] = n > 0 ? situacao / n : 0;
}

BENCHMARK(BM_PedidoAteResposta)->Args({1, 0, 310})->Args({1, 0, 400})->Args({50, 0, 310})->Args({50, 0, 400})
    ->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PedidoAteResposta)->Args({1, 1, 310})->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EtapasNoProcesso)->Arg(1)->Arg(50)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PedidosPorMinuto)->Arg(1)->Arg(2)->Arg(4)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace velant

BENCHMARK_MAIN();
