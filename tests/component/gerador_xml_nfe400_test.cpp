// Layout 4.00 documents from the same vectors as 3.10: each case is
// generated, signed, valid against the official 4.00 schema (xmllint),
// verified by Debian's xmlsec1 and kept by the authority's business rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "apoio_documento.h"
#include "base/caminhos.h"
#include "base/erro.h"
#include "component/regras/regras_autoridade.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/gerador_xml_nfe.h"
#include "plataforma/registro_windows.h"

namespace velant {
namespace {

using teste::NotaExemplo;
using teste::Preenche;

// An alphanumeric CNPJ with sound check digits (the national example) and
// a second one built from it; a numeric recipient of the examples.
constexpr const char* kCnpjAlfanumerico = "12ABC34501DE35";

struct Gerador400 {
  teste::PastaTemporaria pasta;
  MapeadorCaminhos caminhos{pasta.Caminho()};
  RegistroWindows registro{pasta.Caminho() / "registro.reg"};
  GeradorXmlNFe g{caminhos, &registro};

  Gerador400() { teste::Emitente400(g); }
  void Registro(const std::string& valores) {
    teste::GravarTudo(registro.Arquivo(),
                      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n" + valores);
  }
  std::string Gera(VetoresNFe& v) {
    std::string chave = teste::Chave400(v, g.CNPJ);
    g.IdNFe = "NFe" + chave;
    g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
    g.ArquivoXml = "C:\\Dunmor\\nfe\\arquivos\\NFe" + chave + ".xml";
    return g.GeraXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                     v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML);
  }
};

// A homologation invoice: the recipient's name the authority demands there.
VetoresNFe Nota400() {
  VetoresNFe v = NotaExemplo();
  v.gVetorDestinatario[Destinatario::xNome] = teste::kDestinatarioHomologacao;
  return v;
}

std::vector<std::string>& Item(VetoresNFe& v) { return v.gVetorProdutos[0]; }

// Tax reform in the test year: an invoice of 01/12/2026 whose item names
// its IBS/CBS codes. The item's base is 100.00 less ICMS 18.00, PIS 1.65 and
// COFINS 7.60 = 72.75.
void Reforma2026(VetoresNFe& v, const char* cst, const char* cClassTrib) {
  Preenche(v.gVetorIde, {{Ide::dhEmi, "01/12/2026 10:30:00"}, {Ide::dhSaiEnt, "01/12/2026 11:00:00"}});
  Preenche(Item(v), {{Produto::CST_IBSCBS, cst}, {Produto::cClassTrib, cClassTrib}});
}

struct Caso400 {
  const char* nome;
  void (*ajuste)(VetoresNFe&, Gerador400&);
  std::vector<std::string> trechos;
  std::vector<std::string> ausentes;
};

class Notas400 : public ::testing::TestWithParam<Caso400> {};

TEST_P(Notas400, GeraAssinaValidaNoEsquema400) {
  const auto& c = GetParam();
  Gerador400 ger;
  VetoresNFe v = Nota400();
  c.ajuste(v, ger);
  std::string xml = ger.Gera(v);

  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">"
                      "<infNFe versao=\"4.00\" Id=\"" + ger.g.IdNFe + "\">", 0),
            0u)
      << xml.substr(0, 200);
  for (const auto& t : c.trechos) EXPECT_NE(xml.find(t), std::string::npos) << t << "\n" << xml;
  for (const auto& t : c.ausentes) EXPECT_EQ(xml.find(t), std::string::npos) << t << "\n" << xml;

  std::string assinado = AssinarXml(xml, "infNFe", teste::CertificadoTeste());
  EXPECT_TRUE(teste::AceitaNoEsquema400ENoXmlsec(assinado, ger.pasta.Caminho() / "assinado.xml"));

