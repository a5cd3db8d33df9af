#pragma once
// Reading numbers and dates from texts, for the conversions of regional.h.
#include <optional>
#include <string_view>

#include "base/data_hora.h"
#include "base/decimal.h"
#include "base/regional.h"

namespace velant::leitura {

// A number in the regional settings: blanks around it, a leading sign,
// thousands separators between the digits of the whole part, the decimal
// separator, an exponent; "&H"/"&O" prefixes. nullopt when it is not one.
std::optional<decimal::Numero> NumeroRegional(std::string_view texto,
                                              const ConfiguracaoRegional& regional);

// The leading number as Val reads it (never fails; 0 when there is none).
decimal::Numero NumeroVal(std::string_view texto);

// dd/mm/yyyy [hh:mm[:ss]] in the regional order, yyyy-mm-dd[(T| )hh:mm[:ss]],
// or hh:mm[:ss] alone. nullopt when it is not a valid date or time.
std::optional<DataHora> DataRegional(std::string_view texto, const ConfiguracaoRegional& regional);

}  // namespace velant::leitura
