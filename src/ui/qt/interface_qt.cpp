#include "ui/qt/interface_qt.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <exception>

namespace velant {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString TituloOuPadrao(const std::string& titulo) { return Q(titulo.empty() ? std::string(kTituloPadraoCaixa) : titulo); }

QMessageBox::StandardButtons Botoes(int estilo) {
  switch (estilo & 7) {
    case 1: return QMessageBox::Ok | QMessageBox::Cancel;
    case 2: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4: return QMessageBox::Yes | QMessageBox::No;
    case 5: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

QMessageBox::Icon Icone(int estilo) {
  switch (estilo & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int Resposta(int botao) {
  switch (botao) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Abort: return 3;
    case QMessageBox::Retry: return 4;
    case QMessageBox::Ignore: return 5;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbCancel;
  }
}

// QApplication keeps a reference to argc for its whole life.
int argcQt = 1;
char nomePrograma[] = "velantnfe";
char* argvQt[] = {nomePrograma, nullptr};

}  // namespace

InterfaceQt::InterfaceQt() {
  if (QApplication::instance() == nullptr) aplicacao_ = std::make_unique<QApplication>(argcQt, argvQt);
  janela_ = std::make_unique<JanelaGerenciador>();
}

InterfaceQt::~InterfaceQt() {
  while (ampulhetas_ > 0) PonteiroAmpulheta(false);
  janela_.reset();
}

int InterfaceQt::QuantidadeEventos() const { return janela_->lbEventos->count(); }

void InterfaceQt::RemoverPrimeiroEvento() { delete janela_->lbEventos->takeItem(0); }

void InterfaceQt::AdicionarEventoSelecionado(const std::string& texto) {
  janela_->lbEventos->addItem(Q(texto));
  janela_->lbEventos->setCurrentRow(janela_->lbEventos->count() - 1);
}

void InterfaceQt::DefinirStatus(const std::string& texto) { janela_->lblMensagem->setText(Q(texto)); }

void InterfaceQt::DefinirTitulo(const std::string& texto) { janela_->setWindowTitle(Q(texto)); }

void InterfaceQt::Repintar() {
  if (janela_->isVisible()) janela_->repaint();
}

void InterfaceQt::ProcessarEventos() { QCoreApplication::processEvents(); }

int InterfaceQt::MsgBox(const std::string& prompt, int estilo, const std::string& titulo) {
  QWidget* pai = janela_->isVisible() ? janela_.get() : nullptr;
  QMessageBox caixa(Icone(estilo), TituloOuPadrao(titulo), Q(prompt), Botoes(estilo), pai);
  caixa.setObjectName("MsgBox");
  return Resposta(caixa.exec());
}

std::string InterfaceQt::InputBox(const std::string& prompt, const std::string& titulo, const std::string& padrao) {
  QWidget* pai = janela_->isVisible() ? janela_.get() : nullptr;
  QInputDialog caixa(pai);
  caixa.setObjectName("InputBox");
  caixa.setWindowTitle(TituloOuPadrao(titulo));
  caixa.setLabelText(Q(prompt));
  caixa.setTextValue(Q(padrao));
  // Cancel answers the empty text.
  if (caixa.exec() != QDialog::Accepted) return "";
  return caixa.textValue().toStdString();
}

void InterfaceQt::AtualizaIconeBandeja(int32_t modo, const std::string& dica) {
  janela_->AtualizaIconeBandeja(modo, Q(dica));
}

void InterfaceQt::PonteiroAmpulheta(bool ativo) {
  if (ativo) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++ampulhetas_;
  } else if (ampulhetas_ > 0) {
    QApplication::restoreOverrideCursor();
    --ampulhetas_;
  }
}

void InterfaceQt::DefinirAcaoCommand1(std::function<void()> acao) { janela_->DefinirAcaoCommand1(std::move(acao)); }

int InterfaceQt::ExecutarTemporizador(int intervaloMs, const std::function<void()>& tique,
                                      const std::function<bool()>& deveParar) {
  if (deveParar()) return 0;
  std::exception_ptr falha;
  bool emTique = false;

  QTimer Timer1;
  Timer1.setInterval(intervaloMs);
  QObject::connect(&Timer1, &QTimer::timeout, [&] {
    // The tick lets the window process events; a timer event arriving
    // meanwhile must not start a second tick inside the first.
    if (emTique || falha) return;
    emTique = true;
    try {
      tique();
    } catch (...) {
      // An exception must not cross the event loop: leave it and rethrow.
      falha = std::current_exception();
      QCoreApplication::exit(70);
    }
    emTique = false;
  });

  QTimer vigia;
  vigia.setInterval(50);
  QObject::connect(&vigia, &QTimer::timeout, [&] {
    if (!falha && deveParar()) QCoreApplication::exit(0);
  });

  janela_->show();
  Timer1.start();
  vigia.start();
  int codigo = QCoreApplication::exec();
  Timer1.stop();
  vigia.stop();
  if (falha) std::rethrow_exception(falha);
  return codigo;
}

std::unique_ptr<InterfaceOperador> CriaInterfaceQt() { return std::make_unique<InterfaceQt>(); }

}  // namespace velant
