#include "apoio_dados.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "base/erro.h"
#include "base/regional.h"
#include "data/esquema_banco.h"

namespace velant::data::teste {

namespace fs = std::filesystem;

// The CTest fixture starts the server and names its state folder.
std::string PortaPostgreSqlTeste() {
  const char* estado = std::getenv("VELANT_PG_ESTADO");
  if (estado == nullptr) throw std::runtime_error("sem VELANT_PG_ESTADO: rode pelo ctest, que inicia o PostgreSQL");
  return std::to_string(std::stoi(velant::teste::LerTudo(fs::path(estado) / "porta")));   // no port: stoi raises
}

ParametrosPostgreSql ParametrosServidor(const std::string& banco) {
  return ParametrosPostgreSql{.host = "127.0.0.1", .porta = PortaPostgreSqlTeste(), .banco = banco, .usuario = "postgres", .senha = "", .esperaSegundos = 10};
}

BancoPostgreSqlTeste::BancoPostgreSqlTeste() {
  static std::atomic<int> contador{0};
  sufixo = "_t" + std::to_string(getpid()) + "_" + std::to_string(contador++);
  ConexaoPostgreSql(ParametrosServidor("postgres")).Executar("CREATE DATABASE " + Nome());
}

BancoPostgreSqlTeste::~BancoPostgreSqlTeste() {
  try {
    ConexaoPostgreSql(ParametrosServidor("postgres")).Executar("DROP DATABASE IF EXISTS " + Nome() + " WITH (FORCE)");
  } catch (...) {   // the server goes away with the fixture anyway
  }
}

void RaizTeste::Grava(const std::string& chave, const std::string& valor) const {
  ini.GravarIni(kSecaoBanco, chave, valor, kCaminhoIni);
}

void RaizTeste::ConfiguraPostgreSql(const BancoPostgreSqlTeste& banco) const {
  Grava(kChaveTipoBanco, "POSTGRESQL");
  Grava(kChaveIPBanco, "127.0.0.1");
  Grava(kChavePortaBanco, PortaPostgreSqlTeste());
  Grava(kChaveNomeInterno, banco.sufixo);
  Grava(kChaveUsuarioBanco, "postgres");
}

INSTANTIATE_TEST_SUITE_P(Motores, NoBanco, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

BancoAberto::BancoAberto(Motor motor) {
  if (motor == Motor::PostgreSql) pg = std::make_unique<BancoPostgreSqlTeste>();
  pg ? raiz.ConfiguraPostgreSql(*pg) : raiz.ConfiguraSqlite();
  conexao = raiz.Conecta();
  if (!conexao->ConexaoAtiva()) throw std::runtime_error("banco de teste fechado: " + conexao->ErroAbertura());
  if (motor == Motor::PostgreSql) CriarEsquema(*conexao->Conexao(), DialetoSql::PostgreSql);
  DefineDialetoBanco(host, conexao->TipoBanco());
}

bool BancoAberto::Inclui(int32_t nsu, const std::string& ip) {
  cSolicitacaoFuncaoNFe ac(*conexao, host, raiz.ui);
  ac.NSU(nsu); ac.NumeroControleSolicitacao(nsu * 10); ac.DataSolicitacao(DataHora::De(2026, 12, 5));
  ac.HoraSolicitacao(DataHora::Hora(8, 0, 0)); ac.TipoOperacao("NFE"); ac.IPComputadorAC(ip);
  ac.Texto("000-000 = STATUS SERVICO\r\n999-999 = FIM\r\n");
  return ac.Incluir();
}

Valor BancoAberto::Coluna(int32_t nsu, const std::string& coluna) {
  const std::string sql = "SELECT [" + coluna + "] FROM SolicitacaoFuncaoNFe WHERE NSU = " + std::to_string(nsu);
  Recordset rs = conexao->ConexaoCompartilhada()->Consultar(sql);
  if (rs.Eof()) throw std::runtime_error("sem a solicitação " + std::to_string(nsu));
  return rs.Value(0);
}

void PreencheTudo(cSolicitacaoFuncaoNFe& s) {
  s.NSU(1234); s.NumeroControleSolicitacao(77); s.DataSolicitacao(DataHora::De(2026, 12, 5));
  s.HoraSolicitacao(DataHora::Hora(9, 5, 3)); s.TipoOperacao("NFE"); s.CodigoEstabelecimento(3); s.SerieNFe("1");
  s.NumeroNFe(456); s.ChaveAcessoNFe("35261212345678000190550010000004561000004567"); s.IPComputadorAC("10.0.0.5");
  s.IPInternetAC("200.1.2.3"); s.SegurancaEstabelecimento("x'y"); s.CodigoUsuario(9); s.VersaoAC("2.1");
  s.VersaoHost("h"); s.Texto("000-000 = NFE3.10\r\n001-000 = Pão d'água [x]\r\n999-999 = FIM\r\n");
  s.HoraAnalise(DataHora::Hora(13, 45, 7)); s.HoraAprovacao(DataHora::Hora(13, 50, 0));
  s.HoraCancelamentoHost(DataHora::Hora(14, 0, 0)); s.HoraConfirmacaoAC(DataHora::Hora(23, 0, 0));
  s.HoraCancelamentoAC(DataHora::Hora(23, 30, 0)); s.Mensagem("Msg 'citada' [nRec:1]");
}

std::string Descreve(const cSolicitacaoFuncaoNFe& s) {
  const auto q = [](DataHora d) { return Format(d, "yyyy-mm-dd") + " " + Format(d, "hh:mm:ss"); };
  std::ostringstream o;
  const auto junta = [&](const auto&... v) { ((o << v << '|'), ...); };
  junta(s.NSU(), s.NumeroControleSolicitacao(), q(s.DataSolicitacao()), q(s.HoraSolicitacao()), s.TipoOperacao(),
        s.CodigoEstabelecimento(), s.SerieNFe(), s.NumeroNFe(), s.ChaveAcessoNFe(), s.IPComputadorAC(), s.IPInternetAC(),
        s.SegurancaEstabelecimento(), s.CodigoUsuario(), s.VersaoAC(), s.VersaoHost(), s.Texto(), q(s.HoraAnalise()),
        q(s.HoraAprovacao()), q(s.HoraCancelamentoHost()), q(s.HoraConfirmacaoAC()), q(s.HoraCancelamentoAC()),
        s.Mensagem());
  return o.str();
}

}  // namespace velant::data::teste
