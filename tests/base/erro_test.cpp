#include "base/erro.h"

#include <gtest/gtest.h>

namespace velant {
namespace {

TEST(ErroExecucao, OwnDescriptionWinsAndEmptyFallsBackToTheStandard) {
  const ErroExecucao proprio(CodigoErro::ErroBanco, "Timeout expired");
  EXPECT_EQ(proprio.Descricao(), "Timeout expired");
  EXPECT_EQ(proprio.Numero(), -2147467259);
  EXPECT_EQ(ErroExecucao(13, "").Descricao(), DescricaoPadrao(CodigoErro::TiposIncompativeis));
  EXPECT_EQ(ErroExecucao(1234, "").Descricao(), "Erro definido pelo aplicativo ou pelo objeto");
}

}  // namespace
}  // namespace velant
