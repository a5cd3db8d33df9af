#pragma once
// Values as the layout wants them in the vectors: texts, numbers with a fixed
// count of decimals, "." as decimal point and no digit grouping, whatever the
// regional settings.
#include <string>

#include "base/valor.h"
#include "data/recordset.h"

namespace velant {

// The value's text; "" when it is Null or when TabelaNota is past its last
// record (whatever record set the value came from).
std::string ValorCampo(const data::Recordset& TabelaNota, const Valor& valor);

// Two, three or four decimals. A value that is not numeric counts as 0.
// Exact halves round to even, as the regional formatting does.
std::string FormataDecimal2(const Valor& valor);
std::string FormataDecimal3(const Valor& valor);
std::string FormataDecimal4(const std::string& texto);

}  // namespace velant
