#include "data/dialeto_sql.h"

#include <cctype>
#include <cstddef>

namespace velant::data {

namespace {

bool EBranco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Matches a keyword (any letter case) at i, followed by a blank; advances past the blanks.
bool Palavra(const std::string& s, size_t& i, const char* palavra) {
  size_t j = i;
  for (const char* p = palavra; *p != '\0'; ++p, ++j) {
    if (j >= s.size() || std::toupper(static_cast<unsigned char>(s[j])) != *p) return false;
  }
  if (j >= s.size() || !EBranco(s[j])) return false;
  while (j < s.size() && EBranco(s[j])) ++j;
  i = j;
  return true;
}

// "SELECT [DISTINCT] TOP n rest" becomes "SELECT [DISTINCT] rest LIMIT n".
std::string TopParaLimit(const std::string& sql) {
  size_t i = 0;
  while (i < sql.size() && EBranco(sql[i])) ++i;
  if (!Palavra(sql, i, "SELECT")) return sql;
  size_t antesTop = i;
  size_t depoisDistinct = i;
  if (Palavra(sql, depoisDistinct, "DISTINCT")) antesTop = depoisDistinct;
  size_t j = antesTop;
  if (!Palavra(sql, j, "TOP")) return sql;
  size_t inicioNumero = j;
  while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j]))) ++j;
  if (j == inicioNumero || j >= sql.size() || !EBranco(sql[j])) return sql;
  std::string numero = sql.substr(inicioNumero, j - inicioNumero);
  while (j < sql.size() && EBranco(sql[j])) ++j;

  std::string resto = sql.substr(j);
  size_t fim = resto.size();
  while (fim > 0 && (EBranco(resto[fim - 1]) || resto[fim - 1] == ';')) --fim;
  return sql.substr(0, antesTop) + resto.substr(0, fim) + " LIMIT " + numero + resto.substr(fim);
}

// [name] becomes "name"; literals and quoted names are copied as they are.
std::string ColchetesParaAspas(const std::string& sql) {
  std::string r;
  r.reserve(sql.size() + 8);
  size_t i = 0;
  while (i < sql.size()) {
    char c = sql[i];
    if (c == '\'' || c == '"') {   // a literal or a quoted name: up to its closing quote
      size_t j = i + 1;
      while (j < sql.size()) {
        if (sql[j] == c) {
          if (j + 1 < sql.size() && sql[j + 1] == c) { j += 2; continue; }   // doubled quote
          break;
        }
        ++j;
      }
      size_t fim = j < sql.size() ? j + 1 : j;
      r.append(sql, i, fim - i);
      i = fim;
    } else if (c == '[') {
      size_t j = sql.find(']', i + 1);
      if (j == std::string::npos) j = sql.size();
      // [Mensagem] is the column Mensagem, whose name folds to lower case like
      // any unquoted name; names with blanks were created quoted, as written.
      std::string nome = sql.substr(i + 1, j - i - 1);
      if (nome.find(' ') == std::string::npos) {
        for (char& ch : nome) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      }
      r += '"';
      for (char ch : nome) {
        if (ch == '"') r += '"';
        r += ch;
      }
      r += '"';
      i = j < sql.size() ? j + 1 : j;
    } else {
      r += c;
      ++i;
    }
  }
  return r;
}

}  // namespace

std::string AdaptaSql(const std::string& sql, DialetoSql dialeto) {
  switch (dialeto) {
    case DialetoSql::SqlServer:
    case DialetoSql::Access: return sql;
    case DialetoSql::Sqlite: return TopParaLimit(sql);
    case DialetoSql::PostgreSql: return TopParaLimit(ColchetesParaAspas(sql));
  }
  return sql;
}

}  // namespace velant::data
