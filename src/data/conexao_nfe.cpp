#include "data/conexao_nfe.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <limits>

#include "base/caminhos.h"
#include "base/erro.h"
#include "data/conexao_driver.h"
#include "data/conexao_postgresql.h"
#include "data/conexao_sqlite.h"
#include "data/configuracao_banco.h"
#include "data/documentos_nfe.h"
#include "data/esquema_banco.h"
#include "plataforma/perfil_ini.h"
#include "ui/interface_operador.h"

namespace velant::data {

namespace {

// Installations that never set a login of their own keep working with this one.
constexpr const char* kUsuarioSqlServer = "sa";
constexpr const char* kSenhaSqlServer = "mirtalo41";

}  // namespace

CConexaoNfe::CConexaoNfe(InterfaceOperador& ui) : ui_(ui) {}

CConexaoNfe::CConexaoNfe(const PerfilIni& ini, const MapeadorCaminhos& caminhos, InterfaceOperador& ui)
    : CConexaoNfe(ini, caminhos, ui, kCaminhoIni) {}

CConexaoNfe::CConexaoNfe(const PerfilIni& ini, const MapeadorCaminhos& caminhos, InterfaceOperador& ui,
                         const std::string& arquivoIni, ModoAbertura modo)
    : ui_(ui) {
  ConfiguracaoBanco cfg = LerConfiguracaoBanco(ini, arquivoIni);
  mIP = cfg.ip;
  mPorta = cfg.porta;
  mTipo = cfg.tipo;
  mAccess = cfg.tipo == "ACCESS";
  mMySQL = cfg.tipo == "MYSQL";
  mSQLServer = cfg.tipo == "SQLSERVER";
  mOracle = cfg.tipo == "ORACLE";
  mSQLite = cfg.tipo == "SQLITE";
  mPostgreSQL = cfg.tipo == "POSTGRESQL";

  ParametrosPostgreSql pg;
  if (mAccess) {
    mConnectionString = std::string("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=") +
                        "C:" + "\\teste\\" + "teste.mdb";
  } else if (mSQLServer) {
    const bool loginProprio = !cfg.usuario.empty();
    mConnectionString = "PROVIDER=SQLOLEDB.1;DATA SOURCE=" + mIP + "," + mPorta + ";INITIAL CATALOG=" +
                        cfg.NomeBanco() + ";USER ID=" + (loginProprio ? cfg.usuario : kUsuarioSqlServer) +
                        ";PASSWORD=" + (loginProprio ? cfg.senha : kSenhaSqlServer) + ";";
  } else if (mSQLite) {
    mConnectionString = "Data Source=" + cfg.ArquivoSqlite() + ";";
  } else if (mPostgreSQL) {
    pg = ParametrosDoBanco(cfg);
    // The password stays out of the text, which start-up may log.
    mConnectionString = "Host=" + pg.host + ";Port=" + pg.porta + ";Database=" + pg.banco +
                        (pg.usuario.empty() ? std::string() : ";User ID=" + pg.usuario) + ";";
  }

  if (!TipoBancoComDriver(mTipo)) {
    mErroAbertura = LinhaLogTipoBanco(mTipo);
    mMotivoFalha = mErroAbertura;
    return;
  }
  if (mSQLite) {
    const std::string arquivoWindows = cfg.ArquivoSqlite();
    mAbre = [caminhos, arquivoWindows, modo](bool propria) -> std::unique_ptr<ConexaoDriver> {
      if (modo == ModoAbertura::SoExistente) {
        return std::make_unique<ConexaoSqlite>(caminhos.Mapear(arquivoWindows), 15000, false);
      }
      auto conexao = std::make_unique<ConexaoSqlite>(caminhos.MapearParaGravar(arquivoWindows));
      if (propria) CriarEsquema(*conexao, DialetoSql::Sqlite);
      return conexao;
    };
  } else {
    mAbre = [pg, modo](bool propria) -> std::unique_ptr<ConexaoDriver> {
      auto conexao = std::make_unique<ConexaoPostgreSql>(pg);
      // A database of an earlier version gets this version's tables and columns.
      if (propria && modo == ModoAbertura::CriarSeFaltar) {
        AtualizarEsquema(*conexao, DialetoSql::PostgreSql);
        GarantirTabelaDocumentos(*conexao, DialetoSql::PostgreSql);
      }
      return conexao;
    };
  }
  if (!Reconecta()) mErroAbertura = mMotivoFalha;
}

static bool Aberto(const std::unique_ptr<ConexaoDriver>& c) { return c && c->Aberta(); }

bool CConexaoNfe::Reconecta() {
  const bool propria = Aberto(mConexao);
  const bool compartilhada = Aberto(mConexaoCompartilhada);
  if (propria && compartilhada) return true;
  if (!mAbre) return false;
  const auto agora = Relogio::now();
  if (agora < mProximaTentativa) return false;
  try {
    if (!propria) {
      mConexao.reset();
      mConexao = mAbre(true);
    }
    if (!compartilhada && !mEmTransacao) {
      mConexaoCompartilhada.reset();
      mConexaoCompartilhada = mAbre(false);
    }
    mMotivoFalha.clear();
    mEsperaAtual = std::chrono::milliseconds(0);
    mProximaTentativa = {};
    return Aberto(mConexao) && Aberto(mConexaoCompartilhada);
  } catch (const ErroExecucao& e) {
    mMotivoFalha = "Banco de dados " + mTipo + ": nenhuma conexão aberta: " + e.Descricao();
  } catch (const std::exception& e) {
    mMotivoFalha = "Banco de dados " + mTipo + ": nenhuma conexão aberta: " + e.what();
  }
  mEsperaAtual = mEsperaAtual.count() == 0 ? mEspera.primeira : std::min(mEsperaAtual * 2, mEspera.maxima);
  mProximaTentativa = agora + mEsperaAtual;
  return false;
}

CConexaoNfe::~CConexaoNfe() {
  // Nothing to do about it on the way out but say so.
  try {
    if (mConexao) mConexao->Fechar();
    if (mConexaoCompartilhada) mConexaoCompartilhada->Fechar();
  } catch (const std::exception& e) {
    Avisa("     ** Erro na Rotina: CConexaoNfe.Terminate - " + DescricaoErro(e));
  } catch (...) {
    Avisa("     ** Erro na Rotina: CConexaoNfe.Terminate - erro desconhecido ao fechar as conexões");
  }
}

void CConexaoNfe::Avisa(const std::string& linha) const {
  if (mAvisoFalha) {
    try {
      mAvisoFalha(linha);
      return;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s (log indisponível: %s)\n", linha.c_str(), e.what());
      return;
    } catch (...) {   // the line below still says what failed
    }
  }
  std::fprintf(stderr, "%s\n", linha.c_str());
}

DialetoSql CConexaoNfe::Dialeto() const {
  if (mSQLite) return DialetoSql::Sqlite;
  if (mPostgreSQL) return DialetoSql::PostgreSql;
  if (mAccess) return DialetoSql::Access;
  return DialetoSql::SqlServer;
}

ConexaoDriver* CConexaoNfe::ConexaoCompartilhada() {
  if (!Aberto(mConexaoCompartilhada)) Reconecta();
  return Aberto(mConexaoCompartilhada) ? mConexaoCompartilhada.get() : nullptr;
}

ConexaoDriver* CConexaoNfe::Conexao() {
  if (!Aberto(mConexao)) Reconecta();
  return Aberto(mConexao) ? mConexao.get() : nullptr;
}

static void MostraErroEm(InterfaceOperador& ui, int numero, const std::string& descricao) {
  ui.MsgBox(std::to_string(numero) + " - " + descricao, vbOKOnly);
}

// Runs f; an error is shown in a message box. False when it failed.
template <class F>
static bool ComMensagem(InterfaceOperador& ui, F f) {
  try {
    f();
    return true;
  } catch (const ErroExecucao& e) {
    MostraErroEm(ui, e.Numero(), e.Descricao());
  } catch (const std::exception& e) {
    MostraErroEm(ui, static_cast<int>(CodigoErro::ErroBanco), e.what());
  }
  return false;
}

void CConexaoNfe::MostraErro(int numero, const std::string& descricao) { MostraErroEm(ui_, numero, descricao); }

static ConexaoDriver& Exige(ConexaoDriver* c) {
  if (c == nullptr) Levanta(CodigoErro::ObjetoFechado);
  return *c;
}

std::unique_ptr<Recordset> CConexaoNfe::RsConexao(const std::string& pSQL) {
  auto rs = std::make_unique<Recordset>();
  ComMensagem(ui_, [&] { *rs = Exige(Conexao()).Consultar(pSQL); });
  return rs;
}

int32_t CConexaoNfe::ExecutaSql(const std::string& pSQL) {
  int64_t linhas = 0;
  ComMensagem(ui_, [&] { linhas = Exige(Conexao()).Executar(pSQL); });
  if (linhas > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(linhas);
}

bool CConexaoNfe::ConexaoAtiva() {
  try {
    return ConexaoCompartilhada() != nullptr;
  } catch (const std::exception& e) {
    Avisa("     ** Erro na Rotina: ConexaoAtiva - " + DescricaoErro(e));
  } catch (...) {
    Avisa("     ** Erro na Rotina: ConexaoAtiva - erro desconhecido ao verificar a conexão");
  }
  return false;
}

void CConexaoNfe::IniciaTransacao() {
  ComMensagem(ui_, [&] {
    Exige(ConexaoCompartilhada()).IniciarTransacao();
    mEmTransacao = true;
  });
}

// The end of a transaction goes to the connection it began on, never to a
// new one, where a COMMIT would report success for statements that were lost.
void CConexaoNfe::CancelaTransacao() {
  ConexaoDriver* c = Aberto(mConexaoCompartilhada) ? mConexaoCompartilhada.get() : nullptr;
  mEmTransacao = false;
  ComMensagem(ui_, [&] { Exige(c).CancelarTransacao(); });
}

void CConexaoNfe::ConfirmaTransacao() {
  ConexaoDriver* c = Aberto(mConexaoCompartilhada) ? mConexaoCompartilhada.get() : nullptr;
  mEmTransacao = false;
  ComMensagem(ui_, [&] { Exige(c).ConfirmarTransacao(); });
}

}  // namespace velant::data
