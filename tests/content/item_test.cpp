// The item rows: product slots, the ICMS decision (stages 0 to 4), PIS,
// COFINS, IPI framing, the fuel group; then the whole sequence and billing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apoio_conteudo.h"

namespace velant::teste_conteudo {
namespace {

// The slots of this file are those of an item row, but for billing's.
using namespace velant::Produto;

struct CasoIcms {
  const char* nome;
  const char* regime;
  const char* cfop;
  const char* S;
  Slots esperado;   // slots of kSlotsIcms; the others must be empty
  const char* uf = "SP";
  const char* servprod = "P";
  Colunas extras = {};
  friend void PrintTo(const CasoIcms& c, std::ostream* os) { *os << c.nome; }
};

constexpr Slot kSlotsIcms[] = {orig,    CSTouCSOSN, modBC,  vBC,     pICMS,  vICMS,  modBCST,    pMVAST,
                               pRedBCST, vBCST,     pICMSST, vICMSST, pRedBC, pCredSN, vCredICMSSN};

// Every item carries the same tax columns; the substitution tail comes from them.
Slots ComCauda(Slots m) {
  m.insert({{vBCST, "140.00"}, {pICMSST, "17.00"}, {vICMSST, "5.00"}, {pRedBC, "20.00"}});
  return m;
}

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

class Icms : public ::testing::TestWithParam<CasoIcms> {};

TEST_P(Icms, Decisao) {
  const auto& c = GetParam();
  Colunas colunas = {{"CFOP", Valor(c.cfop)}, {"CodSitTrib", Valor(c.S)}, {"UFCli", Valor(c.uf)},
                     {"ServProd", Valor(c.servprod)}};
  colunas.insert(colunas.end(), c.extras.begin(), c.extras.end());
  Slots esperado = c.esperado;
  for (Slot slot : kSlotsIcms) esperado.emplace(slot, "");
  Confere(LinhaDoItem(c.regime, colunas), esperado);
}

const Slots kBaseProduto = {{vBC, "100.00"}, {pICMS, "18.00"}, {vICMS, "18.00"}};
const Slots kBaseZero = {{vBC, "0.00"}, {pICMS, "0.00"}, {vICMS, "0.00"}};

Slots Une(Slots a, const Slots& b) {
  a.insert(b.begin(), b.end());
  return a;
}

// Stage 1 and the regimes that skip stage 3.
INSTANTIATE_TEST_SUITE_P(
    Estagio1, Icms,
    ::testing::Values(
        CasoIcms{"SimplesDevolucao6202", "1", "6202", "000", ComCauda(Une({{orig, "0"}, {modBC, "2"}}, kBaseProduto))},
        CasoIcms{"SimplesOutras5949Servico", "1", "5949", "000", ComCauda(Une({{orig, "0"}, {modBC, "2"}}, kBaseZero)),
                 "SP", "S"},
        CasoIcms{"SimplesEcf5929", "1", "5929", "000", ComCauda({{orig, "0"}, {CSTouCSOSN, "400"}, {modBC, "1"}})},
        CasoIcms{"SimplesAnulacao1913", "1", "1913", "000",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "000"}, {modBC, "1"}}, kBaseZero))},
        CasoIcms{"SimplesOutroCfop", "1", "5102", "000", ComCauda(Une({{orig, "0"}, {modBC, "0"}}, kBaseZero))},
        CasoIcms{"NormalEcf5929", "3", "5929", "060",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "60"}, {modBC, "3"}, {pMVAST, "40.00"}, {pRedBCST, "10.00"}},
                              kBaseZero))},
        CasoIcms{"NormalVenda", "3", "5102", "000",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "00"}, {modBC, "2"}, {pMVAST, "40.00"}, {pRedBCST, "10.00"}},
                              kBaseProduto))},
        CasoIcms{"NormalServico", "3", "5102", "060",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "60"}, {modBC, "2"}, {pMVAST, "40.00"}, {pRedBCST, "10.00"}},
                              kBaseZero)), "SP", "S"},
        CasoIcms{"Regime2SemEstagio3", "2", "5102", "000",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "00"}, {modBC, "2"}}, kBaseProduto))},
        CasoIcms{"Regime2Ecf", "2", "6929", "241",
                 ComCauda(Une({{orig, "2"}, {CSTouCSOSN, "41"}, {modBC, "3"}}, kBaseZero))},
        CasoIcms{"OrigemDaEntradaEZero", "3", "1102", "200",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "00"}, {modBC, "2"}, {pMVAST, "40.00"}, {pRedBCST, "10.00"}},
                              kBaseProduto)),
                 "SP", "P", {{"tpNF", Moeda("0")}}}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Estagio2, Icms,
    ::testing::Values(
        CasoIcms{"Cst60Regime0", "0", "5102", "060",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "60"}, {modBC, "2"}, {modBCST, "0"}, {pMVAST, "40.00"},
                               {pRedBCST, "0.00"}}, kBaseProduto))},
        CasoIcms{"Cst60Regime0SemIva", "0", "5102", "060",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "60"}, {modBC, "2"}, {modBCST, "0"}}, kBaseProduto)),
                 "SP", "P", {{"ValorIva", Moeda("0")}, {"PercentualRedICMSSub", Moeda("0")}}}),
    [](const auto& info) { return std::string(info.param.nome); });

