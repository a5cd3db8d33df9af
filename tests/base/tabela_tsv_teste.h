#pragma once
// Case tables kept as data next to their tests: tests/<folder>/<name>.tsv,
// one case a line, cells separated by tabs, the first line naming the
// columns, lines starting with '#' left out. In a cell \t \n \r \\ and \xHH
// stand for the byte they name, so that any text fits on one line, unless
// the table asks for literal cells (Windows paths).
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace velant::teste {

struct LinhaTsv {
  int numero;                       // line of the file, for the failure message
  std::vector<std::string> celulas;
  const std::string& operator[](size_t i) const { return celulas.at(i); }
};

inline std::string DesfazEscapes(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      r += s[i];
      continue;
    }
    const char c = s[++i];
    if (c == 'x' && i + 2 < s.size()) {
      r += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      r += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
  }
  return r;
}

// The cells of a line: split by tabs, or by another separator ("a|b").
inline std::vector<std::string> CelulasTsv(const std::string& linha, char separador = '\t') {
  std::vector<std::string> celulas;
  std::stringstream fluxo(linha);
  for (std::string celula; std::getline(fluxo, celula, separador);) celulas.push_back(celula);
  if (!linha.empty() && linha.back() == separador) celulas.emplace_back();
  return celulas;
}

// The rows of tests/<relativo>, each with as many cells as the header names;
// without `cabecalho` the header is a '#' line and rows vary in length (a
// case, then its changes).
inline std::vector<LinhaTsv> LerTabelaTsv(const std::string& relativo, bool escapes = true, bool cabecalho = true) {
  std::ifstream arquivo(std::string(VELANT_TESTES) + "/" + relativo, std::ios::binary);
  if (!arquivo) throw std::runtime_error("tabela ausente: " + relativo);
  std::vector<LinhaTsv> linhas;
  size_t colunas = 0;
  std::string texto;
  for (int numero = 1; std::getline(arquivo, texto); ++numero) {
    if (texto.empty() || texto[0] == '#') continue;
    LinhaTsv linha{numero, CelulasTsv(texto)};
    if (escapes)
      for (std::string& celula : linha.celulas) celula = DesfazEscapes(celula);
    if (cabecalho && colunas == 0) {
      colunas = linha.celulas.size();
      continue;
    }
    if (cabecalho && linha.celulas.size() != colunas)
      throw std::runtime_error(relativo + ":" + std::to_string(numero) + ": colunas diferentes do cabeçalho");
    linhas.push_back(std::move(linha));
  }
  return linhas;
}

// The same rows with each cell under its column's name (the header line).
using CasoTsv = std::map<std::string, std::string>;

inline std::vector<CasoTsv> LerCasosTsv(const std::string& relativo, bool escapes = true) {
  std::ifstream arquivo(std::string(VELANT_TESTES) + "/" + relativo, std::ios::binary);
  std::string cabecalho;
  while (std::getline(arquivo, cabecalho) && (cabecalho.empty() || cabecalho[0] == '#')) {
  }
  const std::vector<std::string> nomes = CelulasTsv(cabecalho);
  std::vector<CasoTsv> casos;
  for (const LinhaTsv& linha : LerTabelaTsv(relativo, escapes)) {
    CasoTsv& caso = casos.emplace_back();
    for (size_t i = 0; i < nomes.size(); ++i) caso[nomes[i]] = linha[i];
  }
  if (casos.empty()) throw std::runtime_error("tabela de casos vazia: " + relativo);
  return casos;
}

}  // namespace velant::teste
