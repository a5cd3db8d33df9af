// Time of the authority's business rules on one signed invoice of 1, 50 and
// 990 items, beside the signature of the same invoice: the check runs on
// every invoice before it is sent, and the signature is the step it must
// stay well below. The rules are timed as the Host runs them (reading and
// parsing the signed file) and alone on a parsed document.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/caminhos.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/gerador_xml_nfe.h"
#include "component/regras/regras_autoridade.h"
#include "contexto/vetores_nfe.h"

#include "apoio_bench.h"

namespace velant {
namespace {

using bench::Certificados;

const CertificadoA1& Certificado() {
  static CertificadoA1 c = CarregarCertificadoA1(Certificados() / "emitente.pfx", "1234");
  return c;
}

using Vetor = std::vector<std::string>;

Vetor Slots(size_t n, std::initializer_list<std::pair<size_t, std::string>> valores) {
  Vetor v(n);
  for (const auto& [slot, valor] : valores) v[slot] = valor;
  return v;
}

std::string Reais(long long centavos) {
  char texto[32];
  std::snprintf(texto, sizeof texto, "%lld.%02lld", centavos / 100, centavos % 100);
  return texto;
}

// A sale of n items of 2 x 50.00 of a SP issuer, homologation, that keeps every rule.
std::string NotaSemAssinatura(int itens) {
  Vetor ide = Slots(37, {{0, "35"}, {1, "123"}, {2, "VENDA DE MERCADORIA"}, {3, "0"}, {4, "55"}, {5, "1"},
                         {6, "123"}, {7, "15/01/2016 10:30:00"}, {8, "15/01/2016 11:00:00"}, {9, "1"},
                         {10, "3550308"}, {11, "1"}, {12, "1"}, {14, "0"}, {34, "1"}, {35, "1"}});
  Vetor emitente = Slots(16, {{0, "EMPRESA TESTE LTDA"}, {2, "RUA DAS FLORES"}, {3, "100"}, {5, "CENTRO"},
                              {6, "3550308"}, {7, "SAO PAULO"}, {8, "01310100"}, {10, "123456789012"}, {14, "3"}});
  Vetor destinatario = Slots(40, {{0, "44555666000181"},
                                  {1, "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"},
                                  {2, "AV PAULISTA 1000"}, {5, "BELA VISTA"}, {6, "3550308"}, {7, "SAO PAULO"},
                                  {8, "SP"}, {9, "01310200"}, {13, "987654321098"}, {37, "1"}});
  Vetor item = Slots(138, {{0, "P001"}, {1, "7891234567895"}, {2, "PRODUTO DE TESTE"}, {3, "84713012"},
                           {5, "5102"}, {6, "UN"}, {7, "2.0000"}, {8, "50.0000"}, {9, "100.00"},
                           {10, "7891234567895"}, {11, "UN"}, {12, "2.0000"}, {13, "50.0000"}, {17, "0"},
                           {18, "00"}, {19, "2"}, {20, "100.00"}, {21, "18.00"}, {22, "18.00"}, {31, "01"},
                           {32, "100.00"}, {33, "1.65"}, {34, "1.65"}, {35, "01"}, {36, "100.00"}, {37, "7.60"},
                           {38, "7.60"}, {76, "1"}});
  std::vector<Vetor> produtos(static_cast<size_t>(itens), item);
  Vetor totais = Slots(29, {{0, Reais(10000LL * itens)}, {1, Reais(1800LL * itens)}, {2, "0.00"}, {3, "0.00"},
                            {4, Reais(10000LL * itens)}, {5, "0.00"}, {6, "0.00"}, {7, "0.00"}, {8, "0.00"},
                            {9, "0.00"}, {10, Reais(165LL * itens)}, {11, Reais(760LL * itens)}, {12, "0.00"},
                            {13, Reais(10000LL * itens)}, {27, "0.00"}});
  Vetor transporte = Slots(29, {{0, "9"}});
  std::vector<Vetor> faturas = {Vetor(7)};
  Vetor infAdic(11), autXML(2);

  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  g.UnidadeFederada = "SP";
  g.UnidadeFederadaCodigo = "35";
  g.Ambiente = "2";
  g.CNPJ = "11222333000181";
  g.TipoDanfe = "1";
  g.IdNFe = "NFe" + MontaChaveAcesso("35", ide[7], g.CNPJ, 55, 1, 123, 1, 123);
  g.UltimoItem = static_cast<int16_t>(itens - 1);
  return g.MontaXml(ide, emitente, destinatario, produtos, totais, transporte, -1, faturas, infAdic, autXML,
                    "-03:00");
}

struct Documento {
  std::string semAssinatura, assinado;
  std::filesystem::path arquivo;
};

std::map<int, Documento>& Documentos() {
  static std::map<int, Documento> documentos;
  return documentos;
}

const Documento& DocumentoDe(int itens) {
  auto& documentos = Documentos();
  auto it = documentos.find(itens);
  if (it != documentos.end()) return it->second;
  Documento d;
  d.semAssinatura = NotaSemAssinatura(itens);
  d.assinado = AssinarXml(d.semAssinatura, "infNFe", Certificado());
  d.arquivo = std::filesystem::temp_directory_path() /
              ("bench-regras-" + std::to_string(getpid()) + "-" + std::to_string(itens) + ".xml");
  std::ofstream(d.arquivo, std::ios::binary) << d.assinado;
  auto violada = regras::VerificaRegrasArquivo(d.arquivo, std::chrono::system_clock::now());
  if (violada) throw std::runtime_error("a nota do benchmark quebra a regra " + violada->CodigoETexto());
  return documentos.emplace(itens, std::move(d)).first->second;
}

// As the Host runs them: the signed file read, parsed and checked.
void BM_RegrasNoArquivo(benchmark::State& state) {
  const Documento& d = DocumentoDe(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(regras::VerificaRegrasArquivo(d.arquivo, std::chrono::system_clock::now()));
  state.counters["itens"] = static_cast<double>(state.range(0));
}

// The rules alone, on a document already parsed (as the simulator has it).
void BM_RegrasNoDocumento(benchmark::State& state) {
  const Documento& d = DocumentoDe(static_cast<int>(state.range(0)));
  auto documento = autoridade::DocumentoXml::Ler(d.assinado, "nota");
  for (auto _ : state) benchmark::DoNotOptimize(regras::VerificaRegras(documento.Raiz(), std::chrono::system_clock::now()));
  state.counters["itens"] = static_cast<double>(state.range(0));
}

void BM_Assinatura(benchmark::State& state) {
  const Documento& d = DocumentoDe(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(AssinarXml(d.semAssinatura, "infNFe", Certificado()));
  state.counters["itens"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_RegrasNoArquivo)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RegrasNoDocumento)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Assinatura)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);

// The console report, then the medians side by side.
class RelatorioComRazoes : public bench::RelatorioMedianas {
 public:
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nMedianas (ms) por quantidade de itens\n");
    std::printf("%6s %16s %18s %12s %18s\n", "itens", "regras+arquivo", "regras no doc.", "assinatura",
                "(regras+arq)/ass.");
    for (const auto& [itens, m] : medianas_) {
      double arquivo = Mediana(m, "BM_RegrasNoArquivo"), documento = Mediana(m, "BM_RegrasNoDocumento"),
             assinatura = Mediana(m, "BM_Assinatura");
      std::printf("%6d %16.3f %18.3f %12.3f %18.2f\n", itens, arquivo, documento, assinatura,
                  assinatura > 0 ? arquivo / assinatura : 0);
    }
  }
};

}  // namespace
}  // namespace velant

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  velant::RelatorioComRazoes relatorio;
  benchmark::RunSpecifiedBenchmarks(&relatorio);
  benchmark::Shutdown();
  std::error_code erro;
  for (const auto& [itens, documento] : velant::Documentos()) std::filesystem::remove(documento.arquivo, erro);
  return 0;
}
