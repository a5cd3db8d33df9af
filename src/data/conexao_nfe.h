#pragma once
// CConexaoNfe: reads section "SGBD" of the INI file, builds the connection
// string of the configured database kind and opens its own connection and
// the shared one (ConexaoCompartilhada, used by the request queue record).
// Statements are written in the SQL Server form; the driver's dialect
// adapts them (see dialeto_sql.h).
//
// A connection that is closed or lost (server restarted, backend killed,
// SQLite file unreadable at start) is opened again before the next
// statement that needs it; while that keeps failing, attempts are spaced
// out (1 s, doubling up to 8 s), so a database that is down costs little.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "data/dialeto_sql.h"
#include "data/recordset.h"

namespace velant {
class PerfilIni;
class MapeadorCaminhos;
class InterfaceOperador;
}  // namespace velant

namespace velant::data {

inline constexpr const char* kCaminhoIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";

class ConexaoDriver;   // one open database connection (SQLite, PostgreSQL)

// Whether opening may create the SQLite file (with its folders and tables)
// and bring the tables of an existing database (SQLite or PostgreSQL) up to
// this version. Commands that only read use SoExistente: they never create
// or change anything.
enum class ModoAbertura { CriarSeFaltar, SoExistente };

// Spacing of the attempts to open a connection again while they fail.
struct EsperaReconexao {
  std::chrono::milliseconds primeira{1000};
  std::chrono::milliseconds maxima{8000};
};

class CConexaoNfe {
 public:
  // Initialisation: reads the keys, builds the connection string, opens both
  // connections. Errors end it silently; ConexaoAtiva() then reports false.
  // A new SQLite file gets the tables of the system.
  CConexaoNfe(const PerfilIni& ini, const MapeadorCaminhos& caminhos, InterfaceOperador& ui);
  // The same, reading another INI file (tests, tools).
  CConexaoNfe(const PerfilIni& ini, const MapeadorCaminhos& caminhos, InterfaceOperador& ui,
              const std::string& arquivoIni, ModoAbertura modo = ModoAbertura::CriarSeFaltar);
  virtual ~CConexaoNfe();
  CConexaoNfe(const CConexaoNfe&) = delete;
  CConexaoNfe& operator=(const CConexaoNfe&) = delete;

  const std::string& IP() const { return mIP; }
  const std::string& Porta() const { return mPorta; }
  const std::string& ConnectionString() const { return mConnectionString; }
  // The kind as configured ("SQLITE", "POSTGRESQL", ...), and the dialect its driver speaks.
  const std::string& TipoBanco() const { return mTipo; }
  DialetoSql Dialeto() const;
  // Why nothing is open, as a log line for start-up; empty when both connections opened.
  const std::string& ErroAbertura() const { return mErroAbertura; }
  // Why the last attempt to open a connection failed; empty once one succeeded.
  virtual const std::string& MotivoFalha() const { return mMotivoFalha; }

  // Opens again whichever connection is closed or lost, unless the last
  // failed attempt is too recent. True when both are open.
  bool Reconecta();
  void DefinirEsperaReconexao(EsperaReconexao espera) { mEspera = espera; }

  // Where the errors that no caller gets are logged (closing on the way out,
  // a failed state check): one line each. Without one, the standard error.
  using AvisoFalha = std::function<void(const std::string& linha)>;
  void DefinirAvisoFalha(AvisoFalha aviso) { mAvisoFalha = std::move(aviso); }

  // A record set opened on pSQL (client side, read only). On error: a
  // message box "<number> - <description>" and a closed record set.
  virtual std::unique_ptr<Recordset> RsConexao(const std::string& pSQL);
  // Rows affected; on error a message box and 0.
  virtual int32_t ExecutaSql(const std::string& pSQL);
  virtual bool ConexaoAtiva();
  virtual void IniciaTransacao();
  virtual void CancelaTransacao();
  virtual void ConfirmaTransacao();

  // The shared connection, for the request queue record; nullptr when closed.
  ConexaoDriver* ConexaoCompartilhada();
  // The class's own connection (Conexao); nullptr when closed.
  ConexaoDriver* Conexao();

 protected:
  explicit CConexaoNfe(InterfaceOperador& ui);   // for test doubles: opens nothing
  // "<number> - <description>" in a message box with an OK button.
  void MostraErro(int numero, const std::string& descricao);

  InterfaceOperador& ui_;
  std::string mIP;
  std::string mPorta;
  std::string mConnectionString;
  std::string mTipo;
  std::string mErroAbertura;
  bool mAccess = false, mMySQL = false, mSQLServer = false, mOracle = false;
  bool mSQLite = false, mPostgreSQL = false;
  std::unique_ptr<ConexaoDriver> mConexao;
  std::unique_ptr<ConexaoDriver> mConexaoCompartilhada;

 private:
  using Relogio = std::chrono::steady_clock;
  // Opens one new connection (the class's own one also gets the tables when
  // it may create them); empty for the kinds without a driver and for test doubles.
  std::function<std::unique_ptr<ConexaoDriver>(bool propria)> mAbre;
  std::string mMotivoFalha;
  EsperaReconexao mEspera;
  std::chrono::milliseconds mEsperaAtual{0};
  Relogio::time_point mProximaTentativa{};
  void Avisa(const std::string& linha) const;
  AvisoFalha mAvisoFalha;
  // A shared connection lost inside a transaction is not replaced until the
  // transaction is ended: its statements must not go on outside it.
  bool mEmTransacao = false;
};

}  // namespace velant::data
