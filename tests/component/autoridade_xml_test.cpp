#include "component/xml/autoridade_xml.h"

#include <gtest/gtest.h>

#include "component/xml/xml_escritor.h"

namespace velant::autoridade {
namespace {

// An element's text as xmlNodeGetContent gives it, whatever its children.
TEST(TextoDoElemento, ComoOConteudoDaLibxml2) {
  const char* xml =
      "<r><a>simples</a><b/><c>a &amp; b &#233; &lt;c&gt;</c><d>x<![CDATA[<y>]]>z</d><e><f>um</f> e <g>dois</g></e>"
      "<h><!--nota-->texto</h><i><![CDATA[so]]></i></r>";
  auto doc = DocumentoXml::Ler(xml, "teste");
  int elementos = 0;
  for (xmlNode* no = doc.Raiz()->children; no != nullptr; no = no->next) {
    xmlChar* libxml2 = xmlNodeGetContent(no);
    EXPECT_EQ(Texto(no), reinterpret_cast<const char*>(libxml2)) << NomeLocal(no);
    xmlFree(libxml2);
    ++elementos;
  }
  EXPECT_EQ(elementos, 7);
  EXPECT_EQ(TextoFilho(doc.Raiz(), "c"), "a & b é <c>");
  EXPECT_EQ(TextoFilho(doc.Raiz(), "e"), "um e dois");
  EXPECT_EQ(TextoFilho(doc.Raiz(), "ausente"), "");
}

// What the writer escapes comes back from a parser exactly as it went in,
// in a text and in an attribute.
TEST(EscritorXmlEscapes, VoltamIguaisDoParser) {
  const std::string casos[] = {"simples", "a & b < c > d", "aspas \" e ' apóstrofo", "linha\r\nnova\tcoluna",
                               "&amp; já escrito", "", "fim&", "<<>>", "ação € 日本"};
  for (const std::string& valor : casos) {
    std::string xml;
    EscritorXml w(xml);
    w.Abre("r", {{"a", valor}});
    w.Elemento("t", valor);
    w.Fecha();
    auto doc = DocumentoXml::Ler(xml, "teste");
    EXPECT_EQ(Atributo(doc.Raiz(), "a"), valor) << xml;
    EXPECT_EQ(TextoFilho(doc.Raiz(), "t"), valor) << xml;
  }
}

}  // namespace
}  // namespace velant::autoridade
