#include "plataforma/registro_eventos.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "ui/interface_headless.h"

namespace velant {
namespace {

using teste::GravarTudo;
using teste::LerTudo;

constexpr const char* kArquivo051226 = "C/KorvanePafEcf/NFe/VelantNFe/Log/VelantNFe_05_12_2026.LOG";

class RelogioFixo : public Relogio {
 public:
  DataHora agora = DataHora::De(2026, 12, 5, 9, 5, 7);
  DataHora Agora() const override { return agora; }
};

// A log on a scratch root, at 09:05:07 on 5 December 2026.
struct Registro {
  teste::PastaTemporaria raiz;
  MapeadorCaminhos caminhos{raiz.Caminho()};
  RelogioFixo relogio;
  InterfaceHeadless ui{true};
  RegistroEventos log{ui, caminhos, relogio};
  std::vector<std::string> mensagens;   // what reached the request's row

  std::string Arquivo051226() { return LerTudo(raiz.Caminho() / kArquivo051226); }
  void GuardarMensagens() {
    log.DefinirEscritorMensagem([this](const std::string& m) { mensagens.push_back(m); return true; });
  }
};

class RegistroEventosTest : public ::testing::Test, public Registro {};

TEST_F(RegistroEventosTest, FileLineIsTimeDashTextCrLfInTheFileOfTheDayWhoseFolderIsCreated) {
  log.RegistraEvento("***** Início de Solicitação ***** - 17", true, false);
  relogio.agora = DataHora::De(2026, 12, 5, 23, 59, 59);
  log.RegistraEvento("      Aprovado pelo Host: 23:59:59", true, false);
  EXPECT_EQ(Arquivo051226(), "09:05:07 - ***** Início de Solicitação ***** - 17\r\n"
                             "23:59:59 -       Aprovado pelo Host: 23:59:59\r\n");
  EXPECT_EQ(ui.Eventos().back(), "      Aprovado pelo Host: 23:59:59");
  relogio.agora = DataHora::De(2026, 12, 6, 0, 0, 1);   // the next day goes to a new file
  log.CriaLogNFe("depois");
  EXPECT_EQ(LerTudo(raiz.Caminho() / "C/KorvanePafEcf/NFe/VelantNFe/Log/VelantNFe_06_12_2026.LOG"),
            "00:00:01 - depois\r\n");
  // The file is kept open between lines; a file cleaned up, replaced or taken
  // with its folder meanwhile still gets the next line under its name.
  relogio.agora = DataHora::De(2026, 12, 5, 9, 5, 7);
  const auto arquivo = raiz.Caminho() / kArquivo051226;
  GravarTudo(raiz.Caminho() / "outro.LOG", "08:00:00 - de outro\r\n");
  const std::pair<std::function<void()>, std::string> mudancas[] = {
      {[&] { std::filesystem::remove(arquivo); }, ""},
      {[&] { std::filesystem::rename(raiz.Caminho() / "outro.LOG", arquivo); }, "08:00:00 - de outro\r\n"},
      {[&] { std::filesystem::remove_all(arquivo.parent_path()); }, ""}};
  for (const auto& [muda, antes] : mudancas) {
    log.CriaLogNFe("antes");
    muda();
    log.CriaLogNFe("depois");
    EXPECT_EQ(Arquivo051226(), antes + "09:05:07 - depois\r\n");
  }
  EXPECT_TRUE(ui.Caixas().empty());
}

// A value with a line break cannot write a line of its own that looks like
// the system's; a huge value costs a bounded line that says what was cut.
TEST_F(RegistroEventosTest, ControlCharactersEscapedAndLongTextsCutWithANote) {
  GuardarMensagens();
  const struct { std::string texto, linha; } casos[] = {
      {"      Razão Social: X\n17:00:00 - Aprovado pelo Host: 17:00:00",
       "      Razão Social: X\\n17:00:00 - Aprovado pelo Host: 17:00:00"},
      {"a\r\nb\tc\x1B[2Jd\x7F", "a\\r\\nb\\tc\\x1B[2Jd\\x7F"},
      {"NEL\xC2\x85 LS\xE2\x80\xA8 PS\xE2\x80\xA9 ação", "NEL\\u0085 LS\\u2028 PS\\u2029 ação"},
      {std::string(500, 'x'), std::string(500, 'x')},
      {std::string(499, 'x') + "éé" + std::string(1000, 'y'),
       std::string(499, 'x') + "é [... mais 1001 caracteres não registrados]"},
      {std::string(5 * 1024 * 1024, 'z'), std::string(500, 'z') + " [... mais 5242380 caracteres não registrados]"},
  };
  for (const auto& c : casos) {
    log.RegistraEvento(c.texto, true, true);
    EXPECT_EQ(ui.Eventos().back(), c.linha);
  }
  std::string esperado;
  for (const auto& c : casos) esperado += "09:05:07 - " + c.linha + "\r\n";
  EXPECT_EQ(Arquivo051226(), esperado);
  // The row's message is the text itself (trimmed, cut to 50).
  EXPECT_EQ(mensagens[0], "Razão Social: X\n17:00:00 - Aprovado pelo Host: 17:");
  // Lines written straight to the file too.
  log.CriaLogNFe("erro\r\n09:00:00 - forjada");
  EXPECT_TRUE(Arquivo051226().ends_with("09:05:07 - erro\\r\\n09:00:00 - forjada\r\n"));
}


// The switches choose the file and the request's row; the list takes every
// line, up to 200. A row message not written is noted in the file, with the
// whole trimmed text; before there is a writer the row step is skipped.
TEST_F(RegistroEventosTest, TheListAlwaysTheFileAndTheRowByTheirSwitches) {
  log.RegistraEvento("sem fila ainda", false, true);
  GuardarMensagens();
  log.RegistraEvento("      nenhum", false, false);
  log.RegistraEvento("      so arquivo", true, false);
  log.RegistraEvento("      so mensagem", false, true);
  log.RegistraEvento("      os dois", true, true);
  EXPECT_EQ(mensagens, (std::vector<std::string>{"so mensagem", "os dois"}));
  const std::string longa = "   " + std::string(80, 'x') + "  ";
  log.DefinirEscritorMensagem([](const std::string&) { return false; });
  log.RegistraEvento(longa, false, true);
  log.DefinirEscritorMensagem([](const std::string&) -> bool { throw std::runtime_error("sem banco"); });
  log.RegistraEvento("Consulta NFe...", false, true);
  EXPECT_EQ(Arquivo051226(), "09:05:07 -       so arquivo\r\n09:05:07 -       os dois\r\n"
                             "09:05:07 -  ** Erro: Não foi possível definir mensagem: " + std::string(80, 'x') +
                                 "\r\n09:05:07 -  ** Erro: Não foi possível definir mensagem: Consulta NFe...\r\n");
  EXPECT_EQ(ui.Eventos(), (std::deque<std::string>{"sem fila ainda", "      nenhum", "      so arquivo",
                                                   "      so mensagem", "      os dois", longa, "Consulta NFe..."}));
  EXPECT_TRUE(ui.Caixas().empty());
  for (int i = 1; i <= 201; ++i) log.RegistraEvento("linha " + std::to_string(i), false, false);
  ASSERT_EQ(ui.QuantidadeEventos(), 200);   // the 201st drops the first and is selected
  EXPECT_EQ(ui.Eventos().front() + "|" + ui.Eventos().back() + "|" + std::to_string(ui.EventoSelecionado()), "linha 2|linha 201|199");
}

TEST(RegistroEventosFalhaTest, AFileThatCannotBeWrittenShowsTwoBoxesEachTimeAndTheLineStillReachesTheList) {
  // What is in the way: a folder named as the file, or a file named as its folder.
  const struct { std::string obstaculo; bool pasta; } casos[] = {
      {kArquivo051226, true}, {"C/KorvanePafEcf/NFe/VelantNFe/Log", false}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.obstaculo);
    Registro r;
    if (c.pasta) std::filesystem::create_directories(r.raiz.Caminho() / c.obstaculo);
    else GravarTudo(r.raiz.Caminho() / c.obstaculo, "não é uma pasta");

    r.log.RegistraEvento("      Gerando NFe...", true, false);
    ASSERT_EQ(r.ui.Caixas().size(), 2u);
    const auto& [erro, nossa] = std::pair(r.ui.Caixas()[0], r.ui.Caixas()[1]);   // style|title|text
    EXPECT_FALSE(erro.prompt.empty());
    EXPECT_EQ(std::to_string(erro.estilo) + "|" + erro.titulo + "|" + std::to_string(nossa.estilo) + "|" + nossa.titulo +
                  "|" + nossa.prompt,
              std::to_string(vbOKOnly) + "||" + std::to_string(vbInformation) +
                  "|Erro: CriaLogNFe|Erro ao criar LOG TEF:       Gerando NFe...");
    EXPECT_EQ(r.ui.Eventos().back(), "      Gerando NFe...");
    r.log.RegistraEvento("outra", true, false);
    EXPECT_EQ(r.ui.Caixas().size(), 4u);
  }
}

}  // namespace
}  // namespace velant
