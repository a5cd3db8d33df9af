#include "lifecycle/rotina_emissao.h"

#include <exception>

#include "base/erro.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "data/conexao_nfe.h"
#include "lifecycle/motivo_falha.h"

namespace velant::emissao {

std::unique_ptr<FiscalDocService> Componente(Contexto& ctx) {
  if (!ctx.CriaFiscalDocService) Levanta(CodigoErro::ObjetoNaoDefinido, "Componente FiscalDocService não disponível");
  auto componente = ctx.CriaFiscalDocService();
  if (!componente) Levanta(CodigoErro::ObjetoNaoDefinido, "Componente FiscalDocService não disponível");
  return componente;
}

data::CConexaoNfe& Banco(Contexto& ctx) {
  if (ctx.ConexaoBanco == nullptr) Levanta(CodigoErro::ObjetoNaoDefinido, "Conexão com o banco de dados não aberta");
  return *ctx.ConexaoBanco;
}

bool ComTratamento(Contexto& ctx, const char* rotina, const std::function<bool()>& corpo) {
  std::string descricao;
  try {
    return corpo();
  } catch (const ErroExecucao& e) {
    descricao = e.Descricao();
  } catch (const std::exception& e) {
    descricao = e.what();
  }
  ctx.log.RegistraEvento(std::string("     ** Erro na Rotina: ") + rotina + " - " + descricao, true, false);
  // A step that says nothing else leaves the cause for the answer.
  if (ctx.atual.MensagemRetorno.empty()) ctx.atual.MensagemRetorno = MotivoDaFalha(descricao);
  return false;
}

std::string TextoSql(const std::string& texto) { return Replace(texto, "'", "''"); }

std::string LinhaDaNota(const Contexto& ctx) {
  return " WHERE Empresa = " + std::to_string(ctx.atual.CodigoEmpresa) + "   AND Serie = '" +
         TextoSql(ctx.atual.SerieAtual) + "'" + "   AND [Numero da NFe] = " + "'" +
         TextoSql(ctx.atual.ChaveAcessoSolicitada) + "'";
}

bool AtualizaNota(Contexto& ctx, const std::string& atribuicoes) {
  return Banco(ctx).ExecutaSql("UPDATE MovimentoNFe SET " + atribuicoes + LinhaDaNota(ctx)) >= 1;
}

bool SoDigitos(const std::string& texto, size_t n) {
  return texto.size() == n && texto.find_first_not_of("0123456789") == std::string::npos;
}

void RecusaResposta(Contexto& ctx, const std::string& recusa) {
  ctx.log.RegistraEvento("      ** " + recusa, true, true);
  ctx.atual.MensagemRetorno = recusa;
}

std::string CaminhoAssinado(const Contexto& ctx) { return CaminhoAssinado(ctx, ctx.atual.ChaveAcessoSolicitada); }

std::string CaminhoAssinado(const Contexto& ctx, const std::string& chave) {
  return ctx.atual.PastaBase + "\\nfe\\arquivos\\assinado\\NFe" + chave + "-assinado.xml";
}

}  // namespace velant::emissao
