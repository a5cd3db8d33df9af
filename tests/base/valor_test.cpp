#include "base/valor.h"

#include <gtest/gtest.h>

#include "apoio/erro_teste.h"

namespace velant {
namespace {

using teste::ErroDe;

TEST(Valor, OnlyNumberTypesAreNumericAndOnlyTextIsText) {
  EXPECT_TRUE(Valor(Currency()).ENumerico() && Valor(2.0).ENumerico() && Valor(int16_t{1}).ENumerico());
  EXPECT_FALSE(Valor(true).ENumerico() || Valor(DataHora()).ENumerico() || Valor("1").ENumerico());
  EXPECT_EQ(Valor("abc").ComoTexto(), "abc");
  EXPECT_EQ(ErroDe([] { Valor(int32_t{1}).ComoTexto(); }), 13);
  EXPECT_EQ(ErroDe([] { Valor::Nulo().ComoTexto(); }), 13);
}

}  // namespace
}  // namespace velant
