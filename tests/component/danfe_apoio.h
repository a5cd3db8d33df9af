#pragma once
// What the DANFE tests share: invoices a real authority would accept
// (consistent items, totals, instalments and transport), authorised by the
// simulator and written as distribution files by the component, and the
// outside tools that judge the PDF (pdftotext, pdfinfo, pdftoppm,
// zbarimg).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "autoridade_apoio.h"
#include "base/texto.h"
#include "component/operacoes_locais.h"
#include "component/servico_documento_fiscal.h"
#include "component/textos_resposta.h"

namespace velant::teste {

struct OpcoesDanfe {
  int itens = 2;
  int numero = 501;
  std::string tipoImpressao = "1";
  std::string ambiente = "2";
  int duplicatas = 3;
  std::string informacoes = "Vendedor: JOAO;Pedido do cliente: 4567;";
};

inline std::string Centavos(long long c) {
  char t[32];
  std::snprintf(t, sizeof t, "%lld.%02lld", c / 100, c % 100);
  return t;
}

// A sale of n items at 2 x 50.00 with ICMS 18%, PIS 1.65 and COFINS 7.60
// each; item 1 has a long accented description and additional text, so that
// it wraps. The instalments add up to the invoice's total.
inline VetoresNFe NotaDanfe(const OpcoesDanfe& o) {
  VetoresNFe v = NotaExemplo();
  for (const auto& linha : LerTabela("component/nota_danfe.tsv")) Altera(v, nullptr, linha[0]);
  v.gVetorIde[Ide::indPag] = o.duplicatas > 0 ? "1" : "0";
  v.gVetorIde[Ide::cNF] = v.gVetorIde[Ide::nNF] = std::to_string(o.numero);
  v.gVetorDestinatario[Destinatario::xNome] = o.ambiente == "2" ? kDestinatarioHomologacao : "CLIENTE EXEMPLO S A";
  v.gQtdItens = o.itens;
  v.gVetorProdutos.clear();
  for (int i = 1; i <= o.itens; ++i) {
    auto& item = v.gVetorProdutos.emplace_back(ItemCrt3());
    item[Produto::cProd] = "PRD-" + std::to_string(10000 + i).substr(1);
    item[Produto::xProd] = i == 1 ? "MICROCOMPUTADOR PORTÁTIL COM TELA DE 14 POLEGADAS, PROCESSADOR DE QUATRO NÚCLEOS, "
                                    "16 GB DE MEMÓRIA E DISCO SÓLIDO"
                                  : "PRODUTO DE TESTE NÚMERO " + std::to_string(i);
  }
  const long long total = 10000LL * o.itens;
  for (auto [slot, centavos] : {std::pair{Totais::vBC, 10000LL}, {Totais::vICMS, 1800LL}, {Totais::vProd, 10000LL},
                                {Totais::vPIS, 165LL}, {Totais::vCOFINS, 760LL}, {Totais::vNF, 10000LL}})
    v.gVetorTotais[slot] = Centavos(centavos * o.itens);
  v.gVetorFaturas.resize(std::max(1, o.duplicatas), Vazio(kSlotsFatura));
  v.gQtdFaturas = static_cast<int16_t>(o.duplicatas - 1);
  v.gVetorFaturas[Fatura::kLinhaFatura][Fatura::vOrig] = v.gVetorFaturas[Fatura::kLinhaFatura][Fatura::vLiq] =
      Centavos(total);
  for (int d = 0; d < o.duplicatas; ++d) {
    char vencimento[32];
    std::snprintf(vencimento, sizeof vencimento, "2016-%02d-15", 2 + d);
    v.gVetorFaturas[d][Fatura::nDup] = "00" + std::to_string(d + 1);
    v.gVetorFaturas[d][Fatura::dVenc] = vencimento;
    // The last instalment takes what the others leave of the total.
    v.gVetorFaturas[d][Fatura::vDup] = Centavos(d + 1 < o.duplicatas ? total / o.duplicatas
                                                                      : total - (o.duplicatas - 1) * (total / o.duplicatas));
  }
  v.gVetorInfAdic[InfAdic::infCpl] = o.informacoes;
  return v;
}

// The signed invoice and its key.
inline std::string NotaDanfeAssinada(const OpcoesDanfe& o, std::string* chave) {
  VetoresNFe v = NotaDanfe(o);
  *chave = ChaveDa(v);
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  Emitente400(g);
  g.Leiaute = "3.10", g.Ambiente = o.ambiente, g.TipoDanfe = o.tipoImpressao, g.IdNFe = "NFe" + *chave;
  g.UltimoItem = static_cast<int16_t>(v.gVetorProdutos.size() - 1);
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos,
                               v.gVetorTotais, v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic,
                               v.gVetorAutXML, "-02:00");
  return AssinarXml(xml, "infNFe", CertificadoTeste());
}

