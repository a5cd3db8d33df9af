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
           {{Ide::cUF, "35"},
            {Ide::cNF, "700"},
            {Ide::natOp, "VENDA DE MERCADORIA"},
            {Ide::indPag, "1"},
            {Ide::mod, "55"},
            {Ide::serie, "1"},
            {Ide::nNF, "700"},
            {Ide::dhEmi, "15/01/2016 10:30:00"},
            {Ide::dhSaiEnt, "15/01/2016 11:00:00"},
            {Ide::tpNF, "1"},
            {Ide::cMunFG, "3550308"},
            {Ide::tpEmis, "1"},
            {Ide::finNFe, "1"},
            {Ide::indFinal, "0"},
            {Ide::idDest, "1"},
            {Ide::indPres, "1"}});
  Preenche(v.gVetorEmitente, kSlotsEmitente,
           {{Emitente::xNome, "EMPRESA TESTE LTDA"},
            {Emitente::xLgr, "RUA DAS FLORES"},
            {Emitente::nro, "100"},
            {Emitente::xBairro, "CENTRO"},
            {Emitente::cMun, "3550308"},
            {Emitente::xMun, "SAO PAULO"},
            {Emitente::CEP, "01310100"},
            {Emitente::fone, "1133334444"},
            {Emitente::IE, "123456789012"},
            {Emitente::CRT, "3"}});
  Preenche(v.gVetorDestinatario, kSlotsDestinatario,
           {{Destinatario::CNPJouCPF, "44555666000172"},
            {Destinatario::xNome, "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL"},
            {Destinatario::xLgr, "AV PAULISTA 1000"},
            {Destinatario::xBairro, "BELA VISTA"},
            {Destinatario::cMun, "3550308"},
            {Destinatario::xMun, "SAO PAULO"},
            {Destinatario::UF, "SP"},
            {Destinatario::CEP, "01310200"},
            {Destinatario::indIEDest, "9"}});
  for (int i = 1; i <= itens; ++i) {
    std::vector<std::string> p;
    Preenche(p, kSlotsProduto, {{Produto::cEAN, "7891234567895"}, {Produto::NCM, "84713012"},
                                {Produto::CFOP, "5102"},          {Produto::uCom, "UN"},
                                {Produto::qCom, "2.0000"},        {Produto::vUnCom, "50.0000"},
                                {Produto::vProd, "100.00"},       {Produto::cEANTrib, "7891234567895"},
                                {Produto::uTrib, "UN"},           {Produto::qTrib, "2.0000"},
                                {Produto::vUnTrib, "50.0000"},    {Produto::orig, "0"},
                                {Produto::CSTouCSOSN, "00"},      {Produto::modBC, "3"},
                                {Produto::vBC, "100.00"},         {Produto::pICMS, "18.00"},
                                {Produto::vICMS, "18.00"},        {Produto::CST_PIS, "01"},
                                {Produto::vBC_PIS, "100.00"},     {Produto::pPIS, "1.65"},
                                {Produto::vPIS, "1.65"},          {Produto::CST_COFINS, "01"},
                                {Produto::vBC_COFINS, "100.00"},  {Produto::pCOFINS, "7.60"},
                                {Produto::vCOFINS, "7.60"},       {Produto::indTot, "1"}});
    char codigo[16];
    std::snprintf(codigo, sizeof codigo, "PRD-%04d", i);
    p[Produto::cProd] = codigo;
    p[Produto::xProd] = "PRODUTO DE TESTE NÚMERO " + std::to_string(i);
    v.gVetorProdutos.push_back(p);
  }
  const long long total = 10000LL * itens;
  Preenche(v.gVetorTotais, kSlotsTotais, {});
  for (size_t s : {Totais::vBCST, Totais::vST, Totais::vFrete, Totais::vSeg, Totais::vDesc, Totais::vII, Totais::vIPI,
                   Totais::vOutro, Totais::vICMSDeson})
    v.gVetorTotais[s] = "0.00";
  v.gVetorTotais[Totais::vBC] = v.gVetorTotais[Totais::vProd] = v.gVetorTotais[Totais::vNF] = Centavos(total);
  v.gVetorTotais[Totais::vICMS] = Centavos(1800LL * itens);
  v.gVetorTotais[Totais::vPIS] = Centavos(165LL * itens);
  v.gVetorTotais[Totais::vCOFINS] = Centavos(760LL * itens);
  Preenche(v.gVetorTransporte, kSlotsTransporte,
           {{Totais::vBC, "0"},
            {Totais::vICMS, "12345678000195"},
            {Totais::vBCST, "TRANSPORTADORA RAPIDA LTDA"},
            {Totais::vFrete, "SANTOS"},
            {Totais::vSeg, "SP"},
            {Totais::vIPI, "3"},
            {Totais::vPIS, "CAIXA"},
            {Totais::vNF, "12.500"},
            {Totais::vServ, "13.750"}});
  v.gVetorFaturas.assign(3, std::vector<std::string>(kSlotsFatura));
  v.gQtdFaturas = 2;
  v.gVetorFaturas[Fatura::kLinhaFatura][Fatura::nFat] = "700";
  v.gVetorFaturas[Fatura::kLinhaFatura][Fatura::vOrig] = v.gVetorFaturas[Fatura::kLinhaFatura][Fatura::vLiq] =
      Centavos(total);
  for (int d = 0; d < 3; ++d) {
    v.gVetorFaturas[d][Fatura::nDup] = "00" + std::to_string(d + 1);
    v.gVetorFaturas[d][Fatura::dVenc] = "2016-0" + std::to_string(2 + d) + "-15";
    v.gVetorFaturas[d][Fatura::vDup] = Centavos(d < 2 ? total / 3 : total - 2 * (total / 3));
  }
  Preenche(v.gVetorInfAdic, kSlotsInfAdic, {{InfAdic::infCpl, "Vendedor: JOAO;"}});
  v.gVetorAutXML.assign(kSlotsAutXML, "");

  std::string chave = MontaChaveAcesso("35", v.gVetorIde[Ide::dhEmi], "11222333000181", 55, 1, 700, 1, 700);
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
