#pragma once
// The lifecycle's case tables, read by base/tabela_tsv_teste.h: cells keep
// their backslashes (Windows paths); only the text "\r\n" stands for a line
// break. A case is named by its column "nome".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/tabela_tsv_teste.h"
#include "base/texto.h"

namespace velant::teste {

using Linha = CasoTsv;

inline std::vector<Linha> LeTabela(const std::string& arquivo) {
  std::vector<Linha> casos = LerCasosTsv("lifecycle/" + arquivo, false);
  for (Linha& caso : casos)
    for (auto& [coluna, celula] : caso) celula = Replace(celula, "\\r\\n", "\r\n");
  return casos;
}

inline std::string NomeDoCaso(const ::testing::TestParamInfo<Linha>& info) { return info.param.at("nome"); }

}  // namespace velant::teste
