// The business rules of layout 4.00 and of the tax reform: one 4.00 invoice
// broken on purpose per case, refused by the local check with the rule's
// official code; the sound invoice keeps them all, and a 3.10 invoice is not
// judged by them. Then the reform's arithmetic on worked figures and the CNPJ
// check digits of both forms.
#include <gtest/gtest.h>

#include <regex>

#include "apoio_documento.h"
#include "apoio_regras.h"
#include "base/erro.h"
#include "component/regras/reforma_tributaria.h"
#include "component/regras/regras_autoridade.h"
#include "component/regras/regras_digitos.h"

namespace velant::regras {
namespace {

using teste::Preenche;
using V = VetoresNFe;
using namespace std::chrono;

std::vector<std::string>& Item(V& v) { return v.gVetorProdutos[0]; }

struct Caso {
  const char* nome;
  int codigo;      // 0: keeps every rule
  bool reforma;    // of 01/12/2026, its item with IBS/CBS CST 000
  void (*ajuste)(V&, GeradorXmlNFe&);
  // A change to the written document, for what the generator never writes:
  // the first match of a regular expression and what replaces it.
  const char* de = nullptr;
  const char* para = "";
};
void PrintTo(const Caso& c, std::ostream* os) { *os << c.nome << " " << c.codigo; }

// The example invoice in homologation, layout 4.00, signed.
std::string Assinada(const Caso& c) {
  V v = teste::NotaExemplo();
  v.gVetorDestinatario[Destinatario::xNome] = teste::kDestinatarioHomologacao;
  if (c.reforma) {
    Preenche(v.gVetorIde, {{Ide::dhEmi, "01/12/2026 10:30:00"}, {Ide::dhSaiEnt, "01/12/2026 11:00:00"}});
    Preenche(Item(v), {{Produto::CST_IBSCBS, "000"}, {Produto::cClassTrib, "000001"}});
  }
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  teste::Emitente400(g);
  if (c.ajuste) c.ajuste(v, g);
  g.IdNFe = "NFe" + teste::Chave400(v, g.CNPJ);
  g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                               v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML,
                               "-03:00");
  if (c.de) {
    const std::regex de(c.de);
    EXPECT_TRUE(std::regex_search(xml, de)) << c.de;
    xml = std::regex_replace(xml, de, c.para, std::regex_constants::format_first_only);
  }
  return AssinarXml(xml, "infNFe", teste::CertificadoTeste());
}

// Two instalments of 60.00 and 40.00 due after the emission of 15/01/2016.
void Parcelas(V& v, GeradorXmlNFe&) {
  v.gQtdFaturas = 1;
  v.gVetorFaturas.assign(2, teste::Vazio(kSlotsFatura));
  Preenche(v.gVetorFaturas[0], {{Fatura::nFat, "123"}, {Fatura::vOrig, "100.00"}, {Fatura::vLiq, "100.00"},
                                {Fatura::nDup, "123/1"}, {Fatura::dVenc, "15/02/2016"}, {Fatura::vDup, "60.00"}});
  Preenche(v.gVetorFaturas[1], {{Fatura::nDup, "123/2"}, {Fatura::dVenc, "15/03/2016"}, {Fatura::vDup, "40.00"}});
  Preenche(v.gVetorIde, {{Ide::indPag, "1"}, {Ide::tPag, "15"}});
}

void Lote(V& v, const char* dFab, const char* dVal) {
  Preenche(Item(v), {{Produto::nLote, "L1"}, {Produto::qLote, "2"}, {Produto::dFab, dFab}, {Produto::dVal, dVal}});
}

// A Simples Nacional issuer (CSOSN 102, no ICMS of its own); in 2027, the
// first year the reform's group is owed by it.
void Simples(V& v, GeradorXmlNFe&) {
  v.gVetorEmitente[Emitente::CRT] = "1";
  Preenche(Item(v), {{Produto::CSTouCSOSN, "102"}, {Produto::CST_IBSCBS, ""}});
  Preenche(v.gVetorTotais, {{Totais::vBC, "0.00"}, {Totais::vICMS, "0.00"}});
}
void Simples2027(V& v, GeradorXmlNFe& g) {
  Simples(v, g);
  Preenche(v.gVetorIde, {{Ide::dhEmi, "04/01/2027 09:00:00"}, {Ide::dhSaiEnt, "04/01/2027 09:30:00"}});
}

void Reduzida(V& v, GeradorXmlNFe&) {
  Preenche(Item(v), {{Produto::CST_IBSCBS, "200"}, {Produto::cClassTrib, "200028"}});
}
void Letras(V&, GeradorXmlNFe& g) { g.CNPJ = "12ABC34501DE35"; }

const Caso kCasos[] = {
    {"NotaSaudavel", 0, false, nullptr}, {"ParcelasEmOrdem", 0, false, Parcelas},
    {"ChaveComLetrasSaudavel", 0, false, Letras},
    // Payment.
    {"SemGrupoDePagamento", 769, false, nullptr, "<pag>.*</pag>"},
    {"DevolucaoComPagamento", 871, false, [](V& v, GeradorXmlNFe&) {
       Preenche(v.gVetorIde, {{Ide::finNFe, "4"}, {Ide::refNFe, teste::ChaveDa(teste::NotaExemplo()).c_str()}});
       Item(v)[Produto::CFOP] = "5202";
     }, "<tPag>90</tPag>", "<tPag>01</tPag>"},
    {"SemPagamentoComValor", 904, false, nullptr, "<tPag>99</tPag><xPag>Não informado</xPag>", "<tPag>90</tPag>"},
    {"OutrosSemDescricao", 441, false, nullptr, "<xPag>Não informado</xPag>"},
    {"PagamentoMenorQueNota", 865, false, nullptr, "<vPag>100.00</vPag>", "<vPag>99.99</vPag>"},
    {"PagamentoMaiorSemTroco", 866, false, nullptr, "<vPag>100.00</vPag>", "<vPag>120.00</vPag>"},
    {"TrocoIncorreto", 869, false, [](V& v, GeradorXmlNFe&) { v.gVetorIde[Ide::vTroco] = "20.00"; },
     "<vTroco>20.00</vTroco>", "<vTroco>19.00</vTroco>"},
    // Fund of each item and its totals.
    {"PercentualFcpZero", 880, false, nullptr, "</ICMS00>", "<pFCP>0.00</pFCP><vFCP>0.00</vFCP></ICMS00>"},
    {"ValorFcpForaDaConta", 860, false, [](V& v, GeradorXmlNFe&) {
       Preenche(Item(v), {{Produto::pFCP, "2.00"}, {Produto::vFCP, "2.50"}}), v.gVetorTotais[Totais::vFCP] = "2.50";
     }},
    {"TotalFcpDiferente", 861, false,
     [](V& v, GeradorXmlNFe&) { Preenche(Item(v), {{Produto::pFCP, "2.00"}, {Produto::vFCP, "2.00"}}); }},
    {"TotalFcpStDiferente", 862, false, nullptr, "<vFCPST>0.00</vFCPST>", "<vFCPST>1.00</vFCPST>"},
    {"TotalFcpStRetidoDiferente", 859, false, nullptr, "<vFCPSTRet>0.00</vFCPSTRet>", "<vFCPSTRet>1.00</vFCPSTRet>"},
    {"TotalIpiDevolvidoDiferente", 863, false, nullptr, "<vIPIDevol>0.00</vIPIDevol>", "<vIPIDevol>1.00</vIPIDevol>"},
    {"TotalDaNotaSemFcpSt", 610, false, [](V& v, GeradorXmlNFe&) {
       Preenche(Item(v), {{Produto::CSTouCSOSN, "10"}, {Produto::modBCST, "4"}, {Produto::vBCST, "140.00"},
                          {Produto::pICMSST, "18.00"}, {Produto::vICMSST, "7.20"}, {Produto::vBCFCPST, "140.00"},
                          {Produto::pFCPST, "2.00"}, {Produto::vFCPST, "2.80"}});
       Preenche(v.gVetorTotais, {{Totais::vBCST, "140.00"}, {Totais::vST, "7.20"}, {Totais::vFCPST, "2.80"},
                                 {Totais::vNF, "107.20"}});
     }},
    // Lots, presence outside the premises.
    {"FabricadoNoFuturo", 877, false, [](V& v, GeradorXmlNFe&) { Lote(v, "01/01/2090", "01/01/2091"); }},
    {"ValidadeAntesDaFabricacao", 870, false, [](V& v, GeradorXmlNFe&) { Lote(v, "01/07/2015", "30/06/2015"); }},
    {"ForaDoEstabelecimentoSemReferencia", 864, false, [](V& v, GeradorXmlNFe&) { v.gVetorIde[Ide::indPres] = "5"; }},
    // Billing.
    {"FaturaSemDesconto", 905, false, Parcelas, "<vDesc>0.00</vDesc><vLiq>", "<vLiq>"},
    {"DescontoMaiorQueFatura", 901, false, Parcelas, "<vDesc>0.00</vDesc><vLiq>", "<vDesc>100.01</vDesc><vLiq>"},
    {"LiquidoForaDaConta", 902, false, Parcelas, "<vDesc>0.00</vDesc><vLiq>", "<vDesc>1.00</vDesc><vLiq>"},
    {"FaturaMaiorQueNota", 897, false, [](V& v, GeradorXmlNFe& g) {
       Parcelas(v, g);
       Preenche(v.gVetorFaturas[0], {{Fatura::vOrig, "110.00"}, {Fatura::vLiq, "110.00"}, {Fatura::vDup, "70.00"}});
     }},
    {"ParcelaSemNumeroSequencial", 852, false, Parcelas, "<nDup>002</nDup>", "<nDup>123/2</nDup>"},
    {"VencimentoAntesDaEmissao", 900, false,
     [](V& v, GeradorXmlNFe& g) { Parcelas(v, g), v.gVetorFaturas[0][Fatura::dVenc] = "14/01/2016"; }},
    {"VencimentosForaDeOrdem", 850, false,
     [](V& v, GeradorXmlNFe& g) { Parcelas(v, g), v.gVetorFaturas[1][Fatura::dVenc] = "10/02/2016"; }},
    {"SomaDasParcelasDiferente", 851, false,
     [](V& v, GeradorXmlNFe& g) { Parcelas(v, g), v.gVetorFaturas[1][Fatura::vDup] = "39.99"; }},
    // Check digits and bar codes as 4.00 takes them.
    {"CnpjComLetrasDigitoErrado", 208, false, nullptr, "<dest><CNPJ>44555666000181", "<dest><CNPJ>12ABC34501DE36"},
    {"ChaveComLetrasDigitoErrado", 236, false, Letras, "(DE355500100000012310000012)34\"", "$0135\""},
    {"CodigoDeBarrasInvalido", 611, false, nullptr, "<cEAN>7891234567895</cEAN>", "<cEAN>SEM EAN</cEAN>"},
    // The tax reform: who owes the group.
    {"ReformaComOsGrupos", 0, true, nullptr}, {"SimplesEm2026SemGrupo", 0, true, Simples},
    {"SimplesEm2027SemGrupo", 1115, true, Simples2027},
    // CST and classification.
    {"ClassificacaoDeOutroCst", 1901, true, nullptr, "<cClassTrib>000001<", "<cClassTrib>200028<"},
    {"ImunidadeComGrupo", 1902, true, nullptr, "<CST>000</CST><cClassTrib>000001", "<CST>410</CST><cClassTrib>410001"},
    {"IntegralComReducao", 1903, true, nullptr, "<pIBSUF>0.1000</pIBSUF>",
     "<pIBSUF>0.1000</pIBSUF><gRed><pRedAliq>0.00</pRedAliq><pAliqEfet>0.1000</pAliqEfet></gRed>"},
    {"ReduzidaSemReducao", 1903, true, nullptr, "<CST>000</CST><cClassTrib>000001", "<CST>200</CST><cClassTrib>200028"},
    {"DiferimentoSemGrupo", 1904, true, nullptr, "<CST>000</CST><cClassTrib>000001",
     "<CST>510</CST><cClassTrib>510001"},
    {"ReducaoDiferenteDaClassificacao", 1905, true,
     [](V& v, GeradorXmlNFe& g) { Reduzida(v, g), Item(v)[Produto::pRedAliq] = "50"; }},
    // Rates of the year.
    {"AliquotaIbsUfErrada", 1035, true, [](V& v, GeradorXmlNFe&) { Item(v)[Produto::pIBSUF] = "0.05"; }},
    {"AliquotaIbsMunErrada", 1036, true, [](V& v, GeradorXmlNFe&) { Item(v)[Produto::pIBSMun] = "0.05"; }},
    {"AliquotaCbsErrada", 1037, true, [](V& v, GeradorXmlNFe&) { Item(v)[Produto::pCBS] = "0.8"; }},
    // Item arithmetic.
    {"ValorCbsForaDaConta", 1906, true, nullptr, "<vCBS>0.65(</vCBS></gCBS></gIBSCBS>)", "<vCBS>0.66$1"},
    {"AliquotaEfetivaForaDaConta", 1906, true, Reduzida, "<pAliqEfet>0.3600<", "<pAliqEfet>0.3700<"},
    {"SomaDoIbsDoItem", 1906, true, nullptr, "<vIBS>0.07</vIBS><gCBS>", "<vIBS>0.08</vIBS><gCBS>"},
    // Totals.
    {"TotalIbsUfDiferente", 1080, true, nullptr, "<vIBSUF>0.07</vIBSUF></gIBSUF><gIBSMun><vDif>",
     "<vIBSUF>0.08</vIBSUF></gIBSUF><gIBSMun><vDif>"},
    {"TotalCbsDiferente", 1907, true, nullptr, "<vCBS>0.65</vCBS><vCredPres>", "<vCBS>0.64</vCBS><vCredPres>"},
    {"SemTotalDoIbsCbs", 1907, true, nullptr, "<IBSCBSTot>.*</IBSCBSTot>"},
    {"TotalIsDiferente", 1908, true, [](V& v, GeradorXmlNFe&) {
       Preenche(Item(v), {{Produto::CSTIS, "000"}, {Produto::cClassTribIS, "000001"}, {Produto::pIS, "10"}});
     }, "<ISTot><vIS>", "<ISTot><vIS>1"},
    {"TotalComTributosDiferente", 1909, true, nullptr, "<vNFTot>100.72</vNFTot>", "<vNFTot>100.00</vNFTot>"},
};

class Regra400 : public ::testing::TestWithParam<Caso> {};

// Received on 05/01/2027: every emission of the cases is before it.
TEST_P(Regra400, NaConferenciaLocal) {
  teste::ConfereRegraLocal(Assinada(GetParam()), GetParam().codigo, false, "", sys_days(2027y / January / 5) + 15h);
}

INSTANTIATE_TEST_SUITE_P(Leiaute400, Regra400, ::testing::ValuesIn(kCasos),
                         [](const auto& info) { return std::string(info.param.nome); });

// A 3.10 invoice carries neither payment nor fund: the 4.00 rules leave it
// alone, and its old payment rule still holds.
TEST(Regra400, Nota310NaoEJulgadaPelasRegras400) {
  teste::ConfereRegraLocal(teste::NotaAssinada(), 0);
  std::string comPag = std::regex_replace(teste::NotaSemAssinatura(), std::regex("</transp>"),
                                          "</transp><pag><detPag><tPag>01</tPag><vPag>100.00</vPag></detPag></pag>");
  teste::ConfereRegraLocal(AssinarXml(comPag, "infNFe", teste::CertificadoTeste()), 768);
}

// Worked figures of the arithmetic: percentages at 4 decimals, cents.
TEST(ContaReforma, ArredondaMetadeParaCimaReduzEDifere) {
  struct Caso {
    Inteiro vBC, p, pRedAliq, pDif;
    Inteiro pAliqEfet, vDif, v;
  } casos[] = {
      {7275, 1000, 0, 0, 1000, 0, 7},              // 0.07275 -> 0.07
      {7275, 9000, 0, 0, 9000, 0, 65},             // 0.65475 -> 0.65
      {500, 1000, 0, 0, 1000, 0, 1},               // 0.005: the half cent goes up
      {7275, 9000, 600000, 0, 3600, 0, 26},        // 60 % off: 0.36 %, 0.2619 -> 0.26
      {100000, 1000, 333300, 0, 667, 0, 67},       // 0.1 % less 33.33 %: 0.06667 % -> 0.0667 %
      {100000, 9000, 0, 400000, 9000, 360, 540},   // 9.00 of which 40 % deferred
      {100000, 1000, 1000000, 0, 0, 0, 0},         // reduced to zero
  };
  for (const auto& c : casos) {
    reforma::Tributo t = reforma::CalculaTributo(c.vBC, c.p, c.pRedAliq, c.pDif);
    EXPECT_EQ(std::tuple(t.pAliqEfet, t.vDif, t.v), std::tuple(c.pAliqEfet, c.vDif, c.v)) << TextoCentavos(c.vBC);
  }
}

// The shipped table holds the test year and refuses what it cannot read.
TEST(TabelaReforma, AnoDeTesteELinhasRuins) {
  const auto& t = reforma::Tabela::Padrao();
  ASSERT_TRUE(t.DoAno(2026));
  EXPECT_EQ(std::tuple(t.DoAno(2026)->pIBSUF, t.DoAno(2026)->pIBSMun, t.DoAno(2026)->pCBS), std::tuple(1000, 0, 9000));
  EXPECT_FALSE(t.DoAno(2016));
  teste::PastaTemporaria pasta;
  for (const char* ruim : {"ALIQUOTAS;2026;0.1;0;101\n", "CST;000;1;2;0\n", "CLASSTRIB;12345;0\n", "IBS;2026\n"}) {
    teste::GravarTudo(pasta.Caminho() / "t.txt", std::string("# comentário\n") + ruim);
    try {
      reforma::Tabela::Carregar(pasta.Caminho() / "t.txt");
      ADD_FAILURE() << "aceitou " << ruim;
    } catch (const ErroExecucao& e) {
      EXPECT_NE(e.Descricao().find("linha 2"), std::string::npos) << e.Descricao();
    }
  }
}

// 12ABC34501DE35 is the Receita Federal's published example of the
// alphanumeric CNPJ. By hand: the characters are worth 1 2 17 18 19 3 4 5 0 1
// 20 21; with the weights 5 4 3 2 9 8 7 6 5 4 3 2 they sum 459, remainder 8,
// first digit 3; with 6 5 4 3 2 9 8 7 6 5 4 3 2 (the 3 included) they sum
// 424, remainder 6, second digit 5. The other made-up numbers were worked out
// the same way outside the tree; 00000000000A04 has a first remainder of 1.
TEST(CnpjAlfanumerico, DigitosVerificadores) {
  struct Caso {
    const char* cnpj;
    bool numerico;       // CnpjValido, layout 3.10
    bool alfanumerico;   // CnpjAlfanumericoValido, layout 4.00
  } casos[] = {
      {"12ABC34501DE35", false, true}, {"ABCDEFGHIJKL80", false, true}, {"00000000000A04", false, true},
      {"ZZZZZZZZZZZZ62", false, true}, {"11222333000181", true, true},  {"99999999000191", true, true},
      {"12ABC34501DE36", false, false},   // second digit wrong
      {"12ABC34501DE25", false, false},   // first digit wrong
      {"12ABC34501DE53", false, false},   // digits swapped
      // Check digits that would be sound if the odd character counted.
      {"12abc34501de05", false, false},   // lower case
      {"12ABC34501@E48", false, false},   // just before "A"
      {"12ABC34501[E07", false, false},   // just after "Z"
      {"12ABC34501DE3A", false, false},   // a check digit must be a digit
      {"12ABC34501DE3", false, false},  {"12ABC34501DE350", false, false}, {"11222333000182", false, false},
      {"00000000000000", false, false}, {"", false, false},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.cnpj);
    EXPECT_EQ(CnpjValido(c.cnpj), c.numerico);
    EXPECT_EQ(CnpjAlfanumericoValido(c.cnpj), c.alfanumerico);
  }
}

}  // namespace
}  // namespace velant::regras
