// Layout 4.00 from the requests front ends send: the complete example
// requests, which carry none of the 4.00 fields, become 4.00 invoices the
// official schema, Debian's xmlsec1 and the authority's rules accept; the
// 4.00 fields of a request reach their slots, and a 3.10 invoice ignores them.
#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/arquivos_teste.h"
#include "apoio_conteudo.h"
#include "component/apoio_documento.h"
#include "component/apoio_regras.h"

namespace velant::teste_conteudo {
namespace {

// The request with extra lines: `cabecalho` before the first item, `item` inside it.
std::string Solicitacao(const char* nome, const std::string& cabecalho = "", const std::string& item = "") {
  std::string texto = teste::LerTudo(kPastaDourados / (std::string(nome) + ".txt"));
  if (!cabecalho.empty()) texto.insert(texto.find("800-001"), cabecalho);
  if (!item.empty()) texto.insert(texto.find("899-001"), item);
  return texto;
}

class Exemplo400 : public ::testing::TestWithParam<const char*> {};

TEST_P(Exemplo400, SolicitacaoAntigaDaNota400Aceita) {
  AmbienteConteudo a;
  ASSERT_TRUE(Preenchidos(a, GetParam(), Solicitacao(GetParam()), "4.00"));
  std::string assinado = AssinadoDosVetores(a, "4.00");
  EXPECT_TRUE(teste::AceitaNoEsquema400ENoXmlsec(assinado, a.raiz / "nota400.xml"));
  teste::ConfereRegraLocal(assinado, 0);
}

INSTANTIATE_TEST_SUITE_P(Solicitacoes, Exemplo400,
                         ::testing::Values("simples_nacional_nacional", "simples_nacional_exterior",
                                           "regime_normal_st_combustivel", "devolucao_cupons"),
                         [](const auto& info) { return std::string(info.param); });

// What a 4.00 field of the request writes, at the slot the generator reads.
struct Campo400 {
  const char* nome;
  const char* leiaute;
  const char* cabecalho;   // lines before the first item
  const char* item;        // lines of the first item
  const char* registro;    // more registry values
  Slots ide, produto, totais;
};

constexpr const char* kPadroesReforma =
    "\"CSTIBSCBSPadrao\"=\"000\"\r\n\"cClassTribPadrao\"=\"000001\"\r\n\"CodigoMunicipioFGIBS\"=\"3550308\"\r\n";

TEST(Campos400, ChegamAoSlot) {
  const Campo400 casos[] = {
      {"PagamentoSemCampoNemRegistro", "4.00", "", "", "", {{Ide::tPag, ""}, {Ide::vTroco, ""}}, {}, {}},
      {"PagamentoDoRegistro", "4.00", "", "", "\"TipoPagamentoPadrao\"=\"15\"\r\n", {{Ide::tPag, "15"}}, {}, {}},
      {"PagamentoDoCampoAntesDoRegistro", "4.00", "400-000 = 03\r\n", "", "\"TipoPagamentoPadrao\"=\"15\"\r\n",
       {{Ide::tPag, "03"}}, {}, {}},
      {"CartaoETroco", "4.00",
       "400-000 = 03\r\n402-000 = 20,00\r\n403-000 = 2\r\n404-000 = 01.027.058/0001-91\r\n405-000 = 02\r\n"
       "406-000 = A1B2\r\n407-000 = 1\r\n", "", "",
       {{Ide::vTroco, "20.00"}, {Ide::tpIntegra, "2"}, {Ide::CNPJ_card, "01.027.058/0001-91"}, {Ide::tBand, "02"},
        {Ide::cAut, "A1B2"}, {Ide::indIntermed, "1"}}, {}, {}},
      // The example's first item has CSOSN 101 and no fund: the fund of the
      // request reaches the item and the total sums it.
      {"FundoDePobrezaSomadoNoTotal", "4.00", "", "510-001 = 100,00\r\n511-001 = 2\r\n512-001 = 2,00\r\n515-001 = 0\r\n",
       "", {},
       {{Produto::vBCFCP, "100.00"}, {Produto::pFCP, "2.0000"}, {Produto::vFCP, "2.00"}, {Produto::vFCPST, ""}},
       {{Totais::vFCP, "2.00"}, {Totais::vFCPST, "0.00"}, {Totais::vFCPSTRet, "0.00"}, {Totais::vIPIDevol, "0.00"}}},
      {"LoteEBeneficio", "4.00", "",
       "520-001 = SP010001\r\n521-001 = L-77\r\n522-001 = 4\r\n523-001 = 01/02/2015\r\n524-001 = 01/02/2016\r\n", "",
       {},
       {{Produto::cBenef, "SP010001"}, {Produto::nLote, "L-77"}, {Produto::qLote, "4.0000"},
        {Produto::dFab, "01/02/2015"}, {Produto::dVal, "01/02/2016"}, {Produto::cAgreg, ""}}, {}},
      // Tax reform: an old request takes the issuer's defaults; an item's own
      // codes win over them; without either the item has no group.
      {"ReformaDoPadraoDoRegistro", "4.00", "", "", kPadroesReforma, {{Ide::cMunFGIBS, "3550308"}},
       {{Produto::CST_IBSCBS, "000"}, {Produto::cClassTrib, "000001"}, {Produto::pIBSUF, ""}, {Produto::pRedAliq, ""},
        {Produto::CSTIS, ""}}, {}},
      {"ReformaDoItemAntesDoPadrao", "4.00", "",
       "530-001 = 200\r\n531-001 = 200028\r\n532-001 = 0,1\r\n533-001 = 0\r\n534-001 = 0,9\r\n535-001 = 60\r\n"
       "536-001 = 10\r\n537-001 = 000\r\n538-001 = 000001\r\n539-001 = 5\r\n", kPadroesReforma, {},
       {{Produto::CST_IBSCBS, "200"}, {Produto::cClassTrib, "200028"}, {Produto::pIBSUF, "0.1000"},
        {Produto::pIBSMun, ""}, {Produto::pCBS, "0.9000"}, {Produto::pRedAliq, "60.0000"},
        {Produto::pDif_IBSCBS, "10.0000"}, {Produto::CSTIS, "000"}, {Produto::cClassTribIS, "000001"},
        {Produto::pIS, "5.0000"}}, {}},
      {"ReformaSemPadraoNemCampo", "4.00", "", "", "", {{Ide::cMunFGIBS, ""}},
       {{Produto::CST_IBSCBS, ""}, {Produto::cClassTrib, ""}}, {}},
      // A 3.10 invoice leaves every 4.00 slot empty, whatever the request says.
      {"Leiaute310IgnoraOsCampos", "3.10", "400-000 = 03\r\n402-000 = 20,00\r\n",
       "511-001 = 2\r\n512-001 = 2,00\r\n521-001 = L-77\r\n530-001 = 000\r\n",
       "\"TipoPagamentoPadrao\"=\"15\"\r\n\"CSTIBSCBSPadrao\"=\"000\"\r\n", {{Ide::tPag, ""}, {Ide::vTroco, ""}},
       {{Produto::pFCP, ""}, {Produto::nLote, ""}, {Produto::CST_IBSCBS, ""}},
       {{Totais::vFCP, ""}, {Totais::vIPIDevol, ""}}},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    AmbienteConteudo a;
    ASSERT_TRUE(Preenchidos(a, "simples_nacional_nacional",
                         Solicitacao("simples_nacional_nacional", c.cabecalho, c.item), c.leiaute, c.registro));
    Confere(a.vetores.gVetorIde, c.ide);
    Confere(a.vetores.gVetorProdutos.at(0), c.produto);
    Confere(a.vetores.gVetorTotais, c.totais);
  }
}

// An alphanumeric CNPJ of the recipient and of the carrier keeps its letters
// from the request to the slots (the generator drops the punctuation).
TEST(Campos400Cnpj, LetrasDoCnpjChegamAosSlots) {
  AmbienteConteudo a;
  std::string texto = Solicitacao("simples_nacional_nacional", "350-000 = 12.ABC.345/01DE-35\r\n");
  texto.replace(texto.find("219-000 = 12345678000195"), 24, "219-000 = 12ABC34501DE35");
  ASSERT_TRUE(Preenchidos(a, "simples_nacional_nacional", texto, "4.00"));
  EXPECT_EQ(a.vetores.gVetorDestinatario[Destinatario::CNPJouCPF], "12ABC34501DE35");
  EXPECT_EQ(a.vetores.gVetorDestinatario[Destinatario::indIEDest], "1");
  EXPECT_EQ(a.vetores.gVetorTransporte[Transporte::CNPJouCPF], "12.ABC.345/01DE-35");
}

// The payment of one request never reaches the next one.
TEST(Campos400EmSequencia, PagamentoNaoPassaParaASolicitacaoSeguinte) {
  AmbienteConteudo a;
  ASSERT_TRUE(Preenchidos(a, "simples_nacional_nacional",
                       Solicitacao("simples_nacional_nacional", "400-000 = 03\r\n402-000 = 5,00\r\n403-000 = 1\r\n"),
                       "4.00"));
  ASSERT_EQ(a.vetores.gVetorIde[Ide::tPag], "03");
  ASSERT_TRUE(Preenchidos(a, "simples_nacional_nacional", Solicitacao("simples_nacional_nacional"), "4.00"));
  Confere(a.vetores.gVetorIde, {{Ide::tPag, ""}, {Ide::vTroco, ""}, {Ide::tpIntegra, ""}});
}

}  // namespace
}  // namespace velant::teste_conteudo
