// Layout 4.00 from the requests front ends send: the 4.00 fields of a
// request reach their slots, and a 3.10 invoice ignores them. (The complete
// example requests as 4.00 invoices: dourados_test.)
#include <gtest/gtest.h>

#include "apoio/arquivos_teste.h"
#include "apoio_conteudo.h"
#include "tabela_tsv.h"

namespace velant::teste_conteudo {
namespace {

// What a 4.00 field of the request writes, at the slot the generator reads (campos400.tsv).
TEST(Campos400, ChegamAoSlot) {
  for (const teste::CasoTsv& c : teste::LerCasosTsv("content/campos400.tsv", false)) {
    SCOPED_TRACE(c.at("caso"));
    std::string cabecalho, item, registro;
    for (const std::string& l : teste::CelulasTsv(c.at("cabecalho"), '|')) cabecalho += l + "\r\n";
    for (const std::string& l : teste::CelulasTsv(c.at("item"), '|')) item += l + "\r\n";
    for (const std::string& l : teste::CelulasTsv(c.at("registro"), '|'))
      registro += "\"" + l.substr(0, l.find('=')) + "\"=\"" + l.substr(l.find('=') + 1) + "\"\r\n";
    // The example with the lines: `cabecalho` before its first item, `item` inside it.
    std::string texto = teste::LerTudo(kPastaDourados / "simples_nacional_nacional.txt");
    texto.insert(texto.find("800-001"), cabecalho);
    texto.insert(texto.find("899-001"), item);
    AmbienteConteudo a;
    ASSERT_TRUE(Preenchidos(a, "simples_nacional_nacional", texto, c.at("leiaute").c_str(), registro));
    for (const teste::SlotTsv& s : teste::SlotsTsv(c.at("slots")))
      EXPECT_EQ(teste::VetorDaLetra(a.vetores, s.vetor).at(s.slot), s.texto) << s.vetor << s.slot;
  }
}

}  // namespace
}  // namespace velant::teste_conteudo
