#pragma once
// What the benchmarks share: the throw-away certificates and a console
// report that also keeps the median of every run by item count, for the
// comparison table each benchmark prints at the end.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace velant::bench {

// The test certificates of this build folder, made on first use.
inline std::filesystem::path Certificados() {
  std::filesystem::path pasta = std::filesystem::path(VELANT_BINARIOS) / "certificados";
  if (!std::filesystem::exists(pasta / "pronto")) {
    std::string comando = std::string(VELANT_FONTE) + "/scripts/preparar-certificados " + VELANT_BINARIOS + " >/dev/null";
    if (std::system(comando.c_str()) != 0) throw std::runtime_error("preparar-certificados falhou");
  }
  return pasta;
}

class RelatorioMedianas : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& r : runs) {
      if (r.aggregate_name != "median" || r.error_occurred) continue;
      int itens = r.run_name.args.empty() ? 0 : std::stoi(r.run_name.args);
      medianas_[itens][r.run_name.function_name] = r.GetAdjustedRealTime();
    }
  }

 protected:
  // Median (ms) of a benchmark function for one item count; 0 when it did not run.
  static double Mediana(const std::map<std::string, double>& m, const char* nome) {
    auto it = m.find(nome);
    return it == m.end() ? 0.0 : it->second;
  }
  std::map<int, std::map<std::string, double>> medianas_;   // items -> function -> median
};

}  // namespace velant::bench
