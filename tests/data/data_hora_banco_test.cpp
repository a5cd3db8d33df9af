// The engines' date and time texts, from the table data_hora_banco.tsv.
// Relies on tests/base/tabela_tsv_teste.h.
#include "data/data_hora_banco.h"

#include <gtest/gtest.h>

#include "base/regional.h"
#include "base/tabela_tsv_teste.h"

namespace velant::data {
namespace {

TEST(DataHoraBanco, ReadsTheEngineForms) {
  for (const auto& c : teste::LerTabelaTsv("data/data_hora_banco.tsv")) {
    DataHora lido(-1.0);
    const bool leu = LerDataHoraBanco(c[0], lido);
    EXPECT_EQ(leu ? Format(lido, "yyyy-mm-dd") + " " + Format(lido, "hh:mm:ss") : "", c[1]) << "[" << c[0] << "]";
  }
}

}  // namespace
}  // namespace velant::data