  auto documento = autoridade::DocumentoXml::Ler(assinado, "nota");
  // A contingency invoice goes to its SVC, whose rules take its tpEmis.
  const std::string& tpEmis = v.gVetorIde[Ide::tpEmis];
  const std::string autorizador = tpEmis == "6" ? "SVC-AN" : tpEmis == "7" ? "SVC-RS" : "";
  auto violada = regras::VerificaRegras(documento.Raiz(), std::chrono::system_clock::now(), autorizador);
  EXPECT_FALSE(violada) << violada->CodigoETexto() << " (" << violada->detalhe << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Leiaute400, Notas400,
    ::testing::Values(
        // The vectors a 3.10 request always gave: no payment data at all.
        Caso400{"SolicitacaoAntiga", [](VetoresNFe&, Gerador400&) {},
                {"<indPres>1</indPres><procEmi>", "<pag><detPag><indPag>0</indPag><tPag>99</tPag>"
                 "<xPag>Não informado</xPag><vPag>100.00</vPag></detPag></pag>",
                 "<vICMSDeson>0.00</vICMSDeson><vFCP>0.00</vFCP><vBCST>0.00</vBCST><vST>0.00</vST>"
                 "<vFCPST>0.00</vFCPST><vFCPSTRet>0.00</vFCPSTRet><vProd>100.00</vProd>",
                 "<vIPI>0.00</vIPI><vIPIDevol>0.00</vIPIDevol><vPIS>1.65</vPIS>"},
                {"<ide><indPag>", "<indIntermed>", "infRespTec", "<card>", "<vTroco>", "<cMunFGIBS>", "<IBSCBS>",
                 "<IS>", "<IBSCBSTot>", "<ISTot>", "<vNFTot>"}},
        Caso400{"PrazoComCartao",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(v.gVetorIde, {{Ide::indPag, "1"}, {Ide::tPag, "3"}, {Ide::tpIntegra, "2"},
                                         {Ide::CNPJ_card, "01.027.058/0001-91"}, {Ide::tBand, "01"},
                                         {Ide::cAut, "AUT123456"}});
                },
                {"<detPag><indPag>1</indPag><tPag>03</tPag><vPag>100.00</vPag><card><tpIntegra>2</tpIntegra>"
                 "<CNPJ>01027058000191</CNPJ><tBand>01</tBand><cAut>AUT123456</cAut></card></detPag></pag>"},
                {"<xPag>"}},
        Caso400{"DinheiroComTroco",
                [](VetoresNFe& v, Gerador400&) { Preenche(v.gVetorIde, {{Ide::tPag, "01"}, {Ide::vTroco, "20,00"}}); },
                {"<tPag>01</tPag><vPag>120.00</vPag></detPag><vTroco>20.00</vTroco></pag>"},
                {}},
        Caso400{"OutraFormaDescrita",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(v.gVetorIde, {{Ide::indPag, "2"}, {Ide::tPag, "99"}, {Ide::xPag, "PERMUTA"}});
                },
                {"<detPag><tPag>99</tPag><xPag>PERMUTA</xPag><vPag>100.00</vPag>"},
                {"<indPag>"}},
        // A return moves no money, whatever the request says.
        Caso400{"DevolucaoSemPagamento",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(v.gVetorIde, {{Ide::finNFe, "4"}, {Ide::tPag, "01"}, {Ide::vTroco, "5.00"}});
                  v.gVetorIde[Ide::refNFe] = teste::ChaveDa(NotaExemplo());
                  Preenche(Item(v), {{Produto::CFOP, "5202"}});
                },
                {"<pag><detPag><tPag>90</tPag><vPag>0.00</vPag></detPag></pag>"},
                {"<indPag>", "<vTroco>"}},
        // The invoice returned was issued under an alphanumeric CNPJ.
        Caso400{"DevolucaoDeNotaComCnpjAlfanumerico",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(v.gVetorIde, {{Ide::finNFe, "4"}});
                  v.gVetorIde[Ide::refNFe] = teste::Chave400(NotaExemplo(), "12ABC34501DE35");
                  Preenche(Item(v), {{Produto::CFOP, "5202"}});
                },
                {"<NFref><refNFe>" + teste::Chave400(NotaExemplo(), "12ABC34501DE35") + "</refNFe></NFref>"},
                {}},
        Caso400{"ProdutoSemCodigoDeBarras",
                [](VetoresNFe& v, Gerador400&) { Preenche(Item(v), {{Produto::cEAN, ""}, {Produto::cEANTrib, ""}}); },
                {"<cEAN>SEM GTIN</cEAN>", "<cEANTrib>SEM GTIN</cEANTrib>"},
                {}},
        Caso400{"FundoDePobrezaProprio",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(Item(v), {{Produto::pFCP, "2.0000"}, {Produto::vFCP, "2.00"}});
                  v.gVetorTotais[Totais::vFCP] = "2.00";
                },
                {"<vICMS>18.00</vICMS><pFCP>2.0000</pFCP><vFCP>2.00</vFCP></ICMS00>", "<vFCP>2.00</vFCP><vBCST>"},
                {"<vBCFCP>"}},
        Caso400{"FundoDePobrezaNaSubstituicao",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(Item(v), {{Produto::CSTouCSOSN, "10"}, {Produto::modBCST, "4"}, {Produto::pMVAST, "40.00"},
                                     {Produto::vBCST, "140.00"}, {Produto::pICMSST, "18.00"},
                                     {Produto::vICMSST, "7.20"}, {Produto::vBCFCPST, "140.00"},
                                     {Produto::pFCPST, "2.0000"}, {Produto::vFCPST, "2.80"}});
                  Preenche(v.gVetorTotais, {{Totais::vBCST, "140.00"}, {Totais::vST, "7.20"},
                                            {Totais::vFCPST, "2.80"}, {Totais::vNF, "110.00"}});
                },
                {"<vICMSST>7.20</vICMSST><vBCFCPST>140.00</vBCFCPST><pFCPST>2.0000</pFCPST><vFCPST>2.80</vFCPST>"
                 "</ICMS10>",
                 "<vFCPST>2.80</vFCPST><vFCPSTRet>0.00</vFCPSTRet>", "<vPag>110.00</vPag>"},
                {}},
        Caso400{"RetidoComAliquota",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(Item(v), {{Produto::CSTouCSOSN, "60"}, {Produto::vBCST, "90.00"},
                                     {Produto::pICMSST, "18.00"}, {Produto::vICMSST, "16.20"},
                                     {Produto::vBCFCPSTRet, "90.00"}, {Produto::pFCPSTRet, "2.0000"},
                                     {Produto::vFCPSTRet, "1.80"}});
                  Preenche(v.gVetorTotais, {{Totais::vBC, "0.00"}, {Totais::vICMS, "0.00"}, {Totais::vFCPSTRet, "1.80"}});
                },
                {"<ICMS60><orig>0</orig><CST>60</CST><vBCSTRet>90.00</vBCSTRet><pST>18.00</pST>"
                 "<vICMSSTRet>16.20</vICMSSTRet><vBCFCPSTRet>90.00</vBCFCPSTRet><pFCPSTRet>2.0000</pFCPSTRet>"
                 "<vFCPSTRet>1.80</vFCPSTRet></ICMS60>"},
                {}},
        Caso400{"LoteEBeneficio",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(Item(v), {{Produto::cBenef, "SP010001"}, {Produto::nLote, "L2026-07"},
                                     {Produto::qLote, "2"}, {Produto::dFab, "01/07/2015"},
                                     {Produto::dVal, "2017-07-01"}});
                },
                {"<NCM>84713012</NCM><cBenef>SP010001</cBenef><CFOP>",
                 "<indTot>1</indTot><rastro><nLote>L2026-07</nLote><qLote>2</qLote><dFab>2015-07-01</dFab>"
                 "<dVal>2017-07-01</dVal></rastro></prod>"},
                {"<cAgreg>"}},
        Caso400{"ResponsavelTecnicoDoRegistro",
                [](VetoresNFe&, Gerador400& ger) {
                  ger.Registro("\"RespTecCNPJ\"=\"11.222.333/0001-81\"\r\n\"RespTecContato\"=\"SUPORTE VELANT\"\r\n"
                               "\"RespTecEmail\"=\"suporte@velant.com.br\"\r\n\"RespTecFone\"=\"(11) 3333-4444\"\r\n");
                },
                {"</pag><infAdic><infCpl>Vendedor: JOAO;;</infCpl></infAdic><infRespTec><CNPJ>11222333000181</CNPJ>"
                 "<xContato>SUPORTE VELANT</xContato><email>suporte@velant.com.br</email>"
                 "<fone>1133334444</fone></infRespTec></infNFe>"},
                {}},
        Caso400{"VendaPelaInternet",
                [](VetoresNFe& v, Gerador400&) { v.gVetorIde[Ide::indPres] = "2"; },
                {"<indPres>2</indPres><indIntermed>0</indIntermed><procEmi>"},
                {}},
        // 0.1 % of 72.75 = 0.07275 and 0.9 % = 0.65475, to the cent; vNFTot
        // adds IBS and CBS to vNF.
        Caso400{"ReformaTributacaoIntegral", [](VetoresNFe& v, Gerador400&) { Reforma2026(v, "000", "000001"); },
                {"</COFINS><IBSCBS><CST>000</CST><cClassTrib>000001</cClassTrib><gIBSCBS><vBC>72.75</vBC>"
                 "<gIBSUF><pIBSUF>0.1000</pIBSUF><vIBSUF>0.07</vIBSUF></gIBSUF><gIBSMun><pIBSMun>0.0000</pIBSMun>"
                 "<vIBSMun>0.00</vIBSMun></gIBSMun><vIBS>0.07</vIBS><gCBS><pCBS>0.9000</pCBS><vCBS>0.65</vCBS>"
                 "</gCBS></gIBSCBS></IBSCBS></imposto>",
                 "</ICMSTot><IBSCBSTot><vBCIBSCBS>72.75</vBCIBSCBS><gIBS><gIBSUF><vDif>0.00</vDif>"
                 "<vDevTrib>0.00</vDevTrib><vIBSUF>0.07</vIBSUF></gIBSUF><gIBSMun><vDif>0.00</vDif>"
                 "<vDevTrib>0.00</vDevTrib><vIBSMun>0.00</vIBSMun></gIBSMun><vIBS>0.07</vIBS><vCredPres>0.00</vCredPres>"
                 "<vCredPresCondSus>0.00</vCredPresCondSus></gIBS><gCBS><vDif>0.00</vDif><vDevTrib>0.00</vDevTrib>"
                 "<vCBS>0.65</vCBS><vCredPres>0.00</vCredPres><vCredPresCondSus>0.00</vCredPresCondSus></gCBS>"
                 "</IBSCBSTot><vNFTot>100.72</vNFTot></total>"},
                {"<gRed>", "<gDif>", "<IS>", "<cMunFGIBS>"}},
        // Education services (200028) pay 40 % of the rates: 0.04 % and 0.36 %.
        Caso400{"ReformaAliquotaReduzida", [](VetoresNFe& v, Gerador400&) { Reforma2026(v, "200", "200028"); },
                {"<gIBSUF><pIBSUF>0.1000</pIBSUF><gRed><pRedAliq>60.0000</pRedAliq><pAliqEfet>0.0400</pAliqEfet>"
                 "</gRed><vIBSUF>0.03</vIBSUF></gIBSUF>",
                 "<gCBS><pCBS>0.9000</pCBS><gRed><pRedAliq>60.0000</pRedAliq><pAliqEfet>0.3600</pAliqEfet></gRed>"
                 "<vCBS>0.26</vCBS></gCBS>",
                 "<vNFTot>100.29</vNFTot>"},
                {"<gDif>"}},
        // A Simples Nacional shop: no ICMS of its own out of the base (100.00 - 9.25).
        Caso400{"ReformaSimplesNacional",
                [](VetoresNFe& v, Gerador400&) {
                  Reforma2026(v, "000", "000001");
                  v.gVetorEmitente[Emitente::CRT] = "1";
                  Preenche(Item(v), {{Produto::CSTouCSOSN, "102"}});
                  Preenche(v.gVetorTotais, {{Totais::vBC, "0.00"}, {Totais::vICMS, "0.00"}});
                },
                {"<CRT>1</CRT>", "<ICMSSN102>", "<gIBSCBS><vBC>90.75</vBC>", "<vIBSUF>0.09</vIBSUF>",
                 "<vCBS>0.82</vCBS>", "<vNFTot>100.91</vNFTot>"},
                {}},
        // Contingency: tpEmis of the state's SVC in the key and ide, when it
        // was entered and why; a start after the emission is the emission's.
        Caso400{"ContingenciaSvcAn",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(v.gVetorIde, {{Ide::tpEmis, "6"}, {Ide::dhCont, "2016-01-15T09:45:00-03:00"},
                                         {Ide::xJust, "Serviço paralisado: 109 - Serviço Paralisado sem Previsão"}});
                },
                {"<tpEmis>6</tpEmis>", "<verProc>VelantNFe</verProc><dhCont>2016-01-15T09:45:00-03:00</dhCont>"
                 "<xJust>Serviço paralisado: 109 - Serviço Paralisado sem Previsão</xJust></ide>"},
                {}},
        Caso400{"ContingenciaSvcRsIniciadaDepois",
                [](VetoresNFe& v, Gerador400&) {
                  Preenche(v.gVetorIde, {{Ide::tpEmis, "7"}, {Ide::dhCont, "2016-01-15T11:00:00-03:00"},
                                         {Ide::xJust, "3 tentativas seguidas sem resposta"}});
                },
                {"<tpEmis>7</tpEmis>", "<dhCont>2016-01-15T10:30:00-03:00</dhCont>"},
                {}},
        // Issuer, recipient and carrier with letters in their CNPJ: the key
        // carries the issuer's, with its check digit over the letters.
        Caso400{"CnpjAlfanumerico",
                [](VetoresNFe& v, Gerador400& ger) {
                  ger.g.CNPJ = "12.ABC.345/01DE-35";
                  v.gVetorDestinatario[Destinatario::CNPJouCPF] = "12abc34501de35";
                  Preenche(v.gVetorTransporte, {{Transporte::modFrete, "0"}, {Transporte::CNPJouCPF, kCnpjAlfanumerico},
                                                {Transporte::xNome, "TRANSPORTES TESTE LTDA"}, {Transporte::UF, "SP"}});
                },
                {"<emit><CNPJ>12ABC34501DE35</CNPJ>", "<dest><CNPJ>12ABC34501DE35</CNPJ>",
                 "<transporta><CNPJ>12ABC34501DE35</CNPJ>"},
                {}}),
    [](const auto& info) { return std::string(info.param.nome); });

