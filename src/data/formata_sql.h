#pragma once
// Values written into statement texts (module mRotinasGerais). Each routine
// appends to TextoSQL:
//   modo 1 (value in a list): pPrimeiro is the value, pSegundo the text after it;
//   modo 2 (assignment):      pPrimeiro is the text before, pSegundo the value;
//   any other modo appends nothing.
// The form follows the dialect switches of the state, in this order:
// BancoAccess, BancoSqlite, BancoPostgreSql, BancoSqlServer; with none of
// them set nothing is appended.
#include <string>

#include "base/valor.h"

namespace velant {
struct ConfiguracaoHost;
}

namespace velant::data {

// Date: #mm/dd/yyyy# (Access), '2026-12-05' (SQLite), DATE '2026-12-05'
// (PostgreSQL), 'dd/mm/yyyy' (SQL Server). The zero date-time (text form
// "00:00:00") is written as the word Null.
void FormataSQLData(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
                    const Valor& pSegundo);
// Time of day, 00 to 23 hours: #hh:mm:ss#, 'hh:mm:ss', TIME 'hh:mm:ss',
// 'hh:mm:ss'. The zero date-time is Null, as for dates.
void FormataSQLHora(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
                    const Valor& pSegundo);
// The value as a 32-bit integer in decimal, no quotes; never Null.
void FormataSQLNumero(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
                      const Valor& pSegundo);
// 'text' with every quote doubled; an empty text gives ''.
void FormataSQLTexto(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
                     const Valor& pSegundo);

std::string DuplicaAspas(const std::string& pTexto);
std::string EntreAspas(const std::string& pTexto);   // no doubling
// A text as an SQL literal: quoted, its quotes doubled.
inline std::string LiteralSql(const std::string& pTexto) { return EntreAspas(DuplicaAspas(pTexto)); }

}  // namespace velant::data
