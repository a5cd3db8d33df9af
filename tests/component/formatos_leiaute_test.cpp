#include "component/xml/formatos_leiaute.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velant::leiaute {
namespace {

struct CasoDecimal {
  const char* texto;
  FormatoDecimal formato;
  const char* esperado;   // nullptr: refused
};

class Decimais : public ::testing::TestWithParam<CasoDecimal> {};

TEST_P(Decimais, EscreveNoTipoOuRecusa) {
  const auto& c = GetParam();
  if (c.esperado == nullptr) {
    EXPECT_THROW(Decimal(c.texto, c.formato), Invalido) << c.texto;
  } else {
    EXPECT_EQ(Decimal(c.texto, c.formato), c.esperado) << c.texto;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tipos, Decimais,
    ::testing::Values(
        CasoDecimal{"1234.5", TDec_1302, "1234.50"}, CasoDecimal{"1.234,56", TDec_1302, "1234.56"},
        CasoDecimal{"1234,5", TDec_1302, "1234.50"}, CasoDecimal{"0", TDec_1302, "0.00"},
        CasoDecimal{"007.10", TDec_1302, "7.10"}, CasoDecimal{" 12 ", TDec_1302, "12.00"},
        CasoDecimal{"0.125", TDec_1302, "0.13"}, CasoDecimal{"9.995", TDec_1302, "10.00"},
        CasoDecimal{"1.234.567", TDec_1302, "1234567.00"}, CasoDecimal{"", TDec_1302, ""},
        CasoDecimal{"-3.00", TDec_1302, nullptr}, CasoDecimal{"abc", TDec_1302, nullptr},
        CasoDecimal{"1,234.56", TDec_1302, nullptr}, CasoDecimal{"12345678901234", TDec_1302, nullptr},
        CasoDecimal{"0.00", TDec_1302Opc, nullptr}, CasoDecimal{"0.01", TDec_1302Opc, "0.01"},
        CasoDecimal{"18", TDec_0302a04, "18.00"}, CasoDecimal{"2.5634", TDec_0302a04, "2.5634"},
        CasoDecimal{"2.56341", TDec_0302a04, "2.5634"}, CasoDecimal{"1000", TDec_0302a04, nullptr},
        CasoDecimal{"3.0000", TDec_1104v, "3.0000"}, CasoDecimal{"3", TDec_1104v, "3"},
        CasoDecimal{"2,5", TDec_1104v, "2.5"}, CasoDecimal{"1.123456", TDec_1104v, "1.1235"},
        CasoDecimal{"10.5000", TDec_1110v, "10.5000"}, CasoDecimal{"0.1234567890123", TDec_1110v, "0.1234567890"},
        CasoDecimal{"12.5", TDec_1203, "12.500"}, CasoDecimal{"40.5", TDec_1204temperatura, "40.5000"},
        CasoDecimal{"0", TDec_1204temperatura, nullptr}));

TEST(Numeros, ZeroEPositivo) {
  EXPECT_TRUE(VazioOuZero(""));
  EXPECT_TRUE(VazioOuZero("0,00"));
  EXPECT_FALSE(VazioOuZero("0.01"));
  EXPECT_FALSE(VazioOuZero("x"));
  EXPECT_TRUE(Positivo("1,5"));
  EXPECT_FALSE(Positivo("-1"));
  EXPECT_FALSE(Positivo("0"));
}

// Single-field writers: each row calls one writer and expects its text, or a refusal (nullptr).
#define CHAMADA(...) #__VA_ARGS__, [] { return __VA_ARGS__; }
TEST(Campos, EscreveNoTipoOuRecusa) {
  struct Caso {
    const char* chamada;
    std::function<std::string()> escrever;
    const char* esperado;
  } casos[] = {
      {CHAMADA(Inteiro("3", 15)), "3"}, {CHAMADA(Inteiro("3,00", 15)), "3"}, {CHAMADA(Inteiro("003", 3)), "3"},
      {CHAMADA(Inteiro("", 3)), ""}, {CHAMADA(Inteiro("2,5", 15)), nullptr}, {CHAMADA(Inteiro("1000", 3)), nullptr},
      {CHAMADA(Digitos("01310-100", 8, 8)), "01310100"},
      {CHAMADA(Digitos("11.222.333/0001-81", 14, 14)), "11222333000181"},
      {CHAMADA(Digitos("(11) 5555-1234", 6, 14)), "1155551234"}, {CHAMADA(Digitos("  ", 8, 8)), ""},
      {CHAMADA(Digitos("0131O100", 8, 8)), nullptr}, {CHAMADA(Digitos("1234567", 8, 8)), nullptr},
      {CHAMADA(Texto(" A ", 2, 60)), nullptr}, {CHAMADA(Enumerado(" 1 ", {"0", "1"})), "1"},
      {CHAMADA(Enumerado("", {"0", "1"})), ""}, {CHAMADA(Enumerado("2", {"0", "1"})), nullptr},
      {CHAMADA(Uf("sp", false)), "SP"}, {CHAMADA(Uf("EX", true)), "EX"}, {CHAMADA(Uf("EX", false)), nullptr},
      {CHAMADA(Uf("XX", true)), nullptr}, {CHAMADA(Fuso("-03:00")), "-03:00"}, {CHAMADA(Fuso("-3")), "-03:00"},
      {CHAMADA(Fuso("-0200")), "-02:00"}, {CHAMADA(Fuso("+12")), "+12:00"}, {CHAMADA(Fuso("-12:00")), nullptr},
      {CHAMADA(Fuso("03:00")), nullptr}, {CHAMADA(Fuso("-03:30")), nullptr},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.chamada);
    if (c.esperado == nullptr) {
      EXPECT_THROW(c.escrever(), Invalido);
    } else {
      EXPECT_EQ(c.escrever(), c.esperado);
    }
  }
}
#undef CHAMADA

struct CasoTexto {
  std::string entrada;
  int minimo, maximo;
  std::string esperado;
};

class Textos : public ::testing::TestWithParam<CasoTexto> {};

TEST_P(Textos, FicaNoTString) { EXPECT_EQ(Texto(GetParam().entrada, GetParam().minimo, GetParam().maximo), GetParam().esperado); }

INSTANTIATE_TEST_SUITE_P(
    Casos, Textos,
    ::testing::Values(CasoTexto{"  CAFÉ  ", 1, 60, "CAFÉ"}, CasoTexto{"LINHA1\r\nLINHA2", 1, 60, "LINHA1  LINHA2"},
                      CasoTexto{"\t\n", 1, 60, ""}, CasoTexto{"“Aspas” – travessão…", 1, 60, "\"Aspas\" - travessão..."},
                      CasoTexto{"SORRISO \xF0\x9F\x98\x80 FIM", 1, 60, "SORRISO  FIM"},
                      CasoTexto{"ABCDEFGHIJ", 1, 5, "ABCDE"}, CasoTexto{"ABCD EFGH", 1, 5, "ABCD"},
                      CasoTexto{"ÇÃÕÉÍ", 1, 3, "ÇÃÕ"}, CasoTexto{"CAF\xC9", 1, 60, "CAFÉ"},   // Windows-1252
                      CasoTexto{"A\xC2\xA0", 1, 60, "A"}));

struct CasoData {
  const char* texto;
  const char* esperado;   // "" = no date; nullptr = refused
};

class Datas : public ::testing::TestWithParam<CasoData> {};

TEST_P(Datas, LeEEscreveNoFormatoUtc) {
  const auto& c = GetParam();
  if (c.esperado == nullptr) {
    EXPECT_THROW(LerDataHora(c.texto), Invalido) << c.texto;
    return;
  }
  auto d = LerDataHora(c.texto);
  if (*c.esperado == '\0') {
    EXPECT_FALSE(d) << c.texto;
  } else {
    ASSERT_TRUE(d) << c.texto;
    EXPECT_EQ(DataHoraUTC(*d, "-03:00"), c.esperado);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formas, Datas,
    ::testing::Values(CasoData{"15/01/2016 10:30:00", "2016-01-15T10:30:00-03:00"},
                      CasoData{"15/01/2016 10:30", "2016-01-15T10:30:00-03:00"},
                      CasoData{"5/1/2016 8:05", "2016-01-05T08:05:00-03:00"},
                      CasoData{"15/01/2016", "2016-01-15T00:00:00-03:00"},
                      CasoData{"2016-01-15T10:30:00", "2016-01-15T10:30:00-03:00"},
                      CasoData{"2016-01-15 10:30:00", "2016-01-15T10:30:00-03:00"},
                      CasoData{"2016-01-15T10:30:00-02:00", "2016-01-15T10:30:00-02:00"},
                      CasoData{"2016-01-15T10:30:00.123Z", "2016-01-15T10:30:00+00:00"},
                      CasoData{"29/02/2016 23:59:59", "2016-02-29T23:59:59-03:00"}, CasoData{"", ""},
                      CasoData{"00:00:00", ""}, CasoData{"30/12/1899 00:00:00", ""},
                      CasoData{"29/02/2015", nullptr}, CasoData{"15/13/2016", nullptr},
                      CasoData{"15/01/16", nullptr}, CasoData{"15/01/2016 24:00", nullptr},
                      CasoData{"ontem", nullptr}, CasoData{"2016-01-15T10:30:00-03:30", nullptr}));

TEST(Datas, AnoForaDoLeiauteERecusadoAoEscrever) {
  auto d = LerDataHora("15/01/1999");
  ASSERT_TRUE(d);
  EXPECT_THROW(DataHoraUTC(*d, "-03:00"), Invalido);
  EXPECT_THROW(Data(*d), Invalido);
  EXPECT_EQ(Data(*LerDataHora("2015-03-05")), "2015-03-05");
}

}  // namespace
}  // namespace velant::leiaute
