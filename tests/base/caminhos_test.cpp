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

// Reading and writing land on the same path, with the folders made for writing.
TEST(MapeadorCaminhosTest, MapsUnderTheRoot) {
  for (const auto& c : LerTabelaTsv("base/caminhos.tsv", false)) {
    SCOPED_TRACE("caminhos.tsv:" + std::to_string(c.numero));
    PastaTemporaria raiz;
    std::istringstream existentes(c[0]);
    for (std::string pasta; std::getline(existentes, pasta, ',');) fs::create_directories(raiz.Caminho() / pasta);
    const MapeadorCaminhos mapa(raiz.Caminho());
    const auto relativo = [&](const fs::path& p) { return p.lexically_relative(raiz.Caminho()).generic_string(); };
    EXPECT_EQ(relativo(mapa.Mapear(c[1])) + "|" + relativo(mapa.MapearParaGravar(c[1])), c[2] + "|" + c[2]);
  }
}

// Writing creates the missing folders and reuses the existing spelling; a
// folder found once is taken again while it exists; renamed or removed, it is
// looked for (or created) anew.
TEST(MapeadorCaminhosTest, WritingCreatesFoldersAndFollowsRenamesAndRemovals) {
  PastaTemporaria raiz;
  const fs::path r = raiz.Caminho();
  fs::create_directories(r / "C/Dunmor/nfe/Arquivos");
  MapeadorCaminhos m(r);
  fs::path arquivo = m.MapearParaGravar("c:\\DUNMOR\\NFE\\arquivos\\Lote\\NFe1.xml");
  EXPECT_EQ(arquivo, r / "C/Dunmor/nfe/Arquivos/Lote/NFe1.xml");
  EXPECT_TRUE(fs::is_directory(r / "C/Dunmor/nfe/Arquivos/Lote") && !fs::exists(arquivo));   // only the folders
  EXPECT_EQ(std::distance(fs::directory_iterator(r / "C/Dunmor/nfe"), fs::directory_iterator()), 1);   // no second spelling
  teste::GravarTudo(arquivo, "x");
  EXPECT_TRUE(m.Existe("C:\\Dunmor\\nfe\\ARQUIVOS\\lote\\nfe1.XML"));
  EXPECT_FALSE(m.Existe("C:\\Dunmor\\nfe\\arquivos\\lote\\NFe2.xml"));

  fs::create_directories(r / "C/dunmor2/NFE");
  const std::string nota = "C:\\Dunmor2\\nfe\\NFe1.xml";
  EXPECT_EQ(m.MapearParaGravar(nota), r / "C/dunmor2/NFE/NFe1.xml");
  fs::rename(r / "C/dunmor2/NFE", r / "C/dunmor2/Nfe");
  EXPECT_EQ(m.Mapear(nota), r / "C/dunmor2/Nfe/NFe1.xml");
  fs::remove_all(r / "C/dunmor2");
  EXPECT_EQ(m.MapearParaGravar(nota), r / "C/Dunmor2/nfe/NFe1.xml");
  EXPECT_TRUE(fs::is_directory(r / "C/Dunmor2/nfe"));
  EXPECT_EQ(MapeadorCaminhos(m).Mapear(nota), r / "C/Dunmor2/nfe/NFe1.xml");   // a copy shares what it found
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
