#include "ui/interface_headless.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace velant {
namespace {

std::string Conteudo(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  char bloco[512];
  size_t n;
  while ((n = std::fread(bloco, 1, sizeof bloco, f)) > 0) s.append(bloco, n);
  return s;
}

struct CasoResposta {
  int estilo;
  int esperada;
};

class RespostaPadraoTest : public ::testing::TestWithParam<CasoResposta> {};

TEST_P(RespostaPadraoTest, AnswersOkOrYesAtOnce) {
  InterfaceHeadless ui(true);
  EXPECT_EQ(ui.MsgBox("pergunta", GetParam().estilo, "T"), GetParam().esperada);
  ASSERT_EQ(ui.Caixas().size(), 1u);
  EXPECT_EQ(ui.Caixas()[0].estilo, GetParam().estilo);
  EXPECT_EQ(ui.Caixas()[0].resposta, GetParam().esperada);
}

INSTANTIATE_TEST_SUITE_P(Estilos, RespostaPadraoTest,
                         ::testing::Values(CasoResposta{vbOKOnly, vbOK}, CasoResposta{vbOKCancel, vbOK},
                                           CasoResposta{vbYesNo, vbYes}, CasoResposta{vbYesNo | vbQuestion, vbYes},
                                           CasoResposta{3 | vbExclamation, vbYes},
                                           CasoResposta{vbExclamation, vbOK},
                                           CasoResposta{vbInformation, vbOK}));

TEST(InterfaceHeadlessTest, WritesListStatusAndBoxesToItsOutput) {
  std::FILE* saida = std::tmpfile();
  ASSERT_NE(saida, nullptr);
  {
    InterfaceHeadless ui(false, saida);
    ui.AdicionarEventoSelecionado("      Aprovado pelo Host: 09:05:07");
    ui.DefinirStatus("Verificando Solicitação...");
    ui.DefinirStatus("Verificando Solicitação...");   // unchanged: not repeated
    ui.MsgBox("O IP deste computador é: 1.2.3.4\r\ne não confere", vbExclamation, "IP Divergente!");
    ui.MsgBox(" Erro de Socket.");
    ui.InputBox("Informe o Email do destinatario", "Envio de Email");
  }
  EXPECT_EQ(Conteudo(saida),
            "      Aprovado pelo Host: 09:05:07\n"
            "[status] Verificando Solicitação...\n"
            "[caixa] IP Divergente!: O IP deste computador é: 1.2.3.4 / e não confere\n"
            "[caixa] VelantNFe:  Erro de Socket.\n"
            "[entrada] Envio de Email: Informe o Email do destinatario -> \"\"\n");
  std::fclose(saida);
}

TEST(InterfaceHeadlessTest, QuietWritesNothingButRemembersEverything) {
  std::FILE* saida = std::tmpfile();
  ASSERT_NE(saida, nullptr);
  InterfaceHeadless ui(true, saida);
  ui.AdicionarEventoSelecionado("linha");
  ui.DefinirStatus("status");
  ui.DefinirTitulo("Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5");
  ui.MsgBox("caixa");
  EXPECT_EQ(Conteudo(saida), "");
  EXPECT_EQ(ui.Eventos().back(), "linha");
  EXPECT_EQ(ui.Status(), "status");
  EXPECT_EQ(ui.Titulo(), "Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5");
  EXPECT_EQ(ui.Caixas().size(), 1u);
  std::fclose(saida);
}

TEST(InterfaceHeadlessTest, ProgrammedAnswersAreUsedInOrderThenDefaultsAgain) {
  InterfaceHeadless ui(true);
  ui.ResponderProximaCaixa(vbNo);
  ui.ResponderProximaEntrada("contador@example.com");
  EXPECT_EQ(ui.MsgBox("a", vbYesNo), vbNo);
  EXPECT_EQ(ui.MsgBox("b", vbYesNo), vbYes);
  EXPECT_EQ(ui.InputBox("p", "t", "padrao"), "contador@example.com");
  EXPECT_EQ(ui.InputBox("p"), "");
  ASSERT_EQ(ui.Entradas().size(), 2u);
  EXPECT_EQ(ui.Entradas()[0].padrao, "padrao");
}

TEST(InterfaceHeadlessTest, TheNewestEntryStaysSelectedWhenTheOldestGoes) {
  InterfaceHeadless ui(true);
  EXPECT_EQ(ui.EventoSelecionado(), -1);
  ui.AdicionarEventoSelecionado("1");
  ui.AdicionarEventoSelecionado("2");
  ui.AdicionarEventoSelecionado("3");
  ui.RemoverPrimeiroEvento();
  EXPECT_EQ(ui.QuantidadeEventos(), 2);
  EXPECT_EQ(ui.Eventos().front(), "2");
  EXPECT_EQ(ui.Eventos()[static_cast<size_t>(ui.EventoSelecionado())], "3");
  ui.RemoverPrimeiroEvento();
  ui.RemoverPrimeiroEvento();
  ui.RemoverPrimeiroEvento();   // empty list: nothing happens
  EXPECT_EQ(ui.QuantidadeEventos(), 0);
  EXPECT_EQ(ui.EventoSelecionado(), -1);
}

TEST(InterfaceHeadlessTest, TrayIconAddIsIgnoredWhenPresentAndDeleteRemovesIt) {
  InterfaceHeadless ui(true);
  ui.AtualizaIconeBandeja(NIM_MODIFY, "sem icone");
  EXPECT_FALSE(ui.IconeNaBandeja());
  ui.AtualizaIconeBandeja(NIM_ADD, "primeira");
  ui.AtualizaIconeBandeja(NIM_ADD, "segunda");
  EXPECT_EQ(ui.DicaBandeja(), "primeira");
  ui.AtualizaIconeBandeja(NIM_MODIFY, "terceira");
  EXPECT_EQ(ui.DicaBandeja(), "terceira");
  ui.AtualizaIconeBandeja(7, "modo desconhecido");
  EXPECT_TRUE(ui.IconeNaBandeja());
  ui.AtualizaIconeBandeja(NIM_DELETE, "");
  EXPECT_FALSE(ui.IconeNaBandeja());
}

TEST(InterfaceHeadlessTest, TimerTicksUntilAskedToStop) {
  InterfaceHeadless ui(true);
  int tiques = 0;
  int codigo = ui.ExecutarTemporizador(5, [&] { ++tiques; }, [&] { return tiques >= 3; });
  EXPECT_EQ(codigo, 0);
  EXPECT_EQ(tiques, 3);
  EXPECT_EQ(ui.Tiques(), 3);
}

TEST(InterfaceHeadlessTest, StopIsHonouredLongBeforeTheNextTick) {
  InterfaceHeadless ui(true);
  int tiques = 0;
  int consultas = 0;
  auto inicio = std::chrono::steady_clock::now();
  ui.ExecutarTemporizador(60000, [&] { ++tiques; }, [&] { return ++consultas > 3; });
  EXPECT_EQ(tiques, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));
}

TEST(InterfaceHeadlessTest, Command1RunsTheActionTheManagerGave) {
  InterfaceHeadless ui(true);
  int vezes = 0;
  ui.PressionarCommand1();   // no action yet
  ui.DefinirAcaoCommand1([&] { ++vezes; });
  ui.PressionarCommand1();
  EXPECT_EQ(vezes, 1);
}

}  // namespace
}  // namespace velant
