// The authority's business rules: one invoice of the example broken on
// purpose per case, refused with the rule's code by the local check and,
// with the same code and official text, by the simulator; the boundaries of
// the tolerances; the check digits against numbers known to be sound.
#include "component/regras/regras_autoridade.h"

#include <gtest/gtest.h>

#include <ctime>
#include <set>

#include "component/apoio_documento.h"
#include "component/apoio_regras.h"
#include "component/autoridade_apoio.h"
#include "simulador/simulador_apoio.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/autoridade/envelope_soap.h"
#include "component/regras/regras_digitos.h"
#include "component/regras/regras_valores.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "simulador/simulador_autoridade.h"

namespace velant::regras {
namespace {

using teste::Preenche;
using Vetor = std::vector<std::string>;

const std::string kHomologacao = teste::kDestinatarioHomologacao;

Vetor& Item(VetoresNFe& v) { return v.gVetorProdutos[0]; }

// The local date-time of SP (-03:00) some minutes from now, as the request gives it.
std::string DaquiA(int minutos) {
  std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() +
                                                       std::chrono::minutes(minutos - 180));
  std::tm tm{};
  gmtime_r(&t, &tm);
  char texto[32];
  std::strftime(texto, sizeof texto, "%d/%m/%Y %H:%M:%S", &tm);
  return texto;
}

struct CasoRegra {
  const char* nome;
  int codigo;   // the rule the case breaks; 0: it keeps them all
  void (*ajuste)(VetoresNFe&, GeradorXmlNFe&);
  // Changes to the written document, for what the generator never writes.
  std::string (*texto)(std::string) = nullptr;
};
void PrintTo(const CasoRegra& c, std::ostream* os) { *os << c.nome << " " << c.codigo; }

// The example invoice in homologation, with the given changes, signed.
std::string NotaDoCaso(const CasoRegra& c) {
  VetoresNFe v = teste::NotaExemplo();
  v.gVetorDestinatario[Destinatario::xNome] = kHomologacao;
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  g.UnidadeFederada = "SP";
  g.UnidadeFederadaCodigo = "35";
  g.Ambiente = "2";
  g.CNPJ = teste::kCnpjEmitente;
  g.TipoDanfe = "1";
  c.ajuste(v, g);
  g.IdNFe = "NFe" + teste::ChaveDa(v, g.CNPJ, g.UnidadeFederadaCodigo);
  g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                               v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML,
                               "-03:00");
  if (c.texto) xml = c.texto(xml);
  return AssinarXml(xml, "infNFe", teste::CertificadoTeste());
}

std::string Trocado(std::string s, const std::string& de, const std::string& para) {
  size_t p = s.find(de);
  EXPECT_NE(p, std::string::npos) << de;
  return p == std::string::npos ? s : s.replace(p, de.size(), para);
}

void Nada(VetoresNFe&, GeradorXmlNFe&) {}

// A recipient abroad as the content writes it: no registration, final consumer, place of exit.
void Estrangeiro(VetoresNFe& v) {
  Preenche(v.gVetorDestinatario, {{0, ""}, {6, "9999999"}, {7, "EXTERIOR"}, {8, "EX"}, {9, ""}, {10, "2496"},
                                  {11, "ESTADOS UNIDOS"}, {13, ""}, {37, "9"}});
  Preenche(v.gVetorIde, {{14, "1"}, {34, "3"}});
  Preenche(Item(v), {{5, "7102"}, {18, "41"}});
  Preenche(v.gVetorTotais, {{0, "0.00"}, {1, "0.00"}});
  Preenche(v.gVetorInfAdic, {{2, "SP"}, {3, "SAO PAULO"}});
}

// A recipient of Rio de Janeiro, for the operations between states.
void NoRio(VetoresNFe& v) {
  Preenche(v.gVetorDestinatario, {{6, "3304557"}, {7, "RIO DE JANEIRO"}, {8, "RJ"}, {9, "20010000"}});
}

