#include "data/conexao_sqlite.h"

#include <sqlite3.h>

#include <cctype>
#include <chrono>
#include <memory>
#include <random>
#include <thread>

#include "base/arquivos.h"
#include "base/currency.h"
#include "base/erro.h"
#include "data/data_hora_banco.h"
#include "data/dialeto_sql.h"

namespace velant::data {

namespace {

using Relogio = std::chrono::steady_clock;

struct FinalizaStmt {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, FinalizaStmt>;

bool Ocupado(int rc) {
  int primario = rc & 0xFF;
  return primario == SQLITE_BUSY || primario == SQLITE_LOCKED;
}

// A short random pause, so that processes waiting for the same lock do not
// wake up in step.
void PausaCurta() {
  thread_local std::minstd_rand gerador(static_cast<unsigned>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  std::this_thread::sleep_for(std::chrono::milliseconds(2 + gerador() % 15));
}

[[noreturn]] void LevantaSqlite(sqlite3* db) {
  throw ErroExecucao(CodigoErro::ErroBanco, db != nullptr ? sqlite3_errmsg(db) : "SQLite: sem memória");
}

std::string Maiusculas(const char* s) {
  std::string r = s == nullptr ? "" : s;
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

bool Contem(const std::string& s, const char* parte) { return s.find(parte) != std::string::npos; }

// The record-set column type of a declared column type (empty for an expression).
DefinicaoCampo Definicao(const char* nome, const char* declarado) {
  DefinicaoCampo d;
  d.nome = nome == nullptr ? "" : nome;
  std::string t = Maiusculas(declarado);
  if (t.empty()) {
    d.tipo = adVariant;
  } else if (Contem(t, "BIGINT")) {
    d.tipo = adBigInt;
  } else if (Contem(t, "SMALLINT")) {
    d.tipo = adSmallInt;
  } else if (Contem(t, "INT")) {
    d.tipo = adInteger;
  } else if (Contem(t, "CHAR") || Contem(t, "TEXT") || Contem(t, "CLOB")) {
    d.tipo = adVarChar;
    size_t p = t.find('(');
    if (p != std::string::npos) d.tamanho = std::atoi(t.c_str() + p + 1);
  } else if (t == "DATE") {
    d.tipo = adDBDate;
  } else if (t == "TIME") {
    d.tipo = adDBTime;
  } else if (Contem(t, "DATE") || Contem(t, "TIME")) {
    d.tipo = adDate;
  } else if (Contem(t, "NUMERIC") || Contem(t, "DECIMAL") || Contem(t, "MONEY")) {
    d.tipo = adCurrency;
  } else if (Contem(t, "REAL") || Contem(t, "FLOA") || Contem(t, "DOUB")) {
    d.tipo = adDouble;
  } else if (Contem(t, "BOOL")) {
    d.tipo = adBoolean;
  } else {
    d.tipo = adVariant;
  }
  return d;
}

Valor Inteiro(sqlite3_int64 v, TipoCampo tipo) {
  if (tipo == adBigInt) return Valor(static_cast<int64_t>(v));
  if (tipo == adSmallInt && v >= INT16_MIN && v <= INT16_MAX) return Valor(static_cast<int16_t>(v));
  if (v >= INT32_MIN && v <= INT32_MAX) return Valor(static_cast<int32_t>(v));
  return Valor(static_cast<int64_t>(v));
}

// One column of the current row, typed by the declared type when the stored
// value fits it (SQLite keeps whatever it was given).
Valor LerColuna(sqlite3_stmt* s, int i, const DefinicaoCampo& d) {
  switch (sqlite3_column_type(s, i)) {
    case SQLITE_NULL: return Valor::Nulo();
    case SQLITE_INTEGER: {
      sqlite3_int64 v = sqlite3_column_int64(s, i);
      if (d.tipo == adCurrency) {
        try {
          return Valor(Currency::DeInteiro(v));
        } catch (const ErroExecucao&) {
          return Valor(static_cast<int64_t>(v));
        }
      }
      if (d.tipo == adDouble) return Valor(static_cast<double>(v));
      if (d.tipo == adBoolean) return Valor(v != 0);
      if (d.tipo == adVarChar) return Valor(std::to_string(v));
      return Inteiro(v, d.tipo);
    }
    case SQLITE_FLOAT: {
      double v = sqlite3_column_double(s, i);
      if (d.tipo == adCurrency) {
        try {
          return Valor(Currency::DeDouble(v));
        } catch (const ErroExecucao&) {
          return Valor(v);
        }
      }
      return Valor(v);
    }
    default: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
      std::string texto(p == nullptr ? "" : p, static_cast<size_t>(sqlite3_column_bytes(s, i)));
      if (d.tipo == adDBDate || d.tipo == adDBTime || d.tipo == adDate) {
        DataHora dh;
        if (LerDataHoraBanco(texto, dh)) return Valor(dh);
      }
      return Valor(std::move(texto));
    }
  }
}

// What may follow the one statement of a call: blanks, semicolons, comments.
bool SoSobraVazia(const char* p, const char* fim) {
  while (p < fim) {
    if (std::isspace(static_cast<unsigned char>(*p)) || *p == ';') {
      ++p;
    } else if (fim - p >= 2 && p[0] == '-' && p[1] == '-') {
      while (p < fim && *p != '\n') ++p;
    } else if (fim - p >= 2 && p[0] == '/' && p[1] == '*') {
      p += 2;
      while (fim - p >= 2 && !(p[0] == '*' && p[1] == '/')) ++p;
      p = fim - p >= 2 ? p + 2 : fim;
    } else {
      return false;
    }
  }
  return true;
}

// Errors that leave the connection useless until the file is opened again:
// moved or replaced, unreadable, damaged, not a database.
bool ArquivoPerdido(int rcEstendido) {
  switch (rcEstendido & 0xFF) {
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN: return true;
    default: return rcEstendido == SQLITE_READONLY_DBMOVED;
  }
}

bool EscreveLinhas(const std::string& sql) {
  size_t i = 0;
  while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
  std::string palavra;
  while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i]))) {
    palavra += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
    ++i;
  }
  return palavra == "INSERT" || palavra == "UPDATE" || palavra == "DELETE" || palavra == "REPLACE";
}

}  // namespace

