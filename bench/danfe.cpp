// Time to draw the DANFE PDF of an authorised invoice (read the
// distribution file, lay out, draw, write the PDF in memory) with 1, 50 and
// 990 items, and the size of what comes out.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/caminhos.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/chave_acesso.h"
#include "component/danfe/danfe_pdf.h"
#include "component/xml/gerador_xml_nfe.h"
#include "component/xml/validador_esquema.h"
#include "contexto/vetores_nfe.h"

#include "apoio_bench.h"

namespace velant {
namespace {

using bench::Certificados;

std::string Centavos(long long c) {
  char t[32];
  std::snprintf(t, sizeof t, "%lld.%02lld", c / 100, c % 100);
  return t;
}

void Preenche(std::vector<std::string>& v, size_t n, std::initializer_list<std::pair<size_t, const char*>> slots) {
  v.assign(n, "");
  for (const auto& [slot, valor] : slots) v[slot] = valor;
}

// A homologation sale of n items at 2 x 50.00 (ICMS 18%, PIS and COFINS),
// three instalments, a carrier and one volume, signed with the test
// certificate and wrapped with the authority's protocol as the distribution
// file carries it.
std::string Distribuicao(int itens) {
  VetoresNFe v;
  Preenche(v.gVetorIde, kSlotsIde,
           {{0, "35"}, {1, "700"}, {2, "VENDA DE MERCADORIA"}, {3, "1"}, {4, "55"}, {5, "1"}, {6, "700"},
            {7, "15/01/2016 10:30:00"}, {8, "15/01/2016 11:00:00"}, {9, "1"}, {10, "3550308"}, {11, "1"},
            {12, "1"}, {14, "0"}, {34, "1"}, {35, "1"}});
  Preenche(v.gVetorEmitente, kSlotsEmitente,
           {{0, "EMPRESA TESTE LTDA"}, {2, "RUA DAS FLORES"}, {3, "100"}, {5, "CENTRO"}, {6, "3550308"},
            {7, "SAO PAULO"}, {8, "01310100"}, {9, "1133334444"}, {10, "123456789012"}, {14, "3"}});
  Preenche(v.gVetorDestinatario, kSlotsDestinatario,
           {{0, "44555666000172"}, {1, "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"},
            {2, "AV PAULISTA 1000"}, {5, "BELA VISTA"}, {6, "3550308"}, {7, "SAO PAULO"}, {8, "SP"},
            {9, "01310200"}, {37, "9"}});
  for (int i = 1; i <= itens; ++i) {
    std::vector<std::string> p;
    Preenche(p, kSlotsProduto,
             {{1, "7891234567895"}, {3, "84713012"}, {5, "5102"}, {6, "UN"}, {7, "2.0000"}, {8, "50.0000"},
              {9, "100.00"}, {10, "7891234567895"}, {11, "UN"}, {12, "2.0000"}, {13, "50.0000"}, {17, "0"},
              {18, "00"}, {19, "3"}, {20, "100.00"}, {21, "18.00"}, {22, "18.00"}, {31, "01"}, {32, "100.00"},
              {33, "1.65"}, {34, "1.65"}, {35, "01"}, {36, "100.00"}, {37, "7.60"}, {38, "7.60"}, {76, "1"}});
    char codigo[16];
    std::snprintf(codigo, sizeof codigo, "PRD-%04d", i);
    p[0] = codigo;
    p[2] = "PRODUTO DE TESTE NÚMERO " + std::to_string(i);
    v.gVetorProdutos.push_back(p);
  }
  const long long total = 10000LL * itens;
  Preenche(v.gVetorTotais, kSlotsTotais, {});
  for (size_t s : {2, 3, 5, 6, 7, 8, 9, 12, 27}) v.gVetorTotais[s] = "0.00";
  v.gVetorTotais[0] = v.gVetorTotais[4] = v.gVetorTotais[13] = Centavos(total);
  v.gVetorTotais[1] = Centavos(1800LL * itens);
  v.gVetorTotais[10] = Centavos(165LL * itens);
  v.gVetorTotais[11] = Centavos(760LL * itens);
  Preenche(v.gVetorTransporte, kSlotsTransporte,
           {{0, "0"}, {1, "12345678000195"}, {2, "TRANSPORTADORA RAPIDA LTDA"}, {5, "SANTOS"}, {6, "SP"},
            {9, "3"}, {10, "CAIXA"}, {13, "12.500"}, {14, "13.750"}});
  v.gVetorFaturas.assign(3, std::vector<std::string>(kSlotsFatura));
  v.gQtdFaturas = 2;
  v.gVetorFaturas[0][0] = "700";
  v.gVetorFaturas[0][1] = v.gVetorFaturas[0][2] = Centavos(total);
  for (int d = 0; d < 3; ++d) {
    v.gVetorFaturas[d][3] = "00" + std::to_string(d + 1);
    v.gVetorFaturas[d][4] = "2016-0" + std::to_string(2 + d) + "-15";
    v.gVetorFaturas[d][5] = Centavos(d < 2 ? total / 3 : total - 2 * (total / 3));
  }
  Preenche(v.gVetorInfAdic, kSlotsInfAdic, {{1, "Vendedor: JOAO;"}});
  v.gVetorAutXML.assign(kSlotsAutXML, "");

  std::string chave = MontaChaveAcesso("35", v.gVetorIde[7], "11222333000181", 55, 1, 700, 1, 700);
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  g.UnidadeFederada = "SP";
  g.UnidadeFederadaCodigo = "35";
  g.Ambiente = "2";
  g.CNPJ = "11222333000181";
  g.TipoDanfe = "1";
  g.IdNFe = "NFe" + chave;
  g.UltimoItem = static_cast<int16_t>(itens - 1);
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos,
                               v.gVetorTotais, v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic,
                               v.gVetorAutXML, "-02:00");
  static CertificadoA1 certificado = CarregarCertificadoA1(Certificados() / "emitente.pfx", "1234");
  std::string assinado = autoridade::SemDeclaracao(AssinarXml(xml, "infNFe", certificado));
  size_t d = assinado.find("<DigestValue>") + 13;
  std::string digest = assinado.substr(d, assinado.find("</DigestValue>") - d);
  std::string proc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" "
                     "versao=\"3.10\">" + assinado +
                     "<protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>VELANT-AUT-3.10</verAplic><chNFe>" +
                     chave + "</chNFe><dhRecbto>2016-01-15T11:00:05-02:00</dhRecbto><nProt>135160000000001</nProt>"
                     "<digVal>" + digest + "</digVal><cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo>"
                     "</infProt></protNFe></nfeProc>";
  if (auto erro = ValidarXml(proc, "procNFe_v3.10.xsd")) throw std::runtime_error("procNFe inválido: " + *erro);
  return proc;
}

const std::string& Documento(int itens) {
  static std::map<int, std::string> documentos;
  auto it = documentos.find(itens);
  if (it == documentos.end()) it = documentos.emplace(itens, Distribuicao(itens)).first;
  return it->second;
}

void BM_DanfePdf(benchmark::State& state) {
  const std::string& proc = Documento(static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for (auto _ : state) {
    std::string pdf = danfe::GeraPdfDistribuicao(proc);
    bytes = pdf.size();
    benchmark::DoNotOptimize(pdf.data());
  }
  state.counters["itens"] = static_cast<double>(state.range(0));
  state.counters["kB"] = static_cast<double>(bytes) / 1024.0;
}

BENCHMARK(BM_DanfePdf)->Arg(1)->Arg(50)->Arg(990)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velant

BENCHMARK_MAIN();
