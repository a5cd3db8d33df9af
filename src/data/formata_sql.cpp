#include "data/formata_sql.h"

#include <cstdio>

#include "base/data_hora.h"
#include "base/regional.h"
#include "base/texto.h"
#include "base/valor.h"
#include "contexto/configuracao_host.h"

namespace velant::data {

namespace {

enum class Forma { Access, Sqlite, PostgreSql, SqlServer, Nenhuma };

Forma FormaDoEstado(const ConfiguracaoHost& e) {
  if (e.BancoAccess) return Forma::Access;
  if (e.BancoSqlite) return Forma::Sqlite;
  if (e.BancoPostgreSql) return Forma::PostgreSql;
  if (e.BancoSqlServer) return Forma::SqlServer;
  return Forma::Nenhuma;
}

std::string Texto(const Valor& v) { return v.ETexto() ? v.ComoTexto() : CStr(v); }

// False for the values written as Null: the zero date-time, whose text form is "00:00:00".
bool DataHoraDoValor(const Valor& v, DataHora& dh) {
  if (v.ENulo() || v.EVazio()) return false;
  if (const DataHora* d = AcessoValor::Se<DataHora>(v)) {
    dh = *d;
    return !d->Zero();
  }
  if (v.ETexto() && v.ComoTexto() == "00:00:00") return false;
  dh = CDate(v);
  return true;
}

std::string LiteralData(const Valor& v, Forma f) {
  DataHora d;
  if (!DataHoraDoValor(v, d)) return "Null";
  const std::string iso = Format(Valor(d.SoData()), "yyyy-mm-dd");
  const std::string aaaa = iso.substr(0, 4), mm = iso.substr(5, 2), dd = iso.substr(8, 2);
  switch (f) {
    case Forma::Access: return "#" + mm + "/" + dd + "/" + aaaa + "#";
    case Forma::Sqlite: return "'" + aaaa + "-" + mm + "-" + dd + "'";
    case Forma::PostgreSql: return "DATE '" + aaaa + "-" + mm + "-" + dd + "'";
    default: return "'" + dd + "/" + mm + "/" + aaaa + "'";
  }
}

std::string LiteralHora(const Valor& v, Forma f) {
  DataHora d;
  if (!DataHoraDoValor(v, d)) return "Null";
  // Always ':' between the parts, whatever the regional time separator.
  const std::string hora = Replace(Format(Valor(d.SoHora()), "HH:mm:ss"), Regional().separadorHora, ":");
  switch (f) {
    case Forma::Access: return "#" + hora + "#";
    case Forma::PostgreSql: return "TIME '" + hora + "'";
    default: return "'" + hora + "'";
  }
}

template <class Literal>
void Formata(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
             const Valor& pSegundo, Literal literal) {
  Forma f = FormaDoEstado(estado);
  if (f == Forma::Nenhuma) return;
  if (modo == 1) {
    TextoSQL += literal(pPrimeiro, f);
    TextoSQL += Texto(pSegundo);
  } else if (modo == 2) {
    TextoSQL += Texto(pPrimeiro);
    TextoSQL += literal(pSegundo, f);
  }
}

}  // namespace

void FormataSQLData(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
                    const Valor& pSegundo) {
  Formata(TextoSQL, estado, modo, pPrimeiro, pSegundo, LiteralData);
}

void FormataSQLHora(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
                    const Valor& pSegundo) {
  Formata(TextoSQL, estado, modo, pPrimeiro, pSegundo, LiteralHora);
}

void FormataSQLNumero(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
                      const Valor& pSegundo) {
  Formata(TextoSQL, estado, modo, pPrimeiro, pSegundo,
          [](const Valor& v, Forma) { return std::to_string(CLng(v)); });
}

void FormataSQLTexto(std::string& TextoSQL, const ConfiguracaoHost& estado, int modo, const Valor& pPrimeiro,
                     const Valor& pSegundo) {
  Formata(TextoSQL, estado, modo, pPrimeiro, pSegundo,
          [](const Valor& v, Forma) { return EntreAspas(DuplicaAspas(Texto(v))); });
}

std::string DuplicaAspas(const std::string& pTexto) {
  std::string r;
  r.reserve(pTexto.size() + 4);
  for (char c : pTexto) {
    r += c;
    if (c == '\'') r += '\'';
  }
  return r;
}

std::string EntreAspas(const std::string& pTexto) {
  std::string r;
  r.reserve(pTexto.size() + 2);
  r += '\'';
  r += pTexto;
  r += '\'';
  return r;
}

}  // namespace velant::data
