#pragma once
// ConverteCidade1: the city-code table utility behind the button Command1.
// Copies the municipalities of Municipios into CidadeIBGE of the same
// database, names in upper case without accents.
#include <cstdint>

#include "contexto/contexto.h"

namespace velant {

struct ResultadoConverteCidade {
  int32_t inseridos = 0;   // INSERT statements run
  int32_t jaCopiados = 0;  // codes CidadeIBGE already had, left alone
  bool erro = false;       // the routine's error box was shown
};

// Uses ctx.ConexaoBanco. Any error stops the copy and shows the box
// "Rotina: ConverteCidade1"; rows inserted before it stay.
ResultadoConverteCidade ConverteCidade1(Contexto& ctx);

}  // namespace velant
