// The DANFE of a layout 4.00 invoice: its distribution file, authorised by
// an authority of 4.00 only and written by the component, is judged by the
// 4.00 schema and drawn with how it was paid and the poverty-fund totals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "autoridade_apoio.h"
#include "base/erro.h"
#include "base/texto.h"
#include "component/apoio_nfe400.h"
#include "component/danfe/danfe_verificacao.h"
#include "component/danfe_apoio.h"
#include "component/operacoes_locais.h"
#include "component/servico_documento_fiscal.h"

namespace velant {
namespace {

namespace fs = std::filesystem;

// Paid 150.00 in cash for 100.00: 50.00 of change.
std::string NotaComTroco(std::string* chave) {
  std::string nota = teste::NotaSemAssinatura400({.numero = 410}, chave);
  const size_t inicio = nota.find("<pag>");
  const size_t fim = nota.find("</pag>") + 6;
  nota.replace(inicio, fim - inicio,
               "<pag><detPag><indPag>0</indPag><tPag>01</tPag><vPag>150.00</vPag></detPag>"
               "<vTroco>50.00</vTroco></pag>");
  return AssinarXml(nota, "infNFe", teste::CertificadoTeste());
}

class Danfe400 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pasta_ = new teste::PastaTemporaria();
    sim_ = new teste::ProcessoSimulador(pasta_->Caminho() / "simulador", {}, false);
    host_ = new teste::HostTeste(pasta_->Caminho() / "host", sim_->Servicos(),
                                 teste::RegistroDanfe({{"LeiauteNFe", "4.00"}}));
    OperacoesLocais locais(host_->Ctx());
    std::string chave;
    const std::string assinada = NotaComTroco(&chave);
    teste::GravarTudo(host_->Local(locais.CaminhoAssinado(chave)), assinada);
    ServicoDocumentoFiscal c(host_->Ctx());
    RespostaLote r = c.EnviaLote(c.GeraLote(locais.CaminhoAssinado(chave), 1));
    ASSERT_TRUE(r.protocolo.has_value() && r.protocolo->Autorizado()) << r.cStat << " " << r.xMotivo;
    chave_ = chave;
    distribuicao_ = teste::LerTudo(host_->Local(c.GeraDistribuicao(chave)));
  }
  static void TearDownTestSuite() {
    delete host_;
    delete sim_;
    delete pasta_;
  }
  // ImprimeDanfe of a distribution text; the PDF's text without blanks.
  static std::string Desenha(const std::string& proc) {
    const std::string entrada = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\nota400-procNFe.xml";
    const std::string saida = "C:\\Dunmor\\nfe\\arquivos\\PDF\\nota400.pdf";
    fs::remove(host_->Local(saida));
    teste::GravarTudo(host_->Local(entrada), proc);
    ServicoDocumentoFiscal c(host_->Ctx());
    EXPECT_EQ(c.ImprimeDanfe(entrada, saida, 2, 0), saida);
    return Replace(Replace(teste::TextoPdf(host_->Local(saida)), " ", ""), "\n", "");
  }

  static teste::PastaTemporaria* pasta_;
  static teste::ProcessoSimulador* sim_;
  static teste::HostTeste* host_;
  static std::string distribuicao_, chave_;
};

teste::PastaTemporaria* Danfe400::pasta_ = nullptr;
teste::ProcessoSimulador* Danfe400::sim_ = nullptr;
teste::HostTeste* Danfe400::host_ = nullptr;
std::string Danfe400::distribuicao_;
std::string Danfe400::chave_;

TEST_F(Danfe400, DesenhaPagamentoTrocoEFcp) {
  ASSERT_FALSE(ValidarXml(distribuicao_, "PL_010e/procNFe_v4.00.xsd").has_value());
  const std::string texto = Desenha(distribuicao_);
  for (const char* esperado : {"PAGAMENTO:DINHEIROR$150,00", "TROCO:R$50,00", "VALORDOFCP", "VALORDOFCPST",
                               "VALORTOTALDANOTA"})
    EXPECT_NE(texto.find(esperado), std::string::npos) << esperado << "\n" << texto.substr(0, 3000);
  EXPECT_NE(texto.find(chave_.substr(0, 4)), std::string::npos);
  EXPECT_EQ(texto.find("OUTRAFORMADEPAGAMENTO"), std::string::npos);
}

// Judged by the schema of its own layout: a 4.00 file without its payment,
// signed again by the issuer, is not an invoice and is not drawn.
TEST_F(Danfe400, ForaDoEsquema400Recusado) {
  std::string proc = distribuicao_;
  const size_t inicio = proc.find("<pag>");
  const size_t fim = proc.find("</pag>") + 6;
  std::string nfe = proc.substr(proc.find("<NFe"), proc.find("<Signature") - proc.find("<NFe"));
  nfe.erase(nfe.find("<pag>"), fim - inicio);
  std::string assinada = AssinarXml(nfe + "</NFe>", "infNFe", teste::CertificadoTeste());
  assinada = assinada.substr(assinada.find("<NFe"));
  proc = proc.substr(0, proc.find("<NFe")) + assinada + proc.substr(proc.find("</NFe>") + 6);
  try {
    danfe::LerDistribuicaoVerificada(proc);
    ADD_FAILURE() << "aceito";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Descricao().rfind(danfe::kRecusaEsquema, 0), 0u) << e.Descricao();
    EXPECT_NE(e.Descricao().find("pag"), std::string::npos) << e.Descricao();
  }
}

}  // namespace
}  // namespace velant
