#include "component/danfe/danfe_itens.h"

#include <algorithm>

#include "component/danfe/danfe_formatos.h"

namespace velant::danfe {

namespace {

constexpr Fonte kFonteItem{6.5, false, true};
constexpr double kRespiro = 2.2;   // vertical padding of a row
constexpr double kMargem = 1.2;

enum Indice { Codigo, Descricao, Ncm, Cst, Cfop, Unidade, Quantidade, Unitario, Total, BaseIcms, ValorIcms,
              ValorIpi, AliquotaIcms, AliquotaIpi, kColunas };

std::string TextoDescricao(const Item& i) {
  return i.informacaoAdicional.empty() ? i.descricao : i.descricao + "\n" + i.informacaoAdicional;
}

}  // namespace

TabelaItens::TabelaItens(double w, const std::string& crt) {
  // Numbers keep their width; the code grows a little and the description takes the rest.
  const double codigo = 46 + std::max(0.0, w - 567) * 0.08;
  colunas_ = {{"CÓDIGO PRODUTO", codigo},
              {"DESCRIÇÃO DO PRODUTO / SERVIÇO", 0},
              {"NCM/SH", 34},
              {crt == "1" ? "O/CSOSN" : "O/CST", 22},
              {"CFOP", 20},
              {"UN", 20},
              {"QUANT.", 38},
              {"VALOR UNIT.", 40},
              {"VALOR TOTAL", 40},
              {"B.CÁLC. ICMS", 38},
              {"VALOR ICMS", 32},
              {"VALOR IPI", 30},
              {"ALÍQ. ICMS", 20},
              {"ALÍQ. IPI", 20}};
  double fixas = 0;
  for (const auto& c : colunas_) fixas += c.largura;
  colunas_[Descricao].largura = w - fixas;
}

std::vector<std::string> TabelaItens::Valores(const Item& i) const {
  std::vector<std::string> v(kColunas);
  v[Codigo] = i.codigo;
  v[Descricao] = TextoDescricao(i);
  v[Ncm] = i.ncm;
  v[Cst] = i.cst;
  v[Cfop] = i.cfop;
  v[Unidade] = i.unidade;
  v[Quantidade] = NumeroSignificativo(i.quantidade, 4, 4);
  v[Unitario] = NumeroSignificativo(i.valorUnitario, 2, 10);
  v[Total] = Numero(i.valorTotal, 2);
  v[BaseIcms] = Numero(i.baseIcms.empty() ? "0" : i.baseIcms, 2);
  v[ValorIcms] = Numero(i.valorIcms.empty() ? "0" : i.valorIcms, 2);
  v[ValorIpi] = Numero(i.valorIpi.empty() ? "0" : i.valorIpi, 2);
  v[AliquotaIcms] = NumeroSignificativo(i.aliquotaIcms.empty() ? "0" : i.aliquotaIcms, 2, 4);
  v[AliquotaIpi] = NumeroSignificativo(i.aliquotaIpi.empty() ? "0" : i.aliquotaIpi, 2, 4);
  return v;
}

double TabelaItens::Altura(Desenho& p, const Item& item) const {
  auto v = Valores(item);
  double h = 0;
  for (int c = 0; c < kColunas; ++c) {
    double largura = colunas_[c].largura - 2 * kMargem;
    // Code and description wrap; the short columns shrink first.
    double hc = c == Codigo || c == Descricao ? p.AlturaTexto(largura, v[c], kFonteItem)
                                              : p.AlturaAjustado(largura, v[c], kFonteItem);
    h = std::max(h, hc);
  }
  return h + kRespiro;
}

double TabelaItens::Cabecalho(Desenho& p, double x, double y) const {
  p.TituloBloco(x, y, "DADOS DOS PRODUTOS / SERVIÇOS");
  y += Desenho::kAlturaTitulo;
  const double h = kAlturaCabecalho - Desenho::kAlturaTitulo;
  double cx = x;
  for (const auto& c : colunas_) {
    p.Caixa(cx, y, c.largura, h);
    p.Centralizado(cx + 0.5, y, c.largura - 1, h, c.rotulo, {5.5, false, false});
    cx += c.largura;
  }
  return y + h;
}

void TabelaItens::Linha(Desenho& p, const Item& item, double x, double y, double altura, bool separador) const {
  auto v = Valores(item);
  double cx = x;
  for (int c = 0; c < kColunas; ++c) {
    double largura = colunas_[c].largura - 2 * kMargem;
    double tx = cx + kMargem, ty = y + kRespiro / 2;
    if (c == Codigo || c == Descricao) p.Texto(tx, ty, largura, v[c], kFonteItem);
    else p.Ajustado(tx, ty, largura, v[c], kFonteItem, c >= Quantidade ? Alinha::Direita : Alinha::Centro);
    cx += colunas_[c].largura;
  }
  if (separador) p.Linha(x, y + altura, cx, y + altura, 0.3, 0.6, true);
}

void TabelaItens::Grade(Desenho& p, double x, double yTopo, double yBase) const {
  double cx = x;
  p.Linha(cx, yTopo, cx, yBase);
  for (const auto& c : colunas_) {
    cx += c.largura;
    p.Linha(cx, yTopo, cx, yBase);
  }
  p.Linha(x, yBase, cx, yBase);
}

}  // namespace velant::danfe
