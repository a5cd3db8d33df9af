#include "ui/interface_trabalhador.h"

#include <stdexcept>

namespace velant {

void FilaInterface::Entrega() {
  std::deque<std::function<void(InterfaceOperador&)>> acoes;
  {
    std::lock_guard<std::mutex> trava(mutex_);
    acoes.swap(acoes_);
  }
  for (auto& acao : acoes) acao(ui_);
}

void FilaInterface::Poe(std::function<void(InterfaceOperador&)> acao) {
  std::lock_guard<std::mutex> trava(mutex_);
  acoes_.push_back(std::move(acao));
}

void InterfaceTrabalhador::AdicionarEventoSelecionado(const std::string& texto) {
  fila_.Poe([texto](InterfaceOperador& ui) {
    if (ui.QuantidadeEventos() >= kMaximoEventosLista) ui.RemoverPrimeiroEvento();
    ui.AdicionarEventoSelecionado(texto);
  });
}

void InterfaceTrabalhador::DefinirStatus(const std::string& texto) {
  fila_.Poe([texto = prefixo_ + texto](InterfaceOperador& ui) {
    ui.DefinirStatus(texto);
    ui.Repintar();
  });
}

void InterfaceTrabalhador::DefinirTitulo(const std::string& texto) {
  fila_.Poe([texto](InterfaceOperador& ui) { ui.DefinirTitulo(texto); });
}

int InterfaceTrabalhador::MsgBox(const std::string& prompt, int estilo, const std::string& titulo) {
  return fila_.Pergunta<int>([&](InterfaceOperador& ui) { return ui.MsgBox(prompt, estilo, titulo); });
}

std::string InterfaceTrabalhador::InputBox(const std::string& prompt, const std::string& titulo,
                                           const std::string& padrao) {
  return fila_.Pergunta<std::string>([&](InterfaceOperador& ui) { return ui.InputBox(prompt, titulo, padrao); });
}

void InterfaceTrabalhador::AtualizaIconeBandeja(int32_t modo, const std::string& dica) {
  fila_.Poe([modo, dica](InterfaceOperador& ui) { ui.AtualizaIconeBandeja(modo, dica); });
}

void InterfaceTrabalhador::PonteiroAmpulheta(bool ativo) {
  fila_.Poe([ativo](InterfaceOperador& ui) { ui.PonteiroAmpulheta(ativo); });
}

int InterfaceTrabalhador::ExecutarTemporizador(int, const std::function<void()>&, const std::function<bool()>&) {
  throw std::logic_error("um trabalhador não executa o laço da interface");
}

}  // namespace velant
