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
        CasoSlot{"NaturezaEcf6929", Ide, Natureza("6929"), {{2, "VENDA TAMBEM REGISTRADA NO ECF"}}},
        CasoSlot{"NaturezaEcf5929", Ide, Natureza("5929"), {{2, "VENDA TAMBEM REGISTRADA NO ECF"}}},
        CasoSlot{"NaturezaSemPontuacao", Ide, Natureza("5102"), {{2, "VENDA DE MERCADORIA  SP"}}},
        CasoSlot{"PagamentoAVista", Ide, {{"FormaPag", T("1")}}, {{3, "0"}}},
        CasoSlot{"PagamentoAPrazo", Ide, {{"FormaPag", T("2")}}, {{3, "1"}}},
        CasoSlot{"PagamentoForma0", Ide, {{"FormaPag", T("0")}}, {{3, "2"}}},
        CasoSlot{"PagamentoForma3", Ide, {{"FormaPag", T("3")}}, {{3, "2"}}},
        CasoSlot{"PagamentoVazio", Ide, {{"FormaPag", T("")}}, {{3, "2"}}},
        CasoSlot{"PagamentoTexto", Ide, {{"FormaPag", T("A VISTA")}}, {{3, "2"}}},
        // An entry has no "dtentrada" column: no date.
        CasoSlot{"EntradaSemData", Ide, {{"tpNF", Moeda("0")}, {"DtSaida", T("2015-03-06T08:00:00-03:00")}}, {{8, ""}}},
        CasoSlot{"SaidaNula", Ide, {{"DtSaida", kNulo}}, {{8, ""}}},
        CasoSlot{"Saida", Ide, {{"DtSaida", T("2015-03-06T08:00:00-03:00")}}, {{8, "2015-03-06T08:00:00-03:00"}}},
        CasoSlot{"DestinoEntrada1102", Ide, {{"CFOP", T("1102")}}, {{34, "1"}}},
        CasoSlot{"DestinoInterno5102", Ide, {{"CFOP", T("5102")}}, {{34, "1"}}},
        CasoSlot{"DestinoEntrada2102", Ide, {{"CFOP", T("2102")}}, {{34, "2"}}},
        CasoSlot{"DestinoInterestadual6102", Ide, {{"CFOP", T("6102")}}, {{34, "2"}}},
        CasoSlot{"DestinoImportacao3102", Ide, {{"CFOP", T("3102")}}, {{34, "3"}}},
        CasoSlot{"DestinoExportacao7101", Ide, {{"CFOP", T("7101")}}, {{34, "3"}}},
        CasoSlot{"DestinoCfop9", Ide, {{"CFOP", T("9102")}}, {{34, ""}}},
        CasoSlot{"DestinoCfop4", Ide, {{"CFOP", T("4102")}}, {{34, ""}}},
        CasoSlot{"DestinoSemCfop", Ide, {{"CFOP", T("")}}, {{34, ""}}}),
    [](const auto& i) { return std::string(i.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Emitente, Slot,
    ::testing::Values(
        CasoSlot{"TelefoneSemParentese", Emitente, {{"TelefoneEmp", T("(1932323232")}}, {{9, "1932323232"}}},
        CasoSlot{"TelefoneDeUmCaractere", Emitente, {{"TelefoneEmp", T("X")}}, {{9, ""}}},
        CasoSlot{"TelefoneNulo", Emitente, {{"TelefoneEmp", kNulo}}, {{9, ""}}},
        CasoSlot{"TelefoneVazio", Emitente, {{"TelefoneEmp", T("")}}, {{9, ""}}},
        CasoSlot{"InscricaoSoAlgarismos", Emitente, {{"IEEmp", T("244.123.456-7")}}, {{10, "2441234567"}}},
        CasoSlot{"InscricaoIsento", Emitente, {{"IEEmp", T("ISENTO")}}, {{10, ""}}},
        CasoSlot{"InscricaoNula", Emitente, {{"IEEmp", kNulo}}, {{10, ""}}},
        // The slot mapping is the golden lists'; here the cleaning they do not meet.
        CasoSlot{"NomeEEnderecoLimpos", Emitente,
                 {{"RazaoSocialEmp", T("COM\u00C9RCIO & CIA")}, {"LogradouroEmp", T("AV. S\u00C3O JO\u00C3O")},
                  {"NumLgrEmp", T("10-A")}},
                 {{0, "COMERCIO   CIA"}, {2, "AV. SAO JOAO"}, {3, "10-A"}}},
        CasoSlot{"RegimeSimples", Emitente, {}, {{14, "1"}}, {}, "1"},
        CasoSlot{"RegimeSimplesExcesso", Emitente, {}, {{14, "3"}}, {}, "2"},
        CasoSlot{"RegimeNormal", Emitente, {}, {{14, "3"}}, {}, "3"},
        // A regime that does not convert to a number fails the test: its first branch.
        CasoSlot{"RegimeVazio", Emitente, {}, {{14, "1"}}, {}, ""},
        CasoSlot{"RegimeTexto", Emitente, {}, {{14, "1"}}, {}, "X"}),
    [](const auto& i) { return std::string(i.param.nome); });

constexpr const char* kHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";
const Registros kHomologa = {{"Ambiente", "2"}};

Colunas Cliente(const char* uf, const char* cgc, const char* ie) {
  return {{"UFCli", T(uf)}, {"CgcCli", T(cgc)}, {"IECli", T(ie)}, {"RazaoSocialCli", T("JOS\u00C9 & FILHOS")},
          {"NomeMunCli", T("S\u00C3O PAULO")}};
}
// Identity (slots 0, 1, 7, 13) and indicator (37); the rest of the address is
// the recipient's in every case.
Slots Dest(const char* uf, const char* cgc, const char* nome, const char* mun, const char* ie, const char* ind) {
  return Vazios({3, 4, 15, 16, 20, 21, 28, 36, 38, 39},
                {{0, cgc}, {1, nome}, {7, mun}, {13, ie}, {37, ind}, {2, "RUA A"}, {5, "CENTRO"}, {6, "3550308"},
                 {8, uf}, {9, "01001000"}, {10, "1058"}, {11, "BRASIL"}, {12, "1133334444"}});
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
        CasoSlot{"SuframaZero", Destinatario, {{"CodSuframaCl", T("0")}}, {{14, ""}}, kProducao},
        CasoSlot{"SuframaNulo", Destinatario, {{"CodSuframaCl", kNulo}}, {{14, ""}}, kProducao},
        CasoSlot{"Suframa", Destinatario, {{"CodSuframaCl", T("123456789")}}, {{14, "123456789"}}, kProducao}),
    [](const auto& i) { return std::string(i.param.nome); });

