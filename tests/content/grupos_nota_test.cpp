// Identification, issuer, recipient, transport, totals and additional
// information groups.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "apoio_conteudo.h"

namespace velant::teste_conteudo {
namespace {

Valor T(const char* texto) { return Valor(texto); }
const Valor kNulo = Valor::Nulo();

// One invoice of one item, one group routine, the slots it must leave.
struct CasoSlot {
  const char* nome;
  Grupo grupo;
  Colunas colunas;
  Slots esperado;
  Registros registro = {};
  const char* regime = "3";
  friend void PrintTo(const CasoSlot& c, std::ostream* os) { *os << c.nome; }
};

class Slot : public ::testing::TestWithParam<CasoSlot> {};

TEST_P(Slot, Preenchido) {
  const auto& c = GetParam();
  AmbienteConteudo a(c.registro);
  a.atual.RegimeTributario = c.regime;
  a.Item(c.colunas);
  Confere(c.grupo(a), c.esperado);
}

Colunas Natureza(const char* cfop) { return {{"CFOP", T(cfop)}, {"DescNaturezaOp", T("VENDA DE MERCADORIA (SP")}}; }
const Registros kProducao = {{"Ambiente", "1"}};

INSTANTIATE_TEST_SUITE_P(
    Ide, Slot,
    ::testing::Values(
        CasoSlot{"NaturezaEcf6929", Ide, Natureza("6929"), {{Ide::natOp, "VENDA TAMBEM REGISTRADA NO ECF"}}},
        CasoSlot{"NaturezaEcf5929", Ide, Natureza("5929"), {{Ide::natOp, "VENDA TAMBEM REGISTRADA NO ECF"}}},
        CasoSlot{"NaturezaSemPontuacao", Ide, Natureza("5102"), {{Ide::natOp, "VENDA DE MERCADORIA  SP"}}},
        CasoSlot{"PagamentoAVista", Ide, {{"FormaPag", T("1")}}, {{Ide::indPag, "0"}}},
        CasoSlot{"PagamentoAPrazo", Ide, {{"FormaPag", T("2")}}, {{Ide::indPag, "1"}}},
        CasoSlot{"PagamentoForma0", Ide, {{"FormaPag", T("0")}}, {{Ide::indPag, "2"}}},
        CasoSlot{"PagamentoForma3", Ide, {{"FormaPag", T("3")}}, {{Ide::indPag, "2"}}},
        CasoSlot{"PagamentoVazio", Ide, {{"FormaPag", T("")}}, {{Ide::indPag, "2"}}},
        CasoSlot{"PagamentoTexto", Ide, {{"FormaPag", T("A VISTA")}}, {{Ide::indPag, "2"}}},
        // An entry has no "dtentrada" column: no date.
        CasoSlot{"EntradaSemData", Ide, {{"tpNF", Moeda("0")}, {"DtSaida", T("2015-03-06T08:00:00-03:00")}},
                 {{Ide::dhSaiEnt, ""}}},
        CasoSlot{"SaidaNula", Ide, {{"DtSaida", kNulo}}, {{Ide::dhSaiEnt, ""}}},
        CasoSlot{"Saida", Ide, {{"DtSaida", T("2015-03-06T08:00:00-03:00")}},
                 {{Ide::dhSaiEnt, "2015-03-06T08:00:00-03:00"}}},
        CasoSlot{"DestinoEntrada1102", Ide, {{"CFOP", T("1102")}}, {{Ide::idDest, "1"}}},
        CasoSlot{"DestinoInterno5102", Ide, {{"CFOP", T("5102")}}, {{Ide::idDest, "1"}}},
        CasoSlot{"DestinoEntrada2102", Ide, {{"CFOP", T("2102")}}, {{Ide::idDest, "2"}}},
        CasoSlot{"DestinoInterestadual6102", Ide, {{"CFOP", T("6102")}}, {{Ide::idDest, "2"}}},
        CasoSlot{"DestinoImportacao3102", Ide, {{"CFOP", T("3102")}}, {{Ide::idDest, "3"}}},
        CasoSlot{"DestinoExportacao7101", Ide, {{"CFOP", T("7101")}}, {{Ide::idDest, "3"}}},
        CasoSlot{"DestinoCfop9", Ide, {{"CFOP", T("9102")}}, {{Ide::idDest, ""}}},
        CasoSlot{"DestinoCfop4", Ide, {{"CFOP", T("4102")}}, {{Ide::idDest, ""}}},
        CasoSlot{"DestinoSemCfop", Ide, {{"CFOP", T("")}}, {{Ide::idDest, ""}}}),
    [](const auto& i) { return std::string(i.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Emitente, Slot,
    ::testing::Values(
        CasoSlot{"TelefoneSemParentese", Emitente, {{"TelefoneEmp", T("(1932323232")}},
                 {{Emitente::fone, "1932323232"}}},
        CasoSlot{"TelefoneDeUmCaractere", Emitente, {{"TelefoneEmp", T("X")}}, {{Emitente::fone, ""}}},
        CasoSlot{"TelefoneNulo", Emitente, {{"TelefoneEmp", kNulo}}, {{Emitente::fone, ""}}},
        CasoSlot{"TelefoneVazio", Emitente, {{"TelefoneEmp", T("")}}, {{Emitente::fone, ""}}},
        CasoSlot{"InscricaoSoAlgarismos", Emitente, {{"IEEmp", T("244.123.456-7")}}, {{Emitente::IE, "2441234567"}}},
        CasoSlot{"InscricaoIsento", Emitente, {{"IEEmp", T("ISENTO")}}, {{Emitente::IE, ""}}},
        CasoSlot{"InscricaoNula", Emitente, {{"IEEmp", kNulo}}, {{Emitente::IE, ""}}},
        // The slot mapping is the golden lists'; here the cleaning they do not meet.
        CasoSlot{"NomeEEnderecoLimpos", Emitente,
                 {{"RazaoSocialEmp", T("COM\u00C9RCIO & CIA")}, {"LogradouroEmp", T("AV. S\u00C3O JO\u00C3O")},
                  {"NumLgrEmp", T("10-A")}},
                 {{Emitente::xNome, "COMERCIO   CIA"}, {Emitente::xLgr, "AV. SAO JOAO"}, {Emitente::nro, "10-A"}}},
        CasoSlot{"RegimeSimples", Emitente, {}, {{Emitente::CRT, "1"}}, {}, "1"},
        CasoSlot{"RegimeSimplesExcesso", Emitente, {}, {{Emitente::CRT, "3"}}, {}, "2"},
        CasoSlot{"RegimeNormal", Emitente, {}, {{Emitente::CRT, "3"}}, {}, "3"},
        // A regime that does not convert to a number fails the test: its first branch.
        CasoSlot{"RegimeVazio", Emitente, {}, {{Emitente::CRT, "1"}}, {}, ""},
        CasoSlot{"RegimeTexto", Emitente, {}, {{Emitente::CRT, "1"}}, {}, "X"}),
    [](const auto& i) { return std::string(i.param.nome); });

constexpr const char* kHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";
const Registros kHomologa = {{"Ambiente", "2"}};

Colunas Cliente(const char* uf, const char* cgc, const char* ie) {
  return {{"UFCli", T(uf)}, {"CgcCli", T(cgc)}, {"IECli", T(ie)}, {"RazaoSocialCli", T("JOS\u00C9 & FILHOS")},
          {"NomeMunCli", T("S\u00C3O PAULO")}};
}
// Identity (document, name, city, registration) and indicator; the rest of
// the address is the recipient's in every case.
Slots Dest(const char* uf, const char* cgc, const char* nome, const char* mun, const char* ie, const char* ind) {
  return Vazios({Destinatario::nro, Destinatario::xCpl},
                {{Destinatario::CNPJouCPF, cgc}, {Destinatario::xNome, nome}, {Destinatario::xMun, mun},
                 {Destinatario::IE, ie}, {Destinatario::indIEDest, ind}, {Destinatario::xLgr, "RUA A"},
                 {Destinatario::xBairro, "CENTRO"}, {Destinatario::cMun, "3550308"}, {Destinatario::UF, uf},
                 {Destinatario::CEP, "01001000"}, {Destinatario::cPais, "1058"}, {Destinatario::xPais, "BRASIL"},
                 {Destinatario::fone, "1133334444"}});
}

INSTANTIATE_TEST_SUITE_P(
    Destinatario, Slot,
    ::testing::Values(
        CasoSlot{"HomologacaoNacional", Destinatario, Cliente("SP", "12345678000195", "111.222"),
                 Dest("SP", "99999999000191", kHomologacao, "SAO PAULO", "", "2"), kHomologa},
        CasoSlot{"HomologacaoExterior", Destinatario, Cliente("EX", "", ""),
                 Dest("EX", "", kHomologacao, "EXTERIOR", "", "9"), kHomologa},
        CasoSlot{"ProducaoExterior", Destinatario, Cliente("EX", "123", "AB-12"),
                 Dest("EX", "", "JOSE   FILHOS", "EXTERIOR", "12", "9"), kProducao},
        CasoSlot{"ProducaoCpf", Destinatario, Cliente("SP", "12345678901", "111.222"),
                 Dest("SP", "12345678901", "JOSE   FILHOS", "SAO PAULO", "111222", "9"), kProducao},
        CasoSlot{"ProducaoIsento", Destinatario, Cliente("SP", "12345678000195", "isento"),
                 Dest("SP", "12345678000195", "JOSE   FILHOS", "SAO PAULO", "", "9"), kProducao},
        CasoSlot{"ProducaoIsentaMaiusculas", Destinatario, Cliente("SP", "12345678000195", "ISENTA"),
                 Dest("SP", "12345678000195", "JOSE   FILHOS", "SAO PAULO", "", "9"), kProducao},
        CasoSlot{"ProducaoContribuinte", Destinatario, Cliente("SP", "12345678000195", "111.222"),
                 Dest("SP", "12345678000195", "JOSE   FILHOS", "SAO PAULO", "111222", "1"), kProducao},
        // An environment that is neither 1 nor 2 is the last case, whatever the state.
        CasoSlot{"SemAmbienteExterior", Destinatario, Cliente("EX", "123", "77"),
                 Dest("EX", "123", "JOSE   FILHOS", "SAO PAULO", "77", "9")},
        CasoSlot{"SuframaZero", Destinatario, {{"CodSuframaCl", T("0")}}, {{Destinatario::ISUF, ""}}, kProducao},
        CasoSlot{"SuframaNulo", Destinatario, {{"CodSuframaCl", kNulo}}, {{Destinatario::ISUF, ""}}, kProducao},
        CasoSlot{"Suframa", Destinatario, {{"CodSuframaCl", T("123456789")}}, {{Destinatario::ISUF, "123456789"}},
                 kProducao}),
    [](const auto& i) { return std::string(i.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Transporte, Slot,
    ::testing::Values(
        CasoSlot{"TransportadorLimpo", Transporte,
                 {{"RazaoSocialTranspor", T("TRANSPORTES S\u00C3O JO\u00C3O")}, {"IETranspor", T("ISENTO")},
                  {"PlacaTranspor", T("ABC-1234")}, {"UfPlacaTranspor", T("")}, {"PesoBrutoTranspor", kNulo}},
                 {{Transporte::xNome, "TRANSPORTES SAO JOAO"}, {Transporte::IE, ""}, {Transporte::placa, "ABC 1234"},
                  {Transporte::UF_veicTransp, " "}, {Transporte::pesoB, "0.000"}}},
        CasoSlot{"FreteEmitente", Transporte, {{"TipoFrete", Valor(int64_t{1})}}, {{Transporte::modFrete, "0"}}},
        CasoSlot{"FreteDestinatario", Transporte, {{"TipoFrete", Valor(int64_t{2})}}, {{Transporte::modFrete, "1"}}},
        CasoSlot{"FreteTerceiros", Transporte, {{"TipoFrete", Valor(int64_t{3})}}, {{Transporte::modFrete, "2"}}},
        CasoSlot{"SemFrete", Transporte, {{"TipoFrete", Valor(int64_t{9})}}, {{Transporte::modFrete, "9"}}},
        CasoSlot{"FreteZero", Transporte, {{"TipoFrete", Valor(int64_t{0})}}, {{Transporte::modFrete, ""}}},
        CasoSlot{"FreteQuatro", Transporte, {{"TipoFrete", Valor(int64_t{4})}}, {{Transporte::modFrete, ""}}},
        CasoSlot{"FreteNulo", Transporte, {{"TipoFrete", kNulo}}, {{Transporte::modFrete, ""}}}),
    [](const auto& i) { return std::string(i.param.nome); });

// The totals columns of an invoice of 95.00 in products.
Colunas ComTotais(Colunas extras = {}) {
  Colunas c = {{"TotalBCIcmsTot", Moeda("100")}, {"TotalICMStot", Moeda("18")}, {"TotalBCIcmsSub", Moeda("50")},
               {"TotalValorIcmsSub", Moeda("9")}, {"ValorFreteProd", Moeda("7")},  {"TotalIpiTot", Moeda("4")},
               {"TotalPISTot", Moeda("1.65")},   {"TotalCofinsTot", Moeda("7.6")}, {"OutrosTot", Moeda("2")},
               {"TotalNFTot", Moeda("122")},     {"TotalProdTot", Moeda("95")}};
  c.insert(c.end(), extras.begin(), extras.end());
  return c;
}

Colunas Desconto(const char* tpnf, const char* pe, const char* pd) {
  return {{"TotalProdTot", Moeda("95")}, {"tpNF", Moeda(tpnf)}, {"TotalDescontoPe", Moeda(pe)},
          {"TotalDescontoPd", Moeda(pd)}};
}

INSTANTIATE_TEST_SUITE_P(
    TotaisInfAdic, Slot,
    ::testing::Values(
        CasoSlot{"CfopEcfSemIcmsPisCofins", Totais, ComTotais({{"CFOP", T("5929")}}),
                 {{Totais::vBC, "0.00"}, {Totais::vICMS, "0.00"}, {Totais::vPIS, "0.00"}, {Totais::vCOFINS, "0.00"},
                  {Totais::vBCST, "50.00"}, {Totais::vIPI, "4.00"}, {Totais::vNF, "122.00"}}},
        // Entry (0), exit (1) or other: which discount is taken and whether it goes back on the products.
        CasoSlot{"EntradaDescontoPe", Totais, Desconto("0", "3", "5"),
                 {{Totais::vDesc, "3.00"}, {Totais::vProd, "95.00"}}},
        CasoSlot{"EntradaDescontoPd", Totais, Desconto("0", "0", "5"),
                 {{Totais::vDesc, "5.00"}, {Totais::vProd, "100.00"}}},
        CasoSlot{"EntradaSemDesconto", Totais, Desconto("0", "0", "0"),
                 {{Totais::vDesc, "0.00"}, {Totais::vProd, "95.00"}}},
        CasoSlot{"SaidaDescontoPe", Totais, Desconto("1", "3", "5"),
                 {{Totais::vDesc, "3.00"}, {Totais::vProd, "95.00"}}},
        CasoSlot{"SaidaDescontoPd", Totais, Desconto("1", "0", "5"),
                 {{Totais::vDesc, "5.00"}, {Totais::vProd, "100.00"}}},
        CasoSlot{"SaidaSemDesconto", Totais, Desconto("1", "0", "0"),
                 {{Totais::vDesc, "0.00"}, {Totais::vProd, "95.00"}}},
        CasoSlot{"Tipo2DescontoPd", Totais, Desconto("2", "0", "5"),
                 {{Totais::vDesc, "5.00"}, {Totais::vProd, "100.00"}}},
        // tpNF 1, both discounts summed: a Null makes both sums fail.
        CasoSlot{"DescontoNulo", Totais, {{"TotalDescontoPe", kNulo}},
                 {{Totais::vDesc, "0.00"}, {Totais::vProd, "0.00"}}},
        CasoSlot{"SemServicos", Totais, {},
                 Vazios({Totais::vServ, Totais::vBC_ISS, Totais::vISS, Totais::vPIS_ISS, Totais::vCOFINS_ISS})},
        CasoSlot{"Servicos", Totais,
                 {{"ValorServiTot", Moeda("0.5")}, {"BCISSTot", Moeda("0.5")}, {"ValorIssTot", Moeda("0.03")},
                  {"TotalPISTot", Moeda("1.65")}, {"TotalCofinsTot", Moeda("7.6")}},
                 {{Totais::vServ, "0.50"}, {Totais::vBC_ISS, "0.50"}, {Totais::vISS, "0.03"},
                  {Totais::vPIS_ISS, "1.65"}, {Totais::vCOFINS_ISS, "7.60"}}},
        CasoSlot{"InfCplSoPontoEVirgula", InfAdic, {},
                 Vazios({InfAdic::infAdFisco, InfAdic::UFSaidaPais, InfAdic::xLocExporta}, {{InfAdic::infCpl, ";"}})}),
    [](const auto& i) { return std::string(i.param.nome); });

// The bar code goes to both GTIN slots only as an EAN-13 outside prefix 2. The
// slot mapping of an item is the golden lists'; here what they do not meet.
INSTANTIATE_TEST_SUITE_P(
    Item, Slot,
    ::testing::Values(
        CasoSlot{"Ean13", Produto, {{"CodBarras", T("7891234567895")}},
                 {{Produto::cEAN, "7891234567895"}, {Produto::cEANTrib, "7891234567895"}}},
        CasoSlot{"EanPrefixo2", Produto, {{"CodBarras", T("2891234567895")}},
                 Vazios({Produto::cEAN, Produto::cEANTrib})},
        CasoSlot{"Ean8", Produto, {{"CodBarras", T("78912345")}}, Vazios({Produto::cEAN, Produto::cEANTrib})},
        CasoSlot{"Ean14", Produto, {{"CodBarras", T("78912345678951")}}, Vazios({Produto::cEAN, Produto::cEANTrib})},
        CasoSlot{"EanNulo", Produto, {{"CodBarras", kNulo}}, Vazios({Produto::cEAN, Produto::cEANTrib})},
        CasoSlot{"NomeLimpoEValoresNulos", Produto,
                 {{"NomeProd", T("P\u00C3O D'\u00C1GUA\r\nGRANDE")}, {"ValorFreteProd", kNulo},
                  {"DescontoProd", kNulo}},
                 {{Produto::xProd, "PAO D\u00B4AGUA GRANDE"}, {Produto::vFrete, "0.00"}, {Produto::vSeg, "0.00"},
                  {Produto::vDesc, "0.00"}}},
        CasoSlot{"CreditoSnSemTaxa", Produto, {{"CodSitTrib", T("101")}},
                 {{Produto::pCredSN, "0.00"}, {Produto::vCredICMSSN, "0.00"}}, {}, "1"}),
    [](const auto& i) { return std::string(i.param.nome); });

// --- Identification ---------------------------------------------------------

TEST(Ide, ChaveReferenciadaSoAlgarismosEFinalidade) {
  AmbienteConteudo a;
  a.Item();
  a.atual.ChaveReferenciada = "3515-0312 3456.7800-0195 5500 1000 0012 3410 0000 1234";
  a.atual.IndicadorDevolucao = "SIM";
  a.atual.NumeroComplementarIde = 7;
  a.atual.TextoComplementarIde = "COMPLEMENTO";
  Confere(Ide(a), {{Ide::refNFe, "35150312345678000195550010000012341000001234"}, {Ide::finNFe, "4"},
                   {Ide::indFinal, "7"}, {Ide::xJust, "COMPLEMENTO"}});
  a.atual.ChaveReferenciada = "";
  Confere(Ide(a), {{Ide::refNFe, ""}});
  // In 4.00 the letters of an alphanumeric CNPJ stay, in capitals.
  a.atual.LeiauteNFe = "4.00";
  a.atual.ChaveReferenciada = "3526-07 12ab.c345/01de-35 5500 1000 0012 3410 0000 1234";
  Confere(Ide(a), {{Ide::refNFe, "35260712ABC34501DE35550010000012341000001234"}});
}

TEST(Ide, ListasDosCuponsReferenciados) {
  using Cupom = std::tuple<const char*, int16_t, int64_t>;   // a null type loses only its own entry
  const std::pair<std::vector<Cupom>, Slots> casos[] = {
      {{}, Vazios({Ide::modECF, Ide::nECF, Ide::nCOO})},
      {{{"2D", 1, 123}, {"2D", 1, 124}}, {{Ide::modECF, "2D;2D;"}, {Ide::nECF, "1;1;"}, {Ide::nCOO, "123;124;"}}},
      {{{"2D", 1, 123}, {nullptr, 2, 9}}, {{Ide::modECF, "2D;"}, {Ide::nECF, "1;2;"}, {Ide::nCOO, "123;9;"}}}};
  for (const auto& [cupons, esperado] : casos) {
    AmbienteConteudo a;
    a.Item();
    for (const auto& [tipo, ecf, numero] : cupons) a.Cupom(tipo, ecf, numero);
    Confere(Ide(a), esperado);
    EXPECT_EQ(a.vetores.gQtdCuponsRef, static_cast<int16_t>(cupons.size()));
  }
}

TEST(Ide, ColunaAusenteSoDeixaSeuSlotVazio) {
  AmbienteConteudo a;
  a.Item();
  RefazTabelaNota(a.tabelas, "NumeroNF");
  Confere(Ide(a), {{Ide::cNF, ""}, {Ide::nNF, ""}, {Ide::serie, "1"}, {Ide::indPres, "1"}});
}

// --- Issuer, recipient, transport ---------------------------------------------

TEST(Destinatario, InicioEFimNaLista) {
  AmbienteConteudo a(kProducao);
  a.Item();
  ASSERT_EQ(Destinatario(a).size(), 40u);
  EXPECT_TRUE(a.NaLista("        Gerando vetor Destinat\u00E1rio..."));
  EXPECT_TRUE(a.NaLista("        Gerado vetor Destinat\u00E1rio!"));
}

// Rules 790 and 696 of the authority: a recipient abroad is no ICMS
// contributor, and a non-contributor buys as final consumer (Ide::indFinal),
// whatever the request's indicator.
TEST(Destinatario, NaoContribuinteCompraComoConsumidorFinal) {
  struct Caso {
    const char* nome;
    Registros registro;
    Colunas cliente;
    const char* indIEDest;
    const char* indFinal;
  } casos[] = {
      {"Cpf", kProducao, Cliente("SP", "12345678909", "111.222"), "9", "1"},
      {"Isento", kProducao, Cliente("SP", "12345678000195", "ISENTO"), "9", "1"},
      {"ExteriorEmHomologacao", kHomologa, Cliente("EX", "", ""), "9", "1"},
      {"ExteriorEmProducao", kProducao, Cliente("EX", "", "AB-12"), "9", "1"},
      {"Contribuinte", kProducao, Cliente("SP", "12345678000195", "111.222"), "1", "0"},
      {"HomologacaoNoPais", kHomologa, Cliente("SP", "12345678909", ""), "2", "0"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    AmbienteConteudo a(c.registro);
    a.Item(c.cliente);
    a.Pronto();
    Gera_dados_ide(a.ctx);
    Gera_dados_destinatario(a.ctx);
    EXPECT_EQ(a.vetores.gVetorDestinatario[Destinatario::indIEDest], c.indIEDest);
    EXPECT_EQ(a.vetores.gVetorIde[Ide::indFinal], c.indFinal);
  }
}

TEST(Destinatario, ErroRegistraAFaseEPara) {
  AmbienteConteudo a(kProducao);
  a.Item();
  RefazTabelaNota(a.tabelas, "LogradouroCli");
  // Slot 0 was written before the error; 5 and 37 were not reached.
  Confere(Destinatario(a), {{Destinatario::CNPJouCPF, "12345678000195"}, {Destinatario::xBairro, ""},
                            {Destinatario::indIEDest, ""}});
  EXPECT_TRUE(a.NaListaComeco("     ** Erro na Rotina: Gera_dados_destinatario - xFaseLog=70 - "));
  EXPECT_FALSE(a.NaLista("        Gerado vetor Destinat\u00E1rio!"));
}

// --- Totals -------------------------------------------------------------------

struct AmbienteTotais : AmbienteConteudo {
  ConexaoFalsa conexao{ui};
  AmbienteTotais() { ctx.ConexaoBanco = &conexao; }
};


TEST(Totais, IcmsPeloRegimeEPelaSituacaoDaOperacao) {
  struct Caso {
    const char* regime;
    const char* situacao;   // nullptr: no row
    const char* bc;
    const char* icms;
  } casos[] = {
      {"1", "102", "0.00", "0.00"},   {"1", "900", "100.00", "18.00"}, {"1", nullptr, "0.00", "0.00"},
      {"3", "102", "100.00", "18.00"}, {"3", nullptr, "100.00", "18.00"},
      {"", "900", "0.00", "0.00"},    // a regime that does not convert fails the test: its first branch
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(std::string(c.regime) + "/" + (c.situacao ? c.situacao : "-"));
    AmbienteTotais a;
    if (c.situacao != nullptr) a.conexao.situacoes["5102"] = c.situacao;
    a.atual.RegimeTributario = c.regime;
    a.Item(ComTotais());
    Confere(Totais(a), {{Totais::vBC, c.bc}, {Totais::vICMS, c.icms}, {Totais::vPIS, "1.65"},
                        {Totais::vCOFINS, "7.60"}});
    EXPECT_EQ(a.conexao.consultas,
              std::vector<std::string>{"SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5102'"});
  }
}

TEST(Totais, SemConexaoASituacaoE000) {
  AmbienteConteudo a;
  a.atual.RegimeTributario = "1";
  a.vetores.gSituacaoTributaria = "900";   // left by an earlier invoice
  a.Item(ComTotais());
  Confere(Totais(a), {{Totais::vBC, "0.00"}});
  EXPECT_EQ(a.vetores.gSituacaoTributaria, "000");
  EXPECT_EQ(a.ui.Eventos().size(), 1u);

  AmbienteTotais b;
  b.conexao.ativa = false;
  b.conexao.situacoes["5102"] = "900";
  b.atual.RegimeTributario = "1";
  b.Item(ComTotais());
  Confere(Totais(b), {{Totais::vBC, "0.00"}});
  EXPECT_TRUE(b.conexao.consultas.empty());
}

TEST(Totais, AspasDoCfopDobradasNaConsulta) {
  AmbienteTotais a;
  a.Item({{"CFOP", T("5'02")}});
  Totais(a);
  EXPECT_EQ(a.conexao.consultas,
            std::vector<std::string>{"SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5''02'"});
}

// --- Additional information ------------------------------------------------------

TEST(InfAdic, ChaveDevolvidaSoComDevolucao) {
  const std::string chave = "35150312345678000195550010000012341000001234";
  const std::string agrupada =
      "CHAVE DA NFE DEVOLVIDA  3515 0312 3456 7800 0195 5500 1000 0012 3410 0000 1234;OBS  1;";
  const std::tuple<std::string, const char*, std::string> casos[] = {
      {chave, "SIM", agrupada},
      {"", "SIM", "OBS  1;"},
      {chave, "NAO", "OBS  1;"},
      // A key sent already formatted is grouped from its digits.
      {"3515-0312-3456-7800-0195-5500-1000-0012-3410-0000-1234", "SIM", agrupada},
      // A short key leaves its missing places blank.
      {"3515", "SIM", "CHAVE DA NFE DEVOLVIDA  3515" + std::string(50, ' ') + ";OBS  1;"}};
  for (const auto& [referenciada, indicador, esperado] : casos) {
    AmbienteConteudo a;
    a.Item({{"ObsNf", T("OBS: 1")}});
    a.atual.ChaveReferenciada = referenciada;
    a.atual.IndicadorDevolucao = indicador;
    EXPECT_EQ(InfAdic(a)[InfAdic::infCpl], esperado) << referenciada << " " << indicador;
  }
}

TEST(InfAdic, VendedorEObservacaoDaEmissao) {
  AmbienteConteudo a;
  a.Item({{"ObsNf", T("ENTREGAR \u00C0 TARDE")}});
  RefazTabelaNota(a.tabelas, "", "NomeVendedor");
  a.tabelas.TabelaNota.MoveFirst();
  a.tabelas.TabelaNota.SetValue("NomeVendedor", T("JOS\u00C9"));
  a.Pronto();
  a.atual.ObservacaoEmissao = "PEDIDO 9";   // after the queue's parameters, which clear it
  Gera_dados_infAdic(a.ctx);
  EXPECT_EQ(a.vetores.gVetorInfAdic[InfAdic::infCpl], "Vendedor  JOSE;ENTREGAR A TARDE;PEDIDO 9");
  // A Null seller only leaves the seller out, and is no error to log.
  a.tabelas.TabelaNota.SetValue("NomeVendedor", kNulo);
  Gera_dados_infAdic(a.ctx);
  EXPECT_EQ(a.vetores.gVetorInfAdic[InfAdic::infCpl], "ENTREGAR A TARDE;PEDIDO 9");
  EXPECT_FALSE(a.NaListaComeco("     ** Erro ignorado"));
}

TEST(InfAdic, ExteriorLevaEstadoELocalDeEmbarque) {
  AmbienteConteudo a(Registros{{"UnidadeFederada", "SP"}});
  a.Item({{"UFCli", T("EX")}, {"NomeMunEmp", T("S\u00C3O PAULO")}});
  Emitente(a);
  Confere(InfAdic(a), {{InfAdic::UFSaidaPais, "SP"}, {InfAdic::xLocExporta, "SAO PAULO"}});
  a.tabelas.TabelaNota.SetValue("UFCli", T("RJ"));
  Confere(InfAdic(a), {{InfAdic::UFSaidaPais, ""}, {InfAdic::xLocExporta, ""}});
}

}  // namespace
}  // namespace velant::teste_conteudo

namespace velant::teste_conteudo {
namespace {

// A statement skipped by the tolerant error handling leaves a line that names
// the routine, the statement's line and the error, in the list and the file.
TEST(ErroIgnorado, DeixaUmaLinhaComRotinaLinhaEErro) {
  AmbienteConteudo a;   // tables built, no item record: every read fails
  Gera_dados_emitente(a.ctx);
  EXPECT_EQ(a.vetores.gVetorEmitente[Emitente::xNome], "");
  std::vector<std::string> linhas;
  for (const auto& e : a.ui.Eventos()) {
    if (e.rfind("     ** Erro ignorado na Rotina: Gera_dados_emitente (dados_emitente.cpp:", 0) == 0) linhas.push_back(e);
  }
  ASSERT_FALSE(linhas.empty());
  // One line per skipped statement, each naming its own line of the routine.
  std::set<std::string> distintas(linhas.begin(), linhas.end());
  EXPECT_EQ(distintas.size(), linhas.size());
  EXPECT_NE(linhas.front().find(") - 3021 - "), std::string::npos) << linhas.front();
  EXPECT_NE(a.ArquivoLog().find(linhas.front()), std::string::npos);
}

}  // namespace
}  // namespace velant::teste_conteudo
