#include "lifecycle/retomada_emissao.h"

#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "component/recusa_resposta.h"
#include "component/textos_resposta.h"
#include "component/xml/chave_acesso.h"
#include "lifecycle/contingencia_emissao.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

using namespace emissao;

namespace {

constexpr const char* kSemResposta = "Situação da NFe não confirmada; envie novamente";
constexpr const char* kChaveDivergente = "Duplicidade de NF-e com chave não localizada";

// The same issuer, model, series and number: only the emission month, type
// and numeric code may differ between two keys of one invoice.
bool MesmaNota(const std::string& a, const std::string& b) {
  return ChaveNaForma(a, CnpjNaChave::Alfanumerico) && ChaveNaForma(b, CnpjNaChave::Alfanumerico) &&
         a.compare(6, 28, b, 6, 28) == 0;
}

}  // namespace

SituacaoAnterior ConsultaSituacaoAnterior(Contexto& ctx, const std::string& chave) {
  ctx.log.RegistraEvento("        Consultando a situação anterior da NFe: NFe" + chave, true, false);
  RespostaSituacao resposta;
  bool respondeu = ComTratamento(ctx, "ConsultaSituacaoAnterior", [&] {
    MarcaContingenciaDaChave(ctx, chave);
    resposta = Componente(ctx)->ConsultaSituacao(chave);
    return true;
  });
  if (!respondeu) {
    ctx.atual.MensagemRetorno = kSemResposta;
    return SituacaoAnterior::SemResposta;
  }
  const std::string texto = TextoConsultaSituacao(resposta);
  ctx.log.RegistraEvento("        " + texto, true, false);
  if (!ProtocoloAutorizado(resposta).empty()) {
    const std::string recusa = RecusaProtocolo(*resposta.protocolo, chave, "");
    if (recusa.empty()) return SituacaoAnterior::Autorizada;
    RecusaResposta(ctx, recusa);
    return SituacaoAnterior::Impedida;
  }
  if (resposta.cStat == "217") return SituacaoAnterior::NaoConsta;
  ctx.atual.MensagemRetorno = texto;
  return SituacaoAnterior::Impedida;
}

bool EDuplicidade(const RespostaLote& resposta) {
  const std::string codigo = CodigoStatusLote(resposta);
  return codigo == "204" || codigo == "539";
}

bool AssumeNotaAutorizada(Contexto& ctx, const RespostaLote& resposta) {
  SolicitacaoAtual& e = ctx.atual;
  const std::string linhaStatus = LinhaStatusLote(resposta);
  std::string chave = e.ChaveAcessoSolicitada;
  if (CodigoStatusLote(resposta) == "539") {
    chave = resposta.protocolo ? ChaveCitada(*resposta.protocolo) : "";
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