INSTANTIATE_TEST_SUITE_P(
    Transporte, Slot,
    ::testing::Values(
        CasoSlot{"TransportadorLimpo", Transporte,
                 {{"RazaoSocialTranspor", T("TRANSPORTES S\u00C3O JO\u00C3O")}, {"IETranspor", T("ISENTO")},
                  {"PlacaTranspor", T("ABC-1234")}, {"UfPlacaTranspor", T("")}, {"PesoBrutoTranspor", kNulo}},
                 {{2, "TRANSPORTES SAO JOAO"}, {3, ""}, {7, "ABC 1234"}, {8, " "}, {14, "0.000"}}},
        CasoSlot{"FreteEmitente", Transporte, {{"TipoFrete", Valor(int64_t{1})}}, {{0, "0"}}},
        CasoSlot{"FreteDestinatario", Transporte, {{"TipoFrete", Valor(int64_t{2})}}, {{0, "1"}}},
        CasoSlot{"FreteTerceiros", Transporte, {{"TipoFrete", Valor(int64_t{3})}}, {{0, "2"}}},
        CasoSlot{"SemFrete", Transporte, {{"TipoFrete", Valor(int64_t{9})}}, {{0, "9"}}},
        CasoSlot{"FreteZero", Transporte, {{"TipoFrete", Valor(int64_t{0})}}, {{0, ""}}},
        CasoSlot{"FreteQuatro", Transporte, {{"TipoFrete", Valor(int64_t{4})}}, {{0, ""}}},
        CasoSlot{"FreteNulo", Transporte, {{"TipoFrete", kNulo}}, {{0, ""}}}),
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
                 {{0, "0.00"}, {1, "0.00"}, {10, "0.00"}, {11, "0.00"}, {2, "50.00"}, {9, "4.00"}, {13, "122.00"}}},
        // Entry (0), exit (1) or other: which discount is taken and whether it goes back on the products.
        CasoSlot{"EntradaDescontoPe", Totais, Desconto("0", "3", "5"), {{7, "3.00"}, {4, "95.00"}}},
        CasoSlot{"EntradaDescontoPd", Totais, Desconto("0", "0", "5"), {{7, "5.00"}, {4, "100.00"}}},
        CasoSlot{"EntradaSemDesconto", Totais, Desconto("0", "0", "0"), {{7, "0.00"}, {4, "95.00"}}},
        CasoSlot{"SaidaDescontoPe", Totais, Desconto("1", "3", "5"), {{7, "3.00"}, {4, "95.00"}}},
        CasoSlot{"SaidaDescontoPd", Totais, Desconto("1", "0", "5"), {{7, "5.00"}, {4, "100.00"}}},
        CasoSlot{"SaidaSemDesconto", Totais, Desconto("1", "0", "0"), {{7, "0.00"}, {4, "95.00"}}},
        CasoSlot{"Tipo2DescontoPd", Totais, Desconto("2", "0", "5"), {{7, "5.00"}, {4, "100.00"}}},
        // tpNF 1, both discounts summed: a Null makes both sums fail.
        CasoSlot{"DescontoNulo", Totais, {{"TotalDescontoPe", kNulo}}, {{7, "0.00"}, {4, "0.00"}}},
        CasoSlot{"SemServicos", Totais, {}, Vazios({14, 15, 16, 17, 18})},
        CasoSlot{"Servicos", Totais,
                 {{"ValorServiTot", Moeda("0.5")}, {"BCISSTot", Moeda("0.5")}, {"ValorIssTot", Moeda("0.03")},
                  {"TotalPISTot", Moeda("1.65")}, {"TotalCofinsTot", Moeda("7.6")}},
                 {{14, "0.50"}, {15, "0.50"}, {16, "0.03"}, {17, "1.65"}, {18, "7.60"}}},
        CasoSlot{"InfCplSoPontoEVirgula", InfAdic, {}, Vazios({0, 2, 3, 4, 5, 6, 7, 10}, {{1, ";"}})}),
    [](const auto& i) { return std::string(i.param.nome); });

