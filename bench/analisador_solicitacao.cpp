// The request parser: a typical invoice, a text of several megabytes, and
// the amount conversion.
//   build/bench_analisador_solicitacao
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/caminhos.h"
#include "contexto/vetores_nfe.h"
#include "data/tabelas_solicitacao.h"
#include "manager/analisador_solicitacao.h"
#include "base/converte_valor.h"
#include "plataforma/perfil_ini.h"
#include "plataforma/registro_eventos.h"
#include "plataforma/registro_windows.h"
#include "ui/interface_headless.h"

namespace {

using namespace velant;

std::filesystem::path NovaRaiz() {
  std::string modelo = (std::filesystem::temp_directory_path() / "bench-analisador-XXXXXX").string();
  if (mkdtemp(modelo.data()) == nullptr) std::abort();
  return modelo;
}

struct Ambiente {
  std::filesystem::path raiz = NovaRaiz();
  InterfaceHeadless ui{true};
  RelogioSistema relogio;
  MapeadorCaminhos caminhos{raiz};
  PerfilIni ini{caminhos};
  RegistroWindows registro{raiz / "registro.reg"};
  RegistroEventos log{ui, caminhos, relogio};
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  TabelasSolicitacao tabelas;
  VetoresNFe vetores;
  Contexto ctx{ui, relogio, caminhos, ini, registro, log, host, atual, tabelas, vetores, nullptr, nullptr, nullptr, {}, {}};
  EstadoGerenciador janela;
  ~Ambiente() {
    std::error_code ec;
    std::filesystem::remove_all(raiz, ec);
  }
};

std::string Linha(const std::string& codigo, const std::string& valor) { return codigo + " - " + valor + "\r\n"; }

// Item and row numbers take three characters (the text's fixed columns).
std::string Tres(int i) {
  char n[8];
  std::snprintf(n, sizeof n, "%03d", i % 1000);
  return n;
}

// An invoice with a full header, `itens` items, three instalments and a receipt.
std::string Nota(int itens) {
  std::string t = Linha("000-000", "NFE3.10") + Linha("001-000", "1") + Linha("040-000", "1") + Linha("100-000", "");
  t += Linha("110-000", "05/12/2026 10:00:00") + Linha("111-000", "123") + Linha("112-000", "1") +
       Linha("114-000", "05/12/2026") + Linha("115-000", "1.234,56") + Linha("116-000", "1.234,56") +
       Linha("210-000", "Cliente de Teste Ltda") + Linha("211-000", "Rua das Flores") + Linha("214-000", "SP") +
       Linha("219-000", "12345678000195") + Linha("320-000", "3550308") + Linha("362-000", "9");
  for (int i = 1; i <= itens; ++i) {
    const std::string n = Tres(i);
    t += Linha("800-" + n, "") + Linha("810-" + n, "22030000") + Linha("811-" + n, "Produto " + n) +
         Linha("812-" + n, "UN") + Linha("813-" + n, "P" + n) + Linha("820-" + n, "10,50") +
         Linha("821-" + n, "2,000") + Linha("822-" + n, "21,00") + Linha("831-" + n, "5102") +
         Linha("833-" + n, "35") + Linha("837-" + n, "3,78") + Linha("840-" + n, "18,00") +
         Linha("844-" + n, "000") + Linha("899-" + n, "");
  }
  for (int i = 1; i <= 3; ++i) {
    const std::string n = Tres(i);
    t += Linha("700-" + n, "") + Linha("711-" + n, "123/" + n) + Linha("712-" + n, "05/0" + std::to_string(i) + "/2027") +
         Linha("713-" + n, "411,52") + Linha("733-" + n, "");
  }
  t += Linha("600-001", "") + Linha("611-001", "1") + Linha("612-001", "4567") + Linha("650-001", "");
  return t + Linha("999-999", "");
}

void BM_NotaTipica(benchmark::State& estado) {
  Ambiente a;
  const std::string texto = Nota(static_cast<int>(estado.range(0)));
  for (auto _ : estado) {
    bool aceita = AnalisaTextoSolicitacao(a.ctx, a.janela, texto);
    if (!aceita) {
      estado.SkipWithError(a.ui.Caixas().empty() ? a.janela.TextoStatus.c_str() : a.ui.Caixas().back().prompt.c_str());
      break;
    }
    benchmark::DoNotOptimize(aceita);
  }
  estado.SetBytesProcessed(static_cast<int64_t>(estado.iterations()) * static_cast<int64_t>(texto.size()));
}
BENCHMARK(BM_NotaTipica)->Arg(1)->Arg(20)->Arg(500)->Unit(benchmark::kMicrosecond);

// Five megabytes of lines no code matches, around an accepted request.
void BM_TextoDeCincoMegabytes(benchmark::State& estado) {
  Ambiente a;
  std::string texto = Linha("000-000", "STATUS SERVICO") + Linha("001-000", "1");
  const std::string linha = Linha("500-000", std::string(490, '0'));
  while (texto.size() < 5'000'000) texto += linha;
  texto += Linha("999-999", "");
  for (auto _ : estado) benchmark::DoNotOptimize(AnalisaTextoSolicitacao(a.ctx, a.janela, texto));
  estado.SetBytesProcessed(static_cast<int64_t>(estado.iterations()) * static_cast<int64_t>(texto.size()));
}
BENCHMARK(BM_TextoDeCincoMegabytes)->Unit(benchmark::kMillisecond);

void BM_ConverteValor(benchmark::State& estado) {
  for (auto _ : estado) benchmark::DoNotOptimize(ConverteValor("1.234.567,89"));
}
BENCHMARK(BM_ConverteValor);

}  // namespace

BENCHMARK_MAIN();
