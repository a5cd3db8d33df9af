#pragma once
// The vectors as text, one slot per line ("gVetorIde[slot]=...",
// "gVetorProdutos[item][slot]=..."), in the order they are handed to the XML
// generator. Empty slots are listed too. CR, LF and backslash inside a value
// are written as \r, \n and \\ so that each slot stays on its line.
#include <string>

#include "contexto/vetores_nfe.h"

namespace velant {

std::string ListaVetores(const VetoresNFe& vetores);

}  // namespace velant
