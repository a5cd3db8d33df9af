// The item rows: product slots, the ICMS decision (stages 0 to 4), PIS,
// COFINS, IPI framing, the fuel group; then the whole sequence and billing.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "apoio_conteudo.h"
#include "tabela_tsv.h"

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

// Regime, CFOP, the item's tax situation, and the ICMS slots it gives (icms_decisao.tsv).
TEST(Icms, Decisao) {
  const std::vector<Slot> slots = {orig,  CSTouCSOSN, modBC,    vBC,     pICMS,      vICMS,
                                   modBCST, pMVAST,   pRedBCST, pCredSN, vCredICMSSN};
  for (const teste::CasoTsv& c : teste::LerCasosTsv("content/icms_decisao.tsv", false)) {
    SCOPED_TRACE(c.at("caso"));
    Colunas colunas;
    std::deque<std::string> nomes;   // the names the columns point at
    for (const char* coluna : {"CFOP", "CodSitTrib", "UFCli", "ServProd"}) colunas.emplace_back(coluna, Valor(c.at(coluna)));
    for (const std::string& par : teste::CelulasTsv(c.at("colunas"), '|')) {
      colunas.emplace_back(nomes.emplace_back(par.substr(0, par.find('='))).c_str(),
                           Moeda(par.substr(par.find('=') + 1).c_str()));
    }
    const auto linha = LinhaDoItem(c.at("regime").c_str(), colunas);
    ConfereEmOrdem(linha, slots, c.at("slots"));
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

// Billing: the golden lists show none, one and two instalments; here an
// instalment that fails, which is logged and ends billing but not the sequence.
TEST(Faturas, ErroRegistraEGuardaAsLinhasEscritas) {
  AmbienteConteudo a;
  a.Item();
  auto& d = a.tabelas.TabelaDuplicatas;
  d.AddNew();
  d.SetValue("NumDupl", Valor("1/2"));
  d.SetValue("DtVenc", Valor(DataHora::De(2015, 3, 5)));
  d.SetValue("ValorVenc", Moeda("5"));
  d.Update();
  d.AddNew();   // an instalment without its number
  d.SetValue("DtVenc", Valor(DataHora::De(2015, 4, 5)));
  d.Update();
  a.Pronto();
  ASSERT_TRUE(PreencheVetores(a.ctx));
  const auto& f = a.vetores.gVetorFaturas;
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0][Fatura::nDup] + "|" + f[1][Fatura::nDup], "1/2|");
  EXPECT_TRUE(a.NaLista("        Gerando vetor Faturas..."));
  EXPECT_TRUE(std::ranges::any_of(a.ui.Eventos(), [](const std::string& e) {
    return e.starts_with("     ** Erro na Rotina: Gera_dados_faturas - ");
  }));
  EXPECT_FALSE(a.NaLista("        Gerado vetor Fatura!"));
  EXPECT_TRUE(a.NaLista("        Gerado vetor autXML!"));   // the sequence goes on
}

}  // namespace
}  // namespace velant::teste_conteudo
