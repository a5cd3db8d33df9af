#include "component/danfe/danfe_pdf.h"

#include <cairo-pdf.h>

#include <cmath>
#include <memory>
#include <vector>

#include "base/erro.h"
#include "component/danfe/danfe_blocos.h"
#include "component/danfe/danfe_codigo_barras.h"
#include "component/danfe/danfe_itens.h"

namespace velant::danfe {

namespace {

constexpr double kA4Curto = 595.276, kA4Longo = 841.89;
constexpr double kMargem = 14;
// The landscape stub stands along the left edge.
constexpr double kFaixaCanhoto = kAlturaCanhoto;
// The first page's additional information box: at least this tall, and
// what passes the most goes on to the following pages.
constexpr double kTextoAdicionalMinimo = 45, kTextoAdicionalMaximo = 120;

[[noreturn]] void Falha(const std::string& motivo) {
  throw ErroExecucao(CodigoErro::ErroComponente, "DANFE: " + motivo);
}

struct Folha {
  bool paisagem = false;
  double largura = 0, altura = 0;   // of the paper
  double x = 0, y = 0, w = 0, yFim = 0;   // of the content
};

Folha FolhaPara(const DadosDanfe& d) {
  Folha f;
  f.paisagem = d.tipoImpressao == "2";
  f.largura = f.paisagem ? kA4Longo : kA4Curto;
  f.altura = f.paisagem ? kA4Curto : kA4Longo;
  f.x = kMargem + (f.paisagem ? kFaixaCanhoto : 0);
  f.y = kMargem;
  f.w = f.largura - kMargem - f.x;
  f.yFim = f.altura - kMargem;
  return f;
}

struct Pagina {
  size_t primeiroItem = 0, fimItens = 0;   // [primeiro, fim)
  std::string adicional;                   // additional information continued here
  double alturaAdicional = 0;
};

struct Plano {
  std::vector<double> alturas;   // of each item row
  std::vector<Pagina> paginas;
  double topoItens1 = 0;         // where page 1's table starts
  double rodape1 = 0;            // height of page 1's bottom blocks
  std::string adicional1;        // additional information on page 1
  double alturaTexto1 = 0;
};

double TopoPrimeira(const DadosDanfe& d, const Folha& f) {
  return f.y + (f.paisagem ? 0 : kAlturaCanhoto) + kAlturaCabecalho + kAlturaDestinatario + AlturaFatura(d, f.w) +
         kAlturaImposto + AlturaTransportador(d);
}

// Splits the additional information at a height: what fits, and the rest.
std::pair<std::string, std::string> Corta(Desenho& p, const std::string& texto, double largura, double altura) {
  size_t fim = p.CabeAte(largura, texto, kFonteAdicional, altura);
  std::string resto = texto.substr(fim);
  return {texto.substr(0, fim), resto};
}

Plano Planeja(Desenho& p, const DadosDanfe& d, const Folha& f, const TabelaItens& tabela) {
  Plano plano;
  for (const auto& item : d.itens) plano.alturas.push_back(tabela.Altura(p, item));

  const double larguraTexto = LarguraTextoAdicional(f.w);
  std::string texto = TextoAdicional(d);
  std::string resto;
  double hTexto = p.AlturaTexto(larguraTexto, texto, kFonteAdicional);
  if (hTexto > kTextoAdicionalMaximo) {
    std::tie(texto, resto) = Corta(p, texto, larguraTexto, kTextoAdicionalMaximo);
    hTexto = kTextoAdicionalMaximo;
  }
  plano.adicional1 = texto;
  plano.alturaTexto1 = std::max(hTexto, kTextoAdicionalMinimo);
  plano.rodape1 = (TemIssqn(d) ? kAlturaIssqn : 0) + AlturaAdicionais(plano.alturaTexto1);
  plano.topoItens1 = TopoPrimeira(d, f);

  const double menorLinha = 10;
  double area = f.yFim - plano.rodape1 - plano.topoItens1 - TabelaItens::kAlturaCabecalho;
  if (area < (d.itens.empty() ? 0 : menorLinha))
    Falha("os blocos da primeira folha não cabem no papel (" + std::to_string(d.duplicatas.size()) +
          " duplicatas, " + std::to_string(d.transporte.volumes.size()) + " volumes)");

  const double areaContinuacao = f.yFim - f.y - kAlturaCabecalho - TabelaItens::kAlturaCabecalho;
  size_t i = 0;
  Pagina atual;
  double usado = 0;
  bool primeira = true;
  while (true) {
    while (i < plano.alturas.size() &&
           (usado + plano.alturas[i] <= area || (!primeira && atual.primeiroItem == i))) {
      usado += plano.alturas[i++];
    }
    atual.fimItens = i;
    plano.paginas.push_back(atual);
    if (i == plano.alturas.size()) break;
    atual = Pagina{i, i, "", 0};
    usado = 0;
    area = areaContinuacao;
    primeira = false;
  }

  // What page 1 had no room for follows the last item, page after page.
  const double minimo = AlturaAdicionais(2 * kFonteAdicional.tamanho * 1.3);
  while (!resto.empty()) {
    Pagina* ultima = &plano.paginas.back();
    double livre = 0;
    if (plano.paginas.size() > 1 && ultima->adicional.empty()) {
      livre = f.yFim - f.y - kAlturaCabecalho - 4;
      if (ultima->fimItens > ultima->primeiroItem) {
        livre -= TabelaItens::kAlturaCabecalho;
        for (size_t k = ultima->primeiroItem; k < ultima->fimItens; ++k) livre -= plano.alturas[k];
      }
    }
    if (livre < minimo) {
      plano.paginas.push_back(Pagina{d.itens.size(), d.itens.size(), "", 0});
      continue;
    }
    double alturaTexto = livre - AlturaAdicionais(0);
    auto [parte, sobra] = Corta(p, resto, larguraTexto, alturaTexto);
    if (parte.empty()) Falha("texto das informações complementares impossível de dispor");
    ultima->adicional = parte;
    ultima->alturaAdicional = AlturaAdicionais(p.AlturaTexto(larguraTexto, parte, kFonteAdicional));
    resto = sobra;
  }
  return plano;
}

// The items of one page under their header; returns the y after them.
double Itens(Desenho& p, const DadosDanfe& d, const Plano& plano, const Pagina& pagina, const TabelaItens& tabela,
             double x, double y, double yBaseGrade) {
  double topo = tabela.Cabecalho(p, x, y);
  double yi = topo;
  for (size_t k = pagina.primeiroItem; k < pagina.fimItens; ++k) {
    tabela.Linha(p, d.itens[k], x, yi, plano.alturas[k], k + 1 < pagina.fimItens);
    yi += plano.alturas[k];
  }
  tabela.Grade(p, x, topo, std::max(yi, yBaseGrade));
  return std::max(yi, yBaseGrade);
}

cairo_status_t Acrescenta(void* destino, const unsigned char* dados, unsigned int tamanho) {
  static_cast<std::string*>(destino)->append(reinterpret_cast<const char*>(dados), tamanho);
  return CAIRO_STATUS_SUCCESS;
}

struct LiberaSuperficie {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct LiberaCairo {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};

}  // namespace

std::string GeraPdf(const DadosDanfe& d) {
  const Folha f = FolhaPara(d);
  const CodigoBarras barras = CodigoBarrasChave(d.chave);
  std::string pdf;
  std::unique_ptr<cairo_surface_t, LiberaSuperficie> superficie(
      cairo_pdf_surface_create_for_stream(Acrescenta, &pdf, f.largura, f.altura));
  cairo_pdf_surface_set_metadata(superficie.get(), CAIRO_PDF_METADATA_TITLE, ("DANFE NF-e " + d.chave).c_str());
  cairo_pdf_surface_set_metadata(superficie.get(), CAIRO_PDF_METADATA_CREATOR, "VelantNFe");
  {
    std::unique_ptr<cairo_t, LiberaCairo> cr(cairo_create(superficie.get()));
    Desenho p(cr.get());
    TabelaItens tabela(f.w, d.crt);
    Plano plano = Planeja(p, d, f, tabela);
    const int folhas = static_cast<int>(plano.paginas.size());

    for (int n = 0; n < folhas; ++n) {
      const Pagina& pagina = plano.paginas[n];
      double y = f.y;
      if (n == 0) {
        if (f.paisagem) {
          cairo_save(cr.get());
          cairo_translate(cr.get(), kMargem, f.altura - kMargem);
          cairo_rotate(cr.get(), -M_PI / 2);
          Canhoto(p, d, 0, 0, f.altura - 2 * kMargem);
          cairo_restore(cr.get());
        } else {
          y = Canhoto(p, d, f.x, y, f.w);
        }
      }
      y = Cabecalho(p, d, barras, n + 1, folhas, f.x, y, f.w);
      if (n == 0) {
        y = Destinatario(p, d, f.x, y, f.w);
        y = Fatura(p, d, f.x, y, f.w);
        y = Imposto(p, d, f.x, y, f.w);
        y = Transportador(p, d, f.x, y, f.w);
        double rodape = f.yFim - plano.rodape1;
        Itens(p, d, plano, pagina, tabela, f.x, y, rodape);
        y = rodape;
        if (TemIssqn(d)) y = Issqn(p, d, f.x, y, f.w);
        Adicionais(p, plano.adicional1, false, f.x, y, f.w, f.yFim - y);
      } else {
        if (pagina.fimItens > pagina.primeiroItem) y = Itens(p, d, plano, pagina, tabela, f.x, y, 0);
        if (!pagina.adicional.empty()) Adicionais(p, pagina.adicional, true, f.x, y + 4, f.w, pagina.alturaAdicional);
      }
      if (d.ambiente == "2") MarcaHomologacao(p, f.largura, f.altura);
      cairo_show_page(cr.get());
    }
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
      Falha(std::string("erro do cairo: ") + cairo_status_to_string(cairo_status(cr.get())));
  }
  cairo_surface_finish(superficie.get());
  if (cairo_surface_status(superficie.get()) != CAIRO_STATUS_SUCCESS)
    Falha(std::string("erro do cairo: ") + cairo_status_to_string(cairo_surface_status(superficie.get())));
  return pdf;
}

std::string GeraPdfDistribuicao(const std::string& xmlDistribuicao) {
  return GeraPdf(LerDistribuicao(xmlDistribuicao));
}

}  // namespace velant::danfe
