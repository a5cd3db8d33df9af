#include "component/xml/gerador_xml_nfe.h"

#include <gtest/gtest.h>

#include <regex>

#include "apoio_documento.h"
#include "base/caminhos.h"
#include "base/erro.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"
#include "component/regras/regras_autoridade.h"
#include "component/xml/validador_esquema.h"
#include "plataforma/registro_windows.h"

namespace velant {
namespace {

using teste::NotaExemplo;
using teste::Preenche;

// One generator on a temporary root, with the settings of a SP issuer.
struct Gerador {
  teste::PastaTemporaria pasta;
  MapeadorCaminhos caminhos{pasta.Caminho()};
  RegistroWindows registro{pasta.Caminho() / "registro.reg"};
  GeradorXmlNFe g{caminhos, &registro};

  Gerador() {
    g.UnidadeFederada = "SP";
    g.UnidadeFederadaCodigo = "35";
    g.Ambiente = "1";
    g.VerProc = "VelantNFe 6.07";
    g.CNPJ = teste::kCnpjEmitente;
    g.TipoDanfe = "1";
  }
  // Key, Id, file and last item as GerarNFE sets them, then GeraXml. A
  // document whose fields give no key gets the key of the example.
  // The time zone the installation's registry gives (none: the machine's).
  void Fuso(const char* fuso) {
    if (fuso)
      teste::GravarTudo(registro.Arquivo(), std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                                                        "[HKEY_CURRENT_USER\\nfe]\r\n\"FusoHorario\"=\"") +
                                                fuso + "\"\r\n");
  }
  std::string Gera(VetoresNFe& v) {
    std::string chave;
    try {
      chave = teste::ChaveDa(v, g.CNPJ, g.UnidadeFederadaCodigo);
    } catch (const ErroExecucao&) {
      chave = teste::ChaveDa(NotaExemplo());
    }
    if (g.IdNFe.empty()) g.IdNFe = "NFe" + chave;
    g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
    g.ArquivoXml = "C:\\Dunmor\\nfe\\arquivos\\NFe" + chave + ".xml";
    return g.GeraXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                     v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML);
  }
};

using Ajuste = void (*)(VetoresNFe&, GeradorXmlNFe&);

std::vector<std::string>& Item(VetoresNFe& v, size_t i = 0) { return v.gVetorProdutos[i]; }

// Simples Nacional issuer: stage 1 leaves modBC 0 and zero amounts for CFOP
// 5102, the CSOSN comes from the situation code, the origin from its first digit.
void Crt1(VetoresNFe& v, const char* csosn) {
  v.gVetorEmitente[Emitente::CRT] = "1";
  auto& p = Item(v);
  Preenche(p, {{Produto::orig, "0"}, {Produto::modBC, "0"}, {Produto::vBC, "0.00"}, {Produto::pICMS, "0.00"},
               {Produto::vICMS, "0.00"}, {Produto::pMVAST, ""}, {Produto::pRedBCST, ""}});
  p[Produto::orig] = std::string(1, csosn[0]);
  p[Produto::CSTouCSOSN] = csosn;
  v.gVetorTotais[Totais::vBC] = "0.00";
  v.gVetorTotais[Totais::vICMS] = "0.00";
}

// The item's ICMS of its own in the totals (none: zero).
void IcmsNosTotais(VetoresNFe& v, const char* base = "0.00", const char* valor = "0.00") {
  Preenche(v.gVetorTotais, {{Totais::vBC, base}, {Totais::vICMS, valor}});
}

void SubstituicaoNoItem(VetoresNFe& v) {
  Preenche(Item(v), {{Produto::pMVAST, "40.00"}, {Produto::vBCST, "140.00"}, {Produto::pICMSST, "18.00"},
                     {Produto::vICMSST, "7.20"}});
  Preenche(v.gVetorTotais, {{Totais::vBCST, "140.00"}, {Totais::vST, "7.20"}, {Totais::vNF, "107.20"}});
}

struct CasoNota {
  const char* nome;
  Ajuste ajuste;
  std::vector<std::string> trechos;    // must be in the document
  std::vector<std::string> ausentes;   // must not
  const char* fuso = nullptr;          // FusoHorario of the registry
  int regraQuebrada = 0;               // the authority's rule it breaks on purpose (0: none)
};

class MatrizNotas : public ::testing::TestWithParam<CasoNota> {};

// Every invoice of the matrix is generated, signed, valid against the
// shipped schema and verified by our verifier and by Debian's xmlsec1.
TEST_P(MatrizNotas, GeraAssinaEValida) {
  const auto& c = GetParam();
  Gerador ger;
  ger.Fuso(c.fuso);
  VetoresNFe v = NotaExemplo();
  c.ajuste(v, ger.g);
  std::string xml = ger.Gera(v);

  EXPECT_EQ(teste::LerTudo(ger.caminhos.Mapear(ger.g.ArquivoXml)), xml);
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">"
                      "<infNFe versao=\"3.10\" Id=\"" + ger.g.IdNFe + "\">",
                      0),
            0u)
      << xml.substr(0, 200);
  EXPECT_FALSE(std::regex_search(xml, std::regex(">\\s+<"))) << "espaço entre tags";
  for (const auto& t : c.trechos) EXPECT_NE(xml.find(t), std::string::npos) << t << "\n" << xml;
  for (const auto& t : c.ausentes) EXPECT_EQ(xml.find(t), std::string::npos) << t << "\n" << xml;

  std::string assinado = AssinarXml(xml, "infNFe", teste::CertificadoTeste());
  auto erroEsquema = ValidarXml(assinado, "nfe_v3.10.xsd");
  EXPECT_FALSE(erroEsquema) << *erroEsquema;
  size_t i = xml.find("<infNFe"), f = xml.find("</infNFe>");
  EXPECT_NE(assinado.find(xml.substr(i, f - i)), std::string::npos) << "o conteúdo assinado mudou";

  std::string erro;
  EXPECT_TRUE(VerificarAssinatura(assinado, &erro)) << erro;
  auto arquivo = ger.pasta.Caminho() / "assinado.xml";
  teste::GravarTudo(arquivo, assinado);
  std::string saida;
  EXPECT_TRUE(teste::XmlsecVerifica(arquivo, &saida)) << saida;

  // And the authority's business rules: the first one broken, if any.
  auto documento = autoridade::DocumentoXml::Ler(assinado, "nota");
  auto violada = regras::VerificaRegras(documento.Raiz(), std::chrono::system_clock::now());
  if (c.regraQuebrada == 0) {
    EXPECT_FALSE(violada) << violada->CodigoETexto() << " (" << violada->detalhe << ")";
  } else {
    ASSERT_TRUE(violada) << "esperada a regra " << c.regraQuebrada;
    EXPECT_EQ(violada->codigo, c.regraQuebrada) << violada->CodigoETexto() << " (" << violada->detalhe << ")";
  }
}

