// "IMPRIMIR DANFE": which distribution file is used, when the PDF is written,
// and that printing always happens. The component here is a stand-in that
// behaves as the real one does at its edges (it reads the distribution file,
// writes the PDF, and the printer may refuse); the real one, with CUPS, is
// exercised end to end.
#include "lifecycle/imprimir_nfe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/erro.h"
#include "base/texto.h"
#include "componente_inesperado.h"
#include "manager/ambiente_teste.h"

namespace velant {
namespace {

constexpr const char* kChave = "35150311222333000181550010000005011000005012";
const std::string kDistribuicao = std::string("C:\\Dunmor\\nfe\\arquivos\\procNFe\\") + kChave + "-procNFe.xml";
const std::string kMensal = std::string("C:\\Dunmor\\nfe\\arquivos\\procNFe\\201503\\") + kChave + "-procNFe.xml";
const std::string kPdf = std::string("C:\\Dunmor\\nfe\\arquivos\\PDF\\") + kChave + ".pdf";
const char* const kSemDistribuicao = "Arquivo de distribuição não encontrado: ";

// Each call as "distribution pdf mode", the files written D (main folder), M (month folder), P; erro: the
// component's refusal, "" when it draws and prints.
struct ServicoImpressao : teste::ComponenteInesperado {
  ServicoImpressao(const MapeadorCaminhos& c, std::vector<std::string>& ch, const char* e) : caminhos(c), chamadas(ch), erro(e) {}
  std::string ImprimeDanfe(S distribuicao, S pdf, int32_t modo, int32_t) override {
    chamadas.push_back(Replace(Replace(Replace(distribuicao + " " + pdf + " " + std::to_string(modo), kMensal, "M"), kDistribuicao, "D"), kPdf, "P"));
    if (*erro != '\0') throw ErroExecucao(CodigoErro::ErroComponente, erro);
    if (!std::filesystem::is_regular_file(caminhos.Mapear(distribuicao))) throw ErroExecucao(CodigoErro::ErroComponente, kSemDistribuicao + distribuicao);
    if (modo == 2) teste::GravarTudo(caminhos.MapearParaGravar(pdf), "%PDF-novo");
    return modo == 2 ? pdf : "Trabalho de impressão 7";
  }
  const MapeadorCaminhos& caminhos;
  std::vector<std::string>& chamadas;
  const char* erro;
};

// Which distribution file is used, the PDF written once; a document the
// component refuses to draw: the request's answer names why, any other
// failure keeps the fixed text.
TEST(ImprimirNFE, UsaODistribuicaoCertoEGravaOPdfUmaVez) {
  const char* const kRecusa = "DANFE recusado: assinatura inválida (DigestValue não confere com o elemento NFe3515)";
  const struct {
    std::vector<std::string> arquivos;   // present before the request
    const char* erro;                    // the component's
    std::vector<std::string> chamadas;
    bool resultado;
    const char* pdfDepois;   // "" when there is none
    std::string linhaErro;   // "" when nothing is logged
    std::string motivo;
  } casos[] = {
      {{kDistribuicao}, "", {"D P 2", "D  3"}, true, "%PDF-novo", "", ""},
      {{kMensal}, "", {"M P 2", "M  3"}, true, "%PDF-novo", "", ""},
      {{kDistribuicao, kPdf}, "", {"D  3"}, true, "%PDF-antigo", "", ""},
      {{}, "", {"M P 2"}, false, "", kSemDistribuicao, ""},
      {{kDistribuicao}, kRecusa, {"D P 2"}, false, "", kRecusa, "DANFE recusado: assinatura inválida"},
      {{kDistribuicao}, "Impressora \"DANFE\": a fila não aceita trabalhos", {"D P 2"}, false, "", "Impressora", ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.chamadas.front());
    teste::AmbienteTeste a;
    a.atual.PastaBase = "C:\\Dunmor";
    for (const auto& arquivo : c.arquivos)
      teste::GravarTudo(a.caminhos.MapearParaGravar(arquivo), arquivo == kPdf ? "%PDF-antigo" : "<nfeProc/>");
    std::vector<std::string> chamadas;
    a.ctx.CriaFiscalDocService = [&] { return std::make_unique<ServicoImpressao>(a.caminhos, chamadas, c.erro); };
    EXPECT_EQ(ImprimirNFE(a.ctx, kChave, "135150000012345", DataHora::De(2015, 3, 20)), c.resultado);
    EXPECT_EQ(chamadas, c.chamadas);
    const auto pdf = a.caminhos.Mapear(kPdf);
    EXPECT_EQ(std::filesystem::exists(pdf) ? teste::LerTudo(pdf) : "", c.pdfDepois);
    EXPECT_EQ(a.ArquivoLog().find("     ** Erro na Rotina: ImprimirNFE - " + c.linhaErro) != std::string::npos,
              !c.linhaErro.empty());
    EXPECT_EQ(a.atual.MotivoFalha, c.motivo);
  }
}

}  // namespace
}  // namespace velant
