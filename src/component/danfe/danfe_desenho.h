#pragma once
// Drawing on a DANFE page with cairo and pango: boxed fields with a small
// caption over the value, block titles, lines, and texts that wrap or
// shrink to fit their box, never cut. Units are PDF points.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <map>
#include <string>
#include <tuple>

namespace velant::danfe {

enum class Alinha { Esquerda, Centro, Direita };

struct Fonte {
  double tamanho = 8;
  bool negrito = false;
  bool estreita = false;   // the narrow family, for the items table
};

class Desenho {
 public:
  explicit Desenho(cairo_t* cr);
  ~Desenho();
  Desenho(const Desenho&) = delete;
  Desenho& operator=(const Desenho&) = delete;

  cairo_t* Cairo() const { return cr_; }

  // Wraps at word (or, for a long word, character) boundaries within the
  // width; returns the height used.
  double Texto(double x, double y, double largura, const std::string& texto, Fonte f, Alinha a = Alinha::Esquerda);
  double AlturaTexto(double largura, const std::string& texto, Fonte f);
  double LarguraTexto(const std::string& texto, Fonte f);
  // Byte offset where the wrapped text stops fitting in the height: the
  // start of its first line that does not fit (texto.size() when all fits).
  size_t CabeAte(double largura, const std::string& texto, Fonte f, double altura);
  // One line in the width: the type shrinks (down to 60%) until it fits,
  // and only past that does it wrap. Returns the height used.
  double Ajustado(double x, double y, double largura, const std::string& texto, Fonte f,
                  Alinha a = Alinha::Esquerda);
  double AlturaAjustado(double largura, const std::string& texto, Fonte f);
  // The text vertically centred in [y, y + altura].
  void Centralizado(double x, double y, double largura, double altura, const std::string& texto, Fonte f,
                    Alinha a = Alinha::Centro);

  void Caixa(double x, double y, double largura, double altura, double espessura = 0.5);
  void CaixaArredondada(double x, double y, double largura, double altura, double raio);
  void Linha(double x1, double y1, double x2, double y2, double espessura = 0.5, double cinza = 0,
             bool tracejada = false);
  void Preenche(double x, double y, double largura, double altura, double cinza);

  // A boxed field: the caption in small type at the top left, the value
  // under it on one line that shrinks to fit.
  void Campo(double x, double y, double largura, double altura, const std::string& rotulo,
             const std::string& valor, Alinha a = Alinha::Esquerda, Fonte fonteValor = {8, false, false});
  // The title over a group of fields ("DESTINATÁRIO / REMETENTE").
  void TituloBloco(double x, double y, const std::string& titulo);

  static constexpr double kTamanhoRotulo = 5.5;
  static constexpr double kAlturaTitulo = 9;

 private:
  PangoLayout* Prepara(const std::string& texto, Fonte f, double largura, bool quebra);
  PangoFontDescription* Descricao(Fonte f);
  void Mostra(double x, double y);

  cairo_t* cr_;
  PangoLayout* layout_;
  std::map<std::tuple<int, bool, bool>, PangoFontDescription*> fontes_;
};

}  // namespace velant::danfe
