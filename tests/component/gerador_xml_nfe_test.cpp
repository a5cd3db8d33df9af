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
#include "base/caminhos.h"
#include "base/erro.h"
#include "plataforma/registro_windows.h"

namespace velant {
namespace {

using Linha = std::vector<std::string>;

// One generator on a temporary root: an issuer of SP, in production for 3.10
// and in homologation for 4.00, with the example invoice (in 4.00 with the
// recipient's name homologation demands) changed by a case's columns from `primeira`.
struct Gerador {
  teste::PastaTemporaria pasta;
  MapeadorCaminhos caminhos{pasta.Caminho()};
  RegistroWindows registro{pasta.Caminho() / "registro.reg"};
  GeradorXmlNFe g{caminhos, &registro};
  VetoresNFe v = teste::NotaExemplo();

  Gerador(const std::string& leiaute, const Linha& caso, size_t primeira) {
    teste::Emitente400(g);
    g.Leiaute = leiaute;
    if (leiaute == "3.10") g.Ambiente = "1", g.VerProc = "VelantNFe 6.07";
    else v.gVetorDestinatario[Destinatario::xNome] = teste::kDestinatarioHomologacao;
    std::string valores;
    for (size_t i = primeira; i < caso.size(); ++i)
      if (!teste::Altera(v, &g, caso[i])) {
        const size_t igual = caso[i].find('=');
        valores += "\"" + caso[i].substr(9, igual - 9) + "\"=\"" + caso[i].substr(igual + 1) + "\"\r\n";
      }
    if (!valores.empty())
      teste::GravarTudo(registro.Arquivo(),
                        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n" + valores);
  }
  // Key, Id, file and last item as GerarNFE sets them, then GeraXml. A
  // document whose fields give no key gets the key of the example.
  std::string Gera() {
    std::string chave;
    try {
      chave = teste::ChaveDa(v, g.CNPJ, CnpjNaChave::Alfanumerico);
    } catch (const ErroExecucao&) {
      chave = teste::ChaveDa(teste::NotaExemplo());
    }
    if (g.IdNFe.empty()) g.IdNFe = "NFe" + chave;
    g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
    g.ArquivoXml = "C:\\Dunmor\\nfe\\arquivos\\NFe" + chave + ".xml";
    return g.GeraXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                     v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML);
  }
};

const auto kNome = [](const auto& i) { return i.param[0]; };

// Columns: name, layout, the authority's rule it breaks on purpose (0: none),
// a fragment for a document too big for a golden file, then its changes.
class Documentos : public ::testing::TestWithParam<Linha> {};

TEST_P(Documentos, IgualAoDouradoEAceitoPorFora) {
  const Linha& c = GetParam();
  const std::string& leiaute = c[1];
  Gerador ger(leiaute, c, 4);
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
  const char* esquema = leiaute == "3.10" ? "PL_008i2/nfe_v3.10.xsd" : "PL_010e/nfe_v4.00.xsd";
  EXPECT_TRUE(teste::AceitaNoEsquemaENoXmlsec(assinado, ger.pasta.Caminho() / "assinado.xml", esquema));
  // A contingency invoice goes to its SVC, whose rules take its tpEmis.
  const std::string& tpEmis = ger.v.gVetorIde[Ide::tpEmis];
  teste::ConfereRegraLocal(assinado, std::stoi(c[2]), false, tpEmis == "6" ? "SVC-AN" : tpEmis == "7" ? "SVC-RS" : "");
}

INSTANTIATE_TEST_SUITE_P(Casos, Documentos,
                         ::testing::ValuesIn(teste::LerTabela("component/gerador_documentos.tsv")), kNome);

// What the generator refuses, naming the element, with no file written.
// Columns: name, layout, a fragment of the error's description, then the changes.
class RecusasDoGerador : public ::testing::TestWithParam<Linha> {};

TEST_P(RecusasDoGerador, ErroNomeiaOElementoENaoGravaArquivo) {
  const Linha& c = GetParam();
  Gerador ger(c[1], c, 3);
  try {
    ger.Gera();
    ADD_FAILURE() << "gerou";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
    EXPECT_NE(e.Descricao().find(c[2]), std::string::npos) << e.Descricao();
  }
  EXPECT_FALSE(ger.caminhos.Existe(ger.g.ArquivoXml));
}

INSTANTIATE_TEST_SUITE_P(Casos, RecusasDoGerador,
                         ::testing::ValuesIn(teste::LerTabela("component/gerador_recusas.tsv")), kNome);

}  // namespace
}  // namespace velant
