// Time per invoice of the generation step (GerarNFE: fill the vectors from
// the parsed request, access key, XML, the MovimentoNFe row, signature,
// schema validation) with 1, 50 and 990 items, in layout 3.10 and in 4.00
// (the rules checked before sending, the 4.00 schema), beside two references on the
// same documents: one RSA-2048 signature alone (the floor: no step can be
// cheaper than the signature it must make) and the shell pipeline
// "xmlsec1 --sign" then "xmllint --schema"; and our signature plus
// validation alone, the same work as that pipeline. Prints the medians and ratios.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/caminhos.h"
#include "base/data_hora.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/gerador_xml_nfe.h"
#include "component/servico_documento_fiscal.h"
#include "component/xml/validador_esquema.h"
#include "content/preenche_vetores.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "data/tabelas_solicitacao.h"
#include "lifecycle/gerar_nfe.h"
#include "manager/analisador_solicitacao.h"
#include "contexto/contexto.h"
#include "manager/estado_gerenciador.h"
#include "ui/interface_headless.h"

#include "apoio_bench.h"

namespace velant {
namespace {

using bench::Certificados;

// The layouts of the generation, by the benchmark's second argument.
constexpr int k310 = 310, k400 = 400;

DataHora DiaDaVenda(int leiaute) {
  if (leiaute == k310) return DataHora::De(2016, 1, 15);
  const std::time_t ontem = std::time(nullptr) - 24 * 3600;
  std::tm t{};
  localtime_r(&ontem, &t);
  return DataHora::De(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
}

std::string TextoData(const DataHora& d) {
  char t[16];
  std::snprintf(t, sizeof t, "%02d/%02d/%04d", d.Dia(), d.Mes(), d.Ano());
  return t;
}

// A sale of n items of a SP issuer under the normal regime: of 15/01/2016 in
// 3.10, of yesterday in 4.00 (whose rules refuse an old emission).
std::string Solicitacao(int itens, int leiaute = k310) {
  std::ostringstream t;
  auto linha = [&](const std::string& l) { t << l << "\r\n"; };
  for (const char* l :
       {"000-000 = NFE3.10", "001-000 = 1", "040-000 = 1", "042-000 = 3", "100-000 = ",
        "111-000 = 123", "112-000 = 1", "113-000 = 1", "130-000 = 0", "210-000 = CLIENTE EXEMPLO S A", "211-000 = AV PAULISTA 1000",
        "212-000 = BELA VISTA", "213-000 = SAO PAULO", "214-000 = SP", "215-000 = 01310200", "216-000 = 1058",
        "217-000 = BRASIL", "218-000 = (1155556666", "219-000 = 44555666000181", "220-000 = 987654321098",
        "222-000 = 3550308", "310-000 = EMPRESA TESTE LTDA", "311-000 = LOJA TESTE", "312-000 = RUA DAS FLORES",
        "313-000 = 100", "315-000 = CENTRO", "316-000 = 01310100", "317-000 = (1133334444",
        "318-000 = 123456789012", "319-000 = SAO PAULO", "320-000 = 3550308", "362-000 = 9"})
    linha(l);
  const std::string dia = TextoData(DiaDaVenda(leiaute));
  linha("110-000 = " + dia + " 10:30:00");
  linha("114-000 = " + dia + " 11:00:00");
  linha("115-000 = " + std::to_string(100 * itens) + ",00");
  linha("116-000 = " + std::to_string(100 * itens) + ",00");
  linha("121-000 = " + std::to_string(18 * itens) + ",00");
  linha("122-000 = " + std::to_string(100 * itens) + ",00");
  // PIS and COFINS of every item, so the totals are the sums the authority checks.
  char pis[32], cofins[32];
  std::snprintf(pis, sizeof pis, "117-000 = %d,%02d", 165 * itens / 100, 165 * itens % 100);
  std::snprintf(cofins, sizeof cofins, "119-000 = %d,%02d", 760 * itens / 100, 760 * itens % 100);
  linha(pis);
  linha(cofins);
  for (int i = 1; i <= itens; ++i) {
    char n[8];
    std::snprintf(n, sizeof n, "%03d", i % 1000);
    std::string s = std::string("-") + n + " = ";
    for (const std::string& l :
         {"800" + s, "810" + s + "84713012", "811" + s + "PRODUTO DE TESTE NUMERO " + std::to_string(i),
          "812" + s + "UN", "813" + s + "P" + std::to_string(i), "820" + s + "50,00", "821" + s + "2",
          "822" + s + "100,00", "823" + s + "7891234567895", "824" + s + "01", "825" + s + "01",
          "829" + s + "1,65", "830" + s + "7,60", "831" + s + "5102", "832" + s + "VENDA DE MERCADORIA",
          "833" + s + "35", "835" + s + "7,60", "836" + s + "1,65", "837" + s + "18,00", "838" + s + "100,00",
          "840" + s + "18", "843" + s + "1", "844" + s + "000", "845" + s + "P", "899" + s})
      linha(l);
  }
  linha("999-999 = ");
  return t.str();
}

// The objects of one Host on a temporary root, with the test certificate.
struct Host {
  std::filesystem::path raiz;
  InterfaceHeadless ui{true};
  RelogioSistema relogio;
  std::unique_ptr<MapeadorCaminhos> caminhos;
  std::unique_ptr<PerfilIni> ini;
  std::unique_ptr<RegistroWindows> registro;
  std::unique_ptr<RegistroEventos> log;
  ConfiguracaoHost host;
  SolicitacaoAtual atual;
  TabelasSolicitacao tabelas;
  VetoresNFe vetores;
  std::unique_ptr<Contexto> ctx;
  std::unique_ptr<data::CConexaoNfe> conexao;
  std::unique_ptr<GeradorXmlNFe> gerador;
  EstadoGerenciador janela;

  Host() {
    std::string modelo = (std::filesystem::temp_directory_path() / "bench-documento-XXXXXX").string();
    if (mkdtemp(modelo.data()) == nullptr) throw std::runtime_error("mkdtemp");
    raiz = modelo;
    caminhos = std::make_unique<MapeadorCaminhos>(raiz);
    ini = std::make_unique<PerfilIni>(*caminhos);
    registro = std::make_unique<RegistroWindows>(raiz / "registro.reg");
    log = std::make_unique<RegistroEventos>(ui, *caminhos, relogio);
    std::ofstream(raiz / "registro.reg", std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n\"Ambiente\"=\"2\"\r\n"
           "\"UnidadeFederada\"=\"SP\"\r\n\"UnidadeFederadaCodigo\"=\"35\"\r\n\"CNPJ\"=\"11222333000181\"\r\n"
           "\"VerProc\"=\"VelantNFe\"\r\n\"TipoDanfe\"=\"1\"\r\n\"Certificado\"=\""
        << (Certificados() / "emitente.pfx").string() << "\"\r\n\"SenhaCertificado\"=\"1234\"\r\n";
    // A shop's settings were written long before its sales: a file changed in
    // the last seconds would be read again on every lookup.
    auto antes = std::filesystem::last_write_time(raiz / "registro.reg") - std::chrono::hours(1);
    std::filesystem::last_write_time(raiz / "registro.reg", antes);
    ctx = std::make_unique<Contexto>(Contexto{ui, relogio, *caminhos, *ini, *registro, *log, host, atual, tabelas, vetores,
                                              nullptr, nullptr, nullptr, {}, {}});
    data::GarantirConfiguracaoBanco(*ini);
    conexao = std::make_unique<data::CConexaoNfe>(*ini, *caminhos, ui);
    gerador = std::make_unique<GeradorXmlNFe>(*caminhos, registro.get());
    ctx->ConexaoBanco = conexao.get();
    ctx->GeradorXml = gerador.get();
    ctx->CriaFiscalDocService = FabricaServicoDocumentoFiscal(*ctx);
  }
  ~Host() {
    ctx->ConexaoBanco = nullptr;
    RemoveAoSair(raiz);
  }
  // The roots go when the process ends, not between benchmarks: on ext4
  // without a journal a new file skips the inodes freed in the last minute,
  // and thousands freed at once would weigh on every file the next
  // benchmark writes, as no shop's Host ever sees.
  static void RemoveAoSair(const std::filesystem::path& raiz) {
    static std::vector<std::filesystem::path> raizes;
    if (raizes.empty())
      std::atexit([] {
        std::error_code ec;
        for (const auto& r : raizes) std::filesystem::remove_all(r, ec);
      });
    raizes.push_back(raiz);
  }
  bool Prepara(const std::string& texto, int32_t numero = 123, int leiaute = k310) {
    if (!AnalisaTextoSolicitacao(*ctx, janela, texto)) return false;
    atual.SerieAtual = "1";
    atual.NumeroAtual = numero;
    atual.DataEmissaoAtual = DiaDaVenda(leiaute);
    // As the command does: "NFE4.00" asks for 4.00, else the registry (none: 3.10).
    atual.LeiauteNFe = leiaute == k400 ? "4.00" : "";
    ParametrosEmissaoFila(*ctx);
    return true;
  }
  std::filesystem::path Gerado() const { return caminhos->Mapear(gerador->ArquivoXml); }
};

// The generated document of each size, kept for the references.
std::map<int, std::string>& Documentos() {
  static std::map<int, std::string> d;
  return d;
}

const std::string& Documento(int itens) {
  auto& d = Documentos();
  if (!d.count(itens)) {
    Host h;
    if (!h.Prepara(Solicitacao(itens)) || !GerarNFE(*h.ctx)) throw std::runtime_error("geração falhou");
    std::ifstream f(h.Gerado(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    d[itens] = s.str();
  }
  return d[itens];
}

// The request with another invoice number (field 111).
std::string ComNumero(std::string texto, int32_t numero) {
  const std::string campo = "\r\n111-000 = 123\r\n";
  size_t p = texto.find(campo);
  if (p == std::string::npos) throw std::runtime_error("solicitação sem o campo 111");
  return texto.replace(p, campo.size(), "\r\n111-000 = " + std::to_string(numero) + "\r\n");
}

void BM_GerarNFE(benchmark::State& state, int leiaute) {
  int itens = static_cast<int>(state.range(0));
  std::string texto = Solicitacao(itens, leiaute);
  Host h;
  int32_t numero = 123;
  for (auto _ : state) {
    state.PauseTiming();
    // Every sale is a new invoice: its own number, key, files and row, as
    // in a shop (the same invoice again is the rarer repeated request).
    ++numero;
    bool pronto = h.Prepara(ComNumero(texto, numero), numero, leiaute);
    state.ResumeTiming();
    if (!pronto || !GerarNFE(*h.ctx)) {
      state.SkipWithError("GerarNFE falhou");
      break;
    }
  }
  state.counters["itens"] = itens;
}

// The signature and validation alone, as the component does them on the
// generated file: the same work as the shell pipeline below.
void BM_AssinaEValida(benchmark::State& state) {
  const std::string& doc = Documento(static_cast<int>(state.range(0)));
  CertificadoA1 certificado = CarregarCertificadoA1(Certificados() / "emitente.pfx", "1234");
  for (auto _ : state) {
    std::string assinado = AssinarXml(doc, "infNFe", certificado);
    if (ValidarXml(assinado, "nfe_v3.10.xsd")) {
      state.SkipWithError("documento inválido");
      break;
    }
  }
  state.counters["itens"] = static_cast<double>(state.range(0));
}

void BM_AssinaturaRsa2048(benchmark::State& state) {
  Documento(static_cast<int>(state.range(0)));
  FILE* f = std::fopen((Certificados() / "emitente.key").c_str(), "r");
  EVP_PKEY* chave = f ? PEM_read_PrivateKey(f, nullptr, nullptr, nullptr) : nullptr;
  if (f) std::fclose(f);
  if (chave == nullptr) {
    state.SkipWithError("chave de teste ilegível");
    return;
  }
  // What the signer signs: a canonical SignedInfo of about 800 bytes.
  std::string signedInfo(800, 'x');
  std::vector<unsigned char> assinatura(512);
  for (auto _ : state) {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    size_t tamanho = assinatura.size();
    EVP_DigestSignInit(ctx, nullptr, EVP_sha1(), nullptr, chave);
    EVP_DigestSign(ctx, assinatura.data(), &tamanho, reinterpret_cast<const unsigned char*>(signedInfo.data()),
                   signedInfo.size());
    EVP_MD_CTX_free(ctx);
    benchmark::DoNotOptimize(assinatura.data());
  }
  EVP_PKEY_free(chave);
  state.counters["itens"] = static_cast<double>(state.range(0));
}

void BM_Xmlsec1MaisXmllint(benchmark::State& state) {
  int itens = static_cast<int>(state.range(0));
  const std::string& doc = Documento(itens);
  std::string id = doc.substr(doc.find("Id=\"") + 4, 47);
  std::string modelo =
      "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo><CanonicalizationMethod "
      "Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/><SignatureMethod "
      "Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/><Reference URI=\"#" + id +
      "\"><Transforms><Transform Algorithm=\"http://www.w3.org/2000/09/xmldsig#enveloped-signature\"/><Transform "
      "Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/></Transforms><DigestMethod "
      "Algorithm=\"http://www.w3.org/2000/09/xmldsig#sha1\"/><DigestValue/></Reference></SignedInfo>"
      "<SignatureValue/><KeyInfo><X509Data><X509Certificate/></X509Data></KeyInfo></Signature>";
  std::string gabarito = doc;
  gabarito.insert(gabarito.find("</infNFe>") + 9, modelo);
  auto pasta = std::filesystem::temp_directory_path() / ("bench-xmlsec1-" + std::to_string(getpid()));
  std::filesystem::create_directories(pasta);
  std::ofstream(pasta / "gabarito.xml", std::ios::binary) << gabarito;
  auto c = Certificados();
  std::string comando = "xmlsec1 --sign --id-attr:Id infNFe --privkey-pem '" + (c / "emitente.key").string() + "," +
                        (c / "emitente.pem").string() + "' --output '" + (pasta / "assinado.xml").string() + "' '" +
                        (pasta / "gabarito.xml").string() + "' >/dev/null 2>&1 && xmllint --noout --schema '" +
                        (PastaEsquemas() / "PL_008i2" / "nfe_v3.10.xsd").string() + "' '" +
                        (pasta / "assinado.xml").string() + "' >/dev/null 2>&1";
  for (auto _ : state) {
    if (std::system(comando.c_str()) != 0) {
      state.SkipWithError("xmlsec1 ou xmllint falhou");
      break;
    }
  }
  std::error_code ec;
  std::filesystem::remove_all(pasta, ec);
  state.counters["itens"] = itens;
}

BENCHMARK_CAPTURE(BM_GerarNFE, 310, k310)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_GerarNFE, 400, k400)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_AssinaEValida)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_AssinaturaRsa2048)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Xmlsec1MaisXmllint)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Repetitions(5)->ReportAggregatesOnly(true);

// The console report, then a table of the medians and how they compare.
class RelatorioComRazoes : public bench::RelatorioMedianas {
 public:
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nMedianas (ms) e razões por quantidade de itens\n");
    std::printf("%6s %10s %10s %14s %10s %14s %10s %12s %15s\n", "itens", "Gerar3.10", "Gerar4.00", "Assina+Valida",
                "RSA-2048", "xmlsec1+lint", "Gerar/RSA", "Gerar/shell", "AssVal/shell");
    for (const auto& [itens, m] : medianas_) {
      double g = Mediana(m, "BM_GerarNFE/310"), g4 = Mediana(m, "BM_GerarNFE/400"), a = Mediana(m, "BM_AssinaEValida"),
             r = Mediana(m, "BM_AssinaturaRsa2048"), x = Mediana(m, "BM_Xmlsec1MaisXmllint");
      std::printf("%6d %10.3f %10.3f %14.3f %10.3f %14.3f %10.1f %12.2f %15.2f\n", itens, g, g4, a, r, x,
                  r > 0 ? g / r : 0, x > 0 ? g / x : 0, x > 0 ? a / x : 0);
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
  return 0;
}
