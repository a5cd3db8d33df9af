#include "base/caminhos.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace velant {
namespace {

class PastaTemporaria {
 public:
  PastaTemporaria() {
    std::string modelo = (fs::temp_directory_path() / "caminhos-XXXXXX").string();
    caminho_ = mkdtemp(modelo.data());
  }
  ~PastaTemporaria() {
    std::error_code ec;
    fs::remove_all(caminho_, ec);
  }
  const fs::path& Caminho() const { return caminho_; }

 private:
  fs::path caminho_;
};

// Sets an environment variable for one scope and puts the old value back.
class VariavelAmbiente {
 public:
  VariavelAmbiente(const char* nome, std::optional<std::string> valor) : nome_(nome) {
    if (const char* antes = std::getenv(nome)) antes_ = antes;
    if (valor) setenv(nome, valor->c_str(), 1);
    else unsetenv(nome);
  }
  ~VariavelAmbiente() {
    if (antes_) setenv(nome_, antes_->c_str(), 1);
    else unsetenv(nome_);
  }

 private:
  const char* nome_;
  std::optional<std::string> antes_;
};

struct CasoMapa {
  std::vector<std::string> existentes;   // folders under the root before the call
  std::string windows;
  std::string esperado;                  // relative to the root, generic form
};

class MapearTest : public ::testing::TestWithParam<CasoMapa> {};

TEST_P(MapearTest, MapsUnderTheRoot) {
  PastaTemporaria raiz;
  for (const std::string& p : GetParam().existentes) fs::create_directories(raiz.Caminho() / p);
  MapeadorCaminhos mapa(raiz.Caminho());
  fs::path local = mapa.Mapear(GetParam().windows);
  EXPECT_EQ(local.lexically_relative(raiz.Caminho()).generic_string(), GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, MapearTest,
    ::testing::Values(
        CasoMapa{{}, "C:\\Dunmor\\nfe\\arquivos\\NFe1.xml", "C/Dunmor/nfe/arquivos/NFe1.xml"},
        CasoMapa{{"C/Dunmor/nfe/Arquivos"}, "C:\\Dunmor\\nfe\\arquivos\\NFe1.xml", "C/Dunmor/nfe/Arquivos/NFe1.xml"},
        CasoMapa{{"C/Dunmor/nfe/arquivos"}, "C:\\DUNMOR\\NFE\\Arquivos\\x", "C/Dunmor/nfe/arquivos/x"},
        CasoMapa{{"C/Dunmor"}, "c:\\dunmor\\x", "C/Dunmor/x"},
        CasoMapa{{"c/Dunmor"}, "C:\\Dunmor\\x", "c/Dunmor/x"},
        CasoMapa{{"C/Notas/AÇÃO"}, "C:\\notas\\ação\\x", "C/Notas/AÇÃO/x"},
        // The exact spelling wins; otherwise the first in name order.
        CasoMapa{{"C/nfe/Arquivos", "C/nfe/arquivos"}, "C:\\nfe\\arquivos\\x", "C/nfe/arquivos/x"},
        CasoMapa{{"C/nfe/Arquivos", "C/nfe/arquivos"}, "C:\\nfe\\ARQUIVOS\\x", "C/nfe/Arquivos/x"},
        CasoMapa{{}, "\\nfe\\x", "nfe/x"},
        CasoMapa{{}, "nfe\\x", "nfe/x"},
        CasoMapa{{}, "C:/Dunmor/nfe", "C/Dunmor/nfe"},
        CasoMapa{{}, "C:\\a\\.\\b\\\\c\\", "C/a/b/c"},
        CasoMapa{{}, "C:\\a\\b\\..\\c", "C/a/c"},
        CasoMapa{{}, "C:", "C"},
        CasoMapa{{}, "", "."},
        // Nothing climbs out of the drive folder, nor out of the root.
        CasoMapa{{}, "C:\\..\\..\\etc\\passwd", "C/etc/passwd"},
        CasoMapa{{}, "C:\\Dunmor\\..\\..\\..\\x", "C/x"},
        CasoMapa{{}, "..\\..\\etc", "etc"},
        CasoMapa{{}, "\\..\\..", "."},
        CasoMapa{{}, "C:\\a\\../../../..\\etc", "C/etc"},
        CasoMapa{{}, "\\\\servidor\\pasta\\x", "servidor/pasta/x"}));

TEST(MapeadorCaminhosTest, HostileRequestPathsStayInsideTheRoot) {
  PastaTemporaria raiz;
  MapeadorCaminhos mapa(raiz.Caminho());
  const char* hostis[] = {"C:\\..\\..\\..\\..",  "..",        "../../../../tmp", "C:..\\..\\x",
                          "\\..\\C:\\..\\..\\y", "/etc/passwd", "C:\\a\\..\\..\\..\\..\\..\\b", "..\\.\\..\\.\\z"};
  for (const char* caminho : hostis) {
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
  int entradas = 0;
  for (const auto& e : fs::directory_iterator(raiz.Caminho() / "C/Dunmor/nfe")) {
    (void)e;
    ++entradas;
  }
  EXPECT_EQ(entradas, 1);

  std::ofstream(arquivo) << "x";
  EXPECT_TRUE(mapa.Existe("C:\\Dunmor\\nfe\\ARQUIVOS\\lote\\nfe1.XML"));
  EXPECT_FALSE(mapa.Existe("C:\\Dunmor\\nfe\\arquivos\\lote\\NFe2.xml"));
}

TEST(MapeadorCaminhosTest, RelativeRootBecomesAbsolute) {
  MapeadorCaminhos mapa("demo-raiz/");
  EXPECT_TRUE(mapa.Raiz().is_absolute());
  EXPECT_EQ(mapa.Raiz().filename(), "demo-raiz");
  EXPECT_EQ(mapa.Mapear("C:\\x"), mapa.Raiz() / "C" / "x");
}

struct CasoRaiz {
  std::string opcao;
  std::optional<std::string> velantRaiz;
  std::optional<std::string> xdgDataHome;
  std::string home;
  std::string esperada;
};

class RaizPadraoTest : public ::testing::TestWithParam<CasoRaiz> {};

TEST_P(RaizPadraoTest, OptionThenEnvironmentThenDataHome) {
  const CasoRaiz& c = GetParam();
  VariavelAmbiente raiz("VELANT_RAIZ", c.velantRaiz);
  VariavelAmbiente dados("XDG_DATA_HOME", c.xdgDataHome);
  VariavelAmbiente home("HOME", c.home);
  EXPECT_EQ(MapeadorCaminhos::RaizPadrao(c.opcao).string(), c.esperada);
}

INSTANTIATE_TEST_SUITE_P(
    Ordem, RaizPadraoTest,
    ::testing::Values(CasoRaiz{"/opcao", "/env", "/dados", "/casa", "/opcao"},
                      CasoRaiz{"", "/env", "/dados", "/casa", "/env"},
                      CasoRaiz{"", std::nullopt, "/dados", "/casa", "/dados/velantnfe"},
                      CasoRaiz{"", "", "/dados", "/casa", "/dados/velantnfe"},
                      CasoRaiz{"", std::nullopt, std::nullopt, "/casa", "/casa/.local/share/velantnfe"},
                      // A relative data home is ignored.
                      CasoRaiz{"", std::nullopt, "relativa", "/casa", "/casa/.local/share/velantnfe"}));

}  // namespace
}  // namespace velant
