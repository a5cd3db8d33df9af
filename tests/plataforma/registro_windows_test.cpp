#include "plataforma/registro_windows.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "apoio/arquivos_teste.h"

namespace velant {
namespace {

using teste::GravarTudo;
using teste::PastaTemporaria;

// An export as regedit writes it, in CR LF lines.
const std::string kExportacao =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\nfe]\r\n"
    "\"Ambiente\"=\"2\"\r\n"
    "\"Outro\"=dword:00000001\r\n"
    "\"UnidadeFederada\"=\"SP\"\r\n"
    "\"Municipio\"=\"São Paulo\"\r\n"
    "\"Caminho\"=\"C:\\\\Dunmor\\\\nfe\"\r\n"
    "\"Aspas\"=\"diz \\\"oi\\\"\"\r\n"
    "@=\"padrao\"\r\n"
    "\"Binario\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
    "  16,17,18\r\n"
    "\"ComQuebra\"=hex(1):41,00,0d,00,0a,00,42,00,00,00\r\n"
    "\"Expandir\"=hex(2):25,00,41,00,25,00,00,00\r\n"
    "\"Vazio\"=\"\"\r\n"
    "\"Depois\"=\"ok\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\nfe\\Sub]\r\n"
    "\"Ambiente\"=\"9\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\nfe]\r\n"
    "\"Ambiente\"=\"1\"\r\n";

// The export above as UTF-16LE with its mark, and as ANSI with LF line ends
// (its texts are ASCII and Latin-1 letters only).
std::pair<std::string, std::string> Utf16leEAnsiLf(const std::string& utf8) {
  std::string utf16 = "\xFF\xFE", ansi;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0xC0) c = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
    utf16 += static_cast<char>(c);
    utf16 += '\0';
    if (c != '\r') ansi += static_cast<char>(c);
  }
  return {utf16, ansi};
}

TEST(RegistroWindowsTest, ReadsOnlyTextValuesInEveryExportEncoding) {
  const struct { int32_t raiz; std::string chave, nome, esperado; } casos[] = {
      {HKEY_CURRENT_USER, "nfe", "Ambiente", "2"},
      {HKEY_CURRENT_USER, "NFE", "AMBIENTE", "2"},
      {HKEY_CURRENT_USER, "nfe\\", "Ambiente", "2"},
      {HKEY_CURRENT_USER, "nfe", "Outro", ""},          // DWORD, not text
      {HKEY_CURRENT_USER, "nfe", "UnidadeFederada", "SP"},
      {HKEY_CURRENT_USER, "nfe", "Municipio", "São Paulo"},
      {HKEY_CURRENT_USER, "nfe", "Caminho", "C:\\Dunmor\\nfe"},
      {HKEY_CURRENT_USER, "nfe", "Aspas", "diz \"oi\""},
      {HKEY_CURRENT_USER, "nfe", "", "padrao"},
      {HKEY_CURRENT_USER, "nfe", "Binario", ""},
      {HKEY_CURRENT_USER, "nfe", "ComQuebra", "A\r\nB"},   // text written as bytes, up to its NUL
      {HKEY_CURRENT_USER, "nfe", "Expandir", ""},
      {HKEY_CURRENT_USER, "nfe", "Vazio", ""},
      {HKEY_CURRENT_USER, "nfe", "Depois", "ok"},       // after the continued hex lines
      {HKEY_CURRENT_USER, "nfe", "Ausente", ""},
      {HKEY_CURRENT_USER, "nfe\\sub", "Ambiente", "9"},
      {HKEY_CURRENT_USER, "outra", "Ambiente", ""},
      {HKEY_LOCAL_MACHINE, "Software\\NFe", "Ambiente", "1"},
      {HKEY_LOCAL_MACHINE, "nfe", "Ambiente", ""},
      {static_cast<int32_t>(0x12345678), "nfe", "Ambiente", ""},
  };
  const auto [utf16, ansiLf] = Utf16leEAnsiLf(kExportacao);
  const std::pair<const char*, std::string> codificacoes[] = {
      {"utf16le_bom", utf16}, {"utf8", kExportacao}, {"utf8_bom", "\xEF\xBB\xBF" + kExportacao}, {"ansi_lf", ansiLf}};
  PastaTemporaria pasta;
  const std::filesystem::path arquivo = pasta.Caminho() / "registro.reg";
  for (const auto& [codificacao, bytes] : codificacoes) {
    GravarTudo(arquivo, bytes);
    RegistroWindows registro(arquivo);
    for (const auto& c : casos) {
      SCOPED_TRACE(std::string(codificacao) + ": " + c.chave + " / " + c.nome);
      EXPECT_EQ(registro.LerRegistro(c.raiz, c.chave, c.nome), c.esperado);
    }
  }
}

