// The generator's documents of layouts 3.10 and 4.00, byte for byte against
// golden files (written by this generator, each checked once against the
// fragments its case is about; VELANT_GRAVA_DOURADOS=1 rewrites them, for
// review), each signed and judged from outside: xmllint with the official
// schema, Debian's xmlsec1, and the authority's business rules.
#include "component/xml/gerador_xml_nfe.h"

#include <gtest/gtest.h>

#include "apoio_documento.h"
#include "apoio_regras.h"
#include "base/caminhos.h"
#include "base/erro.h"
#include "plataforma/registro_windows.h"

namespace velant {
namespace {

using teste::Preenche;
using V = VetoresNFe;
// Short names for the slots of each vector, so that a case fits its row.
namespace P = Produto;
namespace T = Totais;
namespace D = Destinatario;
namespace Tr = Transporte;
namespace E = Emitente;
namespace IA = InfAdic;
namespace F = Fatura;

// One generator on a temporary root: an issuer of SP, in production for 3.10
// and in homologation for 4.00.
struct Gerador {
  teste::PastaTemporaria pasta;
  MapeadorCaminhos caminhos{pasta.Caminho()};
  RegistroWindows registro{pasta.Caminho() / "registro.reg"};
  GeradorXmlNFe g{caminhos, &registro};

