#include "lifecycle/cancela_nfe.h"

#include <memory>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "component/recusa_resposta.h"
#include "component/textos_resposta.h"
#include "data/conexao_nfe.h"
#include "data/formata_sql.h"
#include "lifecycle/motivo_falha.h"
#include "lifecycle/contingencia_emissao.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

namespace {

// Already cancelled, or this very cancellation event already registered (573).
bool JaCancelada(const std::string& codigo) { return codigo == "218" || codigo == "573"; }

constexpr const char* kProtocoloJaCancelada = "1111";

}  // namespace

bool CancelaNFe(Contexto& ctx, const std::string& pNumeroNF, const std::string& pChave,
                const std::string& pSequencia, const std::string& pProtocolo, const std::string& pJustificativa) {
  const std::string numero7 = Format(Valor(CLng(Valor(pNumeroNF))), "0000000");
  RespostaRegistro resposta;
  MarcaContingenciaDaChave(ctx, pChave);
  try {
    auto componente = emissao::Componente(ctx);
    resposta = componente->EventoCancelamento(numero7, pChave, pSequencia, pProtocolo, pJustificativa);
  } catch (const ErroExecucao& erro) {
    // A cause the operator can act on (an event schema without the
    // alphanumeric CNPJ) is the answer's reason.
    if (auto motivo = MotivoConhecido(erro.Descricao())) ctx.atual.MotivoFalha = *motivo;
    throw;
  }
  const std::string resultado = TextoEventoCancelamento(resposta);
  ctx.log.CriaLogNFe("      Resultado: " + resultado);

  // Registered (155: out of time, still registered) with the event's protocol.
  std::string protocolo = ProtocoloEvento(resposta);
  if (protocolo.empty()) {
    if (!JaCancelada(resposta.cStat)) {
      ctx.ui.MsgBox(std::string("Erro ao cancelar nfe. Retorno! ") + vbCrLf + resultado, vbOKOnly);
      return false;
    }
    // A row that already holds this cancellation keeps the event's protocol.
    protocolo = std::string("CASE WHEN [Etapa Concluida] = 3 AND [Numero do Protocolo] > 0") +
                " THEN [Numero do Protocolo] ELSE " + kProtocoloJaCancelada + " END";
  }
  if (const std::string recusa = RecusaRegistro(resposta, pChave); !recusa.empty()) {
    emissao::RecusaResposta(ctx, recusa);
    return false;
  }

  const SolicitacaoAtual& a = ctx.atual;
  const std::string sql = std::string("UPDATE MovimentoNFeSaidaCancelada") + " SET [Numero do Protocolo] = " +
                          protocolo + ", [Etapa Concluida] = " + "3" +
                          " WHERE Empresa = " + std::to_string(a.CodigoEmpresa) + "   AND Serie = '" +
                          data::DuplicaAspas(a.SerieAtual) + "'" + "   AND [Numero da NFe] = " + "'" +
                          data::DuplicaAspas(pChave) + "'";
  if (emissao::Banco(ctx).ExecutaSql(sql) >= 1) return true;
  ctx.ui.MsgBox("Inconsistência na atualização do Cancelamento da NF-e", vbOKOnly);
  return false;
}

}  // namespace velant
