#include "simulador/simulador_estado.h"

#include <sqlite3.h>

#include <stdexcept>

namespace velant::autoridade {

namespace {

class Comando {
 public:
  Comando(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string("simulador: SQL inválido: ") + sqlite3_errmsg(db));
  }
  ~Comando() { sqlite3_finalize(st_); }
  Comando& Texto(int i, const std::string& v) {
    sqlite3_bind_text(st_, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Comando& Inteiro(int i, long long v) {
    sqlite3_bind_int64(st_, i, v);
    return *this;
  }
  bool Passo() {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw std::runtime_error(std::string("simulador: erro no banco: ") + sqlite3_errmsg(db_));
  }
  std::string ColTexto(int i) {
    const unsigned char* t = sqlite3_column_text(st_, i);
    return t ? reinterpret_cast<const char*>(t) : "";
  }
  long long ColInteiro(int i) { return sqlite3_column_int64(st_, i); }

 private:
  sqlite3* db_;
  sqlite3_stmt* st_ = nullptr;
};

const char* kColunasNota =
    "chave, cnpj, serie, numero, nProt, nRec, protNFe, cancelada, evento, retEvento, protocoloCancelamento";

EstadoSimulador::Nota LeNota(Comando& c) {
  EstadoSimulador::Nota n;
  n.chave = c.ColTexto(0);
  n.cnpj = c.ColTexto(1);
  n.serie = c.ColInteiro(2);
  n.numero = c.ColInteiro(3);
  n.nProt = c.ColTexto(4);
  n.nRec = c.ColTexto(5);
  n.protNFe = c.ColTexto(6);
  n.cancelada = c.ColInteiro(7) != 0;
  n.evento = c.ColTexto(8);
  n.retEvento = c.ColTexto(9);
  n.protocoloCancelamento = c.ColTexto(10);
  return n;
}

}  // namespace

EstadoSimulador::EstadoSimulador(const std::filesystem::path& banco) {
  if (sqlite3_open(banco.c_str(), &db_) != SQLITE_OK) {
    std::string erro = db_ ? sqlite3_errmsg(db_) : "sem memória";
    sqlite3_close(db_);
    db_ = nullptr;
    throw std::runtime_error("simulador: não foi possível abrir " + banco.string() + ": " + erro);
  }
  sqlite3_busy_timeout(db_, 5000);
  try {
    CriaTabelas();
  } catch (...) {
    // A file that is no database: the destructor won't run, so close here.
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  }
}

void EstadoSimulador::CriaTabelas() {
  Executa(
      "CREATE TABLE IF NOT EXISTS sequencia (nome TEXT PRIMARY KEY, valor INTEGER NOT NULL);"
      "CREATE TABLE IF NOT EXISTS lote (nRec TEXT PRIMARY KEY, cUF TEXT NOT NULL, consultas INTEGER NOT NULL);"
      "CREATE TABLE IF NOT EXISTS lote_protocolo (nRec TEXT NOT NULL, ordem INTEGER NOT NULL, protNFe TEXT NOT NULL,"
      " PRIMARY KEY (nRec, ordem));"
      "CREATE TABLE IF NOT EXISTS nota (chave TEXT PRIMARY KEY, cnpj TEXT NOT NULL, serie INTEGER NOT NULL,"
      " numero INTEGER NOT NULL, nProt TEXT NOT NULL, nRec TEXT NOT NULL, protNFe TEXT NOT NULL,"
      " cancelada INTEGER NOT NULL DEFAULT 0, evento TEXT NOT NULL DEFAULT '', retEvento TEXT NOT NULL DEFAULT '',"
      " protocoloCancelamento TEXT NOT NULL DEFAULT '');"
      "CREATE INDEX IF NOT EXISTS nota_numero ON nota (cnpj, serie, numero);"
      "CREATE TABLE IF NOT EXISTS inutilizacao (cnpj TEXT NOT NULL, serie INTEGER NOT NULL, ano TEXT NOT NULL,"
      " inicio INTEGER NOT NULL, fim INTEGER NOT NULL, nProt TEXT NOT NULL);"
      "CREATE TABLE IF NOT EXISTS evento (chave TEXT NOT NULL, tpEvento TEXT NOT NULL, sequencia INTEGER NOT NULL,"
      " evento TEXT NOT NULL, retEvento TEXT NOT NULL, nProt TEXT NOT NULL, PRIMARY KEY (chave, tpEvento, sequencia));"
      "CREATE TABLE IF NOT EXISTS chamada (id INTEGER PRIMARY KEY, caminho TEXT NOT NULL, servico TEXT NOT NULL,"
      " http INTEGER NOT NULL, cStat TEXT NOT NULL);");
}

EstadoSimulador::~EstadoSimulador() { sqlite3_close(db_); }

void EstadoSimulador::Executa(const char* sql) {
  char* erro = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &erro) != SQLITE_OK) {
    std::string texto = erro ? erro : "erro";
    sqlite3_free(erro);
    throw std::runtime_error("simulador: erro no banco: " + texto);
  }
}

