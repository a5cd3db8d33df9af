#include "data/conexao_postgresql.h"

#include <libpq-fe.h>

#include <poll.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "base/currency.h"
#include "base/erro.h"
#include "data/configuracao_banco.h"
#include "data/data_hora_banco.h"
#include "data/dialeto_sql.h"

namespace velant::data {

namespace {

struct LiberaResultado {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Resultado = std::unique_ptr<PGresult, LiberaResultado>;

// Type identifiers of the built-in types (pg_type.oid).
enum : Oid {
  kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26, kFloat4 = 700, kFloat8 = 701,
  kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestampTz = 1184,
  kNumeric = 1700,
};

std::string SemQuebraFinal(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

[[noreturn]] void LevantaPg(const std::string& texto) {
  throw ErroExecucao(CodigoErro::ErroBanco, SemQuebraFinal(texto));
}

void SemAvisos(void*, const char*) {}   // CREATE ... IF NOT EXISTS notices are expected

DefinicaoCampo Definicao(const PGresult* r, int i) {
  DefinicaoCampo d;
  d.nome = PQfname(r, i);
  switch (PQftype(r, i)) {
    case kBool: d.tipo = adBoolean; break;
    case kInt2: d.tipo = adSmallInt; break;
    case kInt4: case kOid: d.tipo = adInteger; break;
    case kInt8: d.tipo = adBigInt; break;
    case kFloat4: case kFloat8: d.tipo = adDouble; break;
    case kNumeric: d.tipo = adCurrency; break;
    case kDate: d.tipo = adDBDate; break;
    case kTime: d.tipo = adDBTime; break;
    case kTimestamp: case kTimestampTz: d.tipo = adDate; break;
    case kText: case kVarchar: case kBpchar:
      d.tipo = adVarChar;
      if (PQfmod(r, i) > 4) d.tamanho = PQfmod(r, i) - 4;   // the type modifier holds n + 4
      break;
    default: d.tipo = adVarChar; break;
  }
  return d;
}

Valor LerColuna(const PGresult* r, int linha, int i, const DefinicaoCampo& d) {
  if (PQgetisnull(r, linha, i)) return Valor::Nulo();
  std::string texto(PQgetvalue(r, linha, i), static_cast<size_t>(PQgetlength(r, linha, i)));
  switch (d.tipo) {
    case adBoolean: return Valor(texto == "t");
    case adSmallInt: return Valor(static_cast<int16_t>(std::strtol(texto.c_str(), nullptr, 10)));
    case adInteger: return Valor(static_cast<int32_t>(std::strtol(texto.c_str(), nullptr, 10)));
    case adBigInt: return Valor(static_cast<int64_t>(std::strtoll(texto.c_str(), nullptr, 10)));
    case adDouble: return Valor(std::strtod(texto.c_str(), nullptr));
    case adCurrency:
      try {
        return Valor(Currency::DeTextoInvariante(texto));
      } catch (const ErroExecucao&) {   // more than Currency holds
        return Valor(std::strtod(texto.c_str(), nullptr));
      }
    case adDBDate: case adDBTime: case adDate: {
      DataHora dh;
      if (LerDataHoraBanco(texto, dh)) return Valor(dh);
      return Valor(std::move(texto));
    }
    default: return Valor(std::move(texto));
  }
}

}  // namespace

ParametrosPostgreSql ParametrosDoBanco(const ConfiguracaoBanco& cfg) {
  ParametrosPostgreSql p;
  p.host = cfg.ip;
  p.porta = cfg.porta.empty() ? "5432" : cfg.porta;
  p.banco = cfg.NomeBanco();
  p.usuario = cfg.usuario;
  p.senha = cfg.senha;
  return p;
}

ConexaoPostgreSql::ConexaoPostgreSql(const ParametrosPostgreSql& p) {
  std::vector<const char*> chaves;
  std::vector<const char*> valores;
  std::string espera = std::to_string(p.esperaSegundos);
  auto poe = [&](const char* chave, const std::string& valor) {
    if (!valor.empty()) {
      chaves.push_back(chave);
      valores.push_back(valor.c_str());
    }
  };
  poe("host", p.host);
  poe("port", p.porta);
  poe("dbname", p.banco);
  poe("user", p.usuario);
  poe("password", p.senha);
  poe("connect_timeout", espera);
  chaves.push_back("client_encoding");
  valores.push_back("UTF8");
  chaves.push_back("application_name");
  valores.push_back("velantnfe");
  // Backslashes in a literal are plain characters only with this setting;
  // a server or database configured otherwise would let a value written
  // with doubled quotes alone end its literal. Set at the start of every session.
  chaves.push_back("options");
  valores.push_back("-c standard_conforming_strings=on");
  chaves.push_back(nullptr);
  valores.push_back(nullptr);
  conn_ = PQconnectdbParams(chaves.data(), valores.data(), 0);
  if (conn_ == nullptr || PQstatus(conn_) != CONNECTION_OK) {
    std::string texto = conn_ != nullptr ? PQerrorMessage(conn_) : "sem memória";
    Fechar();
    LevantaPg("Não foi possível conectar ao PostgreSQL: " + texto);
  }
  PQsetNoticeProcessor(conn_, &SemAvisos, nullptr);
  const char* literais = PQparameterStatus(conn_, "standard_conforming_strings");
  if (literais == nullptr || std::string(literais) != "on") {
    Fechar();
    LevantaPg("O servidor PostgreSQL não aceitou standard_conforming_strings=on: conexão recusada");
  }
  // The routines write dates as 'dd/mm/yyyy'; results come back as ISO texts.
  Executar("SET DateStyle = 'ISO, DMY'");
}

ConexaoPostgreSql::~ConexaoPostgreSql() { Fechar(); }

void ConexaoPostgreSql::Fechar() {
  if (conn_ != nullptr) {
    PQfinish(conn_);
    conn_ = nullptr;
  }
}

// A server that stopped or ended this backend has sent its farewell and
// closed the socket; reading what is pending (never blocking: the message,
// then the end of the stream) notices it now, before a statement is sent
// into a connection that is already gone.
bool ConexaoPostgreSql::Aberta() const {
  if (conn_ == nullptr) return false;
  for (int leitura = 0; leitura < 3 && PQstatus(conn_) == CONNECTION_OK &&
                        PQtransactionStatus(conn_) == PQTRANS_IDLE;
       ++leitura) {
    if (PQconsumeInput(conn_) == 0) break;
  }
  return PQstatus(conn_) == CONNECTION_OK;
}

bool ConexaoPostgreSql::AguardaAviso(std::chrono::milliseconds limite) {
  if (conn_ == nullptr) Levanta(CodigoErro::ObjetoFechado);
  bool chegou = false;
  const auto colhe = [&] {
    if (PQconsumeInput(conn_) == 0 || PQstatus(conn_) != CONNECTION_OK)
      LevantaPg(std::string("Conexão com o PostgreSQL perdida: ") + PQerrorMessage(conn_));
    while (PGnotify* aviso = PQnotifies(conn_)) {
      chegou = true;
      PQfreemem(aviso);
    }
  };
  colhe();
  if (chegou) return true;
  pollfd espera{PQsocket(conn_), POLLIN, 0};
  if (espera.fd < 0) LevantaPg("Conexão com o PostgreSQL perdida");
  if (::poll(&espera, 1, static_cast<int>(limite.count())) > 0) colhe();
  return chegou;
}

// One statement per call: the extended protocol refuses a text with a
// second one. A lost connection stays lost (Aberta() false); the owner opens a new one.
static PGresult* Roda(pg_conn* conn, const std::string& sql) {
  if (conn == nullptr) Levanta(CodigoErro::ObjetoFechado);
  return PQexecParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
}

int64_t ConexaoPostgreSql::Executar(const std::string& sql) {
  Resultado r(Roda(conn_, AdaptaSql(sql, DialetoSql::PostgreSql)));
  ExecStatusType st = PQresultStatus(r.get());
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) LevantaPg(r ? PQresultErrorMessage(r.get()) : PQerrorMessage(conn_));
  const char* n = PQcmdTuples(r.get());
  return (n != nullptr && *n != '\0') ? std::strtoll(n, nullptr, 10) : 0;
}

Recordset ConexaoPostgreSql::Consultar(const std::string& sql) {
  Resultado r(Roda(conn_, AdaptaSql(sql, DialetoSql::PostgreSql)));
  ExecStatusType st = PQresultStatus(r.get());
  if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK) LevantaPg(r ? PQresultErrorMessage(r.get()) : PQerrorMessage(conn_));
  int ncol = PQnfields(r.get());
  int nlin = PQntuples(r.get());
  std::vector<DefinicaoCampo> campos;
  campos.reserve(static_cast<size_t>(ncol));
  for (int i = 0; i < ncol; ++i) campos.push_back(Definicao(r.get(), i));
  std::vector<std::vector<Valor>> linhas;
  linhas.reserve(static_cast<size_t>(nlin));
  for (int l = 0; l < nlin; ++l) {
    std::vector<Valor> registro;
    registro.reserve(static_cast<size_t>(ncol));
    for (int i = 0; i < ncol; ++i) registro.push_back(LerColuna(r.get(), l, i, campos[static_cast<size_t>(i)]));
    linhas.push_back(std::move(registro));
  }
  Recordset rs;
  rs.AbrirComResultado(std::move(campos), std::move(linhas));
  return rs;
}

void ConexaoPostgreSql::ExecutarScript(const std::string& script) {
  // Several statements in one simple query run as one transaction.
  if (conn_ == nullptr) Levanta(CodigoErro::ObjetoFechado);
  Resultado r(PQexec(conn_, script.c_str()));
  ExecStatusType st = PQresultStatus(r.get());
  if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) LevantaPg(r ? PQresultErrorMessage(r.get()) : PQerrorMessage(conn_));
}

void ConexaoPostgreSql::IniciarTransacao() { Executar("BEGIN"); }
void ConexaoPostgreSql::ConfirmarTransacao() { Executar("COMMIT"); }
void ConexaoPostgreSql::CancelarTransacao() { Executar("ROLLBACK"); }

}  // namespace velant::data
