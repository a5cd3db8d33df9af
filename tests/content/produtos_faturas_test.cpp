// Item product slots, the walk over the items, billing, authorised readers
// and the sequence of PreencheVetores.
#include <gtest/gtest.h>

#include "apoio_conteudo.h"

namespace velant::teste_conteudo {
namespace {

// Runs the items alone, with the products total the totals would write.
std::vector<std::vector<std::string>> Itens(AmbienteConteudo& a, const char* totalProdutos = "10.00") {
  a.Pronto();
  a.vetores.gVetorTotais.assign(kSlotsTotais, "");
  a.vetores.gVetorTotais[4] = totalProdutos;
  Gera_dados_produtos(a.ctx);
  return a.vetores.gVetorProdutos;
}

TEST(Produtos, SlotsDoProduto) {
  AmbienteConteudo a;
  a.Item({{"CodProduto", Valor("ABC-1")},
          {"CodBarras", Valor("7891234567895")},
          {"NomeProd", Valor("P\u00C3O D'\u00C1GUA\r\nGRANDE")},
          {"NCMProd", Valor("19052090")},
          {"UnidadeProd", Valor("KG")},
          {"QntProd", Moeda("3")},
          {"ValorUnitProd", Moeda("10.5")},
          {"TotalProdServ", Moeda("1234.5")},
          {"ValorFreteProd", Valor::Nulo()},
          {"DescontoProd", Valor::Nulo()}});
  auto itens = Itens(a);
  ASSERT_EQ(itens.size(), 1u);
  const auto& l = itens[0];
  ASSERT_EQ(l.size(), 138u);
  EXPECT_EQ(l[0], "ABC-1");
  EXPECT_EQ(l[1], "7891234567895");
  EXPECT_EQ(l[2], "PAO D\u00B4AGUA GRANDE");
  EXPECT_EQ(l[3], "19052090");
  EXPECT_EQ(l[4], "");
  EXPECT_EQ(l[5], "5102");
  EXPECT_EQ(l[6], "KG");
  EXPECT_EQ(l[7], "3.0000");
  EXPECT_EQ(l[8], "10.5000");
  EXPECT_EQ(l[9], "1234.50");
  EXPECT_EQ(l[10], "7891234567895");
  EXPECT_EQ(l[11], "KG");
  EXPECT_EQ(l[12], "3.0000");
  EXPECT_EQ(l[13], "10.5000");
  EXPECT_EQ(l[14], "0.00");
  EXPECT_EQ(l[15], "0.00");
  EXPECT_EQ(l[16], "0.00");
  EXPECT_EQ(l[76], "1");
  EXPECT_EQ(l[96], "0.00");
  for (int i : {39, 40, 41, 42, 43, 53, 70, 75, 79, 86, 97, 131, 133, 137}) EXPECT_EQ(l[i], "") << i;
}

TEST(Produtos, CodigoDeBarrasSoEan13ForaDoPrefixo2) {
  const std::pair<Valor, const char*> casos[] = {
      {Valor("7891234567895"), "7891234567895"}, {Valor("2891234567895"), ""}, {Valor("78912345"), ""},
      {Valor("78912345678951"), ""},             {Valor::Nulo(), ""}};
  for (const auto& [codigo, esperado] : casos) {
    AmbienteConteudo a;
    a.Item({{"CodBarras", codigo}});
    auto itens = Itens(a);
    EXPECT_EQ(itens[0][1], esperado);
    EXPECT_EQ(itens[0][10], esperado);
  }
}

TEST(Produtos, ParteDasOutrasDespesas) {
  AmbienteConteudo a;
  a.Item({{"OutrosTot", Moeda("10")}, {"TotalProdServ", Moeda("50")}});
  EXPECT_EQ(Itens(a, "200.00")[0][96], "2.50");

  // Three items of 1.00: 3.33 each, 9.99 in all.
  AmbienteConteudo b;
  for (int i = 0; i < 3; ++i) b.Item({{"OutrosTot", Moeda("10")}, {"TotalProdServ", Moeda("1")}});
  auto itens = Itens(b, "3.00");
  ASSERT_EQ(itens.size(), 3u);
  for (const auto& l : itens) EXPECT_EQ(l[96], "3.33");

  // No other expenses: the products total is not read.
  AmbienteConteudo c;
  c.Item({{"OutrosTot", Moeda("0")}});
  EXPECT_EQ(Itens(c, "")[0][96], "0.00");

  // A share above a thousand loses its grouping.
  AmbienteConteudo d;
  d.Item({{"OutrosTot", Moeda("2469")}, {"TotalProdServ", Moeda("100")}});
  EXPECT_EQ(Itens(d, "200.00")[0][96], "1234.50");
}

TEST(Produtos, LinhasNaOrdemDosRegistrosEAbertaNaoFica) {
  AmbienteConteudo a;
  a.Item({{"CodProduto", Valor("A")}});
  a.Item({{"CodProduto", Valor("B")}, {"CodSitTrib", Valor("060")}});
  auto itens = Itens(a);
  ASSERT_EQ(itens.size(), 2u);
  EXPECT_EQ(itens[0][0], "A");
  EXPECT_EQ(itens[1][0], "B");
  EXPECT_EQ(a.tabelas.TabelaNota.State(), data::adStateClosed);
  EXPECT_EQ(a.vetores.gSituacaoTributaria, "060");   // the last item's code stays
}

// The item routine has no handler: its first error reaches PreencheVetores,
// which shows it and stops before billing.
TEST(PreencheVetores, ErroNoItemMostraCaixaERetornaFalso) {
  struct Caso {
    const char* nome;
    const char* regime;
    Colunas segundoItem;
  } casos[] = {
      {"QuantidadeNula", "3", {{"QntProd", Valor::Nulo()}}},
      {"SituacaoNula", "3", {{"CodSitTrib", Valor::Nulo()}}},
      {"CstPisNulo", "3", {{"CSTPis", Valor::Nulo()}}},
      {"IvaNuloNoCsosn201", "1", {{"CodSitTrib", Valor("201")}, {"ValorIva", Valor::Nulo()}}},
      {"BcstNuloNoCsosn900", "1", {{"CodSitTrib", Valor("900")}, {"BCST", Valor::Nulo()}}},
      {"OutrosNulo", "3", {{"OutrosTot", Valor::Nulo()}}},
      {"RegimeVazio", "", {}},
  };
  for (const auto& c : casos) {
    AmbienteConteudo a;
    a.estado.RegimeTributario = c.regime;
    a.Item();
    a.Item(c.segundoItem);
    a.Duplicata("1/1", DataHora::De(2015, 3, 5), "10");
    a.Pronto();
    EXPECT_FALSE(PreencheVetores(a.ctx)) << c.nome;
    ASSERT_EQ(a.ui.Caixas().size(), 1u) << c.nome;
    EXPECT_EQ(a.ui.Caixas()[0].titulo, "PreencheVetores");
    EXPECT_EQ(a.ui.Caixas()[0].estilo, vbCritical);
    EXPECT_EQ(a.ui.Caixas()[0].prompt.rfind("Erro: ", 0), 0u);
    EXPECT_TRUE(a.vetores.gVetorFaturas.empty()) << c.nome;
    EXPECT_TRUE(a.vetores.gVetorAutXML.empty()) << c.nome;
    EXPECT_EQ(a.vetores.gVetorIde.size(), 37u);
    if (std::string(c.regime) != "") {
      EXPECT_EQ(a.vetores.gVetorProdutos[0][0], "P1") << c.nome;
    }
  }
}

TEST(PreencheVetores, NotaSemItensFalha) {
  AmbienteConteudo a;
  a.Pronto();
  EXPECT_FALSE(PreencheVetores(a.ctx));
  EXPECT_EQ(a.ui.Caixas().size(), 1u);
}

TEST(PreencheVetores, TodosOsVetoresComSuasFormas) {
  AmbienteConteudo a;
  a.Item();
  a.Item();
  a.Pronto();
  ASSERT_TRUE(PreencheVetores(a.ctx));
  const auto& v = a.vetores;
  EXPECT_EQ(v.gVetorIde.size(), 37u);
  EXPECT_EQ(v.gVetorEmitente.size(), 16u);
  EXPECT_EQ(v.gVetorDestinatario.size(), 40u);
  ASSERT_EQ(v.gVetorProdutos.size(), 2u);
  EXPECT_EQ(v.gVetorProdutos[1].size(), 138u);
  EXPECT_EQ(v.gVetorTotais.size(), 29u);
  EXPECT_EQ(v.gVetorTransporte.size(), 29u);
  ASSERT_EQ(v.gVetorFaturas.size(), 1u);
  EXPECT_EQ(v.gVetorFaturas[0].size(), 7u);
  EXPECT_EQ(v.gQtdFaturas, -1);
  EXPECT_EQ(v.gVetorInfAdic.size(), 11u);
  EXPECT_EQ(v.gVetorAutXML, (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(a.ui.Caixas().empty());
}

TEST(Faturas, SemDuplicatas) {
  AmbienteConteudo a;
  a.Item();
  a.Pronto();
  ASSERT_TRUE(PreencheVetores(a.ctx));
  const auto& f = a.vetores.gVetorFaturas;
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0], (std::vector<std::string>{"1234", "10.00", "10.00", "", "", "", ""}));
  EXPECT_EQ(a.vetores.gQtdFaturas, -1);
  EXPECT_TRUE(a.Registrado("        Gerando vetor Faturas..."));
  EXPECT_TRUE(a.Registrado("        Gerado vetor Fatura!"));
  EXPECT_TRUE(a.Registrado("        Gerando vetor autXML..."));
  EXPECT_TRUE(a.Registrado("        Gerado vetor autXML!"));
}

TEST(Faturas, TresDuplicatas) {
  AmbienteConteudo a;
  a.Item();
  a.Duplicata("1234/1", DataHora::De(2015, 3, 5), "3.33");
  a.Duplicata("1234/2", DataHora::De(2015, 4, 5), "3.33");
  a.Duplicata("1234/3", DataHora::De(2015, 5, 5), "3.34");
  a.Pronto();
  ASSERT_TRUE(PreencheVetores(a.ctx));
  const auto& f = a.vetores.gVetorFaturas;
  ASSERT_EQ(f.size(), 4u);
  EXPECT_EQ(a.vetores.gQtdFaturas, 2);
  EXPECT_EQ(f[0], (std::vector<std::string>{"1234", "10.00", "10.00", "1234/1", "2015-03-05", "3.33", ""}));
  EXPECT_EQ(f[1], (std::vector<std::string>{"", "", "", "1234/2", "2015-04-05", "3.33", ""}));
  EXPECT_EQ(f[2], (std::vector<std::string>{"", "", "", "1234/3", "2015-05-05", "3.34", ""}));
  EXPECT_EQ(f[3], std::vector<std::string>(7));
  EXPECT_EQ(a.tabelas.TabelaDuplicatas.State(), data::adStateClosed);
}

TEST(Faturas, ErroRegistraEGuardaAsLinhasEscritas) {
  AmbienteConteudo a;
  a.Item();
  a.Duplicata("1/2", DataHora::De(2015, 3, 5), "5");
  auto& d = a.tabelas.TabelaDuplicatas;
  d.AddNew();   // an instalment without its number
  d.SetValue("DtVenc", Valor(DataHora::De(2015, 4, 5)));
  d.Update();
  a.Pronto();
  ASSERT_TRUE(PreencheVetores(a.ctx));
  const auto& f = a.vetores.gVetorFaturas;
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0][3], "1/2");
  EXPECT_EQ(f[1][3], "");
  bool achou = false;
  for (const auto& e : a.ui.Eventos()) {
    if (e.rfind("     ** Erro na Rotina: Gera_dados_faturas - ", 0) == 0) achou = true;
  }
  EXPECT_TRUE(achou);
  EXPECT_FALSE(a.Registrado("        Gerado vetor Fatura!"));
  EXPECT_TRUE(a.Registrado("        Gerado vetor autXML!"));   // the sequence goes on
}

}  // namespace
}  // namespace velant::teste_conteudo
