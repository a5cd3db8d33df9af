// The generator's documents of layouts 3.10 and 4.00, byte for byte against
// golden files (written by this generator, each checked once against the
// fragments its case is about; VELANT_GRAVA_DOURADOS=1 rewrites them, for
// review), each signed and judged from outside: xmllint with the official
// schema, Debian's xmlsec1, and the authority's business rules. The cases are
// the example invoice changed slot by slot: gerador_documentos.tsv, and what
// the generator refuses, gerador_recusas.tsv.
#include "component/xml/gerador_xml_nfe.h"

#include <gtest/gtest.h>

#include "apoio_documento.h"
#include "apoio_regras.h"
#include "autoridade_apoio.h"

namespace velant {
namespace {

using Linha = std::vector<std::string>;

const auto kNome = [](const auto& i) { return i.param[0]; };

// Columns: name, layout, the authority's rule it breaks on purpose (0: none),
// a fragment for a document too big for a golden file, then its changes.
class Documentos : public ::testing::TestWithParam<Linha> {};

TEST_P(Documentos, IgualAoDouradoEAceitoPorFora) {
  const Linha& c = GetParam();
  teste::Gerador ger(c[1], c, 4);
  std::string xml = ger.Gera();
  EXPECT_EQ(teste::LerTudo(ger.caminhos.Mapear(ger.g.ArquivoXml)), xml);
  if (!c[3].empty()) {
    EXPECT_NE(xml.find(c[3]), std::string::npos) << c[3];
  } else {
    const auto dourado = std::filesystem::path(VELANT_TESTES) / "component/dourados" / (c[0] + ".xml");
    if (std::getenv("VELANT_GRAVA_DOURADOS") != nullptr) teste::GravarTudo(dourado, xml);
    EXPECT_EQ(xml, teste::LerTudo(dourado));
  }
  std::string assinado = AssinarXml(xml, "infNFe", teste::CertificadoTeste());
  const char* esquema = c[1] == "3.10" ? "PL_008i2/nfe_v3.10.xsd" : "PL_010e/nfe_v4.00.xsd";
  EXPECT_TRUE(teste::AceitaNoEsquemaENoXmlsec(assinado, ger.pasta.Caminho() / "assinado.xml", esquema));
  // A contingency invoice goes to its SVC, whose rules take its tpEmis.
  const std::string& tpEmis = ger.v.gVetorIde[Ide::tpEmis];
  teste::ConfereRegraLocal(assinado, std::stoi(c[2]), tpEmis == "6" ? "SVC-AN" : tpEmis == "7" ? "SVC-RS" : "");
}

INSTANTIATE_TEST_SUITE_P(Casos, Documentos,
                         ::testing::ValuesIn(teste::LerTabela("component/gerador_documentos.tsv")), kNome);

// What the generator refuses, naming the element, with no file written.
// Columns: name, layout, a fragment of the error's description, then the changes.
class RecusasDoGerador : public ::testing::TestWithParam<Linha> {};

TEST_P(RecusasDoGerador, ErroNomeiaOElementoENaoGravaArquivo) {
  const Linha& c = GetParam();
  teste::Gerador ger(c[1], c, 3);
  EXPECT_NE(teste::ErroDoComponente([&] { ger.Gera(); }).find(c[2]), std::string::npos) << c[2];
  EXPECT_FALSE(ger.caminhos.Existe(ger.g.ArquivoXml));
}

INSTANTIATE_TEST_SUITE_P(Casos, RecusasDoGerador,
                         ::testing::ValuesIn(teste::LerTabela("component/gerador_recusas.tsv")), kNome);

}  // namespace
}  // namespace velant
