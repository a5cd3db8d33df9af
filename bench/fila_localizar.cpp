// Cost of each tick's search (LocalizarAnalise) as the queue table grows:
// 1 thousand, 100 thousand and 1 million answered rows plus one open row,
// on SQLite and on PostgreSQL. The partial index over the open rows should
// keep it flat. PostgreSQL: a throw-away server started here (scripts/pg-teste),
// or the one named by VELANT_PG_ESTADO.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "base/caminhos.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"
#include "data/conexao_postgresql.h"
#include "data/configuracao_banco.h"
#include "data/esquema_banco.h"
#include "data/solicitacao_funcao_nfe.h"
#include "contexto/configuracao_host.h"
#include "contexto/solicitacao_atual.h"
#include "plataforma/perfil_ini.h"
#include "ui/interface_headless.h"

namespace fs = std::filesystem;
using namespace velant;
using namespace velant::data;

namespace {

constexpr int32_t kNSUAberto = 5000000;
const std::string kIP = "10.0.0.5";

std::string Comando(const std::string& acao, const fs::path& estado) {
  return std::string("bash '") + VELANT_FONTE + "/scripts/pg-teste' " + acao + " '" + estado.string() + "' >/dev/null";
}

class Servidor {
 public:
  Servidor() {
    if (const char* e = std::getenv("VELANT_PG_ESTADO")) {
      estado_ = e;
    } else {
      estado_ = fs::temp_directory_path() / ("velant-bench-pg-" + std::to_string(getpid()));
      if (std::system(Comando("iniciar", estado_).c_str()) != 0) throw std::runtime_error("PostgreSQL não iniciou");
      proprio_ = true;
    }
    std::ifstream f(estado_ / "porta");
    std::getline(f, porta_);
  }
  ~Servidor() {
    if (proprio_ && std::system(Comando("parar", estado_).c_str()) == 0) fs::remove_all(estado_);
  }
  const std::string& Porta() const { return porta_; }

 private:
  fs::path estado_;
  std::string porta_;
  bool proprio_ = false;
};

Servidor& ServidorPg() {
  static Servidor s;
  return s;
}

// One database of an engine, grown to the size each benchmark asks for.
struct Cenario {
  fs::path raiz;
  MapeadorCaminhos caminhos;
  PerfilIni ini{caminhos};
  InterfaceHeadless ui{true};
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  std::unique_ptr<CConexaoNfe> conexao;
  std::unique_ptr<cSolicitacaoFuncaoNFe> fila;
  bool postgres;
  int32_t respondidas = 0;

  Cenario(const fs::path& r, bool pg) : raiz(r), caminhos(r), postgres(pg) {
    if (pg) {
      ParametrosPostgreSql p{"127.0.0.1", ServidorPg().Porta(), "postgres", "postgres", "", 10};
      ConexaoPostgreSql admin(p);
      admin.Executar("DROP DATABASE IF EXISTS dvk_data_bench");
      admin.Executar("CREATE DATABASE dvk_data_bench");
      ini.GravarIni(kSecaoBanco, kChaveTipoBanco, "POSTGRESQL", kCaminhoIni);
      ini.GravarIni(kSecaoBanco, kChaveIPBanco, "127.0.0.1", kCaminhoIni);
      ini.GravarIni(kSecaoBanco, kChavePortaBanco, ServidorPg().Porta(), kCaminhoIni);
      ini.GravarIni(kSecaoBanco, kChaveNomeInterno, "_bench", kCaminhoIni);
      ini.GravarIni(kSecaoBanco, kChaveUsuarioBanco, "postgres", kCaminhoIni);
    } else {
      ini.GravarIni(kSecaoBanco, kChaveTipoBanco, "SQLITE", kCaminhoIni);
    }
    conexao = std::make_unique<CConexaoNfe>(ini, caminhos, ui);
    if (!conexao->ConexaoAtiva()) throw std::runtime_error(conexao->ErroAbertura());
    if (pg) CriarEsquema(*conexao->Conexao(), DialetoSql::PostgreSql);
    DefineDialetoBanco(host, conexao->TipoBanco());
    fila = std::make_unique<cSolicitacaoFuncaoNFe>(*conexao, host, ui);
    fila->NSU(kNSUAberto);
    fila->IPComputadorAC(kIP);
    fila->Texto("000-000 = ATV\r\n999-999 = FIM\r\n");
    if (!fila->Incluir()) throw std::runtime_error("linha aberta não incluída");
  }

  ~Cenario() {
    fila.reset();
    conexao.reset();
    std::error_code ec;
    fs::remove_all(raiz, ec);
  }

  // Answered rows 1..n, as the Host leaves them, with a request text of a few lines.
  void Cresce(int32_t n) {
    if (n <= respondidas) return;
    const std::string texto =
        "'000-000 = NFE3.10\r\n001-000 = 12345\r\n010-000 = Cliente de teste com um nome comprido\r\n999-999 = FIM\r\n'";
    const std::string colunas =
        "INSERT INTO SolicitacaoFuncaoNFe (NSU, [IP Computador AC], [Data da Solicitacao], [Hora da Solicitacao], "
        "Texto, [Hora da Analise], [Hora da Aprovacao], [Versao Host], Mensagem) ";
    const std::string valores = ", '" + kIP + "', '2026-12-05', '10:00:00', " + texto +
                                ", '10:00:01', '10:00:05', '6.07.01.1', 'Processamento de NFe OK!'";
    ConexaoDriver& c = *conexao->Conexao();
    if (postgres) {
      c.Executar(colunas + "SELECT n" + valores + " FROM generate_series(" + std::to_string(respondidas + 1) + ", " +
                 std::to_string(n) + ") AS n");
      c.Executar("ANALYZE SolicitacaoFuncaoNFe");
    } else {
      c.Executar(colunas + "WITH RECURSIVE seq(n) AS (SELECT " + std::to_string(respondidas + 1) +
                 " UNION ALL SELECT n + 1 FROM seq WHERE n < " + std::to_string(n) + ") SELECT n" + valores +
                 " FROM seq");
    }
    respondidas = n;
  }
};

Cenario& CenarioDe(bool pg) {
  static std::map<bool, std::unique_ptr<Cenario>> cenarios;
  static std::map<bool, fs::path> raizes;
  auto& c = cenarios[pg];
  if (!c) {
    std::string modelo = (fs::temp_directory_path() / "velant-bench-XXXXXX").string();
    if (mkdtemp(modelo.data()) == nullptr) throw std::runtime_error("mkdtemp");
    raizes[pg] = modelo;
    c = std::make_unique<Cenario>(raizes[pg], pg);
  }
  return *c;
}

void LocalizarAnalise(benchmark::State& st, bool pg) {
  Cenario* c = nullptr;
  try {
    c = &CenarioDe(pg);
    c->Cresce(static_cast<int32_t>(st.range(0)));
  } catch (const std::exception& e) {
    st.SkipWithError(e.what());
    return;
  }
  for (auto _ : st) {
    int32_t nsu = c->fila->LocalizarAnalise(kIP);
    if (nsu != kNSUAberto) {
      st.SkipWithError("a busca não achou a linha aberta");
      break;
    }
    benchmark::DoNotOptimize(nsu);
  }
  st.counters["linhas"] = static_cast<double>(st.range(0) + 1);
}

}  // namespace

BENCHMARK_CAPTURE(LocalizarAnalise, Sqlite, false)
    ->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(LocalizarAnalise, PostgreSql, true)
    ->Arg(1000)->Arg(100000)->Arg(1000000)
    ->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
