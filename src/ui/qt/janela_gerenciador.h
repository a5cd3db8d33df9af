#pragma once
// The main window GerenciadorNFe: the event list, the status label, the
// city-code button, and the notification-area icon it hides behind when
// minimised.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace velant {

class JanelaGerenciador : public QWidget {
  Q_OBJECT

 public:
  explicit JanelaGerenciador(QWidget* pai = nullptr);

  QListWidget* lbEventos;
  QLabel* Label2;
  QLabel* lblMensagem;
  QPushButton* Command1;

  // Modes NIM_ADD, NIM_MODIFY, NIM_DELETE; any other does nothing.
  void AtualizaIconeBandeja(int32_t modo, const QString& dica);
  bool IconeNaBandeja() const { return bandeja_->isVisible(); }
  QSystemTrayIcon* Bandeja() const { return bandeja_; }

  void DefinirAcaoCommand1(std::function<void()> acao) { acaoCommand1_ = std::move(acao); }

  // Without a notification area a hidden window could not be brought back,
  // so minimising then only minimises. Tests force either case.
  void DefinirBandejaDisponivel(bool disponivel) { bandejaDisponivel_ = disponivel; }

  // What a click or double-click on the icon does.
  void RestaurarDaBandeja();

 protected:
  void changeEvent(QEvent* evento) override;
  void resizeEvent(QResizeEvent* evento) override;
  void closeEvent(QCloseEvent* evento) override;

 private:
  void IconeAtivado(QSystemTrayIcon::ActivationReason motivo);
  void PosicionarControles();

  QSystemTrayIcon* bandeja_;
  bool bandejaDisponivel_;
  std::function<void()> acaoCommand1_;
};

}  // namespace velant
