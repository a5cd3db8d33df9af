#include "component/xml/xml_escritor.h"

namespace velant {

namespace {

// Element text keeps quotes, line feeds and tabs as they are; an attribute
// value needs them as references so the parser gives them back unchanged.
// A carriage return is a reference in both, or the parser would drop it.
void Escapa(std::string& d, std::string_view t, bool atributo) {
  AcrescentaEscapado(d, t, [atributo](char c) -> const char* {
    switch (c) {
      case '&': return "&amp;";
      case '<': return "&lt;";
      case '>': return "&gt;";
      case '\r': return "&#13;";
      case '"': return atributo ? "&quot;" : nullptr;
      case '\n': return atributo ? "&#10;" : nullptr;
      case '\t': return atributo ? "&#9;" : nullptr;
      default: return nullptr;
    }
  });
}

}  // namespace

void EscritorXml::EscapaTexto(std::string& d, std::string_view t) { Escapa(d, t, false); }

void EscritorXml::EscapaAtributo(std::string& d, std::string_view t) { Escapa(d, t, true); }

void EscritorXml::Abre(std::string_view tag,
                       std::initializer_list<std::pair<std::string_view, std::string_view>> atributos,
                       std::string rotulo) {
  s_ += '<';
  s_ += tag;
  for (const auto& [nome, valor] : atributos) {
    s_ += ' ';
    s_ += nome;
    s_ += "=\"";
    EscapaAtributo(s_, valor);
    s_ += '"';
  }
  s_ += '>';
  abertos_.emplace_back(std::string(tag), std::move(rotulo));
}

void EscritorXml::Fecha() {
  s_ += "</";
  s_ += abertos_.back().first;
  s_ += '>';
  abertos_.pop_back();
}

void EscritorXml::Elemento(std::string_view tag, std::string_view valor) {
  s_ += '<';
  s_ += tag;
  if (valor.empty()) {
    s_ += "/>";
    return;
  }
  s_ += '>';
  EscapaTexto(s_, valor);
  s_ += "</";
  s_ += tag;
  s_ += '>';
}

std::string EscritorXml::Caminho() const {
  std::string r;
  for (size_t i = 1; i < abertos_.size(); ++i) {
    if (abertos_[i].first == "infNFe") continue;
    if (!r.empty()) r += '/';
    r += abertos_[i].second.empty() ? abertos_[i].first : abertos_[i].second;
  }
  return r;
}

}  // namespace velant
