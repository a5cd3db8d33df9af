#include "lifecycle/carta_correcao_texto.h"

#include <gtest/gtest.h>

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

TEST(CartaCorrecao, Sequencia) {
  struct Caso { const char* pedida; int ultima; int numero; std::string recusa; } casos[] = {
      {"", 0, 1, ""},
      {" 7 ", 0, 7, ""},
      {"02", 5, 2, ""},   // an earlier one again: the authority judges the duplicate
      {"20", 0, 20, ""},
      {"", 20, 21, "Limite de 20 cartas de correção da NF-e atingido"},
      {"21", 0, 0, "Sequência da carta de correção inválida (053-000): 21"},
      {"0", 0, 0, "Sequência da carta de correção inválida (053-000): 0"},
      {"2a", 0, 0, "Sequência da carta de correção inválida (053-000): 2a"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(std::string("pedida '") + c.pedida + "' última " + std::to_string(c.ultima));
    const Sequencia s = SequenciaDaCarta(c.pedida, c.ultima);
    EXPECT_EQ(s.recusa, c.recusa);
    if (c.recusa.empty()) {
      EXPECT_EQ(s.numero, c.numero);
    }
  }
}

}  // namespace
}  // namespace velant::carta
