// Only a distribution file as it was signed and authorised is drawn: one
// edited after signing, one too large to be a real invoice, or one whose
// texts exceed the layout's lengths (even when signed again) is refused
// before any PDF exists, with the reason. The genuine one, authorised by the
// simulator, is drawn and judged by pdftotext.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>

#include "base/erro.h"
#include "component/danfe/danfe_verificacao.h"
#include "component/xml/assinador_xml.h"
#include "danfe_apoio.h"

namespace velant {
namespace {

namespace fs = std::filesystem;

// The NF-e of a distribution file without its signature, changed by
// `altera`, signed again (by default with the issuer's test certificate) and put back.
std::string AssinadaDeNovo(const std::string& proc, const std::function<std::string(std::string)>& altera,
                           const CertificadoA1& certificado = teste::CertificadoTeste()) {
  const size_t inicio = proc.find("<NFe");
  const size_t fim = proc.find("</NFe>") + 6;
  std::string nfe = proc.substr(inicio, fim - inicio);
  const size_t assinatura = nfe.find("<Signature");
  nfe = altera(nfe.substr(0, assinatura) + "</NFe>");
  std::string assinada = AssinarXml(nfe, "infNFe", certificado);
  assinada = assinada.substr(assinada.find("<NFe"));
  return proc.substr(0, inicio) + assinada + proc.substr(fim);
}

class DanfeVerificado : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pasta_ = new teste::PastaTemporaria();
    sim_ = new teste::ProcessoSimulador(pasta_->Caminho() / "simulador");
    host_ = new teste::HostTeste(pasta_->Caminho() / "host", sim_->Servicos(), teste::RegistroDanfe());
    genuina_ = teste::LerTudo(teste::DistribuicaoAutorizada(*host_, {.numero = 601}, 1, &chave_));
    // A certificate of another company, made here.
    const fs::path p = pasta_->Caminho();
    std::string saida;
    const std::string comando =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/C=BR/O=ICP-Brasil/CN=OUTRA EMPRESA LTDA:99888777000166' "
        "-keyout " + teste::Citado(p / "outra.key") + " -out " + teste::Citado(p / "outra.pem") +
        " && openssl pkcs12 -export -passout pass:4321 -inkey " + teste::Citado(p / "outra.key") + " -in " +
        teste::Citado(p / "outra.pem") + " -out " + teste::Citado(p / "outra.pfx");
    ASSERT_EQ(teste::Executa("(" + comando + ") 2>&1", &saida), 0) << saida;
    outra_ = CarregarCertificadoA1(p / "outra.pfx", "4321");
  }
  static void TearDownTestSuite() {
    delete host_;
    delete sim_;
    delete pasta_;
  }

  static teste::PastaTemporaria* pasta_;
  static teste::ProcessoSimulador* sim_;
  static teste::HostTeste* host_;
  static std::string genuina_, chave_;
  static CertificadoA1 outra_;
};

teste::PastaTemporaria* DanfeVerificado::pasta_ = nullptr;
teste::ProcessoSimulador* DanfeVerificado::sim_ = nullptr;
teste::HostTeste* DanfeVerificado::host_ = nullptr;
std::string DanfeVerificado::genuina_;
std::string DanfeVerificado::chave_;
CertificadoA1 DanfeVerificado::outra_;

struct CasoDanfe {
  const char* nome;
  std::function<std::string(const std::string&)> arquivo;   // from the genuine distribution file
  const char* recusa;                                       // nullptr: drawn
};

TEST_F(DanfeVerificado, SoODocumentoComoFoiAssinado) {
  const std::string nomeLongo(300, 'X');
  const CasoDanfe casos[] = {
      {"genuína", [](const std::string& p) { return p; }, nullptr},
      {"vNF alterado depois de assinado",
       [](const std::string& p) { return std::regex_replace(p, std::regex("<vNF>[^<]*</vNF>"), "<vNF>1.00</vNF>"); },
       danfe::kRecusaAssinatura},
      {"nome do destinatário de 50 MB",
       [](const std::string& p) {
         const size_t nome = p.find("<xNome>", p.find("<dest>")) + 7;
         return p.substr(0, nome) + std::string(50u * 1024u * 1024u, 'A') + p.substr(nome);
       },
       danfe::kRecusaTamanho},
      {"nome do emitente de 300 caracteres, assinada de novo",
       [&](const std::string& p) {
         return AssinadaDeNovo(p, [&](std::string nfe) {
           const size_t nome = nfe.find("<xNome>", nfe.find("<emit>")) + 7;
           return nfe.insert(nome, nomeLongo);
         });
       },
       danfe::kRecusaEsquema},
      {"vNF alterado e assinado de novo por outra empresa",
       [](const std::string& p) {
         return AssinadaDeNovo(
             p, [](std::string nfe) { return std::regex_replace(nfe, std::regex("<vNF>[^<]*</vNF>"), "<vNF>1.00</vNF>"); },
             outra_);
       },
       danfe::kRecusaAssinatura},
      {"um caminho no lugar do XML", [](const std::string&) { return std::string("/etc/hostname"); },
       danfe::kRecusaEsquema},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string entrada = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\verificada-procNFe.xml";
    const std::string saida = "C:\\Dunmor\\nfe\\arquivos\\PDF\\verificada.pdf";
    fs::remove(host_->Local(saida));
    const std::string arquivo = c.arquivo(genuina_);
    ASSERT_TRUE(c.recusa != nullptr || arquivo == genuina_);
    teste::GravarTudo(host_->Local(entrada), arquivo);
    ServicoDocumentoFiscal componente(host_->Ctx());
    if (c.recusa == nullptr) {
      EXPECT_EQ(componente.ImprimeDanfe(entrada, saida, 2, 0), saida);
      EXPECT_NE(Replace(Replace(teste::TextoPdf(host_->Local(saida)), " ", ""), "\n", "").find(chave_),
                std::string::npos);
      continue;
    }
    try {
      componente.ImprimeDanfe(entrada, saida, 2, 0);
      ADD_FAILURE() << "desenhado";
    } catch (const ErroExecucao& e) {
      EXPECT_EQ(e.Descricao().rfind(c.recusa, 0), 0u) << e.Descricao().substr(0, 300);
    }
    EXPECT_FALSE(fs::exists(host_->Local(saida)));
  }
}

}  // namespace
}  // namespace velant
