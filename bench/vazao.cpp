// Throughput and latency of the real Host processes with the registry values
// IntervaloConsulta, AtenderEmSequencia and Trabalhadores, each measured side
// by side with the defaults in the same run, layout 4.00, 1 item, the
// authority simulator answering at once unless said otherwise:
//   BM_Latencia/modo             insert-to-answer p50/p99 on SQLite; requests
//       arrive at any moment (0 to 1 s after the last answer)
//   BM_Vazao/motor/trabalhadores invoices per second of one Host with a batch
//       of requests inserted at once; motor 0 SQLite, 1 PostgreSQL;
//       trabalhadores 0 = the defaults, else that many workers with a 50 ms
//       poll and one request after another; also the Host's CPU time per invoice
//   BM_VazaoAtraso/trabalhadores the same with every authority call taking 1 s
//   BM_VariosHosts/hosts/trabalhadores  1 or 4 Hosts on one PostgreSQL database
// Modo and trabalhadores 0 are the defaults. Figures go in the README
// ("Desempenho"); nothing here is a test.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "apoio_ponta.h"
#include "base/data_hora.h"

namespace velant {
namespace {

using namespace bench;
using Relogio = std::chrono::steady_clock;

// The registry lines of the tuned settings; "" for the defaults.
std::string Valores(int trabalhadores) {
  if (trabalhadores <= 0) return "\"LeiauteNFe\"=\"4.00\"\r\n";
  return "\"LeiauteNFe\"=\"4.00\"\r\n\"IntervaloConsulta\"=\"50\"\r\n\"AtenderEmSequencia\"=\"1\"\r\n"
         "\"Trabalhadores\"=\"" + std::to_string(trabalhadores) + "\"\r\n";
}

// Issued yesterday: 10:30 of today may be still to come.

std::string Pedido400(int numero) { return Pedido(numero, 1, "NFE4.00", Ontem()); }

// User + system CPU seconds of a process so far.
double CpuSegundos(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string linha;
  std::getline(f, linha);
  std::istringstream campos(linha.substr(linha.rfind(')') + 2));
  std::string campo;
  double ticks = 0;
  for (int i = 3; i <= 15 && campos >> campo; ++i)
    if (i == 14 || i == 15) ticks += std::stod(campo);
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double Percentil(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
  return v[i];
}

void BM_Latencia(benchmark::State& state) {
  const bool ajustado = state.range(0) != 0;
  Simulador sim(0);
  RaizHost raiz(sim, nullptr, "",
                ajustado ? "\"LeiauteNFe\"=\"4.00\"\r\n\"IntervaloConsulta\"=\"50\"\r\n\"AtenderEmSequencia\"=\"1\"\r\n"
                         : Valores(0));
  auto host = raiz.Inicia();
  FrenteDeLoja ac(raiz);
  std::mt19937 sorteio(7);
  std::vector<double> ms;
  int numero = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::this_thread::sleep_for(std::chrono::milliseconds(sorteio() % 1000));
    const std::string texto = Pedido400(++numero);
    state.ResumeTiming();
    const auto inicio = Relogio::now();
    const int32_t nsu = ac.Inclui(texto, "NFE4.00");
    if (!EsperaRespostas(state, ac, {nsu}, 120)) break;
    ms.push_back(std::chrono::duration<double, std::milli>(Relogio::now() - inicio).count());
  }
  state.counters["p50_ms"] = Percentil(ms, 0.50);
  state.counters["p99_ms"] = Percentil(ms, 0.99);
}

// A batch of `pedidos` inserted at once into the first Host's database;
// invoices per second until the last answer, and the Hosts' CPU per invoice.
void MedeVazao(benchmark::State& state, const std::vector<std::unique_ptr<RaizHost>>& raizes, int pedidos) {
  std::vector<std::unique_ptr<Processo>> hosts;
  for (const auto& r : raizes) hosts.push_back(r->Inicia());
  FrenteDeLoja ac(*raizes[0]);
  int numero = 0;
  double segundos = 0, cpu = 0;
  for (auto _ : state) {
    double cpuAntes = 0;
    for (const auto& h : hosts) cpuAntes += CpuSegundos(h->Pid());
    std::vector<int32_t> nsus;
    const auto inicio = Relogio::now();
    for (int i = 0; i < pedidos; ++i) nsus.push_back(ac.Inclui(Pedido400(++numero), "NFE4.00"));
    if (!EsperaRespostas(state, ac, nsus, 900)) break;
    segundos += std::chrono::duration<double>(Relogio::now() - inicio).count();
    for (const auto& h : hosts) cpu += CpuSegundos(h->Pid());
    cpu -= cpuAntes;
  }
  state.counters["notas_por_segundo"] = segundos > 0 ? numero / segundos : 0;
  state.counters["cpu_ms_por_nota"] = numero > 0 ? 1000.0 * cpu / numero : 0;
}

std::string NovoBanco(benchmark::State& state, const ServidorPostgreSql& pg) {
  static int bancos = 0;
  const std::string nome = "vazao" + std::to_string(++bancos);
  const std::string comando = "psql -X -q -h 127.0.0.1 -p " + pg.porta +
                              " -U postgres -d postgres -c 'CREATE DATABASE dvk_data" + nome + "' >/dev/null";
  if (std::system(comando.c_str()) != 0) state.SkipWithError("CREATE DATABASE falhou");
  return nome;
}

bool CriaTabelas(benchmark::State& state, const RaizHost& raiz) {
  const std::string criar = Binario("velantnfe").string() + " banco criar --raiz " + raiz.raiz.string() + " >/dev/null";
  if (std::system(criar.c_str()) == 0) return true;
  state.SkipWithError("banco criar falhou");
  return false;
}

// Requests of a batch: enough for a few seconds of each setting.
int Pedidos(int trabalhadores, int porTrabalhador) { return trabalhadores <= 0 ? 8 : porTrabalhador * trabalhadores; }

void BM_Vazao(benchmark::State& state) {
  const bool postgres = state.range(0) != 0;
  const int trabalhadores = static_cast<int>(state.range(1));
  Simulador sim(0);
  std::unique_ptr<ServidorPostgreSql> pg;
  std::vector<std::unique_ptr<RaizHost>> raizes;
  if (postgres) {
    pg = std::make_unique<ServidorPostgreSql>();
    raizes.push_back(std::make_unique<RaizHost>(sim, pg.get(), NovoBanco(state, *pg), Valores(trabalhadores)));
    if (!CriaTabelas(state, *raizes[0])) return;
  } else {
    raizes.push_back(std::make_unique<RaizHost>(sim, nullptr, "", Valores(trabalhadores)));
  }
  MedeVazao(state, raizes, Pedidos(trabalhadores, 15));
  state.counters["trabalhadores"] = trabalhadores;
}

void BM_VazaoAtraso(benchmark::State& state) {
  const int trabalhadores = static_cast<int>(state.range(0));
  Simulador sim(0, {"--atraso", "1"});
  std::vector<std::unique_ptr<RaizHost>> raizes;
  raizes.push_back(std::make_unique<RaizHost>(sim, nullptr, "", Valores(trabalhadores)));
  MedeVazao(state, raizes, trabalhadores <= 0 ? 4 : 3 * trabalhadores);
  state.counters["trabalhadores"] = trabalhadores;
}

void BM_VariosHosts(benchmark::State& state) {
  const int hosts = static_cast<int>(state.range(0));
  const int trabalhadores = static_cast<int>(state.range(1));
  Simulador sim(0);
  ServidorPostgreSql pg;
  const std::string banco = NovoBanco(state, pg);
  std::vector<std::unique_ptr<RaizHost>> raizes;
  for (int i = 0; i < hosts; ++i)
    raizes.push_back(std::make_unique<RaizHost>(sim, &pg, banco, Valores(trabalhadores)));
  if (!CriaTabelas(state, *raizes[0])) return;
  MedeVazao(state, raizes, hosts * Pedidos(trabalhadores, 10));
  state.counters["hosts"] = hosts;
  state.counters["trabalhadores"] = trabalhadores;
}

BENCHMARK(BM_Latencia)->Arg(0)->Arg(1)->Iterations(40)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Vazao)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 4}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(BM_VazaoAtraso)->Arg(0)->Arg(8)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_VariosHosts)->ArgsProduct({{1, 4}, {0, 4}})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace velant

BENCHMARK_MAIN();
