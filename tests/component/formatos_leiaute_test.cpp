#include "component/xml/formatos_leiaute.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velant::leiaute {
namespace {

// What a writer returns, or "recusado" when it refuses the value.
template <class F>
std::string OuRecusa(F escrever) {
  try {
    return escrever();
  } catch (const Invalido&) {
    return "recusado";
  }
}

TEST(Decimais, EscreveNoTipoOuRecusa) {
  struct {
    const char* texto;
    FormatoDecimal formato;
    const char* esperado;   // nullptr: refused
  } casos[] = {
      {"1234.5", TDec_1302, "1234.50"}, {"1.234,56", TDec_1302, "1234.56"}, {"1234,5", TDec_1302, "1234.50"},
      {"0", TDec_1302, "0.00"}, {"007.10", TDec_1302, "7.10"}, {" 12 ", TDec_1302, "12.00"},
      {"0.125", TDec_1302, "0.13"}, {"9.995", TDec_1302, "10.00"}, {"1.234.567", TDec_1302, "1234567.00"},
      {"", TDec_1302, ""}, {"-3.00", TDec_1302, nullptr}, {"abc", TDec_1302, nullptr},
      {"1,234.56", TDec_1302, nullptr}, {"12345678901234", TDec_1302, nullptr}, {"0.00", TDec_1302Opc, nullptr},
      {"0.01", TDec_1302Opc, "0.01"}, {"18", TDec_0302a04, "18.00"}, {"2.5634", TDec_0302a04, "2.5634"},
      {"2.56341", TDec_0302a04, "2.5634"}, {"1000", TDec_0302a04, nullptr}, {"3.0000", TDec_1104v, "3.0000"},
      {"3", TDec_1104v, "3"}, {"2,5", TDec_1104v, "2.5"}, {"1.123456", TDec_1104v, "1.1235"},
      {"10.5000", TDec_1110v, "10.5000"}, {"0.1234567890123", TDec_1110v, "0.1234567890"},
      {"12.5", TDec_1203, "12.500"}, {"40.5", TDec_1204temperatura, "40.5000"}, {"0", TDec_1204temperatura, nullptr}};
  for (const auto& c : casos)
    EXPECT_EQ(OuRecusa([&] { return Decimal(c.texto, c.formato); }), c.esperado ? c.esperado : "recusado") << c.texto;
}

TEST(Numeros, ZeroEPositivo) {
  std::string vazios, positivos;
  for (const char* t : {"", "0,00", "0.01", "x", "1,5", "-1", "0"}) vazios += VazioOuZero(t) ? "S" : "n";
  for (const char* t : {"", "0,00", "0.01", "x", "1,5", "-1", "0"}) positivos += Positivo(t) ? "S" : "n";
  EXPECT_EQ(vazios + "|" + positivos, "SSnnnnS|nnSnSnn");
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
  for (const auto& c : casos) EXPECT_EQ(OuRecusa(c.escrever), c.esperado ? c.esperado : "recusado") << c.chamada;
}
#undef CHAMADA

TEST(Textos, FicaNoTString) {
  const struct {
    std::string entrada;
    int minimo, maximo;
    std::string esperado;
  } casos[] = {{"  CAFÉ  ", 1, 60, "CAFÉ"}, {"LINHA1\r\nLINHA2", 1, 60, "LINHA1  LINHA2"}, {"\t\n", 1, 60, ""},
               {"“Aspas” – travessão…", 1, 60, "\"Aspas\" - travessão..."},
               {"SORRISO \xF0\x9F\x98\x80 FIM", 1, 60, "SORRISO  FIM"}, {"ABCDEFGHIJ", 1, 5, "ABCDE"},
               {"ABCD EFGH", 1, 5, "ABCD"}, {"ÇÃÕÉÍ", 1, 3, "ÇÃÕ"}, {"CAF\xC9", 1, 60, "CAFÉ"},   // Windows-1252
               {"A\xC2\xA0", 1, 60, "A"}};
  for (const auto& c : casos) EXPECT_EQ(Texto(c.entrada, c.minimo, c.maximo), c.esperado) << c.entrada;
}

TEST(Datas, LeEEscreveNoFormatoUtc) {
  struct {
    const char* texto;
    const char* esperado;   // "" = no date; nullptr = refused
  } casos[] = {{"15/01/2016 10:30:00", "2016-01-15T10:30:00-03:00"}, {"15/01/2016 10:30", "2016-01-15T10:30:00-03:00"},
               {"5/1/2016 8:05", "2016-01-05T08:05:00-03:00"}, {"15/01/2016", "2016-01-15T00:00:00-03:00"},
               {"2016-01-15T10:30:00", "2016-01-15T10:30:00-03:00"},
               {"2016-01-15 10:30:00", "2016-01-15T10:30:00-03:00"},
               {"2016-01-15T10:30:00-02:00", "2016-01-15T10:30:00-02:00"},
               {"2016-01-15T10:30:00.123Z", "2016-01-15T10:30:00+00:00"},
               {"29/02/2016 23:59:59", "2016-02-29T23:59:59-03:00"}, {"", ""}, {"00:00:00", ""},
               {"30/12/1899 00:00:00", ""}, {"29/02/2015", nullptr}, {"15/13/2016", nullptr}, {"15/01/16", nullptr},
               {"15/01/2016 24:00", nullptr}, {"ontem", nullptr}, {"2016-01-15T10:30:00-03:30", nullptr}};
  for (const auto& c : casos) {
    auto escrita = OuRecusa([&] {
      auto d = LerDataHora(c.texto);
      return d ? DataHoraUTC(*d, "-03:00") : "";
    });
    EXPECT_EQ(escrita, c.esperado ? c.esperado : "recusado") << c.texto;
  }
  // A year outside the layout's is refused when written.
  auto d = LerDataHora("15/01/1999");
  ASSERT_TRUE(d);
  EXPECT_THROW(DataHoraUTC(*d, "-03:00"), Invalido);
  EXPECT_THROW(Data(*d), Invalido);
  EXPECT_EQ(Data(*LerDataHora("2015-03-05")), "2015-03-05");
}

}  // namespace
}  // namespace velant::leiaute
