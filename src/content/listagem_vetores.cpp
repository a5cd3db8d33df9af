#include "content/listagem_vetores.h"

#include <vector>

namespace velant {
namespace {

std::string Escapa(const std::string& valor) {
  std::string saida;
  saida.reserve(valor.size());
  for (char c : valor) {
    switch (c) {
      case '\r': saida += "\\r"; break;
      case '\n': saida += "\\n"; break;
      case '\\': saida += "\\\\"; break;
      default: saida += c;
    }
  }
  return saida;
}

void Lista(std::string& saida, const char* nome, const std::vector<std::string>& vetor) {
  for (size_t i = 0; i < vetor.size(); ++i) {
    saida += nome;
    saida += "[" + std::to_string(i) + "]=" + Escapa(vetor[i]) + "\n";
  }
}

void Lista(std::string& saida, const char* nome, const std::vector<std::vector<std::string>>& matriz) {
  for (size_t l = 0; l < matriz.size(); ++l) {
    for (size_t i = 0; i < matriz[l].size(); ++i) {
      saida += nome;
      saida += "[" + std::to_string(l) + "][" + std::to_string(i) + "]=" + Escapa(matriz[l][i]) + "\n";
    }
  }
}

}  // namespace

std::string ListaVetores(const VetoresNFe& v) {
  std::string saida;
  Lista(saida, "gVetorIde", v.gVetorIde);
  Lista(saida, "gVetorEmitente", v.gVetorEmitente);
  Lista(saida, "gVetorDestinatario", v.gVetorDestinatario);
  Lista(saida, "gVetorProdutos", v.gVetorProdutos);
  Lista(saida, "gVetorTotais", v.gVetorTotais);
  Lista(saida, "gVetorTransporte", v.gVetorTransporte);
  saida += "gQtdFaturas=" + std::to_string(v.gQtdFaturas) + "\n";
  Lista(saida, "gVetorFaturas", v.gVetorFaturas);
  Lista(saida, "gVetorInfAdic", v.gVetorInfAdic);
  Lista(saida, "gVetorAutXML", v.gVetorAutXML);
  return saida;
}

}  // namespace velant