  explicit Gerador(const std::string& leiaute) {
    teste::Emitente400(g);
    g.Leiaute = leiaute;
    if (leiaute == "3.10") g.Ambiente = "1", g.VerProc = "VelantNFe 6.07";
  }
  void Registro(const std::string& valores) {
    teste::GravarTudo(registro.Arquivo(),
                      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n" + valores);
  }
  // Key, Id, file and last item as GerarNFE sets them, then GeraXml. A
  // document whose fields give no key gets the key of the example.
  std::string Gera(V& v) {
    std::string chave;
    try {
      chave = teste::Chave400(v, g.CNPJ);
    } catch (const ErroExecucao&) {
      chave = teste::ChaveDa(teste::NotaExemplo());
    }
    if (g.IdNFe.empty()) g.IdNFe = "NFe" + chave;
    g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
    g.ArquivoXml = "C:\\Dunmor\\nfe\\arquivos\\NFe" + chave + ".xml";
    return g.GeraXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                     v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML);
  }
};

// The example; in 4.00 with the recipient's name homologation demands.
V Exemplo(const std::string& leiaute) {
  V v = teste::NotaExemplo();
  if (leiaute != "3.10") v.gVetorDestinatario[D::xNome] = teste::kDestinatarioHomologacao;
  return v;
}

std::vector<std::string>& Item(V& v, size_t i = 0) { return v.gVetorProdutos[i]; }

// Simples Nacional issuer: modBC 0 and zero amounts, the CSOSN from the
// situation code, the origin from its first digit.
void Crt1(V& v, const char* csosn) {
  v.gVetorEmitente[E::CRT] = "1";
  Preenche(Item(v), {{P::orig, "0"}, {P::modBC, "0"}, {P::vBC, "0.00"}, {P::pICMS, "0.00"},
                     {P::vICMS, "0.00"}, {P::pMVAST, ""}, {P::pRedBCST, ""}});
  Item(v)[P::orig] = std::string(1, csosn[0]);
  Item(v)[P::CSTouCSOSN] = csosn;
  Preenche(v.gVetorTotais, {{T::vBC, "0.00"}, {T::vICMS, "0.00"}});
}

// The item's situation code, its ICMS of its own in the totals (none: zero).
void Icms(V& v, const char* cst, const char* base = "0.00", const char* valor = "0.00") {
  Item(v)[P::CSTouCSOSN] = cst;
  Preenche(v.gVetorTotais, {{T::vBC, base}, {T::vICMS, valor}});
}

void SemIcmsNoItem(V& v) {
  Preenche(Item(v), {{P::vBC, "0.00"}, {P::pICMS, "0.00"}, {P::vICMS, "0.00"}});
}

void SubstituicaoNoItem(V& v) {
  Preenche(Item(v), {{P::pMVAST, "40.00"}, {P::vBCST, "140.00"}, {P::pICMSST, "18.00"}, {P::vICMSST, "7.20"}});
  Preenche(v.gVetorTotais, {{T::vBCST, "140.00"}, {T::vST, "7.20"}, {T::vNF, "107.20"}});
}

void Estrangeiro(V& v) {
  Preenche(v.gVetorDestinatario, {{D::CNPJouCPF, ""}, {D::xMun, "EXTERIOR"}, {D::UF, "EX"}, {D::cPais, "2496"},
                                  {D::xPais, "ESTADOS UNIDOS"}, {D::indIEDest, "9"}});
  Preenche(v.gVetorIde, {{Ide::indFinal, "1"}, {Ide::idDest, "3"}});
  Preenche(v.gVetorInfAdic, {{IA::UFSaidaPais, "SP"}, {IA::xLocExporta, "SAO PAULO"}});
  Item(v)[P::CFOP] = "7102";
}

// Tax reform in the test year: an invoice of 01/12/2026 whose item names
// its IBS/CBS codes. The base is 100.00 less ICMS 18.00, PIS 1.65 and
// COFINS 7.60 = 72.75.
void Reforma2026(V& v, const char* cst, const char* cClassTrib) {
  Preenche(v.gVetorIde, {{Ide::dhEmi, "01/12/2026 10:30:00"}, {Ide::dhSaiEnt, "01/12/2026 11:00:00"}});
  Preenche(Item(v), {{P::CST_IBSCBS, cst}, {P::cClassTrib, cClassTrib}});
}

void Parcelas(V& v) {
  v.gVetorIde[Ide::indPag] = "1";
  v.gQtdDuplicatas = 3;
  v.gQtdFaturas = 2;
  v.gVetorFaturas.resize(4, std::vector<std::string>(kSlotsFatura));
  const char* valores[] = {"33.33", "33.33", "33.34"};
  for (size_t r = 0; r < 3; ++r)
    Preenche(v.gVetorFaturas[r], {{F::nDup, ("123/" + std::to_string(r + 1)).c_str()},
                                  {F::dVenc, ("2016-0" + std::to_string(r + 2) + "-15").c_str()},
                                  {F::vDup, valores[r]}});
}

constexpr const char* kCnpjAlfanumerico = "12ABC34501DE35";
using Ajuste = void (*)(V&, Gerador&);

struct Caso {
  const char* nome;
  std::string leiaute;
  Ajuste ajuste;
  int regra = 0;                    // the authority's rule it breaks on purpose (0: none)
  const char* trecho = nullptr;     // a document too big for a golden file: a fragment of it
};
void PrintTo(const Caso& c, std::ostream* os) { *os << c.nome; }

class Documentos : public ::testing::TestWithParam<Caso> {};

TEST_P(Documentos, IgualAoDouradoEAceitoPorFora) {
  const Caso& c = GetParam();
  Gerador ger(c.leiaute);
  V v = Exemplo(c.leiaute);
  c.ajuste(v, ger);
  std::string xml = ger.Gera(v);
  EXPECT_EQ(teste::LerTudo(ger.caminhos.Mapear(ger.g.ArquivoXml)), xml);
  if (c.trecho) {
    EXPECT_NE(xml.find(c.trecho), std::string::npos) << c.trecho;
  } else {
    const auto dourado = std::filesystem::path(VELANT_TESTES) / "component/dourados" / (std::string(c.nome) + ".xml");
    if (std::getenv("VELANT_GRAVA_DOURADOS") != nullptr) teste::GravarTudo(dourado, xml);
    EXPECT_EQ(xml, teste::LerTudo(dourado));
  }
  std::string assinado = AssinarXml(xml, "infNFe", teste::CertificadoTeste());
  const char* esquema = c.leiaute == "3.10" ? "PL_008i2/nfe_v3.10.xsd" : "PL_010e/nfe_v4.00.xsd";
  EXPECT_TRUE(teste::AceitaNoEsquemaENoXmlsec(assinado, ger.pasta.Caminho() / "assinado.xml", esquema));
  // A contingency invoice goes to its SVC, whose rules take its tpEmis.
  const std::string& tpEmis = v.gVetorIde[Ide::tpEmis];
  teste::ConfereRegraLocal(assinado, c.regra, false, tpEmis == "6" ? "SVC-AN" : tpEmis == "7" ? "SVC-RS" : "");
}

const Caso k310[] = {
    {"Crt3Cst00", "3.10", [](V&, Gerador&) {}},
    {"Crt3Cst10", "3.10", [](V& v, Gerador&) { Item(v)[P::CSTouCSOSN] = "10", SubstituicaoNoItem(v); }},
    {"Crt3Cst20", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::pRedBC, "33.33"}, {P::vBC, "66.67"}, {P::vICMS, "12.00"}});
       Icms(v, "20", "66.67", "12.00");
     }},
    {"Crt3Cst30", "3.10", [](V& v, Gerador&) {
       SemIcmsNoItem(v), Icms(v, "30"), Item(v)[P::pRedBCST] = "10.00", SubstituicaoNoItem(v);
     }},
    {"Crt3Cst40", "3.10", [](V& v, Gerador&) { Icms(v, "40"); }},
    {"Crt3Cst41", "3.10", [](V& v, Gerador&) { Icms(v, "41"); }},
    {"Crt3Cst50", "3.10", [](V& v, Gerador&) { Icms(v, "50"), Item(v)[P::orig] = "2"; }},
    {"Crt3Cst51", "3.10", [](V& v, Gerador&) { Item(v)[P::CSTouCSOSN] = "51"; }},
    // Two thirds deferred: the group shows what the operation's ICMS was.
    {"Crt3Cst51ComDiferimento", "3.10",
     [](V& v, Gerador&) { Icms(v, "51", "100.00", "6.00"), Item(v)[P::vICMS] = "6.00"; }},
    {"Crt3Cst60", "3.10", [](V& v, Gerador&) { SemIcmsNoItem(v), Icms(v, "60"); }},
    {"Crt3Cst60Retido", "3.10", [](V& v, Gerador&) {
       Icms(v, "60"), Preenche(Item(v), {{P::vBCST, "100.00"}, {P::vICMSST, "18.00"}});
     }},
    {"Crt3Cst70", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::pRedBC, "20.00"}, {P::vBC, "80.00"}, {P::vICMS, "14.40"}});
       Icms(v, "70", "80.00", "14.40"), SubstituicaoNoItem(v);
     }},
    {"Crt3Cst90", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::CSTouCSOSN, "90"}, {P::pRedBC, "10.00"}}), SubstituicaoNoItem(v);
     }},
    {"Crt3Cst90SemValores", "3.10", [](V& v, Gerador&) { SemIcmsNoItem(v), Icms(v, "90"); }},
    {"Crt3Cfop5929ComCuponsReferenciados", "3.10", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::natOp, "VENDA TAMBEM REGISTRADA NO ECF"}, {Ide::modECF, "2D;2D;"},
                              {Ide::nECF, "001;001;"}, {Ide::nCOO, "123;124;"}});
       SemIcmsNoItem(v), Icms(v, "00");
       Preenche(Item(v), {{P::CFOP, "5929"}, {P::modBC, "3"}, {P::CST_PIS, "49"}, {P::vBC_PIS, "0.00"},
                          {P::pPIS, "0.00"}, {P::vPIS, "0.00"}, {P::CST_COFINS, "49"}, {P::vBC_COFINS, "0.00"},
                          {P::pCOFINS, "0.00"}, {P::vCOFINS, "0.00"}});
       Preenche(v.gVetorTotais, {{T::vPIS, "0.00"}, {T::vCOFINS, "0.00"}});
     }},
    {"Csosn101", "3.10", [](V& v, Gerador&) {
       Crt1(v, "101"), Preenche(Item(v), {{P::pCredSN, "2.56"}, {P::vCredICMSSN, "2.56"}});
     }},
    {"Csosn102", "3.10", [](V& v, Gerador&) { Crt1(v, "102"); }},
    {"Csosn103", "3.10", [](V& v, Gerador&) { Crt1(v, "103"); }},
    {"Csosn201", "3.10", [](V& v, Gerador&) {
       Crt1(v, "201"), SubstituicaoNoItem(v);
       Preenche(Item(v), {{P::pCredSN, "2.56"}, {P::vCredICMSSN, "2.56"}, {P::modBCST, "4"}, {P::pRedBCST, "0.00"}});
     }},
    {"Csosn202", "3.10", [](V& v, Gerador&) {
       Crt1(v, "202"), SubstituicaoNoItem(v);
       Preenche(Item(v), {{P::modBCST, "4"}, {P::pMVAST, ""}, {P::pRedBCST, "0.00"}});
     }},
    {"Csosn203", "3.10", [](V& v, Gerador&) { Crt1(v, "203"); }},
    {"Csosn300", "3.10", [](V& v, Gerador&) { Crt1(v, "300"); }},
    {"Csosn400", "3.10", [](V& v, Gerador&) { Crt1(v, "400"); }},
    {"Csosn500", "3.10", [](V& v, Gerador&) {
       Crt1(v, "500"), Preenche(Item(v), {{P::vBCST, "50.00"}, {P::vICMSST, "9.00"}});
     }},
    // An entry invoice takes origin 0 whatever the code (a 900 on an exit would give origin 9).
    {"Csosn900NumaEntrada", "3.10", [](V& v, Gerador&) {
       Crt1(v, "900"), Preenche(v.gVetorIde, {{Ide::tpNF, "0"}, {Ide::dhSaiEnt, ""}});
       Preenche(Item(v), {{P::CFOP, "1102"}, {P::orig, "0"}, {P::pCredSN, "2.56"}, {P::vCredICMSSN, "2.56"},
                          {P::modBCST, "4"}, {P::modBC, "3"}, {P::vBC, "100.00"}, {P::pRedBC, "0.00"},
                          {P::pICMS, "18.00"}, {P::vICMS, "18.00"}});
       Preenche(v.gVetorTotais, {{T::vBC, "100.00"}, {T::vICMS, "18.00"}});
     }},
    {"Crt1Cfop5929", "3.10", [](V& v, Gerador&) {
       Crt1(v, "102");
       Preenche(Item(v), {{P::CFOP, "5929"}, {P::CSTouCSOSN, "400"}, {P::modBC, "1"},
                          {P::vBC, ""}, {P::pICMS, ""}, {P::vICMS, ""}});
     }},
    {"DestinatarioEstrangeiro", "3.10", [](V& v, Gerador&) {
       Estrangeiro(v), Icms(v, "41");
       Preenche(v.gVetorDestinatario, {{D::xNome, "FOREIGN BUYER INC"}, {D::cMun, "9999999"},
                                       {D::CEP, ""}, {D::fone, ""}, {D::IE, ""}});
       Preenche(Item(v), {{P::CST_PIS, "08"}, {P::CST_COFINS, "08"}});
       Preenche(v.gVetorTotais, {{T::vPIS, "0.00"}, {T::vCOFINS, "0.00"}});
     }},
    {"CsosnComDestinatarioEstrangeiro", "3.10", [](V& v, Gerador&) {
       Crt1(v, "300"), Estrangeiro(v), v.gVetorDestinatario[D::cMun] = "", Item(v)[P::orig] = "1";
     }},
    {"Combustivel", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::NCM, "27101259"}, {P::CFOP, "5656"}, {P::uCom, "L"}, {P::uTrib, "L"},
                          {P::qCom, "40.5000"}, {P::qTrib, "40.5000"}, {P::vUnCom, "2.4691"}, {P::vUnTrib, "2.4691"},
                          {P::cProdANP, "320102001"}, {P::qTemp, "40.5000"}, {P::UFCons, "GO"}, {P::cEAN, ""},
                          {P::cEANTrib, ""}});
       Icms(v, "60");
     }},
    {"Duplicatas", "3.10", [](V& v, Gerador&) { Parcelas(v); }},
    {"DevolucaoComChaveReferenciada", "3.10", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::finNFe, "4"}, {Ide::refNFe, "35151244555666000181550010000045671000045671"}});
       Item(v)[P::CFOP] = "5202";
       v.gVetorInfAdic[IA::infCpl] =
           "CHAVE DA NFE DEVOLVIDA: 3515-1244-5556-6600-0181-5500-1000-0045-6710-0004-5671;;";
     }},
    // No item carries ISSQN: the authority refuses service totals alone.
    {"TotaisDeServicos", "3.10", [](V& v, Gerador&) {
       Preenche(v.gVetorTotais, {{T::vServ, "50.00"}, {T::vBC_ISS, "50.00"}, {T::vISS, "2.50"},
                                 {T::vPIS_ISS, "1.65"}, {T::vCOFINS_ISS, "0.00"}});
     }, 605},
    {"Homologacao", "3.10", [](V& v, Gerador& g) {
       g.g.Ambiente = "2";
       Preenche(v.gVetorDestinatario, {{D::CNPJouCPF, "99999999000191"}, {D::IE, ""}, {D::indIEDest, "2"},
                                       {D::xNome, teste::kDestinatarioHomologacao}});
     }},
    {"IpiNaoTributadoNoItem", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::vBC_IPI, "0"}, {P::CNPJProd, "00000000000000"}, {P::pIPI, "0"},
                          {P::vIPI, "0"}, {P::cEnq, "999"}});
     }},
    {"IpiTributadoNoItem", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::vBC_IPI, "100.00"}, {P::CNPJProd, "00000000000000"}, {P::pIPI, "10.00"},
                          {P::vIPI, "10.00"}, {P::cEnq, "999"}});
       Preenche(v.gVetorTotais, {{T::vIPI, "10.00"}, {T::vNF, "110.00"}});
     }},
    {"PisCofinsPorQuantidade", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::CST_PIS, "03"}, {P::vBC_PIS, ""}, {P::pPIS, ""},
                          {P::vPIS, "1.30"}, {P::vAliqProd_PIS, "0.6500"}, {P::CST_COFINS, "03"},
                          {P::pCOFINS, ""}, {P::vCOFINS, "6.00"}, {P::vAliqProd_COFINS, "3.0000"}});
       Preenche(v.gVetorTotais, {{T::vPIS, "1.30"}, {T::vCOFINS, "6.00"}});
     }},
    {"PisCofinsNaoTributadosEOutras", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::CST_PIS, "06"}, {P::vBC_PIS, ""}, {P::pPIS, ""}, {P::vPIS, ""}, {P::CST_COFINS, "99"}});
       v.gVetorTotais[T::vPIS] = "0.00";
     }},
    {"PisCofinsOutrasSemValores", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::CST_PIS, "49"}, {P::vBC_PIS, ""}, {P::pPIS, ""}, {P::vPIS, ""}, {P::CST_COFINS, "49"},
                          {P::vBC_COFINS, ""}, {P::pCOFINS, ""}, {P::vCOFINS, ""}});
       Preenche(v.gVetorTotais, {{T::vPIS, "0.00"}, {T::vCOFINS, "0.00"}});
     }},
    {"SemPisNemCofins", "3.10", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::CST_PIS, ""}, {P::CST_COFINS, ""}});
     }, 745},
    {"TransportadorEVolumes", "3.10", [](V& v, Gerador&) {
       Preenche(v.gVetorTransporte, {{Tr::modFrete, "0"}, {Tr::CNPJouCPF, "12345678000195"},
                                     {Tr::xNome, "TRANSPORTADORA X"}, {Tr::IE, "112233445566"},
                                     {Tr::xEnder, "RUA A, 10"}, {Tr::xMun, "CAMPINAS"}, {Tr::UF, "SP"},
                                     {Tr::placa, "abc-1234"}, {Tr::UF_veicTransp, " SP"}, {Tr::qVol, "3"},
                                     {Tr::esp, "CAIXA"}, {Tr::pesoL, "12.500"}, {Tr::pesoB, "13.000"}});
     }},
    {"ContingenciaComJustificativa", "3.10", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::tpEmis, "5"}, {Ide::xJust, "SERVICO DA SEFAZ FORA DO AR"}});
     }},
    {"TextosLimposENumerosRegionais", "3.10", [](V& v, Gerador&) {
       Preenche(v.gVetorEmitente, {{E::xNome, " EMPRESA “TESTE”\tLTDA "}, {E::CEP, "01310-100"},
                                   {E::fone, "(11) 3333-4444"}});
       Preenche(Item(v), {{P::xProd, std::string(130, 'X').c_str()}, {P::qCom, "2,0000"},
                          {P::vUnCom, "50,0000"}, {P::vProd, "100,00"}, {P::vDesc, "1,50"}});
       Preenche(v.gVetorTotais, {{T::vDesc, "1.50"}, {T::vNF, "98.50"}});
       v.gVetorInfAdic[IA::infCpl] = "A & B < C > D";
     }},
    {"DatasIsoSemSaida", "3.10", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::dhEmi, "2016-01-15T10:30:00"}, {Ide::dhSaiEnt, "00:00:00"}});
     }},
    {"EmitentePessoaFisicaSemNumeroEIsento", "3.10", [](V& v, Gerador& g) {
       g.g.CNPJ = "12345678909", Preenche(v.gVetorEmitente, {{E::nro, ""}, {E::IE, ""}});
     }},
    {"NovecentosENoventaItens", "3.10", [](V& v, Gerador&) {
       v.gQtdItens = 990;
       v.gVetorProdutos.assign(990, teste::ItemCrt3());
       Preenche(v.gVetorTotais, {{T::vBC, "99000.00"}, {T::vICMS, "17820.00"}, {T::vProd, "99000.00"},
                                 {T::vPIS, "1633.50"}, {T::vCOFINS, "7524.00"}, {T::vNF, "99000.00"}});
     }, 0, "<det nItem=\"990\"><prod><cProd>P001</cProd>"},
    {"FusoHorarioDoRegistro", "3.10", [](V&, Gerador& g) { g.Registro("\"FusoHorario\"=\"-2\"\r\n"); }},
};

