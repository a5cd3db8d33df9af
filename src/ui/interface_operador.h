#pragma once
// What the Host shows an operator: the event list, the status label, the
// caption, message and input boxes, and the tray icon. The headless
// implementation answers every box at once; the Qt window shows them.
#include <cstdint>
#include <functional>
#include <string>

namespace velant {

// Buttons and icons of a message box, with the values of the message-box API.
enum EstiloCaixa : int {
  vbOKOnly = 0,
  vbOKCancel = 1,
  vbYesNo = 4,
  vbCritical = 16,
  vbQuestion = 32,
  vbExclamation = 48,
  vbInformation = 64,
};
enum RespostaCaixa : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Lines the event list keeps; the oldest goes first.
inline constexpr int kMaximoEventosLista = 200;

// Title of a box shown with an empty title (the program's name).
inline constexpr const char* kTituloPadraoCaixa = "VelantNFe";

// Modes of AtualizaIconeBandeja.
enum ModoBandeja : int32_t { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };

class InterfaceOperador {
 public:
  virtual ~InterfaceOperador() = default;

  // Event list lbEventos.
  virtual int QuantidadeEventos() const = 0;
  virtual void RemoverPrimeiroEvento() = 0;
  virtual void AdicionarEventoSelecionado(const std::string& texto) = 0;  // appended and selected

  virtual void DefinirStatus(const std::string& texto) = 0;   // lblMensagem
  virtual void DefinirTitulo(const std::string& texto) = 0;   // window caption
  virtual void Repintar() = 0;
  virtual void ProcessarEventos() = 0;                         // DoEvents

  // An empty title means the program's default title.
  virtual int MsgBox(const std::string& prompt, int estilo = vbOKOnly, const std::string& titulo = "") = 0;
  virtual std::string InputBox(const std::string& prompt, const std::string& titulo = "",
                               const std::string& padrao = "") = 0;

  virtual void AtualizaIconeBandeja(int32_t modo, const std::string& dica) = 0;
  virtual void PonteiroAmpulheta(bool ativo) = 0;

  // What the button Command1 runs (the city-code utility); the manager sets it.
  virtual void DefinirAcaoCommand1(std::function<void()> acao) { (void)acao; }

  // The main loop: calls `tique` every intervaloMs milliseconds (Timer1)
  // and processes window events in between, until `deveParar` answers true
  // (checked at least every 100 ms). Returns the process exit code.
  virtual int ExecutarTemporizador(int intervaloMs, const std::function<void()>& tique,
                                   const std::function<bool()>& deveParar) = 0;
};

}  // namespace velant
