#include "base/data_hora.h"

#include <gtest/gtest.h>

#include <cmath>

#include "apoio_base.h"

namespace velant {
namespace {

using teste::ErroDe;

struct CasoSerial {
  int ano, mes, dia, hora, minuto, segundo;
  double serial;
};

class Seriais : public ::testing::TestWithParam<CasoSerial> {};

TEST_P(Seriais, AutomationDateBothWays) {
  const auto& c = GetParam();
  const DataHora d = DataHora::De(c.ano, c.mes, c.dia, c.hora, c.minuto, c.segundo);
  EXPECT_NEAR(d.Serial(), c.serial, 1e-9);
  const DataHora lida(c.serial);
  EXPECT_EQ(lida.Ano(), c.ano);
  EXPECT_EQ(lida.Mes(), c.mes);
  EXPECT_EQ(lida.Dia(), c.dia);
  EXPECT_EQ(lida.HoraDoDia(), c.hora);
  EXPECT_EQ(lida.Minuto(), c.minuto);
  EXPECT_EQ(lida.Segundo(), c.segundo);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, Seriais,
    ::testing::Values(CasoSerial{1899, 12, 30, 0, 0, 0, 0.0}, CasoSerial{1900, 1, 1, 0, 0, 0, 2.0},
                      CasoSerial{1900, 3, 1, 0, 0, 0, 61.0},
                      CasoSerial{2023, 3, 15, 12, 0, 0, 45000.5},
                      CasoSerial{2024, 2, 29, 6, 0, 0, 45351.25},
                      CasoSerial{1899, 12, 29, 6, 0, 0, -1.25},
                      CasoSerial{1899, 12, 29, 0, 0, 0, -1.0},
                      CasoSerial{9999, 12, 31, 23, 59, 59, 2958465.0 + 86399.0 / 86400},
                      CasoSerial{100, 1, 1, 0, 0, 0, -657434.0}));

TEST(DataHora, ImpossibleDatesAndTimesAreRejected) {
  const int casos[][6] = {{2023, 2, 29, 0, 0, 0}, {2024, 4, 31, 0, 0, 0}, {2024, 13, 1, 0, 0, 0},
                          {2024, 0, 1, 0, 0, 0},  {2024, 1, 0, 0, 0, 0},  {2024, 1, 1, 24, 0, 0},
                          {2024, 1, 1, 0, 60, 0}, {2024, 1, 1, 0, 0, 60}, {99, 1, 1, 0, 0, 0},
                          {10000, 1, 1, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}};
  for (const auto& c : casos) {
    EXPECT_EQ(ErroDe([&] { DataHora::De(c[0], c[1], c[2], c[3], c[4], c[5]); }), 5)
        << c[0] << "-" << c[1] << "-" << c[2];
  }
  EXPECT_EQ(ErroDe([] { DataHora::Hora(-1, 0, 0); }), 5);
}

TEST(DataHora, PartsAndFlags) {
  const DataHora d = DataHora::De(2026, 12, 5, 15, 4, 9);
  EXPECT_TRUE(d.TemData());
  EXPECT_TRUE(d.TemHora());
  EXPECT_FALSE(d.SoData().TemHora());
  EXPECT_EQ(d.SoData(), DataHora::De(2026, 12, 5));
  EXPECT_EQ(d.SoHora(), DataHora::Hora(15, 4, 9));
  EXPECT_FALSE(d.SoHora().TemData());
  EXPECT_TRUE(DataHora().Zero());
  EXPECT_FALSE(DataHora().TemData());
  EXPECT_FALSE(DataHora().TemHora());
  // Sub-second noise is no time of day, and a hair short of midnight is midnight.
  EXPECT_FALSE(DataHora(45000.0 + 1e-9).TemHora());
  EXPECT_TRUE(DataHora(45000.0 - 1e-9).TemData());
  EXPECT_FALSE(DataHora(1e-9).TemData());
  // A serial a hair short of midnight is read as the next day's midnight.
  const DataHora quase(45000.0 + 86399.9999 / 86400);
  EXPECT_EQ(quase.Dia(), 16);
  EXPECT_EQ(quase.HoraDoDia(), 0);
}

struct CasoDiferenca {
  DataHora a;
  DataHora b;
  int64_t segundos;
};

class Diferencas : public ::testing::TestWithParam<CasoDiferenca> {};

TEST_P(Diferencas, CountsSecondBoundaries) {
  EXPECT_EQ(DiferencaSegundos(GetParam().a, GetParam().b), GetParam().segundos);
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, Diferencas,
    ::testing::Values(
        CasoDiferenca{DataHora::De(2024, 1, 1, 10, 0, 0), DataHora::De(2024, 1, 1, 10, 0, 1), 1},
        CasoDiferenca{DataHora::De(2024, 1, 1, 10, 0, 1), DataHora::De(2024, 1, 1, 10, 0, 0), -1},
        CasoDiferenca{DataHora::De(2023, 12, 31, 23, 59, 59), DataHora::De(2024, 1, 1), 1},
        CasoDiferenca{DataHora::De(2024, 2, 28), DataHora::De(2024, 3, 1), 2 * 86400},
        CasoDiferenca{DataHora::Hora(23, 0, 0), DataHora::Hora(1, 0, 0), -22 * 3600},
        CasoDiferenca{DataHora::De(1899, 12, 29, 23, 0, 0), DataHora::De(1899, 12, 30, 1, 0, 0),
                      7200},
        CasoDiferenca{DataHora(), DataHora(), 0}));

TEST(RelogioSistema, GivesLocalTimeInWholeSeconds) {
  const RelogioSistema relogio;
  const DataHora agora = relogio.Agora();
  EXPECT_GE(agora.Ano(), 2024);
  const double segundos = agora.Serial() * 86400.0;
  EXPECT_NEAR(segundos, std::round(segundos), 1e-3);
  EXPECT_LE(DiferencaSegundos(agora, relogio.Agora()), 2);
  EXPECT_GE(DiferencaSegundos(agora, relogio.Agora()), 0);
}

}  // namespace
}  // namespace velant