ConexaoSqlite::ConexaoSqlite(const std::filesystem::path& arquivo, int esperaMs, bool criar) : esperaMs_(esperaMs) {
  const int modo = SQLITE_OPEN_READWRITE | (criar ? SQLITE_OPEN_CREATE : 0);
  int rc = sqlite3_open_v2(arquivo.string().c_str(), &db_, modo, nullptr);
  if (rc != SQLITE_OK) {
    std::string texto = db_ != nullptr ? sqlite3_errmsg(db_) : "sem memória";
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw ErroExecucao(CodigoErro::ErroBanco, "Não foi possível abrir " + arquivo.string() + ": " + texto);
  }
  // Only this connection opens the file and its companions: another
  // descriptor of them, once closed, would drop the process's locks.
  const char* principal = sqlite3_db_filename(db_, "main");
  const std::string nome = principal != nullptr && *principal != '\0' ? principal : arquivo.string();
  for (const char* sufixo : {"", "-wal", "-shm", "-journal"}) ProtegeArquivo(nome + sufixo);
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, esperaMs_);
  try {
    // WAL lets the Host read while an AC writes; the mode stays in the file.
    ExecutarSimples("PRAGMA journal_mode=WAL");
    ExecutarSimples("PRAGMA synchronous=FULL");
  } catch (...) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    throw;
  }
}

ConexaoSqlite::~ConexaoSqlite() { Fechar(); }

void ConexaoSqlite::Fechar() {
  if (db_ != nullptr) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

static void ExigeAberta(sqlite3* db) {
  if (db == nullptr) Levanta(CodigoErro::ObjetoFechado);
}

void ConexaoSqlite::LevantaErro() {
  if (ArquivoPerdido(sqlite3_extended_errcode(db_))) perdida_ = true;
  LevantaSqlite(db_);
}

// Steps a statement to its end, retrying from the start while the database
// is locked by another process; `linha` is called for each row.
template <class FuncaoLinha, class FuncaoErro>
static void Roda(sqlite3* db, const std::string& sql, int esperaMs, FuncaoLinha linha, int64_t* alteradas,
                 FuncaoErro levanta) {
  const auto limite = Relogio::now() + std::chrono::milliseconds(esperaMs);
  for (;;) {
    sqlite3_stmt* bruto = nullptr;
    const char* resto = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &bruto, &resto);
    Stmt s(bruto);
    if (Ocupado(rc) && Relogio::now() < limite) {
      PausaCurta();
      continue;
    }
    if (rc != SQLITE_OK) levanta();
    // A value that ends its literal early must not bring a statement of its own.
    if (resto != nullptr && !SoSobraVazia(resto, sql.data() + sql.size())) {
      throw ErroExecucao(CodigoErro::ErroBanco, "Mais de uma instrução SQL em uma chamada: recusada");
    }
    if (!s) {   // only blanks or a comment
      if (alteradas != nullptr) *alteradas = 0;
      return;
    }
    bool repetir = false;
    bool primeira = true;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
      linha(s.get(), primeira);
      primeira = false;
    }
    if (Ocupado(rc) && Relogio::now() < limite) repetir = true;
    if (repetir) {
      linha(nullptr, true);   // drop what was read; the statement starts over
      PausaCurta();
      continue;
    }
    if (rc != SQLITE_DONE) levanta();
    if (alteradas != nullptr) *alteradas = sqlite3_changes64(db);
    return;
  }
}

