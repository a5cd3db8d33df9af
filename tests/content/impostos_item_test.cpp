// Tax slots of an item row: the ICMS decision (stages 0 to 4), PIS, COFINS,
// IPI framing and the fuel group.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "apoio_conteudo.h"

namespace velant::teste_conteudo {
namespace {

struct CasoIcms {
  const char* nome;
  const char* regime;
  const char* cfop;
  const char* S;
  const char* uf;
  const char* servprod;
  Colunas extras;
  std::map<int, std::string> esperado;   // slots of kSlotsIcms; the others must be empty
};

constexpr int kSlotsIcms[] = {17, 18, 19, 20, 21, 22, 46, 47, 48, 49, 50, 51, 52, 77, 78};

// Every item carries the same tax columns; the tail (49 to 52) comes from them.
std::map<int, std::string> ComCauda(std::map<int, std::string> m) {
  m.emplace(49, "140.00");
  m.emplace(50, "17.00");
  m.emplace(51, "5.00");
  m.emplace(52, "20.00");
  return m;
}

std::vector<std::string> LinhaDoItem(const char* regime, const Colunas& colunas) {
  AmbienteConteudo a;
  a.Registro({{"TaxaCreditoSN", "1,25"}});
  a.estado.RegimeTributario = regime;
  a.Item({{"ValorBCICMSProd", Moeda("100")},
          {"AliquotaICMSProd", Moeda("18")},
          {"ValorIcmsProd", Moeda("18")},
          {"ValorIva", Moeda("40")},
          {"PercentualRedICMSSub", Moeda("10")},
          {"PercentualICMSSub", Moeda("17")},
          {"ValorIcmsSub", Moeda("5")},
          {"BCST", Moeda("140")},
          {"PercentualRedICMS", Moeda("20")},
          {"TotalProdServ", Moeda("100")},
          {"TotalDescontoPd", Moeda("10")}});
  for (const auto& [nome, valor] : colunas) a.tabelas.TabelaNota.SetValue(nome, valor);
  a.Pronto();
  a.vetores.gVetorTotais.assign(kSlotsTotais, "");
  Gera_dados_produtos(a.ctx);
  return a.vetores.gVetorProdutos.at(0);
}

void PrintTo(const CasoIcms& c, std::ostream* os) { *os << c.nome; }

class Icms : public ::testing::TestWithParam<CasoIcms> {};

TEST_P(Icms, Decisao) {
  const auto& c = GetParam();
  Colunas colunas = {{"CFOP", Valor(c.cfop)},
                     {"CodSitTrib", Valor(c.S)},
                     {"UFCli", Valor(c.uf)},
                     {"ServProd", Valor(c.servprod)}};
  colunas.insert(colunas.end(), c.extras.begin(), c.extras.end());
  auto linha = LinhaDoItem(c.regime, colunas);
  for (int slot : kSlotsIcms) {
    auto it = c.esperado.find(slot);
    EXPECT_EQ(linha[slot], it == c.esperado.end() ? "" : it->second) << "slot " << slot;
  }
  for (int slot = 23; slot <= 30; ++slot) EXPECT_EQ(linha[slot], "") << slot;
}

const std::map<int, std::string> kBaseProduto = {{20, "100.00"}, {21, "18.00"}, {22, "18.00"}};
const std::map<int, std::string> kBaseZero = {{20, "0.00"}, {21, "0.00"}, {22, "0.00"}};

std::map<int, std::string> Une(std::map<int, std::string> a, const std::map<int, std::string>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Estagio1, Icms,
    ::testing::Values(
        CasoIcms{"SimplesDevolucao6202", "1", "6202", "000", "SP", "P", {},
                 ComCauda(Une({{17, "0"}, {19, "2"}}, kBaseProduto))},
        CasoIcms{"SimplesOutras5949Servico", "1", "5949", "000", "SP", "S", {},
                 ComCauda(Une({{17, "0"}, {19, "2"}}, kBaseZero))},
        CasoIcms{"SimplesEcf5929", "1", "5929", "000", "SP", "P", {},
                 ComCauda({{17, "0"}, {18, "400"}, {19, "1"}})},
        CasoIcms{"SimplesAnulacao1913", "1", "1913", "000", "SP", "P", {},
                 ComCauda(Une({{17, "0"}, {18, "000"}, {19, "1"}}, kBaseZero))},
        CasoIcms{"SimplesOutroCfop", "1", "5102", "000", "SP", "P", {},
                 ComCauda(Une({{17, "0"}, {19, "0"}}, kBaseZero))},
        CasoIcms{"NormalEcf5929", "3", "5929", "060", "SP", "P", {},
                 ComCauda(Une({{17, "0"}, {18, "60"}, {19, "3"}, {47, "40.00"}, {48, "10.00"}}, kBaseZero))},
        CasoIcms{"NormalVenda", "3", "5102", "000", "SP", "P", {},
                 ComCauda(Une({{17, "0"}, {18, "00"}, {19, "2"}, {47, "40.00"}, {48, "10.00"}}, kBaseProduto))},
        CasoIcms{"NormalServico", "3", "5102", "060", "SP", "S", {},
                 ComCauda(Une({{17, "0"}, {18, "60"}, {19, "2"}, {47, "40.00"}, {48, "10.00"}}, kBaseZero))},
        CasoIcms{"Regime2SemEstagio3", "2", "5102", "000", "SP", "P", {},
                 ComCauda(Une({{17, "0"}, {18, "00"}, {19, "2"}}, kBaseProduto))},
        CasoIcms{"Regime2Ecf", "2", "6929", "241", "SP", "P", {},
                 ComCauda(Une({{17, "2"}, {18, "41"}, {19, "3"}}, kBaseZero))},
        CasoIcms{"OrigemDaEntradaEZero", "3", "1102", "200", "SP", "P", {{"tpNF", Moeda("0")}},
                 ComCauda(Une({{17, "0"}, {18, "00"}, {19, "2"}, {47, "40.00"}, {48, "10.00"}}, kBaseProduto))}),
    [](const auto& info) { return std::string(info.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Estagio2, Icms,
    ::testing::Values(
        CasoIcms{"Cst60Regime0", "0", "5102", "060", "SP", "P", {},
                 ComCauda(Une({{17, "0"}, {18, "60"}, {19, "2"}, {46, "0"}, {47, "40.00"}, {48, "0.00"}},
                              kBaseProduto))},
        CasoIcms{"Cst60Regime0SemIva", "0", "5102", "060", "SP", "P",
                 {{"ValorIva", Moeda("0")}, {"PercentualRedICMSSub", Moeda("0")}},
                 Une({{17, "0"}, {18, "60"}, {19, "2"}, {46, "0"}, {49, "140.00"}, {50, "17.00"}, {51, "5.00"},
                      {52, "20.00"}},
                     kBaseProduto)}),
    [](const auto& info) { return std::string(info.param.nome); });

// Simples Nacional, CFOP 5102 (stage 1 row 4: modBC "0", zero values) unless noted.
std::map<int, std::string> Simples(std::map<int, std::string> m, const char* origem = "1") {
  m.emplace(17, origem);
  m.emplace(19, "0");
  return ComCauda(Une(std::move(m), kBaseZero));
}

INSTANTIATE_TEST_SUITE_P(
    Estagio3, Icms,
    ::testing::Values(
        CasoIcms{"A1Ecf", "1", "6929", "101", "SP", "P", {},
                 ComCauda({{17, "1"}, {18, "400"}, {19, "1"}})},
        CasoIcms{"A2Credito", "1", "5102", "101", "SP", "P", {},
                 Simples({{18, "101"}, {77, "1.25"}, {78, "1.12"}})},
        CasoIcms{"A2Exterior", "1", "5102", "101", "EX", "P", {}, Simples({{18, "41"}})},
        CasoIcms{"A3", "1", "5102", "102", "SP", "P", {}, Simples({{18, "102"}})},
        CasoIcms{"A3Exterior", "1", "5102", "102", "EX", "P", {}, Simples({{18, "41"}})},
        CasoIcms{"A4", "1", "5102", "103", "SP", "P", {}, Simples({{18, "103"}})},
        CasoIcms{"A5Exterior", "1", "5102", "300", "EX", "P", {}, Simples({{18, "300"}}, "3")},
        CasoIcms{"A6", "1", "5102", "201", "SP", "P", {},
                 Simples({{18, "201"}, {77, "1.25"}, {78, "1.12"}, {46, "4"}, {47, "40.00"}, {48, "10.00"}}, "2")},
        CasoIcms{"A6SemIva", "1", "5102", "201", "SP", "P", {{"ValorIva", Moeda("0")}},
                 Simples({{18, "201"}, {77, "1.25"}, {78, "1.12"}, {46, "4"}, {48, "10.00"}}, "2")},
        CasoIcms{"A7SemMva", "1", "5102", "202", "SP", "P", {},
                 Simples({{18, "202"}, {46, "4"}, {48, "10.00"}}, "2")},
        CasoIcms{"A8", "1", "5102", "203", "SP", "P", {}, Simples({{18, "203"}}, "2")},
        CasoIcms{"A9", "1", "5102", "400", "SP", "P", {}, Simples({{18, "400"}}, "4")},
        CasoIcms{"A10", "1", "5102", "500", "SP", "P", {}, Simples({{18, "500"}}, "5")},
        CasoIcms{"A10Cfop5949", "1", "5949", "500", "SP", "P", {},
                 ComCauda(Une({{17, "5"}, {18, "500"}, {19, "2"}}, kBaseProduto))},
        CasoIcms{"A11", "1", "5102", "900", "SP", "P", {},
                 ComCauda({{17, "9"}, {18, "900"}, {19, "3"}, {20, "100.00"}, {21, "18.00"}, {22, "18.00"},
                           {77, "1.25"}, {78, "1.25"}, {46, "4"}, {47, "40.00"}, {48, "10.00"}})},
        CasoIcms{"A11ServicoSemReducao", "1", "5102", "900", "SP", "S", {{"PercentualRedICMSSub", Moeda("0")}},
                 ComCauda({{17, "9"}, {18, "900"}, {19, "3"}, {20, "0.00"}, {21, "0.00"}, {22, "0.00"},
                           {77, "1.25"}, {78, "1.25"}, {46, "4"}, {47, "40.00"}})},
        CasoIcms{"A12Exterior", "1", "5102", "999", "EX", "P", {}, Simples({{18, "41"}}, "9")},
        CasoIcms{"A13", "1", "5102", "999", "SP", "P", {}, Simples({}, "9")},
        CasoIcms{"BEcf", "1", "5929", "000", "SP", "P", {}, ComCauda({{17, "0"}, {18, "400"}, {19, "1"}})},
        CasoIcms{"CNormal", "3", "6102", "010", "SP", "P", {},
                 ComCauda(Une({{17, "0"}, {18, "10"}, {19, "2"}, {47, "40.00"}, {48, "10.00"}}, kBaseProduto))}),
    [](const auto& info) { return std::string(info.param.nome); });

struct CasoPisCofins {
  const char* nome;
  const char* cfop;
  const char* cst;
  std::map<int, std::string> esperado;   // slots 31 to 38, 44, 45
};

void PrintTo(const CasoPisCofins& c, std::ostream* os) { *os << c.nome; }

class PisCofins : public ::testing::TestWithParam<CasoPisCofins> {};

TEST_P(PisCofins, Grupos) {
  const auto& c = GetParam();
  auto linha = LinhaDoItem("3", {{"CFOP", Valor(c.cfop)},
                                 {"CSTPis", Valor(c.cst)},
                                 {"CSTCofins", Valor(c.cst)},
                                 {"QntProd", Moeda("3")},
                                 {"DescontoProd", Moeda("5")},
                                 {"ValorPisReais", Moeda("0.65")},
                                 {"ValorPISProd", Moeda("1.65")},
                                 {"ValorCofinsREais", Moeda("3.04")},
                                 {"ValorCofinsProd", Moeda("7.6")}});
  for (int slot : {31, 32, 33, 34, 35, 36, 37, 38, 44, 45}) {
    auto it = c.esperado.find(slot);
    EXPECT_EQ(linha[slot], it == c.esperado.end() ? "" : it->second) << "slot " << slot;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, PisCofins,
    ::testing::Values(
        CasoPisCofins{"Ecf", "5929", "01",
                      {{31, "49"}, {32, "0.00"}, {33, "0.00"}, {34, "0.00"}, {45, "0.0000"},
                       {35, "49"}, {36, "0.00"}, {37, "0.00"}, {38, "0.00"}, {44, "0.0000"}}},
        // PIS: amount from unit value times quantity; COFINS: products value as base.
        CasoPisCofins{"Cst03", "5102", "03",
                      {{31, "03"}, {34, "1.95"}, {45, "0.6500"},
                       {35, "03"}, {36, "100.00"}, {38, "7.60"}, {44, "3.0400"}}},
        // PIS base takes the discount off; COFINS does not.
        CasoPisCofins{"Cst01", "5102", "01",
                      {{31, "01"}, {32, "95.00"}, {33, "1.65"}, {34, "0.65"}, {45, "0.0000"},
                       {35, "01"}, {36, "100.00"}, {37, "7.60"}, {38, "3.04"}, {44, "0.0000"}}},
        CasoPisCofins{"Cst99", "6102", "99",
                      {{31, "99"}, {32, "95.00"}, {33, "1.65"}, {34, "0.65"}, {45, "0.0000"},
                       {35, "99"}, {36, "100.00"}, {37, "7.60"}, {38, "3.04"}, {44, "0.0000"}}},
        CasoPisCofins{"Cst02Cfop5915", "5915", "02",
                      {{31, "02"}, {32, "0.00"}, {33, "1.65"}, {34, "0.65"}, {45, "0.0000"},
                       {35, "02"}, {36, "0.00"}, {37, "7.60"}, {38, "3.04"}, {44, "0.0000"}}},
        CasoPisCofins{"Cst04Cfop6915", "6915", "04",
                      {{31, "04"}, {32, "0.00"}, {33, "1.65"}, {34, "0.65"}, {45, "0.0000"},
                       {35, "04"}, {36, "0.00"}, {37, "7.60"}, {38, "3.04"}, {44, "0.0000"}}},
        CasoPisCofins{"Cst06NaoListado", "5102", "06", {{31, "06"}, {35, "06"}}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(Ipi, EnquadramentoSoComIpiNaNota) {
  auto semIpi = LinhaDoItem("3", {{"TotalIpiTot", Moeda("0")}});
  for (int i = 87; i <= 91; ++i) EXPECT_EQ(semIpi[i], "") << i;
  auto comIpi = LinhaDoItem("3", {{"TotalIpiTot", Moeda("0.01")}});
  EXPECT_EQ(comIpi[87], "0");
  EXPECT_EQ(comIpi[88], "00000000000000");
  EXPECT_EQ(comIpi[89], "0");
  EXPECT_EQ(comIpi[90], "0");
  EXPECT_EQ(comIpi[91], "999");
}

TEST(Combustivel, ListaDeCfops) {
  int total = 0;
  for (int codigo = 1000; codigo <= 7999; ++codigo) {
    if (CfopCombustivel(std::to_string(codigo))) ++total;
  }
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
  auto linha = LinhaDoItem("3", {{"CFOP", Valor("5656")},
                                 {"CodigoANP", Valor("210203001")},
                                 {"QntProd", Moeda("40.5")},
                                 {"UFCli", Valor("GO")}});
  EXPECT_EQ(linha[92], "210203001");
  EXPECT_EQ(linha[93], "");
  EXPECT_EQ(linha[94], "40.5000");
  EXPECT_EQ(linha[95], "GO");
  EXPECT_EQ(linha[132], "");

  auto venda = LinhaDoItem("3", {{"CFOP", Valor("5102")}, {"CodigoANP", Valor("210203001")}});
  for (int i : {92, 93, 94, 95, 132}) EXPECT_EQ(venda[i], "") << i;
}

}  // namespace
}  // namespace velant::teste_conteudo
