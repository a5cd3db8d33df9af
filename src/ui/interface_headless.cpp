#include "ui/interface_headless.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace velant {

namespace {

// Box prompts carry CR LF between their lines; keep one line per box on the output.
std::string NumaLinha(const std::string& texto) {
  std::string s;
  s.reserve(texto.size());
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') continue;
    if (texto[i] == '\r' || texto[i] == '\n') {
      s += " / ";
    } else {
      s += texto[i];
    }
  }
  return s;
}

int RespostaPadrao(int estilo) {
  switch (estilo & 7) {
    case 3:   // Yes, No, Cancel
    case vbYesNo: return vbYes;
    default: return vbOK;
  }
}

}  // namespace

InterfaceHeadless::InterfaceHeadless(bool silencioso, std::FILE* saida) : silencioso_(silencioso), saida_(saida) {}

void InterfaceHeadless::Escrever(const std::string& linha) {
  if (silencioso_ || saida_ == nullptr) return;
  std::fwrite(linha.data(), 1, linha.size(), saida_);
  std::fputc('\n', saida_);
  // One line at a time, so a service journal sees it at once.
  std::fflush(saida_);
}

int InterfaceHeadless::QuantidadeEventos() const { return static_cast<int>(eventos_.size()); }

void InterfaceHeadless::RemoverPrimeiroEvento() {
  if (eventos_.empty()) return;
  eventos_.pop_front();
  selecionado_ = eventos_.empty() ? -1 : std::max(0, selecionado_ - 1);
}

void InterfaceHeadless::AdicionarEventoSelecionado(const std::string& texto) {
  eventos_.push_back(texto);
  selecionado_ = static_cast<int>(eventos_.size()) - 1;
  Escrever(texto);
}

void InterfaceHeadless::DefinirStatus(const std::string& texto) {
  if (texto == status_) return;
  status_ = texto;
  Escrever("[status] " + texto);
}

void InterfaceHeadless::DefinirTitulo(const std::string& texto) {
  if (texto == titulo_) return;
  titulo_ = texto;
  Escrever("[titulo] " + texto);
}

int InterfaceHeadless::MsgBox(const std::string& prompt, int estilo, const std::string& titulo) {
  int resposta = RespostaPadrao(estilo);
  if (!respostasCaixa_.empty()) {
    resposta = respostasCaixa_.front();
    respostasCaixa_.pop_front();
  }
  caixas_.push_back({prompt, estilo, titulo, resposta});
  Escrever("[caixa] " + (titulo.empty() ? std::string(kTituloPadraoCaixa) : titulo) + ": " + NumaLinha(prompt));
  return resposta;
}

std::string InterfaceHeadless::InputBox(const std::string& prompt, const std::string& titulo,
                                        const std::string& padrao) {
  std::string resposta;
  if (!respostasEntrada_.empty()) {
    resposta = respostasEntrada_.front();
    respostasEntrada_.pop_front();
  }
  entradas_.push_back({prompt, titulo, padrao, resposta});
  Escrever("[entrada] " + (titulo.empty() ? std::string(kTituloPadraoCaixa) : titulo) + ": " + NumaLinha(prompt) +
           " -> \"" + resposta + "\"");
  return resposta;
}

void InterfaceHeadless::AtualizaIconeBandeja(int32_t modo, const std::string& dica) {
  switch (modo) {
    case NIM_ADD:
      // Adding an icon that is already there fails silently.
      if (!iconeNaBandeja_) {
        iconeNaBandeja_ = true;
        dicaBandeja_ = dica;
      }
      break;
    case NIM_MODIFY:
      if (iconeNaBandeja_) dicaBandeja_ = dica;
      break;
    case NIM_DELETE:
      iconeNaBandeja_ = false;
      dicaBandeja_.clear();
      break;
    default: break;
  }
}

void InterfaceHeadless::PonteiroAmpulheta(bool ativo) { ampulheta_ = ativo; }

int InterfaceHeadless::ExecutarTemporizador(int intervaloMs, const std::function<void()>& tique,
                                            const std::function<bool()>& deveParar) {
  using Relogio = std::chrono::steady_clock;
  const auto intervalo = std::chrono::milliseconds(std::max(1, intervaloMs));
  const auto passo = std::chrono::milliseconds(50);
  auto proximo = Relogio::now() + intervalo;
  while (!deveParar()) {
    auto agora = Relogio::now();
    if (agora < proximo) {
      std::this_thread::sleep_for(std::min<Relogio::duration>(proximo - agora, passo));
      continue;
    }
    ++tiques_;
    tique();
    // Like a window timer: a tick that overran is followed at once by one
    // more, never by a burst of missed ones.
    proximo = std::max(proximo + intervalo, Relogio::now());
  }
  return 0;
}

}  // namespace velant
