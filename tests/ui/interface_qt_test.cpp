// The Qt window, offscreen. Built only when the Qt window is.
#ifdef VELANT_COM_QT

#include "ui/qt/interface_qt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

namespace velant {
namespace {

class InterfaceQtTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char nome[] = "testes_ui";
    static char* argv[] = {nome, nullptr};
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
  }
  InterfaceQt ui;
};

TEST_F(InterfaceQtTest, ControlsCarryTheirNamesTextsAndCommand1Action) {
  JanelaGerenciador& j = ui.Janela();
  EXPECT_EQ(j.objectName(), "GerenciadorNFe");
  EXPECT_EQ(j.findChild<QListWidget*>("lbEventos"), j.lbEventos);
  EXPECT_EQ(j.findChild<QLabel*>("Label2")->text(), "Mensagem:");
  ASSERT_NE(j.findChild<QLabel*>("lblMensagem"), nullptr);
  int vezes = 0;
  ui.DefinirAcaoCommand1([&] { ++vezes; });
  j.findChild<QPushButton*>("Command1")->click();
  EXPECT_EQ(vezes, 1);

  ui.DefinirStatus("Ativo: Aguardando Solicitação");
  ui.DefinirTitulo("Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5");
  EXPECT_EQ(j.lblMensagem->text().toStdString(), "Ativo: Aguardando Solicitação");
  EXPECT_EQ(j.windowTitle().toStdString(), "Velant NFe V-6.07.01.1 IP deste PC:10.0.0.5");
}

TEST_F(InterfaceQtTest, ListSelectsTheNewestEntryAndKeepsItsMarginsWhenResized) {
  QListWidget& lista = *ui.Janela().lbEventos;
  ui.AdicionarEventoSelecionado("primeira");
  ui.AdicionarEventoSelecionado("      segunda com ç");
  ui.RemoverPrimeiroEvento();
  ASSERT_EQ(ui.QuantidadeEventos(), 1);
  EXPECT_EQ(lista.item(0)->text().toStdString(), "      segunda com ç");
  EXPECT_EQ(lista.currentRow(), 0);

  ui.Janela().show();
  ui.Janela().resize(700, 500);
  QCoreApplication::processEvents();
  EXPECT_EQ(lista.width(), 700 - 17);   // 255 and 1935 twips
  EXPECT_EQ(lista.height(), 500 - 129);
}

TEST_F(InterfaceQtTest, MinimisingHidesBehindTheIconAClickBringsItBackAndClosingRemovesIt) {
  JanelaGerenciador& j = ui.Janela();
  j.DefinirBandejaDisponivel(true);
  j.setWindowTitle("Velant NFe");
  j.show();
  for (auto clique : {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Trigger}) {
    j.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(j.IconeNaBandeja());
    EXPECT_EQ(j.Bandeja()->toolTip(), "Velant NFe");
    EXPECT_FALSE(j.isVisible());
    emit j.Bandeja()->activated(clique);
    QCoreApplication::processEvents();
    EXPECT_FALSE(j.IconeNaBandeja());
    EXPECT_TRUE(j.isVisible());
    EXPECT_FALSE(j.isMinimized());
  }
  ui.AtualizaIconeBandeja(NIM_ADD, "Velant NFe");
  ASSERT_TRUE(j.IconeNaBandeja());
  j.close();
  EXPECT_FALSE(j.IconeNaBandeja());
}

TEST_F(InterfaceQtTest, WithoutANotificationAreaMinimisingKeepsTheWindow) {
  JanelaGerenciador& j = ui.Janela();
  j.DefinirBandejaDisponivel(false);
  j.show();
  j.setWindowState(Qt::WindowMinimized);
  QCoreApplication::processEvents();
  EXPECT_FALSE(j.IconeNaBandeja());
  EXPECT_TRUE(j.isVisible());
}

TEST_F(InterfaceQtTest, MessageBoxesShowTitleTextIconAndAnswerWithTheButtonPressed) {
  const struct { int estilo; QMessageBox::StandardButton botao; int resposta; QMessageBox::Icon icone; } casos[] = {
      {vbOKOnly, QMessageBox::Ok, vbOK, QMessageBox::NoIcon},
      {vbYesNo | vbQuestion, QMessageBox::Yes, vbYes, QMessageBox::Question},
      {vbYesNo | vbQuestion, QMessageBox::No, vbNo, QMessageBox::Question},
      {vbOKCancel | vbExclamation, QMessageBox::Cancel, vbCancel, QMessageBox::Warning},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.estilo);
    QTimer::singleShot(0, [&] {
      auto* caixa = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(caixa, nullptr);
      EXPECT_EQ(caixa->windowTitle(), "VelantNFe");
      EXPECT_EQ(caixa->text().toStdString(), "Atenção! Este Programa já encontra-se aberto!");
      EXPECT_EQ(caixa->icon(), c.icone);
      caixa->button(c.botao)->click();
    });
    EXPECT_EQ(ui.MsgBox("Atenção! Este Programa já encontra-se aberto!", c.estilo, ""), c.resposta);
  }
}

TEST_F(InterfaceQtTest, InputBoxGivesTheTypedTextOrEmptyOnCancel) {
  QTimer::singleShot(0, [] {
    auto* caixa = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(caixa, nullptr);
    EXPECT_EQ(caixa->windowTitle(), "Envio de Email");
    caixa->setTextValue("cliente@example.com");
    caixa->accept();
  });
  EXPECT_EQ(ui.InputBox("Informe o Email do destinatario", "Envio de Email"), "cliente@example.com");

  QTimer::singleShot(0, [] {
    auto* caixa = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(caixa, nullptr);
    EXPECT_EQ(caixa->textValue(), "padrao");
    caixa->reject();
  });
  EXPECT_EQ(ui.InputBox("p", "t", "padrao"), "");
}

TEST_F(InterfaceQtTest, TimerTicksUntilAskedToStopAndANestedTickIsSkipped) {
  int tiques = 0, aninhados = 0;
  const auto tique = [&] {   // lets events run for longer than the interval
    const int antes = ++tiques;
    QTimer espera;
    espera.setSingleShot(true);
    espera.start(30);
    while (espera.isActive()) ui.ProcessarEventos();
    aninhados += tiques - antes;
  };
  EXPECT_EQ(ui.ExecutarTemporizador(5, tique, [&] { return tiques >= 3; }), 0);
  // The stop is looked at every 50 ms, not between ticks: one more tick may start before it.
  EXPECT_GE(tiques, 3);
  EXPECT_EQ(aninhados, 0);
}

TEST_F(InterfaceQtTest, AnExceptionInATickLeavesTheLoopAndReachesTheCaller) {
  EXPECT_THROW(ui.ExecutarTemporizador(5, [] { throw std::runtime_error("falha"); }, [] { return false; }),
               std::runtime_error);
}

}  // namespace
}  // namespace velant

#endif  // VELANT_COM_QT
