#include "base/data_hora.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "apoio/erro_teste.h"

namespace velant {
namespace {

using teste::ErroDe;

TEST(DataHora, AutomationDateSerialBothWays) {
  const struct { int ano, mes, dia, hora, minuto, segundo; double serial; } casos[] = {
      {1899, 12, 30, 0, 0, 0, 0.0}, {1900, 1, 1, 0, 0, 0, 2.0}, {1900, 3, 1, 0, 0, 0, 61.0},
      {2023, 3, 15, 12, 0, 0, 45000.5}, {2024, 2, 29, 6, 0, 0, 45351.25}, {1899, 12, 29, 6, 0, 0, -1.25},
      {1899, 12, 29, 0, 0, 0, -1.0}, {9999, 12, 31, 23, 59, 59, 2958465.0 + 86399.0 / 86400},
      {100, 1, 1, 0, 0, 0, -657434.0},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.serial);
    const DataHora d = DataHora::De(c.ano, c.mes, c.dia, c.hora, c.minuto, c.segundo);
    EXPECT_NEAR(d.Serial(), c.serial, 1e-9);
    const DataHora lida(c.serial);
    EXPECT_EQ((std::array{lida.Ano(), lida.Mes(), lida.Dia(), lida.HoraDoDia(), lida.Minuto(), lida.Segundo()}),
              (std::array{c.ano, c.mes, c.dia, c.hora, c.minuto, c.segundo}));
  }
}

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
  EXPECT_TRUE(d.TemData() && d.TemHora());
  EXPECT_EQ(d.SoData(), DataHora::De(2026, 12, 5));
  EXPECT_FALSE(d.SoData().TemHora());
  EXPECT_EQ(d.SoHora(), DataHora::Hora(15, 4, 9));
  EXPECT_FALSE(d.SoHora().TemData());
  EXPECT_TRUE(DataHora().Zero());
  EXPECT_FALSE(DataHora().TemData() || DataHora().TemHora());
  // Sub-second noise is no time of day, and a hair short of midnight is midnight.
  EXPECT_FALSE(DataHora(45000.0 + 1e-9).TemHora());
  EXPECT_TRUE(DataHora(45000.0 - 1e-9).TemData());
  EXPECT_FALSE(DataHora(1e-9).TemData());
  // A serial a hair short of midnight is read as the next day's midnight.
  const DataHora quase(45000.0 + 86399.9999 / 86400);
  EXPECT_EQ(quase.Dia(), 16);
  EXPECT_EQ(quase.HoraDoDia(), 0);
}

TEST(DataHora, DifferenceCountsSecondBoundaries) {
  const struct { DataHora a, b; int64_t segundos; } casos[] = {
      {DataHora::De(2024, 1, 1, 10, 0, 0), DataHora::De(2024, 1, 1, 10, 0, 1), 1},
      {DataHora::De(2024, 1, 1, 10, 0, 1), DataHora::De(2024, 1, 1, 10, 0, 0), -1},
      {DataHora::De(2023, 12, 31, 23, 59, 59), DataHora::De(2024, 1, 1), 1},
      {DataHora::De(2024, 2, 28), DataHora::De(2024, 3, 1), 2 * 86400},
      {DataHora::Hora(23, 0, 0), DataHora::Hora(1, 0, 0), -22 * 3600},
      {DataHora::De(1899, 12, 29, 23, 0, 0), DataHora::De(1899, 12, 30, 1, 0, 0), 7200},
      {DataHora(), DataHora(), 0},
  };
  for (const auto& c : casos) EXPECT_EQ(DiferencaSegundos(c.a, c.b), c.segundos) << c.a.Serial();
}

TEST(RelogioSistema, GivesLocalTimeInWholeSeconds) {
  const RelogioSistema relogio;
  const DataHora agora = relogio.Agora();
  EXPECT_GE(agora.Ano(), 2024);
  const double segundos = agora.Serial() * 86400.0;
  EXPECT_NEAR(segundos, std::round(segundos), 1e-3);
  const int64_t depois = DiferencaSegundos(agora, relogio.Agora());
  EXPECT_TRUE(depois >= 0 && depois <= 2) << depois;
}

}  // namespace
}  // namespace velant