// The key's check digit over the letters, worked out here apart from the
// product: each character worth its code minus 48, weights 2 to 9 from the right.
TEST(Chave400, DigitoDaChaveComLetrasConfereComOCalculoIndependente) {
  Gerador400 ger;
  ger.g.CNPJ = kCnpjAlfanumerico;
  VetoresNFe v = Nota400();
  std::string xml = ger.Gera(v);
  std::string chave = ger.g.IdNFe.substr(3);
  ASSERT_EQ(chave.substr(6, 14), kCnpjAlfanumerico);
  int soma = 0, peso = 2;
  for (int i = 42; i >= 0; --i) {
    soma += (chave[static_cast<size_t>(i)] - '0') * peso;
    peso = peso == 9 ? 2 : peso + 1;
  }
  int resto = soma % 11;
  char digito = static_cast<char>('0' + (resto < 2 ? 0 : 11 - resto));
  EXPECT_EQ(chave[43], digito);
  EXPECT_NE(xml.find("<cDV>" + std::string(1, digito) + "</cDV>"), std::string::npos);
}

// With nothing of the tax reform asked for, a 4.00 document is byte for
// byte the one written before the reform groups existed (the file was
// written by that generator). VELANT_GRAVA_DOURADOS=1 rewrites it, for review.
TEST(Dourado400, SemReformaComoAntes) {
  Gerador400 ger;
  VetoresNFe v = Nota400();
  Preenche(v.gVetorIde, {{Ide::indPres, "5"}, {Ide::cMunFGIBS, "3550308"}});   // written only with the groups' conditions
  v.gVetorIde[Ide::refNFe] = teste::ChaveDa(NotaExemplo());
  std::string xml = ger.Gera(v);
  const auto arquivo = std::filesystem::path(VELANT_TESTES) / "component" / "dourados" / "nfe400_sem_reforma.xml";
  if (std::getenv("VELANT_GRAVA_DOURADOS") != nullptr) teste::GravarTudo(arquivo, xml);
  EXPECT_EQ(xml, teste::LerTudo(arquivo));
}

