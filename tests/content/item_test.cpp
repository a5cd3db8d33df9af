// The item rows: product slots, the ICMS decision (stages 0 to 4), PIS,
// COFINS, IPI framing, the fuel group; then the whole sequence and billing.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "apoio_conteudo.h"

namespace velant::teste_conteudo {
namespace {

// The slots of this file are those of an item row, but for billing's.
using namespace velant::Produto;

// The item row of a sale whose tax columns are all filled; `colunas` then overwrite.
std::vector<std::string> LinhaDoItem(const char* regime, const Colunas& colunas) {
  AmbienteConteudo a(Registros{{"TaxaCreditoSN", "1,25"}});
  a.atual.RegimeTributario = regime;
  Colunas todas = {{"ValorBCICMSProd", Moeda("100")}, {"AliquotaICMSProd", Moeda("18")}, {"ValorIcmsProd", Moeda("18")},
                   {"ValorIva", Moeda("40")}, {"PercentualRedICMSSub", Moeda("10")}, {"PercentualICMSSub", Moeda("17")},
                   {"ValorIcmsSub", Moeda("5")}, {"BCST", Moeda("140")}, {"PercentualRedICMS", Moeda("20")},
                   {"TotalProdServ", Moeda("100")}, {"TotalDescontoPd", Moeda("10")}};
  todas.insert(todas.end(), colunas.begin(), colunas.end());
  a.Item(todas);
  return Produto(a);
}

// The listed slots hold, in order, the texts between the bars.
void ConfereEmOrdem(const std::vector<std::string>& linha, const std::vector<Slot>& slots, const std::string& textos) {
  std::string lido;
  for (Slot s : slots) lido += linha.at(s) + "|";
  EXPECT_EQ(lido, textos + "|");
}

// Regime, CFOP, the item's tax situation, and the ICMS slots it gives.
TEST(Icms, Decisao) {
  const struct {
    const char *nome, *regime, *cfop, *S;
    const char* slots;   // orig|CSTouCSOSN|modBC|vBC|pICMS|vICMS|modBCST|pMVAST|pRedBCST|pCredSN|vCredICMSSN
    const char* uf = "SP";
    const char* servprod = "P";
    Colunas extras = {};
  } casos[] = {
      // Stage 1 and the regimes that skip stage 3.
      {"SimplesDevolucao6202", "1", "6202", "000", "0||2|100.00|18.00|18.00|||||"},
      {"SimplesOutras5949Servico", "1", "5949", "000", "0||2|0.00|0.00|0.00|||||", "SP", "S"},
      {"SimplesEcf5929", "1", "5929", "000", "0|400|1||||||||"},
      {"SimplesAnulacao1913", "1", "1913", "000", "0|000|1|0.00|0.00|0.00|||||"},
      {"SimplesOutroCfop", "1", "5102", "000", "0||0|0.00|0.00|0.00|||||"},
      {"NormalEcf5929", "3", "5929", "060", "0|60|3|0.00|0.00|0.00||40.00|10.00||"},
      {"NormalVenda", "3", "5102", "000", "0|00|2|100.00|18.00|18.00||40.00|10.00||"},
      {"NormalServico", "3", "5102", "060", "0|60|2|0.00|0.00|0.00||40.00|10.00||", "SP", "S"},
      {"Regime2SemEstagio3", "2", "5102", "000", "0|00|2|100.00|18.00|18.00|||||"},
      {"Regime2Ecf", "2", "6929", "241", "2|41|3|0.00|0.00|0.00|||||"},
      {"OrigemDaEntradaEZero", "3", "1102", "200", "0|00|2|100.00|18.00|18.00||40.00|10.00||",
       "SP", "P", {{"tpNF", Moeda("0")}}},
      // Stage 2: CST 60 of regime 0.
      {"Cst60Regime0", "0", "5102", "060", "0|60|2|100.00|18.00|18.00|0|40.00|0.00||"},
      {"Cst60Regime0SemIva", "0", "5102", "060", "0|60|2|100.00|18.00|18.00|0||||",
       "SP", "P", {{"ValorIva", Moeda("0")}, {"PercentualRedICMSSub", Moeda("0")}}},
      // Stage 3, Simples Nacional. Rule 590: a CST under it is refused; an export is immune (CSOSN 300).
      {"A1Ecf", "1", "6929", "101", "1|400|1||||||||"},
      {"A2Credito", "1", "5102", "101", "1|101|0|0.00|0.00|0.00||||1.25|1.12"},
      {"A2Exterior", "1", "5102", "101", "1|300|0|0.00|0.00|0.00|||||", "EX"},
      {"A3", "1", "5102", "102", "1|102|0|0.00|0.00|0.00|||||"},
      {"A3Exterior", "1", "5102", "102", "1|300|0|0.00|0.00|0.00|||||", "EX"},
      {"A4", "1", "5102", "103", "1|103|0|0.00|0.00|0.00|||||"},
      {"A5Exterior", "1", "5102", "300", "3|300|0|0.00|0.00|0.00|||||", "EX"},
      {"A6", "1", "5102", "201", "2|201|0|0.00|0.00|0.00|4|40.00|10.00|1.25|1.12"},
      {"A6SemIva", "1", "5102", "201", "2|201|0|0.00|0.00|0.00|4||10.00|1.25|1.12",
       "SP", "P", {{"ValorIva", Moeda("0")}}},
      {"A7SemMva", "1", "5102", "202", "2|202|0|0.00|0.00|0.00|4||10.00||"},
      {"A8", "1", "5102", "203", "2|203|0|0.00|0.00|0.00|||||"},
      {"A9", "1", "5102", "400", "4|400|0|0.00|0.00|0.00|||||"},
      {"A10", "1", "5102", "500", "5|500|0|0.00|0.00|0.00|||||"},
      {"A10Cfop5949", "1", "5949", "500", "5|500|2|100.00|18.00|18.00|||||"},
      {"A11", "1", "5102", "900", "9|900|3|100.00|18.00|18.00|4|40.00|10.00|1.25|1.25"},
      {"A11ServicoSemReducao", "1", "5102", "900", "9|900|3|0.00|0.00|0.00|4|40.00||1.25|1.25",
       "SP", "S", {{"PercentualRedICMSSub", Moeda("0")}}},
      {"A12Exterior", "1", "5102", "999", "9|300|0|0.00|0.00|0.00|||||", "EX"},
      {"A13", "1", "5102", "999", "9||0|0.00|0.00|0.00|||||"}, {"BEcf", "1", "5929", "000", "0|400|1||||||||"},
      {"CNormal", "3", "6102", "010", "0|10|2|100.00|18.00|18.00||40.00|10.00||"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    Colunas colunas = {{"CFOP", Valor(c.cfop)}, {"CodSitTrib", Valor(c.S)}, {"UFCli", Valor(c.uf)},
                       {"ServProd", Valor(c.servprod)}};
    colunas.insert(colunas.end(), c.extras.begin(), c.extras.end());
    const auto linha = LinhaDoItem(c.regime, colunas);
    ConfereEmOrdem(linha, {orig, CSTouCSOSN, modBC, vBC, pICMS, vICMS, modBCST, pMVAST, pRedBCST, pCredSN, vCredICMSSN},
                   c.slots);
    // Every item carries the same tax columns; the substitution tail comes from them.
    ConfereEmOrdem(linha, {vBCST, pICMSST, vICMSST, pRedBC}, "140.00|17.00|5.00|20.00");
  }
}

TEST(PisCofins, Grupos) {
  const std::tuple<const char*, const char*, const char*, const char*> casos[] = {
      // name, CFOP, CST, the PIS slots CST|vBC|p|v|vAliqProd then the same of COFINS
      {"Ecf", "5929", "01", "49|0.00|0.00|0.00|0.0000|49|0.00|0.00|0.00|0.0000"},
      {"Cst03", "5102", "03", "03|||1.95|0.6500|03|100.00||7.60|3.0400"},
      {"Cst01", "5102", "01", "01|95.00|1.65|0.65|0.0000|01|100.00|7.60|3.04|0.0000"},
      {"Cst99", "6102", "99", "99|95.00|1.65|0.65|0.0000|99|100.00|7.60|3.04|0.0000"},
      {"Cst02Cfop5915", "5915", "02", "02|0.00|1.65|0.65|0.0000|02|0.00|7.60|3.04|0.0000"},
      {"Cst04Cfop6915", "6915", "04", "04|0.00|1.65|0.65|0.0000|04|0.00|7.60|3.04|0.0000"},
      {"Cst06NaoListado", "5102", "06", "06|||||06||||"},
  };
  for (const auto& [nome, cfop, cst, slots] : casos) {
    SCOPED_TRACE(nome);
    // PIS: the amount from the unit value times quantity, its base without the
    // discount; COFINS: the products value as base.
    auto linha = LinhaDoItem("3", {{"CFOP", Valor(cfop)}, {"CSTPis", Valor(cst)}, {"CSTCofins", Valor(cst)},
                                   {"QntProd", Moeda("3")}, {"DescontoProd", Moeda("5")},
                                   {"ValorPisReais", Moeda("0.65")}, {"ValorPISProd", Moeda("1.65")},
                                   {"ValorCofinsREais", Moeda("3.04")}, {"ValorCofinsProd", Moeda("7.6")}});
    ConfereEmOrdem(linha, {CST_PIS, vBC_PIS, pPIS, vPIS, vAliqProd_PIS, CST_COFINS, vBC_COFINS, pCOFINS, vCOFINS,
                           vAliqProd_COFINS}, slots);
  }
}

// IPI framing only with IPI on the invoice; then each item carries its own
// (rule 538: the invoice's IPI is the sum of the items'). And the fuel group.
TEST(IpiECombustivel, GruposDoItem) {
  const std::tuple<Colunas, std::vector<Slot>, const char*> casos[] = {
      {{{"TotalIpiTot", Moeda("0")}, {"ValorIPIProd", Moeda("5")}}, {vBC_IPI, CNPJProd, pIPI, vIPI, cEnq}, "||||"},
      {{{"TotalIpiTot", Moeda("0.01")}}, {vBC_IPI, CNPJProd, pIPI, vIPI, cEnq}, "0|00000000000000|0|0|999"},
      {{{"TotalIpiTot", Moeda("5")}, {"ValorIPIProd", Moeda("5")}, {"AliquotaIPIProd", Moeda("5")}},
       {vBC_IPI, CNPJProd, pIPI, vIPI, cEnq}, "100.00|00000000000000|5.00|5.00|999"},
      {{{"CFOP", Valor("5656")}, {"CodigoANP", Valor("210203001")}, {"QntProd", Moeda("40.5")}, {"UFCli", Valor("GO")}},
       {cProdANP, CODIF, qTemp, UFCons}, "210203001||40.5000|GO"},
      {{{"CFOP", Valor("5102")}, {"CodigoANP", Valor("210203001")}}, {cProdANP, CODIF, qTemp, UFCons}, "|||"},
  };
  for (const auto& [colunas, slots, textos] : casos) ConfereEmOrdem(LinhaDoItem("3", colunas), slots, textos);

  int total = 0;
  for (int codigo = 1000; codigo <= 7999; ++codigo) total += CfopCombustivel(std::to_string(codigo));
  EXPECT_EQ(total, 54);
  for (const char* sim : {"1651", "1653", "1658", "1664", "2651", "2664", "5651", "5656", "5667", "6651", "6667"})
    EXPECT_TRUE(CfopCombustivel(sim)) << sim;
  for (const char* nao : {"1654", "1657", "2654", "2657", "1650", "1665", "5650", "5668", "6650", "6668", "3651",
                          "7651", "", "5656 "})
    EXPECT_FALSE(CfopCombustivel(nao)) << nao;
}

// --- Product slots and the walk over the items ----------------------------------

// The invoice's other expenses (vOutro) and freight (vFrete) shared over
// the items by value; the last item takes what the rounded shares left, so
// the shares add up to the invoice's amount (rules 604 and 535).
TEST(Produtos, RateioDeOutrasDespesasEFrete) {
  const std::tuple<std::vector<const char*>, const char*, const char*, std::vector<const char*>> casos[] = {
      // the items' values, the amount, the products total, each item's share
      {{"50", "150"}, "10", "200.00", {"2.50", "7.50"}}, {{"1", "1", "1"}, "10", "3.00", {"3.33", "3.33", "3.34"}},
      {{"10"}, "0", "", {"0.00"}},   // no amount: the total is not read
      {{"10"}, "0.07", "10.00", {"0.07"}},
      {{"100", "100"}, "2469", "200.00", {"1234.50", "1234.50"}},   // no thousands grouping
      {{"200", "50"}, "10", "100.00", {"20.00", "0.00"}},   // items above the total: no rest below zero
  };
  for (const auto& [coluna, slot] : {std::pair{"OutrosTot", vOutro}, {"ValorFreteProd", vFrete}}) {
    for (const auto& [valores, montante, totalProdutos, partes] : casos) {
      SCOPED_TRACE(std::string(coluna) + " " + montante + " de " + totalProdutos);
      AmbienteConteudo a;
      for (const char* valor : valores) a.Item({{coluna, Moeda(montante)}, {"TotalProdServ", Moeda(valor)}});
      std::vector<std::string> lidas;
      for (const auto& linha : Itens(a, totalProdutos)) lidas.push_back(linha[slot]);
      EXPECT_EQ(lidas, std::vector<std::string>(partes.begin(), partes.end()));
    }
  }
}

TEST(Produtos, LinhasNaOrdemDosRegistrosEAbertaNaoFica) {
  AmbienteConteudo a;
  a.Item({{"CodProduto", Valor("A")}});
  a.Item({{"CodProduto", Valor("B")}, {"CodSitTrib", Valor("060")}});
  const auto& itens = Itens(a);
  ASSERT_EQ(itens.size(), 2u);
  EXPECT_EQ(itens[0][cProd] + itens[1][cProd], "AB");
  EXPECT_EQ(a.tabelas.TabelaNota.State(), data::adStateClosed);
  EXPECT_EQ(a.vetores.gSituacaoTributaria, "060");   // the last item's code stays
}

// The item routine has no handler: its first error reaches PreencheVetores,
// which shows it and stops before billing. The first item was written.
TEST(PreencheVetores, ErroNoItemMostraCaixaERetornaFalso) {
  const std::pair<const char*, std::optional<Colunas>> casos[] = {   // regime, the second item's columns
      {"3", Colunas{{"QntProd", Valor::Nulo()}}}, {"3", Colunas{{"CodSitTrib", Valor::Nulo()}}},
      {"3", Colunas{{"CSTPis", Valor::Nulo()}}},
      {"1", Colunas{{"CodSitTrib", Valor("201")}, {"ValorIva", Valor::Nulo()}}},
      {"1", Colunas{{"CodSitTrib", Valor("900")}, {"BCST", Valor::Nulo()}}},
      {"3", Colunas{{"OutrosTot", Valor::Nulo()}}}, {"", Colunas{}},
      {"3", std::nullopt},   // no item at all
  };
  for (const auto& [regime, segundoItem] : casos) {
    SCOPED_TRACE(!segundoItem ? "sem itens" : segundoItem->empty() ? "regime vazio" : segundoItem->back().first);
    AmbienteConteudo a;
    a.atual.RegimeTributario = regime;
    if (segundoItem) {
      a.Item();
      a.Item(*segundoItem);
    }
    a.Duplicata("1/1", DataHora::De(2015, 3, 5), "10");
    a.Pronto();
    EXPECT_FALSE(PreencheVetores(a.ctx));
    ASSERT_EQ(a.ui.Caixas().size(), 1u);
    EXPECT_EQ(a.ui.Caixas()[0].titulo, "PreencheVetores");
    EXPECT_EQ(a.ui.Caixas()[0].estilo, vbCritical);
    EXPECT_TRUE(a.ui.Caixas()[0].prompt.starts_with("Erro: "));
    EXPECT_TRUE(a.vetores.gVetorFaturas.empty() && a.vetores.gVetorAutXML.empty());
    EXPECT_EQ(a.vetores.gVetorIde.size(), 37u);
    if (segundoItem && *regime != '\0') {
      EXPECT_EQ(a.vetores.gVetorProdutos.at(0)[cProd], "P1");
    }
  }
}

// Billing: the golden lists show none, one and two instalments; here an
// instalment that fails, which is logged and ends billing but not the sequence.
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
  EXPECT_EQ(f[0][Fatura::nDup] + "|" + f[1][Fatura::nDup], "1/2|");
  EXPECT_TRUE(a.NaLista("        Gerando vetor Faturas..."));
  EXPECT_TRUE(a.NaListaComeco("     ** Erro na Rotina: Gera_dados_faturas - "));
  EXPECT_FALSE(a.NaLista("        Gerado vetor Fatura!"));
  EXPECT_TRUE(a.NaLista("        Gerado vetor autXML!"));   // the sequence goes on
}

}  // namespace
}  // namespace velant::teste_conteudo
