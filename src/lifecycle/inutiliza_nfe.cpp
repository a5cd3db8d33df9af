#include "lifecycle/inutiliza_nfe.h"

#include <memory>

#include "base/erro.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "component/recusa_resposta.h"
#include "component/textos_resposta.h"
#include "data/conexao_nfe.h"
#include "data/formata_sql.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

namespace {

constexpr const char* kHomologada = "Inutilização de número homologado";
constexpr int64_t kTamanhoMensagem = 50;

bool GravaInutilizacao(Contexto& ctx) {
  const SolicitacaoAtual& a = ctx.atual;
  const std::string sql = std::string("UPDATE MovimentoNFeSaidaInutilizada") + " SET [Etapa Concluida] = " + "3" +
                          " WHERE Empresa = " + std::to_string(a.CodigoEmpresa) + " AND Serie = " + "'" +
                          data::DuplicaAspas(a.SerieAtual) + "'" + " AND Numero = " + std::to_string(a.NumeroAtual);
  return emissao::Banco(ctx).ExecutaSql(sql) >= 1;
}

}  // namespace

bool InutilizaNFe(Contexto& ctx, const std::string& pAno, const std::string& pNumeroInicial,
                  const std::string& pNumeroFinal, const std::string& pJustificativa) {
  RespostaRegistro resposta;
  {
    auto componente = emissao::Componente(ctx);
    resposta = componente->InutilizaNumeracao(pAno, pNumeroInicial, pNumeroFinal, pJustificativa);
  }
  ctx.log.CriaLogNFe("      Resultado: " + TextoInutilizacao(resposta));

  std::string& mensagem = ctx.atual.MensagemRetorno;
  bool inutilizada = false;
  if (Inutilizada(resposta)) {
    if (const std::string recusa = RecusaRegistro(resposta, ""); !recusa.empty()) {
      emissao::RecusaResposta(ctx, recusa);
      return false;
    }
    // A number voided before (the same range, a range holding it, or the
    // number itself) still needs its row: the first request may have found
    // none, and the front end asks again once it has made it.
    mensagem = kHomologada;
    if (!GravaInutilizacao(ctx)) {
      ctx.ui.MsgBox("Inconsistência na atualização do Cancelamento da NF-e", vbOKOnly);
      return false;
    }
    inutilizada = true;
  } else {
    mensagem = MotivoInutilizacao(resposta);
  }
  mensagem = Left(mensagem, kTamanhoMensagem);
  return inutilizada;
}

}  // namespace velant
