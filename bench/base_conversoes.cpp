// Cost of the conversions the parser and the vector routines run per field.
#include <benchmark/benchmark.h>

#include "base/regional.h"
#include "base/texto.h"

namespace {

using namespace velant;

void BM_CCurRegional(benchmark::State& state) {
  const Valor texto("1.234.567,89");
  for (auto _ : state) benchmark::DoNotOptimize(CCur(texto));
}
BENCHMARK(BM_CCurRegional);

void BM_Val16(benchmark::State& state) {
  const std::string texto = " 12 3.5";
  for (auto _ : state) benchmark::DoNotOptimize(Val16(texto));
}
BENCHMARK(BM_Val16);

void BM_FormatDuas(benchmark::State& state) {
  const Valor valor(1234.565);
  for (auto _ : state) benchmark::DoNotOptimize(Format(valor, "#######0.00"));
}
BENCHMARK(BM_FormatDuas);

void BM_FormatTextoAgrupado(benchmark::State& state) {
  const Valor valor("1234567,891");
  for (auto _ : state) benchmark::DoNotOptimize(Format(valor, "###,###,##0.00"));
}
BENCHMARK(BM_FormatTextoAgrupado);

void BM_CDate(benchmark::State& state) {
  const Valor texto("05/12/2026 15:04:09");
  for (auto _ : state) benchmark::DoNotOptimize(CDate(texto));
}
BENCHMARK(BM_CDate);

void BM_Left50(benchmark::State& state) {
  const std::string frase =
      "      Não foi possível transmitir o lote ao serviço de autorização: ação cancelada";
  for (auto _ : state) benchmark::DoNotOptimize(Left(frase, 50));
}
BENCHMARK(BM_Left50);

void BM_Like(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Like("35240512345678000190550010000012341000012345", "##*#[0-9]"));
  }
}
BENCHMARK(BM_Like);

}  // namespace

BENCHMARK_MAIN();
