// CNPJ check digits in the numeric form of layout 3.10 and the alphanumeric
// form layout 4.00 accepts.
#include "component/regras/regras_digitos.h"

#include <gtest/gtest.h>

namespace velant::regras {
namespace {

// 12ABC34501DE35 is the Receita Federal's published example of the
// alphanumeric CNPJ. By hand: the characters are worth 1 2 17 18 19 3 4 5 0 1
// 20 21; with the weights 5 4 3 2 9 8 7 6 5 4 3 2 they sum 459, remainder 8,
// first digit 3; with 6 5 4 3 2 9 8 7 6 5 4 3 2 (the 3 included) they sum
// 424, remainder 6, second digit 5. The other made-up numbers were worked out
// the same way outside the tree; 00000000000A04 has a first remainder of 1.
TEST(CnpjAlfanumerico, DigitosVerificadores) {
  struct Caso {
    const char* cnpj;
    bool numerico;       // CnpjValido, layout 3.10
    bool alfanumerico;   // CnpjAlfanumericoValido, layout 4.00
  } casos[] = {
      {"12ABC34501DE35", false, true},
      {"ABCDEFGHIJKL80", false, true},
      {"00000000000A04", false, true},
      {"ZZZZZZZZZZZZ62", false, true},
      {"11222333000181", true, true},
      {"99999999000191", true, true},
      {"12ABC34501DE36", false, false},   // second digit wrong
      {"12ABC34501DE25", false, false},   // first digit wrong
      {"12ABC34501DE53", false, false},   // digits swapped
      // Check digits that would be sound if the odd character counted.
      {"12abc34501de05", false, false},   // lower case
      {"12ABC34501@E48", false, false},   // just before "A"
      {"12ABC34501[E07", false, false},   // just after "Z"
      {"12ABC34501DE3A", false, false},   // a check digit must be a digit
      {"12ABC34501DE3", false, false},
      {"12ABC34501DE350", false, false},
      {"11222333000182", false, false},
      {"00000000000000", false, false},
      {"", false, false},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.cnpj);
    EXPECT_EQ(CnpjValido(c.cnpj), c.numerico);
    EXPECT_EQ(CnpjAlfanumericoValido(c.cnpj), c.alfanumerico);
  }
}

}  // namespace
}  // namespace velant::regras
