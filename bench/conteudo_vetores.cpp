// Time to fill the document vectors of one invoice, by number of items.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/caminhos.h"
#include "base/regional.h"
#include "content/preenche_vetores.h"
#include "contexto/contexto.h"
#include "data/tabelas_solicitacao.h"
#include "plataforma/perfil_ini.h"
#include "plataforma/registro_eventos.h"
#include "plataforma/registro_windows.h"
#include "ui/interface_headless.h"

namespace {

using namespace velant;

Valor Moeda(const char* t) { return Valor(Currency::DeTextoInvariante(t)); }

TabelasSolicitacao NotaCom(int itens) {
  TabelasSolicitacao t;
  CriaTabelaNota(t);
  CriaTabelaDuplicatas(t);
  CriaTabelaCupons(t);
  for (int i = 0; i < itens; ++i) {
    t.TabelaNota.AddNew();
    if (i == 0) PreparaRegistroNota(t);
    const std::pair<const char*, Valor> colunas[] = {
        {"CgcCli", Valor("12345678000195")}, {"RazaoSocialCli", Valor("CLIENTE S\u00C3O JO\u00C3O LTDA")},
        {"UFCli", Valor("SP")}, {"IECli", Valor("111.222.333.444")}, {"NumeroNF", Valor("1234")},
        {"DtEmissao", Valor("2015-03-05T10:00:00-03:00")}, {"CFOP", Valor(i % 2 ? "5656" : "5102")},
        {"DescNaturezaOp", Valor("VENDA")}, {"tpNF", Moeda("1")}, {"CodProduto", Valor("P" + std::to_string(i))},
        {"NomeProd", Valor("PRODUTO N\u00BA " + std::to_string(i))}, {"QntProd", Moeda("2")},
        {"ValorUnitProd", Moeda("10.5")}, {"TotalProdServ", Moeda("21")}, {"TotalProdTot", Moeda("1000")},
        {"OutrosTot", Moeda("10")}, {"CodSitTrib", Valor("060")}, {"ServProd", Valor("P")},
        {"CSTPis", Valor("01")}, {"CSTCofins", Valor("01")}, {"CodigoANP", Valor("320102001")},
        {"BCST", Moeda("0")}, {"ValorIva", Moeda("0")}};
    for (const auto& [nome, valor] : colunas) t.TabelaNota.SetValue(nome, valor);
    t.TabelaNota.Update();
  }
  t.TabelaNota.MoveFirst();
  return t;
}

void BM_PreencheVetores(benchmark::State& state) {
  DefinirRegional(RegionalPtBR());
  InterfaceHeadless ui(true);
  RelogioSistema relogio;
  const auto raiz = std::filesystem::temp_directory_path() / ("bench-conteudo-" + std::to_string(getpid()));
  MapeadorCaminhos caminhos(raiz);
  PerfilIni ini(caminhos);
  RegistroWindows registro(caminhos.Raiz() / "registro.reg");
  RegistroEventos log(ui, caminhos, relogio);
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  const TabelasSolicitacao modelo = NotaCom(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TabelasSolicitacao tabelas = modelo;
    VetoresNFe vetores;
    Contexto ctx{ui, relogio, caminhos, ini, registro, log, host, atual, tabelas, vetores, nullptr, nullptr, nullptr, {}, {}};
    ParametrosEmissaoFila(ctx);
    state.ResumeTiming();
    benchmark::DoNotOptimize(PreencheVetores(ctx));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::error_code erro;
  std::filesystem::remove_all(raiz, erro);
}
BENCHMARK(BM_PreencheVetores)->Arg(1)->Arg(10)->Arg(100)->Arg(990)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
