#pragma once
// Values written in the formats of the NF-e 3.10 layout. The vectors carry
// every value as text: numbers with a dot decimal (the filling routines'
// form) or in the regional form ("1.234,56"), codes with punctuation, free
// text with anything a shop types. These routines turn one value into the
// text of its layout type, or refuse it with Invalido, which the generator
// turns into an error naming the element.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace velant::leiaute {

// Thrown when a value cannot be written in its layout type.
struct Invalido {
  std::string valor;
  std::string motivo;
};

// A decimal number as digits: no leading zeros in `inteiro` ("" is zero).
struct Numero {
  bool negativo = false;
  std::string inteiro;
  std::string fracao;
  bool Zero() const;
};

// Reads "1234.56", "1234,56", "1.234,56", "-3", " 12 ". A comma makes it the
// regional form (dots are thousands); otherwise a single dot is the decimal
// point. Nothing when the text is not a number.
std::optional<Numero> LerNumero(std::string_view texto);

// A TDec type: integer digits, decimals written (min to max) and whether
// zero is refused (the "Opc" types).
struct FormatoDecimal {
  int inteiros;
  int minDecimais;
  int maxDecimais;
  bool naoZero;
};
inline constexpr FormatoDecimal TDec_1302{13, 2, 2, false};
inline constexpr FormatoDecimal TDec_1302Opc{13, 2, 2, true};
inline constexpr FormatoDecimal TDec_0302a04{3, 2, 4, false};
inline constexpr FormatoDecimal TDec_0302a04Opc{3, 2, 4, true};
inline constexpr FormatoDecimal TDec_1104v{11, 0, 4, false};
inline constexpr FormatoDecimal TDec_1110v{11, 0, 10, false};
inline constexpr FormatoDecimal TDec_1203{12, 3, 3, false};
inline constexpr FormatoDecimal TDec_1204v{12, 0, 4, false};
inline constexpr FormatoDecimal TDec_1204temperatura{12, 4, 4, true};

// The number in the format: as many decimals as the text has, within
// min..max (rounded half away from zero beyond max). "" for an empty text.
// Throws Invalido for a non-number, a negative, too many integer digits, or
// zero in an Opc type.
std::string Decimal(std::string_view texto, const FormatoDecimal& formato);
// True when the text is empty or a number equal to zero.
bool VazioOuZero(std::string_view texto);
// True when the text is a number greater than zero.
bool Positivo(std::string_view texto);

// A whole number without leading zeros, from a number text in either form
// ("3", "3,00", "003"); at most maxDigitos digits. "" for an empty text.
std::string Inteiro(std::string_view texto, int maxDigitos);

// Digits of a code typed with punctuation ("01310-100", "11.222.333/0001-81",
// "(11) 5555-1234"): blanks, dots, hyphens, slashes and parentheses are
// dropped; any other character is refused. "" when nothing is left.
// The count of digits must be one of min..max.
std::string Digitos(std::string_view texto, int minDigitos, int maxDigitos);

// Free text as TString: control characters become blanks, typographic
// quotes and dashes their ASCII forms, characters beyond U+00FF are dropped,
// the ends trimmed; then cut at maxCaracteres. "" when nothing is left;
// Invalido when shorter than minCaracteres. Bytes that are not UTF-8 are
// read as Windows-1252.
std::string Texto(std::string_view texto, int minCaracteres, int maxCaracteres);

// The trimmed text when it is one of the values; "" for empty; Invalido otherwise.
std::string Enumerado(std::string_view texto, std::initializer_list<std::string_view> valores);

// A state abbreviation (TUf, with "EX" when aceitaEX).
std::string Uf(std::string_view texto, bool aceitaEX);

struct DataHora {
  int ano = 0, mes = 0, dia = 0, hora = 0, minuto = 0, segundo = 0;
  std::string fuso;   // "-03:00" when the text carried one; otherwise ""
};
// "dd/mm/yyyy[ hh:mm[:ss]]" or "yyyy-mm-dd[(T| )hh:mm[:ss][Z|±hh:mm]]".
// Nothing for an empty text, a time alone ("00:00:00", the request tables'
// "no date") or a zero date. Throws Invalido for anything else that cannot be read.
std::optional<DataHora> LerDataHora(std::string_view texto);
// "-03:00" from "-03:00", "-3", "-03", "-0300" (TDateTimeUTC accepts -11 to +12, whole hours).
std::string Fuso(std::string_view texto);
// AAAA-MM-DDThh:mm:ssTZD; the text's own offset wins over fusoPadrao.
std::string DataHoraUTC(const DataHora& d, const std::string& fusoPadrao);
// AAAA-MM-DD (TData: years 2000 to 2099).
std::string Data(const DataHora& d);

}  // namespace velant::leiaute
