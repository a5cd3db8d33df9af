// The batch counter shared by every Host of a database: numbers taken by
// processes at the same moment must all differ.
#include "data/contador_lote.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "apoio_dados.h"
#include "corrida_processos.h"
#include "base/currency.h"
#include "base/regional.h"

namespace velant::data {
namespace {

using teste::BancoAberto;
using teste::Motor;

constexpr int kProcessos = 4;
constexpr int kNumerosPorProcesso = 150;

// One Host taking numbers as fast as it can; writes each to the pipe.
// Exit codes: 0 fine, 2 an exception, 3 a message box, 4 no number.
[[noreturn]] void Host(BancoAberto& banco, int escrita, int largada) {
  int codigo = 0;
  try {
    char c;
    if (read(largada, &c, 1) < 0) _exit(5);
    InterfaceHeadless ui(true);
    {
      CConexaoNfe conexao(banco.raiz.ini, banco.raiz.caminhos, ui);
      for (int i = 0; i < kNumerosPorProcesso && codigo == 0; ++i) {
        std::optional<int64_t> numero = TomaNumeroLote(conexao);
        if (!numero) {
          codigo = 4;
        } else if (write(escrita, &*numero, sizeof *numero) != static_cast<ssize_t>(sizeof *numero)) {
          _exit(6);
        }
      }
    }
    if (codigo == 0 && !ui.Caixas().empty()) codigo = 3;
  } catch (...) {
    codigo = 2;
  }
  close(escrita);
  _exit(codigo);
}

class ContadorLote : public ::testing::TestWithParam<Motor> {};

TEST_P(ContadorLote, HostsAoMesmoTempoNuncaRecebemOMesmoNumero) {
  BancoAberto banco(GetParam());
  auto escritos = teste::CorridaDeProcessos<int64_t>(
      kProcessos, [&](int, int escrita, int largada) { Host(banco, escrita, largada); });

  std::vector<int64_t> numeros;
  std::set<size_t> comNumeros;
  for (size_t i = 0; i < escritos.size(); ++i) {
    numeros.insert(numeros.end(), escritos[i].begin(), escritos[i].end());
    if (!escritos[i].empty()) comNumeros.insert(i);
  }

  const int total = kProcessos * kNumerosPorProcesso;
  ASSERT_EQ(numeros.size(), static_cast<size_t>(total));
  std::sort(numeros.begin(), numeros.end());
  for (int i = 0; i < total; ++i) ASSERT_EQ(numeros[static_cast<size_t>(i)], i + 1) << "números repetidos ou perdidos";
  EXPECT_EQ(comNumeros.size(), static_cast<size_t>(kProcessos));
  Recordset rs = banco.conexao->Conexao()->Consultar(
      "SELECT Valor FROM ConfiguracaoDiversa WHERE Empresa = 1 AND Nome = 'Contador Lote NFe'");
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(CLngLng(rs.Value(0)), total);
}

TEST_P(ContadorLote, SemALinhaDoContadorNaoHaNumero) {
  BancoAberto banco(GetParam());
  banco.Executa("DELETE FROM ConfiguracaoDiversa WHERE Nome = 'Contador Lote NFe'");
  EXPECT_EQ(TomaNumeroLote(*banco.conexao), std::nullopt);
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

INSTANTIATE_TEST_SUITE_P(Motores, ContadorLote, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

// The SQL Server form keeps the two statements of the installations that
// use it: the increment, then the read.
class ConexaoSqlServerGravada : public CConexaoNfe {
 public:
  explicit ConexaoSqlServerGravada(InterfaceOperador& ui) : CConexaoNfe(ui) {}
  std::vector<std::string> comandos;
  int32_t afetadas = 1;
  std::unique_ptr<Recordset> RsConexao(const std::string& sql) override {
    comandos.push_back(sql);
    auto rs = std::make_unique<Recordset>();
    rs->AbrirComResultado({{"Valor", adCurrency, 0}}, {{Valor(Currency::DeInteiro(7))}});
    return rs;
  }
  int32_t ExecutaSql(const std::string& sql) override {
    comandos.push_back(sql);
    return afetadas;
  }
};

TEST(ContadorLoteSqlServer, DoisComandosComOsTextosDeSempre) {
  InterfaceHeadless ui(true);
  ConexaoSqlServerGravada conexao(ui);
  ASSERT_EQ(conexao.Dialeto(), DialetoSql::SqlServer);
  EXPECT_EQ(TomaNumeroLote(conexao), 7);
  EXPECT_EQ(conexao.comandos,
            (std::vector<std::string>{
                "UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'",
                "SELECT Valor  FROM ConfiguracaoDiversa WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'"}));
  conexao.comandos.clear();
  conexao.afetadas = 0;
  EXPECT_EQ(TomaNumeroLote(conexao), std::nullopt);
  EXPECT_EQ(conexao.comandos.size(), 1u);   // no read when nothing was incremented
}

}  // namespace
}  // namespace velant::data
