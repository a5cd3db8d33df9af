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
using teste::TrocaPrimeiro;
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

// A slot of the example invoice set to a value: the vector by its letter
// (I ide, E issuer, D recipient, P first item, T totals, R carrier,
// A additional data, X download authorisations), the slot, the value.
struct Troca { char vetor; size_t slot; std::string valor; };

struct CasoRegra {
  const char* nome;
  int codigo;   // the rule the case breaks; 0: it keeps them all
  std::vector<Troca> trocas = {};
  void (*ajuste)(VetoresNFe&, GeradorXmlNFe&) = nullptr;   // before the slots
  // Changes to the written document, for what the generator never writes.
  std::string (*texto)(std::string) = nullptr;
};
void PrintTo(const CasoRegra& c, std::ostream* os) { *os << c.nome << " " << c.codigo; }

Vetor& VetorDe(VetoresNFe& v, char letra) {
  switch (letra) {
    case 'I': return v.gVetorIde;
    case 'E': return v.gVetorEmitente;
    case 'D': return v.gVetorDestinatario;
    case 'P': return Item(v);
    case 'T': return v.gVetorTotais;
    case 'R': return v.gVetorTransporte;
    case 'A': return v.gVetorInfAdic;
    default: return v.gVetorAutXML;
  }
}

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
  if (c.ajuste) c.ajuste(v, g);
  for (const Troca& t : c.trocas) VetorDe(v, t.vetor)[t.slot] = t.valor;
  g.IdNFe = "NFe" + teste::ChaveDa(v, g.CNPJ, g.UnidadeFederadaCodigo);
  g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                               v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML,
                               "-03:00");
  if (c.texto) xml = c.texto(xml);
  return AssinarXml(xml, "infNFe", teste::CertificadoTeste());
}

// A recipient abroad as the content writes it: no registration, final consumer, place of exit.
void Estrangeiro(VetoresNFe& v, GeradorXmlNFe&) {
  Preenche(v.gVetorDestinatario, {{0, ""}, {6, "9999999"}, {7, "EXTERIOR"}, {8, "EX"}, {9, ""}, {10, "2496"},
                                  {11, "ESTADOS UNIDOS"}, {13, ""}, {37, "9"}});
  Preenche(v.gVetorIde, {{14, "1"}, {34, "3"}});
  Preenche(Item(v), {{5, "7102"}, {18, "41"}});
  Preenche(v.gVetorTotais, {{0, "0.00"}, {1, "0.00"}});
  Preenche(v.gVetorInfAdic, {{2, "SP"}, {3, "SAO PAULO"}});
}

// A recipient of Rio de Janeiro, for the operations between states.
void NoRio(VetoresNFe& v, GeradorXmlNFe&) {
  Preenche(v.gVetorDestinatario, {{6, "3304557"}, {7, "RIO DE JANEIRO"}, {8, "RJ"}, {9, "20010000"}});
}

