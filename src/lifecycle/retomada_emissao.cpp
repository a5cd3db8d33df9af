#include "lifecycle/retomada_emissao.h"

#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

using namespace emissao;

namespace {

constexpr const char* kSemResposta = "Situação da NFe não confirmada; envie novamente";
constexpr const char* kChaveDivergente = "Duplicidade de NF-e com chave não localizada";

std::string Codigo(const std::string& texto) { return Left(texto, 3); }

// The key a 539 names: "[chNFe:<44 digits>]".
std::string ChaveCitada(const std::string& linhaStatus) {
  const std::string marca = "[chNFe:";
  size_t p = linhaStatus.find(marca);
  return p == std::string::npos ? "" : linhaStatus.substr(p + marca.size(), 44);
}

// The same issuer, model, series and number: only the emission month, type
// and numeric code may differ between two keys of one invoice.
bool MesmaNota(const std::string& a, const std::string& b) {
  return SoDigitos(a, 44) && SoDigitos(b, 44) && a.compare(6, 28, b, 6, 28) == 0;
}

}  // namespace

SituacaoAnterior ConsultaSituacaoAnterior(Contexto& ctx, const std::string& chave) {
  ctx.log.RegistraEvento("        Consultando a situação anterior da NFe: NFe" + chave, true, false);
  std::string texto;
  bool respondeu = ComTratamento(ctx, "ConsultaSituacaoAnterior", [&] {
    texto = Componente(ctx)->ConsultaSituacao(chave);
    return true;
  });
  if (!respondeu) {
    ctx.atual.MensagemRetorno = kSemResposta;
    return SituacaoAnterior::SemResposta;
  }
  ctx.log.RegistraEvento("        " + texto, true, false);
  const std::string codigo = Codigo(texto);
  if ((codigo == "100" || codigo == "150") && SoDigitos(Right(texto, 15), 15)) return SituacaoAnterior::Autorizada;
  if (codigo == "217") return SituacaoAnterior::NaoConsta;
  ctx.atual.MensagemRetorno = texto;
  return SituacaoAnterior::Impedida;
}

bool EDuplicidade(const std::string& linhaStatus) {
  const std::string codigo = Codigo(linhaStatus);
  return codigo == "204" || codigo == "539";
}

bool AssumeNotaAutorizada(Contexto& ctx, const std::string& linhaStatus) {
  SolicitacaoAtual& e = ctx.atual;
  std::string chave = e.ChaveAcessoSolicitada;
  if (Codigo(linhaStatus) == "539") {
    chave = ChaveCitada(linhaStatus);
    if (!MesmaNota(chave, e.ChaveAcessoSolicitada)) {
      ctx.log.RegistraEvento("      ** Duplicidade sem chave desta NFe: " + linhaStatus, true, false);
      e.MensagemRetorno = kChaveDivergente;
      return false;
    }
  }
  const SituacaoAnterior situacao = ConsultaSituacaoAnterior(ctx, chave);
  if (situacao != SituacaoAnterior::Autorizada) {
    if (situacao == SituacaoAnterior::NaoConsta) e.MensagemRetorno = linhaStatus;
    return false;
  }
  if (chave != e.ChaveAcessoSolicitada) {
    if (!AtualizaNota(ctx, "[Numero da NFe] = '" + chave + "'")) {
      ctx.log.RegistraEvento("      ** Erro ao atualizar MovimentoNFe Numero da NFe: " + chave, true, false);
      e.MensagemRetorno = kChaveDivergente;
      return false;
    }
    e.ChaveAcessoSolicitada = chave;
  }
  ctx.log.RegistraEvento("        NFe já autorizada, nada é reenviado: NFe" + chave, true, false);
  return true;
}

}  // namespace velant
