#pragma once
// Shared by the tests of conversions and of record sets.
#include <functional>
#include <optional>

#include "base/erro.h"

namespace velant::teste {

// The error number a call raises, or nullopt when it returns normally.
inline std::optional<int> ErroDe(const std::function<void()>& chamada) {
  try {
    chamada();
  } catch (const ErroExecucao& e) {
    return e.Numero();
  }
  return std::nullopt;
}

}  // namespace velant::teste
