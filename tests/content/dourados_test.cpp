// Complete request texts and the full list of vector slots they give, as
// `velantnfe vetores` prints it. The expected lists were checked slot by
// slot against the filling rules; no database is configured, so the
// situation of every operation is "000".
//
// VELANT_GRAVA_DOURADOS=1 rewrites the expected files (for review, never
// to make a failing test pass).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <algorithm>

#include "apoio_conteudo.h"
#include "content/listagem_vetores.h"
#include "manager/analisador_solicitacao.h"
#include "manager/estado_gerenciador.h"

namespace velant::teste_conteudo {
namespace {

const std::filesystem::path kPasta = std::filesystem::path(VELANT_TESTES) / "content" / "dourados";

std::vector<std::string> Linhas(const std::string& texto) {
  std::vector<std::string> linhas;
  std::stringstream s(texto);
  for (std::string l; std::getline(s, l);) linhas.push_back(l);
  return linhas;
}

// Line by line, so that a difference names its slot.
void ComparaListas(const std::string& obtida, const std::string& esperada) {
  auto a = Linhas(obtida), b = Linhas(esperada);
  EXPECT_EQ(a.size(), b.size());
  int diferencas = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()) && diferencas < 10; ++i) {
    if (a[i] != b[i]) {
      ADD_FAILURE() << "obtido: " << a[i] << "\nesperado: " << b[i];
      ++diferencas;
    }
  }
  if (diferencas == 0) {
    EXPECT_EQ(obtida, esperada);
  }
}

std::string Le(const std::filesystem::path& arquivo) {
  std::ifstream f(arquivo, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class Dourado : public ::testing::TestWithParam<const char*> {};

TEST_P(Dourado, ListaCompletaDosVetores) {
  const std::string nome = GetParam();
  AmbienteConteudo a;
  std::filesystem::copy_file(kPasta / (nome + ".reg"), a.raiz / "registro.reg",
                             std::filesystem::copy_options::overwrite_existing);
  EstadoGerenciador janela;
  ASSERT_TRUE(AnalisaTextoSolicitacao(a.ctx, janela, Le(kPasta / (nome + ".txt")))) << janela.TextoStatus;
  ParametrosEmissaoFila(a.ctx);
  ASSERT_TRUE(PreencheVetores(a.ctx));
  std::string lista = ListaVetores(a.vetores);

  const auto esperado = kPasta / (nome + ".vetores");
  if (std::getenv("VELANT_GRAVA_DOURADOS") != nullptr) {
    std::ofstream(esperado, std::ios::binary) << lista;
  }
  ComparaListas(lista, Le(esperado));
}

// The same through the executable, as integrators run it.
TEST_P(Dourado, ComandoVetores) {
  const std::string nome = GetParam();
  const auto raiz = PastaTemporaria();
  const std::string comando = std::string(VELANT_BINARIOS) + "/velantnfe vetores '" +
                              (kPasta / (nome + ".txt")).string() + "' --raiz '" + raiz.string() +
                              "' --registro '" + (kPasta / (nome + ".reg")).string() + "' 2>/dev/null";
  FILE* processo = popen(comando.c_str(), "r");
  ASSERT_NE(processo, nullptr);
  std::string saida;
  char bloco[4096];
  size_t lidos;
  while ((lidos = fread(bloco, 1, sizeof bloco, processo)) > 0) saida.append(bloco, lidos);
  int estado = pclose(processo);
  std::error_code erro;
  std::filesystem::remove_all(raiz, erro);
  EXPECT_EQ(estado, 0);
  ComparaListas(saida, Le(kPasta / (nome + ".vetores")));
}

INSTANTIATE_TEST_SUITE_P(Solicitacoes, Dourado,
                         ::testing::Values("simples_nacional_nacional", "simples_nacional_exterior",
                                           "regime_normal_st_combustivel", "devolucao_cupons"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace velant::teste_conteudo