void Devolucao(VetoresNFe& v) {
  Preenche(v.gVetorIde, {{Ide::finNFe, "4"}, {Ide::refNFe, "35151244555666000181550010000045671000045671"}});
  Item(v)[Produto::CFOP] = "5202";
}

class RegraQuebrada : public ::testing::TestWithParam<CasoRegra> {};

TEST_P(RegraQuebrada, NaConferenciaLocal) {
  teste::ConfereRegraLocal(NotaDoCaso(GetParam()), GetParam().codigo, true);
}

// The simulator authorises a batch as a real authority: the first broken
// rule rejects the invoice with its code and official text, and no protocol.
TEST_P(RegraQuebrada, NoSimulador) {
  const CasoRegra& c = GetParam();
  autoridade::ConfiguracaoSimulador configuracao;
  configuracao.consultasEmProcessamento = 0;
  configuracao.leiaute310 = true;
  autoridade::SimuladorAutoridade simulador(configuracao);
  auto pede = [&](autoridade::ServicoNFe servico, const std::string& mensagem) {
    const auto& d = autoridade::Descricao(servico);
    return autoridade::LeResposta(simulador.Atende(teste::PedidoServico(d, mensagem)).corpo);
  };
  std::string recibo = teste::Campo(pede(autoridade::ServicoNFe::Autorizacao, teste::Lote("1", {NotaDoCaso(c)})), "nRec");
  std::string retorno = pede(autoridade::ServicoNFe::RetAutorizacao, autoridade::MensagemConsultaRecibo("2", recibo));
  ASSERT_EQ(teste::Campo(retorno, "cStat"), "104") << retorno;
  auto doc = autoridade::DocumentoXml::Ler(retorno, "retorno");
  xmlNode* infProt = autoridade::Procura(doc.Raiz(), "infProt");
  std::string esperado = c.codigo == 0 ? "100" : std::to_string(c.codigo);
  EXPECT_EQ(autoridade::TextoFilho(infProt, "cStat"), esperado) << autoridade::TextoFilho(infProt, "xMotivo");
  if (c.codigo != 0) {
    EXPECT_EQ(autoridade::TextoFilho(infProt, "xMotivo"), RegraPorCodigo(c.codigo)->texto);
    EXPECT_EQ(autoridade::Filho(infProt, "nProt"), nullptr);
  }
}

