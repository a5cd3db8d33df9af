#include "base/erro.h"

#include <gtest/gtest.h>

namespace velant {
namespace {

struct CasoErro {
  CodigoErro codigo;
  int numero;
  const char* descricao;
};

class Descricoes : public ::testing::TestWithParam<CasoErro> {};

TEST_P(Descricoes, StandardNumberAndPortugueseText) {
  const auto& c = GetParam();
  EXPECT_EQ(static_cast<int>(c.codigo), c.numero);
  EXPECT_EQ(DescricaoPadrao(c.codigo), c.descricao);
  try {
    Levanta(c.codigo);
    ADD_FAILURE() << "Levanta returned";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Numero(), c.numero);
    EXPECT_EQ(e.Codigo(), c.codigo);
    EXPECT_EQ(e.Descricao(), c.descricao);
    EXPECT_STREQ(e.what(), c.descricao);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tabela, Descricoes,
    ::testing::Values(
        CasoErro{CodigoErro::Estouro, 6, "Estouro"},
        CasoErro{CodigoErro::TiposIncompativeis, 13, "Tipos incompatíveis"},
        CasoErro{CodigoErro::UsoInvalidoDeNull, 94, "Uso inválido de Null"},
        CasoErro{CodigoErro::ChamadaInvalida, 5, "Chamada de procedimento ou argumento inválido"},
        CasoErro{CodigoErro::DivisaoPorZero, 11, "Divisão por zero"},
        CasoErro{CodigoErro::IndiceForaDoIntervalo, 9, "Subscrito fora do intervalo"},
        CasoErro{CodigoErro::ArquivoNaoEncontrado, 53, "Arquivo não encontrado"},
        CasoErro{CodigoErro::ItemNaoEncontrado, 3265,
                 "O item não pode ser encontrado na coleção correspondente ao nome ou ordinal "
                 "solicitado."},
        CasoErro{CodigoErro::FimDoRegistro, 3021,
                 "BOF ou EOF é True, ou o registro atual foi excluído. A operação solicitada "
                 "requer um registro atual."}));

TEST(ErroExecucao, OwnDescriptionWinsAndEmptyFallsBackToTheStandard) {
  const ErroExecucao proprio(CodigoErro::ErroBanco, "Timeout expired");
  EXPECT_EQ(proprio.Descricao(), "Timeout expired");
  EXPECT_EQ(proprio.Numero(), -2147467259);
  const ErroExecucao vazio(13, "");
  EXPECT_EQ(vazio.Descricao(), "Tipos incompatíveis");
  const ErroExecucao desconhecido(1234, "");
  EXPECT_EQ(desconhecido.Descricao(), "Erro definido pelo aplicativo ou pelo objeto");
}

}  // namespace
}  // namespace velant
