// "IMPRIMIR DANFE": which distribution file is used, when the PDF is written,
// and that printing always happens. The component here is a stand-in that
// behaves as the real one does at its edges (it reads the distribution file,
// writes the PDF, and the printer may refuse); the real one, with CUPS, is
// exercised end to end.
#include "lifecycle/imprimir_nfe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/erro.h"
#include "component/fiscal_doc_service.h"
#include "componente_inesperado.h"
#include "manager/ambiente_teste.h"

namespace velant {
namespace {

constexpr const char* kChave = "35150311222333000181550010000005011000005012";
const std::string kProcNFe = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\";
const std::string kDistribuicao = kProcNFe + kChave + "-procNFe.xml";
const std::string kMensal = kProcNFe + "201503\\" + kChave + "-procNFe.xml";
const std::string kPdf = std::string("C:\\Dunmor\\nfe\\arquivos\\PDF\\") + kChave + ".pdf";

struct Chamada {
  std::string distribuicao, pdf;
  int modo;
  bool operator==(const Chamada&) const = default;
};
void PrintTo(const Chamada& c, std::ostream* os) { *os << "(" << c.distribuicao << ", " << c.pdf << ", " << c.modo << ")"; }

class ServicoImpressao : public teste::ComponenteInesperado {
 public:
  ServicoImpressao(const MapeadorCaminhos& caminhos, std::vector<Chamada>& chamadas, bool impressoraRecusa)
      : caminhos_(caminhos), chamadas_(chamadas), recusa_(impressoraRecusa) {}
  std::string ImprimeDanfe(const std::string& distribuicao, const std::string& pdf, int32_t modo, int32_t) override {
    chamadas_.push_back({distribuicao, pdf, modo});
    if (!std::filesystem::is_regular_file(caminhos_.Mapear(distribuicao)))
      throw ErroExecucao(CodigoErro::ErroComponente, "Arquivo de distribuição não encontrado: " + distribuicao);
    if (modo == 2) {
      auto destino = caminhos_.MapearParaGravar(pdf);
      std::filesystem::create_directories(destino.parent_path());
      std::ofstream(destino) << "%PDF-novo";
      return pdf;
    }
    if (recusa_)
      throw ErroExecucao(CodigoErro::ErroComponente, "Impressora \"DANFE\": a fila não aceita trabalhos");
    return "Trabalho de impressão 7";
  }

