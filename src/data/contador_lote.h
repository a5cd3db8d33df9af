#pragma once
// The batch counter: the row of ConfiguracaoDiversa with Empresa 1 and Nome
// 'Contador Lote NFe', shared by every company and every Host of the database.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/dialeto_sql.h"

namespace velant::data {

class CConexaoNfe;

// The statements that take a number, in the order they run. Where the engine
// can return the changed row (SQLite, PostgreSQL), the increment and the read
// are one statement, so two Hosts never read the same value; the SQL Server
// form keeps its two statements.
std::vector<std::string> ComandosNumeroLote(DialetoSql dialeto);

// The next batch number; nullopt when the counter row is missing (or the
// database refused the statement: the connection has shown its message).
std::optional<int64_t> TomaNumeroLote(CConexaoNfe& conexao);

}  // namespace velant::data
