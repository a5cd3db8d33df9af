#include "base/data_hora.h"

#include <gtest/gtest.h>

namespace velant {
namespace {

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

}  // namespace
}  // namespace velant
