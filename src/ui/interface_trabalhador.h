#pragma once
// The operator interface as a worker thread sees it. A worker never touches
// the window: what it shows is queued, and the interface's own thread shows
// it (FilaInterface::Entrega), in order, and answers its boxes while the
// worker waits for the answer.
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>

#include "ui/interface_operador.h"

namespace velant {

class FilaInterface {
 public:
  explicit FilaInterface(InterfaceOperador& ui) : ui_(ui) {}

  // On the interface's thread: runs everything queued so far.
  void Entrega();
  // From any thread: queues what the interface's thread is to do.
  void Poe(std::function<void(InterfaceOperador&)> acao);
  // From a worker: runs `pergunta` on the interface's thread and waits for its answer.
  template <typename T>
  T Pergunta(std::function<T(InterfaceOperador&)> pergunta) {
    std::promise<T> resposta;
    std::future<T> futura = resposta.get_future();
    Poe([&](InterfaceOperador& ui) { resposta.set_value(pergunta(ui)); });
    return futura.get();
  }

 private:
  InterfaceOperador& ui_;
  std::mutex mutex_;
  std::deque<std::function<void(InterfaceOperador&)>> acoes_;
};

class InterfaceTrabalhador : public InterfaceOperador {
 public:
  // `prefixo` goes before the worker's status text ("[T2] ").
  InterfaceTrabalhador(FilaInterface& fila, std::string prefixo) : fila_(fila), prefixo_(std::move(prefixo)) {}

  // The list is the window's: a line added here keeps it at kMaximoEventosLista lines.
  int QuantidadeEventos() const override { return 0; }
  void RemoverPrimeiroEvento() override {}
  void AdicionarEventoSelecionado(const std::string& texto) override;
  void DefinirStatus(const std::string& texto) override;
  void DefinirTitulo(const std::string& texto) override;
  void Repintar() override {}
  void ProcessarEventos() override {}   // the interface's thread processes its own
  int MsgBox(const std::string& prompt, int estilo = vbOKOnly, const std::string& titulo = "") override;
  std::string InputBox(const std::string& prompt, const std::string& titulo = "",
                       const std::string& padrao = "") override;
  void AtualizaIconeBandeja(int32_t modo, const std::string& dica) override;
  void PonteiroAmpulheta(bool ativo) override;
  // A worker runs no loop of the interface; raises std::logic_error.
  int ExecutarTemporizador(int intervaloMs, const std::function<void()>& tique,
                           const std::function<bool()>& deveParar) override;

 private:
  FilaInterface& fila_;
  std::string prefixo_;
};

}  // namespace velant
