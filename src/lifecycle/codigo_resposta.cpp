#include "lifecycle/codigo_resposta.h"

namespace velant {

namespace {

constexpr size_t kTamanhoPrefixo = 6;   // "135 - "

bool TemCodigo(const std::string& r) {
  if (r.size() < kTamanhoPrefixo || r.compare(3, 3, " - ") != 0) return false;
  for (size_t i = 0; i < 3; ++i)
    if (r[i] < '0' || r[i] > '9') return false;
  return true;
}

}  // namespace

std::string CodigoResposta(const std::string& resposta) {
  return TemCodigo(resposta) ? resposta.substr(0, 3) : std::string();
}

std::string MotivoResposta(const std::string& resposta) {
  return TemCodigo(resposta) ? resposta.substr(kTamanhoPrefixo) : resposta;
}

}  // namespace velant
