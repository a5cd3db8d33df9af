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
#include <string>

#include "apoio/arquivos_teste.h"
#include "apoio_conteudo.h"
#include "component/apoio_documento.h"
#include "component/xml/autoridade_xml.h"
#include "component/regras/regras_autoridade.h"
#include "content/listagem_vetores.h"
#include "manager/analisador_solicitacao.h"

namespace velant::teste_conteudo {
namespace {

const std::filesystem::path kPasta = std::filesystem::path(VELANT_TESTES) / "content" / "dourados";

// A difference is shown line by line, each line naming its slot.
class Dourado : public ::testing::TestWithParam<const char*> {
 protected:
  std::filesystem::path Arquivo(const char* extensao) const { return kPasta / (std::string(GetParam()) + extensao); }

  // The request parsed with its registry values and its vectors filled, as the Host does.
  ::testing::AssertionResult Preenchidos(AmbienteConteudo& a) const {
    std::filesystem::copy_file(Arquivo(".reg"), a.raiz / "registro.reg",
                               std::filesystem::copy_options::overwrite_existing);
    if (!AnalisaTextoSolicitacao(a.ctx, a.janela, teste::LerTudo(Arquivo(".txt"))))
      return ::testing::AssertionFailure() << a.janela.TextoStatus;
    ParametrosEmissaoFila(a.ctx);
    if (!PreencheVetores(a.ctx)) return ::testing::AssertionFailure() << "PreencheVetores falhou";
    return ::testing::AssertionSuccess();
  }
};

// A complete invoice is ordinary data: the optional columns it leaves out
// (the seller, the date of entering) are no error, and none is logged.
TEST_P(Dourado, ListaCompletaDosVetores) {
  AmbienteConteudo a;
  ASSERT_TRUE(Preenchidos(a));
  const std::string lista = ListaVetores(a.vetores);
  if (std::getenv("VELANT_GRAVA_DOURADOS") != nullptr) std::ofstream(Arquivo(".vetores"), std::ios::binary) << lista;
  EXPECT_EQ(lista, teste::LerTudo(Arquivo(".vetores")));
  for (const auto& linha : a.ui.Eventos()) EXPECT_EQ(linha.find("Erro ignorado"), std::string::npos) << linha;
}

// The same through the executable, as integrators run it.
TEST_P(Dourado, ComandoVetores) {
  teste::AmbienteTeste raiz;
  const std::string comando = std::string(VELANT_BINARIOS) + "/velantnfe vetores '" + Arquivo(".txt").string() +
                              "' --raiz '" + raiz.raiz.string() + "' --registro '" + Arquivo(".reg").string() +
                              "' 2>/dev/null";
  FILE* processo = popen(comando.c_str(), "r");
  ASSERT_NE(processo, nullptr);
  std::string saida;
  char bloco[4096];
  for (size_t lidos; (lidos = fread(bloco, 1, sizeof bloco, processo)) > 0;) saida.append(bloco, lidos);
  EXPECT_EQ(pclose(processo), 0);
  EXPECT_EQ(saida, teste::LerTudo(Arquivo(".vetores")));
}

// A sale sent after a return is a sale: nothing of the return (finality,
// referenced key, complementary text) carries over into it.
TEST(DouradoEmSequencia, VendaDepoisDeDevolucaoEUmaVenda) {
  AmbienteConteudo a;
  std::filesystem::copy_file(kPasta / "simples_nacional_nacional.reg", a.raiz / "registro.reg",
                             std::filesystem::copy_options::overwrite_existing);
  for (const char* nome : {"devolucao_cupons", "simples_nacional_nacional"}) {
    ASSERT_TRUE(AnalisaTextoSolicitacao(a.ctx, a.janela, teste::LerTudo(kPasta / (std::string(nome) + ".txt"))))
        << nome << ": " << a.janela.TextoStatus;
    ParametrosEmissaoFila(a.ctx);
    ASSERT_TRUE(PreencheVetores(a.ctx)) << nome;
  }
  EXPECT_EQ(a.vetores.gVetorIde[Ide::finNFe], "1");   // normal
  EXPECT_EQ(a.vetores.gVetorIde[Ide::refNFe], "");    // no referenced key
  EXPECT_EQ(ListaVetores(a.vetores), teste::LerTudo(kPasta / "simples_nacional_nacional.vetores"));
}

// A real authority would authorise each of them: the signed document the
// request becomes (as an issuer of SP with the test certificate) breaks none
// of its business rules.
TEST_P(Dourado, DocumentoPassaNasRegrasDaAutoridade) {
  AmbienteConteudo a;
  ASSERT_TRUE(Preenchidos(a));
  auto documento = autoridade::DocumentoXml::Ler(AssinadoDosVetores(a), "nota");
  auto violada = regras::VerificaRegras(documento.Raiz(), std::chrono::system_clock::now());
  EXPECT_FALSE(violada) << violada->CodigoETexto() << " (" << violada->detalhe << ")";
}

INSTANTIATE_TEST_SUITE_P(Solicitacoes, Dourado,
                         ::testing::Values("simples_nacional_nacional", "simples_nacional_exterior",
                                           "regime_normal_st_combustivel", "devolucao_cupons"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace velant::teste_conteudo