// What the generator refuses, naming the element.
struct Recusa400 {
  const char* nome;
  const char* leiaute;
  void (*ajuste)(VetoresNFe&, Gerador400&);
  const char* trecho;
};

class Recusas400 : public ::testing::TestWithParam<Recusa400> {};

TEST_P(Recusas400, ErroNomeiaOCampo) {
  const auto& c = GetParam();
  Gerador400 ger;
  ger.g.Leiaute = c.leiaute;
  VetoresNFe v = Nota400();
  c.ajuste(v, ger);
  try {
    ger.g.IdNFe = "NFe" + teste::ChaveDa(NotaExemplo());
    ger.g.UltimoItem = 0;
    ger.g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                   v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML, "-03:00");
    FAIL() << "gerado sem erro";
  } catch (const ErroExecucao& e) {
    EXPECT_NE(e.Descricao().find(c.trecho), std::string::npos) << e.Descricao();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Leiaute400, Recusas400,
    ::testing::Values(
        Recusa400{"LetrasNoEmitente310", "3.10", [](VetoresNFe&, Gerador400& g) { g.g.CNPJ = kCnpjAlfanumerico; },
                  "emit/CNPJ: '12ABC34501DE35' (CNPJ com letras só é aceito no leiaute 4.00)"},
        Recusa400{"LetrasNoDestinatario310", "3.10",
                  [](VetoresNFe& v, Gerador400&) { v.gVetorDestinatario[Destinatario::CNPJouCPF] = kCnpjAlfanumerico; },
                  "dest/CNPJ: '12ABC34501DE35' (CNPJ com letras só é aceito no leiaute 4.00)"},
        Recusa400{"DigitoErradoComLetras", "4.00",
                  [](VetoresNFe& v, Gerador400&) { v.gVetorDestinatario[Destinatario::CNPJouCPF] = "12ABC34501DE36"; },
                  "dest/CNPJ: '12ABC34501DE36' (CNPJ alfanumérico"},
        Recusa400{"FormaDePagamentoDesconhecida", "4.00",
                  [](VetoresNFe& v, Gerador400&) { v.gVetorIde[Ide::tPag] = "07"; }, "pag/detPag/tPag: '07'"},
        Recusa400{"LoteSemValidade", "4.00",
                  [](VetoresNFe& v, Gerador400&) {
                    Preenche(Item(v), {{Produto::nLote, "L1"}, {Produto::qLote, "1"}, {Produto::dFab, "01/01/2016"}});
                  },
                  "campo obrigatório sem valor: det[1]/prod/rastro/dVal"},
        // The example is of 2016: the table has no rates of that year, and the item gives none.
        Recusa400{"ReformaSemAliquotasDoAno", "4.00",
                  [](VetoresNFe& v, Gerador400&) {
                    Preenche(Item(v), {{Produto::CST_IBSCBS, "000"}, {Produto::cClassTrib, "000001"}});
                  },
                  "IBSCBS/pIBSUF: '' (sem alíquotas do ano 2016 em reforma-tributaria.txt)"},
        Recusa400{"ReformaClassificacaoDeOutroCst", "4.00",
                  [](VetoresNFe& v, Gerador400&) {
                    Preenche(Item(v), {{Produto::CST_IBSCBS, "000"}, {Produto::cClassTrib, "200028"}});
                  },
                  "IBSCBS/cClassTrib: '200028' (não pertence ao CST 000)"},
        Recusa400{"LeiauteDesconhecido", "5.00", [](VetoresNFe&, Gerador400&) {}, "infNFe/@versao: '5.00'"}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace velant
