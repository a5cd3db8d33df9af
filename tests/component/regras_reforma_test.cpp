// The tax reform rules: an invoice of 01/12/2026 whose item carries the
// IBS/CBS groups (CST 000 unless the case says otherwise), broken on purpose
// once per case and refused by the local check with the rule's code. The
// arithmetic itself is checked on worked figures at the end.
#include <gtest/gtest.h>

#include "apoio_documento.h"
#include "base/erro.h"
#include "component/regras/reforma_tributaria.h"
#include "component/regras/regras_autoridade.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/chave_acesso.h"

namespace velant::regras {
namespace {

using teste::Preenche;
using namespace std::chrono;

struct CasoReforma {
  const char* nome;
  int codigo;   // 0: keeps every rule
  void (*ajuste)(VetoresNFe&);
  std::string (*texto)(std::string) = nullptr;   // a change the generator never writes
};
void PrintTo(const CasoReforma& c, std::ostream* os) { *os << c.nome << " " << c.codigo; }

std::string Trocado(std::string s, const std::string& de, const std::string& para) {
  size_t p = s.find(de);
  EXPECT_NE(p, std::string::npos) << de;
  return p == std::string::npos ? s : s.replace(p, de.size(), para);
}

std::vector<std::string>& Item(VetoresNFe& v) { return v.gVetorProdutos[0]; }

std::string Assinada(const CasoReforma& c) {
  VetoresNFe v = teste::NotaExemplo();
  v.gVetorDestinatario[Destinatario::xNome] = teste::kDestinatarioHomologacao;
  Preenche(v.gVetorIde, {{Ide::dhEmi, "01/12/2026 10:30:00"}, {Ide::dhSaiEnt, "01/12/2026 11:00:00"}});
  Preenche(Item(v), {{Produto::CST_IBSCBS, "000"}, {Produto::cClassTrib, "000001"}});
  c.ajuste(v);
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  teste::Emitente400(g);
  g.IdNFe = "NFe" + teste::Chave400(v, g.CNPJ);
  g.UltimoItem = 0;
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                               v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML,
                               "-03:00");
  if (c.texto) xml = c.texto(xml);
  return AssinarXml(xml, "infNFe", teste::CertificadoTeste());
}

void Nada(VetoresNFe&) {}

// A Simples Nacional issuer (CSOSN 102, no ICMS of its own).
void Simples(VetoresNFe& v) {
  v.gVetorEmitente[Emitente::CRT] = "1";
  Preenche(Item(v), {{Produto::CSTouCSOSN, "102"}});
  Preenche(v.gVetorTotais, {{Totais::vBC, "0.00"}, {Totais::vICMS, "0.00"}});
}

// The first day the group is owed by the Simples Nacional.
void Em2027(VetoresNFe& v) {
  Simples(v);
  Preenche(v.gVetorIde, {{Ide::dhEmi, "04/01/2027 09:00:00"}, {Ide::dhSaiEnt, "04/01/2027 09:30:00"}});
}

class RegraReforma : public ::testing::TestWithParam<CasoReforma> {};

TEST_P(RegraReforma, NaConferenciaLocal) {
  const CasoReforma& c = GetParam();
  auto documento = autoridade::DocumentoXml::Ler(Assinada(c), "nota");
  // Received on 05/01/2027: every emission of the cases is before it.
  auto violada = VerificaRegras(documento.Raiz(), sys_days(2027y / January / 5) + 15h);
  if (c.codigo == 0) {
    EXPECT_FALSE(violada) << violada->CodigoETexto() << " (" << violada->detalhe << ")";
    return;
  }
  ASSERT_TRUE(violada) << "esperada a regra " << c.codigo;
  EXPECT_EQ(violada->codigo, c.codigo) << violada->CodigoETexto() << " (" << violada->detalhe << ")";
}

const CasoReforma kCasos[] = {
    {"ComOsGrupos", 0, Nada},
    {"SimplesEm2026SemGrupo", 0, [](VetoresNFe& v) { Simples(v); Item(v)[Produto::CST_IBSCBS] = ""; }},
    {"SimplesEm2027SemGrupo", 1115, [](VetoresNFe& v) { Em2027(v); Item(v)[Produto::CST_IBSCBS] = ""; }},
    // CST and classification.
    {"ClassificacaoDeOutroCst", 1901, Nada,
     [](std::string s) { return Trocado(s, "<cClassTrib>000001</cClassTrib>", "<cClassTrib>200028</cClassTrib>"); }},
    {"ImunidadeComGrupo", 1902, Nada,
     [](std::string s) {
       return Trocado(s, "<CST>000</CST><cClassTrib>000001", "<CST>410</CST><cClassTrib>410001");
     }},
    {"IntegralComReducao", 1903, Nada,
     [](std::string s) {
       return Trocado(s, "<pIBSUF>0.1000</pIBSUF>",
                      "<pIBSUF>0.1000</pIBSUF><gRed><pRedAliq>0.00</pRedAliq><pAliqEfet>0.1000</pAliqEfet></gRed>");
     }},
    {"ReduzidaSemReducao", 1903, Nada,
     [](std::string s) { return Trocado(s, "<CST>000</CST><cClassTrib>000001", "<CST>200</CST><cClassTrib>200028"); }},
    {"DiferimentoSemGrupo", 1904, Nada,
     [](std::string s) { return Trocado(s, "<CST>000</CST><cClassTrib>000001", "<CST>510</CST><cClassTrib>510001"); }},
    {"ReducaoDiferenteDaClassificacao", 1905,
     [](VetoresNFe& v) { Preenche(Item(v), {{Produto::CST_IBSCBS, "200"}, {Produto::cClassTrib, "200028"},
                                            {Produto::pRedAliq, "50"}}); }},
    // Rates of the year.
    {"AliquotaIbsUfErrada", 1035, [](VetoresNFe& v) { Item(v)[Produto::pIBSUF] = "0.05"; }},
    {"AliquotaIbsMunErrada", 1036, [](VetoresNFe& v) { Item(v)[Produto::pIBSMun] = "0.05"; }},
    {"AliquotaCbsErrada", 1037, [](VetoresNFe& v) { Item(v)[Produto::pCBS] = "0.8"; }},
    // Item arithmetic.
    {"ValorCbsForaDaConta", 1906, Nada,
     [](std::string s) { return Trocado(s, "<vCBS>0.65</vCBS></gCBS></gIBSCBS>", "<vCBS>0.66</vCBS></gCBS></gIBSCBS>"); }},
    {"AliquotaEfetivaForaDaConta", 1906,
     [](VetoresNFe& v) { Preenche(Item(v), {{Produto::CST_IBSCBS, "200"}, {Produto::cClassTrib, "200028"}}); },
     [](std::string s) { return Trocado(s, "<pAliqEfet>0.3600</pAliqEfet>", "<pAliqEfet>0.3700</pAliqEfet>"); }},
    {"SomaDoIbsDoItem", 1906, Nada,
     [](std::string s) { return Trocado(s, "<vIBS>0.07</vIBS><gCBS>", "<vIBS>0.08</vIBS><gCBS>"); }},
    // Totals.
    {"TotalIbsUfDiferente", 1080, Nada,
     [](std::string s) { return Trocado(s, "<vIBSUF>0.07</vIBSUF></gIBSUF><gIBSMun><vDif>", "<vIBSUF>0.08</vIBSUF></gIBSUF><gIBSMun><vDif>"); }},
    {"TotalCbsDiferente", 1907, Nada,
     [](std::string s) { return Trocado(s, "<vCBS>0.65</vCBS><vCredPres>", "<vCBS>0.64</vCBS><vCredPres>"); }},
    {"SemTotalDoIbsCbs", 1907, Nada,
     [](std::string s) {
       size_t i = s.find("<IBSCBSTot>"), f = s.find("</IBSCBSTot>");
       return s.erase(i, f + 12 - i);
     }},
    {"TotalIsDiferente", 1908,
     [](VetoresNFe& v) { Preenche(Item(v), {{Produto::CSTIS, "000"}, {Produto::cClassTribIS, "000001"}, {Produto::pIS, "10"}}); },
     [](std::string s) { return Trocado(s, "<ISTot><vIS>", "<ISTot><vIS>1"); }},
    {"TotalComTributosDiferente", 1909, Nada,
     [](std::string s) { return Trocado(s, "<vNFTot>100.72</vNFTot>", "<vNFTot>100.00</vNFTot>"); }},
};

INSTANTIATE_TEST_SUITE_P(Reforma, RegraReforma, ::testing::ValuesIn(kCasos),
                         [](const auto& info) { return std::string(info.param.nome); });

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
    EXPECT_EQ(t.pAliqEfet, c.pAliqEfet) << TextoCentavos(c.vBC);
    EXPECT_EQ(t.vDif, c.vDif) << TextoCentavos(c.vBC);
    EXPECT_EQ(t.v, c.v) << TextoCentavos(c.vBC);
  }
}

// The shipped table holds the test year and refuses what it cannot read.
TEST(TabelaReforma, AnoDeTesteELinhasRuins) {
  const auto& t = reforma::Tabela::Padrao();
  ASSERT_TRUE(t.DoAno(2026));
  EXPECT_EQ(t.DoAno(2026)->pIBSUF, 1000);
  EXPECT_EQ(t.DoAno(2026)->pIBSMun, 0);
  EXPECT_EQ(t.DoAno(2026)->pCBS, 9000);
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

}  // namespace
}  // namespace velant::regras
