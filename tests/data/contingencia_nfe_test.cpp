// The contingency period and the failure series as every Host of a database
// sees them: one open period per state, one Host at a time asks the status,
// failures count within their window.
#include "data/contingencia_nfe.h"

#include <gtest/gtest.h>

#include "apoio_dados.h"
#include "base/regional.h"

namespace velant::data {
namespace {

using teste::BancoAberto;
using teste::Motor;

class Contingencia : public ::testing::TestWithParam<Motor> {};

TEST_P(Contingencia, UmPeriodoAbertoPorUfEAVezDeConsultar) {
  BancoAberto banco(GetParam());
  CConexaoNfe& c = *banco.conexao;
  const PeriodoContingencia svc{"SVC-AN", "2026-12-07T10:00:00-03:00", "Serviço paralisado: 109 - Serviço Paralisado sem Previsão"};
  EXPECT_TRUE(AbreContingencia(c, "SP", svc, 1000));
  EXPECT_FALSE(AbreContingencia(c, "SP", {"SVC-AN", "2026-12-07T10:00:05-03:00", "outro Host"}, 1005));
  EXPECT_TRUE(AbreContingencia(c, "RS", {"SVC-AN", "2026-12-07T10:00:05-03:00", "outra UF"}, 1005));
  auto aberta = ContingenciaAberta(c, "SP");
  ASSERT_TRUE(aberta);
  EXPECT_EQ(aberta->modo + "|" + aberta->inicio + "|" + aberta->motivo, svc.modo + "|" + svc.inicio + "|" + svc.motivo);

  // The status was seen on entering; then one asker per interval.
  const struct {
    int64_t agora;
    bool vez;
  } perguntas[] = {{1030, false}, {1060, true}, {1061, false}, {1119, false}, {1120, true}};
  for (const auto& p : perguntas) EXPECT_EQ(VezDeConsultarStatus(c, "SP", p.agora, 60), p.vez) << p.agora;

  EXPECT_TRUE(FechaContingencia(c, "SP", "2026-12-07T11:00:00-03:00", "Serviço em operação: 107 - Servico em Operacao"));
  EXPECT_FALSE(FechaContingencia(c, "SP", "2026-12-07T11:00:01-03:00", "de novo"));
  EXPECT_FALSE(ContingenciaAberta(c, "SP"));
  EXPECT_FALSE(VezDeConsultarStatus(c, "SP", 5000, 60));
  EXPECT_TRUE(ContingenciaAberta(c, "RS"));
  // A later outage is a period of its own.
  EXPECT_TRUE(AbreContingencia(c, "SP", {"SVC-AN", "2026-12-07T15:00:00-03:00", "de novo"}, 9000));
  Recordset rs = c.Conexao()->Consultar("SELECT COUNT(*) FROM ContingenciaNFe WHERE UF = 'SP' AND Fim IS NOT NULL");
  EXPECT_EQ(CLng(rs.Value(0)), 1);
}

TEST_P(Contingencia, FalhasSeguidasDentroDaJanela) {
  BancoAberto banco(GetParam());
  CConexaoNfe& c = *banco.conexao;
  const struct {
    int64_t agora;
    bool zera;   // an answered attempt before this one
    int32_t falhas;
  } passos[] = {{1000, false, 1}, {1100, false, 2}, {1300, false, 3},
                {1301, false, 1},   // the first is more than 300 s back: a new series
                {1302, true, 1},  {1303, false, 2}};
  for (const auto& p : passos) {
    if (p.zera) ZeraFalhasServico(c, "SP");
    EXPECT_EQ(RegistraFalhaServico(c, "SP", p.agora, 300), p.falhas) << p.agora;
  }
  EXPECT_EQ(RegistraFalhaServico(c, "RS", 1304, 300), 1);
}

INSTANTIATE_TEST_SUITE_P(Motores, Contingencia, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant::data
