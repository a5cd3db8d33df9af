#pragma once
// Case tables kept as data next to their test: a header line naming the
// columns, then one case a line, fields split by tabs; the text "\r\n" in a
// field stands for a line break.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/texto.h"

namespace velant::teste {

using Linha = std::map<std::string, std::string>;

inline std::vector<Linha> LeTabela(const std::string& arquivo) {
  std::istringstream in(LerTudo(std::filesystem::path(VELANT_TESTES) / "lifecycle" / arquivo));
  auto campos = [](const std::string& l) {
    std::vector<std::string> r;
    std::istringstream c(l);
    for (std::string campo; std::getline(c, campo, '\t');) r.push_back(Replace(campo, "\\r\\n", "\r\n"));
    return r;
  };
  std::string l;
  std::getline(in, l);
  const auto nomes = campos(l);
  std::vector<Linha> linhas;
  while (std::getline(in, l)) {
    const auto valores = campos(l);
    Linha linha;
    for (size_t i = 0; i < nomes.size(); ++i) linha[nomes[i]] = i < valores.size() ? valores[i] : "";
    linhas.push_back(linha);
  }
  return linhas;
}

// The cases of a table as a parameterised suite's values, named by their column "nome".
inline std::string NomeDoCaso(const ::testing::TestParamInfo<Linha>& info) { return info.param.at("nome"); }

}  // namespace velant::teste
