#pragma once
#include <string>

#include "base/data_hora.h"
#include "contexto/contexto.h"

namespace velant {

// "IMPRIMIR DANFE": finds the distribution file of pChave (main folder, else
// the monthly folder of pDataEmissao), writes its DANFE PDF once and prints
// the DANFE. pProtocolo is not used. True when the distribution file and the
// PDF both exist afterwards; an error is logged and gives false. The
// invoice's step is not touched.
bool ImprimirNFE(Contexto& ctx, const std::string& pChave, const std::string& pProtocolo, DataHora pDataEmissao);

}  // namespace velant