// Signed, sent, authorised by the simulator (at once in 4.00, by the
// receipt in 3.10) and written by the component as the distribution file;
// its local path.
inline std::filesystem::path DistribuicaoAutorizada(HostTeste& host, const std::string& assinada,
                                                    const std::string& chave, int lote) {
  OperacoesLocais locais(host.Ctx());
  GravarTudo(host.Local(locais.CaminhoAssinado(chave)), assinada);
  ServicoDocumentoFiscal c(host.Ctx());
  RespostaLote enviado = c.EnviaLote(c.GeraLote(locais.CaminhoAssinado(chave), lote)), processado = enviado;
  if (!enviado.Recebido() && !enviado.protocolo)
    throw std::runtime_error("lote não recebido: " + enviado.cStat + " " + enviado.xMotivo);
  for (int i = 0; i < 5 && !processado.protocolo; ++i) processado = c.ConsultaLote(enviado.nRec);
  if (!processado.protocolo || !processado.protocolo->Autorizado())
    throw std::runtime_error("NF-e não autorizada: " + TextoConsultaLote(processado));
  return host.Local(c.GeraDistribuicao(chave));
}
inline std::filesystem::path DistribuicaoAutorizada(HostTeste& host, const OpcoesDanfe& o, int lote,
                                                    std::string* chaveSaida = nullptr) {
  std::string chave, assinada = NotaDanfeAssinada(o, &chave);
  if (chaveSaida) *chaveSaida = chave;
  return DistribuicaoAutorizada(host, assinada, chave, lote);
}

// One simulator and one Host for a whole suite: the DANFE tests only read
// what it authorised.
struct AmbienteDanfe {
  PastaTemporaria pasta;
  ProcessoSimulador sim;
  HostTeste host;
  explicit AmbienteDanfe(bool leiaute310 = true, std::vector<std::pair<std::string, std::string>> registro = {})
      : sim(pasta.Caminho() / "simulador", {}, leiaute310),
        host(pasta.Caminho() / "host", sim.Servicos(), Com990Itens(std::move(registro))) {}
  // The simulator checks a 990-item batch slowly under the sanitizers on a
  // busy machine: the DANFE tests give it room.
  static std::vector<std::pair<std::string, std::string>> Com990Itens(std::vector<std::pair<std::string, std::string>> r) {
    r.insert(r.begin(), {{"TempoLimiteLeitura", "90"}, {"TempoLimiteTotal", "120"}});
    return r;
  }
};

// The NF-e of a distribution file without its signature, changed by
// `altera`, signed again (by default with the issuer's test certificate) and put back.
inline std::string AssinadaDeNovo(const std::string& proc, const std::function<std::string(std::string)>& altera,
                                  const CertificadoA1& certificado = CertificadoTeste()) {
  const size_t inicio = proc.find("<NFe"), fim = proc.find("</NFe>") + 6;
  std::string nfe = proc.substr(inicio, fim - inicio);
  std::string assinada = AssinarXml(altera(nfe.substr(0, nfe.find("<Signature")) + "</NFe>"), "infNFe", certificado);
  return proc.substr(0, inicio) + assinada.substr(assinada.find("<NFe")) + proc.substr(fim);
}

// --- The outside judges --------------------------------------------------------

inline std::string Citado(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// pdftotext of one page (0: all), in layout mode.
inline std::string TextoPdf(const std::filesystem::path& pdf, int pagina = 0) {
  std::string saida;
  std::string faixa = pagina > 0 ? " -f " + std::to_string(pagina) + " -l " + std::to_string(pagina) : "";
  if (Executa("pdftotext -layout -enc UTF-8" + faixa + " " + Citado(pdf) + " -", &saida) != 0)
    throw std::runtime_error("pdftotext falhou: " + saida);
  return saida;
}

// "Pages" and "Page size" as pdfinfo reads them.
struct InfoPdf {
  int paginas = 0;
  double largura = 0, altura = 0;
};

inline InfoPdf LerInfoPdf(const std::filesystem::path& pdf) {
  std::string saida;
  if (Executa("pdfinfo " + Citado(pdf), &saida) != 0) throw std::runtime_error("pdfinfo falhou: " + saida);
  InfoPdf info;
  std::smatch m;
  if (std::regex_search(saida, m, std::regex(R"(Pages:\s+(\d+))"))) info.paginas = std::stoi(m[1]);
  if (std::regex_search(saida, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)"))) {
    info.largura = std::stod(m[1]);
    info.altura = std::stod(m[2]);
  }
  return info;
}

// What zbarimg reads as Code 128 on page `pagina` rendered at 300 dpi.
inline std::string CodigoDeBarrasLido(const std::filesystem::path& pdf, const std::filesystem::path& pasta,
                                      int pagina = 1) {
  std::filesystem::path png = pasta / ("pagina" + std::to_string(pagina));
  std::string saida;
  // The top of the page, where the barcode is, is enough to read.
  if (Executa("pdftoppm -r 300 -gray -png -singlefile -x 0 -y 0 -W 3600 -H 1200 -f " + std::to_string(pagina) + " -l " +
                  std::to_string(pagina) + " " + Citado(pdf) + " " + Citado(png),
              &saida) != 0)
    throw std::runtime_error("pdftoppm falhou: " + saida);
  // Its complaints about a missing system bus are not the symbol.
  Executa("(zbarimg --quiet --raw -Sdisable -Scode128.enable " + Citado(png.string() + ".png") + " 2>/dev/null)",
          &saida);
  while (!saida.empty() && (saida.back() == '\n' || saida.back() == '\r')) saida.pop_back();
  return saida;
}

}  // namespace velant::teste
