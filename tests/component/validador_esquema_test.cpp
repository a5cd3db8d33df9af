#include "component/xml/validador_esquema.h"

#include <gtest/gtest.h>

#include <thread>

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

// The validator reads the document as a stream: long accented texts in
// patterned elements, split by the reader, are as valid as in a tree.
TEST(ValidarXml, TextosLongosComAcentosEmQualquerTamanho) {
  for (size_t tamanho : {10u, 90u, 112u, 200u, 255u}) {
    std::string motivo = "Rejeição: ";
    while (motivo.size() < tamanho) motivo += "concatenação à ";
    motivo.resize(tamanho);
    while (!motivo.empty() && (motivo.back() == ' ' || (static_cast<unsigned char>(motivo.back()) & 0xC0) == 0xC0))
      motivo.pop_back();
    std::string ret = "<retConsReciNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb>"
                      "<verAplic>VELANT-AUT-3.10</verAplic><nRec>351000000000001</nRec><cStat>104</cStat>"
                      "<xMotivo>Lote processado</xMotivo><cUF>35</cUF><dhRecbto>2026-12-06T19:23:53-03:00</dhRecbto>"
                      "<protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>VELANT-AUT-3.10</verAplic>"
                      "<chNFe>35160111222333000181550010000001231000001233</chNFe>"
                      "<dhRecbto>2026-12-06T19:23:53-03:00</dhRecbto><cStat>502</cStat><xMotivo>" +
                      motivo + "</xMotivo></infProt></protNFe></retConsReciNFe>";
    EXPECT_EQ(ValidarXml(ret, "retConsReciNFe_v3.10.xsd"), std::nullopt) << tamanho;
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

TEST(CaminhoEsquema, ProcuraNasPastasDoConjunto) {
  EXPECT_EQ(CaminhoEsquema("nfe_v3.10.xsd").parent_path().filename(), "PL_008i2");
  EXPECT_EQ(CaminhoEsquema("envEventoCancNFe_v1.00.xsd").parent_path().filename(), "evento");
  EXPECT_EQ(CaminhoEsquema("evento/tiposBasico_v1.03.xsd").filename(), "tiposBasico_v1.03.xsd");
  try {
    CaminhoEsquema("nfe_v9.99.xsd");
    FAIL();
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::ArquivoNaoEncontrado);
    EXPECT_NE(e.Descricao().find("nfe_v9.99.xsd"), std::string::npos);
  }
  EXPECT_THROW(ValidarXml(NotaValida(), "nfe_v9.99.xsd"), ErroExecucao);
}

TEST(PastaEsquemas, VariavelDeAmbienteTemPrecedencia) {
  teste::PastaTemporaria pasta;
  teste::GravarTudo(pasta.Caminho() / "PL_008i2" / "raiz.xsd",
                   "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\"><xs:element name=\"raiz\"/></xs:schema>");
  {
    teste::VariavelAmbiente esquemas("VELANT_ESQUEMAS", pasta.Caminho().string());
    EXPECT_EQ(PastaEsquemas(), pasta.Caminho());
    EXPECT_EQ(ValidarXml("<raiz/>", "raiz.xsd"), std::nullopt);
    EXPECT_TRUE(ValidarXml("<outra/>", "raiz.xsd"));
  }
  EXPECT_TRUE(std::filesystem::exists(PastaEsquemas() / "PL_008i2" / "nfe_v3.10.xsd"));
}

TEST(ValidarXml, VariasThreadsComOMesmoEsquema) {
  std::string invalida = teste::TrocaPrimeiro(NotaValida(), "<mod>55</mod>", "<mod>57</mod>");
  std::vector<std::thread> threads;
  std::vector<int> certos(4, 0);
  for (size_t t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i)
        certos[t] += !ValidarXml(NotaValida(), "nfe_v3.10.xsd") && ValidarXml(invalida, "nfe_v3.10.xsd");
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(certos, std::vector<int>(4, 5));
}

}  // namespace
}  // namespace velant
