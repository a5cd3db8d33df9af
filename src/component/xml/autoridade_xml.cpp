#include "component/xml/autoridade_xml.h"

#include <libxml/parser.h>
#include <libxml/xmlsave.h>

#include <cstring>
#include <mutex>

#include "base/erro.h"
#include "component/xml/xml_escritor.h"

namespace velant::autoridade {

namespace {

void IniciaLibxml() {
  static std::once_flag feito;
  std::call_once(feito, [] { xmlInitParser(); });
}

bool MesmoNome(const xmlNode* no, std::string_view nome) {
  return no != nullptr && no->type == XML_ELEMENT_NODE && no->name != nullptr &&
         nome == reinterpret_cast<const char*>(no->name);
}

}  // namespace

DocumentoXml DocumentoXml::Ler(std::string_view texto, const std::string& oQue) {
  IniciaLibxml();
  // No network, no entity substitution, no DTD loading: the texts come from
  // outside. The trees are only read, so short texts may live in the nodes.
  const int opcoes = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
  xmlDoc* doc = xmlReadMemory(texto.data(), static_cast<int>(texto.size()), nullptr, "UTF-8", opcoes);
  if (doc == nullptr || xmlDocGetRootElement(doc) == nullptr) {
    if (doc != nullptr) xmlFreeDoc(doc);
    std::string motivo;
    const xmlError* erro = xmlGetLastError();
    if (erro != nullptr && erro->message != nullptr) {
      motivo = erro->message;
      while (!motivo.empty() && (motivo.back() == '\n' || motivo.back() == ' ')) motivo.pop_back();
    }
    throw ErroExecucao(CodigoErro::ErroComponente,
                       oQue + ": XML mal formado" + (motivo.empty() ? "" : " (" + motivo + ")"));
  }
  DocumentoXml d;
  d.doc_.reset(doc);
  return d;
}

xmlNode* DocumentoXml::Raiz() const { return xmlDocGetRootElement(doc_.get()); }

std::string NomeLocal(const xmlNode* no) {
  return no != nullptr && no->name != nullptr ? reinterpret_cast<const char*>(no->name) : "";
}

xmlNode* Filho(const xmlNode* pai, std::string_view nomeLocal) {
  if (pai == nullptr) return nullptr;
  for (xmlNode* f = pai->children; f != nullptr; f = f->next)
    if (MesmoNome(f, nomeLocal)) return f;
  return nullptr;
}

xmlNode* PrimeiroFilho(const xmlNode* pai) {
  if (pai == nullptr) return nullptr;
  for (xmlNode* f = pai->children; f != nullptr; f = f->next)
    if (f->type == XML_ELEMENT_NODE) return f;
  return nullptr;
}

xmlNode* Procura(const xmlNode* raiz, std::string_view nomeLocal) {
  if (raiz == nullptr) return nullptr;
  if (MesmoNome(raiz, nomeLocal)) return const_cast<xmlNode*>(raiz);
  for (xmlNode* f = raiz->children; f != nullptr; f = f->next) {
    if (f->type != XML_ELEMENT_NODE) continue;
    if (xmlNode* achado = Procura(f, nomeLocal)) return achado;
  }
  return nullptr;
}

std::string Texto(const xmlNode* no) {
  if (no == nullptr) return "";
  // An element holding one text, as nearly every field does, is read where
  // the text lies, without the copy xmlNodeGetContent makes.
  if (no->type == XML_ELEMENT_NODE) {
    const xmlNode* filho = no->children;
    if (filho == nullptr) return "";
    if (filho->next == nullptr && filho->type == XML_TEXT_NODE)
      return filho->content != nullptr ? reinterpret_cast<const char*>(filho->content) : "";
  }
  xmlChar* conteudo = xmlNodeGetContent(no);
  std::string s = conteudo ? reinterpret_cast<const char*>(conteudo) : "";
  xmlFree(conteudo);
  return s;
}

std::string TextoFilho(const xmlNode* pai, std::string_view nomeLocal) { return Texto(Filho(pai, nomeLocal)); }

std::string Atributo(const xmlNode* no, const char* nome) {
  if (no == nullptr) return "";
  xmlChar* valor = xmlGetNoNsProp(no, reinterpret_cast<const xmlChar*>(nome));
  std::string s = valor ? reinterpret_cast<const char*>(valor) : "";
  xmlFree(valor);
  return s;
}

std::string SerializaElemento(const xmlNode* no) {
  if (no == nullptr) return "";
  xmlDoc* novo = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
  // The copy declares on itself the namespaces it took from its ancestors.
  // (xmlReconciliateNs is not used: it turns a default namespace declared
  // again below, as Signature's is, into a "default:" prefix.)
  xmlNode* copia = xmlDocCopyNode(const_cast<xmlNode*>(no), novo, 1);
  xmlDocSetRootElement(novo, copia);
  xmlBuffer* buffer = xmlBufferCreate();
  xmlNodeDump(buffer, novo, copia, 0, 0);
  std::string s(reinterpret_cast<const char*>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
  xmlBufferFree(buffer);
  xmlFreeDoc(novo);
  return s;
}

std::string Escapa(std::string_view texto) {
  std::string s;
  s.reserve(texto.size() + 8);
  EscritorXml::EscapaAtributo(s, texto);
  return s;
}

std::string Elemento(const char* nome, const std::string& valor) {
  return std::string("<") + nome + ">" + Escapa(valor) + "</" + nome + ">";
}

std::string RaizMensagem(const char* nome, const char* versao) {
  return std::string("<") + nome + " xmlns=\"" + kNamespaceNFe + "\" versao=\"" + versao + "\">";
}

std::string PreencheZeros(const std::string& s, size_t largura) {
  return s.size() >= largura ? s : std::string(largura - s.size(), '0') + s;
}

std::string SemDeclaracao(std::string_view xml) {
  size_t i = 0;
  if (xml.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  auto pulaBrancos = [&] {
    while (i < xml.size() && (xml[i] == ' ' || xml[i] == '\t' || xml[i] == '\r' || xml[i] == '\n')) ++i;
  };
  pulaBrancos();
  if (xml.substr(i, 5) == "<?xml") {
    size_t fim = xml.find("?>", i);
    i = fim == std::string_view::npos ? xml.size() : fim + 2;
    pulaBrancos();
  }
  size_t fim = xml.size();
  while (fim > i && (xml[fim - 1] == ' ' || xml[fim - 1] == '\t' || xml[fim - 1] == '\r' || xml[fim - 1] == '\n'))
    --fim;
  return std::string(xml.substr(i, fim - i));
}

}  // namespace velant::autoridade