// The bar code goes to both GTIN slots only as an EAN-13 outside prefix 2. The
// slot mapping of an item is the golden lists'; here what they do not meet.
INSTANTIATE_TEST_SUITE_P(
    Item, Slot,
    ::testing::Values(
        CasoSlot{"Ean13", Produto, {{"CodBarras", T("7891234567895")}}, {{1, "7891234567895"}, {10, "7891234567895"}}},
        CasoSlot{"EanPrefixo2", Produto, {{"CodBarras", T("2891234567895")}}, Vazios({1, 10})},
        CasoSlot{"Ean8", Produto, {{"CodBarras", T("78912345")}}, Vazios({1, 10})},
        CasoSlot{"Ean14", Produto, {{"CodBarras", T("78912345678951")}}, Vazios({1, 10})},
        CasoSlot{"EanNulo", Produto, {{"CodBarras", kNulo}}, Vazios({1, 10})},
        CasoSlot{"NomeLimpoEValoresNulos", Produto,
                 {{"NomeProd", T("P\u00C3O D'\u00C1GUA\r\nGRANDE")}, {"ValorFreteProd", kNulo},
                  {"DescontoProd", kNulo}},
                 {{2, "PAO D\u00B4AGUA GRANDE"}, {14, "0.00"}, {15, "0.00"}, {16, "0.00"}}},
        CasoSlot{"CreditoSnSemTaxa", Produto, {{"CodSitTrib", T("101")}}, {{77, "0.00"}, {78, "0.00"}}, {}, "1"}),
    [](const auto& i) { return std::string(i.param.nome); });

// --- Identification ---------------------------------------------------------

