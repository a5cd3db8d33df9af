#pragma once
// The routines write every statement in the SQL Server form: names with
// blanks in square brackets, "SELECT TOP n". Each engine gets it adapted here,
// leaving string literals untouched.
#include <string>

namespace velant::data {

enum class DialetoSql { SqlServer, Access, Sqlite, PostgreSql };

// SqlServer and Access: unchanged. Sqlite: TOP n becomes LIMIT n.
// PostgreSql: [name] becomes "name" ([Mensagem] becomes "mensagem", as an
// unquoted Mensagem folds), and TOP n becomes LIMIT n.
std::string AdaptaSql(const std::string& sql, DialetoSql dialeto);

}  // namespace velant::data
