#include "ui/interface_trabalhador.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>

#include "ui/interface_headless.h"

namespace velant {
namespace {

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
