// Identification, issuer, recipient, transport, totals and additional
// information groups.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "apoio_conteudo.h"
#include "tabela_tsv.h"
#include "base/texto.h"

namespace velant::teste_conteudo {
namespace {

Valor T(const char* texto) { return texto == nullptr ? Valor::Nulo() : Valor(texto); }
const Valor kNulo = Valor::Nulo();
const Registros kProducao = {{"Ambiente", "1"}};
const Registros kHomologa = {{"Ambiente", "2"}};

// One column of a one-item invoice and the slots it fills (slot_coluna.tsv).
TEST(Slot, CadaValorDaColunaNoSeuSlot) {
  const std::map<char, Grupo> grupos = {{'I', Ide}, {'E', Emitente}, {'D', Destinatario}, {'R', Transporte}, {'P', Produto}};
  for (const teste::LinhaTsv& c : teste::LerTsv(std::filesystem::path(VELANT_TESTES) / "content" / "slot_coluna.tsv")) {
    SCOPED_TRACE(c.at("coluna") + " = " + c.at("valor"));
    AmbienteConteudo a(kProducao);
    a.Item({{c.at("coluna").c_str(), c.at("valor") == "(nulo)" ? kNulo : Valor(c.at("valor"))}});
    const std::vector<teste::SlotTsv> slots = teste::SlotsTsv(c.at("slots"));   // all of one group
    const std::vector<std::string> vetor = grupos.at(slots.at(0).vetor)(a);
    for (const teste::SlotTsv& s : slots) EXPECT_EQ(vetor.at(s.slot), s.texto) << s.vetor << s.slot;
  }
  for (const auto& [regime, crt] : {std::pair{"1", "1"}, {"2", "3"}, {"3", "3"}, {"", "1"}, {"X", "1"}}) {
    AmbienteConteudo a;   // a regime that does not convert to a number fails the test: its first branch
    a.atual.RegimeTributario = regime;
    a.Item();
    EXPECT_EQ(Emitente(a)[Emitente::CRT], crt) << regime;
  }
}

// Several columns, several slots.
struct CasoSlot {
  const char* nome;
  Grupo grupo;
  Colunas colunas;
  Slots esperado;
  Registros registro = {};
  const char* regime = "3";
};

void ConfereCaso(const CasoSlot& c) {
  SCOPED_TRACE(c.nome);
  AmbienteConteudo a(c.registro);
  a.atual.RegimeTributario = c.regime;
  a.Item(c.colunas);
  Confere(c.grupo(a), c.esperado);
}

Colunas Natureza(const char* cfop) { return {{"CFOP", T(cfop)}, {"DescNaturezaOp", T("VENDA DE MERCADORIA (SP")}}; }

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
Slots DescontoEProdutos(const char* desconto, const char* produtos) {
  return {{Totais::vDesc, desconto}, {Totais::vProd, produtos}};
}

TEST(Slot, VariasColunasEVariosSlots) {
  const CasoSlot casos[] = {
      {"NaturezaEcf6929", Ide, Natureza("6929"), {{Ide::natOp, "VENDA TAMBEM REGISTRADA NO ECF"}}},
      {"NaturezaEcf5929", Ide, Natureza("5929"), {{Ide::natOp, "VENDA TAMBEM REGISTRADA NO ECF"}}},
      {"NaturezaSemPontuacao", Ide, Natureza("5102"), {{Ide::natOp, "VENDA DE MERCADORIA  SP"}}},
      // An entry has no "dtentrada" column: no date.
      {"EntradaSemData", Ide, {{"tpNF", Moeda("0")}, {"DtSaida", T("2015-03-06T08:00:00-03:00")}},
       {{Ide::dhSaiEnt, ""}}},
      // The slot mapping is the golden lists'; here the cleaning they do not meet.
      {"EmitenteLimpo", Emitente,
       {{"RazaoSocialEmp", T("COM\u00C9RCIO & CIA")}, {"LogradouroEmp", T("AV. S\u00C3O JO\u00C3O")},
        {"NumLgrEmp", T("10-A")}},
       {{Emitente::xNome, "COMERCIO   CIA"}, {Emitente::xLgr, "AV. SAO JOAO"}, {Emitente::nro, "10-A"}}},
      {"TransportadorLimpo", Transporte,
       {{"RazaoSocialTranspor", T("TRANSPORTES S\u00C3O JO\u00C3O")}, {"IETranspor", T("ISENTO")},
        {"PlacaTranspor", T("ABC-1234")}, {"UfPlacaTranspor", T("")}, {"PesoBrutoTranspor", kNulo}},
       {{Transporte::xNome, "TRANSPORTES SAO JOAO"}, {Transporte::IE, ""}, {Transporte::placa, "ABC 1234"},
        {Transporte::UF_veicTransp, " "}, {Transporte::pesoB, "0.000"}}},
      {"CfopEcfSemIcmsPisCofins", Totais, ComTotais({{"CFOP", T("5929")}}),
       {{Totais::vBC, "0.00"}, {Totais::vICMS, "0.00"}, {Totais::vPIS, "0.00"}, {Totais::vCOFINS, "0.00"},
        {Totais::vBCST, "50.00"}, {Totais::vIPI, "4.00"}, {Totais::vNF, "122.00"}}},
      // Entry (0), exit (1) or other: which discount is taken and whether it goes back on the products.
      {"EntradaDescontoPe", Totais, Desconto("0", "3", "5"), DescontoEProdutos("3.00", "95.00")},
      {"EntradaDescontoPd", Totais, Desconto("0", "0", "5"), DescontoEProdutos("5.00", "100.00")},
      {"EntradaSemDesconto", Totais, Desconto("0", "0", "0"), DescontoEProdutos("0.00", "95.00")},
      {"SaidaDescontoPe", Totais, Desconto("1", "3", "5"), DescontoEProdutos("3.00", "95.00")},
      {"SaidaDescontoPd", Totais, Desconto("1", "0", "5"), DescontoEProdutos("5.00", "100.00")},
      {"SaidaSemDesconto", Totais, Desconto("1", "0", "0"), DescontoEProdutos("0.00", "95.00")},
      {"Tipo2DescontoPd", Totais, Desconto("2", "0", "5"), DescontoEProdutos("5.00", "100.00")},
      // tpNF 1, both discounts summed: a Null makes both sums fail.
      {"DescontoNulo", Totais, {{"TotalDescontoPe", kNulo}}, DescontoEProdutos("0.00", "0.00")},
      {"SemServicos", Totais, {},
       Vazios({Totais::vServ, Totais::vBC_ISS, Totais::vISS, Totais::vPIS_ISS, Totais::vCOFINS_ISS})},
      {"Servicos", Totais,
       {{"ValorServiTot", Moeda("0.5")}, {"BCISSTot", Moeda("0.5")}, {"ValorIssTot", Moeda("0.03")},
        {"TotalPISTot", Moeda("1.65")}, {"TotalCofinsTot", Moeda("7.6")}},
       {{Totais::vServ, "0.50"}, {Totais::vBC_ISS, "0.50"}, {Totais::vISS, "0.03"}, {Totais::vPIS_ISS, "1.65"},
        {Totais::vCOFINS_ISS, "7.60"}}},
      {"InfCplSoPontoEVirgula", InfAdic, {},
       Vazios({InfAdic::infAdFisco, InfAdic::UFSaidaPais, InfAdic::xLocExporta}, {{InfAdic::infCpl, ";"}})},
      {"NomeDoItemLimpoEValoresNulos", Produto,
       {{"NomeProd", T("P\u00C3O D'\u00C1GUA\r\nGRANDE")}, {"ValorFreteProd", kNulo}, {"DescontoProd", kNulo}},
       {{Produto::xProd, "PAO D\u00B4AGUA GRANDE"}, {Produto::vFrete, "0.00"}, {Produto::vSeg, "0.00"},
        {Produto::vDesc, "0.00"}}},
      {"CreditoSnSemTaxa", Produto, {{"CodSitTrib", T("101")}},
       {{Produto::pCredSN, "0.00"}, {Produto::vCredICMSSN, "0.00"}}, {}, "1"},
  };
  for (const auto& c : casos) ConfereCaso(c);
}

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

// The recipient by environment, document and registration; the rest of the
// address is the request's in every case. Rules 790 and 696 of the authority:
// a recipient abroad is no ICMS contributor, and a non-contributor buys as
// final consumer (Ide::indFinal), whatever the request's indicator.
TEST(Destinatario, IdentidadeEConsumidorFinal) {
  const std::string h = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";
  const std::tuple<Registros, const char*, const char*, const char*, std::string> casos[] = {
      // registry, UF, document, registration -> document|name|city|IE|indIEDest|indFinal
      {kHomologa, "SP", "12345678000195", "111.222", "99999999000191|" + h + "|SAO PAULO||2|0"},
      {kHomologa, "EX", "", "", "|" + h + "|EXTERIOR||9|1"},
      {kProducao, "EX", "123", "AB-12", "|JOSE   FILHOS|EXTERIOR|12|9|1"},
      {kProducao, "SP", "12345678901", "111.222", "12345678901|JOSE   FILHOS|SAO PAULO|111222|9|1"},
      {kProducao, "SP", "12345678000195", "isento", "12345678000195|JOSE   FILHOS|SAO PAULO||9|1"},
      {kProducao, "SP", "12345678000195", "ISENTA", "12345678000195|JOSE   FILHOS|SAO PAULO||9|1"},
      {kProducao, "SP", "12345678000195", "111.222", "12345678000195|JOSE   FILHOS|SAO PAULO|111222|1|0"},
      // An environment that is neither 1 nor 2 is the last case, whatever the state.
      {{}, "EX", "123", "77", "123|JOSE   FILHOS|SAO PAULO|77|9|1"},
  };
  for (const auto& [registro, uf, cgc, ie, esperado] : casos) {
    AmbienteConteudo a(registro);
    a.Item({{"UFCli", T(uf)}, {"CgcCli", T(cgc)}, {"IECli", T(ie)}, {"RazaoSocialCli", T("JOS\u00C9 & FILHOS")},
            {"NomeMunCli", T("S\u00C3O PAULO")}});
    Ide(a);
    const auto& d = Destinatario(a);
    using namespace velant::Destinatario;
    EXPECT_EQ(d[CNPJouCPF] + "|" + d[xNome] + "|" + d[xMun] + "|" + d[IE] + "|" + d[indIEDest] + "|" +
                  a.vetores.gVetorIde[Ide::indFinal], esperado);
    EXPECT_EQ(d[xLgr] + "|" + d[nro] + "|" + d[xCpl] + "|" + d[xBairro] + "|" + d[cMun] + "|" + d[UF] + "|" + d[CEP] +
                  "|" + d[cPais] + "|" + d[xPais] + "|" + d[fone], std::string("RUA A|||CENTRO|3550308|") + uf +
                  "|01001000|1058|BRASIL|1133334444");
  }
}

// --- Totals -------------------------------------------------------------------

struct AmbienteTotais : AmbienteConteudo {
  ConexaoFalsa conexao{ui};
  AmbienteTotais() { ctx.ConexaoBanco = &conexao; }
};

TEST(Totais, IcmsPeloRegimeEPelaSituacaoDaOperacao) {
  const std::tuple<const char*, const char*, const char*, const char*, const char*> casos[] = {
      // regime, CFOP, its situation (nullptr: no row), vBC, vICMS
      {"1", "5102", "102", "0.00", "0.00"},   {"1", "5102", "900", "100.00", "18.00"},
      {"1", "5102", nullptr, "0.00", "0.00"}, {"3", "5102", "102", "100.00", "18.00"},
      {"3", "5'02", nullptr, "100.00", "18.00"},
      {"", "5102", "900", "0.00", "0.00"},   // a regime that does not convert fails the test: its first branch
  };
  for (const auto& [regime, cfop, situacao, bc, icms] : casos) {
    SCOPED_TRACE(std::string(regime) + "/" + cfop + "/" + (situacao ? situacao : "-"));
    AmbienteTotais a;
    if (situacao != nullptr) a.conexao.situacoes[cfop] = situacao;
    a.atual.RegimeTributario = regime;
    a.Item(ComTotais({{"CFOP", T(cfop)}}));
    Confere(Totais(a), {{Totais::vBC, bc}, {Totais::vICMS, icms}, {Totais::vPIS, "1.65"}, {Totais::vCOFINS, "7.60"}});
    EXPECT_EQ(a.conexao.consultas, std::vector<std::string>{"SELECT situacao_tributaria FROM natureza_operacao "
                                                            "WHERE codigo = '" + Replace(cfop, "'", "''") + "'"});
  }
}

// --- Additional information ------------------------------------------------------

TEST(InfAdic, ChaveDevolvidaSoComDevolucao) {
  const std::string chave = "35150312345678000195550010000012341000001234";
  const std::string agrupada =
      "CHAVE DA NFE DEVOLVIDA  3515 0312 3456 7800 0195 5500 1000 0012 3410 0000 1234;OBS  1;";
  const std::tuple<std::string, const char*, std::string> casos[] = {
      {chave, "SIM", agrupada}, {"", "SIM", "OBS  1;"}, {chave, "NAO", "OBS  1;"},
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

}  // namespace
}  // namespace velant::teste_conteudo
