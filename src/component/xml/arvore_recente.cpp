#include "component/xml/arvore_recente.h"

#include <utility>

namespace velant::arvore_recente {

namespace {

struct Guardada {
  std::string texto;
  Arvore arvore;
};

// One per thread: the tree is only ever asked for by the thread that signed.
Guardada& DaThread() {
  thread_local Guardada g;
  return g;
}

}  // namespace

void Guarda(std::string texto, Arvore arvore) {
  Guardada& g = DaThread();
  g.arvore = std::move(arvore);
  g.texto = g.arvore ? std::move(texto) : std::string();
}

Arvore Procura(std::string_view texto) {
  const Guardada& g = DaThread();
  if (!g.arvore || g.texto.size() != texto.size() || g.texto != texto) return nullptr;
  return g.arvore;
}

}  // namespace velant::arvore_recente
