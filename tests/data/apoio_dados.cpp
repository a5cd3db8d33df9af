#include "apoio_dados.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "base/erro.h"
#include "data/conexao_postgresql.h"
#include "data/configuracao_banco.h"
#include "data/esquema_banco.h"

namespace velant::data::teste {

namespace fs = std::filesystem;

PastaTemporaria::PastaTemporaria() {
  std::string modelo = (fs::temp_directory_path() / "velant-dados-XXXXXX").string();
  if (mkdtemp(modelo.data()) == nullptr) throw std::runtime_error("mkdtemp falhou");
  caminho_ = modelo;
}

PastaTemporaria::~PastaTemporaria() {
  std::error_code ec;
  fs::remove_all(caminho_, ec);
}

namespace {

std::string LerArquivo(const fs::path& p) {
  std::ifstream f(p);
  std::string s;
  std::getline(f, s);
  return s;
}

// A server started by this process when no fixture gave one.
class ServidorProprio {
 public:
  ServidorProprio() {
    estado_ = fs::temp_directory_path() / ("velant-pg-estado-" + std::to_string(getpid()));
    std::string comando = std::string("bash '") + VELANT_FONTE + "/scripts/pg-teste' iniciar '" + estado_.string() + "'";
    if (std::system(comando.c_str()) != 0) throw std::runtime_error("não foi possível iniciar o PostgreSQL de teste");
    porta_ = LerArquivo(estado_ / "porta");
    dono_ = getpid();
  }
  ~ServidorProprio() {
    if (getpid() != dono_) return;   // a forked child leaves it to its parent
    std::string comando = std::string("bash '") + VELANT_FONTE + "/scripts/pg-teste' parar '" + estado_.string() + "'";
    if (std::system(comando.c_str()) != 0) return;
    std::error_code ec;
    fs::remove_all(estado_, ec);
  }
  const std::string& Porta() const { return porta_; }

 private:
  fs::path estado_;
  std::string porta_;
  pid_t dono_ = 0;
};

ParametrosPostgreSql ParametrosServidor(const std::string& banco) {
  ParametrosPostgreSql p;
  p.host = "127.0.0.1";
  p.porta = PortaPostgreSqlTeste();
  p.banco = banco;
  p.usuario = "postgres";
  return p;
}

}  // namespace

std::string PortaPostgreSqlTeste() {
  if (const char* estado = std::getenv("VELANT_PG_ESTADO")) {
    std::string porta = LerArquivo(fs::path(estado) / "porta");
    if (porta.empty()) throw std::runtime_error(std::string("sem porta em ") + estado + "/porta");
    return porta;
  }
  static ServidorProprio servidor;
  return servidor.Porta();
}

BancoPostgreSqlTeste::BancoPostgreSqlTeste() {
  static std::atomic<int> contador{0};
  sufixo_ = "_t" + std::to_string(getpid()) + "_" + std::to_string(contador++);
  ConexaoPostgreSql admin(ParametrosServidor("postgres"));
  admin.Executar("CREATE DATABASE " + Nome());
}

BancoPostgreSqlTeste::~BancoPostgreSqlTeste() {
  try {
    ConexaoPostgreSql admin(ParametrosServidor("postgres"));
    admin.Executar("DROP DATABASE IF EXISTS " + Nome() + " WITH (FORCE)");
  } catch (...) {   // the server goes away with the fixture anyway
  }
}

void RaizTeste::Grava(const std::string& chave, const std::string& valor) const {
  ini.GravarIni(kSecaoBanco, chave, valor, kCaminhoIni);
}

void RaizTeste::ConfiguraSqlite() const { Grava(kChaveTipoBanco, "SQLITE"); }

void RaizTeste::ConfiguraPostgreSql(const BancoPostgreSqlTeste& banco) const {
  Grava(kChaveTipoBanco, "POSTGRESQL");
  Grava(kChaveIPBanco, "127.0.0.1");
  Grava(kChavePortaBanco, PortaPostgreSqlTeste());
  Grava(kChaveNomeInterno, banco.Sufixo());
  Grava(kChaveUsuarioBanco, "postgres");
}

std::string NomeMotor(Motor motor) { return motor == Motor::Sqlite ? "Sqlite" : "PostgreSql"; }

BancoAberto::BancoAberto(Motor motor) {
  if (motor == Motor::Sqlite) {
    raiz.ConfiguraSqlite();
  } else {
    pg = std::make_unique<BancoPostgreSqlTeste>();
    raiz.ConfiguraPostgreSql(*pg);
  }
  conexao = raiz.Conecta();
  if (!conexao->ConexaoAtiva()) throw std::runtime_error("banco de teste fechado: " + conexao->ErroAbertura());
  if (motor == Motor::PostgreSql) CriarEsquema(*conexao->Conexao(), DialetoSql::PostgreSql);
  DefineDialetoBanco(estado, conexao->TipoBanco());
}

int64_t DriverGravador::Executar(const std::string& sql) {
  executados.push_back(sql);
  if (falhar) throw ErroExecucao(CodigoErro::ErroBanco, "falha simulada");
  if (linhasAfetadas.empty()) return 1;
  int64_t n = linhasAfetadas.front();
  linhasAfetadas.pop_front();
  return n;
}

Recordset DriverGravador::Consultar(const std::string& sql) {
  consultados.push_back(sql);
  if (falhar) throw ErroExecucao(CodigoErro::ErroBanco, "falha simulada");
  if (resultados.empty()) return ResultadoNSU({});
  Recordset r = std::move(resultados.front());
  resultados.pop_front();
  return r;
}

ConexaoGravadora::ConexaoGravadora(InterfaceOperador& ui) : CConexaoNfe(ui) {
  auto d = std::make_unique<DriverGravador>();
  driver_ = d.get();
  mConexaoCompartilhada = std::move(d);
  mConexao = std::make_unique<DriverGravador>();
}

Recordset ResultadoNSU(std::initializer_list<int32_t> nsus) {
  std::vector<std::vector<Valor>> linhas;
  for (int32_t n : nsus) linhas.push_back({Valor(n)});
  Recordset r;
  r.AbrirComResultado({{"NSU", adInteger, 0}}, std::move(linhas));
  return r;
}

}  // namespace velant::data::teste