const std::string kDestHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";

INSTANTIATE_TEST_SUITE_P(
    Notas, MatrizNotas,
    ::testing::Values(
        CasoNota{"Crt3Cst00",
                 [](VetoresNFe&, GeradorXmlNFe&) {},
                 {"<cUF>35</cUF><cNF>00000123</cNF><natOp>VENDA DE MERCADORIA</natOp><indPag>0</indPag><mod>55</mod>"
                  "<serie>1</serie><nNF>123</nNF><dhEmi>2016-01-15T10:30:00-03:00</dhEmi>"
                  "<dhSaiEnt>2016-01-15T11:00:00-03:00</dhSaiEnt><tpNF>1</tpNF><idDest>1</idDest>"
                  "<cMunFG>3550308</cMunFG><tpImp>1</tpImp><tpEmis>1</tpEmis>",
                  "<tpAmb>1</tpAmb><finNFe>1</finNFe><indFinal>0</indFinal><indPres>1</indPres><procEmi>0</procEmi>"
                  "<verProc>VelantNFe 6.07</verProc></ide>",
                  "<emit><CNPJ>11222333000181</CNPJ><xNome>EMPRESA TESTE LTDA</xNome><xFant>LOJA TESTE</xFant>"
                  "<enderEmit><xLgr>RUA DAS FLORES</xLgr><nro>100</nro><xBairro>CENTRO</xBairro><cMun>3550308</cMun>"
                  "<xMun>SAO PAULO</xMun><UF>SP</UF><CEP>01310100</CEP><cPais>1058</cPais><xPais>BRASIL</xPais>"
                  "<fone>1133334444</fone></enderEmit><IE>123456789012</IE><CRT>3</CRT></emit>",
                  "<dest><CNPJ>44555666000181</CNPJ><xNome>CLIENTE EXEMPLO S A</xNome><enderDest>"
                  "<xLgr>AV PAULISTA 1000</xLgr><nro>S/N</nro><xBairro>BELA VISTA</xBairro>",
                  "<indIEDest>1</indIEDest><IE>987654321098</IE></dest>",
                  "<det nItem=\"1\"><prod><cProd>P001</cProd><cEAN>7891234567895</cEAN><xProd>PRODUTO DE TESTE</xProd>"
                  "<NCM>84713012</NCM><CFOP>5102</CFOP><uCom>UN</uCom><qCom>2.0000</qCom><vUnCom>50.0000</vUnCom>"
                  "<vProd>100.00</vProd><cEANTrib>7891234567895</cEANTrib><uTrib>UN</uTrib><qTrib>2.0000</qTrib>"
                  "<vUnTrib>50.0000</vUnTrib><indTot>1</indTot></prod>",
                  "<ICMS00><orig>0</orig><CST>00</CST><modBC>2</modBC><vBC>100.00</vBC><pICMS>18.00</pICMS>"
                  "<vICMS>18.00</vICMS></ICMS00>",
                  "<PIS><PISAliq><CST>01</CST><vBC>100.00</vBC><pPIS>1.65</pPIS><vPIS>1.65</vPIS></PISAliq></PIS>",
                  "<COFINS><COFINSAliq><CST>01</CST><vBC>100.00</vBC><pCOFINS>7.60</pCOFINS><vCOFINS>7.60</vCOFINS>",
                  "<ICMSTot><vBC>100.00</vBC><vICMS>18.00</vICMS><vICMSDeson>0.00</vICMSDeson><vBCST>0.00</vBCST>"
                  "<vST>0.00</vST><vProd>100.00</vProd><vFrete>0.00</vFrete><vSeg>0.00</vSeg><vDesc>0.00</vDesc>"
                  "<vII>0.00</vII><vIPI>0.00</vIPI><vPIS>1.65</vPIS><vCOFINS>7.60</vCOFINS><vOutro>0.00</vOutro>"
                  "<vNF>100.00</vNF></ICMSTot></total><transp><modFrete>9</modFrete></transp>"
                  "<infAdic><infCpl>Vendedor: JOAO;;</infCpl></infAdic></infNFe></NFe>"},
                 {"<cobr>", "<transporta>", "<vol>", "<exporta>",
                  "<NFref>", "<IPI>", "<comb>", "<dhCont>", "<xCpl>", "<EXTIPI>", "<ISSQNtot>", "<autXML>"}},
        CasoNota{"Crt3Cst10",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Item(v)[Produto::CSTouCSOSN] = "10";
                   SubstituicaoNoItem(v);
                 },
                 {"<ICMS10><orig>0</orig><CST>10</CST><modBC>2</modBC><vBC>100.00</vBC><pICMS>18.00</pICMS>"
                  "<vICMS>18.00</vICMS><modBCST>4</modBCST><pMVAST>40.00</pMVAST><vBCST>140.00</vBCST>"
                  "<pICMSST>18.00</pICMSST><vICMSST>7.20</vICMSST></ICMS10>"},
                 {"<pRedBCST>"}},
        CasoNota{"Crt3Cst20",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CSTouCSOSN, "20"}, {Produto::pRedBC, "33.33"},
                                      {Produto::vBC, "66.67"}, {Produto::vICMS, "12.00"}});
                   IcmsNosTotais(v, "66.67", "12.00");
                 },
                 {"<ICMS20><orig>0</orig><CST>20</CST><modBC>2</modBC><pRedBC>33.33</pRedBC><vBC>66.67</vBC>"
                  "<pICMS>18.00</pICMS><vICMS>12.00</vICMS></ICMS20>"},
                 {}},
        CasoNota{"Crt3Cst30",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CSTouCSOSN, "30"}, {Produto::vBC, "0.00"}, {Produto::pICMS, "0.00"},
                                      {Produto::vICMS, "0.00"}, {Produto::pRedBCST, "10.00"}});
                   IcmsNosTotais(v);
                   SubstituicaoNoItem(v);
                 },
                 {"<ICMS30><orig>0</orig><CST>30</CST><modBCST>4</modBCST><pMVAST>40.00</pMVAST>"
                  "<pRedBCST>10.00</pRedBCST><vBCST>140.00</vBCST><pICMSST>18.00</pICMSST><vICMSST>7.20</vICMSST>"
                  "</ICMS30>"},
                 {}},
        CasoNota{"Crt3Cst40",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Item(v)[Produto::CSTouCSOSN] = "40";
                   IcmsNosTotais(v);
                 },
                 {"<ICMS40><orig>0</orig><CST>40</CST></ICMS40>"}, {}},
        CasoNota{"Crt3Cst41",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Item(v)[Produto::CSTouCSOSN] = "41";
                   IcmsNosTotais(v);
                 },
                 {"<ICMS40><orig>0</orig><CST>41</CST></ICMS40>"}, {}},
        CasoNota{"Crt3Cst50",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::orig, "2"}, {Produto::CSTouCSOSN, "50"}});
                   IcmsNosTotais(v);
                 },
                 {"<ICMS40><orig>2</orig><CST>50</CST></ICMS40>"}, {}},
        CasoNota{"Crt3Cst51", [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::CSTouCSOSN] = "51"; },
                 {"<ICMS51><orig>0</orig><CST>51</CST><modBC>2</modBC><vBC>100.00</vBC><pICMS>18.00</pICMS>"
                  "<vICMS>18.00</vICMS></ICMS51>"},
                 {}},
        // Two thirds deferred: the group shows what the operation's ICMS was.
        CasoNota{"Crt3Cst51ComDiferimento",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CSTouCSOSN, "51"}, {Produto::vICMS, "6.00"}});
                   IcmsNosTotais(v, "100.00", "6.00");
                 },
                 {"<ICMS51><orig>0</orig><CST>51</CST><modBC>2</modBC><vBC>100.00</vBC><pICMS>18.00</pICMS>"
                  "<vICMSOp>18.00</vICMSOp><pDif>66.6667</pDif><vICMSDif>12.00</vICMSDif><vICMS>6.00</vICMS>"
                  "</ICMS51>"},
                 {}},
        CasoNota{"Crt3Cst60",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CSTouCSOSN, "60"}, {Produto::vBC, "0.00"}, {Produto::pICMS, "0.00"},
                                      {Produto::vICMS, "0.00"}});
                   IcmsNosTotais(v);
                 },
                 {"<ICMS60><orig>0</orig><CST>60</CST></ICMS60>"}, {"vBCSTRet"}},
        CasoNota{"Crt3Cst60Retido",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CSTouCSOSN, "60"}, {Produto::vBCST, "100.00"},
                                      {Produto::vICMSST, "18.00"}});
                   IcmsNosTotais(v);
                 },
                 {"<ICMS60><orig>0</orig><CST>60</CST><vBCSTRet>100.00</vBCSTRet><vICMSSTRet>18.00</vICMSSTRet>"},
                 {}},
        CasoNota{"Crt3Cst70",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CSTouCSOSN, "70"}, {Produto::pRedBC, "20.00"},
                                      {Produto::vBC, "80.00"}, {Produto::vICMS, "14.40"}});
                   IcmsNosTotais(v, "80.00", "14.40");
                   SubstituicaoNoItem(v);
                 },
                 {"<ICMS70><orig>0</orig><CST>70</CST><modBC>2</modBC><pRedBC>20.00</pRedBC><vBC>80.00</vBC>"
                  "<pICMS>18.00</pICMS><vICMS>14.40</vICMS><modBCST>4</modBCST><pMVAST>40.00</pMVAST>"
                  "<vBCST>140.00</vBCST>"},
                 {}},
        CasoNota{"Crt3Cst90",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CSTouCSOSN, "90"}, {Produto::pRedBC, "10.00"}});
                   SubstituicaoNoItem(v);
                 },
                 {"<ICMS90><orig>0</orig><CST>90</CST><modBC>2</modBC><vBC>100.00</vBC><pRedBC>10.00</pRedBC>"
                  "<pICMS>18.00</pICMS><vICMS>18.00</vICMS><modBCST>4</modBCST>"},
                 {}},
        CasoNota{"Crt3Cst90SemValores",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CSTouCSOSN, "90"}, {Produto::vBC, "0.00"}, {Produto::pICMS, "0.00"},
                                      {Produto::vICMS, "0.00"}});
                   IcmsNosTotais(v);
                 },
                 {"<ICMS90><orig>0</orig><CST>90</CST></ICMS90>"}, {}},
        CasoNota{"Crt3Cfop5929ComCuponsReferenciados",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   v.gVetorIde[Ide::natOp] = "VENDA TAMBEM REGISTRADA NO ECF";
                   Preenche(v.gVetorIde, {{Ide::modECF, "2D;2D;"}, {Ide::nECF, "001;001;"}, {Ide::nCOO, "123;124;"}});
                   Preenche(Item(v), {{Produto::CFOP, "5929"}, {Produto::modBC, "3"}, {Produto::vBC, "0.00"},
                                      {Produto::pICMS, "0.00"}, {Produto::vICMS, "0.00"}, {Produto::CST_PIS, "49"},
                                      {Produto::vBC_PIS, "0.00"}, {Produto::pPIS, "0.00"}, {Produto::vPIS, "0.00"},
                                      {Produto::vAliqProd_PIS, "0.0000"}, {Produto::CST_COFINS, "49"},
                                      {Produto::vBC_COFINS, "0.00"}, {Produto::pCOFINS, "0.00"},
                                      {Produto::vCOFINS, "0.00"}, {Produto::vAliqProd_COFINS, "0.0000"}});
                   Preenche(v.gVetorTotais, {{Totais::vBC, "0.00"}, {Totais::vICMS, "0.00"}, {Totais::vPIS, "0.00"},
                                             {Totais::vCOFINS, "0.00"}});
                 },
                 {"<natOp>VENDA TAMBEM REGISTRADA NO ECF</natOp>",
                  "<NFref><refECF><mod>2D</mod><nECF>001</nECF><nCOO>123</nCOO></refECF></NFref>"
                  "<NFref><refECF><mod>2D</mod><nECF>001</nECF><nCOO>124</nCOO></refECF></NFref></ide>",
                  "<ICMS00><orig>0</orig><CST>00</CST><modBC>3</modBC><vBC>0.00</vBC>",
                  "<PISOutr><CST>49</CST><vBC>0.00</vBC><pPIS>0.00</pPIS><vPIS>0.00</vPIS></PISOutr>",
                  "<COFINSOutr><CST>49</CST>"},
                 {}},
        CasoNota{"Csosn101",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Crt1(v, "101");
                   Preenche(Item(v), {{Produto::pCredSN, "2.56"}, {Produto::vCredICMSSN, "2.56"}});
                 },
                 {"<CRT>1</CRT>", "<ICMSSN101><orig>1</orig><CSOSN>101</CSOSN><pCredSN>2.56</pCredSN>"
                                  "<vCredICMSSN>2.56</vCredICMSSN></ICMSSN101>"},
                 {}},
        CasoNota{"Csosn102", [](VetoresNFe& v, GeradorXmlNFe&) { Crt1(v, "102"); },
                 {"<ICMSSN102><orig>1</orig><CSOSN>102</CSOSN></ICMSSN102>"}, {}},
        CasoNota{"Csosn103", [](VetoresNFe& v, GeradorXmlNFe&) { Crt1(v, "103"); },
                 {"<ICMSSN102><orig>1</orig><CSOSN>103</CSOSN></ICMSSN102>"}, {}},
        CasoNota{"Csosn201",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Crt1(v, "201");
                   Preenche(Item(v), {{Produto::pCredSN, "2.56"}, {Produto::vCredICMSSN, "2.56"},
                                      {Produto::modBCST, "4"}, {Produto::pRedBCST, "0.00"}});
                   SubstituicaoNoItem(v);
                 },
                 {"<ICMSSN201><orig>2</orig><CSOSN>201</CSOSN><modBCST>4</modBCST><pMVAST>40.00</pMVAST>"
                  "<vBCST>140.00</vBCST><pICMSST>18.00</pICMSST><vICMSST>7.20</vICMSST><pCredSN>2.56</pCredSN>"
                  "<vCredICMSSN>2.56</vCredICMSSN></ICMSSN201>"},
                 {}},
        CasoNota{"Csosn202",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Crt1(v, "202");
                   SubstituicaoNoItem(v);
                   Preenche(Item(v), {{Produto::modBCST, "4"}, {Produto::pMVAST, ""}, {Produto::pRedBCST, "0.00"}});
                 },
                 {"<ICMSSN202><orig>2</orig><CSOSN>202</CSOSN><modBCST>4</modBCST><vBCST>140.00</vBCST>"},
                 {"<pMVAST>"}},
        CasoNota{"Csosn203",
                 [](VetoresNFe& v, GeradorXmlNFe&) { Crt1(v, "203"); },
                 {"<ICMSSN202><orig>2</orig><CSOSN>203</CSOSN><modBCST>4</modBCST><vBCST>0.00</vBCST>"
                  "<pICMSST>0.00</pICMSST><vICMSST>0.00</vICMSST></ICMSSN202>"},
                 {}},
        CasoNota{"Csosn300", [](VetoresNFe& v, GeradorXmlNFe&) { Crt1(v, "300"); },
                 {"<ICMSSN102><orig>3</orig><CSOSN>300</CSOSN></ICMSSN102>"}, {}},
        CasoNota{"Csosn400", [](VetoresNFe& v, GeradorXmlNFe&) { Crt1(v, "400"); },
                 {"<ICMSSN102><orig>4</orig><CSOSN>400</CSOSN></ICMSSN102>"}, {}},
        CasoNota{"Csosn500",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Crt1(v, "500");
                   Preenche(Item(v), {{Produto::vBCST, "50.00"}, {Produto::vICMSST, "9.00"}});
                 },
                 {"<ICMSSN500><orig>5</orig><CSOSN>500</CSOSN><vBCSTRet>50.00</vBCSTRet>"
                  "<vICMSSTRet>9.00</vICMSSTRet></ICMSSN500>"},
                 {}},
        // An entry invoice takes origin 0 whatever the code (a 900 on an exit would give origin 9).
        CasoNota{"Csosn900NumaEntrada",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Crt1(v, "900");
                   v.gVetorIde[Ide::tpNF] = "0";
                   v.gVetorIde[Ide::dhSaiEnt] = "";
                   Preenche(Item(v), {{Produto::CFOP, "1102"}, {Produto::orig, "0"}, {Produto::pCredSN, "2.56"},
                                      {Produto::vCredICMSSN, "2.56"}, {Produto::modBCST, "4"}, {Produto::modBC, "3"},
                                      {Produto::vBC, "100.00"}, {Produto::pRedBC, "0.00"}, {Produto::pICMS, "18.00"},
                                      {Produto::vICMS, "18.00"}});
                   Preenche(v.gVetorTotais, {{Totais::vBC, "100.00"}, {Totais::vICMS, "18.00"}});
                 },
                 {"<tpNF>0</tpNF>", "<ICMSSN900><orig>0</orig><CSOSN>900</CSOSN><modBC>3</modBC><vBC>100.00</vBC>"
                                    "<pICMS>18.00</pICMS><vICMS>18.00</vICMS><pCredSN>2.56</pCredSN>"
                                    "<vCredICMSSN>2.56</vCredICMSSN></ICMSSN900>"},
                 {"<dhSaiEnt>", "<pRedBC>"}},
        CasoNota{"Crt1Cfop5929",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Crt1(v, "102");
                   Preenche(Item(v), {{Produto::CFOP, "5929"}, {Produto::CSTouCSOSN, "400"}, {Produto::modBC, "1"},
                                      {Produto::vBC, ""}, {Produto::pICMS, ""}, {Produto::vICMS, ""}});
                 },
                 {"<ICMSSN102><orig>1</orig><CSOSN>400</CSOSN></ICMSSN102>"}, {}},
        CasoNota{"DestinatarioEstrangeiro",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   auto& d = v.gVetorDestinatario;
                   Preenche(d, {{Destinatario::CNPJouCPF, ""}, {Destinatario::xNome, "FOREIGN BUYER INC"},
                                {Destinatario::cMun, "9999999"}, {Destinatario::xMun, "EXTERIOR"},
                                {Destinatario::UF, "EX"}, {Destinatario::CEP, ""}, {Destinatario::cPais, "2496"},
                                {Destinatario::xPais, "ESTADOS UNIDOS"}, {Destinatario::fone, ""},
                                {Destinatario::IE, ""}});
                   d[Destinatario::indIEDest] = "9";
                   Preenche(v.gVetorIde, {{Ide::indFinal, "1"}, {Ide::idDest, "3"}});
                   Preenche(Item(v), {{Produto::CFOP, "7102"}, {Produto::CSTouCSOSN, "41"}, {Produto::CST_PIS, "08"},
                                      {Produto::CST_COFINS, "08"}});
                   IcmsNosTotais(v);
                   Preenche(v.gVetorTotais, {{Totais::vPIS, "0.00"}, {Totais::vCOFINS, "0.00"}});
                   Preenche(v.gVetorInfAdic, {{InfAdic::UFSaidaPais, "SP"}, {InfAdic::xLocExporta, "SAO PAULO"}});
                 },
                 {"<idDest>3</idDest>", "<dest><idEstrangeiro/><xNome>FOREIGN BUYER INC</xNome>",
                  "<cMun>9999999</cMun><xMun>EXTERIOR</xMun><UF>EX</UF><cPais>2496</cPais>"
                  "<xPais>ESTADOS UNIDOS</xPais></enderDest><indIEDest>9</indIEDest></dest>",
                  "<ICMS40><orig>0</orig><CST>41</CST></ICMS40>", "<PISNT><CST>08</CST></PISNT>",
                  "<exporta><UFSaidaPais>SP</UFSaidaPais><xLocExporta>SAO PAULO</xLocExporta></exporta>"},
                 {"<CEP></CEP>"}},
        CasoNota{"CsosnComDestinatarioEstrangeiro",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Crt1(v, "300");
                   Preenche(v.gVetorDestinatario, {{Destinatario::CNPJouCPF, ""}, {Destinatario::xMun, "EXTERIOR"},
                                                   {Destinatario::UF, "EX"}, {Destinatario::cMun, ""},
                                                   {Destinatario::cPais, "2496"},
                                                   {Destinatario::xPais, "ESTADOS UNIDOS"},
                                                   {Destinatario::indIEDest, "9"}});
                   Preenche(Item(v), {{Produto::CFOP, "7102"}, {Produto::orig, "1"}});
                   Preenche(v.gVetorIde, {{Ide::indFinal, "1"}, {Ide::idDest, "3"}});
                   Preenche(v.gVetorInfAdic, {{InfAdic::UFSaidaPais, "SP"}, {InfAdic::xLocExporta, "SAO PAULO"}});
                 },
                 {"<cMun>9999999</cMun><xMun>EXTERIOR</xMun><UF>EX</UF><CEP>01310200</CEP><cPais>2496</cPais>",
                  "<ICMSSN102><orig>1</orig><CSOSN>300</CSOSN></ICMSSN102>"},
                 {}},
        CasoNota{"Combustivel",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::NCM, "27101259"}, {Produto::CFOP, "5656"}, {Produto::uCom, "L"},
                                      {Produto::uTrib, "L"}, {Produto::qCom, "40.5000"}, {Produto::qTrib, "40.5000"},
                                      {Produto::vUnCom, "2.4691"}, {Produto::vUnTrib, "2.4691"},
                                      {Produto::CSTouCSOSN, "60"}, {Produto::cProdANP, "320102001"},
                                      {Produto::qTemp, "40.5000"}, {Produto::UFCons, "GO"}, {Produto::cEAN, ""},
                                      {Produto::cEANTrib, ""}});
                   IcmsNosTotais(v);
                 },
                 {"<cEAN/>", "<cEANTrib/>", "<indTot>1</indTot><comb><cProdANP>320102001</cProdANP>"
                                            "<qTemp>40.5000</qTemp><UFCons>GO</UFCons></comb></prod>"},
                 {}},
        CasoNota{"Duplicatas",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   v.gVetorIde[Ide::indPag] = "1";
                   v.gQtdDuplicatas = 3;
                   v.gQtdFaturas = 2;
                   v.gVetorFaturas.resize(4, std::vector<std::string>(kSlotsFatura));
                   const char* valores[] = {"33.33", "33.33", "33.34"};
                   for (size_t r = 0; r < 3; ++r) {
                     v.gVetorFaturas[r][Fatura::nDup] = "123/" + std::to_string(r + 1);
                     v.gVetorFaturas[r][Fatura::dVenc] = "2016-0" + std::to_string(r + 2) + "-15";
                     v.gVetorFaturas[r][Fatura::vDup] = valores[r];
                   }
                 },
                 {"<cobr><fat><nFat>123</nFat><vOrig>100.00</vOrig><vLiq>100.00</vLiq></fat>"
                  "<dup><nDup>123/1</nDup><dVenc>2016-02-15</dVenc><vDup>33.33</vDup></dup>"
                  "<dup><nDup>123/2</nDup><dVenc>2016-03-15</dVenc><vDup>33.33</vDup></dup>"
                  "<dup><nDup>123/3</nDup><dVenc>2016-04-15</dVenc><vDup>33.34</vDup></dup></cobr>"},
                 {}},
        CasoNota{"DevolucaoComChaveReferenciada",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   v.gVetorIde[Ide::finNFe] = "4";
                   v.gVetorIde[Ide::refNFe] = "35151244555666000181550010000045671000045671";
                   Item(v)[Produto::CFOP] = "5202";
                   v.gVetorInfAdic[InfAdic::infCpl] =
                       "CHAVE DA NFE DEVOLVIDA: 3515-1244-5556-6600-0181-5500-1000-0045-6710-0004-5671;;";
                 },
                 {"<finNFe>4</finNFe>", "<NFref><refNFe>35151244555666000181550010000045671000045671</refNFe></NFref>",
                  "<infCpl>CHAVE DA NFE DEVOLVIDA: 3515-1244"},
                 {}},
        CasoNota{"TotaisDeServicos",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(v.gVetorTotais, {{Totais::vServ, "50.00"}, {Totais::vBC_ISS, "50.00"},
                                             {Totais::vISS, "2.50"}, {Totais::vPIS_ISS, "1.65"},
                                             {Totais::vCOFINS_ISS, "0.00"}});
                 },
                 {"</ICMSTot><ISSQNtot><vServ>50.00</vServ><vBC>50.00</vBC><vISS>2.50</vISS><vPIS>1.65</vPIS>"
                  "<dCompet>2016-01-15</dCompet></ISSQNtot></total>"},
                 {"<vCOFINS>0.00</vCOFINS>"},
                 nullptr,
                 605},   // no item carries ISSQN: the authority refuses service totals alone
        CasoNota{"Homologacao",
                 [](VetoresNFe& v, GeradorXmlNFe& g) {
                   g.Ambiente = "2";
                   Preenche(v.gVetorDestinatario, {{Destinatario::CNPJouCPF, "99999999000191"},
                                                   {Destinatario::IE, ""}, {Destinatario::indIEDest, "2"}});
                   v.gVetorDestinatario[Destinatario::xNome] = kDestHomologacao;
                 },
                 {"<tpAmb>2</tpAmb>", "<dest><CNPJ>99999999000191</CNPJ><xNome>" + kDestHomologacao + "</xNome>",
                  "<indIEDest>2</indIEDest></dest>"},
                 {"<IE>987654321098</IE>"}},
        CasoNota{"IpiNaoTributadoNoItem",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::vBC_IPI, "0"}, {Produto::CNPJProd, "00000000000000"},
                                      {Produto::pIPI, "0"}, {Produto::vIPI, "0"}, {Produto::cEnq, "999"}});
                 },
                 {"</ICMS><IPI><cEnq>999</cEnq><IPINT><CST>53</CST></IPINT></IPI><PIS>", "<vIPI>0.00</vIPI>"},
                 {"<CNPJProd>"}},
        CasoNota{"IpiTributadoNoItem",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::vBC_IPI, "100.00"}, {Produto::CNPJProd, "00000000000000"},
                                      {Produto::pIPI, "10.00"}, {Produto::vIPI, "10.00"}, {Produto::cEnq, "999"}});
                   Preenche(v.gVetorTotais, {{Totais::vIPI, "10.00"}, {Totais::vNF, "110.00"}});
                 },
                 {"<IPI><cEnq>999</cEnq><IPITrib><CST>50</CST><vBC>100.00</vBC><pIPI>10.00</pIPI><vIPI>10.00</vIPI>"
                  "</IPITrib></IPI>"},
                 {}},
        CasoNota{"PisCofinsPorQuantidade",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CST_PIS, "03"}, {Produto::vBC_PIS, ""}, {Produto::pPIS, ""},
                                      {Produto::vPIS, "1.30"}, {Produto::vAliqProd_PIS, "0.6500"},
                                      {Produto::CST_COFINS, "03"},
                                      {Produto::vBC_COFINS, "100.00"}, {Produto::pCOFINS, ""},
                                      {Produto::vCOFINS, "6.00"}, {Produto::vAliqProd_COFINS, "3.0000"}});
                   Preenche(v.gVetorTotais, {{Totais::vPIS, "1.30"}, {Totais::vCOFINS, "6.00"}});
                 },
                 {"<PISQtde><CST>03</CST><qBCProd>2.0000</qBCProd><vAliqProd>0.6500</vAliqProd><vPIS>1.30</vPIS>",
                  "<COFINSQtde><CST>03</CST><qBCProd>2.0000</qBCProd><vAliqProd>3.0000</vAliqProd>"
                  "<vCOFINS>6.00</vCOFINS>"},
                 {}},
        CasoNota{"PisCofinsNaoTributadosEOutras",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CST_PIS, "06"}, {Produto::vBC_PIS, ""}, {Produto::pPIS, ""},
                                      {Produto::vPIS, ""}, {Produto::CST_COFINS, "99"}});
                   v.gVetorTotais[Totais::vPIS] = "0.00";
                 },
                 {"<PIS><PISNT><CST>06</CST></PISNT></PIS>",
                  "<COFINSOutr><CST>99</CST><vBC>100.00</vBC><pCOFINS>7.60</pCOFINS><vCOFINS>7.60</vCOFINS>"},
                 {}},
        CasoNota{"PisCofinsOutrasSemValores",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(Item(v), {{Produto::CST_PIS, "49"}, {Produto::vBC_PIS, ""}, {Produto::pPIS, ""},
                                      {Produto::vPIS, ""}, {Produto::CST_COFINS, "49"}, {Produto::vBC_COFINS, ""},
                                      {Produto::pCOFINS, ""}, {Produto::vCOFINS, ""}});
                   Preenche(v.gVetorTotais, {{Totais::vPIS, "0.00"}, {Totais::vCOFINS, "0.00"}});
                 },
                 {"<PISOutr><CST>49</CST><vBC>0.00</vBC><pPIS>0.00</pPIS><vPIS>0.00</vPIS></PISOutr>",
                  "<COFINSOutr><CST>49</CST><vBC>0.00</vBC><pCOFINS>0.00</pCOFINS><vCOFINS>0.00</vCOFINS>"},
                 {}},
        CasoNota{"SemPisNemCofins",
                 [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(Item(v), {{Produto::CST_PIS, ""},
                                                                        {Produto::CST_COFINS, ""}}); },
                 {"</ICMS></imposto>"},
                 {"<PIS>", "<COFINS>"},
                 nullptr,
                 745},
        CasoNota{"TransportadorEVolumes",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   Preenche(v.gVetorTransporte, {{Transporte::modFrete, "0"}, {Transporte::CNPJouCPF, "12345678000195"},
                                                 {Transporte::xNome, "TRANSPORTADORA X"},
                                                 {Transporte::IE, "112233445566"}, {Transporte::xEnder, "RUA A, 10"},
                                                 {Transporte::xMun, "CAMPINAS"}, {Transporte::UF, "SP"},
                                                 {Transporte::placa, "abc-1234"}, {Transporte::UF_veicTransp, " SP"},
                                                 {Transporte::qVol, "3"}, {Transporte::esp, "CAIXA"},
                                                 {Transporte::pesoL, "12.500"}, {Transporte::pesoB, "13.000"}});
                 },
                 {"<transp><modFrete>0</modFrete><transporta><CNPJ>12345678000195</CNPJ>"
                  "<xNome>TRANSPORTADORA X</xNome><IE>112233445566</IE><xEnder>RUA A, 10</xEnder>"
                  "<xMun>CAMPINAS</xMun><UF>SP</UF></transporta><veicTransp><placa>ABC1234</placa><UF>SP</UF>"
                  "</veicTransp><vol><qVol>3</qVol><esp>CAIXA</esp><pesoL>12.500</pesoL><pesoB>13.000</pesoB>"
                  "</vol></transp>"},
                 {}},
        CasoNota{"ContingenciaComJustificativa",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   v.gVetorIde[Ide::tpEmis] = "5";
                   v.gVetorIde[Ide::xJust] = "SERVICO DA SEFAZ FORA DO AR";
                 },
                 {"<tpEmis>5</tpEmis>", "<verProc>VelantNFe 6.07</verProc><dhCont>2016-01-15T10:30:00-03:00</dhCont>"
                                        "<xJust>SERVICO DA SEFAZ FORA DO AR</xJust></ide>"},
                 {}},
        CasoNota{"TextosLimposENumerosRegionais",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   v.gVetorEmitente[Emitente::xNome] = " EMPRESA “TESTE”\tLTDA ";
                   v.gVetorEmitente[Emitente::CEP] = "01310-100";
                   v.gVetorEmitente[Emitente::fone] = "(11) 3333-4444";
                   Preenche(Item(v), {{Produto::xProd, std::string(130, 'X').c_str()}, {Produto::qCom, "2,0000"},
                                      {Produto::vUnCom, "50,0000"}, {Produto::vProd, "100,00"},
                                      {Produto::vDesc, "1,50"}});
                   Preenche(v.gVetorTotais, {{Totais::vDesc, "1.50"}, {Totais::vNF, "98.50"}});
                   v.gVetorInfAdic[InfAdic::infCpl] = "A & B < C > D";
                 },
                 {"<xNome>EMPRESA \"TESTE\" LTDA</xNome>", "<CEP>01310100</CEP>", "<fone>1133334444</fone>",
                  "<xProd>" + std::string(120, 'X') + "</xProd>", "<qCom>2.0000</qCom>", "<vProd>100.00</vProd>",
                  "<vDesc>1.50</vDesc>", "<infCpl>A &amp; B &lt; C &gt; D</infCpl>"},
                 {}},
        CasoNota{"DatasIsoSemSaida",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   v.gVetorIde[Ide::dhEmi] = "2016-01-15T10:30:00";
                   v.gVetorIde[Ide::dhSaiEnt] = "00:00:00";
                 },
                 {"<dhEmi>2016-01-15T10:30:00-03:00</dhEmi><tpNF>"}, {"<dhSaiEnt>"}},
        CasoNota{"EmitentePessoaFisicaSemNumeroEIsento",
                 [](VetoresNFe& v, GeradorXmlNFe& g) {
                   g.CNPJ = "12345678909";
                   Preenche(v.gVetorEmitente, {{Emitente::nro, ""}, {Emitente::IE, ""}});
                 },
                 {"<emit><CPF>12345678909</CPF>", "<nro>S/N</nro>", "<IE>ISENTO</IE>"}, {}},
        CasoNota{"NovecentosENoventaItens",
                 [](VetoresNFe& v, GeradorXmlNFe&) {
                   v.gQtdItens = 990;
                   v.gVetorProdutos.assign(990, teste::ItemCrt3());
                   Preenche(v.gVetorTotais, {{Totais::vBC, "99000.00"}, {Totais::vICMS, "17820.00"},
                                             {Totais::vProd, "99000.00"}, {Totais::vPIS, "1633.50"},
                                             {Totais::vCOFINS, "7524.00"}, {Totais::vNF, "99000.00"}});
                 },
                 {"<det nItem=\"990\">"}, {"<det nItem=\"991\">"}},
        CasoNota{"FusoHorarioDoRegistro", [](VetoresNFe&, GeradorXmlNFe&) {},
                 {"<dhEmi>2016-01-15T10:30:00-02:00</dhEmi><dhSaiEnt>2016-01-15T11:00:00-02:00</dhSaiEnt>"}, {}, "-2"}),
    [](const ::testing::TestParamInfo<CasoNota>& i) { return std::string(i.param.nome); });

