// Text normalisation, number formats, the credit rate read from the registry
// and the slot listing.
#include <gtest/gtest.h>

#include <tuple>

#include "apoio_conteudo.h"
#include "apoio/erro_teste.h"
#include "content/formatacao_numeros.h"
#include "content/listagem_vetores.h"
#include "content/normalizacao_texto.h"

namespace velant::teste_conteudo {
namespace {

using Normaliza = std::string (*)(const Valor&);

TEST(Normalizacao, CadaCaractereDasTabelas) {
  const struct {
    Normaliza funcao;
    const char* entrada;
    const char* esperado;
  } casos[] = {
      {RemoveAcentos, "S\u00C3O JO\u00C3O D'ALIAN\u00C7A", "SAO JOAO D ALIANCA"},
      {RemoveAcentos, "RUA 7 DE SETEMBRO, N\u00BA 10", "RUA 7 DE SETEMBRO, N\u00BA 10"},
      {RemoveAcentos, "A+B=C", "A B C"}, {RemoveAcentos, "LINHA1\r\nLINHA2", "LINHA1LINHA2"},
      {RemoveAcentos,
       "\u00C1\u00C0\u00C3\u00C2\u00C4\u00E1\u00E0\u00E3\u00E2\u00E4\u00C9\u00CA\u00CB\u00C8\u00E9\u00EA\u00EB\u00E8"
       "\u00CD\u00CF\u00CC\u00ED\u00EF\u00EC\u00D3\u00D4\u00D5\u00D6\u00D2\u00F3\u00F4\u00F5\u00F6\u00F2"
       "\u00DA\u00D9\u00DC\u00DB\u00FA\u00F9\u00FC\u00FB\u00C7\u00E7\u00D1\u00F1",
       "AAAAAaaaaaEEEEeeeeIIIiiiOOOOOoooooUUUUuuuuCcNn"},
      // The whole punctuation set, one blank each.
      {RemoveAcentos, "'!@#$&*()-_+=\u00A7|\\<>:?/\u00B0]}[{\u00AC\u00A2\u00A3\u00B4`~^\u00A8",
       "                                  "},
      // Unchanged: circumflex I, stop, comma, semicolon, percent, double quote, ordinals, digits.
      {RemoveAcentos, "\u00CE\u00EE.,;%\"\u00BA\u00AA09az", "\u00CE\u00EE.,;%\"\u00BA\u00AA09az"},
      {RemoveAcentos, "", ""}, {RetiraAcentos, "LINHA1\r\nLINHA2", "LINHA1 LINHA2"},
      {RetiraAcentos, "D'\u00C1GUA", "D\u00B4AGUA"}, {RetiraAcentos, "P\u00E3o \u00E0 vista", "Pao \u00E0 vista"},
      {RetiraAcentos, "\u20AC", "C"}, {RetiraAcentos, "A\rB", "AB"},
      {RetiraAcentos, "A\nB", "A\nB"},   // a lone line feed stays
      {RetiraAcentos, "\u00C9\u00CA\u00E9\u00EA\u00C2\u00C1\u00C3\u00E3\u00E1\u00C7\u00E7\u00D5\u00D3\u00D4\u00F5\u00F3\u00F4"
                      "\u00CD\u00ED\u00DA\u00FA\u00A7\u00BA\u00AA", "EEeeAAAaaCcOOOoooIiUuooa"},
      // Not in its table: kept.
      {RetiraAcentos, "\u00C0\u00E0\u00E2\u00C4\u00E4\u00C8\u00FC\u00D1\u00F1-+/!",
       "\u00C0\u00E0\u00E2\u00C4\u00E4\u00C8\u00FC\u00D1\u00F1-+/!"},
      {RetiraAcentos, "", ""}, {SomenteNumeros, "12.345-6", "123456"}, {SomenteNumeros, "ISENTO", ""},
      {SomenteNumeros, "", ""}, {SomenteNumeros, "3515 0312-3456/78", "35150312345678"},
      {SomenteNumeros, "\u00B9\u00B2 9", "9"},
  };
  for (const auto& c : casos) EXPECT_EQ(c.funcao(Valor(c.entrada)), c.esperado) << c.entrada;
}

TEST(Normalizacao, NuloENumero) {
  DefinirRegional(RegionalPtBR());
  EXPECT_EQ(RemoveAcentos(Valor::Nulo()), "");
  EXPECT_EQ(RemoveAcentos(Moeda("12.5")), "12,5");
  const int usoInvalidoDeNull = static_cast<int>(CodigoErro::UsoInvalidoDeNull);
  EXPECT_EQ(teste::ErroDe([] { RetiraAcentos(Valor::Nulo()); }), usoInvalidoDeNull);
  EXPECT_EQ(teste::ErroDe([] { SomenteNumeros(Valor::Nulo()); }), usoInvalidoDeNull);
}

// Exact halves go to the even neighbour; what is no number is zero. (Every
// other value: the comparison with Format below.)
TEST(Formatacao, Decimais2e3ArredondandoMetadesAoPar) {
  DefinirRegional(RegionalPtBR());
  const std::tuple<Valor, const char*, const char*> casos[] = {
      {Moeda("0.125"), "0.12", "0.125"},  {Moeda("0.375"), "0.38", "0.375"},   {Moeda("2.0005"), "2.00", "2.000"},
      {Moeda("2.0015"), "2.00", "2.002"}, {Moeda("-0.125"), "-0.12", "-0.125"}, {Valor("ABC"), "0.00", "0.000"},
      {Valor("1.234,56"), "1234.56", "1234.560"},
  };
  for (const auto& [entrada, duas, tres] : casos) {
    EXPECT_EQ(FormataDecimal2(entrada), duas) << duas;
    EXPECT_EQ(FormataDecimal3(entrada), tres) << tres;
  }
}

// Values of every type, through the direct path where it applies, must give
// what the regional text and Format give.
TEST(Formatacao, DecimaisIguaisAoTextoFormatado) {
  DefinirRegional(RegionalPtBR());
  std::vector<Valor> valores = {Valor::Nulo(), Valor(), Valor(""), Valor("  12,5 "), Valor("-0,004"), Valor("&H10"),
                                Valor("&HFFFFFFFFFF"), Valor("1e3"), Valor("15/01/2016"), Valor(int16_t{-7}),
                                Valor(int32_t{2147483647}), Valor(int64_t{-922337203685477}), Valor(true), Valor(2.675),
                                Valor(DataHora::De(2016, 1, 15)), Moeda("922337203685477.5807"), Moeda("-0.0049")};
  // Currency values across the rounding of each count of decimals.
  for (int64_t bruto = -30000; bruto <= 30000; bruto += 7) valores.emplace_back(Currency::DeBruto(bruto * 13));
  const std::pair<int, const char*> padroes[] = {{2, "#######0.00"}, {3, "#######0.000"}, {4, "#######0.0000"}};
  for (const Valor& v : valores) {
    for (const auto& [casas, padrao] : padroes) {
      const std::string* texto = AcessoValor::Se<std::string>(v);
      if (casas == 4 && texto == nullptr) continue;  // FormataDecimal4 takes a text
      std::string esperado = Format(Valor(IsNumeric(v) ? CStr(v) : std::string("0")), padrao);
      esperado.replace(esperado.size() - static_cast<size_t>(casas) - 1, 1, ".");
      std::string direto = casas == 2 ? FormataDecimal2(v) : casas == 3 ? FormataDecimal3(v) : FormataDecimal4(*texto);
      EXPECT_EQ(direto, esperado) << (v.ENulo() ? std::string("Nulo") : CStr(v)) << " com " << casas << " casas";
    }
  }
}

TEST(Formatacao, Decimal4DeTexto) {
  DefinirRegional(RegionalPtBR());
  const std::pair<const char*, const char*> casos[] = {
      {"3", "3.0000"},       {"2,5", "2.5000"},         {"", "0.0000"},         {"X", "0.0000"},
      {"40,5", "40.5000"},   {"0,00005", "0.0000"},     {"0,00015", "0.0002"},  {"-1,25", "-1.2500"}};
  for (const auto& [entrada, esperado] : casos) EXPECT_EQ(FormataDecimal4(entrada), esperado) << entrada;
}

TEST(Formatacao, ValorCampoSoNumRegistro) {
  data::Recordset nota;
  nota.AppendCampo("x", data::adVarChar, 10);
  nota.Open();
  nota.AddNew();
  nota.Update();
  nota.MoveFirst();
  EXPECT_EQ(ValorCampo(nota, Valor::Nulo()), "");
  EXPECT_EQ(ValorCampo(nota, Valor(int32_t{12})), "12");
  EXPECT_EQ(ValorCampo(nota, Valor("abc")), "abc");
  nota.MoveNext();   // past the last record: every value reads as empty
  ASSERT_TRUE(nota.Eof());
  EXPECT_EQ(ValorCampo(nota, Valor("abc")), "");
}

TEST(TaxaCreditoSN, TextoDoRegistroComQualquerSeparador) {
  const std::pair<const char*, const char*> casos[] = {
      {"1,25", "1.25"}, {"1.25", "1.25"}, {"2,5%", "2.5"}, {" 3 ", "3"}, {"", "0"}, {"1.234,5", "1234.5"}};
  for (const auto& [texto, esperado] : casos) {
    AmbienteConteudo a(Registros{{"TaxaCreditoSN", texto}});
    EXPECT_EQ(LerTaxaCreditoSN(a.ctx).TextoInvariante(), esperado) << texto;
  }
  AmbienteConteudo semValor;
  EXPECT_EQ(LerTaxaCreditoSN(semValor.ctx), Currency());
}

TEST(ListaVetores, UmSlotPorLinhaNaOrdemDaEntrega) {
  VetoresNFe v;
  v.gVetorIde = {"35", "a\r\nb\\c"};
  v.gVetorProdutos = {{"x", ""}, {"y"}};
  v.gQtdFaturas = -1;
  v.gVetorFaturas = {{"1"}};
  v.gVetorAutXML = {"", ""};
  EXPECT_EQ(ListaVetores(v),
            "gVetorIde[0]=35\ngVetorIde[1]=a\\r\\nb\\\\c\ngVetorProdutos[0][0]=x\ngVetorProdutos[0][1]=\n"
            "gVetorProdutos[1][0]=y\ngQtdFaturas=-1\ngVetorFaturas[0][0]=1\ngVetorAutXML[0]=\ngVetorAutXML[1]=\n");
}

}  // namespace
}  // namespace velant::teste_conteudo