void ConexaoSqlite::ExecutarSimples(const std::string& sql) {
  ExigeAberta(db_);
  Roda(db_, sql, esperaMs_, [](sqlite3_stmt*, bool) {}, nullptr, [this] { LevantaErro(); });
}

int64_t ConexaoSqlite::Executar(const std::string& sql) {
  ExigeAberta(db_);
  std::string adaptado = AdaptaSql(sql, DialetoSql::Sqlite);
  int64_t alteradas = 0;
  Roda(db_, adaptado, esperaMs_, [](sqlite3_stmt*, bool) {}, &alteradas, [this] { LevantaErro(); });
  // The count of the last INSERT, UPDATE or DELETE stays set after other statements.
  return EscreveLinhas(adaptado) ? alteradas : 0;
}

Recordset ConexaoSqlite::Consultar(const std::string& sql) {
  ExigeAberta(db_);
  std::string adaptado = AdaptaSql(sql, DialetoSql::Sqlite);
  std::vector<DefinicaoCampo> campos;
  std::vector<std::vector<Valor>> linhas;
  bool definido = false;
  auto linha = [&](sqlite3_stmt* s, bool) {
    if (s == nullptr) {
      linhas.clear();
      return;
    }
    if (!definido) {
      int n = sqlite3_column_count(s);
      for (int i = 0; i < n; ++i) campos.push_back(Definicao(sqlite3_column_name(s, i), sqlite3_column_decltype(s, i)));
      definido = true;
    }
    std::vector<Valor> registro;
    registro.reserve(campos.size());
    for (int i = 0; i < static_cast<int>(campos.size()); ++i) registro.push_back(LerColuna(s, i, campos[static_cast<size_t>(i)]));
    linhas.push_back(std::move(registro));
  };
  int64_t ignorado = 0;
  Roda(db_, adaptado, esperaMs_, linha, &ignorado, [this] { LevantaErro(); });
  if (!definido) {   // no rows: the columns still come from the statement
    sqlite3_stmt* bruto = nullptr;
    if (sqlite3_prepare_v2(db_, adaptado.c_str(), static_cast<int>(adaptado.size()), &bruto, nullptr) == SQLITE_OK &&
        bruto != nullptr) {
      Stmt s(bruto);
      int n = sqlite3_column_count(bruto);
      for (int i = 0; i < n; ++i) campos.push_back(Definicao(sqlite3_column_name(bruto, i), sqlite3_column_decltype(bruto, i)));
    }
  }
  Recordset rs;
  rs.AbrirComResultado(std::move(campos), std::move(linhas));
  return rs;
}

void ConexaoSqlite::ExecutarScript(const std::string& script) {
  ExigeAberta(db_);
  IniciarTransacao();
  char* erro = nullptr;
  int rc = sqlite3_exec(db_, script.c_str(), nullptr, nullptr, &erro);
  if (rc != SQLITE_OK) {
    std::string texto = erro != nullptr ? erro : sqlite3_errstr(rc);
    sqlite3_free(erro);
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw ErroExecucao(CodigoErro::ErroBanco, texto);
  }
  ConfirmarTransacao();
}

// IMMEDIATE takes the write lock at once, so a transaction never fails half way
// because another process wrote in between.
void ConexaoSqlite::IniciarTransacao() { ExecutarSimples("BEGIN IMMEDIATE"); }
void ConexaoSqlite::ConfirmarTransacao() { ExecutarSimples("COMMIT"); }
void ConexaoSqlite::CancelarTransacao() { ExecutarSimples("ROLLBACK"); }

}  // namespace velant::data
