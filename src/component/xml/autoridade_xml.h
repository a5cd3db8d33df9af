#pragma once
// Small XML helpers shared by the authority client and its simulator:
// parsing without network or entity expansion, lookup by local name (the
// messages live in the NF-e namespace, the envelope in SOAP's), and
// escaping for the messages we write as text.
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>

namespace velant::autoridade {

inline constexpr const char* kNamespaceNFe = "http://www.portalfiscal.inf.br/nfe";

class DocumentoXml {
 public:
  // Raises ErroExecucao (ErroComponente) naming `oQue` when the text is not well-formed XML.
  static DocumentoXml Ler(std::string_view texto, const std::string& oQue);

  xmlDoc* Doc() const { return doc_.get(); }
  xmlNode* Raiz() const;

 private:
  struct Liberador {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
  };
  std::unique_ptr<xmlDoc, Liberador> doc_;
};

// Local name of an element ("" for null).
std::string NomeLocal(const xmlNode* no);
// First child element with that local name, or null.
xmlNode* Filho(const xmlNode* pai, std::string_view nomeLocal);
// First child element, or null.
xmlNode* PrimeiroFilho(const xmlNode* pai);
// First element with that local name in the subtree (the node itself included), or null.
xmlNode* Procura(const xmlNode* raiz, std::string_view nomeLocal);
// Text content of an element ("" for null).
std::string Texto(const xmlNode* no);
// Text of the first child with that local name ("" when absent).
std::string TextoFilho(const xmlNode* pai, std::string_view nomeLocal);
// Value of an attribute without namespace ("" when absent).
std::string Atributo(const xmlNode* no, const char* nome);

// The element as a document of its own, without XML declaration, with the
// namespace declarations it needs (those declared by its ancestors included).
std::string SerializaElemento(const xmlNode* no);

// Text escaped for element content and attribute values.
std::string Escapa(std::string_view texto);

// Pieces of the service messages and answers, shared by the client and the
// simulator so both speak the same XML.
// <nome>valor</nome>, the value escaped.
std::string Elemento(const char* nome, const std::string& valor);
// <nome xmlns="NF-e namespace" versao="versao">
std::string RaizMensagem(const char* nome, const char* versao);
// The number text with zeros on the left up to `largura`.
std::string PreencheZeros(const std::string& s, size_t largura);

// The document without its XML declaration and leading byte-order mark or
// blanks, to be embedded in another document as it is.
std::string SemDeclaracao(std::string_view xml);

}  // namespace velant::autoridade
