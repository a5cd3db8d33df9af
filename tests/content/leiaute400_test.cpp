// Layout 4.00 from the requests front ends send: the complete example
// requests, which carry none of the 4.00 fields, become 4.00 invoices the
// official schema, Debian's xmlsec1 and the authority's rules accept; the
// 4.00 fields of a request reach their slots, and a 3.10 invoice ignores them.
#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/arquivos_teste.h"
#include "apoio_conteudo.h"
#include "tabela_tsv.h"
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

// What a 4.00 field of the request writes, at the slot the generator reads (campos400.tsv).
TEST(Campos400, ChegamAoSlot) {
  for (const teste::CasoTsv& c : teste::LerCasosTsv("content/campos400.tsv", false)) {
    SCOPED_TRACE(c.at("caso"));
    std::string cabecalho, item, registro;
    for (const std::string& l : teste::CelulasTsv(c.at("cabecalho"), '|')) cabecalho += l + "\r\n";
    for (const std::string& l : teste::CelulasTsv(c.at("item"), '|')) item += l + "\r\n";
    for (const std::string& l : teste::CelulasTsv(c.at("registro"), '|'))
      registro += "\"" + l.substr(0, l.find('=')) + "\"=\"" + l.substr(l.find('=') + 1) + "\"\r\n";
    AmbienteConteudo a;
    ASSERT_TRUE(Preenchidos(a, "simples_nacional_nacional", Solicitacao("simples_nacional_nacional", cabecalho, item),
                            c.at("leiaute").c_str(), registro));
    for (const teste::SlotTsv& s : teste::SlotsTsv(c.at("slots")))
      EXPECT_EQ(teste::VetorDaLetra(a.vetores, s.vetor).at(s.slot), s.texto) << s.vetor << s.slot;
  }
}

}  // namespace
}  // namespace velant::teste_conteudo
