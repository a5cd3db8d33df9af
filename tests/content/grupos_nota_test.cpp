// Identification, issuer, recipient, transport, totals and additional
// information groups.
#include <gtest/gtest.h>

#include <string>
#include <deque>
#include <map>
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

// A one-item invoice's columns and the slots they fill (slots_colunas.tsv).
TEST(Slot, ColunasNosSeusSlots) {
  const std::map<char, Grupo> grupos = {{'I', Ide},       {'E', Emitente}, {'D', Destinatario}, {'R', Transporte},
                                        {'T', Totais},    {'A', InfAdic},  {'P', Produto}};
  for (const teste::CasoTsv& c : teste::LerCasosTsv("content/slots_colunas.tsv", false)) {
    SCOPED_TRACE(c.at("caso"));
    AmbienteConteudo a(c.at("ambiente").empty() ? Registros{} : Registros{{"Ambiente", c.at("ambiente")}});
    if (!c.at("regime").empty()) a.atual.RegimeTributario = c.at("regime");
    Colunas colunas;
    std::deque<std::string> nomes;   // the names the columns point at
    for (const std::string& par : teste::CelulasTsv(c.at("colunas"), '|')) {
      const std::string valor = par.substr(par.find('=') + 1);
      colunas.emplace_back(nomes.emplace_back(par.substr(0, par.find('='))).c_str(), valor == "(nulo)" ? kNulo : T(valor.c_str()));
    }
    a.Item(colunas);
    const std::vector<teste::SlotTsv> slots = teste::SlotsTsv(c.at("slots"));   // all of one group
    const std::vector<std::string> vetor = grupos.at(slots.at(0).vetor)(a);
    for (const teste::SlotTsv& s : slots) EXPECT_EQ(vetor.at(s.slot), s.texto) << s.vetor << s.slot;
  }
}

TEST(Slot, RegimeENomeDoItem) {
  for (const auto& [regime, crt] : {std::pair{"1", "1"}, {"2", "3"}, {"3", "3"}, {"", "1"}, {"X", "1"}}) {
    AmbienteConteudo a;   // a regime that does not convert to a number fails the test: its first branch
    a.atual.RegimeTributario = regime;
    a.Item();
    EXPECT_EQ(Emitente(a)[Emitente::CRT], crt) << regime;
  }
  AmbienteConteudo a;   // the item's name cleaned, its line break a blank
  a.Item({{"NomeProd", T("P\u00C3O D'\u00C1GUA\r\nGRANDE")}});
  EXPECT_EQ(Produto(a)[Produto::xProd], "PAO D\u00B4AGUA GRANDE");
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
    AmbienteTotais a;   // an invoice of 95.00 in products
    if (situacao != nullptr) a.conexao.situacoes[cfop] = situacao;
    a.atual.RegimeTributario = regime;
    a.Item({{"TotalBCIcmsTot", Moeda("100")}, {"TotalICMStot", Moeda("18")}, {"TotalBCIcmsSub", Moeda("50")},
            {"TotalValorIcmsSub", Moeda("9")}, {"ValorFreteProd", Moeda("7")}, {"TotalIpiTot", Moeda("4")},
            {"TotalPISTot", Moeda("1.65")}, {"TotalCofinsTot", Moeda("7.6")}, {"OutrosTot", Moeda("2")},
            {"TotalNFTot", Moeda("122")}, {"TotalProdTot", Moeda("95")}, {"CFOP", T(cfop)}});
    Confere(Totais(a), {{Totais::vBC, bc}, {Totais::vICMS, icms}, {Totais::vPIS, "1.65"}, {Totais::vCOFINS, "7.60"}});
    EXPECT_EQ(a.conexao.consultas, std::vector<std::string>{"SELECT situacao_tributaria FROM natureza_operacao "
                                                            "WHERE codigo = '" + Replace(cfop, "'", "''") + "'"});
  }
}

}  // namespace
}  // namespace velant::teste_conteudo
