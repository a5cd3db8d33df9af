#include <exception>
#include <string>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "component/recusa_resposta.h"
#include "component/textos_resposta.h"
#include "data/conexao_nfe.h"
#include "lifecycle/documentos_banco.h"
#include "lifecycle/contingencia_emissao.h"
#include "lifecycle/rotina_emissao.h"
#include "lifecycle/situacao_nfe.h"

namespace velant {

using namespace emissao;

namespace {

constexpr const char* kSituacaoNaoConfirmada = "Situação da NFe não confirmada";
constexpr const char* kProtocoloInvalido = "Protocolo de autorização ausente ou inválido";

// The protocol the invoice's row already holds ("" or "0" when none).
std::string ProtocoloRegistrado(Contexto& ctx) {
  auto rs = Banco(ctx).RsConexao("SELECT [Numero do Protocolo] FROM MovimentoNFe" + LinhaDaNota(ctx));
  if (rs->State() != data::adStateOpen) Levanta(CodigoErro::ErroBanco, "Consulta de MovimentoNFe não realizada");
  std::string protocolo;
  if (!rs->Eof() && !rs->Value(0).ENulo()) protocolo = CStr(rs->Value(0));
  rs->Close();
  return protocolo;
}

}  // namespace

bool ConsultaSituacaoNFE(Contexto& ctx) {
  return ComTratamento(ctx, "ConsultaSituacaoNFE", [&] {
    SolicitacaoAtual& e = ctx.atual;
    // Until the situation is known, the batch query's final status is no answer to give.
    e.MensagemRetorno = kSituacaoNaoConfirmada;
    ctx.log.RegistraEvento("        Iniciando Consulta da NFe: ", true, false);
    if (e.ChaveAcessoSolicitada.empty()) return false;
    ctx.log.RegistraEvento("        gCodigoUfEmitente=" + e.gCodigoUfEmitente, true, false);

    RespostaSituacao resposta;
    MarcaContingenciaDaChave(ctx, e.ChaveAcessoSolicitada);
    {
      auto componente = Componente(ctx);
      resposta = componente->ConsultaSituacao(e.ChaveAcessoSolicitada);
    }
    const std::string texto = TextoConsultaSituacao(resposta);
    // Only an authorisation's 15 digits: the protocol goes into the statement as a number.
    e.ProtocoloSolicitado = ProtocoloAutorizado(resposta);
    ctx.log.RegistraEvento("        " + texto, true, false);
    if (e.ProtocoloSolicitado.empty()) {
      ctx.log.RegistraEvento("      ** Protocolo de autorização ausente ou inválido na consulta da NFe: \"" +
                                 (resposta.protocolo ? resposta.protocolo->nProt : "") + "\"",
                             true, false);
      // An authorisation without its protocol is not one.
      const bool autorizada = resposta.cStat == "100" || resposta.cStat == "150";
      e.MensagemRetorno = autorizada ? kProtocoloInvalido : texto;
      return false;
    }
    const std::string recusa =
        RecusaProtocolo(*resposta.protocolo, e.ChaveAcessoSolicitada, ProtocoloRegistrado(ctx));
    if (!recusa.empty()) {
      e.ProtocoloSolicitado.clear();
      RecusaResposta(ctx, recusa);
      return false;
    }
    if (!AtualizaNota(ctx, "[Numero do Protocolo] = " + e.ProtocoloSolicitado)) {
      ctx.log.RegistraEvento("        Inconsistência na atualização NF-e", true, false);
      e.MensagemRetorno = "Inconsistência na atualização NF-e";
      return false;
    }
    if (!GeraArquivoDistribuicao(ctx, e.ChaveAcessoSolicitada, e.NumeroRecepcao)) {
      e.MensagemRetorno = "Erro ao gerar arquivo de distribuição!";
      return false;
    }
    if (!AtualizaNota(ctx, "[Etapa Concluida] = 3"))
      ctx.log.RegistraEvento("        Erro ao atribuir [Etapa Concluida] = 3!", true, false);
    return true;
  });
}

bool GeraArquivoDistribuicao(Contexto& ctx, const std::string& pChave, const std::string&) {
  std::string descricao;
  try {
    // The files may be another Host's: the component reads what the database holds.
    RestauraDocumentos(ctx, pChave);
    auto componente = Componente(ctx);
    componente->GeraDistribuicao(pChave);
    return true;
  } catch (const ErroExecucao& e) {
    descricao = e.Descricao();
  } catch (const std::exception& e) {
    descricao = e.what();
  }
  // The box alone says nothing of the cause; the log keeps it.
  ctx.log.RegistraEvento("     ** Erro na Rotina: GeraArquivoDistribuicao - " + descricao, true, false);
  ctx.ui.MsgBox("Erro ao gerar arquivo de distribuição!", vbCritical, "Verifique!");
  return false;
}

}  // namespace velant
