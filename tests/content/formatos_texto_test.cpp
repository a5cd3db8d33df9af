// Text normalisation, number formats, the credit rate read from the registry
// and the slot listing.
#include <gtest/gtest.h>

#include <tuple>

#include "apoio_conteudo.h"
#include "content/formatacao_numeros.h"
#include "content/listagem_vetores.h"

namespace velant::teste_conteudo {
namespace {

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
