#include "base/erro.h"

#include <gtest/gtest.h>

namespace velant {
namespace {

TEST(ErroExecucao, RaisedErrorsCarryTheirNumberAndStandardText) {
  const struct { CodigoErro codigo; int numero; const char* descricao; } casos[] = {
      {CodigoErro::Estouro, 6, "Estouro"},
      {CodigoErro::TiposIncompativeis, 13, "Tipos incompatíveis"},
      {CodigoErro::UsoInvalidoDeNull, 94, "Uso inválido de Null"},
      {CodigoErro::ChamadaInvalida, 5, "Chamada de procedimento ou argumento inválido"},
      {CodigoErro::DivisaoPorZero, 11, "Divisão por zero"},
      {CodigoErro::IndiceForaDoIntervalo, 9, "Subscrito fora do intervalo"},
      {CodigoErro::ArquivoNaoEncontrado, 53, "Arquivo não encontrado"},
      {CodigoErro::ItemNaoEncontrado, 3265,
       "O item não pode ser encontrado na coleção correspondente ao nome ou ordinal solicitado."},
      {CodigoErro::FimDoRegistro, 3021,
       "BOF ou EOF é True, ou o registro atual foi excluído. A operação solicitada requer um registro atual."},
  };
  for (const auto& c : casos) {
    try {
      Levanta(c.codigo);
    } catch (const ErroExecucao& e) {
      EXPECT_EQ(e.Numero(), c.numero);
      EXPECT_EQ(e.Descricao(), c.descricao);
      EXPECT_STREQ(e.what(), c.descricao);
    }
  }
}

TEST(ErroExecucao, OwnDescriptionWinsAndEmptyFallsBackToTheStandard) {
  const ErroExecucao proprio(CodigoErro::ErroBanco, "Timeout expired");
  EXPECT_EQ(proprio.Descricao(), "Timeout expired");
  EXPECT_EQ(proprio.Numero(), -2147467259);
  EXPECT_EQ(ErroExecucao(13, "").Descricao(), "Tipos incompatíveis");
  EXPECT_EQ(ErroExecucao(1234, "").Descricao(), "Erro definido pelo aplicativo ou pelo objeto");
}

}  // namespace
}  // namespace velant
