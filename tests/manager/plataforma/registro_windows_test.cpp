#include "manager/plataforma/registro_windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "apoio_plataforma.h"

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

std::string Utf16le(const std::string& utf8) {
  // Enough for the texts here: ASCII and Latin-1 letters.
  std::string s = "\xFF\xFE";
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0xC0) c = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
    s += static_cast<char>(c & 0xFF);
    s += static_cast<char>(c >> 8);
  }
  return s;
}

std::string Ansi(const std::string& utf8) {
  std::string s;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0xC0) c = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
    s += static_cast<char>(c);
  }
  return s;
}

struct CasoValor {
  int32_t raiz;
  std::string chave;
  std::string nome;
  std::string esperado;
};

const CasoValor kCasos[] = {
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

struct Codificacao {
  const char* nome;
  std::string (*converter)(const std::string&);
};

class LerRegistroTest : public ::testing::TestWithParam<Codificacao> {};

TEST_P(LerRegistroTest, ReadsOnlyTextValues) {
  PastaTemporaria pasta;
  std::filesystem::path arquivo = pasta.Caminho() / "registro.reg";
  GravarTudo(arquivo, GetParam().converter(kExportacao));
  RegistroWindows registro(arquivo);
  for (const CasoValor& c : kCasos) {
    SCOPED_TRACE(c.chave + " / " + c.nome);
    EXPECT_EQ(registro.LerRegistro(c.raiz, c.chave, c.nome), c.esperado);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codificacoes, LerRegistroTest,
    ::testing::Values(Codificacao{"utf16le_bom", &Utf16le}, Codificacao{"utf8", [](const std::string& s) { return s; }},
                      Codificacao{"utf8_bom", [](const std::string& s) { return "\xEF\xBB\xBF" + s; }},
                      Codificacao{"ansi_lf",
                                  [](const std::string& s) {
                                    std::string lf;
                                    for (char c : Ansi(s))
                                      if (c != '\r') lf += c;
                                    return lf;
                                  }}),
    [](const auto& info) { return std::string(info.param.nome); });

struct CasoArquivo {
  const char* nome;
  std::string conteudo;
  std::string esperado;   // HKEY_CURRENT_USER\nfe, "Ambiente"
};

class ArquivoRegTest : public ::testing::TestWithParam<CasoArquivo> {};

TEST_P(ArquivoRegTest, ReadsAmbiente) {
  PastaTemporaria pasta;
  GravarTudo(pasta.Caminho() / "r.reg", GetParam().conteudo);
  EXPECT_EQ(RegistroWindows(pasta.Caminho() / "r.reg").LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"),
            GetParam().esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ArquivoRegTest,
    ::testing::Values(
        CasoArquivo{"regedit4_abreviado", "REGEDIT4\n\n[HKCU\\nfe]\n\"Ambiente\"=\"1\"\n", "1"},
        CasoArquivo{"regedit4_hex1_ansi", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=hex(1):32,00\n", "2"},
        CasoArquivo{"dword", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=dword:00000002\n", ""},
        CasoArquivo{"ultimo_vale", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n\"Ambiente\"=\"2\"\n", "2"},
        CasoArquivo{"tipo_trocado_depois",
                    "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n\"Ambiente\"=dword:1\n", ""},
        CasoArquivo{"valor_apagado", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n\"Ambiente\"=-\n", ""},
        CasoArquivo{"chave_apagada",
                    "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n[-HKEY_CURRENT_USER\\nfe]\n", ""},
        CasoArquivo{"comentario", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n;\"Ambiente\"=\"1\"\n", ""},
        CasoArquivo{"aspas_abertas", "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\n", ""},
        CasoArquivo{"lixo", std::string("\x00\x01\xFF\xFE[", 5), ""},
        CasoArquivo{"vazio", "", ""}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(RegistroWindowsTest, MissingFileReadsEmpty) {
  PastaTemporaria pasta;
  RegistroWindows registro(pasta.Caminho() / "nao-existe.reg");
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "");
}

TEST(RegistroWindowsTest, AChangedFileIsSeenAtTheNextCall) {
  PastaTemporaria pasta;
  std::filesystem::path arquivo = pasta.Caminho() / "registro.reg";
  RegistroWindows registro(arquivo);
  GravarTudo(arquivo, "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"2\"\n");
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "2");
  GravarTudo(arquivo, "REGEDIT4\n[HKEY_CURRENT_USER\\nfe]\n\"Ambiente\"=\"1\"\n");
  EXPECT_EQ(registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"), "1");
}

TEST(RegistroWindowsTest, DefaultFileFromOptionThenEnvironmentThenConfigHome) {
  const char* antesReg = std::getenv("VELANT_REGISTRO");
  const char* antesXdg = std::getenv("XDG_CONFIG_HOME");
  std::optional<std::string> guardaReg = antesReg ? std::optional<std::string>(antesReg) : std::nullopt;
  std::optional<std::string> guardaXdg = antesXdg ? std::optional<std::string>(antesXdg) : std::nullopt;

  setenv("VELANT_REGISTRO", "/env/r.reg", 1);
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(RegistroWindows::ArquivoPadrao("/opcao.reg"), "/opcao.reg");
  EXPECT_EQ(RegistroWindows::ArquivoPadrao(), "/env/r.reg");
  unsetenv("VELANT_REGISTRO");
  EXPECT_EQ(RegistroWindows::ArquivoPadrao(), "/cfg/velantnfe/registro.reg");

  if (guardaReg) setenv("VELANT_REGISTRO", guardaReg->c_str(), 1);
  if (guardaXdg) setenv("XDG_CONFIG_HOME", guardaXdg->c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace velant
