#pragma once
// Walking UTF-8 texts by characters. A byte that does not start a valid
// sequence counts as one character of its own, so that a damaged text is
// still cut and compared without crashing; it decodes to U+DC80..U+DCFF
// and is written back as the same byte.
#include <cstdint>
#include <string>
#include <string_view>

namespace velant::utf8 {

// Length of the valid sequence at s[i], or 0 when it is not valid.
size_t SequenciaValida(std::string_view s, size_t i);

// Decodes the character at s[i] and moves i past it.
char32_t Proximo(std::string_view s, size_t& i);

void Acrescenta(std::string& saida, char32_t cp);

// Byte offset of character number n (from 0), or s.size() when the text is shorter.
size_t Deslocamento(std::string_view s, int64_t n);

}  // namespace velant::utf8
