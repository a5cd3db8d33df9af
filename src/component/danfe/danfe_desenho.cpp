#include "component/danfe/danfe_desenho.h"

#include <cmath>

namespace velant::danfe {

namespace {

constexpr const char* kFamilia = "Liberation Sans";
constexpr const char* kFamiliaEstreita = "Liberation Sans Narrow";
constexpr double kReducaoMinima = 0.6;

int Pango(double pontos) { return static_cast<int>(std::lround(pontos * PANGO_SCALE)); }
double Pontos(int unidades) { return static_cast<double>(unidades) / PANGO_SCALE; }

}  // namespace

Desenho::Desenho(cairo_t* cr) : cr_(cr), layout_(pango_cairo_create_layout(cr)) {
  // Metrics unhinted: the same layout whatever the output resolution.
  cairo_font_options_t* opcoes = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(opcoes, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(opcoes, CAIRO_HINT_STYLE_NONE);
  PangoContext* contexto = pango_layout_get_context(layout_);
  pango_cairo_context_set_font_options(contexto, opcoes);
  // Sizes are in points on a page measured in points.
  pango_cairo_context_set_resolution(contexto, 72);
  cairo_font_options_destroy(opcoes);
  pango_layout_context_changed(layout_);
}

Desenho::~Desenho() {
  for (auto& [chave, descricao] : fontes_) pango_font_description_free(descricao);
  g_object_unref(layout_);
}

PangoFontDescription* Desenho::Descricao(Fonte f) {
  auto chave = std::make_tuple(Pango(f.tamanho), f.negrito, f.estreita);
  auto it = fontes_.find(chave);
  if (it != fontes_.end()) return it->second;
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, f.estreita ? kFamiliaEstreita : kFamilia);
  pango_font_description_set_weight(d, f.negrito ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_size(d, Pango(f.tamanho));
  fontes_[chave] = d;
  return d;
}

PangoLayout* Desenho::Prepara(const std::string& texto, Fonte f, double largura, bool quebra) {
  pango_layout_set_font_description(layout_, Descricao(f));
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_width(layout_, quebra && largura > 0 ? Pango(largura) : -1);
  pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
  pango_layout_set_text(layout_, texto.c_str(), static_cast<int>(texto.size()));
  return layout_;
}

void Desenho::Mostra(double x, double y) {
  cairo_set_source_rgb(cr_, 0, 0, 0);
  cairo_move_to(cr_, x, y);
  pango_cairo_show_layout(cr_, layout_);
}

double Desenho::AlturaTexto(double largura, const std::string& texto, Fonte f) {
  int w = 0, h = 0;
  pango_layout_get_size(Prepara(texto, f, largura, true), &w, &h);
  return Pontos(h);
}

double Desenho::LarguraTexto(const std::string& texto, Fonte f) {
  int w = 0, h = 0;
  pango_layout_get_size(Prepara(texto, f, 0, false), &w, &h);
  return Pontos(w);
}

size_t Desenho::CabeAte(double largura, const std::string& texto, Fonte f, double altura) {
  Prepara(texto, f, largura, true);
  PangoLayoutIter* it = pango_layout_get_iter(layout_);
  size_t fim = texto.size();
  do {
    PangoRectangle logico;
    pango_layout_iter_get_line_extents(it, nullptr, &logico);
    if (Pontos(logico.y + logico.height) > altura) {
      fim = static_cast<size_t>(pango_layout_iter_get_index(it));
      break;
    }
  } while (pango_layout_iter_next_line(it));
  pango_layout_iter_free(it);
  return fim;
}

double Desenho::Texto(double x, double y, double largura, const std::string& texto, Fonte f, Alinha a) {
  Prepara(texto, f, largura, true);
  pango_layout_set_alignment(layout_, a == Alinha::Centro    ? PANGO_ALIGN_CENTER
                                      : a == Alinha::Direita ? PANGO_ALIGN_RIGHT
                                                             : PANGO_ALIGN_LEFT);
  int w = 0, h = 0;
  pango_layout_get_size(layout_, &w, &h);
  Mostra(x, y);
  return Pontos(h);
}

double Desenho::AlturaAjustado(double largura, const std::string& texto, Fonte f) {
  double w = LarguraTexto(texto, f);
  if (w <= largura) return AlturaTexto(0, texto, f);
  Fonte menor = f;
  menor.tamanho = f.tamanho * std::max(kReducaoMinima, largura / w * 0.99);
  return AlturaTexto(largura, texto, menor);
}

double Desenho::Ajustado(double x, double y, double largura, const std::string& texto, Fonte f, Alinha a) {
  double w = LarguraTexto(texto, f);
  if (w <= largura) return Texto(x, y, largura, texto, f, a);
  Fonte menor = f;
  double fator = largura / w * 0.99;
  menor.tamanho = f.tamanho * std::max(kReducaoMinima, fator);
  // Smaller type sits lower, on the line of the full-size text.
  double desce = fator >= kReducaoMinima ? AlturaTexto(0, "Ag", f) - AlturaTexto(0, "Ag", menor) : 0;
  return Texto(x, y + desce * 0.7, largura, texto, menor, a);
}

void Desenho::Centralizado(double x, double y, double largura, double altura, const std::string& texto, Fonte f,
                           Alinha a) {
  double h = AlturaTexto(largura, texto, f);
  Texto(x, y + (altura - h) / 2, largura, texto, f, a);
}

void Desenho::Caixa(double x, double y, double largura, double altura, double espessura) {
  cairo_set_source_rgb(cr_, 0, 0, 0);
  cairo_set_line_width(cr_, espessura);
  cairo_rectangle(cr_, x, y, largura, altura);
  cairo_stroke(cr_);
}

void Desenho::CaixaArredondada(double x, double y, double largura, double altura, double raio) {
  cairo_set_source_rgb(cr_, 0, 0, 0);
  cairo_set_line_width(cr_, 0.5);
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, x + largura - raio, y + raio, raio, -M_PI / 2, 0);
  cairo_arc(cr_, x + largura - raio, y + altura - raio, raio, 0, M_PI / 2);
  cairo_arc(cr_, x + raio, y + altura - raio, raio, M_PI / 2, M_PI);
  cairo_arc(cr_, x + raio, y + raio, raio, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr_);
  cairo_stroke(cr_);
}

void Desenho::Linha(double x1, double y1, double x2, double y2, double espessura, double cinza, bool tracejada) {
  cairo_save(cr_);
  cairo_set_source_rgb(cr_, cinza, cinza, cinza);
  cairo_set_line_width(cr_, espessura);
  if (tracejada) {
    const double traco[] = {2.0, 2.0};
    cairo_set_dash(cr_, traco, 2, 0);
  }
  cairo_move_to(cr_, x1, y1);
  cairo_line_to(cr_, x2, y2);
  cairo_stroke(cr_);
  cairo_restore(cr_);
}

void Desenho::Preenche(double x, double y, double largura, double altura, double cinza) {
  cairo_set_source_rgb(cr_, cinza, cinza, cinza);
  cairo_rectangle(cr_, x, y, largura, altura);
  cairo_fill(cr_);
}

void Desenho::Campo(double x, double y, double largura, double altura, const std::string& rotulo,
                    const std::string& valor, Alinha a, Fonte fonteValor) {
  Caixa(x, y, largura, altura);
  const double margem = 1.5;
  Ajustado(x + margem, y + 0.8, largura - 2 * margem, rotulo, {kTamanhoRotulo, false, false});
  if (!valor.empty()) Ajustado(x + margem, y + altura * 0.36, largura - 2 * margem, valor, fonteValor, a);
}

void Desenho::TituloBloco(double x, double y, const std::string& titulo) {
  Texto(x, y + 2, 0, titulo, {6.5, true, false});
}

}  // namespace velant::danfe
