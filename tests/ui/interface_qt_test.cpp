// The Qt window, offscreen: its controls, and the tray icon it hides behind.
// Built only when the Qt window is.
#ifdef VELANT_COM_QT

#include "ui/qt/interface_qt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <cstdlib>

namespace velant {
namespace {

TEST(InterfaceQtTest, ControlsTextsAndMinimisingBehindTheTrayIcon) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int argc = 1;
  char nome[] = "testes_ui";
  char* argv[] = {nome, nullptr};
  QApplication app(argc, argv);
  InterfaceQt ui;
  JanelaGerenciador& j = ui.Janela();
  int vezes = 0;
  ui.DefinirAcaoCommand1([&] { ++vezes; });
  j.findChild<QPushButton*>("Command1")->click();
  ui.DefinirStatus("Ativo: Aguardando Solicitação");
  ui.DefinirTitulo("Velant NFe");
  ui.AdicionarEventoSelecionado("primeira");
  ui.AdicionarEventoSelecionado("      segunda com ç");
  ui.RemoverPrimeiroEvento();
  EXPECT_EQ(j.objectName().toStdString() + "|" + j.findChild<QLabel*>("Label2")->text().toStdString() + "|" +
                j.lblMensagem->text().toStdString() + "|" + j.windowTitle().toStdString() + "|" +
                j.lbEventos->item(0)->text().toStdString() + "|" + std::to_string(j.lbEventos->currentRow()) + "|" +
                std::to_string(ui.QuantidadeEventos()) + "|" + std::to_string(vezes),
            "GerenciadorNFe|Mensagem:|Ativo: Aguardando Solicitação|Velant NFe|      segunda com ç|0|1|1");

  j.DefinirBandejaDisponivel(true);
  j.show();
  j.setWindowState(Qt::WindowMinimized);
  QCoreApplication::processEvents();
  EXPECT_TRUE(j.IconeNaBandeja() && !j.isVisible());
  EXPECT_EQ(j.Bandeja()->toolTip(), "Velant NFe");
  emit j.Bandeja()->activated(QSystemTrayIcon::Trigger);
  QCoreApplication::processEvents();
  EXPECT_TRUE(!j.IconeNaBandeja() && j.isVisible() && !j.isMinimized());
  ui.AtualizaIconeBandeja(NIM_ADD, "Velant NFe");
  ASSERT_TRUE(j.IconeNaBandeja());
  j.close();
  EXPECT_FALSE(j.IconeNaBandeja());
}

}  // namespace
}  // namespace velant

#endif  // VELANT_COM_QT
