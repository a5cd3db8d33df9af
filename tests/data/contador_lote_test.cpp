// The batch counter shared by every Host of a database: numbers taken by
// processes at the same moment must all differ.
#include "data/contador_lote.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "apoio_dados.h"
#include "corrida_processos.h"
#include "base/currency.h"
#include "base/regional.h"

namespace velant::data {
namespace {

using teste::Motor;

class ContadorLote : public ::testing::TestWithParam<Motor> {};

TEST_P(ContadorLote, HostsAoMesmoTempoNuncaRecebemOMesmoNumero) {
  constexpr int kProcessos = 4, kPorProcesso = 150;
  teste::BancoAberto banco(GetParam());
  auto escritos = teste::CorridaDeProcessos<int64_t>(kProcessos, [&](int, InterfaceHeadless& ui, auto& largada,
                                                                     auto& escreve) {
    largada();
    CConexaoNfe conexao(banco.raiz.ini, banco.raiz.caminhos, ui);
    for (int i = 0; i < kPorProcesso; ++i) {
      std::optional<int64_t> numero = TomaNumeroLote(conexao);
      if (!numero) return 4;
      escreve(*numero);
    }
    return 0;
  });
  std::vector<int64_t> numeros;
  for (const auto& e : escritos) {
    EXPECT_FALSE(e.empty());
    numeros.insert(numeros.end(), e.begin(), e.end());
  }
  std::sort(numeros.begin(), numeros.end());
  std::vector<int64_t> esperados(kProcessos * kPorProcesso);
  std::iota(esperados.begin(), esperados.end(), 1);
  EXPECT_EQ(numeros, esperados) << "números repetidos ou perdidos";
  EXPECT_EQ(TomaNumeroLote(*banco.conexao), kProcessos * kPorProcesso + 1);

  banco.Executa("DELETE FROM ConfiguracaoDiversa WHERE Nome = 'Contador Lote NFe'");
  EXPECT_EQ(TomaNumeroLote(*banco.conexao), std::nullopt);
  EXPECT_TRUE(banco.raiz.ui.Caixas().empty());
}

INSTANTIATE_TEST_SUITE_P(Motores, ContadorLote, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

// The SQL Server form: the increment, then the read, which is skipped when
// nothing was incremented.
TEST(ContadorLoteSqlServer, IncrementaELe) {
  InterfaceHeadless ui(true);
  teste::ConexaoGravadora conexao(ui);
  Recordset sete;
  sete.AbrirComResultado({{"Valor", adCurrency, 0}}, {{Valor(Currency::DeInteiro(7))}});
  conexao.Propria().resultados.push_back(std::move(sete));
  conexao.Propria().linhasAfetadas = {1, 0};
  EXPECT_EQ(TomaNumeroLote(conexao), 7);
  EXPECT_EQ(conexao.Propria().executados,
            std::vector<std::string>{
                "UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'"});
  EXPECT_EQ(conexao.Propria().consultados,
            std::vector<std::string>{
                "SELECT Valor  FROM ConfiguracaoDiversa WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'"});
  EXPECT_EQ(TomaNumeroLote(conexao), std::nullopt);
  EXPECT_EQ(conexao.Propria().consultados.size(), 1u);
}

}  // namespace
}  // namespace velant::data
