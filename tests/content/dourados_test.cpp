// Complete request texts and the full list of vector slots they give, as
// `velantnfe vetores` prints it, and the documents they become. The expected lists were checked slot by
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

class Dourado : public ::testing::TestWithParam<const char*> {};

// A complete invoice is ordinary data: the optional columns it leaves out
// (the seller, the date of entering) are no error, and none is logged. A
// real authority would authorise each: the signed document the request
// becomes (as an issuer of SP with the test certificate) breaks none of its
// business rules; in layout 4.00 too, though the request carries none of
// the 4.00 fields, where the official schema and Debian's xmlsec1 accept it.
TEST_P(Dourado, ListaCompletaDosVetores) {
  const auto arquivo = kPastaDourados / (std::string(GetParam()) + ".vetores");
  const std::string texto = teste::LerTudo(kPastaDourados / (std::string(GetParam()) + ".txt"));
  AmbienteConteudo a;
  ASSERT_TRUE(Preenchidos(a, GetParam(), texto));
  const std::string lista = ListaVetores(a.vetores);
  if (std::getenv("VELANT_GRAVA_DOURADOS") != nullptr) std::ofstream(arquivo, std::ios::binary) << lista;
  EXPECT_EQ(lista, teste::LerTudo(arquivo));
  for (const auto& linha : a.ui.Eventos()) EXPECT_EQ(linha.find("Erro ignorado"), std::string::npos) << linha;
  teste::ConfereRegraLocal(AssinadoDosVetores(a), 0);

  AmbienteConteudo b;
  ASSERT_TRUE(Preenchidos(b, GetParam(), texto, "4.00"));
  const std::string assinado = AssinadoDosVetores(b, "4.00");
  EXPECT_TRUE(teste::AceitaNoEsquema400ENoXmlsec(assinado, b.raiz / "nota400.xml"));
  teste::ConfereRegraLocal(assinado, 0);
}

INSTANTIATE_TEST_SUITE_P(Solicitacoes, Dourado,
                         ::testing::Values("simples_nacional_nacional", "simples_nacional_exterior",
                                           "regime_normal_st_combustivel", "devolucao_cupons"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace velant::teste_conteudo
