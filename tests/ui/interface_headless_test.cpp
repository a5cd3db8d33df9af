// The headless window, and the worker's view of a window.
#include "ui/interface_headless.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>

#include "ui/interface_trabalhador.h"

namespace velant {
namespace {

std::string Conteudo(std::FILE* f) {
  std::rewind(f);
  std::string s(4096, '\0');
  s.resize(std::fread(s.data(), 1, s.size(), f));
  std::fclose(f);
  return s;
}

// OK or Yes at once, empty inputs, unless an answer was programmed for the next one.
TEST(InterfaceHeadlessTest, BoxesAnswerOkOrYesOrTheProgrammedAnswerOnce) {
  const struct { int estilo, resposta; } casos[] = {
      {vbOKOnly, vbOK}, {vbOKCancel, vbOK}, {vbYesNo | vbQuestion, vbYes}, {3 | vbExclamation, vbYes}, {vbInformation, vbOK}};
  InterfaceHeadless ui(true);
  for (const auto& c : casos) {
    EXPECT_EQ(ui.MsgBox("pergunta", c.estilo, "T"), c.resposta) << c.estilo;
    EXPECT_EQ(ui.Caixas().back().estilo * 100 + ui.Caixas().back().resposta, c.estilo * 100 + c.resposta);
  }
  ui.ResponderProximaCaixa(vbNo);
  ui.ResponderProximaEntrada("contador@example.com");
  const int sim = ui.MsgBox("a", vbYesNo), nao = ui.MsgBox("b", vbYesNo);   // declarators run in order
  const std::string programada = ui.InputBox("p", "t", "padrao"), vazia = ui.InputBox("p");
  EXPECT_EQ(std::to_string(sim) + std::to_string(nao) + "|" + programada + "|" + vazia + "|" + ui.Entradas()[0].padrao,
            std::to_string(vbNo) + std::to_string(vbYes) + "|contador@example.com||padrao");
}

TEST(InterfaceHeadlessTest, WritesListStatusAndBoxesToItsOutputUnlessQuiet) {
  std::FILE* saida = std::tmpfile();
  {
    InterfaceHeadless ui(false, saida);
    ui.AdicionarEventoSelecionado("      Aprovado pelo Host: 09:05:07");
    ui.DefinirStatus("Verificando Solicitação...");
    ui.DefinirStatus("Verificando Solicitação...");   // unchanged: not repeated
    ui.MsgBox("O IP deste computador é: 1.2.3.4\r\ne não confere", vbExclamation, "IP Divergente!");
    ui.InputBox("Informe o Email do destinatario", "Envio de Email");
  }
  EXPECT_EQ(Conteudo(saida), "      Aprovado pelo Host: 09:05:07\n[status] Verificando Solicitação...\n"
                             "[caixa] IP Divergente!: O IP deste computador é: 1.2.3.4 / e não confere\n"
                             "[entrada] Envio de Email: Informe o Email do destinatario -> \"\"\n");
  InterfaceHeadless quieta(true, saida = std::tmpfile());
  quieta.AdicionarEventoSelecionado("linha");
  quieta.DefinirStatus("status");
  quieta.MsgBox("caixa");
  EXPECT_EQ(quieta.Eventos().back() + "|" + quieta.Status() + "|" + Conteudo(saida), "linha|status|");
}

TEST(InterfaceHeadlessTest, ListKeepsTheNewestSelectedAndTheTrayIconIsAddedOnceAndDeletedWithItsTip) {
  InterfaceHeadless ui(true);
  for (const char* e : {"1", "2", "3"}) ui.AdicionarEventoSelecionado(e);
  ui.RemoverPrimeiroEvento();
  EXPECT_EQ(ui.Eventos().front() + ui.Eventos()[static_cast<size_t>(ui.EventoSelecionado())], "23");
  for (int i = 0; i < 3; ++i) ui.RemoverPrimeiroEvento();   // the last one on an empty list: nothing happens
  EXPECT_EQ(std::pair(ui.QuantidadeEventos(), ui.EventoSelecionado()), std::pair(0, -1));

  std::string dicas;
  for (const auto& [modo, dica] : {std::pair(int{NIM_MODIFY}, "sem icone"), {NIM_ADD, "primeira"}, {NIM_ADD, "segunda"},
                                   {NIM_MODIFY, "terceira"}, {7, "modo desconhecido"}, {NIM_DELETE, ""}}) {
    ui.AtualizaIconeBandeja(modo, dica);
    dicas += std::to_string(ui.IconeNaBandeja()) + ui.DicaBandeja() + "|";
  }
  EXPECT_EQ(dicas, "0|1primeira|1primeira|1terceira|1terceira|0|");
}

TEST(InterfaceHeadlessTest, TimerTicksUntilAskedToStopAndNeverWaitsOutALongInterval) {
  InterfaceHeadless ui(true);
  int tiques = 0, consultas = 0;
  EXPECT_EQ(ui.ExecutarTemporizador(5, [&] { ++tiques; }, [&] { return tiques >= 3; }), 0);
  EXPECT_EQ(std::pair(tiques, ui.Tiques()), std::pair(3, 3));
  const auto inicio = std::chrono::steady_clock::now();
  ui.ExecutarTemporizador(60000, [&] { ++tiques; }, [&] { return ++consultas > 3; });
  EXPECT_EQ(tiques, 3);
  EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(5));
}

// What a worker shows reaches the window only when its thread delivers, in
// order, the list keeping its size; a box it asks is answered on the window's thread.
TEST(InterfaceTrabalhador, MostraSoNaEntregaEmOrdemECaixaRespondidaPelaJanela) {
  InterfaceHeadless janela(true);
  FilaInterface fila(janela);
  InterfaceTrabalhador ui(fila, "[T2] ");
  std::thread([&] {
    for (int i = 0; i < kMaximoEventosLista + 5; ++i) ui.AdicionarEventoSelecionado("linha " + std::to_string(i));
    ui.DefinirStatus("Verificando Solicitação...");
  }).join();
  EXPECT_TRUE(janela.Eventos().empty());
  fila.Entrega();
  ASSERT_EQ(janela.Eventos().size(), static_cast<size_t>(kMaximoEventosLista));
  EXPECT_EQ(janela.Eventos().front() + "|" + janela.Eventos().back() + "|" + janela.Status(),
            "linha 5|linha " + std::to_string(kMaximoEventosLista + 4) + "|[T2] Verificando Solicitação...");

  janela.ResponderProximaCaixa(vbNo);
  janela.ResponderProximaEntrada("resposta");
  auto caixa = std::async(std::launch::async, [&] { return ui.MsgBox("Continuar?", vbYesNo, "Atenção"); });
  auto entrada = std::async(std::launch::async, [&] { return ui.InputBox("Valor?"); });
  while (janela.Caixas().empty() || janela.Entradas().empty()) {
    fila.Entrega();
    std::this_thread::yield();
  }
  EXPECT_EQ(std::to_string(caixa.get()) + "|" + entrada.get() + "|" + janela.Caixas()[0].titulo,
            std::to_string(vbNo) + "|resposta|Atenção");
}

}  // namespace
}  // namespace velant