const Caso k400[] = {
    // The vectors a 3.10 request always gave: no payment data at all.
    {"SolicitacaoAntiga", "4.00", [](V&, Gerador&) {}},
    {"PrazoComCartao", "4.00", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::indPag, "1"}, {Ide::tPag, "3"}, {Ide::tpIntegra, "2"},
                              {Ide::CNPJ_card, "01.027.058/0001-91"}, {Ide::tBand, "01"}, {Ide::cAut, "AUT123456"}});
     }},
    {"DinheiroComTroco", "4.00",
     [](V& v, Gerador&) { Preenche(v.gVetorIde, {{Ide::tPag, "01"}, {Ide::vTroco, "20,00"}}); }},
    {"OutraFormaDescrita", "4.00", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::indPag, "2"}, {Ide::tPag, "99"}, {Ide::xPag, "PERMUTA"}});
     }},
    // A return moves no money, whatever the request says.
    {"DevolucaoSemPagamento", "4.00", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::finNFe, "4"}, {Ide::tPag, "01"}, {Ide::vTroco, "5.00"}});
       v.gVetorIde[Ide::refNFe] = teste::ChaveDa(teste::NotaExemplo()), Item(v)[P::CFOP] = "5202";
     }},
    // The invoice returned was issued under an alphanumeric CNPJ.
    {"DevolucaoDeNotaComCnpjAlfanumerico", "4.00", [](V& v, Gerador&) {
       v.gVetorIde[Ide::finNFe] = "4", Item(v)[P::CFOP] = "5202";
       v.gVetorIde[Ide::refNFe] = teste::Chave400(teste::NotaExemplo(), kCnpjAlfanumerico);
     }},
    {"ProdutoSemCodigoDeBarras", "4.00", [](V& v, Gerador&) { Preenche(Item(v), {{P::cEAN, ""}, {P::cEANTrib, ""}}); }},
    {"FundoDePobrezaProprio", "4.00", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::pFCP, "2.0000"}, {P::vFCP, "2.00"}}), v.gVetorTotais[T::vFCP] = "2.00";
     }},
    {"FundoDePobrezaNaSubstituicao", "4.00", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::CSTouCSOSN, "10"}, {P::modBCST, "4"}, {P::pMVAST, "40.00"},
                          {P::vBCST, "140.00"}, {P::pICMSST, "18.00"}, {P::vICMSST, "7.20"},
                          {P::vBCFCPST, "140.00"}, {P::pFCPST, "2.0000"}, {P::vFCPST, "2.80"}});
       Preenche(v.gVetorTotais, {{T::vBCST, "140.00"}, {T::vST, "7.20"}, {T::vFCPST, "2.80"}, {T::vNF, "110.00"}});
     }},
    {"RetidoComAliquota", "4.00", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::CSTouCSOSN, "60"}, {P::vBCST, "90.00"}, {P::pICMSST, "18.00"}, {P::vICMSST, "16.20"},
                          {P::vBCFCPSTRet, "90.00"}, {P::pFCPSTRet, "2.0000"}, {P::vFCPSTRet, "1.80"}});
       Preenche(v.gVetorTotais, {{T::vBC, "0.00"}, {T::vICMS, "0.00"}, {T::vFCPSTRet, "1.80"}});
     }},
    {"LoteEBeneficio", "4.00", [](V& v, Gerador&) {
       Preenche(Item(v), {{P::cBenef, "SP010001"}, {P::nLote, "L2026-07"}, {P::qLote, "2"},
                          {P::dFab, "01/07/2015"}, {P::dVal, "2017-07-01"}});
     }},
    {"ResponsavelTecnicoDoRegistro", "4.00", [](V&, Gerador& g) {
       g.Registro("\"RespTecCNPJ\"=\"11.222.333/0001-81\"\r\n\"RespTecContato\"=\"SUPORTE VELANT\"\r\n"
                  "\"RespTecEmail\"=\"suporte@velant.com.br\"\r\n\"RespTecFone\"=\"(11) 3333-4444\"\r\n");
     }},
    {"VendaPelaInternet", "4.00", [](V& v, Gerador&) { v.gVetorIde[Ide::indPres] = "2"; }},
    // 0.1 % of 72.75 = 0.07275 and 0.9 % = 0.65475, to the cent; vNFTot adds IBS and CBS to vNF.
    {"ReformaTributacaoIntegral", "4.00", [](V& v, Gerador&) { Reforma2026(v, "000", "000001"); }},
    // Education services (200028) pay 40 % of the rates: 0.04 % and 0.36 %.
    {"ReformaAliquotaReduzida", "4.00", [](V& v, Gerador&) { Reforma2026(v, "200", "200028"); }},
    // A Simples Nacional shop: no ICMS of its own out of the base (100.00 - 9.25).
    {"ReformaSimplesNacional", "4.00", [](V& v, Gerador&) {
       Reforma2026(v, "000", "000001"), v.gVetorEmitente[E::CRT] = "1", Icms(v, "102");
     }},
    // Contingency: tpEmis of the state's SVC in the key and ide, when it was
    // entered and why; a start after the emission is the emission's.
    {"ContingenciaSvcAn", "4.00", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::tpEmis, "6"}, {Ide::dhCont, "2016-01-15T09:45:00-03:00"},
                              {Ide::xJust, "Serviço paralisado: 109 - Serviço Paralisado sem Previsão"}});
     }},
    {"ContingenciaSvcRsIniciadaDepois", "4.00", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::tpEmis, "7"}, {Ide::dhCont, "2016-01-15T11:00:00-03:00"},
                              {Ide::xJust, "3 tentativas seguidas sem resposta"}});
     }},
    // Issuer, recipient and carrier with letters in their CNPJ: the key carries
    // the issuer's, with its check digit over the letters.
    {"CnpjAlfanumerico", "4.00", [](V& v, Gerador& g) {
       g.g.CNPJ = "12.ABC.345/01DE-35", v.gVetorDestinatario[D::CNPJouCPF] = "12abc34501de35";
       Preenche(v.gVetorTransporte, {{Tr::modFrete, "0"}, {Tr::CNPJouCPF, kCnpjAlfanumerico},
                                     {Tr::xNome, "TRANSPORTES TESTE LTDA"}, {Tr::UF, "SP"}});
     }},
    // With nothing of the tax reform asked for, the document is byte for byte
    // the one written before the reform groups existed (cMunFGIBS is written
    // only with the groups' conditions).
    {"SemReformaComoAntes", "4.00", [](V& v, Gerador&) {
       Preenche(v.gVetorIde, {{Ide::indPres, "5"}, {Ide::cMunFGIBS, "3550308"}});
       v.gVetorIde[Ide::refNFe] = teste::ChaveDa(teste::NotaExemplo());
     }},
};

