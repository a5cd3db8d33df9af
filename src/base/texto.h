#pragma once
// Text routines that count characters, never bytes. Texts are UTF-8 inside
// the program; positions and lengths are in characters (code points).
#include <cstdint>
#include <string>
#include <string_view>

namespace velant {

inline constexpr const char* vbCrLf = "\r\n";
inline constexpr const char* vbCr = "\r";
inline constexpr const char* vbLf = "\n";

int64_t Len(std::string_view s);
std::string Left(std::string_view s, int64_t n);
std::string Right(std::string_view s, int64_t n);
// Mid(s, inicio) and Mid(s, inicio, n), inicio from 1. inicio < 1 raises ChamadaInvalida.
std::string Mid(std::string_view s, int64_t inicio);
std::string Mid(std::string_view s, int64_t inicio, int64_t n);
std::string Trim(std::string_view s);    // blanks (U+0020) only, as Trim does
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
std::string UCase(std::string_view s);   // ASCII and Latin-1 letters (ã -> Ã, ç -> Ç)
std::string LCase(std::string_view s);
// InStr(inicio, s, procura), 1-based; 0 when not found.
int64_t InStr(std::string_view s, std::string_view procura, int64_t inicio = 1);
std::string Replace(std::string_view s, std::string_view de, std::string_view para);
std::string Space(int64_t n);

// Text from outside (a request body, a file) that may not be valid UTF-8:
// a valid UTF-8 text is kept; otherwise it is read as Windows-1252.
std::string ParaUtf8(std::string_view bytes);
bool EUtf8Valido(std::string_view bytes);

// Like: * any text, ? one character, # one digit, [abc] [a-z] [!a-z] one
// character of (or not of) the set. Case-sensitive, by characters.
bool Like(std::string_view texto, std::string_view padrao);

}  // namespace velant
