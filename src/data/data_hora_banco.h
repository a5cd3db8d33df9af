#pragma once
// Dates and times as the engines hand them back as text: "2026-12-05",
// "13:45:07", "2026-12-05 13:45:07[.fff]", and the "05/12/2026" form.
#include <string>

#include "base/data_hora.h"

namespace velant::data {

// False when the text is none of these forms or is an impossible date.
bool LerDataHoraBanco(const std::string& texto, DataHora& resultado);

}  // namespace velant::data