const std::vector<CasoRegra> kCasos = {
        CasoRegra{"ExemploPassa", 0, Nada},
        // The key.
        CasoRegra{"ChaveComDigitoErrado", 236, Nada,
                  [](std::string x) {
                    std::string id = x.substr(x.find("Id=\"NFe") + 7, 44);
                    std::string errada = id.substr(0, 43) + (id[43] == '9' ? "0" : std::string(1, static_cast<char>(id[43] + 1)));
                    x = Trocado(x, "NFe" + id, "NFe" + errada);
                    return Trocado(x, "<cDV>" + id.substr(43) + "</cDV>", "<cDV>" + errada.substr(43) + "</cDV>");
                  }},
        CasoRegra{"MesDaChaveDifereDaEmissao", 561, Nada,
                  [](std::string x) {
                    return Trocado(x, "<dhEmi>2016-01-15T10:30:00", "<dhEmi>2016-02-15T10:30:00");
                  }},
        CasoRegra{"NumeroDifereDaChave", 502, Nada,
                  [](std::string x) { return Trocado(x, "<nNF>123</nNF>", "<nNF>124</nNF>"); }},
        CasoRegra{"UfDoEmitenteDifereDaAutorizadora", 247,
                  [](VetoresNFe&, GeradorXmlNFe& g) { g.UnidadeFederada = "RJ"; }},
        // Emission.
        CasoRegra{"EmissaoDuasHorasAdiante", 703,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(v.gVetorIde, {{7, DaquiA(120).c_str()}, {8, ""}}); }},
        CasoRegra{"EmissaoTresMinutosAdianteTolerada", 0,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(v.gVetorIde, {{7, DaquiA(3).c_str()}, {8, ""}}); }},
        CasoRegra{"SaidaAntesDaEmissao", 506,
                  [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::dhSaiEnt] = "15/01/2016 09:00:00"; }},
        CasoRegra{"JustificativaNaEmissaoNormal", 556, Nada,
                  [](std::string x) {
                    return Trocado(x, "</verProc>",
                                   "</verProc><dhCont>2016-01-15T10:30:00-03:00</dhCont>"
                                   "<xJust>SERVICO DA SEFAZ FORA DO AR</xJust>");
                  }},
        CasoRegra{"ContingenciaSvcNaAutoridadeNormal", 570,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Preenche(v.gVetorIde, {{11, "6"}, {36, "SERVICO DA SEFAZ FORA DO AR"}});
                  }},
        CasoRegra{"ContingenciaOffLine", 711,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Preenche(v.gVetorIde, {{11, "9"}, {36, "SEM CONEXAO COM A INTERNET"}});
                  }},
        CasoRegra{"DanfeDeNfce", 710, [](VetoresNFe&, GeradorXmlNFe& g) { g.TipoDanfe = "4"; }},
        CasoRegra{"GrupoDePagamento", 768, Nada,
                  [](std::string x) {
                    return Trocado(x, "<infAdic>", "<pag><tPag>01</tPag><vPag>100.00</vPag></pag><infAdic>");
                  }},
        // Homologation.
        CasoRegra{"NomeDoDestinatarioEmHomologacao", 598,
                  [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorDestinatario[Destinatario::xNome] = "CLIENTE EXEMPLO S A"; }},
        // Check digits.
        CasoRegra{"CnpjDoEmitente", 207, [](VetoresNFe&, GeradorXmlNFe& g) { g.CNPJ = "11222333000182"; }},
        CasoRegra{"CnpjDoDestinatario", 208,
                  [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorDestinatario[Destinatario::CNPJouCPF] = "44555666000172"; }},
        CasoRegra{"CpfDoDestinatario", 237,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Preenche(v.gVetorDestinatario, {{0, "12345678900"}, {37, "9"}});
                    v.gVetorIde[Ide::indFinal] = "1";
                  }},
        CasoRegra{"Gtin", 611, [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::cEAN] = "7891234567890"; }},
        CasoRegra{"GtinTributavel", 612, [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::cEANTrib] = "7891234567891"; }},
        CasoRegra{"ChaveReferenciada", 547,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Devolucao(v);
                    v.gVetorIde[Ide::refNFe] = "35151244555666000181550010000045671000045672";
                  }},
        CasoRegra{"MunicipioDoFatoGerador", 270, [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorIde[Ide::cMunFG] = "3550307"; }},
        CasoRegra{"MunicipioDoDestinatarioDeOutraUf", 275,
                  [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorDestinatario[Destinatario::cMun] = "3304557"; }},
        CasoRegra{"CnpjAutorizadoParaDownload", 323,
                  [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorAutXML[AutXML::autorizado1] = "12345678000100"; }},
        // The recipient.
        CasoRegra{"EstrangeiroContribuinte", 790,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Estrangeiro(v);
                    v.gVetorDestinatario[Destinatario::indIEDest] = "1";
                  }},
        CasoRegra{"EstrangeiroPassa", 0, [](VetoresNFe& v, GeradorXmlNFe&) { Estrangeiro(v); }},
        CasoRegra{"EstrangeiroNoBrasil", 510,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Estrangeiro(v);
                    v.gVetorDestinatario[Destinatario::cPais] = "1058";
                  }},
        CasoRegra{"NaoContribuinteSemConsumidorFinal", 696,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(v.gVetorDestinatario, {{0, "12345678909"}, {37, "9"}}); }},
        CasoRegra{"ContribuinteSemIe", 728, [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorDestinatario[Destinatario::IE] = ""; }},
        CasoRegra{"IsentoComIe", 791, Nada,
                  [](std::string x) { return Trocado(x, "<indIEDest>1</indIEDest>", "<indIEDest>2</indIEDest>"); }},
        // Destination.
        CasoRegra{"InternaParaOutraUf", 773, [](VetoresNFe& v, GeradorXmlNFe&) { NoRio(v); }},
        CasoRegra{"CfopInterestadualNaOperacaoInterna", 732,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::CFOP] = "6102"; }},
        CasoRegra{"CfopDeExportacaoNaOperacaoInterna", 731,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::CFOP] = "7102"; }},
        CasoRegra{"CfopDeEntradaNaSaida", 518, [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::CFOP] = "1102"; }},
        // Returns and references.
        CasoRegra{"DevolucaoSemReferencia", 321,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Devolucao(v);
                    v.gVetorIde[Ide::refNFe] = "";
                  }},
        CasoRegra{"DevolucaoComCfopDeVenda", 327,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Devolucao(v);
                    Item(v)[Produto::CFOP] = "5102";
                  }},
        CasoRegra{"CfopDeDevolucaoNaVenda", 328, [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::CFOP] = "5202"; }},
        CasoRegra{"DevolucaoPassa", 0, [](VetoresNFe& v, GeradorXmlNFe&) { Devolucao(v); }},
        CasoRegra{"CupomReferenciadoDuasVezes", 684,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Preenche(v.gVetorIde, {{17, "2D;2D;"}, {18, "001;1;"}, {19, "123;123;"}});
                  }},
        // Tax regime.
        CasoRegra{"CstNoSimplesNacional", 590, [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorEmitente[Emitente::CRT] = "1"; }},
        CasoRegra{"CsosnNoRegimeNormal", 591,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Preenche(Item(v), {{17, "0"}, {18, "102"}});
                    Preenche(v.gVetorTotais, {{0, "0.00"}, {1, "0.00"}});
                  }},
        // Fuel.
        CasoRegra{"CombustivelSemGrupo", 660,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(Item(v), {{5, "5656"}, {3, "27101259"}}); }},
        // Export.
        CasoRegra{"ExportacaoSemLocalDeSaida", 355,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Estrangeiro(v);
                    v.gVetorInfAdic[InfAdic::UFSaidaPais] = "";
                  }},
        CasoRegra{"LocalDeSaidaSemExportacao", 356,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(v.gVetorInfAdic, {{2, "SP"}, {3, "SANTOS"}}); }},
        // Values of the item, with the manual's tolerance of one cent.
        CasoRegra{"ValorDoItemDoisCentavosAcima", 629,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::vUnCom] = "50.0100"; }},
        CasoRegra{"ValorDoItemUmCentavoAcimaTolerado", 0,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(Item(v), {{8, "50.0050"}, {13, "50.0049"}}); }},
        CasoRegra{"ValorTributavel", 630, [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::qTrib] = "1.9990"; }},
        CasoRegra{"IcmsDiferenteDeBaseVezesAliquota", 528,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Item(v)[Produto::vICMS] = "18.02";
                    v.gVetorTotais[Totais::vICMS] = "18.02";
                  }},
        CasoRegra{"IcmsDiferidoQueNaoConfere", 352,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Preenche(Item(v), {{18, "51"}, {22, "6.00"}});
                    v.gVetorTotais[Totais::vICMS] = "6.00";
                  },
                  [](std::string x) { return Trocado(x, "<vICMSDif>12.00</vICMSDif>", "<vICMSDif>11.00</vICMSDif>"); }},
        CasoRegra{"ImportadoAcimaDeQuatroPorCentoParaOutraUf", 663,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    NoRio(v);
                    v.gVetorIde[Ide::idDest] = "2";
                    Preenche(Item(v), {{5, "6102"}, {17, "1"}});
                  }},
        CasoRegra{"ItemSemPis", 745, [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::CST_PIS] = ""; }},
        // Totals, to the cent.
        CasoRegra{"TotalDosProdutosUmCentavoAcima", 564,
                  [](VetoresNFe& v, GeradorXmlNFe&) { Preenche(v.gVetorTotais, {{4, "100.01"}, {13, "100.01"}}); }},
        CasoRegra{"FreteRepetidoSemTotal", 535, [](VetoresNFe& v, GeradorXmlNFe&) { Item(v)[Produto::vFrete] = "10.00"; }},
        CasoRegra{"TotalDoPis", 602, [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorTotais[Totais::vPIS] = "1.66"; }},
        CasoRegra{"TotalDaNota", 610, [](VetoresNFe& v, GeradorXmlNFe&) { v.gVetorTotais[Totais::vNF] = "101.00"; }},
        // The carrier.
        CasoRegra{"CnpjDoTransportador", 542,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Preenche(v.gVetorTransporte, {{1, "33444555000180"}, {2, "TRANSPORTADORA X"}, {6, "SP"}});
                  }},
        CasoRegra{"IeDoTransportadorSemUf", 559,
                  [](VetoresNFe& v, GeradorXmlNFe&) {
                    Preenche(v.gVetorTransporte, {{1, "33444555000181"}, {2, "TRANSPORTADORA X"}, {3, "112233445566"}});
                  }},
};