// Simples Nacional, CFOP 5102 (stage 1 row 4: modBC "0", zero values) unless noted.
Slots Simples(Slots m, const char* origem = "1") {
  m.insert({{orig, origem}, {modBC, "0"}});
  return ComCauda(Une(std::move(m), kBaseZero));
}
const Slots kCredito = {{pCredSN, "1.25"}, {vCredICMSSN, "1.12"}};

INSTANTIATE_TEST_SUITE_P(
    Estagio3, Icms,
    ::testing::Values(
        CasoIcms{"A1Ecf", "1", "6929", "101", ComCauda({{orig, "1"}, {CSTouCSOSN, "400"}, {modBC, "1"}})},
        CasoIcms{"A2Credito", "1", "5102", "101", Simples(Une({{CSTouCSOSN, "101"}}, kCredito))},
        // Rule 590: a CST under Simples Nacional is refused; an export is immune (CSOSN 300).
        CasoIcms{"A2Exterior", "1", "5102", "101", Simples({{CSTouCSOSN, "300"}}), "EX"},
        CasoIcms{"A3", "1", "5102", "102", Simples({{CSTouCSOSN, "102"}})},
        CasoIcms{"A3Exterior", "1", "5102", "102", Simples({{CSTouCSOSN, "300"}}), "EX"},
        CasoIcms{"A4", "1", "5102", "103", Simples({{CSTouCSOSN, "103"}})},
        CasoIcms{"A5Exterior", "1", "5102", "300", Simples({{CSTouCSOSN, "300"}}, "3"), "EX"},
        CasoIcms{"A6", "1", "5102", "201",
                 Simples(Une({{CSTouCSOSN, "201"}, {modBCST, "4"}, {pMVAST, "40.00"}, {pRedBCST, "10.00"}},
                             kCredito), "2")},
        CasoIcms{"A6SemIva", "1", "5102", "201",
                 Simples(Une({{CSTouCSOSN, "201"}, {modBCST, "4"}, {pRedBCST, "10.00"}}, kCredito), "2"), "SP", "P",
                 {{"ValorIva", Moeda("0")}}},
        CasoIcms{"A7SemMva", "1", "5102", "202",
                 Simples({{CSTouCSOSN, "202"}, {modBCST, "4"}, {pRedBCST, "10.00"}}, "2")},
        CasoIcms{"A8", "1", "5102", "203", Simples({{CSTouCSOSN, "203"}}, "2")},
        CasoIcms{"A9", "1", "5102", "400", Simples({{CSTouCSOSN, "400"}}, "4")},
        CasoIcms{"A10", "1", "5102", "500", Simples({{CSTouCSOSN, "500"}}, "5")},
        CasoIcms{"A10Cfop5949", "1", "5949", "500",
                 ComCauda(Une({{orig, "5"}, {CSTouCSOSN, "500"}, {modBC, "2"}}, kBaseProduto))},
        CasoIcms{"A11", "1", "5102", "900",
                 ComCauda(Une({{orig, "9"}, {CSTouCSOSN, "900"}, {modBC, "3"}, {pCredSN, "1.25"}, {vCredICMSSN, "1.25"},
                               {modBCST, "4"}, {pMVAST, "40.00"}, {pRedBCST, "10.00"}}, kBaseProduto))},
        CasoIcms{"A11ServicoSemReducao", "1", "5102", "900",
                 ComCauda(Une({{orig, "9"}, {CSTouCSOSN, "900"}, {modBC, "3"}, {pCredSN, "1.25"}, {vCredICMSSN, "1.25"},
                               {modBCST, "4"}, {pMVAST, "40.00"}}, kBaseZero)),
                 "SP", "S", {{"PercentualRedICMSSub", Moeda("0")}}},
        CasoIcms{"A12Exterior", "1", "5102", "999", Simples({{CSTouCSOSN, "300"}}, "9"), "EX"},
        CasoIcms{"A13", "1", "5102", "999", Simples({}, "9")},
        CasoIcms{"BEcf", "1", "5929", "000", ComCauda({{orig, "0"}, {CSTouCSOSN, "400"}, {modBC, "1"}})},
        CasoIcms{"CNormal", "3", "6102", "010",
                 ComCauda(Une({{orig, "0"}, {CSTouCSOSN, "10"}, {modBC, "2"}, {pMVAST, "40.00"}, {pRedBCST, "10.00"}},
                              kBaseProduto))}),
    [](const auto& info) { return std::string(info.param.nome); });

