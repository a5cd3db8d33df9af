#pragma once
// The three in-memory request tables and their built switches. Filled by the
// parser, read by the content assembly.
#include "data/recordset.h"

namespace velant {

struct TabelasSolicitacao {
  data::Recordset TabelaNota;
  data::Recordset TabelaDuplicatas;
  data::Recordset TabelaCupons;
  bool TabelaNotaCriada = false;
  bool TabelaDuplicatasCriada = false;
  bool TabelaCuponsCriada = false;
};

}  // namespace velant