long long EstadoSimulador::Proximo(const std::string& sequencia) {
  Comando(db_, "INSERT INTO sequencia (nome, valor) VALUES (?1, 1)"
               " ON CONFLICT (nome) DO UPDATE SET valor = valor + 1")
      .Texto(1, sequencia)
      .Passo();
  Comando c(db_, "SELECT valor FROM sequencia WHERE nome = ?1");
  c.Texto(1, sequencia);
  c.Passo();
  return c.ColInteiro(0);
}

void EstadoSimulador::GravaLote(const Lote& lote) {
  Executa("BEGIN");
  try {
    Comando(db_, "INSERT INTO lote (nRec, cUF, consultas) VALUES (?1, ?2, 0)").Texto(1, lote.nRec).Texto(2, lote.cUF).Passo();
    for (size_t i = 0; i < lote.protocolos.size(); ++i)
      Comando(db_, "INSERT INTO lote_protocolo (nRec, ordem, protNFe) VALUES (?1, ?2, ?3)")
          .Texto(1, lote.nRec)
          .Inteiro(2, static_cast<long long>(i))
          .Texto(3, lote.protocolos[i])
          .Passo();
    Executa("COMMIT");
  } catch (...) {
    Executa("ROLLBACK");
    throw;
  }
}

std::optional<EstadoSimulador::Lote> EstadoSimulador::ConsultaLote(const std::string& nRec) {
  Comando(db_, "UPDATE lote SET consultas = consultas + 1 WHERE nRec = ?1").Texto(1, nRec).Passo();
  Comando c(db_, "SELECT cUF, consultas FROM lote WHERE nRec = ?1");
  c.Texto(1, nRec);
  if (!c.Passo()) return std::nullopt;
  Lote lote;
  lote.nRec = nRec;
  lote.cUF = c.ColTexto(0);
  lote.consultas = static_cast<int>(c.ColInteiro(1));
  Comando p(db_, "SELECT protNFe FROM lote_protocolo WHERE nRec = ?1 ORDER BY ordem");
  p.Texto(1, nRec);
  while (p.Passo()) lote.protocolos.push_back(p.ColTexto(0));
  return lote;
}

void EstadoSimulador::GravaNota(const Nota& n) {
  Comando(db_, "INSERT OR REPLACE INTO nota (chave, cnpj, serie, numero, nProt, nRec, protNFe, cancelada, evento,"
               " retEvento, protocoloCancelamento) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)")
      .Texto(1, n.chave)
      .Texto(2, n.cnpj)
      .Inteiro(3, n.serie)
      .Inteiro(4, n.numero)
      .Texto(5, n.nProt)
      .Texto(6, n.nRec)
      .Texto(7, n.protNFe)
      .Inteiro(8, n.cancelada ? 1 : 0)
      .Texto(9, n.evento)
      .Texto(10, n.retEvento)
      .Texto(11, n.protocoloCancelamento)
      .Passo();
}

std::optional<EstadoSimulador::Nota> EstadoSimulador::NotaPorChave(const std::string& chave) {
  Comando c(db_, (std::string("SELECT ") + kColunasNota + " FROM nota WHERE chave = ?1").c_str());
  c.Texto(1, chave);
  if (!c.Passo()) return std::nullopt;
  return LeNota(c);
}

std::optional<EstadoSimulador::Nota> EstadoSimulador::NotaPorNumero(const std::string& cnpj, long long serie,
                                                                     long long numero) {
  return NotaNaFaixa(cnpj, serie, numero, numero);
}

std::optional<EstadoSimulador::Nota> EstadoSimulador::NotaNaFaixa(const std::string& cnpj, long long serie,
                                                                   long long inicio, long long fim) {
  Comando c(db_, (std::string("SELECT ") + kColunasNota +
                  " FROM nota WHERE cnpj = ?1 AND serie = ?2 AND numero BETWEEN ?3 AND ?4 ORDER BY numero LIMIT 1")
                     .c_str());
  c.Texto(1, cnpj).Inteiro(2, serie).Inteiro(3, inicio).Inteiro(4, fim);
  if (!c.Passo()) return std::nullopt;
  return LeNota(c);
}