INSTANTIATE_TEST_SUITE_P(Casos, RegraQuebrada, ::testing::ValuesIn(kCasos),
                         [](const auto& info) { return std::string(info.param.nome); });

// Numbers whose soundness is known from outside this system.
TEST(DigitosVerificadores, NumerosConhecidos) {
  struct Caso {
    const char* numero;
    bool (*valido)(std::string_view);
    bool esperado;
  } casos[] = {
      {"99999999000191", CnpjValido, true},  {"11222333000181", CnpjValido, true},
      {"11222333000182", CnpjValido, false}, {"00000000000000", CnpjValido, false},
      {"1122233300018", CnpjValido, false},  {"12345678909", CpfValido, true},
      {"12345678900", CpfValido, false},     {"00000000000", CpfValido, false},
      {"96385074", GtinValido, true},        {"036000291452", GtinValido, true},
      {"7891234567895", GtinValido, true},   {"10012345678902", GtinValido, true},
      {"7891234567890", GtinValido, false},  {"789123456789", GtinValido, false},
      {"3550308", MunicipioValido, true},    {"5300108", MunicipioValido, true},
      {"3550307", MunicipioValido, false},   {"9999999", MunicipioValido, false},
      {"4305871", MunicipioValido, true},    // older than the check digit, kept by the IBGE
  };
  for (const auto& c : casos) EXPECT_EQ(c.valido(c.numero), c.esperado) << c.numero;
}

