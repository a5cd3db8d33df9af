#include "lifecycle/inutiliza_nfe.h"

#include <memory>

#include "base/erro.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "data/conexao_nfe.h"
#include "data/formata_sql.h"
#include "lifecycle/codigo_resposta.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

namespace {

constexpr const char* kHomologada = "Inutilização de número homologado";
constexpr int64_t kTamanhoMensagem = 50;

// A number voided before is voided all the same: the same range (563), a
// range holding it (256), or the number itself (206).
bool JaInutilizada(const std::string& codigo) { return codigo == "206" || codigo == "256" || codigo == "563"; }

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
  std::string resultado;
  {
    auto componente = emissao::Componente(ctx);
    resultado = componente->InutilizaNumeracao(pAno, pNumeroInicial, pNumeroFinal, pJustificativa);
  }
  ctx.log.CriaLogNFe("      Resultado: " + resultado);

  std::string& mensagem = ctx.atual.MensagemRetorno;
  const std::string codigo = CodigoResposta(resultado);
  bool inutilizada = false;
  if (codigo == "102" || JaInutilizada(codigo)) {
    // A number voided before still needs its row: the first request may
    // have found none, and the front end asks again once it has made it.
    mensagem = kHomologada;
    if (!GravaInutilizacao(ctx)) {
      ctx.ui.MsgBox("Inconsistência na atualização do Cancelamento da NF-e", vbOKOnly);
      return false;
    }
    inutilizada = true;
  } else {
    const std::string motivo = MotivoResposta(resultado);
    mensagem = Left(motivo, 9) == "Rejeição:" ? Mid(motivo, 11) : resultado;
  }
  mensagem = Left(mensagem, kTamanhoMensagem);
  return inutilizada;
}

}  // namespace velant
