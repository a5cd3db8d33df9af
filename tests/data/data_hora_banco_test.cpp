#include "data/data_hora_banco.h"

#include <gtest/gtest.h>

#include <string>

namespace velant::data {
namespace {

TEST(DataHoraBanco, ReadsTheEngineForms) {
  const struct { std::string texto; DataHora esperado; } validos[] = {
      {"2026-12-05", DataHora::De(2026, 12, 5)},
      {"13:45:07", DataHora::Hora(13, 45, 7)},
      {"00:00:00", DataHora()},
      {"13:45", DataHora::Hora(13, 45, 0)},
      {"2026-12-05 13:45:07.250", DataHora::De(2026, 12, 5, 13, 45, 7)},
      {"2026-12-05T08:00:00", DataHora::De(2026, 12, 5, 8, 0, 0)},
      {"05/12/2026", DataHora::De(2026, 12, 5)},
  };
  for (const auto& c : validos) {
    DataHora lido(-1.0);
    EXPECT_TRUE(LerDataHoraBanco(c.texto, lido)) << c.texto;
    EXPECT_EQ(lido, c.esperado) << c.texto;
  }
  for (const char* texto : {"31/02/2026", "2026-13-01", "25:00:00", "abc", "", "2026-12-05 x"}) {
    DataHora lido;
    EXPECT_FALSE(LerDataHoraBanco(texto, lido)) << texto;
  }
}

}  // namespace
}  // namespace velant::data
