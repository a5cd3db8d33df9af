#pragma once
// The Host's configuration: set once at start-up, then only read (the
// routines get it const through Contexto).
#include <cstdint>
#include <string>

namespace velant {

struct ConfiguracaoHost {
  std::string VersaoSistema = "6.07.01.1";
  std::string CaminhoIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";
  std::string IPProcessamento;
  // This run of the Host, as its claims and its heartbeat name it (a new
  // number at every start); 0 for the programs that claim nothing.
  int64_t IdHost = 0;
  // Dialect switches of the SQL value formatting; start-up sets SQL Server,
  // the database kind then sets its own.
  bool BancoAccess = false;
  bool BancoSqlServer = true;
  bool BancoSqlite = false;
  bool BancoPostgreSql = false;

  // How the queue is served (registry values IntervaloConsulta,
  // AtenderEmSequencia and Trabalhadores). All absent: one request per tick,
  // a tick each second, on the main thread.
  int IntervaloConsultaMs = 1000;
  bool AtenderEmSequencia = false;
  int Trabalhadores = 1;
  // Any of the three present: the queue is served by worker threads, never
  // on the operator interface's.
  bool AtendimentoPorTrabalhadores = false;
};

}  // namespace velant
