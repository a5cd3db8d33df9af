#pragma once
// The operator interface without a screen: the event list and the status go
// to standard output, every message box is logged and answered at once
// (OK, or Yes), an input box gets the empty text. Nothing ever waits for a
// person. Tests read back what was shown.
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "ui/interface_operador.h"

namespace velant {

class InterfaceHeadless : public InterfaceOperador {
 public:
  struct CaixaMostrada {
    std::string prompt;
    int estilo = vbOKOnly;
    std::string titulo;   // as given; empty means the default title
    int resposta = vbOK;
  };
  struct EntradaMostrada {
    std::string prompt;
    std::string titulo;
    std::string padrao;
    std::string resposta;
  };

  // silencioso: nothing is written to `saida`.
  explicit InterfaceHeadless(bool silencioso = false, std::FILE* saida = stdout);

  int QuantidadeEventos() const override;
  void RemoverPrimeiroEvento() override;
  void AdicionarEventoSelecionado(const std::string& texto) override;
  void DefinirStatus(const std::string& texto) override;
  void DefinirTitulo(const std::string& texto) override;
  void Repintar() override {}
  void ProcessarEventos() override {}
  int MsgBox(const std::string& prompt, int estilo = vbOKOnly, const std::string& titulo = "") override;
  std::string InputBox(const std::string& prompt, const std::string& titulo = "",
                       const std::string& padrao = "") override;
  void AtualizaIconeBandeja(int32_t modo, const std::string& dica) override;
  void PonteiroAmpulheta(bool ativo) override;
  void DefinirAcaoCommand1(std::function<void()> acao) override { acaoCommand1_ = std::move(acao); }
  int ExecutarTemporizador(int intervaloMs, const std::function<void()>& tique,
                           const std::function<bool()>& deveParar) override;

  // Read back.
  const std::deque<std::string>& Eventos() const { return eventos_; }
  int EventoSelecionado() const { return selecionado_; }   // index, -1 when none
  const std::string& Status() const { return status_; }
  const std::string& Titulo() const { return titulo_; }
  const std::vector<CaixaMostrada>& Caixas() const { return caixas_; }
  const std::vector<EntradaMostrada>& Entradas() const { return entradas_; }
  bool IconeNaBandeja() const { return iconeNaBandeja_; }
  const std::string& DicaBandeja() const { return dicaBandeja_; }
  bool Ampulheta() const { return ampulheta_; }
  int Tiques() const { return tiques_; }

  // Answers for the next boxes, in order, instead of the default ones.
  void ResponderProximaCaixa(int resposta) { respostasCaixa_.push_back(resposta); }
  void ResponderProximaEntrada(std::string resposta) { respostasEntrada_.push_back(std::move(resposta)); }
  // Presses Command1, as an operator would.
  void PressionarCommand1() {
    if (acaoCommand1_) acaoCommand1_();
  }

 private:
  void Escrever(const std::string& linha);

  bool silencioso_;
  std::FILE* saida_;
  std::deque<std::string> eventos_;
  int selecionado_ = -1;
  std::string status_;
  std::string titulo_;
  std::vector<CaixaMostrada> caixas_;
  std::vector<EntradaMostrada> entradas_;
  std::deque<int> respostasCaixa_;
  std::deque<std::string> respostasEntrada_;
  bool iconeNaBandeja_ = false;
  std::string dicaBandeja_;
  bool ampulheta_ = false;
  int tiques_ = 0;
  std::function<void()> acaoCommand1_;
};

}  // namespace velant
