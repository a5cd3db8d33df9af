#pragma once
// Regional settings and the conversions that follow them. pt-BR is the
// default: decimal comma, thousands dot, dates dd/mm/yyyy, times HH:mm:ss.
// The settings are one process-wide object, replaceable for another locale.
//
// Rounding, one rule for the whole system (ABNT NBR 5891): every conversion
// to a whole number (CInt, CLng, Val to 16 bits), to Currency, and Format's
// fixed decimals round an exact half to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2, 0.00005 -> 0.0000, 0.00015 -> 0.0002).
// The half is judged on the exact decimal value: a Currency as it is, a
// double through its shortest round-trip text, so 0.125 is a half (-> 0.12)
// while 0.135 is not (-> 0.14), whatever the binary value underneath.
#include <cstdint>
#include <optional>
#include <string>

#include "base/currency.h"
#include "base/data_hora.h"
#include "base/valor.h"

namespace velant {

struct ConfiguracaoRegional {
  std::string separadorDecimal = ",";
  std::string separadorMilhar = ".";
  std::string separadorData = "/";
  std::string separadorHora = ":";
  enum class OrdemData { DiaMesAno, MesDiaAno, AnoMesDia } ordemData = OrdemData::DiaMesAno;
  std::string textoVerdadeiro = "Verdadeiro";
  std::string textoFalso = "Falso";
};

const ConfiguracaoRegional& Regional();
void DefinirRegional(const ConfiguracaoRegional& configuracao);
ConfiguracaoRegional RegionalPtBR();

// Conversions of the regional settings. Null raises UsoInvalidoDeNull,
// a text that is not a number (or date) raises TiposIncompativeis, a value
// out of range raises Estouro.
int16_t CInt(const Valor& v);
int32_t CLng(const Valor& v);
int64_t CLngLng(const Valor& v);
Currency CCur(const Valor& v);
double CDbl(const Valor& v);
DataHora CDate(const Valor& v);  // dd/mm/yyyy [hh:mm[:ss]], hh:mm[:ss], or yyyy-mm-dd[ hh:mm:ss]
bool CBool(const Valor& v);
std::string CStr(const Valor& v);

// The leading number of a text with "." as the decimal point; blanks, tabs
// and line feeds anywhere are skipped; anything after the number ends it;
// empty or non-numeric gives 0. "&H" and "&O" prefixes are read as hexadecimal and octal.
double Val(const std::string& texto);
// Val rounded half to even to 16 bits (the parser's val16); Estouro when out of range.
int16_t Val16(const std::string& texto);

bool IsNumeric(const Valor& v);   // in the regional settings; Null, Empty and "" give false
bool IsDate(const Valor& v);

// Format(value, pattern) for the patterns the system uses:
// "#######0.00", "#######0.000", "#######0.0000", "###,###,##0.00", "0000000",
// "dd/mm/yyyy", "mm/dd/yyyy", "hh:mm:ss", "HH:mm:ss", "yyyy-mm-dd", "yyyyMM",
// "dd", "mm", "yyyy". In number patterns "." stands for the regional decimal
// separator and "," for the thousands separator, as Format does; "/" and ":"
// are the regional date and time separators, "hh" and "HH" the hour 00-23,
// "mm" after "hh:" the minutes. A text value is converted first (a number
// text in the regional settings, else a date text); a text that is neither
// comes back unchanged. Null gives "", Empty counts as 0. Any other pattern
// raises ChamadaInvalida.
std::string Format(const Valor& v, const std::string& padrao);

// The number with 2, 3 or 4 decimals after a "." and no grouping, whatever
// the regional settings, as the layout writes values; exactly what Format
// with "#######0.00" (and its kin) gives for the value's text, with "." for
// the regional separator. Null, Empty and a text that is no number give 0;
// nullopt for a value of another type (Double, Date, Boolean), whose text
// Format reads its own way.
std::optional<std::string> FormataDecimaisComPonto(const Valor& v, int casas);

}  // namespace velant
