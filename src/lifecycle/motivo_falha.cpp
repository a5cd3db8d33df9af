#include "lifecycle/motivo_falha.h"

#include "base/texto.h"
#include "component/danfe/danfe_verificacao.h"
#include "component/servico_documento_fiscal.h"

namespace velant {

namespace {

constexpr int64_t kTamanhoMensagem = 50;

struct Causa {
  const char* trecho;   // in the error's description
  const char* motivo;
  bool certificadoComDefeito = false;   // there is one, and it cannot serve
};

// The descriptions the certificate loader, the file layer, the DANFE's
// checks and the event schemas raise.
constexpr Causa kCausas[] = {
    {"Senha do certificado digital incorreta", "Certificado: senha incorreta", true},
    {"Certificado digital não encontrado", "Certificado: arquivo não encontrado", true},
    {"Certificado digital não configurado", "Certificado: não configurado"},
    {"Certificado digital inválido", "Certificado: arquivo inválido", true},
    {"Certificado digital sem chave", "Certificado: sem chave privada", true},
    {"A chave privada não corresponde ao certificado", "Certificado: chave não corresponde", true},
    {danfe::kRecusaTamanho, danfe::kRecusaTamanho},
    {danfe::kRecusaEsquema, danfe::kRecusaEsquema},
    {danfe::kRecusaAssinatura, danfe::kRecusaAssinatura},
    {kEventoSemCnpjAlfanumerico, kEventoSemCnpjAlfanumerico},
};

// "Não foi possível gravar <path> (<step>: disco cheio)", as the file layer
// raises it: which kind of file.
std::string TipoDoArquivo(const std::string& descricao) {
  const std::string gravar = "Não foi possível gravar ";
  const size_t inicio = descricao.find(gravar);
  if (inicio == std::string::npos) return "arquivo";
  const size_t comeco = inicio + gravar.size();
  const std::string caminho = UCase(descricao.substr(comeco, descricao.find(" (", comeco) - comeco));
  for (const char* tipo : {"XML", "PDF", "ZIP"}) {
    const std::string ext = std::string(".") + tipo;
    if (caminho.size() >= ext.size() && caminho.compare(caminho.size() - ext.size(), ext.size(), ext) == 0) return tipo;
  }
  return "arquivo";
}

}  // namespace

std::optional<std::string> MotivoConhecido(const std::string& descricao) {
  for (const Causa& c : kCausas)
    if (descricao.find(c.trecho) != std::string::npos) return std::string(c.motivo);
  if (descricao.find(": disco cheio)") != std::string::npos) return "Disco cheio ao gravar " + TipoDoArquivo(descricao);
  return std::nullopt;
}

std::optional<std::string> CertificadoComDefeito(const std::string& descricao) {
  for (const Causa& c : kCausas)
    if (c.certificadoComDefeito && descricao.find(c.trecho) != std::string::npos) return std::string(c.motivo);
  return std::nullopt;
}

std::string MotivoDaFalha(const std::string& descricao) {
  if (auto motivo = MotivoConhecido(descricao)) return *motivo;
  return Left(Trim(descricao), kTamanhoMensagem);
}

}  // namespace velant
