// Complete request texts and the full list of vector slots they give, as
// `velantnfe vetores` prints it. The expected lists were checked slot by
// slot against the filling rules; no database is configured, so the
// situation of every operation is "000".
//
// VELANT_GRAVA_DOURADOS=1 rewrites the expected files (for review, never
// to make a failing test pass).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "apoio/arquivos_teste.h"
#include "apoio_conteudo.h"
#include "component/apoio_documento.h"
#include "component/apoio_regras.h"
#include "content/listagem_vetores.h"

namespace velant::teste_conteudo {
namespace {

// A difference is shown line by line, each line naming its slot.
class Dourado : public ::testing::TestWithParam<const char*> {
 protected:
  std::filesystem::path Arquivo(const char* extensao) const {
    return kPastaDourados / (std::string(GetParam()) + extensao);
  }
  ::testing::AssertionResult Preenchidos(AmbienteConteudo& a) const {
    return teste_conteudo::Preenchidos(a, GetParam(), teste::LerTudo(Arquivo(".txt")));
  }
};

// A complete invoice is ordinary data: the optional columns it leaves out
// (the seller, the date of entering) are no error, and none is logged.
TEST_P(Dourado, ListaCompletaDosVetores) {
  AmbienteConteudo a;
  ASSERT_TRUE(Preenchidos(a));
  const std::string lista = ListaVetores(a.vetores);
  if (std::getenv("VELANT_GRAVA_DOURADOS") != nullptr) std::ofstream(Arquivo(".vetores"), std::ios::binary) << lista;
  EXPECT_EQ(lista, teste::LerTudo(Arquivo(".vetores")));
  for (const auto& linha : a.ui.Eventos()) EXPECT_EQ(linha.find("Erro ignorado"), std::string::npos) << linha;
}

// A real authority would authorise each of them: the signed document the
// request becomes (as an issuer of SP with the test certificate) breaks none
// of its business rules.
TEST_P(Dourado, DocumentoPassaNasRegrasDaAutoridade) {
  AmbienteConteudo a;
  ASSERT_TRUE(Preenchidos(a));
  teste::ConfereRegraLocal(AssinadoDosVetores(a), 0);
}

INSTANTIATE_TEST_SUITE_P(Solicitacoes, Dourado,
                         ::testing::Values("simples_nacional_nacional", "simples_nacional_exterior",
                                           "regime_normal_st_combustivel", "devolucao_cupons"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace velant::teste_conteudo
