// The one-pass canonicalization against libxml2's general C14N routine on
// the shapes that matter to a signature: inherited, redeclared and removed
// namespaces, attribute order, the escapes, and the nodes it hands back.
#include "component/xml/canonizacao_c14n.h"

#include <gtest/gtest.h>
#include <libxml/c14n.h>
#include <libxml/parser.h>

#include <memory>
#include <string>

namespace velant {
namespace {

struct LiberaDoc {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
using Doc = std::unique_ptr<xmlDoc, LiberaDoc>;

Doc Le(const std::string& xml) {
  return Doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT));
}

xmlNode* Primeiro(xmlNode* n, const std::string& nome) {
  for (; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (nome == reinterpret_cast<const char*>(n->name)) return n;
    if (xmlNode* achado = Primeiro(n->children, nome)) return achado;
  }
  return nullptr;
}

int NaSubarvore(void* raiz, xmlNode* no, xmlNode* pai) {
  const xmlNode* n = (no->type == XML_NAMESPACE_DECL || no->type == XML_ATTRIBUTE_NODE) ? pai : no;
  for (; n != nullptr; n = n->parent)
    if (n == raiz) return 1;
  return 0;
}

// What libxml2 writes for the element's subtree as a document subset.
std::string DaLibxml2(xmlDoc* doc, xmlNode* e) {
  xmlOutputBuffer* saida = xmlAllocOutputBuffer(nullptr);
  int r = xmlC14NExecute(doc, NaSubarvore, e, XML_C14N_1_0, nullptr, 0, saida);
  std::string texto = r < 0 ? "<falhou>"
                            : std::string(reinterpret_cast<const char*>(xmlOutputBufferGetContent(saida)),
                                          xmlOutputBufferGetSize(saida));
  xmlOutputBufferClose(saida);
  return texto;
}

TEST(CanonizaSubarvore, IgualALibxml2) {
  const struct {
    const char *xml, *elemento;
  } casos[] = {
      // The NF-e's signed element inherits the default namespace; SignedInfo within the NF-e.
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">"
       "<infNFe versao=\"3.10\" Id=\"NFe35\"><ide><cUF>35</cUF><natOp>VENDA</natOp></ide></infNFe></NFe>",
       "infNFe"},
      {"<NFe xmlns=\"urn:nfe\"><infNFe Id=\"x\"/><Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">"
       "<SignedInfo><CanonicalizationMethod Algorithm=\"a\"/><Reference URI=\"#x\"><DigestValue>d</DigestValue>"
       "</Reference></SignedInfo><SignatureValue>v</SignatureValue></Signature></NFe>",
       "SignedInfo"},
      // The ancestors' prefixes; attributes ordered by namespace URI, not by prefix.
      {"<a:r xmlns:a=\"urn:a\" xmlns:b=\"urn:b\" xmlns=\"urn:d\"><x b:k=\"1\" k=\"2\" a:j=\"3\" c=\"0\"><y/></x>"
       "</a:r>",
       "x"},
      {"<r xmlns:z=\"urn:a\" xmlns:a=\"urn:z\"><x a:b=\"1\" z:c=\"2\" d=\"3\"/></r>", "x"},
      // A redeclaration of the same URI goes, another stays; a prefix bound again; the default removed.
      {"<r xmlns=\"urn:1\"><x><y xmlns=\"urn:1\"><z xmlns=\"urn:2\"><w xmlns=\"urn:2\"/></z></y></x></r>", "x"},
      {"<p:r xmlns:p=\"urn:1\"><p:x><p:y xmlns:p=\"urn:2\"><p:z xmlns:p=\"urn:1\"/></p:y></p:x></p:r>", "x"},
      {"<r xmlns=\"urn:1\"><x><y xmlns=\"\"><z/></y></x></r>", "x"},
      {"<r xmlns=\"urn:1\"><x><y xmlns=\"\"><z xmlns=\"\"/></y></x></r>", "y"},
      // Escapes, CDATA, comments and instructions, accents, empty elements, the xml prefix, blanks.
      {"<r><x a=\"&quot;&lt;&amp;&#9;&#10;&#13;'&gt;\">t &amp; &lt; &gt; &#13; \"' fim</x></r>", "x"},
      {"<r><x><![CDATA[<a&b>]]><!--nota--><?pi dados?><?vazio?>depois</x></r>", "x"},
      {"<r><x n=\"ação\">ÁÉ€ çãõ</x></r>", "x"}, {"<r><x b=\"2\" a=\"1\"/><x/></r>", "x"},
      {"<r xmlns:xml=\"http://www.w3.org/XML/1998/namespace\"><x/></r>", "r"},
      {"<r>\n  <x>\n    <y> a </y>\n  </x>\n</r>", "x"}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.xml);
    Doc doc = Le(c.xml);
    ASSERT_TRUE(doc);
    xmlNode* e = Primeiro(xmlDocGetRootElement(doc.get()), c.elemento);
    ASSERT_NE(e, nullptr);
    auto nosso = CanonizaSubarvore(e);
    ASSERT_TRUE(nosso);
    EXPECT_EQ(*nosso, DaLibxml2(doc.get(), e));
  }
}

// What the one pass does not write is left to the general routine.
TEST(CanonizaSubarvore, DevolveOQueNaoEscreve) {
  Doc comEntidade = Le("<!DOCTYPE r [<!ENTITY e \"valor\">]><r><x>&e;</x></r>");
  ASSERT_TRUE(comEntidade);
  EXPECT_FALSE(CanonizaSubarvore(Primeiro(xmlDocGetRootElement(comEntidade.get()), "x")));
  Doc comIdioma = Le("<r xml:lang=\"pt\"><x/></r>");
  ASSERT_TRUE(comIdioma);
  EXPECT_FALSE(CanonizaSubarvore(Primeiro(xmlDocGetRootElement(comIdioma.get()), "x")));
  // On the apex itself xml:lang is an attribute like any other.
  EXPECT_TRUE(CanonizaSubarvore(xmlDocGetRootElement(comIdioma.get())));
  EXPECT_FALSE(CanonizaSubarvore(nullptr));
}

}  // namespace
}  // namespace velant
