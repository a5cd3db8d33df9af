#include "plataforma/perfil_ini.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "apoio/arquivos_teste.h"

namespace velant {
namespace {

using teste::GravarTudo;
using teste::LerTudo;
using teste::PastaTemporaria;

constexpr const char* kIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";
constexpr const char* kLocal = "C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini";

std::string Repetir(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

TEST(PerfilIniTest, ReadsAsTheProfileApi) {
  const struct {
    const char* nome;
    std::optional<std::string> arquivo;   // nullopt: no file
    std::string secao, chave, esperado;
  } casos[] = {
      {"crlf", "[Local]\r\nIP do Computador a ser processado=10.0.0.5\r\n", "Local",
       "IP do Computador a ser processado", "10.0.0.5"},
      {"caixa", "[local]\nip do computador a ser processado=1\n", "LOCAL",
       "IP DO COMPUTADOR A SER PROCESSADO", "1"},
      {"brancos", "  [ SGBD ]  \r\n  Servidor \t=  \tdb1  \r\n", "SGBD", "Servidor", "db1"},
      {"aspas_duplas", "[A]\nk= \"  x y \" \n", "A", "k", "  x y "},
      {"aspas_simples", "[A]\nk='abc'\n", "A", "k", "abc"},
      {"aspas_trocadas", "[A]\nk=\"abc'\n", "A", "k", "\"abc'"},
      {"um_par_so", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\""},
      {"aspa_sozinha", "[A]\nk=\"\n", "A", "k", "\""},
      {"igual_no_valor", "[A]\nk=a=b\n", "A", "k", "a=b"},
      {"comentario", "[A]\n;k=1\nk=2\n", "A", "k", "2"},
      {"so_comentario", "[A]\n;k=1\n", "A", "k", ""},
      {"outra_secao", "[A]\nk=1\n[B]\nk=2\n", "B", "k", "2"},
      {"chave_fora_da_secao", "k=0\n[A]\nx=1\n", "A", "k", ""},
      {"primeira_secao_vale", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "1"},
      {"sem_chave", "[A]\nx=1\n", "A", "k", ""},
      {"sem_arquivo", std::nullopt, "Local", "IP do Computador a ser processado", ""},
      {"bom", "\xEF\xBB\xBF[Local]\r\nk=v\r\n", "Local", "k", "v"},
      {"ansi", "[A]\r\nNome=Jo\xE3o\r\n", "A", "Nome", "João"},
      {"sem_fim_de_linha", "[A]\nk=ultimo", "A", "k", "ultimo"},
      // A last line ended by a bare CR: the CR is not part of the value.
      {"cr_sozinho_no_fim", "[SGBD]\r\nArquivo do Banco de Dados=dvk_data.db\r", "SGBD", "Arquivo do Banco de Dados",
       "dvk_data.db"},
      {"cr_antes_do_lf", "[A]\nk=v\r\r\n", "A", "k", "v"},
      {"cr_depois_das_aspas", "[A]\r\nk=\"v \"\r", "A", "k", "v "},
      {"corte_254", "[A]\nk=" + std::string(300, 'a') + "\n", "A", "k", std::string(254, 'a')},
      {"corte_254_caracteres", "[A]\nk=" + Repetir("é", 300) + "\n", "A", "k", Repetir("é", 254)},
      {"254_inteiros", "[A]\nk=" + std::string(254, 'b') + "\n", "A", "k", std::string(254, 'b')},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    PastaTemporaria raiz;
    if (c.arquivo) GravarTudo(raiz.Caminho() / kLocal, *c.arquivo);
    MapeadorCaminhos caminhos(raiz.Caminho());
    EXPECT_EQ(PerfilIni(caminhos).LerIni(c.secao, c.chave, kIni), c.esperado);
  }
}

// A write changes only its own line, keeps every other byte, and reads back.
TEST(PerfilIniTest, WritesItsOwnLineAndLeavesForeignLinesIntact) {
  const struct {
    const char* nome;
    std::optional<std::string> antes;
    std::string secao, chave, valor, depois;
  } casos[] = {
      {"arquivo_novo", std::nullopt, "Local", "IP do Computador a ser processado", "10.0.0.5",
       "[Local]\r\nIP do Computador a ser processado=10.0.0.5\r\n"},
      {"substitui_crlf",
       "; Velant\r\n[SGBD]\r\nServidor = db1 ; x\r\n\r\n[Local]\r\nIP do Computador a ser processado=\r\n"
       "Outra=1\r\nlinha estranha sem igual\r\n",
       "Local", "IP do Computador a ser processado", "10.0.0.5",
       "; Velant\r\n[SGBD]\r\nServidor = db1 ; x\r\n\r\n[Local]\r\nIP do Computador a ser processado=10.0.0.5\r\n"
       "Outra=1\r\nlinha estranha sem igual\r\n"},
      {"acrescenta_na_secao_lf", "[Local]\nA=1\n\n; antes do SGBD\n[SGBD]\nB=2\n", "local", "C", "3",
       "[Local]\nA=1\nC=3\n\n; antes do SGBD\n[SGBD]\nB=2\n"},
      {"secao_nova_sem_fim_de_linha", "[A]\nx=1", "Local", "k", "v", "[A]\nx=1\n[Local]\nk=v\n"},
      {"chave_com_outra_caixa", "[local]\r\nip=1\r\n", "LOCAL", "IP", "2", "[local]\r\nIP=2\r\n"},
      {"ultima_linha_sem_fim", "[Local]\r\nk=1", "Local", "k", "2", "[Local]\r\nk=2\r\n"},
      {"bytes_alheios_intactos", "\xEF\xBB\xBF[A]\r\nNome=Jo\xE3o\r\n[Local]\r\n", "Local", "k", "v",
       "\xEF\xBB\xBF[A]\r\nNome=Jo\xE3o\r\n[Local]\r\nk=v\r\n"},
      {"so_a_primeira_secao", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "9", "[A]\nk=9\n[A]\nk=2\n"},
      {"valor_vazio", "[Local]\r\n", "Local", "IP", "", "[Local]\r\nIP=\r\n"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    PastaTemporaria raiz;
    if (c.antes) GravarTudo(raiz.Caminho() / kLocal, *c.antes);
    MapeadorCaminhos caminhos(raiz.Caminho());
    PerfilIni ini(caminhos);
    ini.GravarIni(c.secao, c.chave, c.valor, kIni);
    EXPECT_EQ(LerTudo(raiz.Caminho() / kLocal), c.depois);
    EXPECT_EQ(ini.LerIni(c.secao, c.chave, kIni), c.valor);
  }
}

TEST(PerfilIniTest, SuccessiveWritesKeepEarlierKeysAndCreateTheFolders) {
  PastaTemporaria raiz;
  MapeadorCaminhos caminhos(raiz.Caminho());
  PerfilIni ini(caminhos);
  ini.GravarIni("Local", "IP do Computador a ser processado", "10.0.0.5", kIni);
  ini.GravarIni("SGBD", "Servidor", "db", kIni);
  ini.GravarIni("Local", "Outra", "x", kIni);
  ini.GravarIni("local", "ip do computador a ser processado", "127.0.0.1", kIni);
  EXPECT_EQ(LerTudo(raiz.Caminho() / kLocal),
            "[Local]\r\nip do computador a ser processado=127.0.0.1\r\nOutra=x\r\n[SGBD]\r\nServidor=db\r\n");
  ini.GravarIni("SGBD", "Banco", "velant", "C:\\Nova\\Pasta\\config.ini");
  EXPECT_EQ(LerTudo(raiz.Caminho() / "C/Nova/Pasta/config.ini"), "[SGBD]\r\nBanco=velant\r\n");
}

}  // namespace
}  // namespace velant
