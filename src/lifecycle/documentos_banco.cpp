#include "lifecycle/documentos_banco.h"

#include <optional>

#include "base/arquivos.h"
#include "base/erro.h"
#include "lifecycle/rotina_emissao.h"

namespace velant::emissao {

namespace {

// PastaBase\nfe\lotes\<identifier>-env-lot.xml, the name the component gives the batch.
std::string CaminhoLote(const Contexto& ctx, const std::string& numeroLote) {
  return ctx.atual.PastaBase + "\\nfe\\lotes\\" + numeroLote + "-env-lot.xml";
}

// The identifier becomes a file name: nothing but digits may.
bool IdentificadorValido(const std::string& numeroLote) {
  return !numeroLote.empty() && numeroLote.size() <= 15 &&
         numeroLote.find_first_not_of("0123456789") == std::string::npos;
}

// Rewrites the file unless it already holds the bytes.
void Restaura(Contexto& ctx, const std::string& caminho, const std::string& conteudo) {
  std::optional<std::string> atual = LerArquivoComum(ctx.caminhos.Mapear(caminho));
  if (atual && *atual == conteudo) return;
  GravaArquivo(ctx.caminhos.MapearParaGravar(caminho), conteudo);
  ctx.log.RegistraEvento("        Arquivo refeito com o conteúdo do banco de dados: " + caminho, true, false);
}

}  // namespace

data::NotaDocumento NotaAtual(const Contexto& ctx) {
  return {ctx.atual.CodigoEmpresa, ctx.atual.SerieAtual, ctx.atual.ChaveAcessoSolicitada};
}

std::string LeAssinado(const Contexto& ctx) {
  return LerArquivoDescrito(ctx.caminhos.Mapear(CaminhoAssinado(ctx)), "Arquivo assinado",
                            CodigoErro::ArquivoNaoEncontrado);
}

std::string LeLote(const Contexto& ctx) {
  return LerArquivoDescrito(ctx.caminhos.Mapear(CaminhoLote(ctx, ctx.atual.NumeroLote)), "Arquivo do lote",
                            CodigoErro::ArquivoNaoEncontrado);
}

void RestauraDocumentos(Contexto& ctx, const std::string& chave) {
  data::NotaDocumento nota = NotaAtual(ctx);
  nota.chave = chave;
  std::optional<data::DocumentosNFe> documentos = data::LeDocumentos(Banco(ctx), nota);
  if (!documentos) return;
  if (!documentos->assinado.empty()) Restaura(ctx, CaminhoAssinado(ctx, chave), documentos->assinado);
  if (IdentificadorValido(documentos->numeroLote) && !documentos->lote.empty())
    Restaura(ctx, CaminhoLote(ctx, documentos->numeroLote), documentos->lote);
}

}  // namespace velant::emissao
