#pragma once
// The tree of the document this thread signed last, kept with its exact text.
// Generation reads that text back twice right away, for the schema and for the
// authority's rules: a text that is byte for byte the kept one takes the tree
// instead of a second and third parse of up to 700 kB.
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>

namespace velant::arvore_recente {

using Arvore = std::shared_ptr<xmlDoc>;

// Keeps `arvore` as the tree of `texto`, in place of the one kept before.
void Guarda(std::string texto, Arvore arvore);

// The kept tree when `texto` is exactly its text; null otherwise. The tree is
// shared: it is read, never changed.
Arvore Procura(std::string_view texto);

}  // namespace velant::arvore_recente
