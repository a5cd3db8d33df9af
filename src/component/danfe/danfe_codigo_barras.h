#pragma once
// The DANFE's barcode: Code 128 of the 44-character access key. An
// all-digit key of even length is set C alone (Start C, 22 digit pairs,
// check character, Stop: 277 modules); the letters of an alphanumeric CNPJ
// go in a set that encodes them, the digit runs around them staying in C,
// as libzint's automatic choice of sets does. The bars come back in modules
// so that the page scales them to its box.
#include <string>
#include <vector>

namespace velant::danfe {

struct Barra {
  double inicio = 0;   // in modules from the left end of the symbol
  double largura = 0;
};

struct CodigoBarras {
  int modulos = 0;   // width of the symbol without quiet zones
  std::vector<Barra> barras;
};

// Raises ErroExecucao (ErroComponente) when the key is not of the form
// (ChaveNaForma, alphanumeric) or the encoder refuses it.
CodigoBarras CodigoBarrasChave(const std::string& chave);

}  // namespace velant::danfe
