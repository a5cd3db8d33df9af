#include "manager/valores_atendimento.h"

#include <gtest/gtest.h>

#include "ambiente_teste.h"

namespace velant {
namespace {

TEST(ValoresAtendimento, LidosDoRegistro) {
  for (const auto& c : teste::LerCasosTsv("manager/valores_atendimento.tsv")) {
    teste::AmbienteTeste a;
    teste::GravarTudo(a.registro.Arquivo(),
                      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n" + c.at("registro"));
    std::string recusas;
    for (const auto& linha : LeValoresAtendimento(a.registro, a.host)) recusas += "[" + linha + "]";
    EXPECT_EQ(std::to_string(a.host.IntervaloConsultaMs) + " " + std::to_string(a.host.AtenderEmSequencia) + " " +
                  std::to_string(a.host.Trabalhadores) + " " + std::to_string(a.host.AtendimentoPorTrabalhadores) + " " + recusas,
              c.at("valores") + " " + (c.at("recusa").empty() ? "" : "[" + c.at("recusa") + "]"))
        << c.at("nome");
  }
}

}  // namespace
}  // namespace velant
