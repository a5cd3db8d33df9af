#include "ui/qt/janela_gerenciador.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>

#include "ui/interface_operador.h"

namespace velant {

namespace {

// The list keeps 255 twips (17 pixels) to its right and 1935 twips
// (129 pixels) below it for the status line and the button.
constexpr int kFolgaLargura = 17;
constexpr int kFolgaAltura = 129;
constexpr int kMargem = 8;

QIcon IconePrograma() {
  QPixmap figura(32, 32);
  figura.fill(Qt::transparent);
  QPainter p(&figura);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0, 102, 153));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(1, 1, 30, 30, 6, 6);
  p.setPen(Qt::white);
  QFont fonte = p.font();
  fonte.setBold(true);
  fonte.setPixelSize(13);
  p.setFont(fonte);
  p.drawText(figura.rect(), Qt::AlignCenter, "NF");
  return QIcon(figura);
}

}  // namespace

JanelaGerenciador::JanelaGerenciador(QWidget* pai)
    : QWidget(pai),
      lbEventos(new QListWidget(this)),
      Label2(new QLabel("Mensagem:", this)),
      lblMensagem(new QLabel(this)),
      Command1(new QPushButton("Cidades IBGE", this)),
      bandeja_(new QSystemTrayIcon(this)),
      bandejaDisponivel_(QSystemTrayIcon::isSystemTrayAvailable()) {
  setObjectName("GerenciadorNFe");
  lbEventos->setObjectName("lbEventos");
  Label2->setObjectName("Label2");
  lblMensagem->setObjectName("lblMensagem");
  Command1->setObjectName("Command1");
  lbEventos->setUniformItemSizes(true);

  QIcon icone = IconePrograma();
  setWindowIcon(icone);
  bandeja_->setIcon(icone);

  connect(Command1, &QPushButton::clicked, this, [this] {
    if (acaoCommand1_) acaoCommand1_();
  });
  connect(bandeja_, &QSystemTrayIcon::activated, this, &JanelaGerenciador::IconeAtivado);

  move(10, 10);
  resize(640, 420);
  PosicionarControles();
}

void JanelaGerenciador::AtualizaIconeBandeja(int32_t modo, const QString& dica) {
  switch (modo) {
    case NIM_ADD:
      // Adding an icon that is already there changes nothing.
      if (!bandeja_->isVisible()) {
        bandeja_->setToolTip(dica.left(63));
        bandeja_->show();
      }
      break;
    case NIM_MODIFY:
      if (bandeja_->isVisible()) bandeja_->setToolTip(dica.left(63));
      break;
    case NIM_DELETE:
      bandeja_->hide();
      break;
    default: break;
  }
}

void JanelaGerenciador::RestaurarDaBandeja() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  AtualizaIconeBandeja(NIM_DELETE, QString());
  show();
  raise();
  activateWindow();
}

void JanelaGerenciador::IconeAtivado(QSystemTrayIcon::ActivationReason motivo) {
  if (motivo == QSystemTrayIcon::Trigger || motivo == QSystemTrayIcon::DoubleClick) RestaurarDaBandeja();
}

void JanelaGerenciador::changeEvent(QEvent* evento) {
  QWidget::changeEvent(evento);
  if (evento->type() != QEvent::WindowStateChange || !isMinimized() || !bandejaDisponivel_) return;
  AtualizaIconeBandeja(NIM_ADD, windowTitle());
  // Hiding from inside the state change confuses some window managers.
  QMetaObject::invokeMethod(this, [this] {
    if (isMinimized()) hide();
  }, Qt::QueuedConnection);
}

void JanelaGerenciador::resizeEvent(QResizeEvent* evento) {
  QWidget::resizeEvent(evento);
  if (!isMinimized()) PosicionarControles();
}

void JanelaGerenciador::closeEvent(QCloseEvent* evento) {
  AtualizaIconeBandeja(NIM_DELETE, QString());
  evento->accept();
}

void JanelaGerenciador::PosicionarControles() {
  const int w = width();
  const int h = height();
  lbEventos->setGeometry(kMargem, kMargem, std::max(0, w - kFolgaLargura), std::max(0, h - kFolgaAltura));
  const int base = kMargem + std::max(0, h - kFolgaAltura) + 12;
  Label2->adjustSize();
  Label2->move(kMargem, base + 4);
  lblMensagem->setGeometry(kMargem + Label2->width() + 6, base + 4, std::max(0, w - Label2->width() - 3 * kMargem - 6),
                           Label2->height());
  Command1->adjustSize();
  Command1->move(std::max(kMargem, w - Command1->width() - kMargem), base + Label2->height() + 16);
}

}  // namespace velant