TEST(RegistroWindowsTest, ReadsAmbienteFromEachKindOfFile) {
  const struct {
    const char* nome;
    std::optional<std::string> conteudo;   // nullopt: no file
    std::string esperado;                  // HKEY_CURRENT_USER\nfe, "Ambiente"
  } casos[] = {
      {"regedit4_abreviado", "REGEDIT4\n\n[HKCU\\nfe]\n\"Ambiente\"=\"1\"\n", "1"},
      {"regedit4_hex1_ansi", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=hex(1):32,00\n", "2"},
      {"dword", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=dword:00000002\n", ""},
      {"ultimo_vale", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n\"Ambiente\"=\"2\"\n", "2"},
      {"tipo_trocado_depois",
       "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n\"Ambiente\"=dword:1\n", ""},
      {"valor_apagado", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n\"Ambiente\"=-\n", ""},
      {"chave_apagada",
       "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n[-HKEY_CURRENT_USER\\nfe]\n", ""},
      {"comentario", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n;\"Ambiente\"=\"1\"\n", ""},
      {"aspas_abertas", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\n", ""},
      {"lixo", std::string("\x00\x01\xFF\xFE[", 5), ""},
      {"vazio", "", ""},
      {"sem_arquivo", std::nullopt, ""},
  };
  for (const auto& c : casos) {
    PastaTemporaria pasta;
    if (c.conteudo) GravarTudo(pasta.Caminho() / "r.reg", *c.conteudo);
    EXPECT_EQ(RegistroWindows(pasta.Caminho() / "r.reg").LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"),
              c.esperado)
        << c.nome;
  }
}

TEST(RegistroWindowsTest, AChangedFileIsSeenAtTheNextCall) {
  PastaTemporaria pasta;
  std::filesystem::path arquivo = pasta.Caminho() / "registro.reg";
  RegistroWindows registro(arquivo);
  GravarTudo(arquivo, "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"2\"\n");
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "2");
  GravarTudo(arquivo, "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n");
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "1");

  // A file left alone for long is kept read; changed again, under the same
  // size, it is read anew; removed, it reads as nothing.
  auto antiga = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(arquivo, antiga);
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "1");
  GravarTudo(arquivo, "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"2\"\n");
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "2");
  std::filesystem::last_write_time(arquivo, antiga - std::chrono::seconds(1));
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "2");
  std::filesystem::remove(arquivo);
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "");
}

// A settings file that is there but cannot be read reads as "" like an
// absent one, and is reported once, naming the file and why, until it reads
// again. An absent file is no failure.
TEST(RegistroWindowsTest, AnUnreadableFileIsReportedOnce) {
  const struct {
    const char* nome;
    std::function<void(const std::filesystem::path&)> cria;
    const char* motivo;   // empty: nothing to report
  } casos[] = {
      {"Pasta", [](const auto& p) { std::filesystem::create_directory(p); }, "não é um arquivo comum"},
      {"Fila", [](const auto& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "não é um arquivo comum"},
      {"Ausente", [](const auto&) {}, ""},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    PastaTemporaria pasta;
    const auto arquivo = pasta.Caminho() / "registro.reg";
    c.cria(arquivo);
    RegistroWindows registro(arquivo);
    std::vector<std::string> linhas;
    registro.DefinirAvisoFalha([&](const std::string& linha) { linhas.push_back(linha); });
    for (int i = 0; i < 3; ++i) EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "");
    if (*c.motivo == '\0') {
      EXPECT_TRUE(linhas.empty());
      continue;
    }
    ASSERT_EQ(linhas.size(), 1u);
    EXPECT_EQ(linhas[0], "     ** Erro na Rotina: LerRegistro - " + arquivo.string() + " não lido: " + c.motivo);

    // Readable again, then unreadable again: reported anew.
    std::filesystem::remove(arquivo);
    GravarTudo(arquivo, "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"2\"\n");
    EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "2");
    std::filesystem::remove(arquivo);
    c.cria(arquivo);
    EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "");
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

}  // namespace
}  // namespace velant
