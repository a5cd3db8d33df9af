#pragma once
// The operator interface on a Qt window: the event list, the status label
// and the caption of GerenciadorNFe, modal boxes, the notification-area
// icon, and the timer driving the poll loop.
#include <QApplication>
#include <memory>

#include "ui/interface_operador.h"
#include "ui/qt/janela_gerenciador.h"

namespace velant {

class InterfaceQt : public InterfaceOperador {
 public:
  // Uses the running QApplication, or starts one for the process.
  InterfaceQt();
  ~InterfaceQt() override;

  JanelaGerenciador& Janela() { return *janela_; }

  int QuantidadeEventos() const override;
  void RemoverPrimeiroEvento() override;
  void AdicionarEventoSelecionado(const std::string& texto) override;
  void DefinirStatus(const std::string& texto) override;
  void DefinirTitulo(const std::string& texto) override;
  void Repintar() override;
  void ProcessarEventos() override;
  int MsgBox(const std::string& prompt, int estilo = vbOKOnly, const std::string& titulo = "") override;
  std::string InputBox(const std::string& prompt, const std::string& titulo = "",
                       const std::string& padrao = "") override;
  void AtualizaIconeBandeja(int32_t modo, const std::string& dica) override;
  void PonteiroAmpulheta(bool ativo) override;
  void DefinirAcaoCommand1(std::function<void()> acao) override;
  int ExecutarTemporizador(int intervaloMs, const std::function<void()>& tique,
                           const std::function<bool()>& deveParar) override;

 private:
  std::unique_ptr<QApplication> aplicacao_;   // only when this object started it
  std::unique_ptr<JanelaGerenciador> janela_;
  int ampulhetas_ = 0;
};

std::unique_ptr<InterfaceOperador> CriaInterfaceQt();

}  // namespace velant