void Devolucao(VetoresNFe& v, GeradorXmlNFe&) {
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

const std::string kTransportadora = "TRANSPORTADORA X";

const std::vector<CasoRegra> kCasos = {
    {"ExemploPassa", 0},
    // The key.
    {"ChaveComDigitoErrado", 236, {}, nullptr,
     [](std::string x) {
       std::string id = x.substr(x.find("Id=\"NFe") + 7, 44);
       std::string errada = id.substr(0, 43) + (id[43] == '9' ? "0" : std::string(1, static_cast<char>(id[43] + 1)));
       x = TrocaPrimeiro(x, "NFe" + id, "NFe" + errada);
       return TrocaPrimeiro(x, "<cDV>" + id.substr(43) + "</cDV>", "<cDV>" + errada.substr(43) + "</cDV>");
     }},
    {"MesDaChaveDifereDaEmissao", 561, {}, nullptr,
     [](std::string x) { return TrocaPrimeiro(x, "<dhEmi>2016-01-15T10:30:00", "<dhEmi>2016-02-15T10:30:00"); }},
    {"NumeroDifereDaChave", 502, {}, nullptr, [](std::string x) { return TrocaPrimeiro(x, "<nNF>123</nNF>", "<nNF>124</nNF>"); }},
    {"UfDoEmitenteDifereDaAutorizadora", 247, {}, [](VetoresNFe&, GeradorXmlNFe& g) { g.UnidadeFederada = "RJ"; }},
    // Emission.
    {"EmissaoDuasHorasAdiante", 703, {{'I', 7, DaquiA(120)}, {'I', 8, ""}}},
    {"EmissaoTresMinutosAdianteTolerada", 0, {{'I', 7, DaquiA(3)}, {'I', 8, ""}}},
    {"SaidaAntesDaEmissao", 506, {{'I', Ide::dhSaiEnt, "15/01/2016 09:00:00"}}},
    {"JustificativaNaEmissaoNormal", 556, {}, nullptr,
     [](std::string x) {
       return TrocaPrimeiro(x, "</verProc>",
                      "</verProc><dhCont>2016-01-15T10:30:00-03:00</dhCont><xJust>SERVICO DA SEFAZ FORA DO AR</xJust>");
     }},
    {"ContingenciaSvcNaAutoridadeNormal", 570, {{'I', 11, "6"}, {'I', 36, "SERVICO DA SEFAZ FORA DO AR"}}},
    {"ContingenciaOffLine", 711, {{'I', 11, "9"}, {'I', 36, "SEM CONEXAO COM A INTERNET"}}},
    {"DanfeDeNfce", 710, {}, [](VetoresNFe&, GeradorXmlNFe& g) { g.TipoDanfe = "4"; }},
    {"GrupoDePagamento", 768, {}, nullptr,
     [](std::string x) { return TrocaPrimeiro(x, "<infAdic>", "<pag><tPag>01</tPag><vPag>100.00</vPag></pag><infAdic>"); }},
    // Homologation.
    {"NomeDoDestinatarioEmHomologacao", 598, {{'D', Destinatario::xNome, "CLIENTE EXEMPLO S A"}}},
    // Check digits.
    {"CnpjDoEmitente", 207, {}, [](VetoresNFe&, GeradorXmlNFe& g) { g.CNPJ = "11222333000182"; }},
    {"CnpjDoDestinatario", 208, {{'D', Destinatario::CNPJouCPF, "44555666000172"}}},
    {"CpfDoDestinatario", 237, {{'D', 0, "12345678900"}, {'D', 37, "9"}, {'I', Ide::indFinal, "1"}}},
    {"Gtin", 611, {{'P', Produto::cEAN, "7891234567890"}}},
    {"GtinTributavel", 612, {{'P', Produto::cEANTrib, "7891234567891"}}},
    {"ChaveReferenciada", 547, {{'I', Ide::refNFe, "35151244555666000181550010000045671000045672"}}, Devolucao},
    {"MunicipioDoFatoGerador", 270, {{'I', Ide::cMunFG, "3550307"}}},
    {"MunicipioDoDestinatarioDeOutraUf", 275, {{'D', Destinatario::cMun, "3304557"}}},
    {"CnpjAutorizadoParaDownload", 323, {{'X', AutXML::autorizado1, "12345678000100"}}},
    // The recipient.
    {"EstrangeiroContribuinte", 790, {{'D', Destinatario::indIEDest, "1"}}, Estrangeiro},
    {"EstrangeiroPassa", 0, {}, Estrangeiro},
    {"EstrangeiroNoBrasil", 510, {{'D', Destinatario::cPais, "1058"}}, Estrangeiro},
    {"NaoContribuinteSemConsumidorFinal", 696, {{'D', 0, "12345678909"}, {'D', 37, "9"}}},
    {"ContribuinteSemIe", 728, {{'D', Destinatario::IE, ""}}},
    {"IsentoComIe", 791, {}, nullptr,
     [](std::string x) { return TrocaPrimeiro(x, "<indIEDest>1</indIEDest>", "<indIEDest>2</indIEDest>"); }},
    // Destination.
    {"InternaParaOutraUf", 773, {}, NoRio},
    {"CfopInterestadualNaOperacaoInterna", 732, {{'P', Produto::CFOP, "6102"}}},
    {"CfopDeExportacaoNaOperacaoInterna", 731, {{'P', Produto::CFOP, "7102"}}},
    {"CfopDeEntradaNaSaida", 518, {{'P', Produto::CFOP, "1102"}}},
    // Returns and references.
    {"DevolucaoSemReferencia", 321, {{'I', Ide::refNFe, ""}}, Devolucao},
    {"DevolucaoComCfopDeVenda", 327, {{'P', Produto::CFOP, "5102"}}, Devolucao},
    {"CfopDeDevolucaoNaVenda", 328, {{'P', Produto::CFOP, "5202"}}},
    {"DevolucaoPassa", 0, {}, Devolucao},
    {"CupomReferenciadoDuasVezes", 684, {{'I', 17, "2D;2D;"}, {'I', 18, "001;1;"}, {'I', 19, "123;123;"}}},
    // Tax regime.
    {"CstNoSimplesNacional", 590, {{'E', Emitente::CRT, "1"}}},
    {"CsosnNoRegimeNormal", 591, {{'P', 17, "0"}, {'P', 18, "102"}, {'T', 0, "0.00"}, {'T', 1, "0.00"}}},
    // Fuel.
    {"CombustivelSemGrupo", 660, {{'P', 5, "5656"}, {'P', 3, "27101259"}}},
    // Export.
    {"ExportacaoSemLocalDeSaida", 355, {{'A', InfAdic::UFSaidaPais, ""}}, Estrangeiro},
    {"LocalDeSaidaSemExportacao", 356, {{'A', 2, "SP"}, {'A', 3, "SANTOS"}}},
    // Values of the item, with the manual's tolerance of one cent.
    {"ValorDoItemDoisCentavosAcima", 629, {{'P', Produto::vUnCom, "50.0100"}}},
    {"ValorDoItemUmCentavoAcimaTolerado", 0, {{'P', 8, "50.0050"}, {'P', 13, "50.0049"}}},
    {"ValorTributavel", 630, {{'P', Produto::qTrib, "1.9990"}}},
    {"IcmsDiferenteDeBaseVezesAliquota", 528, {{'P', Produto::vICMS, "18.02"}, {'T', Totais::vICMS, "18.02"}}},
    {"IcmsDiferidoQueNaoConfere", 352, {{'P', 18, "51"}, {'P', 22, "6.00"}, {'T', Totais::vICMS, "6.00"}}, nullptr,
     [](std::string x) { return TrocaPrimeiro(x, "<vICMSDif>12.00</vICMSDif>", "<vICMSDif>11.00</vICMSDif>"); }},
    {"ImportadoAcimaDeQuatroPorCentoParaOutraUf", 663,
     {{'I', Ide::idDest, "2"}, {'P', 5, "6102"}, {'P', 17, "1"}}, NoRio},
    {"ItemSemPis", 745, {{'P', Produto::CST_PIS, ""}}},
    // Totals, to the cent.
    {"TotalDosProdutosUmCentavoAcima", 564, {{'T', 4, "100.01"}, {'T', 13, "100.01"}}},
    {"FreteRepetidoSemTotal", 535, {{'P', Produto::vFrete, "10.00"}}},
    {"TotalDoPis", 602, {{'T', Totais::vPIS, "1.66"}}},
    {"TotalDaNota", 610, {{'T', Totais::vNF, "101.00"}}},
    // The carrier.
    {"CnpjDoTransportador", 542, {{'R', 1, "33444555000180"}, {'R', 2, kTransportadora}, {'R', 6, "SP"}}},
    {"IeDoTransportadorSemUf", 559, {{'R', 1, "33444555000181"}, {'R', 2, kTransportadora}, {'R', 3, "112233445566"}}},
};

INSTANTIATE_TEST_SUITE_P(Casos, RegraQuebrada, ::testing::ValuesIn(kCasos),
                         [](const auto& info) { return std::string(info.param.nome); });

// Numbers whose soundness is known from outside this system.
TEST(DigitosVerificadores, NumerosConhecidos) {
  struct Caso { const char* numero; bool (*valido)(std::string_view); bool esperado; } casos[] = {
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