const auto kNome = [](const auto& i) { return std::string(i.param.nome); };
INSTANTIATE_TEST_SUITE_P(Leiaute310, Documentos, ::testing::ValuesIn(k310), kNome);
INSTANTIATE_TEST_SUITE_P(Leiaute400, Documentos, ::testing::ValuesIn(k400), kNome);

// What the generator refuses, naming the element, with no file written.
struct Recusa {
  const char* nome;
  const char* leiaute;
  Ajuste ajuste;
  const char* trecho;   // in the error description
};
void PrintTo(const Recusa& c, std::ostream* os) { *os << c.nome; }

class RecusasDoGerador : public ::testing::TestWithParam<Recusa> {};

TEST_P(RecusasDoGerador, ErroNomeiaOElementoENaoGravaArquivo) {
  const Recusa& c = GetParam();
  Gerador ger(c.leiaute);
  V v = Exemplo(c.leiaute);
  c.ajuste(v, ger);
  try {
    ger.Gera(v);
    ADD_FAILURE() << "gerou";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
    EXPECT_NE(e.Descricao().find(c.trecho), std::string::npos) << e.Descricao();
  }
  EXPECT_FALSE(ger.caminhos.Existe(ger.g.ArquivoXml));
}

const Recusa kRecusas[] = {
    {"BairroDoEmitenteVazio", "3.10", [](V& v, Gerador&) { v.gVetorEmitente[E::xBairro] = " "; },
     "campo obrigatório sem valor: emit/enderEmit/xBairro"},
    {"NcmDeTresDigitos", "3.10", [](V& v, Gerador&) { Item(v)[P::NCM] = "123"; }, "det[1]/prod/NCM: '123'"},
    {"ValorDoProdutoComLetras", "3.10", [](V& v, Gerador&) { Item(v)[P::vProd] = "1OO,00"; },
     "det[1]/prod/vProd"},
    {"DescontoNegativo", "3.10", [](V& v, Gerador&) { Item(v)[P::vDesc] = "-1.00"; },
     "det[1]/prod/vDesc: '-1.00' (número negativo)"},
    {"CstVazio", "3.10", [](V& v, Gerador&) { Item(v)[P::CSTouCSOSN] = ""; },
     "sem valor: det[1]/imposto/ICMS/CST"},
    {"CsosnDesconhecido", "3.10", [](V& v, Gerador&) { Crt1(v, "999"), Item(v)[P::orig] = "0"; },
     "det[1]/imposto/ICMS/CSOSN: '999'"},
    {"OrigemNoveDoCsosn900", "3.10", [](V& v, Gerador&) { Crt1(v, "900"); }, "det[1]/imposto/ICMS/orig: '9'"},
    {"PisOutrasComValorFaltando", "3.10",
     [](V& v, Gerador&) { Preenche(Item(v), {{P::CST_PIS, "50"}, {P::vBC_PIS, "100.00"}, {P::pPIS, ""}}); },
     "sem valor: det[1]/imposto/PIS/PISOutr/pPIS"},
    {"ItemDeOutroRegimeNoSegundoItem", "3.10",
     [](V& v, Gerador&) {
       v.gQtdItens = 2, v.gVetorProdutos.push_back(teste::ItemCrt3()), Item(v, 1)[P::CFOP] = "9102";
     },
     "det[2]/prod/CFOP: '9102'"},
    {"IdDestVazio", "3.10", [](V& v, Gerador&) { v.gVetorIde[Ide::idDest] = ""; }, "sem valor: ide/idDest"},
    {"SemDataDeEmissao", "3.10", [](V& v, Gerador&) { v.gVetorIde[Ide::dhEmi] = "00:00:00"; }, "sem valor: ide/dhEmi"},
    {"ModalidadeDeFreteVazia", "3.10", [](V& v, Gerador&) { v.gVetorTransporte[Tr::modFrete] = ""; },
     "sem valor: transp/modFrete"},
    {"AmbienteNaoConfigurado", "3.10", [](V&, Gerador& g) { g.g.Ambiente = ""; }, "sem valor: ide/tpAmb"},
    {"UfDoDocumentoDifereDaChave", "3.10", [](V& v, Gerador&) { v.gVetorIde[Ide::cUF] = "43"; },
     "ide/cUF (43) difere da chave de acesso (35)"},
    {"SemItens", "3.10", [](V& v, Gerador&) { v.gQtdItens = 0, v.gVetorProdutos.clear(); }, "sem valor: det"},
    {"NovecentosENoventaEUmItens", "3.10",
     [](V& v, Gerador&) { v.gQtdItens = 991, v.gVetorProdutos.assign(991, teste::ItemCrt3()); }, "mais de 990 itens"},
    {"DuplicataDeValorZero", "3.10",
     [](V& v, Gerador&) { v.gQtdFaturas = 0, v.gVetorFaturas[F::kLinhaFatura][F::vDup] = "0.00"; },
     "cobr/dup[1]/vDup: '0.00'"},
    {"PlacaForaDoLeiaute", "3.10", [](V& v, Gerador&) { v.gVetorTransporte[Tr::placa] = "AB12"; },
     "transp/veicTransp/placa"},
    {"ContingenciaSemJustificativa", "3.10", [](V& v, Gerador&) { v.gVetorIde[Ide::tpEmis] = "6"; },
     "sem valor: ide/xJust"},
    {"IndicadorDeConsumidorFinalForaDoLeiaute", "3.10", [](V& v, Gerador&) { v.gVetorIde[Ide::indFinal] = "2"; },
     "ide/indFinal: '2'"},
    {"VetorCurtoContaComoSlotVazio", "3.10", [](V& v, Gerador&) { v.gVetorEmitente.resize(E::CRT); },
     "sem valor: emit/CRT"},
    {"FusoHorarioInvalidoNoRegistro", "3.10", [](V&, Gerador& g) { g.Registro("\"FusoHorario\"=\"BRT\"\r\n"); },
     "FusoHorario"},
    {"IdComDigitoVerificadorErrado", "3.10",
     [](V&, Gerador& g) { g.g.IdNFe = "NFe35160111222333000181550010000001231000001230"; },
     "infNFe/@Id: 'NFe35160111222333000181550010000001231000001230' (chave de acesso com dígito"},
    {"LetrasNoEmitente310", "3.10", [](V&, Gerador& g) { g.g.CNPJ = kCnpjAlfanumerico; },
     "emit/CNPJ: '12ABC34501DE35' (CNPJ com letras só é aceito no leiaute 4.00)"},
    {"LetrasNoDestinatario310", "3.10",
     [](V& v, Gerador&) { v.gVetorDestinatario[D::CNPJouCPF] = kCnpjAlfanumerico; },
     "dest/CNPJ: '12ABC34501DE35' (CNPJ com letras só é aceito no leiaute 4.00)"},
    {"DigitoErradoComLetras", "4.00",
     [](V& v, Gerador&) { v.gVetorDestinatario[D::CNPJouCPF] = "12ABC34501DE36"; },
     "dest/CNPJ: '12ABC34501DE36' (CNPJ alfanumérico"},
    {"FormaDePagamentoDesconhecida", "4.00", [](V& v, Gerador&) { v.gVetorIde[Ide::tPag] = "07"; },
     "pag/detPag/tPag: '07'"},
    {"LoteSemValidade", "4.00",
     [](V& v, Gerador&) { Preenche(Item(v), {{P::nLote, "L1"}, {P::qLote, "1"}, {P::dFab, "01/01/2016"}}); },
     "campo obrigatório sem valor: det[1]/prod/rastro/dVal"},
    // The example is of 2016: the table has no rates of that year, and the item gives none.
    {"ReformaSemAliquotasDoAno", "4.00",
     [](V& v, Gerador&) { Preenche(Item(v), {{P::CST_IBSCBS, "000"}, {P::cClassTrib, "000001"}}); },
     "IBSCBS/pIBSUF: '' (sem alíquotas do ano 2016 em reforma-tributaria.txt)"},
    {"ReformaClassificacaoDeOutroCst", "4.00",
     [](V& v, Gerador&) { Preenche(Item(v), {{P::CST_IBSCBS, "000"}, {P::cClassTrib, "200028"}}); },
     "IBSCBS/cClassTrib: '200028' (não pertence ao CST 000)"},
    {"LeiauteDesconhecido", "5.00", [](V&, Gerador&) {}, "infNFe/@versao: '5.00'"},
};

INSTANTIATE_TEST_SUITE_P(Casos, RecusasDoGerador, ::testing::ValuesIn(kRecusas), kNome);

}  // namespace
}  // namespace velant
