#pragma once
// Normalisation of free text before it goes into the document vectors.
#include <string>

#include "base/valor.h"

namespace velant {

// Accented letters to plain ones, line breaks removed, a set of punctuation
// to blanks. Null and empty give "". A number counts as its text.
std::string RemoveAcentos(const Valor& valor);

// The smaller table of the product names: CR LF to one blank, a few accented
// letters and symbols replaced, the apostrophe to an acute accent.
// Null raises UsoInvalidoDeNull.
std::string RetiraAcentos(const Valor& valor);

// The decimal digits alone, in order. Null raises UsoInvalidoDeNull.
std::string SomenteNumeros(const Valor& valor);

}  // namespace velant
