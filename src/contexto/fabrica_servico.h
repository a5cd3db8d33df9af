#pragma once
// How a routine gets its fiscal document component: a fresh instance per
// call, through a factory the Host (or a test) provides.
#include <functional>
#include <memory>

namespace velant {

class FiscalDocService;

// Creates an instance; raises ErroExecucao when the component is not available.
using FabricaFiscalDocService = std::function<std::unique_ptr<FiscalDocService>()>;

}  // namespace velant
