#include "lifecycle/carta_correcao.h"

#include <algorithm>
#include <memory>

#include "base/arquivos.h"
#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "component/recusa_resposta.h"
#include "component/textos_resposta.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/chave_acesso.h"
#include "data/conexao_nfe.h"
#include "lifecycle/carta_correcao_texto.h"
#include "lifecycle/envio_email_comum.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

namespace {

// What the front end can act on: the log line and the row's message.
bool Recusa(Contexto& ctx, const std::string& motivo) {
  ctx.log.CriaLogNFe("      Carta de correção recusada: " + motivo);
  ctx.atual.MotivoFalha = motivo;
  return false;
}

bool EtapaTres(Contexto& ctx, const std::string& tabela, const std::string& onde) {
  auto rs = emissao::Banco(ctx).RsConexao("SELECT [Etapa Concluida] FROM " + tabela + onde);
  if (rs->State() != data::adStateOpen) Levanta(CodigoErro::ErroBanco, "Consulta de " + tabela + " não realizada");
  bool tres = false;
  for (; !rs->Eof() && !tres; rs->MoveNext()) tres = !rs->Value(0).ENulo() && CLng(rs->Value(0)) == 3;
  rs->Close();
  return tres;
}

// Authorised here (step 3) and not cancelled here; "" when so, else why not.
std::string SituacaoLocal(Contexto& ctx, const std::string& chave) {
  const std::string onde = " WHERE Empresa = " + std::to_string(ctx.atual.CodigoEmpresa) +
                           "   AND [Numero da NFe] = '" + emissao::TextoSql(chave) + "'";
  if (!EtapaTres(ctx, "MovimentoNFe", onde)) return "NF-e não autorizada";
  if (EtapaTres(ctx, "MovimentoNFeSaidaCancelada", onde)) return "NF-e cancelada";
  return "";
}

// The xCorrecao of a stored letter; "" for sequence 0. A letter that cannot
// be read stops the new one: its corrections would be lost.
std::string CorrecaoDaCarta(const Contexto& ctx, const std::string& chave, int sequencia) {
  if (sequencia == 0) return "";
  const std::string arquivo = ArquivoCartaCorrecao(ctx, chave, sequencia);
  const std::string proc =
      LerArquivoDescrito(ctx.caminhos.Mapear(arquivo), "Carta de correção anterior", CodigoErro::ErroComponente);
  autoridade::DocumentoXml doc = autoridade::DocumentoXml::Ler(proc, "Carta de correção anterior " + arquivo);
  const std::string correcao = autoridade::Texto(autoridade::Procura(doc.Raiz(), "xCorrecao"));
  if (correcao.empty())
    throw ErroExecucao(CodigoErro::ErroComponente, "Carta de correção anterior sem xCorrecao: " + arquivo);
  return correcao;
}

}  // namespace

std::string ArquivoCartaCorrecao(const Contexto& ctx, const std::string& chave, int sequencia) {
  const std::string nn = (sequencia < 10 ? "0" : "") + std::to_string(sequencia);
  return ctx.atual.PastaBase + "\\nfe\\arquivos\\procNFe\\" + chave + "-cce-" + nn + "-procEventoNFe.xml";
}

int UltimaCartaGravada(const Contexto& ctx, const std::string& chave, int abaixoDe) {
  for (int n = std::min(abaixoDe - 1, carta::kMaximoSequencia); n >= 1; --n)
    if (ArquivoExiste(ctx, ArquivoCartaCorrecao(ctx, chave, n))) return n;
  return 0;
}

bool CartaCorrecao(Contexto& ctx, const std::string& pChave, const std::string& pSequencia,
                   const std::string& pCorrecao) {
  const std::string chave = Trim(pChave);
  const auto partes = DecompoeChave(chave, CnpjNaChave::Alfanumerico);
  if (!partes || partes->mod != "55") return Recusa(ctx, "Chave de acesso inválida (050-000)");
  const std::string nova = carta::NormalizaCorrecao(pCorrecao);
  if (const std::string m = carta::RecusaCorrecao(nova); !m.empty()) return Recusa(ctx, m);
  const carta::Sequencia sequencia = carta::SequenciaDaCarta(pSequencia, UltimaCartaGravada(ctx, chave));
  if (!sequencia.recusa.empty()) return Recusa(ctx, sequencia.recusa);
  if (const std::string m = SituacaoLocal(ctx, chave); !m.empty()) return Recusa(ctx, m);
  const std::string texto = carta::AcumulaCorrecoes(
      CorrecaoDaCarta(ctx, chave, UltimaCartaGravada(ctx, chave, sequencia.numero)), nova);
  if (const std::string m = carta::RecusaAcumulada(texto); !m.empty()) return Recusa(ctx, m);

  const std::string numero = std::to_string(sequencia.numero);
  ctx.log.CriaLogNFe("      Carta de correção " + numero + ": " + texto);
  RespostaRegistro resposta;
  {
    auto componente = emissao::Componente(ctx);
    resposta = componente->EventoCartaCorrecao(chave, numero, texto);
  }
  const std::string resultado = TextoCartaCorrecao(resposta);
  ctx.log.CriaLogNFe("      Resultado: " + resultado);
  if (resposta.cStat == "573") return Recusa(ctx, "Carta de correção " + numero + " já registrada na SEFAZ (573)");
  if (resposta.cStat != "135") {
    ctx.ui.MsgBox(std::string("Erro ao registrar carta de correção. Retorno! ") + vbCrLf + resultado, vbOKOnly);
    return Recusa(ctx, resultado);
  }
  if (const std::string recusa = RecusaRegistro(resposta, chave); !recusa.empty() || resposta.distribuicao.empty()) {
    emissao::RecusaResposta(ctx, recusa.empty() ? "Carta de correção sem procEventoNFe" : recusa);
    ctx.atual.MotivoFalha = ctx.atual.MensagemRetorno;
    return false;
  }
  const std::string arquivo = ArquivoCartaCorrecao(ctx, chave, sequencia.numero);
  GravaArquivo(ctx.caminhos.MapearParaGravar(arquivo), resposta.distribuicao);
  ctx.log.CriaLogNFe("      Carta de correção gravada: " + arquivo);
  return true;
}

}  // namespace velant