 private:
  const MapeadorCaminhos& caminhos_;
  std::vector<Chamada>& chamadas_;
  bool recusa_;
};

struct CasoImpressao {
  const char* nome;
  std::vector<std::string> arquivos;   // present before the request: Windows path -> "%PDF-antigo" / XML
  bool impressoraRecusa;
  std::vector<Chamada> chamadas;
  bool resultado;
  const char* pdfDepois;   // "" when there is none
  const char* linhaErro;   // "" when nothing is logged
  friend void PrintTo(const CasoImpressao& c, std::ostream* os) { *os << c.nome; }
};

class Impressao : public ::testing::TestWithParam<CasoImpressao> {};

TEST_P(Impressao, UsaODistribuicaoCertoEGravaOPdfUmaVez) {
  const auto& c = GetParam();
  teste::AmbienteTeste a;
  a.atual.PastaBase = "C:\\Dunmor";
  for (const auto& arquivo : c.arquivos) {
    auto local = a.caminhos.MapearParaGravar(arquivo);
    std::filesystem::create_directories(local.parent_path());
    std::ofstream(local) << (arquivo == kPdf ? "%PDF-antigo" : "<nfeProc/>");
  }
  std::vector<Chamada> chamadas;
  a.ctx.CriaFiscalDocService = [&] { return std::make_unique<ServicoImpressao>(a.caminhos, chamadas, c.impressoraRecusa); };

  EXPECT_EQ(ImprimirNFE(a.ctx, kChave, "135150000012345", DataHora::De(2015, 3, 20)), c.resultado);
  EXPECT_EQ(chamadas, c.chamadas);
  auto pdf = a.caminhos.Mapear(kPdf);
  if (*c.pdfDepois == '\0') {
    EXPECT_FALSE(std::filesystem::exists(pdf));
  } else {
    std::ifstream f(pdf);
    std::string conteudo((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(conteudo, c.pdfDepois);
  }
  const std::string log = a.ArquivoLog();
  if (*c.linhaErro == '\0')
    EXPECT_EQ(log.find("** Erro"), std::string::npos) << log;
  else
    EXPECT_NE(log.find(std::string("     ** Erro na Rotina: ImprimirNFE - ") + c.linhaErro), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    ImprimirNFE, Impressao,
    ::testing::Values(
        CasoImpressao{"PrimeiraVez", {kDistribuicao}, false,
                      {{kDistribuicao, kPdf, 2}, {kDistribuicao, "", 3}}, true, "%PDF-novo", ""},
        CasoImpressao{"SoNaPastaDoMes", {kMensal}, false,
                      {{kMensal, kPdf, 2}, {kMensal, "", 3}}, true, "%PDF-novo", ""},
        CasoImpressao{"PastaPrincipalPrimeiro", {kDistribuicao, kMensal}, false,
                      {{kDistribuicao, kPdf, 2}, {kDistribuicao, "", 3}}, true, "%PDF-novo", ""},
        CasoImpressao{"PdfExistenteSoImpresso", {kDistribuicao, kPdf}, false,
                      {{kDistribuicao, "", 3}}, true, "%PDF-antigo", ""},
        CasoImpressao{"SemDistribuicao", {}, false,
                      {{kMensal, kPdf, 2}}, false, "", "Arquivo de distribuição não encontrado: "},
        CasoImpressao{"PdfSemDistribuicaoNaoImprime", {kPdf}, false,
                      {{kMensal, "", 3}}, false, "%PDF-antigo", "Arquivo de distribuição não encontrado: "},
        CasoImpressao{"ImpressoraRecusa", {kDistribuicao}, true,
                      {{kDistribuicao, kPdf, 2}, {kDistribuicao, "", 3}}, false, "%PDF-novo",
                      "Impressora \"DANFE\": a fila não aceita trabalhos"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(ImprimirNFE, SemComponenteEFalsoEAnotado) {
  teste::AmbienteTeste a;
  a.atual.PastaBase = "C:\\Dunmor";
  a.ctx.CriaFiscalDocService = []() -> std::unique_ptr<FiscalDocService> {
    throw ErroExecucao(CodigoErro::ErroComponente, "Classe não registrada");
  };
  EXPECT_FALSE(ImprimirNFE(a.ctx, kChave, "", DataHora::De(2015, 3, 20)));
  EXPECT_NE(a.ArquivoLog().find("     ** Erro na Rotina: ImprimirNFE - Classe não registrada"), std::string::npos);
}

// A document the component refuses to draw: the request's answer names why;
// any other failure keeps the answer's fixed text.
TEST(ImprimirNFE, DocumentoRecusadoDizPorQue) {
  struct Caso {
    const char* erro;
    const char* motivo;
  } casos[] = {
      {"DANFE recusado: assinatura inválida (DigestValue não confere com o elemento NFe3515)",
       "DANFE recusado: assinatura inválida"},
      {"DANFE recusado: arquivo grande demais (maior que 1048576 bytes: /x.xml)", "DANFE recusado: arquivo grande demais"},
      {"Impressora \"DANFE\": a fila não aceita trabalhos", ""},
  };
  for (const auto& c : casos) {
    teste::AmbienteTeste a;
    a.atual.PastaBase = "C:\\Dunmor";
    struct Recusa : teste::ComponenteInesperado {
      const char* erro;
      explicit Recusa(const char* e) : erro(e) {}
      std::string ImprimeDanfe(const std::string&, const std::string&, int32_t, int32_t) override {
        throw ErroExecucao(CodigoErro::ErroComponente, erro);
      }
    };
    a.ctx.CriaFiscalDocService = [&] { return std::make_unique<Recusa>(c.erro); };
    EXPECT_FALSE(ImprimirNFE(a.ctx, kChave, "", DataHora::De(2015, 3, 20)));
    EXPECT_EQ(a.atual.MotivoFalha, c.motivo) << c.erro;
  }
}

}  // namespace
}  // namespace velant
