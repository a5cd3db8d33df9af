#include "component/xml/canonizacao_c14n.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "component/xml/xml_escritor.h"

namespace velant {

namespace {

std::string_view Texto(const xmlChar* s) {
  return s == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(s));
}

bool EhPrefixoXml(const xmlNs* ns) { return ns->prefix != nullptr && Texto(ns->prefix) == "xml"; }

// Text nodes: &, <, > and carriage return written as references.
void EscreveTexto(std::string& saida, std::string_view t) {
  AcrescentaEscapado(saida, t, [](char c) -> const char* {
    switch (c) {
      case '&': return "&amp;";
      case '<': return "&lt;";
      case '>': return "&gt;";
      case '\r': return "&#xD;";
      default: return nullptr;
    }
  });
}

// Attribute values: &, <, the quote and the three white-space controls.
void EscreveValorAtributo(std::string& saida, std::string_view t) {
  AcrescentaEscapado(saida, t, [](char c) -> const char* {
    switch (c) {
      case '&': return "&amp;";
      case '<': return "&lt;";
      case '"': return "&quot;";
      case '\t': return "&#x9;";
      case '\n': return "&#xA;";
      case '\r': return "&#xD;";
      default: return nullptr;
    }
  });
}

void EscreveNome(std::string& saida, const xmlNs* ns, const xmlChar* nome) {
  if (ns != nullptr && ns->prefix != nullptr) {
    saida += Texto(ns->prefix);
    saida += ':';
  }
  saida += Texto(nome);
}

void EscreveDeclaracao(std::string& saida, const xmlNs* ns) {
  saida += ns->prefix == nullptr ? " xmlns" : " xmlns:";
  saida += Texto(ns->prefix);
  saida += "=\"";
  EscreveValorAtributo(saida, Texto(ns->href));
  saida += '"';
}

bool PorPrefixo(const xmlNs* a, const xmlNs* b) { return Texto(a->prefix) < Texto(b->prefix); }

class Canonizador {
 public:
  explicit Canonizador(const xmlNode* apice) : apice_(apice) {}

  bool Executa(std::string& saida) { return Elemento(apice_, saida); }

 private:
  // The namespaces the element writes: at the apex every one in scope; below
  // it those whose value differs from the parent's, the default's removal
  // included.
  void Declaracoes(const xmlNode* e, std::vector<const xmlNs*>& lista) {
    lista.clear();
    if (e == apice_) {
      for (const xmlNode* n = e; n != nullptr && n->type == XML_ELEMENT_NODE; n = n->parent) {
        for (const xmlNs* ns = n->nsDef; ns != nullptr; ns = ns->next) {
          bool sombreado = std::any_of(lista.begin(), lista.end(), [&](const xmlNs* v) {
            return Texto(v->prefix) == Texto(ns->prefix) && (v->prefix == nullptr) == (ns->prefix == nullptr);
          });
          if (!sombreado) lista.push_back(ns);
        }
      }
      // An empty default is no namespace at all; "xml" is never declared.
      lista.erase(std::remove_if(lista.begin(), lista.end(),
                                 [](const xmlNs* ns) {
                                   return EhPrefixoXml(ns) || (ns->prefix == nullptr && Texto(ns->href).empty());
                                 }),
                  lista.end());
    } else {
      for (const xmlNs* ns = e->nsDef; ns != nullptr; ns = ns->next) {
        if (EhPrefixoXml(ns)) continue;
        const xmlNs* doPai = xmlSearchNs(e->doc, e->parent, ns->prefix);
        std::string_view valorPai = doPai == nullptr ? std::string_view() : Texto(doPai->href);
        if (valorPai != Texto(ns->href)) lista.push_back(ns);
      }
    }
    std::sort(lista.begin(), lista.end(), PorPrefixo);
  }

  static bool ValorAtributo(const xmlAttr* a, std::string& valor) {
    valor.clear();
    for (const xmlNode* c = a->children; c != nullptr; c = c->next) {
      if (c->type != XML_TEXT_NODE) return false;
      valor += Texto(c->content);
    }
    return true;
  }

  bool Elemento(const xmlNode* e, std::string& saida) {
    saida += '<';
    EscreveNome(saida, e->ns, e->name);
    std::vector<const xmlNs*> declaracoes;
    Declaracoes(e, declaracoes);
    for (const xmlNs* ns : declaracoes) EscreveDeclaracao(saida, ns);

    std::vector<const xmlAttr*> atributos;
    for (const xmlAttr* a = e->properties; a != nullptr; a = a->next) atributos.push_back(a);
    if (atributos.size() > 1) {
      std::sort(atributos.begin(), atributos.end(), [](const xmlAttr* a, const xmlAttr* b) {
        std::string_view na = a->ns ? Texto(a->ns->href) : std::string_view();
        std::string_view nb = b->ns ? Texto(b->ns->href) : std::string_view();
        if (na != nb) return na < nb;
        return Texto(a->name) < Texto(b->name);
      });
    }
    for (const xmlAttr* a : atributos) {
      if (!ValorAtributo(a, valor_)) return false;
      saida += ' ';
      EscreveNome(saida, a->ns, a->name);
      saida += "=\"";
      EscreveValorAtributo(saida, valor_);
      saida += '"';
    }
    saida += '>';

    for (const xmlNode* c = e->children; c != nullptr; c = c->next) {
      switch (c->type) {
        case XML_ELEMENT_NODE:
          if (!Elemento(c, saida)) return false;
          break;
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
          EscreveTexto(saida, Texto(c->content));
          break;
        case XML_COMMENT_NODE:
          break;
        case XML_PI_NODE:
          saida += "<?";
          saida += Texto(c->name);
          if (c->content != nullptr && *c->content != '\0') {
            saida += ' ';
            saida += Texto(c->content);
          }
          saida += "?>";
          break;
        default:
          return false;  // entity references and the like: the general routine's
      }
    }
    saida += "</";
    EscreveNome(saida, e->ns, e->name);
    saida += '>';
    return true;
  }

  const xmlNode* apice_;
  std::string valor_;
};

// Inclusive canonicalization carries xml:lang, xml:space and the like down
// from the ancestors onto the apex; the documents here have none.
bool AncestralComAtributoXml(const xmlNode* e) {
  for (const xmlNode* n = e->parent; n != nullptr && n->type == XML_ELEMENT_NODE; n = n->parent)
    for (const xmlAttr* a = n->properties; a != nullptr; a = a->next)
      if (a->ns != nullptr && Texto(a->ns->href) == Texto(XML_XML_NAMESPACE)) return true;
  return false;
}

}  // namespace

std::optional<std::string> CanonizaSubarvore(const xmlNode* elemento) {
  if (elemento == nullptr || elemento->type != XML_ELEMENT_NODE || AncestralComAtributoXml(elemento))
    return std::nullopt;
  std::string saida;
  Canonizador c(elemento);
  if (!c.Executa(saida)) return std::nullopt;
  return saida;
}

}  // namespace velant
