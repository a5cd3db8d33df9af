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

// Build the table the first time (or when it was closed), empty it otherwise.
void CriaTabelaNota(TabelasSolicitacao& tabelas);
void CriaTabelaDuplicatas(TabelasSolicitacao& tabelas);
void CriaTabelaCupons(TabelasSolicitacao& tabelas);
// Writes every column's default into the current TabelaNota record.
void PreparaRegistroNota(TabelasSolicitacao& tabelas);

}  // namespace velant