TEST(Ide, ChaveReferenciadaSoAlgarismosEFinalidade) {
  AmbienteConteudo a;
  a.Item();
  a.atual.ChaveReferenciada = "3515-0312 3456.7800-0195 5500 1000 0012 3410 0000 1234";
  a.atual.IndicadorDevolucao = "SIM";
  a.atual.NumeroComplementarIde = 7;
  a.atual.TextoComplementarIde = "COMPLEMENTO";
  Confere(Ide(a), {{13, "35150312345678000195550010000012341000001234"}, {12, "4"}, {14, "7"}, {36, "COMPLEMENTO"}});
  a.atual.ChaveReferenciada = "";
  Confere(Ide(a), {{13, ""}});
}

TEST(Ide, ListasDosCuponsReferenciados) {
  using Cupom = std::tuple<const char*, int16_t, int64_t>;   // a null type loses only its own entry
  const std::pair<std::vector<Cupom>, Slots> casos[] = {
      {{}, Vazios({17, 18, 19})},
      {{{"2D", 1, 123}, {"2D", 1, 124}}, {{17, "2D;2D;"}, {18, "1;1;"}, {19, "123;124;"}}},
      {{{"2D", 1, 123}, {nullptr, 2, 9}}, {{17, "2D;"}, {18, "1;2;"}, {19, "123;9;"}}}};
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
  Confere(Ide(a), {{1, ""}, {6, ""}, {5, "1"}, {35, "1"}});
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
// contributor, and a non-contributor buys as final consumer (ide slot 14),
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
    EXPECT_EQ(a.vetores.gVetorDestinatario[37], c.indIEDest);
    EXPECT_EQ(a.vetores.gVetorIde[14], c.indFinal);
  }
}

TEST(Destinatario, ErroRegistraAFaseEPara) {
  AmbienteConteudo a(kProducao);
  a.Item();
  RefazTabelaNota(a.tabelas, "LogradouroCli");
  // Slot 0 was written before the error; 5 and 37 were not reached.
  Confere(Destinatario(a), {{0, "12345678000195"}, {5, ""}, {37, ""}});
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
    Confere(Totais(a), {{0, c.bc}, {1, c.icms}, {10, "1.65"}, {11, "7.60"}});
    EXPECT_EQ(a.conexao.consultas,
              std::vector<std::string>{"SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '5102'"});
  }
}

TEST(Totais, SemConexaoASituacaoE000) {
  AmbienteConteudo a;
  a.atual.RegimeTributario = "1";
  a.vetores.gSituacaoTributaria = "900";   // left by an earlier invoice
  a.Item(ComTotais());
  Confere(Totais(a), {{0, "0.00"}});
  EXPECT_EQ(a.vetores.gSituacaoTributaria, "000");
  EXPECT_EQ(a.ui.Eventos().size(), 1u);

  AmbienteTotais b;
  b.conexao.ativa = false;
  b.conexao.situacoes["5102"] = "900";
  b.atual.RegimeTributario = "1";
  b.Item(ComTotais());
  Confere(Totais(b), {{0, "0.00"}});
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
    EXPECT_EQ(InfAdic(a)[1], esperado) << referenciada << " " << indicador;
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
  EXPECT_EQ(a.vetores.gVetorInfAdic[1], "Vendedor  JOSE;ENTREGAR A TARDE;PEDIDO 9");
  // A Null seller only leaves the seller out.
  a.tabelas.TabelaNota.SetValue("NomeVendedor", kNulo);
  Gera_dados_infAdic(a.ctx);
  EXPECT_EQ(a.vetores.gVetorInfAdic[1], "ENTREGAR A TARDE;PEDIDO 9");
}

TEST(InfAdic, ExteriorLevaEstadoELocalDeEmbarque) {
  AmbienteConteudo a(Registros{{"UnidadeFederada", "SP"}});
  a.Item({{"UFCli", T("EX")}, {"NomeMunEmp", T("S\u00C3O PAULO")}});
  Emitente(a);
  Confere(InfAdic(a), {{2, "SP"}, {3, "SAO PAULO"}});
  a.tabelas.TabelaNota.SetValue("UFCli", T("RJ"));
  Confere(InfAdic(a), {{2, ""}, {3, ""}});
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
  EXPECT_EQ(a.vetores.gVetorEmitente[0], "");
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
