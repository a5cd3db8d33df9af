#pragma once
// The DANFE's barcode: Code 128 of the 44-digit access key, which an
// all-digit text of even length turns into set C (Start C, 22 digit pairs,
// check character, Stop: 277 modules). Encoded by libzint; the bars come
// back in modules so that the page scales them to its box.
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

// Raises ErroExecucao (ErroComponente) when the key is not 44 digits or
// the encoder refuses it.
CodigoBarras CodigoBarrasChave(const std::string& chave);

}  // namespace velant::danfe
