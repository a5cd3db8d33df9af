#include "base/caminhos.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"

namespace fs = std::filesystem;

namespace velant {
namespace {

using teste::PastaTemporaria;

TEST(MapeadorCaminhosTest, MapsUnderTheRoot) {
  const struct {
    std::vector<std::string> existentes;   // folders under the root before the call
    std::string windows;
    std::string esperado;                  // relative to the root, generic form
  } casos[] = {
      {{}, "C:\\Dunmor\\nfe\\arquivos\\NFe1.xml", "C/Dunmor/nfe/arquivos/NFe1.xml"},
      {{"C/Dunmor/nfe/Arquivos"}, "C:\\Dunmor\\nfe\\arquivos\\NFe1.xml", "C/Dunmor/nfe/Arquivos/NFe1.xml"},
      {{"C/Dunmor/nfe/arquivos"}, "C:\\DUNMOR\\NFE\\Arquivos\\x", "C/Dunmor/nfe/arquivos/x"},
      {{"C/Dunmor"}, "c:\\dunmor\\x", "C/Dunmor/x"},
      {{"c/Dunmor"}, "C:\\Dunmor\\x", "c/Dunmor/x"},
      {{"C/Notas/AÇÃO"}, "C:\\notas\\ação\\x", "C/Notas/AÇÃO/x"},
      // The exact spelling wins; otherwise the first in name order.
      {{"C/nfe/Arquivos", "C/nfe/arquivos"}, "C:\\nfe\\arquivos\\x", "C/nfe/arquivos/x"},
      {{"C/nfe/Arquivos", "C/nfe/arquivos"}, "C:\\nfe\\ARQUIVOS\\x", "C/nfe/Arquivos/x"},
      {{}, "\\nfe\\x", "nfe/x"},
      {{}, "nfe\\x", "nfe/x"},
      {{}, "C:/Dunmor/nfe", "C/Dunmor/nfe"},
      {{}, "C:\\a\\.\\b\\\\c\\", "C/a/b/c"},
      {{}, "C:\\a\\b\\..\\c", "C/a/c"},
      {{}, "C:", "C"},
      {{}, "", "."},
      // Nothing climbs out of the drive folder, nor out of the root.
      {{}, "C:\\..\\..\\etc\\passwd", "C/etc/passwd"},
      {{}, "C:\\Dunmor\\..\\..\\..\\x", "C/x"},
      {{}, "..\\..\\etc", "etc"},
      {{}, "\\..\\..", "."},
      {{}, "C:\\a\\../../../..\\etc", "C/etc"},
      {{}, "\\\\servidor\\pasta\\x", "servidor/pasta/x"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.windows);
    PastaTemporaria raiz;
    for (const std::string& p : c.existentes) fs::create_directories(raiz.Caminho() / p);
    fs::path local = MapeadorCaminhos(raiz.Caminho()).Mapear(c.windows);
    EXPECT_EQ(local.lexically_relative(raiz.Caminho()).generic_string(), c.esperado);
  }
}

TEST(MapeadorCaminhosTest, HostileRequestPathsStayInsideTheRoot) {
  PastaTemporaria raiz;
  MapeadorCaminhos mapa(raiz.Caminho());
  for (const char* caminho : {"C:\\..\\..\\..\\..", "..", "../../../../tmp", "C:..\\..\\x", "\\..\\C:\\..\\..\\y",
                              "/etc/passwd", "C:\\a\\..\\..\\..\\..\\..\\b", "..\\.\\..\\.\\z"}) {
    SCOPED_TRACE(caminho);
    fs::path relativo = mapa.Mapear(caminho).lexically_relative(raiz.Caminho());
    ASSERT_FALSE(relativo.empty());
    EXPECT_NE(*relativo.begin(), "..");
    EXPECT_EQ(mapa.MapearParaGravar(caminho).lexically_relative(raiz.Caminho()), relativo);
  }
}

TEST(MapeadorCaminhosTest, WritingCreatesMissingFoldersAndReusesTheExistingSpelling) {
  PastaTemporaria raiz;
  fs::create_directories(raiz.Caminho() / "C/Dunmor/nfe/Arquivos");
  MapeadorCaminhos mapa(raiz.Caminho());

  fs::path arquivo = mapa.MapearParaGravar("c:\\DUNMOR\\NFE\\arquivos\\Lote\\NFe1.xml");
  EXPECT_EQ(arquivo, raiz.Caminho() / "C/Dunmor/nfe/Arquivos/Lote/NFe1.xml");
  EXPECT_TRUE(fs::is_directory(raiz.Caminho() / "C/Dunmor/nfe/Arquivos/Lote"));
  EXPECT_FALSE(fs::exists(arquivo));   // only the folders
  // No second folder differing only in case.
  EXPECT_EQ(std::distance(fs::directory_iterator(raiz.Caminho() / "C/Dunmor/nfe"), fs::directory_iterator()), 1);

  teste::GravarTudo(arquivo, "x");
  EXPECT_TRUE(mapa.Existe("C:\\Dunmor\\nfe\\ARQUIVOS\\lote\\nfe1.XML"));
  EXPECT_FALSE(mapa.Existe("C:\\Dunmor\\nfe\\arquivos\\lote\\NFe2.xml"));
}

// A folder found once is taken again while it exists; renamed or removed,
// it is looked for (or created) anew.
TEST(MapeadorCaminhosTest, FoldersFoundBeforeFollowRenamesAndRemovals) {
  PastaTemporaria raiz;
  MapeadorCaminhos m(raiz.Caminho());
  fs::create_directories(raiz.Caminho() / "C/dunmor/NFE");
  const std::string arquivo = "C:\\Dunmor\\nfe\\NFe1.xml";
  EXPECT_EQ(m.MapearParaGravar(arquivo), raiz.Caminho() / "C/dunmor/NFE/NFe1.xml");
  EXPECT_EQ(m.Mapear(arquivo), raiz.Caminho() / "C/dunmor/NFE/NFe1.xml");
  fs::rename(raiz.Caminho() / "C/dunmor/NFE", raiz.Caminho() / "C/dunmor/Nfe");
  EXPECT_EQ(m.Mapear(arquivo), raiz.Caminho() / "C/dunmor/Nfe/NFe1.xml");
  fs::remove_all(raiz.Caminho() / "C/dunmor");
  EXPECT_EQ(m.MapearParaGravar(arquivo), raiz.Caminho() / "C/Dunmor/nfe/NFe1.xml");
  EXPECT_TRUE(fs::is_directory(raiz.Caminho() / "C/Dunmor/nfe"));
  // A copy of the mapper shares what it found.
  MapeadorCaminhos copia = m;
  EXPECT_EQ(copia.Mapear(arquivo), raiz.Caminho() / "C/Dunmor/nfe/NFe1.xml");
}

TEST(MapeadorCaminhosTest, RelativeRootBecomesAbsolute) {
  MapeadorCaminhos mapa("demo-raiz/");
  EXPECT_TRUE(mapa.Raiz().is_absolute());
  EXPECT_EQ(mapa.Raiz().filename(), "demo-raiz");
  EXPECT_EQ(mapa.Mapear("C:\\x"), mapa.Raiz() / "C" / "x");
}

TEST(MapeadorCaminhosTest, DefaultRootIsTheOptionThenTheEnvironmentThenTheDataHome) {
  const struct {
    std::string opcao;
    std::optional<std::string> velantRaiz, xdgDataHome;
    std::string esperada;
  } casos[] = {
      {"/opcao", "/env", "/dados", "/opcao"},
      {"", "/env", "/dados", "/env"},
      {"", std::nullopt, "/dados", "/dados/velantnfe"},
      {"", "", "/dados", "/dados/velantnfe"},
      {"", std::nullopt, std::nullopt, "/casa/.local/share/velantnfe"},
      {"", std::nullopt, "relativa", "/casa/.local/share/velantnfe"},   // a relative data home is ignored
  };
  for (const auto& c : casos) {
    teste::VariavelAmbiente raiz("VELANT_RAIZ", c.velantRaiz);
    teste::VariavelAmbiente dados("XDG_DATA_HOME", c.xdgDataHome);
    teste::VariavelAmbiente home("HOME", "/casa");
    EXPECT_EQ(MapeadorCaminhos::RaizPadrao(c.opcao).string(), c.esperada);
  }
}

}  // namespace
}  // namespace velant
