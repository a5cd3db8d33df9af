#pragma once
// What the data tests share: a temporary root with its INI file, the
// throw-away PostgreSQL server, one fresh database per test, the request
// record filled and described, and a driver double that records statements.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "apoio/arquivos_teste.h"
#include "base/caminhos.h"
#include "data/conexao_nfe.h"
#include "data/conexao_postgresql.h"
#include "data/configuracao_banco.h"
#include "data/solicitacao_funcao_nfe.h"
#include "contexto/configuracao_host.h"
#include "plataforma/perfil_ini.h"
#include "ui/interface_headless.h"

namespace velant::data::teste {

using velant::teste::PastaTemporaria;

// Port of the test server on 127.0.0.1, the one of the CTest fixture.
std::string PortaPostgreSqlTeste();
// Connection parameters of one database on the test server, as postgres.
ParametrosPostgreSql ParametrosServidor(const std::string& banco);

// A database of its own on the test server, dvk_data<sufixo> with a unique
// suffix (the "Nome Interno BD"), dropped at the end.
struct BancoPostgreSqlTeste {
  BancoPostgreSqlTeste();
  ~BancoPostgreSqlTeste();
  std::string Nome() const { return "dvk_data" + sufixo; }
  std::string sufixo;
};

// A root folder with an INI file and the objects that read it.
struct RaizTeste {
  PastaTemporaria pasta;
  MapeadorCaminhos caminhos{pasta.Caminho()};
  PerfilIni ini{caminhos};
  InterfaceHeadless ui{true};

  void Grava(const std::string& chave, const std::string& valor) const;
  // Section SGBD for the engine: "SQLITE" (default file) or "POSTGRESQL"
  // (the test server, with the given database suffix).
  void ConfiguraSqlite() const { Grava(kChaveTipoBanco, "SQLITE"); }
  void ConfiguraPostgreSql(const BancoPostgreSqlTeste& banco) const;
  std::unique_ptr<CConexaoNfe> Conecta() { return std::make_unique<CConexaoNfe>(ini, caminhos, ui); }
};

// A ready database of either engine with the system's tables, and the
// state switches of its dialect.
enum class Motor { Sqlite, PostgreSql };
inline std::string NomeMotor(Motor motor) { return motor == Motor::Sqlite ? "Sqlite" : "PostgreSql"; }
inline void PrintTo(Motor motor, std::ostream* saida) { *saida << NomeMotor(motor); }

struct BancoAberto {
  explicit BancoAberto(Motor motor);

  // A request as an AC writes it through the request record.
  bool Inclui(int32_t nsu, const std::string& ip);
  // Straight to the table, past the request record.
  void Executa(const std::string& sql) { conexao->ConexaoCompartilhada()->Executar(sql); }
  Valor Coluna(int32_t nsu, const std::string& coluna);   // of request `nsu`

  RaizTeste raiz;
  std::unique_ptr<BancoPostgreSqlTeste> pg;
  std::unique_ptr<CConexaoNfe> conexao;
  ConfiguracaoHost host;
};

// TEST_P(NoBanco, Name): a test run once on SQLite and once on PostgreSQL,
// with a ready database and a request record on it.
class NoBanco : public ::testing::TestWithParam<Motor> {
 protected:
  BancoAberto banco{GetParam()};
  cSolicitacaoFuncaoNFe s{*banco.conexao, banco.host, banco.raiz.ui};
};
// Instantiated by the data tests only; other folders include this header for its helpers.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(NoBanco);

// Every property of the request record set, none to its empty value; texts
// with quotes, brackets and accents.
void PreencheTudo(cSolicitacaoFuncaoNFe& s);
// Every property of the request record, to compare two records.
std::string Descreve(const cSolicitacaoFuncaoNFe& s);

}  // namespace velant::data::teste
