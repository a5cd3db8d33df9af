#pragma once
// The tables of the system, created from the scripts built into the program
// (copies of sql/sqlite.sql and sql/postgresql.sql, kept equal by a test),
// so that an installed Host needs no source tree.
#include <string>

#include "data/dialeto_sql.h"

namespace velant::data {

class ConexaoDriver;

// The script of an engine; empty for the engines without a driver.
const std::string& ScriptEsquema(DialetoSql dialeto);

// Runs the script in one transaction and adds the columns a table of an
// earlier version lacks; harmless on a database that has the tables.
void CriarEsquema(ConexaoDriver& conexao, DialetoSql dialeto);

// Start-up on an existing database: CriarEsquema only when a table or column
// of this version is missing (a few catalog queries otherwise).
void AtualizarEsquema(ConexaoDriver& conexao, DialetoSql dialeto);

}  // namespace velant::data