TEST(Valores, DecimaisExatosEDatasComFuso) {
  EXPECT_EQ(Fixo("12", 2), Inteiro(1200));
  EXPECT_EQ(Fixo("-0.5", 2), Inteiro(-50));
  EXPECT_EQ(Fixo("2.4691", 10), Inteiro(24691000000));
  for (const char* ruim : {"", "1.005", "1e3", "1,50", ".", "-"}) EXPECT_FALSE(Fixo(ruim, 2)) << ruim;
  EXPECT_EQ(TextoCentavos(-5), "-0.05");
  EXPECT_EQ(TextoFixo(666667, 4), "66.6667");
  using namespace std::chrono;
  EXPECT_EQ(Instante("2016-01-15T10:30:00-03:00"), sys_days(2016y / January / 15) + 13h + 30min);
  EXPECT_EQ(Instante("2016-01-15T10:30:00Z"), sys_days(2016y / January / 15) + 10h + 30min);
  for (const char* ruim : {"2016-02-30T10:30:00-03:00", "15/01/2016 10:30:00", "2016-01-15T10:30:00-3"})
    EXPECT_FALSE(Instante(ruim)) << ruim;
}

// Every family of the table has a case above that breaks one of its rules.
TEST(TabelaRegras, CadaFamiliaTemUmCasoQuebrado) {
  std::set<Familia> cobertas;
  for (const auto& caso : kCasos) {
    if (caso.codigo == 0) continue;
    const RegraAutoridade* regra = RegraPorCodigo(caso.codigo);
    ASSERT_NE(regra, nullptr) << caso.codigo;
    cobertas.insert(regra->familia);
  }
  for (const auto& regra : TabelaRegras())
    EXPECT_TRUE(cobertas.count(regra.familia)) << NomeFamilia(regra.familia) << " sem caso quebrado";
}

}  // namespace
}  // namespace velant::regras
