#pragma once
// Cells of the content and simulator case tables (read by
// base/tabela_tsv_teste.h) that name slots of the invoice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/tabela_tsv_teste.h"
#include "contexto/vetores_nfe.h"

namespace velant::teste {

// A vector of the invoice by its letter: I ide, E issuer, D recipient,
// P first item, T totals, R carrier, A additional data, X download authorisations.
inline std::vector<std::string>& VetorDaLetra(VetoresNFe& v, char letra) {
  switch (letra) {
    case 'I': return v.gVetorIde;
    case 'E': return v.gVetorEmitente;
    case 'D': return v.gVetorDestinatario;
    case 'P': return v.gVetorProdutos.at(0);
    case 'T': return v.gVetorTotais;
    case 'R': return v.gVetorTransporte;
    case 'A': return v.gVetorInfAdic;
    case 'X': return v.gVetorAutXML;
  }
  throw std::invalid_argument(std::string("vetor desconhecido: ") + letra);
}

// A cell of slots, "I20=15|P24=2.0000": the vector's letter, the slot, its text.
struct SlotTsv {
  char vetor;
  size_t slot;
  std::string texto;
};
inline std::vector<SlotTsv> SlotsTsv(const std::string& celula) {
  std::vector<SlotTsv> slots;
  for (const std::string& s : CelulasTsv(celula, '|')) {
    const size_t igual = s.find('=');
    slots.push_back({s.at(0), std::stoul(s.substr(1, igual - 1)), s.substr(igual + 1)});
  }
  return slots;
}

}  // namespace velant::teste
