#pragma once
#include <string_view>

#include "base/currency.h"

namespace velant {

// Amount text with either decimal separator: the right-most non-digit
// becomes the decimal point and the separators to its left are dropped
// ("1.234,56" and "1,234.56" give 1234.56). Empty gives 0.
Currency ConverteValor(std::string_view texto);

}  // namespace velant
