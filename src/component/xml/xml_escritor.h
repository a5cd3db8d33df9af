#pragma once
// A small XML writer for documents the authority reads: no indentation, no
// whitespace between tags, UTF-8 text escaped as libxml2 escapes it, so a
// document read and written again by the signer keeps its bytes.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velant {

// Appends `t` with each character for which `referencia` gives a text
// replaced by that text; the runs between are copied whole.
template <class Referencia>
void AcrescentaEscapado(std::string& saida, std::string_view t, Referencia referencia) {
  size_t inicio = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const char* ref = referencia(t[i]);
    if (ref == nullptr) continue;
    saida.append(t, inicio, i - inicio);
    saida += ref;
    inicio = i + 1;
  }
  saida.append(t, inicio, std::string_view::npos);
}

class EscritorXml {
 public:
  explicit EscritorXml(std::string& saida) : s_(saida) {}

  void Declaracao() { s_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"; }
  // <tag a="v"...>; rotulo names the element in Caminho() ("det[3]").
  void Abre(std::string_view tag, std::initializer_list<std::pair<std::string_view, std::string_view>> atributos = {},
            std::string rotulo = "");
  void Fecha();
  // <tag>valor</tag>; an empty value gives <tag/>.
  void Elemento(std::string_view tag, std::string_view valor);
  // Open elements from the outside in, joined by "/", without the root.
  std::string Caminho() const;
  size_t Abertos() const { return abertos_.size(); }

  static void EscapaTexto(std::string& destino, std::string_view texto);
  static void EscapaAtributo(std::string& destino, std::string_view texto);

 private:
  std::string& s_;
  std::vector<std::pair<std::string, std::string>> abertos_;   // tag, label
};

}  // namespace velant