// --- Refusals naming the element ------------------------------------------

struct CasoRecusa {
  const char* nome;
  Ajuste ajuste;
  const char* trecho;   // in the error description
  const char* fuso = nullptr;
};

class RecusasGerador : public ::testing::TestWithParam<CasoRecusa> {};

TEST_P(RecusasGerador, ErroNomeiaOElementoENaoGravaArquivo) {
  const auto& c = GetParam();
  Gerador ger;
  ger.Fuso(c.fuso);
  VetoresNFe v = NotaExemplo();
  c.ajuste(v, ger.g);
  try {
    ger.Gera(v);
    FAIL() << "gerou";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
    EXPECT_NE(e.Descricao().find(c.trecho), std::string::npos) << e.Descricao();
  }
  EXPECT_FALSE(ger.caminhos.Existe(ger.g.ArquivoXml));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, RecusasGerador,
    ::testing::Values(
        CasoRecusa{"BairroDoEmitenteVazio",
                   [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorEmitente[Emitente::xBairro] = " "; },
                   "campo obrigatório sem valor: emit/enderEmit/xBairro"},
        CasoRecusa{"NcmDeTresDigitos", [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::NCM] = "123"; },
                   "det[1]/prod/NCM: '123'"},
        CasoRecusa{"ValorDoProdutoComLetras", [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::vProd] = "1OO,00"; },
                   "det[1]/prod/vProd"},
        CasoRecusa{"DescontoNegativo", [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::vDesc] = "-1.00"; },
                   "det[1]/prod/vDesc: '-1.00' (número negativo)"},
        CasoRecusa{"CstVazio", [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::CSTouCSOSN] = ""; },
                   "sem valor: det[1]/imposto/ICMS/CST"},
        CasoRecusa{"CsosnDesconhecido",
                   [](VetoresNFe& v, GeradorXmlNFe&) {
                     Crt1(v, "999");
                     Item(v)[Produto::orig] = "0";
                   },
                   "det[1]/imposto/ICMS/CSOSN: '999'"},
        CasoRecusa{"OrigemNoveDoCsosn900", [](VetoresNFe& v, GeradorXmlNFe&) { Crt1(v, "900"); },
                   "det[1]/imposto/ICMS/orig: '9'"},
        CasoRecusa{"PisOutrasComValorFaltando",
                   [](VetoresNFe& v, GeradorXmlNFe&) {
                     Preenche(Item(v), {{Produto::CST_PIS, "50"}, {Produto::vBC_PIS, "100.00"}, {Produto::pPIS, ""}});
                   },
                   "sem valor: det[1]/imposto/PIS/PISOutr/pPIS"},
        CasoRecusa{"ItemDeOutroRegimeNoSegundoItem",
                   [](VetoresNFe& v, GeradorXmlNFe&) {
                     v.gQtdItens = 2;
                     v.gVetorProdutos.push_back(teste::ItemCrt3());
                     Item(v, 1)[Produto::CFOP] = "9102";
                   },
                   "det[2]/prod/CFOP: '9102'"},
        CasoRecusa{"IdDestVazio", [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::idDest] = ""; },
                   "sem valor: ide/idDest"},
        CasoRecusa{"SemDataDeEmissao", [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::dhEmi] = "00:00:00"; },
                   "sem valor: ide/dhEmi"},
        CasoRecusa{"ModalidadeDeFreteVazia",
                   [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorTransporte[Transporte::modFrete] = ""; },
                   "sem valor: transp/modFrete"},
        CasoRecusa{"AmbienteNaoConfigurado", [](VetoresNFe&, GeradorXmlNFe& g) { g.Ambiente = ""; },
                   "sem valor: ide/tpAmb"},
        CasoRecusa{"UfDoDocumentoDifereDaChave", [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::cUF] = "43"; },
                   "ide/cUF (43) difere da chave de acesso (35)"},
        CasoRecusa{"SemItens",
                   [](VetoresNFe& v, GeradorXmlNFe&) {
                     v.gQtdItens = 0;
                     v.gVetorProdutos.clear();
                   },
                   "sem valor: det"},
        CasoRecusa{"NovecentosENoventaEUmItens",
                   [](VetoresNFe& v, GeradorXmlNFe&) {
                     v.gQtdItens = 991;
                     v.gVetorProdutos.assign(991, teste::ItemCrt3());
                   },
                   "mais de 990 itens"},
        CasoRecusa{"DuplicataDeValorZero",
                   [](VetoresNFe& v, GeradorXmlNFe&) {
                     v.gQtdFaturas = 0;
                     v.gVetorFaturas[Fatura::kLinhaFatura][Fatura::vDup] = "0.00";
                   },
                   "cobr/dup[1]/vDup: '0.00'"},
        CasoRecusa{"PlacaForaDoLeiaute",
                   [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorTransporte[Transporte::placa] = "AB12"; },
                   "transp/veicTransp/placa"},
        CasoRecusa{"ContingenciaSemJustificativa",
                   [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::tpEmis] = "6"; }, "sem valor: ide/xJust"},
        CasoRecusa{"IndicadorDeConsumidorFinalForaDoLeiaute",
                   [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::indFinal] = "2"; }, "ide/indFinal: '2'"},
        CasoRecusa{"VetorCurtoContaComoSlotVazio",
                   [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorEmitente.resize(Emitente::CRT); },
                   "sem valor: emit/CRT"},
        CasoRecusa{"FusoHorarioInvalidoNoRegistro", [](VetoresNFe&, GeradorXmlNFe&) {}, "FusoHorario", "BRT"},
        CasoRecusa{"IdComDigitoVerificadorErrado",
                   [](VetoresNFe&, GeradorXmlNFe& g) { g.IdNFe = "NFe35160111222333000181550010000001231000001230"; },
                   "infNFe/@Id: 'NFe35160111222333000181550010000001231000001230' (chave de acesso com dígito"}),
    [](const ::testing::TestParamInfo<CasoRecusa>& i) { return std::string(i.param.nome); });

}  // namespace
}  // namespace velant