void EstadoSimulador::GravaCancelamento(const std::string& chave, const std::string& evento,
                                        const std::string& retEvento, const std::string& nProt) {
  Comando(db_, "UPDATE nota SET cancelada = 1, evento = ?2, retEvento = ?3, protocoloCancelamento = ?4"
               " WHERE chave = ?1")
      .Texto(1, chave)
      .Texto(2, evento)
      .Texto(3, retEvento)
      .Texto(4, nProt)
      .Passo();
}

void EstadoSimulador::GravaEvento(const std::string& chave, const std::string& tpEvento, long long sequencia,
                                  const std::string& evento, const std::string& retEvento, const std::string& nProt) {
  Comando(db_, "INSERT INTO evento (chave, tpEvento, sequencia, evento, retEvento, nProt) VALUES (?1, ?2, ?3, ?4, ?5, ?6)")
      .Texto(1, chave)
      .Texto(2, tpEvento)
      .Inteiro(3, sequencia)
      .Texto(4, evento)
      .Texto(5, retEvento)
      .Texto(6, nProt)
      .Passo();
}

bool EstadoSimulador::EventoRegistrado(const std::string& chave, const std::string& tpEvento, long long sequencia) {
  Comando c(db_, "SELECT 1 FROM evento WHERE chave = ?1 AND tpEvento = ?2 AND sequencia = ?3");
  c.Texto(1, chave).Texto(2, tpEvento).Inteiro(3, sequencia);
  return c.Passo();
}

std::optional<std::string> EstadoSimulador::Evento(const std::string& chave, const std::string& tpEvento,
                                                   long long sequencia) {
  Comando c(db_, "SELECT evento FROM evento WHERE chave = ?1 AND tpEvento = ?2 AND sequencia = ?3");
  c.Texto(1, chave).Texto(2, tpEvento).Inteiro(3, sequencia);
  if (!c.Passo()) return std::nullopt;
  return c.ColTexto(0);
}

void EstadoSimulador::GravaChamada(const Chamada& chamada) {
  Comando(db_, "INSERT INTO chamada (caminho, servico, http, cStat) VALUES (?1, ?2, ?3, ?4)")
      .Texto(1, chamada.caminho)
      .Texto(2, chamada.servico)
      .Inteiro(3, chamada.http)
      .Texto(4, chamada.cStat)
      .Passo();
}

std::vector<EstadoSimulador::Chamada> EstadoSimulador::Chamadas() {
  Comando c(db_, "SELECT caminho, servico, http, cStat FROM chamada ORDER BY id");
  std::vector<Chamada> chamadas;
  while (c.Passo()) chamadas.push_back({c.ColTexto(0), c.ColTexto(1), static_cast<int>(c.ColInteiro(2)), c.ColTexto(3)});
  return chamadas;
}

bool EstadoSimulador::FaixaInutilizada(const std::string& cnpj, long long serie, long long inicio, long long fim) {
  Comando c(db_, "SELECT 1 FROM inutilizacao WHERE cnpj = ?1 AND serie = ?2 AND inicio = ?3 AND fim = ?4");
  c.Texto(1, cnpj).Inteiro(2, serie).Inteiro(3, inicio).Inteiro(4, fim);
  return c.Passo();
}

bool EstadoSimulador::FaixaSobreposta(const std::string& cnpj, long long serie, long long inicio, long long fim) {
  Comando c(db_, "SELECT 1 FROM inutilizacao WHERE cnpj = ?1 AND serie = ?2 AND inicio <= ?4 AND fim >= ?3");
  c.Texto(1, cnpj).Inteiro(2, serie).Inteiro(3, inicio).Inteiro(4, fim);
  return c.Passo();
}

void EstadoSimulador::GravaInutilizacao(const std::string& cnpj, long long serie, const std::string& ano,
                                        long long inicio, long long fim, const std::string& nProt) {
  Comando(db_, "INSERT INTO inutilizacao (cnpj, serie, ano, inicio, fim, nProt) VALUES (?1, ?2, ?3, ?4, ?5, ?6)")
      .Texto(1, cnpj)
      .Inteiro(2, serie)
      .Texto(3, ano)
      .Inteiro(4, inicio)
      .Inteiro(5, fim)
      .Texto(6, nProt)
      .Passo();
}

}  // namespace velant::autoridade
