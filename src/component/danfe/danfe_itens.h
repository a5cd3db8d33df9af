#pragma once
// The items table of the DANFE: its columns for a width, the height each
// item needs (code and description wrap; nothing is cut), the header row
// and the item rows.
#include <string>
#include <vector>

#include "component/danfe/danfe_dados.h"
#include "component/danfe/danfe_desenho.h"

namespace velant::danfe {

struct Coluna {
  std::string rotulo;
  double largura = 0;
};

class TabelaItens {
 public:
  // w: the table's width; crt: the issuer's regime (1 shows CSOSN).
  TabelaItens(double w, const std::string& crt);

  const std::vector<Coluna>& Colunas() const { return colunas_; }
  double Altura(Desenho& p, const Item& item) const;

  // Block title and header row; returns where the first row goes.
  double Cabecalho(Desenho& p, double x, double y) const;
  static constexpr double kAlturaCabecalho = Desenho::kAlturaTitulo + 16;
  // One item at y with its height (from Altura).
  void Linha(Desenho& p, const Item& item, double x, double y, double altura, bool separador) const;
  // Column rules from the header to the bottom of the rows.
  void Grade(Desenho& p, double x, double yTopo, double yBase) const;

 private:
  std::vector<std::string> Valores(const Item& item) const;

  std::vector<Coluna> colunas_;
};

}  // namespace velant::danfe
