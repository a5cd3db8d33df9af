#include "data/data_hora_banco.h"

#include <gtest/gtest.h>

#include <string>

namespace velant::data {
namespace {

struct CasoTexto {
  std::string texto;
  bool valido;
  DataHora esperado;
};

class TextoDoBanco : public ::testing::TestWithParam<CasoTexto> {};

TEST_P(TextoDoBanco, ReadsTheEngineForms) {
  DataHora lido(-1.0);
  EXPECT_EQ(LerDataHoraBanco(GetParam().texto, lido), GetParam().valido) << GetParam().texto;
  if (GetParam().valido) {
    EXPECT_EQ(lido, GetParam().esperado) << GetParam().texto;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formas, TextoDoBanco,
    ::testing::Values(CasoTexto{"2026-12-05", true, DataHora::De(2026, 12, 5)},
                      CasoTexto{"13:45:07", true, DataHora::Hora(13, 45, 7)},
                      CasoTexto{"00:00:00", true, DataHora()},
                      CasoTexto{"13:45", true, DataHora::Hora(13, 45, 0)},
                      CasoTexto{"2026-12-05 13:45:07.250", true, DataHora::De(2026, 12, 5, 13, 45, 7)},
                      CasoTexto{"2026-12-05T08:00:00", true, DataHora::De(2026, 12, 5, 8, 0, 0)},
                      CasoTexto{"05/12/2026", true, DataHora::De(2026, 12, 5)},
                      CasoTexto{"31/02/2026", false, DataHora()}, CasoTexto{"2026-13-01", false, DataHora()},
                      CasoTexto{"25:00:00", false, DataHora()}, CasoTexto{"abc", false, DataHora()},
                      CasoTexto{"", false, DataHora()}, CasoTexto{"2026-12-05 x", false, DataHora()}));

}  // namespace
}  // namespace velant::data
