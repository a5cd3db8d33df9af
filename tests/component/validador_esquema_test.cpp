#include "component/xml/validador_esquema.h"

#include <gtest/gtest.h>


#include "apoio_documento.h"
#include "base/erro.h"

namespace velant {
namespace {

// A signed, valid invoice of the example.
const std::string& NotaValida() {
  static const std::string xml = teste::NotaAssinada();
  return xml;
}

TEST(ValidarXml, PrimeiroErroComLinhaEElemento) {
  const struct {
    const char *de, *para, *trecho;
  } casos[] = {{"<natOp>VENDA DE MERCADORIA</natOp>", "", "natOp"},   // a mandatory element missing
               {"<vProd>100.00</vProd>", "<vProd>100,00</vProd>", "vProd"},
               {"<indTot>1</indTot>", "<indTot>1</indTot><extra/>", "extra"},
               {"</infNFe>", "</infNF>", "infNF"}};   // not well formed
  for (const auto& c : casos) {
    auto erro = ValidarXml(teste::TrocaPrimeiro(NotaValida(), c.de, c.para), "nfe_v3.10.xsd");
    ASSERT_TRUE(erro) << c.trecho;
    EXPECT_EQ(erro->rfind("linha 1: ", 0), 0u) << *erro;
    EXPECT_NE(erro->find(c.trecho), std::string::npos) << *erro;
    EXPECT_NE(erro->back(), '\n');
  }
}

TEST(ValidarXml, ArquivoOuTexto) {
  teste::PastaTemporaria pasta;
  auto arquivo = pasta.Caminho() / "nota.xml";
  teste::GravarTudo(arquivo, NotaValida());
  EXPECT_EQ(ValidarXml(NotaValida(), "nfe_v3.10.xsd"), std::nullopt);
  EXPECT_EQ(ValidarXml(arquivo.string(), "nfe_v3.10.xsd"), std::nullopt);
  // A byte-order mark before the text still makes it a text.
  EXPECT_EQ(ValidarXml("\xEF\xBB\xBF" + NotaValida(), "nfe_v3.10.xsd"), std::nullopt);
  auto ausente = ValidarXml((pasta.Caminho() / "nada.xml").string(), "nfe_v3.10.xsd");
  ASSERT_TRUE(ausente);
  EXPECT_NE(ausente->find("não encontrado"), std::string::npos);
}

}  // namespace
}  // namespace velant
