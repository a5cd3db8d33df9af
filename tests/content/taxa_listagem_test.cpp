// The Simples Nacional credit rate from the registry, and the slot listing.
#include <gtest/gtest.h>

#include "apoio_conteudo.h"
#include "content/listagem_vetores.h"

namespace velant::teste_conteudo {
namespace {

TEST(TaxaCreditoSN, TextoDoRegistroComQualquerSeparador) {
  const std::pair<const char*, const char*> casos[] = {
      {"1,25", "1.25"}, {"1.25", "1.25"}, {"2,5%", "2.5"}, {" 3 ", "3"}, {"", "0"}, {"1.234,5", "1234.5"}};
  for (const auto& [texto, esperado] : casos) {
    AmbienteConteudo a;
    a.Registro({{"TaxaCreditoSN", texto}});
    EXPECT_EQ(LerTaxaCreditoSN(a.ctx).TextoInvariante(), esperado) << texto;
  }
  AmbienteConteudo semValor;
  EXPECT_EQ(LerTaxaCreditoSN(semValor.ctx), Currency());
}

TEST(TaxaCreditoSN, SemTaxaOCreditoEZero) {
  AmbienteConteudo a;
  a.estado.RegimeTributario = "1";
  a.Item({{"CodSitTrib", Valor("101")}});
  a.Pronto();
  ASSERT_TRUE(PreencheVetores(a.ctx));
  EXPECT_EQ(a.vetores.gVetorProdutos[0][77], "0.00");
  EXPECT_EQ(a.vetores.gVetorProdutos[0][78], "0.00");
}

TEST(ListaVetores, UmSlotPorLinhaNaOrdemDaEntrega) {
  VetoresNFe v;
  v.gVetorIde = {"35", "a\r\nb\\c"};
  v.gVetorProdutos = {{"x", ""}, {"y"}};
  v.gQtdFaturas = -1;
  v.gVetorFaturas = {{"1"}};
  v.gVetorAutXML = {"", ""};
  EXPECT_EQ(ListaVetores(v),
            "gVetorIde[0]=35\n"
            "gVetorIde[1]=a\\r\\nb\\\\c\n"
            "gVetorProdutos[0][0]=x\n"
            "gVetorProdutos[0][1]=\n"
            "gVetorProdutos[1][0]=y\n"
            "gQtdFaturas=-1\n"
            "gVetorFaturas[0][0]=1\n"
            "gVetorAutXML[0]=\n"
            "gVetorAutXML[1]=\n");
}

}  // namespace
}  // namespace velant::teste_conteudo
