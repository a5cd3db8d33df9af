#include "manager/valores_atendimento.h"

#include <gtest/gtest.h>

#include "ambiente_teste.h"
#include "apoio/arquivos_teste.h"

namespace velant {
namespace {

struct CasoValores {
  const char* nome;
  const char* registro;   // lines of HKEY_CURRENT_USER\nfe
  int intervaloMs;
  bool emSequencia;
  int trabalhadores;
  bool porTrabalhadores;
  const char* recusa;   // the one log line, or "" for none
};
void PrintTo(const CasoValores& c, std::ostream* os) { *os << c.nome; }

class ValoresAtendimento : public ::testing::TestWithParam<CasoValores> {};

TEST_P(ValoresAtendimento, LidosDoRegistro) {
  const CasoValores& c = GetParam();
  teste::AmbienteTeste a;
  teste::GravarTudo(a.registro.Arquivo(), std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                                                       "[HKEY_CURRENT_USER\\nfe]\r\n") + c.registro);
  const std::vector<std::string> recusas = LeValoresAtendimento(a.registro, a.host);
  EXPECT_EQ(a.host.IntervaloConsultaMs, c.intervaloMs);
  EXPECT_EQ(a.host.AtenderEmSequencia, c.emSequencia);
  EXPECT_EQ(a.host.Trabalhadores, c.trabalhadores);
  EXPECT_EQ(a.host.AtendimentoPorTrabalhadores, c.porTrabalhadores);
  EXPECT_EQ(recusas, (*c.recusa ? std::vector<std::string>{c.recusa} : std::vector<std::string>{}));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ValoresAtendimento,
    ::testing::Values(
        CasoValores{"Ausentes", "", 1000, false, 1, false, ""},
        CasoValores{"Todos", "\"IntervaloConsulta\"=\"50\"\r\n\"AtenderEmSequencia\"=\"1\"\r\n\"Trabalhadores\"=\"8\"\r\n",
                    50, true, 8, true, ""},
        CasoValores{"SoIntervalo", "\"IntervaloConsulta\"=\" 200 \"\r\n", 200, false, 1, true, ""},
        CasoValores{"IntervaloAbaixoDoMinimo", "\"IntervaloConsulta\"=\"49\"\r\n", 1000, false, 1, true,
                    " ** Erro: Valor inválido no registro IntervaloConsulta: '49' (milissegundos, 50 ou mais); "
                    "usado o padrão"},
        CasoValores{"SequenciaNemZeroNemUm", "\"AtenderEmSequencia\"=\"sim\"\r\n", 1000, false, 1, true,
                    " ** Erro: Valor inválido no registro AtenderEmSequencia: 'sim' (0 ou 1); usado o padrão"},
        CasoValores{"TrabalhadoresDemais", "\"Trabalhadores\"=\"33\"\r\n", 1000, false, 1, true,
                    " ** Erro: Valor inválido no registro Trabalhadores: '33' (de 1 a 32); usado o padrão"},
        CasoValores{"TrabalhadoresNaoNumero", "\"Trabalhadores\"=\"4x\"\r\n", 1000, false, 1, true,
                    " ** Erro: Valor inválido no registro Trabalhadores: '4x' (de 1 a 32); usado o padrão"}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace velant
