// The DANFE of a layout 4.00 invoice: its distribution file, authorised by
// an authority of 4.00 only and written by the component, is judged by the
// 4.00 schema and drawn with how it was paid and the poverty-fund totals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/erro.h"
#include "base/texto.h"
#include "component/apoio_nfe400.h"
#include "component/danfe/danfe_verificacao.h"
#include "danfe_apoio.h"

namespace velant {
namespace {

// Paid 150.00 in cash for 100.00: 50.00 of change.
std::string NotaComTroco(std::string* chave) {
  std::string nota = teste::NotaSemAssinatura400({.numero = 410}, chave);
  const size_t inicio = nota.find("<pag>");
  nota.replace(
      inicio, nota.find("</pag>") + 6 - inicio,
      "<pag><detPag><indPag>0</indPag><tPag>01</tPag><vPag>150.00</vPag></detPag><vTroco>50.00</vTroco></pag>");
  return AssinarXml(nota, "infNFe", teste::CertificadoTeste());
}

TEST(Danfe400, PagamentoTrocoEFcpEFalhaDoEsquema400) {
  teste::AmbienteDanfe a(false, {{"LeiauteNFe", "4.00"}});
  ServicoDocumentoFiscal c(a.host.Ctx());
  std::string chave;
  const std::string nota = NotaComTroco(&chave);
  const std::string proc = teste::LerTudo(teste::DistribuicaoAutorizada(a.host, nota, chave, 1));
  ASSERT_EQ(ValidarXml(proc, "PL_010e/procNFe_v4.00.xsd").value_or(""), "");

  const std::string entrada = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\nota400-procNFe.xml";
  const std::string saida = "C:\\Dunmor\\nfe\\arquivos\\PDF\\nota400.pdf";
  teste::GravarTudo(a.host.Local(entrada), proc);
  EXPECT_EQ(c.ImprimeDanfe(entrada, saida, 2, 0), saida);
  const std::string texto = Replace(Replace(teste::TextoPdf(a.host.Local(saida)), " ", ""), "\n", "");
  for (const char* esperado : {"PAGAMENTO:DINHEIROR$150,00", "TROCO:R$50,00", "VALORDOFCP", "VALORDOFCPST",
                               "VALORTOTALDANOTA"})
    EXPECT_NE(texto.find(esperado), std::string::npos) << esperado << "\n" << texto.substr(0, 3000);
  EXPECT_NE(texto.find(chave.substr(0, 4)), std::string::npos);
  EXPECT_EQ(texto.find("OUTRAFORMADEPAGAMENTO"), std::string::npos);

  // Judged by the schema of its own layout: without its payment, signed
  // again by the issuer, it is not an invoice and is not drawn.
  const std::string semPagamento = teste::AssinadaDeNovo(proc, [](std::string nfe) {
    const size_t inicio = nfe.find("<pag>");
    return nfe.erase(inicio, nfe.find("</pag>") + 6 - inicio);
  });
  const std::string erro = teste::ErroDoComponente([&] { danfe::LerDistribuicaoVerificada(semPagamento); });
  EXPECT_EQ(erro.rfind(danfe::kRecusaEsquema, 0), 0u) << erro;
  EXPECT_NE(erro.find("pag"), std::string::npos) << erro;
}

}  // namespace
}  // namespace velant
