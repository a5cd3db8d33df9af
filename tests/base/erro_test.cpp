#include "base/erro.h"

#include <gtest/gtest.h>

namespace velant {
namespace {

TEST(ErroExecucao, RaisedErrorsCarryTheirNumberAndStandardText) {
  for (CodigoErro codigo : {CodigoErro::Estouro, CodigoErro::TiposIncompativeis, CodigoErro::FimDoRegistro}) {
    try {
      Levanta(codigo);
    } catch (const ErroExecucao& e) {
      EXPECT_EQ(e.Numero(), static_cast<int>(codigo));
      EXPECT_FALSE(e.Descricao().empty());
      EXPECT_EQ(e.Descricao(), DescricaoPadrao(codigo));
      EXPECT_STREQ(e.what(), e.Descricao().c_str());
    }
  }
}

TEST(ErroExecucao, OwnDescriptionWinsAndEmptyFallsBackToTheStandard) {
  const ErroExecucao proprio(CodigoErro::ErroBanco, "Timeout expired");
  EXPECT_EQ(proprio.Descricao(), "Timeout expired");
  EXPECT_EQ(proprio.Numero(), -2147467259);
  EXPECT_EQ(ErroExecucao(13, "").Descricao(), DescricaoPadrao(CodigoErro::TiposIncompativeis));
  EXPECT_EQ(ErroExecucao(1234, "").Descricao(), "Erro definido pelo aplicativo ou pelo objeto");
}

}  // namespace
}  // namespace velant
