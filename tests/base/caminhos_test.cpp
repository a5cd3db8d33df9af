#include "base/caminhos.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/tabela_tsv_teste.h"

namespace fs = std::filesystem;

namespace velant {
namespace {

using teste::LerTabelaTsv;
using teste::PastaTemporaria;

TEST(MapeadorCaminhosTest, MapsUnderTheRoot) {
  for (const auto& c : LerTabelaTsv("base/caminhos.tsv", false)) {
    SCOPED_TRACE("caminhos.tsv:" + std::to_string(c.numero));
    PastaTemporaria raiz;
    std::istringstream existentes(c[0]);
    for (std::string pasta; std::getline(existentes, pasta, ',');) fs::create_directories(raiz.Caminho() / pasta);
    EXPECT_EQ(MapeadorCaminhos(raiz.Caminho()).Mapear(c[1]).lexically_relative(raiz.Caminho()).generic_string(), c[2]);
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
  const MapeadorCaminhos relativa("demo-raiz/");   // made absolute
  EXPECT_EQ(relativa.Mapear("C:\\x"), fs::current_path() / "demo-raiz" / "C" / "x");
}

}  // namespace
}  // namespace velant
