#include "manager/plataforma/perfil_ini.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "apoio_plataforma.h"

namespace velant {
namespace {

using teste::GravarTudo;
using teste::LerTudo;
using teste::PastaTemporaria;

constexpr const char* kIni = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini";
constexpr const char* kLocal = "C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini";

struct CasoLeitura {
  const char* nome;
  std::optional<std::string> arquivo;   // nullopt: no file
  std::string secao;
  std::string chave;
  std::string esperado;
};

class LerIniTest : public ::testing::TestWithParam<CasoLeitura> {};

TEST_P(LerIniTest, ReadsAsTheProfileApi) {
  PastaTemporaria raiz;
  if (GetParam().arquivo) GravarTudo(raiz.Caminho() / kLocal, *GetParam().arquivo);
  MapeadorCaminhos caminhos(raiz.Caminho());
  PerfilIni ini(caminhos);
  EXPECT_EQ(ini.LerIni(GetParam().secao, GetParam().chave, kIni), GetParam().esperado);
}

const std::string k300(300, 'a');
std::string Repetir(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, LerIniTest,
    ::testing::Values(
        CasoLeitura{"crlf", "[Local]\r\nIP do Computador a ser processado=10.0.0.5\r\n", "Local",
                    "IP do Computador a ser processado", "10.0.0.5"},
        CasoLeitura{"caixa", "[local]\nip do computador a ser processado=1\n", "LOCAL",
                    "IP DO COMPUTADOR A SER PROCESSADO", "1"},
        CasoLeitura{"brancos", "  [ SGBD ]  \r\n  Servidor \t=  \tdb1  \r\n", "SGBD", "Servidor", "db1"},
        CasoLeitura{"aspas_duplas", "[A]\nk= \"  x y \" \n", "A", "k", "  x y "},
        CasoLeitura{"aspas_simples", "[A]\nk='abc'\n", "A", "k", "abc"},
        CasoLeitura{"aspas_trocadas", "[A]\nk=\"abc'\n", "A", "k", "\"abc'"},
        CasoLeitura{"um_par_so", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\""},
        CasoLeitura{"aspa_sozinha", "[A]\nk=\"\n", "A", "k", "\""},
        CasoLeitura{"igual_no_valor", "[A]\nk=a=b\n", "A", "k", "a=b"},
        CasoLeitura{"comentario", "[A]\n;k=1\nk=2\n", "A", "k", "2"},
        CasoLeitura{"so_comentario", "[A]\n;k=1\n", "A", "k", ""},
        CasoLeitura{"outra_secao", "[A]\nk=1\n[B]\nk=2\n", "B", "k", "2"},
        CasoLeitura{"chave_fora_da_secao", "k=0\n[A]\nx=1\n", "A", "k", ""},
        CasoLeitura{"primeira_secao_vale", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "1"},
        CasoLeitura{"sem_chave", "[A]\nx=1\n", "A", "k", ""},
        CasoLeitura{"sem_arquivo", std::nullopt, "Local", "IP do Computador a ser processado", ""},
        CasoLeitura{"bom", "\xEF\xBB\xBF[Local]\r\nk=v\r\n", "Local", "k", "v"},
        CasoLeitura{"ansi", "[A]\r\nNome=Jo\xE3o\r\n", "A", "Nome", "João"},
        CasoLeitura{"sem_fim_de_linha", "[A]\nk=ultimo", "A", "k", "ultimo"},
        CasoLeitura{"corte_254", "[A]\nk=" + k300 + "\n", "A", "k", std::string(254, 'a')},
        CasoLeitura{"corte_254_caracteres", "[A]\nk=" + Repetir("é", 300) + "\n", "A", "k", Repetir("é", 254)},
        CasoLeitura{"254_inteiros", "[A]\nk=" + std::string(254, 'b') + "\n", "A", "k", std::string(254, 'b')}),
    [](const auto& info) { return std::string(info.param.nome); });

struct CasoGravacao {
  const char* nome;
  std::optional<std::string> antes;
  std::string secao;
  std::string chave;
  std::string valor;
  std::string depois;
};

class GravarIniTest : public ::testing::TestWithParam<CasoGravacao> {};

TEST_P(GravarIniTest, ChangesOnlyItsOwnLineAndReadsBack) {
  const CasoGravacao& c = GetParam();
  PastaTemporaria raiz;
  if (c.antes) GravarTudo(raiz.Caminho() / kLocal, *c.antes);
  MapeadorCaminhos caminhos(raiz.Caminho());
  PerfilIni ini(caminhos);
  ini.GravarIni(c.secao, c.chave, c.valor, kIni);
  EXPECT_EQ(LerTudo(raiz.Caminho() / kLocal), c.depois);
  EXPECT_EQ(ini.LerIni(c.secao, c.chave, kIni), c.valor);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, GravarIniTest,
    ::testing::Values(
        CasoGravacao{"arquivo_novo", std::nullopt, "Local", "IP do Computador a ser processado", "10.0.0.5",
                     "[Local]\r\nIP do Computador a ser processado=10.0.0.5\r\n"},
        CasoGravacao{"substitui_crlf",
                     "; Velant\r\n[SGBD]\r\nServidor = db1 ; x\r\n\r\n[Local]\r\nIP do Computador a ser processado=\r\n"
                     "Outra=1\r\nlinha estranha sem igual\r\n",
                     "Local", "IP do Computador a ser processado", "10.0.0.5",
                     "; Velant\r\n[SGBD]\r\nServidor = db1 ; x\r\n\r\n[Local]\r\nIP do Computador a ser processado=10.0.0.5\r\n"
                     "Outra=1\r\nlinha estranha sem igual\r\n"},
        CasoGravacao{"acrescenta_na_secao_lf", "[Local]\nA=1\n\n; antes do SGBD\n[SGBD]\nB=2\n", "local", "C", "3",
                     "[Local]\nA=1\nC=3\n\n; antes do SGBD\n[SGBD]\nB=2\n"},
        CasoGravacao{"secao_nova_sem_fim_de_linha", "[A]\nx=1", "Local", "k", "v", "[A]\nx=1\n[Local]\nk=v\n"},
        CasoGravacao{"chave_com_outra_caixa", "[local]\r\nip=1\r\n", "LOCAL", "IP", "2", "[local]\r\nIP=2\r\n"},
        CasoGravacao{"ultima_linha_sem_fim", "[Local]\r\nk=1", "Local", "k", "2", "[Local]\r\nk=2\r\n"},
        CasoGravacao{"bytes_alheios_intactos", "\xEF\xBB\xBF[A]\r\nNome=Jo\xE3o\r\n[Local]\r\n", "Local", "k", "v",
                     "\xEF\xBB\xBF[A]\r\nNome=Jo\xE3o\r\n[Local]\r\nk=v\r\n"},
        CasoGravacao{"so_a_primeira_secao", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "9", "[A]\nk=9\n[A]\nk=2\n"},
        CasoGravacao{"valor_vazio", "[Local]\r\n", "Local", "IP", "", "[Local]\r\nIP=\r\n"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(PerfilIniTest, WritingCreatesTheMissingFoldersOfTheFile) {
  PastaTemporaria raiz;
  MapeadorCaminhos caminhos(raiz.Caminho());
  PerfilIni ini(caminhos);
  ini.GravarIni("SGBD", "Banco", "velant", "C:\\Nova\\Pasta\\config.ini");
  EXPECT_EQ(LerTudo(raiz.Caminho() / "C/Nova/Pasta/config.ini"), "[SGBD]\r\nBanco=velant\r\n");
}

TEST(PerfilIniTest, SuccessiveWritesKeepEarlierKeys) {
  PastaTemporaria raiz;
  MapeadorCaminhos caminhos(raiz.Caminho());
  PerfilIni ini(caminhos);
  ini.GravarIni("Local", "IP do Computador a ser processado", "10.0.0.5", kIni);
  ini.GravarIni("SGBD", "Servidor", "db", kIni);
  ini.GravarIni("Local", "Outra", "x", kIni);
  ini.GravarIni("local", "ip do computador a ser processado", "127.0.0.1", kIni);
  EXPECT_EQ(LerTudo(raiz.Caminho() / kLocal),
            "[Local]\r\nip do computador a ser processado=127.0.0.1\r\nOutra=x\r\n[SGBD]\r\nServidor=db\r\n");
}

}  // namespace
}  // namespace velant
