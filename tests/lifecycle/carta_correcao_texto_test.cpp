#include "lifecycle/carta_correcao_texto.h"

#include <gtest/gtest.h>

#include "tabela_tsv.h"

namespace velant::carta {
namespace {

// Each correction as the front end may send it, the text that would go and
// why it may not (empty: it may).
TEST(CartaCorrecao, TextoNormalizadoEConferido) {
  const std::string mil(1000, 'a');
  struct Caso { const char* nome; std::string enviada, normalizada, recusa; } casos[] = {
      {"quebras e brancos", "  Rua certa:\r\n\tFlores   120  ", "Rua certa: Flores 120", ""},
      {"15 com acentos", "Endereço: nº 9é", "Endereço: nº 9é", ""},
      {"14 depois de normalizada", " Rua das Flores\r\n", "Rua das Flores",
       "Correção com 14 caracteres: o mínimo é 15"},
      {"vazia", "\r\n", "", "Correção com 0 caracteres: o mínimo é 15"},
      {"1000 caracteres em 1002 bytes", mil.substr(2) + "çç", mil.substr(2) + "çç", ""},
      {"1001", mil + "ç", mil + "ç", "Correção com 1001 caracteres: o máximo é 1000"},
      {"fora do Latin-1", "Onde se lê “Flores”, leia-se Rosas", "Onde se lê “Flores”, leia-se Rosas",
       "Correção com caractere não aceito pela SEFAZ: “"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(NormalizaCorrecao(c.enviada), c.normalizada);
    EXPECT_EQ(RecusaCorrecao(NormalizaCorrecao(c.enviada)), c.recusa);
  }
}

// A later letter carries the earlier ones' text; the sum has the same limit.
TEST(CartaCorrecao, AcumulaAsAnterioresAteMil) {
  const std::string nova = "Placa correta ABC1D23";   // 21 characters
  struct Caso { const char* nome; std::string anterior, acumulada, recusa; } casos[] = {
      {"primeira", "", nova, ""},
      {"segunda", "Rua certa: Flores 120", "Rua certa: Flores 120; Placa correta ABC1D23", ""},
      {"soma exata", std::string(977, 'x'), std::string(977, 'x') + "; " + nova, ""},
      {"soma acima", std::string(978, 'x'), std::string(978, 'x') + "; " + nova,
       "Correções somam 1001 caracteres: o máximo é 1000"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string acumulada = AcumulaCorrecoes(c.anterior, nova);
    EXPECT_EQ(acumulada, c.acumulada);
    EXPECT_EQ(RecusaAcumulada(acumulada), c.recusa);
  }
}

// The letter's number from the one asked for and the last one registered (carta_sequencia.tsv).
TEST(CartaCorrecao, Sequencia) {
  for (const teste::Linha& c : teste::LeTabela("carta_sequencia.tsv")) {
    SCOPED_TRACE(c.at("nome"));
    const Sequencia s = SequenciaDaCarta(c.at("pedida"), std::stoi(c.at("ultima")));
    EXPECT_EQ(s.recusa, c.at("recusa"));
    EXPECT_EQ(s.recusa.empty() ? s.numero : 0, std::stoi(c.at("numero")));
  }
}

}  // namespace
}  // namespace velant::carta
