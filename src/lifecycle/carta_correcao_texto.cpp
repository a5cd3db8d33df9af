#include "lifecycle/carta_correcao_texto.h"

#include "base/texto.h"
#include "base/utf8.h"

namespace velant::carta {

namespace {

size_t Caracteres(const std::string& texto) {
  size_t n = 0;
  for (size_t i = 0; i < texto.size(); ++n) utf8::Proximo(texto, i);
  return n;
}

std::string Quantos(size_t n) { return std::to_string(n) + " caractere" + (n == 1 ? "" : "s"); }

}  // namespace

std::string NormalizaCorrecao(const std::string& texto) {
  std::string saida;
  bool branco = false;
  for (char c : texto) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || c == ' ') {
      branco = !saida.empty();
      continue;
    }
    if (branco) saida += ' ';
    branco = false;
    saida += c;
  }
  return saida;
}

std::string RecusaCorrecao(const std::string& correcao) {
  for (size_t i = 0; i < correcao.size();) {
    const size_t inicio = i;
    const char32_t c = utf8::Proximo(correcao, i);
    if (c > 0xFF)
      return "Correção com caractere não aceito pela SEFAZ: " + correcao.substr(inicio, i - inicio);
  }
  const size_t n = Caracteres(correcao);
  if (n < kMinimoCorrecao) return "Correção com " + Quantos(n) + ": o mínimo é 15";
  if (n > kMaximoCorrecao) return "Correção com " + Quantos(n) + ": o máximo é 1000";
  return "";
}

std::string AcumulaCorrecoes(const std::string& anterior, const std::string& nova) {
  return anterior.empty() ? nova : anterior + kSeparadorCorrecoes + nova;
}

std::string RecusaAcumulada(const std::string& acumulada) {
  const size_t n = Caracteres(acumulada);
  return n <= kMaximoCorrecao ? "" : "Correções somam " + Quantos(n) + ": o máximo é 1000";
}

Sequencia SequenciaDaCarta(const std::string& pedida, int ultimaGravada) {
  const std::string texto = Trim(pedida);
  Sequencia s;
  if (texto.empty()) {
    s.numero = ultimaGravada + 1;
    if (s.numero > kMaximoSequencia) s.recusa = "Limite de 20 cartas de correção da NF-e atingido";
    return s;
  }
  if (texto.size() > 2 || texto.find_first_not_of("0123456789") != std::string::npos ||
      (s.numero = std::stoi(texto)) < 1 || s.numero > kMaximoSequencia)
    s.recusa = "Sequência da carta de correção inválida (053-000): " + texto;
  return s;
}

}  // namespace velant::carta
