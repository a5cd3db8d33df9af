#include <exception>
#include <string>

#include "base/erro.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "lifecycle/documentos_banco.h"
#include "lifecycle/rotina_emissao.h"
#include "lifecycle/situacao_nfe.h"

namespace velant {

using namespace emissao;

bool ConsultaSituacaoNFE(Contexto& ctx) {
  return ComTratamento(ctx, "ConsultaSituacaoNFE", [&] {
    SolicitacaoAtual& e = ctx.atual;
    ctx.log.RegistraEvento("        Iniciando Consulta da NFe: ", true, false);
    if (e.ChaveAcessoSolicitada.empty()) return false;
    ctx.log.RegistraEvento("        gCodigoUfEmitente=" + e.gCodigoUfEmitente, true, false);

    std::string texto;
    {
      auto componente = Componente(ctx);
      texto = componente->ConsultaSituacao(e.ChaveAcessoSolicitada);
    }
    e.ProtocoloSolicitado = Right(texto, 15);
    ctx.log.RegistraEvento("        " + texto, true, false);
    // The protocol goes into the statement as a number: nothing but its digits may.
    if (!SoDigitos(e.ProtocoloSolicitado, 15)) {
      ctx.log.RegistraEvento("      ** Protocolo de autorização ausente ou inválido na consulta da NFe: \"" +
                                 e.ProtocoloSolicitado + "\"",
                             true, false);
      // The request is cancelled with this, not with the final status the
      // processing query left (which may read as an authorisation).
      e.MensagemRetorno = texto;
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
