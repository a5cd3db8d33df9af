#include "plataforma/perfil_ini.h"

#include <gtest/gtest.h>

#include <string>

#include "apoio/arquivos_teste.h"
#include "base/tabela_tsv_teste.h"

namespace velant {
namespace {

using teste::GravarTudo;
using teste::LerTudo;
using teste::PastaTemporaria;

constexpr const char* kIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";
constexpr const char* kLocal = "C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini";

TEST(PerfilIniTest, ReadsAsTheProfileApi) {
  for (const auto& c : teste::LerTabelaTsv("plataforma/perfil_leitura.tsv")) {
    PastaTemporaria raiz;
    GravarTudo(raiz.Caminho() / kLocal, c[1]);
    EXPECT_EQ(PerfilIni(MapeadorCaminhos(raiz.Caminho())).LerIni(c[2], c[3], kIni), c[4]) << c[0];
  }
  PastaTemporaria semArquivo;
  EXPECT_EQ(PerfilIni(MapeadorCaminhos(semArquivo.Caminho())).LerIni("Local", "k", kIni), "");
}

TEST(PerfilIniTest, WritesItsOwnLineAndLeavesForeignLinesIntact) {
  for (const auto& c : teste::LerTabelaTsv("plataforma/perfil_escrita.tsv")) {
    PastaTemporaria raiz;
    GravarTudo(raiz.Caminho() / kLocal, c[1]);
    MapeadorCaminhos caminhos(raiz.Caminho());
    PerfilIni ini(caminhos);
    ini.GravarIni(c[2], c[3], c[4], kIni);
    EXPECT_EQ(LerTudo(raiz.Caminho() / kLocal), c[5]) << c[0];
    EXPECT_EQ(ini.LerIni(c[2], c[3], kIni), c[4]) << c[0];
  }
}

// A write to a file not there yet creates it, and its folders, in CR LF lines.
TEST(PerfilIniTest, AWriteCreatesTheFileAndItsFolders) {
  PastaTemporaria raiz;
  MapeadorCaminhos caminhos(raiz.Caminho());
  PerfilIni(caminhos).GravarIni("SGBD", "Banco", "velant", "C:\\Nova\\Pasta\\config.ini");
  EXPECT_EQ(LerTudo(raiz.Caminho() / "C/Nova/Pasta/config.ini"), "[SGBD]\r\nBanco=velant\r\n");
}

}  // namespace
}  // namespace velant
