// The business rules of layout 4.00: one 4.00 invoice broken on purpose per
// case, refused by the local check with the rule's official code; the sound
// invoice keeps them all, and a 3.10 invoice is not judged by them.
#include <gtest/gtest.h>

#include "apoio_documento.h"
#include "apoio_regras.h"
#include "component/regras/regras_autoridade.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/chave_acesso.h"

namespace velant::regras {
namespace {

using teste::Preenche;
using Vetor = std::vector<std::string>;

Vetor& Item(VetoresNFe& v) { return v.gVetorProdutos[0]; }

struct Caso400 {
  const char* nome;
  int codigo;   // 0: keeps every rule
  void (*ajuste)(VetoresNFe&, GeradorXmlNFe&);
  // A change to the written document, for what the generator never writes.
  std::string (*texto)(std::string) = nullptr;
};
void PrintTo(const Caso400& c, std::ostream* os) { *os << c.nome << " " << c.codigo; }

std::string Trocado(std::string s, const std::string& de, const std::string& para) {
  size_t p = s.find(de);
  EXPECT_NE(p, std::string::npos) << de;
  return p == std::string::npos ? s : s.replace(p, de.size(), para);
}

// The example invoice in homologation, layout 4.00, signed.
std::string Nota400(const Caso400& c) {
  VetoresNFe v = teste::NotaExemplo();
  v.gVetorDestinatario[Destinatario::xNome] = teste::kDestinatarioHomologacao;
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  teste::Emitente400(g);
  c.ajuste(v, g);
  g.IdNFe = "NFe" + teste::Chave400(v, g.CNPJ);
  g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                               v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML,
                               "-03:00");
  if (c.texto) xml = c.texto(xml);
  return AssinarXml(xml, "infNFe", teste::CertificadoTeste());
}

// Two instalments of 60.00 and 40.00 due after the emission of 15/01/2016.
void Parcelas(VetoresNFe& v) {
  v.gQtdFaturas = 1;
  v.gVetorFaturas.assign(2, teste::Vazio(kSlotsFatura));
  Preenche(v.gVetorFaturas[0], {{Fatura::nFat, "123"}, {Fatura::vOrig, "100.00"}, {Fatura::vLiq, "100.00"},
                                {Fatura::nDup, "123/1"}, {Fatura::dVenc, "15/02/2016"}, {Fatura::vDup, "60.00"}});
  Preenche(v.gVetorFaturas[1], {{Fatura::nDup, "123/2"}, {Fatura::dVenc, "15/03/2016"}, {Fatura::vDup, "40.00"}});
  Preenche(v.gVetorIde, {{Ide::indPag, "1"}, {Ide::tPag, "15"}});
}

void Nada(VetoresNFe&, GeradorXmlNFe&) {}

class Regra400 : public ::testing::TestWithParam<Caso400> {};

TEST_P(Regra400, NaConferenciaLocal) { teste::ConfereRegraLocal(Nota400(GetParam()), GetParam().codigo); }

const Caso400 kCasos[] = {
    {"NotaSaudavel", 0, Nada},
    {"ParcelasEmOrdem", 0, [](VetoresNFe& v, GeradorXmlNFe&) { Parcelas(v); }},
    {"ChaveComLetrasSaudavel", 0, [](VetoresNFe&, GeradorXmlNFe& g) { g.CNPJ = "12ABC34501DE35"; }},
    // Payment.
    {"SemGrupoDePagamento", 769, Nada,
     [](std::string s) {
       size_t i = s.find("<pag>"), f = s.find("</pag>");
       return s.erase(i, f + 6 - i);
     }},
    {"DevolucaoComPagamento", 871,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       v.gVetorIde[Ide::finNFe] = "4";
       v.gVetorIde[Ide::refNFe] = teste::ChaveDa(teste::NotaExemplo());
       Item(v)[Produto::CFOP] = "5202";
     },
     [](std::string s) { return Trocado(s, "<tPag>90</tPag>", "<tPag>01</tPag>"); }},
    {"SemPagamentoComValor", 904, Nada,
     [](std::string s) { return Trocado(s, "<tPag>99</tPag><xPag>Não informado</xPag>", "<tPag>90</tPag>"); }},
    {"OutrosSemDescricao", 441, Nada, [](std::string s) { return Trocado(s, "<xPag>Não informado</xPag>", ""); }},
    {"PagamentoMenorQueNota", 865, Nada,
     [](std::string s) { return Trocado(s, "<vPag>100.00</vPag>", "<vPag>99.99</vPag>"); }},
    {"PagamentoMaiorSemTroco", 866, Nada,
     [](std::string s) { return Trocado(s, "<vPag>100.00</vPag>", "<vPag>120.00</vPag>"); }},
    {"TrocoIncorreto", 869, [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::vTroco] = "20.00"; },
     [](std::string s) { return Trocado(s, "<vTroco>20.00</vTroco>", "<vTroco>19.00</vTroco>"); }},
    // Fund of each item and its totals.
    {"PercentualFcpZero", 880, Nada,
     [](std::string s) {
       return Trocado(s, "<vICMS>18.00</vICMS></ICMS00>", "<vICMS>18.00</vICMS><pFCP>0.00</pFCP><vFCP>0.00</vFCP></ICMS00>");
     }},
    {"ValorFcpForaDaConta", 860,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       Preenche(Item(v), {{Produto::pFCP, "2.00"}, {Produto::vFCP, "2.50"}});
       v.gVetorTotais[Totais::vFCP] = "2.50";
     }},
    {"TotalFcpDiferente", 861,
     [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(Item(v), {{Produto::pFCP, "2.00"}, {Produto::vFCP, "2.00"}}); }},
    {"TotalFcpStDiferente", 862, Nada,
     [](std::string s) { return Trocado(s, "<vFCPST>0.00</vFCPST>", "<vFCPST>1.00</vFCPST>"); }},
    {"TotalFcpStRetidoDiferente", 859, Nada,
     [](std::string s) { return Trocado(s, "<vFCPSTRet>0.00</vFCPSTRet>", "<vFCPSTRet>1.00</vFCPSTRet>"); }},
    {"TotalIpiDevolvidoDiferente", 863, Nada,
     [](std::string s) { return Trocado(s, "<vIPIDevol>0.00</vIPIDevol>", "<vIPIDevol>1.00</vIPIDevol>"); }},
    {"TotalDaNotaSemFcpSt", 610,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       Preenche(Item(v), {{Produto::CSTouCSOSN, "10"}, {Produto::modBCST, "4"}, {Produto::vBCST, "140.00"},
                          {Produto::pICMSST, "18.00"}, {Produto::vICMSST, "7.20"}, {Produto::vBCFCPST, "140.00"},
                          {Produto::pFCPST, "2.00"}, {Produto::vFCPST, "2.80"}});
       Preenche(v.gVetorTotais, {{Totais::vBCST, "140.00"}, {Totais::vST, "7.20"}, {Totais::vFCPST, "2.80"},
                                 {Totais::vNF, "107.20"}});
     }},
    // Lots.
    {"FabricadoNoFuturo", 877,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       Preenche(Item(v), {{Produto::nLote, "L1"}, {Produto::qLote, "2"}, {Produto::dFab, "01/01/2090"},
                          {Produto::dVal, "01/01/2091"}});
     }},
    {"ValidadeAntesDaFabricacao", 870,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       Preenche(Item(v), {{Produto::nLote, "L1"}, {Produto::qLote, "2"}, {Produto::dFab, "01/07/2015"},
                          {Produto::dVal, "30/06/2015"}});
     }},
    // Presence outside the premises.
    {"ForaDoEstabelecimentoSemReferencia", 864, [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::indPres] = "5"; }},
    // Billing.
    {"FaturaSemDesconto", 905, [](VetoresNFe& v, GeradorXmlNFe&) { Parcelas(v); },
     [](std::string s) { return Trocado(s, "<vDesc>0.00</vDesc><vLiq>", "<vLiq>"); }},
    {"DescontoMaiorQueFatura", 901, [](VetoresNFe& v, GeradorXmlNFe&) { Parcelas(v); },
     [](std::string s) { return Trocado(s, "<vDesc>0.00</vDesc><vLiq>", "<vDesc>100.01</vDesc><vLiq>"); }},
    {"LiquidoForaDaConta", 902, [](VetoresNFe& v, GeradorXmlNFe&) { Parcelas(v); },
     [](std::string s) { return Trocado(s, "<vDesc>0.00</vDesc><vLiq>", "<vDesc>1.00</vDesc><vLiq>"); }},
    {"FaturaMaiorQueNota", 897,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       Parcelas(v);
       Preenche(v.gVetorFaturas[0], {{Fatura::vOrig, "110.00"}, {Fatura::vLiq, "110.00"}, {Fatura::vDup, "70.00"}});
     }},
    {"ParcelaSemNumeroSequencial", 852, [](VetoresNFe& v, GeradorXmlNFe&) { Parcelas(v); },
     [](std::string s) { return Trocado(s, "<nDup>002</nDup>", "<nDup>123/2</nDup>"); }},
    {"VencimentoAntesDaEmissao", 900,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       Parcelas(v);
       v.gVetorFaturas[0][Fatura::dVenc] = "14/01/2016";
     }},
    {"VencimentosForaDeOrdem", 850,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       Parcelas(v);
       v.gVetorFaturas[1][Fatura::dVenc] = "10/02/2016";
     }},
    {"SomaDasParcelasDiferente", 851,
     [](VetoresNFe& v, GeradorXmlNFe&) {
       Parcelas(v);
       v.gVetorFaturas[1][Fatura::vDup] = "39.99";
     }},
    // Check digits and bar codes as 4.00 takes them.
    {"CnpjComLetrasDigitoErrado", 208, Nada,
     [](std::string s) { return Trocado(s, "<dest><CNPJ>44555666000181</CNPJ>", "<dest><CNPJ>12ABC34501DE36</CNPJ>"); }},
    {"ChaveComLetrasDigitoErrado", 236, [](VetoresNFe&, GeradorXmlNFe& g) { g.CNPJ = "12ABC34501DE35"; },
     [](std::string s) {
       size_t p = s.find("Id=\"NFe") + 7 + 43;
       s[p] = s[p] == '9' ? '0' : static_cast<char>(s[p] + 1);
       return s;
     }},
    {"CodigoDeBarrasInvalido", 611, Nada,
     [](std::string s) { return Trocado(s, "<cEAN>7891234567895</cEAN>", "<cEAN>SEM EAN</cEAN>"); }},
};

INSTANTIATE_TEST_SUITE_P(Leiaute400, Regra400, ::testing::ValuesIn(kCasos),
                         [](const auto& info) { return std::string(info.param.nome); });

// A 3.10 invoice carries neither payment nor fund: the 4.00 rules leave it
// alone, and its old payment rule still holds.
TEST(Regra400, Nota310NaoEJulgadaPelasRegras400) {
  auto documento = autoridade::DocumentoXml::Ler(teste::NotaAssinada(), "nota");
  EXPECT_FALSE(VerificaRegras(documento.Raiz(), std::chrono::system_clock::now()));
  std::string comPag = teste::NotaSemAssinatura();
  comPag = Trocado(comPag, "</transp>", "</transp><pag><detPag><tPag>01</tPag><vPag>100.00</vPag></detPag></pag>");
  auto outro = autoridade::DocumentoXml::Ler(AssinarXml(comPag, "infNFe", teste::CertificadoTeste()), "nota");
  auto violada = VerificaRegras(outro.Raiz(), std::chrono::system_clock::now());
  ASSERT_TRUE(violada);
  EXPECT_EQ(violada->codigo, 768);
}

}  // namespace
}  // namespace velant::regras
