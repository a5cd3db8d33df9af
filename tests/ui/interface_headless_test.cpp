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
  for (size_t n; (n = std::fread(bloco, 1, sizeof bloco, f)) > 0;) s.append(bloco, n);
  return s;
}

TEST(InterfaceHeadlessTest, BoxesAreAnsweredOkOrYesAtOnceAndInputBoxesEmpty) {
  const struct { int estilo, resposta; } casos[] = {
      {vbOKOnly, vbOK}, {vbOKCancel, vbOK}, {vbYesNo, vbYes}, {vbYesNo | vbQuestion, vbYes},
      {3 | vbExclamation, vbYes}, {vbExclamation, vbOK}, {vbInformation, vbOK},
  };
  InterfaceHeadless ui(true);
  for (const auto& c : casos) {
    EXPECT_EQ(ui.MsgBox("pergunta", c.estilo, "T"), c.resposta) << c.estilo;
    EXPECT_EQ(ui.Caixas().back().estilo, c.estilo);
    EXPECT_EQ(ui.Caixas().back().resposta, c.resposta);
  }
  EXPECT_EQ(ui.Caixas().size(), std::size(casos));
  EXPECT_EQ(ui.InputBox("p", "t", "padrao"), "");
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

TEST(InterfaceHeadlessTest, WritesListStatusAndBoxesToItsOutputUnlessQuiet) {
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

  saida = std::tmpfile();
  ASSERT_NE(saida, nullptr);
  InterfaceHeadless quieta(true, saida);
  quieta.AdicionarEventoSelecionado("linha");
  quieta.DefinirStatus("status");
  quieta.DefinirTitulo("Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5");
  quieta.MsgBox("caixa");
  EXPECT_EQ(Conteudo(saida), "");
  EXPECT_EQ(quieta.Eventos().back() + "|" + quieta.Status() + "|" + quieta.Titulo() + "|" + std::to_string(quieta.Caixas().size()),
            "linha|status|Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5|1");
  std::fclose(saida);
}

TEST(InterfaceHeadlessTest, TheNewestEntryStaysSelectedWhenTheOldestGoes) {
  InterfaceHeadless ui(true);
  EXPECT_EQ(ui.EventoSelecionado(), -1);
  for (const char* e : {"1", "2", "3"}) ui.AdicionarEventoSelecionado(e);
  ui.RemoverPrimeiroEvento();
  EXPECT_EQ(ui.QuantidadeEventos(), 2);
  EXPECT_EQ(ui.Eventos().front(), "2");
  EXPECT_EQ(ui.Eventos()[static_cast<size_t>(ui.EventoSelecionado())], "3");
  for (int i = 0; i < 3; ++i) ui.RemoverPrimeiroEvento();   // the last one on an empty list: nothing happens
  EXPECT_EQ(std::pair(ui.QuantidadeEventos(), ui.EventoSelecionado()), std::pair(0, -1));
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

TEST(InterfaceHeadlessTest, TimerTicksUntilAskedToStopAndNeverWaitsOutALongInterval) {
  InterfaceHeadless ui(true);
  int tiques = 0;
  EXPECT_EQ(ui.ExecutarTemporizador(5, [&] { ++tiques; }, [&] { return tiques >= 3; }), 0);
  EXPECT_EQ(std::pair(tiques, ui.Tiques()), std::pair(3, 3));

  int consultas = 0;
  tiques = 0;
  const auto inicio = std::chrono::steady_clock::now();
  ui.ExecutarTemporizador(60000, [&] { ++tiques; }, [&] { return ++consultas > 3; });
  EXPECT_EQ(tiques, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));
}

}  // namespace
}  // namespace velant
