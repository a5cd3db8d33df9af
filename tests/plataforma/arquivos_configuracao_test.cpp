// The two settings files: the registry export and the INI profile.
#include "plataforma/registro_windows.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/tabela_tsv_teste.h"
#include "plataforma/perfil_ini.h"

namespace velant {
namespace {

using teste::GravarTudo;
using teste::LerTudo;
using teste::PastaTemporaria;

// The export registro.reg, as regedit writes it in CR LF lines, also in
// UTF-16LE with its mark, with the mark of UTF-8, and as ANSI with LF line ends.
TEST(RegistroWindowsTest, ReadsOnlyTextValuesInEveryExportEncoding) {
  const std::map<std::string, int32_t> raizes = {
      {"HKCU", HKEY_CURRENT_USER}, {"HKLM", HKEY_LOCAL_MACHINE}, {"0x12345678", 0x12345678}};
  const auto exportacao = [](const char* nome) { return LerTudo(std::string(VELANT_TESTES) + "/plataforma/" + nome); };
  const std::pair<const char*, std::string> codificacoes[] = {
      {"utf16le_bom", exportacao("registro-utf16le.reg")}, {"utf8", exportacao("registro.reg")},
      {"utf8_bom", "\xEF\xBB\xBF" + exportacao("registro.reg")}, {"ansi_lf", exportacao("registro-ansi-lf.reg")}};
  PastaTemporaria pasta;
  const std::filesystem::path arquivo = pasta.Caminho() / "registro.reg";
  for (const auto& [codificacao, bytes] : codificacoes) {
    GravarTudo(arquivo, bytes);
    RegistroWindows registro(arquivo);
    for (const auto& c : teste::LerTabelaTsv("plataforma/registro_leitura.tsv"))
      EXPECT_EQ(registro.LerRegistro(raizes.at(c[0]), c[1], c[2]), c[3]) << codificacao << ": linha " << c.numero;
  }
}

std::string Ambiente(RegistroWindows& r) { return r.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"); }
void GravaAmbiente(const std::filesystem::path& arquivo, const std::string& valor) {
  GravarTudo(arquivo, "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"" + valor + "\"\n");
}

TEST(RegistroWindowsTest, ReadsAmbienteFromEachKindOfFile) {
  for (const auto& c : teste::LerTabelaTsv("plataforma/registro_arquivos.tsv")) {
    PastaTemporaria pasta;
    GravarTudo(pasta.Caminho() / "r.reg", c[1]);
    RegistroWindows registro(pasta.Caminho() / "r.reg");
    EXPECT_EQ(Ambiente(registro), c[2]) << c[0];
  }
}

// A changed file is seen at the next call. A file left alone for long is
// kept read; changed again, under the same size, it is read anew; removed,
// it reads as nothing.
TEST(RegistroWindowsTest, AChangedFileIsSeenAtTheNextCall) {
  PastaTemporaria pasta;
  std::filesystem::path arquivo = pasta.Caminho() / "registro.reg";
  RegistroWindows registro(arquivo);
  GravaAmbiente(arquivo, "2");
  EXPECT_EQ(Ambiente(registro), "2");
  GravaAmbiente(arquivo, "1");
  EXPECT_EQ(Ambiente(registro), "1");
  auto antiga = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(arquivo, antiga);
  EXPECT_EQ(Ambiente(registro), "1");
  GravaAmbiente(arquivo, "2");
  EXPECT_EQ(Ambiente(registro), "2");
  std::filesystem::last_write_time(arquivo, antiga - std::chrono::seconds(1));
  EXPECT_EQ(Ambiente(registro), "2");
  std::filesystem::remove(arquivo);
  EXPECT_EQ(Ambiente(registro), "");
}

// A settings file that is there but cannot be read (a folder, a FIFO) reads
// as "" like an absent one, and is reported once, naming the file and why,
// until it reads again. An absent file is no failure.
TEST(RegistroWindowsTest, AnUnreadableFileIsReportedOnce) {
  for (bool fifo : {false, true}) {
    PastaTemporaria pasta;
    const auto arquivo = pasta.Caminho() / "registro.reg";
    const auto cria = [&] { return fifo ? ::mkfifo(arquivo.c_str(), 0600) : ::mkdir(arquivo.c_str(), 0700); };
    RegistroWindows registro(arquivo);
    std::vector<std::string> linhas;
    registro.DefinirAvisoFalha([&](const std::string& linha) { linhas.push_back(linha); });
    EXPECT_EQ(Ambiente(registro), "");
    EXPECT_TRUE(linhas.empty());
    ASSERT_EQ(cria(), 0);
    EXPECT_EQ(Ambiente(registro) + Ambiente(registro) + Ambiente(registro), "");
    EXPECT_EQ(linhas, std::vector<std::string>{"     ** Erro na Rotina: LerRegistro - " + arquivo.string() +
                                               " não lido: não é um arquivo comum"});
    std::filesystem::remove(arquivo);   // readable again, then unreadable again: reported anew
    GravaAmbiente(arquivo, "2");
    EXPECT_EQ(Ambiente(registro), "2");
    std::filesystem::remove(arquivo);
    ASSERT_EQ(cria(), 0);
    EXPECT_EQ(Ambiente(registro), "");
    EXPECT_EQ(linhas.size(), 2u);
  }
}

TEST(RegistroWindowsTest, DefaultFileFromOptionThenEnvironmentThenConfigHome) {
  teste::VariavelAmbiente configuracao("XDG_CONFIG_HOME", "/cfg");
  {
    teste::VariavelAmbiente registro("VELANT_REGISTRO", "/env/r.reg");
    EXPECT_EQ(RegistroWindows::ArquivoPadrao("/opcao.reg"), "/opcao.reg");
    EXPECT_EQ(RegistroWindows::ArquivoPadrao(), "/env/r.reg");
  }
  teste::VariavelAmbiente semRegistro("VELANT_REGISTRO", std::nullopt);
  EXPECT_EQ(RegistroWindows::ArquivoPadrao(), "/cfg/velantnfe/registro.reg");
}

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