struct CasoPisCofins {
  const char* nome;
  const char* cfop;
  const char* cst;
  Slots esperado;   // PIS and COFINS slots; the others of these must be empty
  friend void PrintTo(const CasoPisCofins& c, std::ostream* os) { *os << c.nome; }
};

class PisCofins : public ::testing::TestWithParam<CasoPisCofins> {};

TEST_P(PisCofins, Grupos) {
  const auto& c = GetParam();
  auto linha = LinhaDoItem("3", {{"CFOP", Valor(c.cfop)}, {"CSTPis", Valor(c.cst)}, {"CSTCofins", Valor(c.cst)},
                                 {"QntProd", Moeda("3")}, {"DescontoProd", Moeda("5")},
                                 {"ValorPisReais", Moeda("0.65")}, {"ValorPISProd", Moeda("1.65")},
                                 {"ValorCofinsREais", Moeda("3.04")}, {"ValorCofinsProd", Moeda("7.6")}});
  Confere(linha, Vazios({CST_PIS, vBC_PIS, pPIS, vPIS, CST_COFINS, vBC_COFINS, pCOFINS, vCOFINS, vAliqProd_COFINS,
                         vAliqProd_PIS},
                        c.esperado));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, PisCofins,
    ::testing::Values(
        CasoPisCofins{"Ecf", "5929", "01",
                      {{CST_PIS, "49"}, {vBC_PIS, "0.00"}, {pPIS, "0.00"}, {vPIS, "0.00"}, {vAliqProd_PIS, "0.0000"},
                       {CST_COFINS, "49"}, {vBC_COFINS, "0.00"}, {pCOFINS, "0.00"}, {vCOFINS, "0.00"},
                       {vAliqProd_COFINS, "0.0000"}}},
        // PIS: amount from unit value times quantity; COFINS: products value as base.
        CasoPisCofins{"Cst03", "5102", "03",
                      {{CST_PIS, "03"}, {vPIS, "1.95"}, {vAliqProd_PIS, "0.6500"},
                       {CST_COFINS, "03"}, {vBC_COFINS, "100.00"}, {vCOFINS, "7.60"}, {vAliqProd_COFINS, "3.0400"}}},
        // PIS base takes the discount off; COFINS does not.
        CasoPisCofins{"Cst01", "5102", "01",
                      {{CST_PIS, "01"}, {vBC_PIS, "95.00"}, {pPIS, "1.65"}, {vPIS, "0.65"}, {vAliqProd_PIS, "0.0000"},
                       {CST_COFINS, "01"}, {vBC_COFINS, "100.00"}, {pCOFINS, "7.60"}, {vCOFINS, "3.04"},
                       {vAliqProd_COFINS, "0.0000"}}},
        CasoPisCofins{"Cst99", "6102", "99",
                      {{CST_PIS, "99"}, {vBC_PIS, "95.00"}, {pPIS, "1.65"}, {vPIS, "0.65"}, {vAliqProd_PIS, "0.0000"},
                       {CST_COFINS, "99"}, {vBC_COFINS, "100.00"}, {pCOFINS, "7.60"}, {vCOFINS, "3.04"},
                       {vAliqProd_COFINS, "0.0000"}}},
        CasoPisCofins{"Cst02Cfop5915", "5915", "02",
                      {{CST_PIS, "02"}, {vBC_PIS, "0.00"}, {pPIS, "1.65"}, {vPIS, "0.65"}, {vAliqProd_PIS, "0.0000"},
                       {CST_COFINS, "02"}, {vBC_COFINS, "0.00"}, {pCOFINS, "7.60"}, {vCOFINS, "3.04"},
                       {vAliqProd_COFINS, "0.0000"}}},
        CasoPisCofins{"Cst04Cfop6915", "6915", "04",
                      {{CST_PIS, "04"}, {vBC_PIS, "0.00"}, {pPIS, "1.65"}, {vPIS, "0.65"}, {vAliqProd_PIS, "0.0000"},
                       {CST_COFINS, "04"}, {vBC_COFINS, "0.00"}, {pCOFINS, "7.60"}, {vCOFINS, "3.04"},
                       {vAliqProd_COFINS, "0.0000"}}},
        CasoPisCofins{"Cst06NaoListado", "5102", "06", {{CST_PIS, "06"}, {CST_COFINS, "06"}}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Ipi, EnquadramentoSoComIpiNaNota) {
  Confere(LinhaDoItem("3", {{"TotalIpiTot", Moeda("0")},
                            {"ValorIPIProd", Moeda("5")}}), Vazios({vBC_IPI, CNPJProd, pIPI, vIPI, cEnq}));
  Confere(LinhaDoItem("3", {{"TotalIpiTot", Moeda("0.01")}}),
          {{vBC_IPI, "0"}, {CNPJProd, "00000000000000"}, {pIPI, "0"}, {vIPI, "0"}, {cEnq, "999"}});
}

// Rule 538: the invoice's IPI is the sum of the items', so each item carries its own.
TEST(Ipi, ValoresDoItem) {
  Confere(LinhaDoItem("3", {{"TotalIpiTot", Moeda("5")}, {"ValorIPIProd", Moeda("5")},
                            {"AliquotaIPIProd", Moeda("5")}}),
          {{vBC_IPI, "100.00"}, {CNPJProd, "00000000000000"}, {pIPI, "5.00"}, {vIPI, "5.00"}, {cEnq, "999"}});
}

TEST(Combustivel, ListaDeCfops) {
  int total = 0;
  for (int codigo = 1000; codigo <= 7999; ++codigo) total += CfopCombustivel(std::to_string(codigo));
  EXPECT_EQ(total, 54);
  for (const char* sim : {"1651", "1653", "1658", "1664", "2651", "2664", "5651", "5656", "5667", "6651", "6667"}) {
    EXPECT_TRUE(CfopCombustivel(sim)) << sim;
  }
  for (const char* nao : {"1654", "1655", "1656", "1657", "2654", "2657", "1650", "1665", "5650", "5668", "6650",
                          "6668", "3651", "7651", "", "5656 "}) {
    EXPECT_FALSE(CfopCombustivel(nao)) << nao;
  }
}

TEST(Combustivel, GrupoDoItem) {
  Confere(LinhaDoItem("3", {{"CFOP", Valor("5656")}, {"CodigoANP", Valor("210203001")}, {"QntProd", Moeda("40.5")},
                            {"UFCli", Valor("GO")}}),
          {{cProdANP, "210203001"}, {CODIF, ""}, {qTemp, "40.5000"}, {UFCons, "GO"}});
  Confere(LinhaDoItem("3", {{"CFOP", Valor("5102")}, {"CodigoANP", Valor("210203001")}}),
          Vazios({cProdANP, CODIF, qTemp, UFCons}));
}

// --- Product slots and the walk over the items ----------------------------------

// The invoice's other expenses (vOutro) and freight (vFrete) shared over
// the items by value; the last item takes what the rounded shares left, so
// the shares add up to the invoice's amount (rules 604 and 535).
TEST(Produtos, RateioDeOutrasDespesasEFrete) {
  struct Caso {
    const char* nome;
    std::vector<const char*> valores;   // of the items
    const char* montante;
    const char* totalProdutos;
    std::vector<const char*> partes;
  } casos[] = {
      {"UmQuarto", {"50", "150"}, "10", "200.00", {"2.50", "7.50"}},
      {"TresItensDe1", {"1", "1", "1"}, "10", "3.00", {"3.33", "3.33", "3.34"}},
      {"SemMontanteNaoLeOTotal", {"10"}, "0", "", {"0.00"}},
      {"UmItemLevaTudo", {"10"}, "0.07", "10.00", {"0.07"}},
      {"AcimaDeMilSemAgrupamento", {"100", "100"}, "2469", "200.00", {"1234.50", "1234.50"}},
      // Items worth more than the products total: the rest below zero is none.
      {"RestoNegativoEZero", {"200", "50"}, "10", "100.00", {"20.00", "0.00"}},
  };
  for (const char* coluna : {"OutrosTot", "ValorFreteProd"}) {
    const Slot slot = std::string(coluna) == "OutrosTot" ? vOutro : vFrete;
    for (const auto& c : casos) {
      SCOPED_TRACE(std::string(coluna) + " " + c.nome);
      AmbienteConteudo a;
      for (const char* valor : c.valores) a.Item({{coluna, Moeda(c.montante)}, {"TotalProdServ", Moeda(valor)}});
      const auto& linhas = Itens(a, c.totalProdutos);
      ASSERT_EQ(linhas.size(), c.partes.size());
      for (size_t i = 0; i < linhas.size(); ++i) EXPECT_EQ(linhas[i][slot], c.partes[i]) << "item " << i + 1;
    }
  }
}

TEST(Produtos, FreteNuloEZero) {
  AmbienteConteudo a;
  a.Item({{"ValorFreteProd", Valor::Nulo()}});
  EXPECT_EQ(Produto(a)[vFrete], "0.00");
}

TEST(Produtos, LinhasNaOrdemDosRegistrosEAbertaNaoFica) {
  AmbienteConteudo a;
  a.Item({{"CodProduto", Valor("A")}});
  a.Item({{"CodProduto", Valor("B")}, {"CodSitTrib", Valor("060")}});
  const auto& itens = Itens(a);
  ASSERT_EQ(itens.size(), 2u);
  EXPECT_EQ(itens[0][cProd], "A");
  EXPECT_EQ(itens[1][cProd], "B");
  EXPECT_EQ(a.tabelas.TabelaNota.State(), data::adStateClosed);
  EXPECT_EQ(a.vetores.gSituacaoTributaria, "060");   // the last item's code stays
}

// --- The whole sequence -------------------------------------------------------------

// The item routine has no handler: its first error reaches PreencheVetores,
// which shows it and stops before billing.
TEST(PreencheVetores, ErroNoItemMostraCaixaERetornaFalso) {
  struct Caso {
    const char* nome;
    const char* regime;
    int itens;
    Colunas segundoItem;
  } casos[] = {
      {"QuantidadeNula", "3", 2, {{"QntProd", Valor::Nulo()}}},
      {"SituacaoNula", "3", 2, {{"CodSitTrib", Valor::Nulo()}}},
      {"CstPisNulo", "3", 2, {{"CSTPis", Valor::Nulo()}}},
      {"IvaNuloNoCsosn201", "1", 2, {{"CodSitTrib", Valor("201")}, {"ValorIva", Valor::Nulo()}}},
      {"BcstNuloNoCsosn900", "1", 2, {{"CodSitTrib", Valor("900")}, {"BCST", Valor::Nulo()}}},
      {"OutrosNulo", "3", 2, {{"OutrosTot", Valor::Nulo()}}},
      {"RegimeVazio", "", 2, {}},
      {"NotaSemItens", "3", 0, {}},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    AmbienteConteudo a;
    a.atual.RegimeTributario = c.regime;
    if (c.itens > 0) {
      a.Item();
      a.Item(c.segundoItem);
    }
    a.Duplicata("1/1", DataHora::De(2015, 3, 5), "10");
    a.Pronto();
    EXPECT_FALSE(PreencheVetores(a.ctx));
    ASSERT_EQ(a.ui.Caixas().size(), 1u);
    EXPECT_EQ(a.ui.Caixas()[0].titulo, "PreencheVetores");
    EXPECT_EQ(a.ui.Caixas()[0].estilo, vbCritical);
    EXPECT_TRUE(a.ui.Caixas()[0].prompt.starts_with("Erro: "));
    EXPECT_TRUE(a.vetores.gVetorFaturas.empty());
    EXPECT_TRUE(a.vetores.gVetorAutXML.empty());
    EXPECT_EQ(a.vetores.gVetorIde.size(), 37u);
    // The first item was written when the second one failed.
    if (c.itens > 0 && std::string(c.regime) != "") {
      EXPECT_EQ(a.vetores.gVetorProdutos[0][cProd], "P1");
    }
  }
}

// --- Billing --------------------------------------------------------------------------

using LinhaFatura = std::vector<std::string>;

TEST(Faturas, SemDuplicatasUmaLinhaDaNota) {
  AmbienteConteudo a;
  a.Item();
  a.Pronto();
  ASSERT_TRUE(PreencheVetores(a.ctx));
  EXPECT_EQ(a.vetores.gVetorFaturas, (std::vector<LinhaFatura>{{"1234", "10.00", "10.00", "", "", "", ""}}));
  EXPECT_EQ(a.vetores.gQtdFaturas, -1);
  for (const char* linha : {"        Gerando vetor Faturas...", "        Gerado vetor Fatura!",
                            "        Gerando vetor autXML...", "        Gerado vetor autXML!"}) {
    EXPECT_TRUE(a.NaLista(linha)) << linha;
  }
}

TEST(Faturas, TresDuplicatas) {
  AmbienteConteudo a;
  a.Item();
  a.Duplicata("1234/1", DataHora::De(2015, 3, 5), "3.33");
  a.Duplicata("1234/2", DataHora::De(2015, 4, 5), "3.33");
  a.Duplicata("1234/3", DataHora::De(2015, 5, 5), "3.34");
  a.Pronto();
  ASSERT_TRUE(PreencheVetores(a.ctx));
  EXPECT_EQ(a.vetores.gQtdFaturas, 2);
  EXPECT_EQ(a.vetores.gVetorFaturas,
            (std::vector<LinhaFatura>{{"1234", "10.00", "10.00", "1234/1", "2015-03-05", "3.33", ""},
                                 {"", "", "", "1234/2", "2015-04-05", "3.33", ""},
                                 {"", "", "", "1234/3", "2015-05-05", "3.34", ""},
                                 LinhaFatura(kSlotsFatura)}));
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
  EXPECT_EQ(f[0][Fatura::nDup], "1/2");
  EXPECT_EQ(f[1][Fatura::nDup], "");
  EXPECT_TRUE(a.NaListaComeco("     ** Erro na Rotina: Gera_dados_faturas - "));
  EXPECT_FALSE(a.NaLista("        Gerado vetor Fatura!"));
  EXPECT_TRUE(a.NaLista("        Gerado vetor autXML!"));   // the sequence goes on
}

}  // namespace
}  // namespace velant::teste_conteudo
