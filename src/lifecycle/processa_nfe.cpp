#include "lifecycle/processa_nfe.h"

#include <exception>
#include <string>

#include "base/erro.h"
#include "base/regional.h"
#include "data/conexao_nfe.h"
#include "lifecycle/contingencia_emissao.h"
#include "lifecycle/documentos_banco.h"
#include "lifecycle/epec_emissao.h"
#include "lifecycle/gerar_nfe.h"
#include "lifecycle/limites_emissao.h"
#include "lifecycle/lote_nfe.h"
#include "lifecycle/motivo_falha.h"
#include "lifecycle/retomada_emissao.h"
#include "lifecycle/rotina_emissao.h"
#include "lifecycle/situacao_nfe.h"

namespace velant {

using namespace emissao;

namespace {

struct Movimento {
  bool existe = false;
  int32_t etapa = 0;
  std::string chave, recepcao, protocolo;
};

Movimento LocalizaMovimento(Contexto& ctx) {
  const SolicitacaoAtual& e = ctx.atual;
  auto rs = Banco(ctx).RsConexao(
      "SELECT Empresa, [Numero da NFe], [Numero do Lote], [Numero da Recepcao], [Numero do Protocolo], "
      "[Etapa Concluida]"
      "  FROM MovimentoNFe"
      " WHERE Empresa = " +
      std::to_string(e.CodigoEmpresa) + "   AND Serie = '" + TextoSql(e.SerieAtual) + "'" +
      "   AND Numero = " + std::to_string(e.NumeroAtual));
  // A lookup that failed is no proof that the invoice was never generated.
  if (rs->State() != data::adStateOpen) Levanta(CodigoErro::ErroBanco, "Consulta de MovimentoNFe não realizada");
  Movimento m;
  if (rs->Eof()) return m;
  m.existe = true;
  m.etapa = CLng(rs->Value("Etapa Concluida"));
  m.chave = rs->Value("Numero da NFe").ENulo() ? "" : rs->Value("Numero da NFe").Texto();
  m.recepcao = rs->Value("Numero da Recepcao").ENulo() ? "" : CStr(rs->Value("Numero da Recepcao"));
  m.protocolo = rs->Value("Numero do Protocolo").ENulo() ? "" : CStr(rs->Value("Numero do Protocolo"));
  rs->Close();
  return m;
}

void Progresso(Contexto& ctx, const char* texto) { ctx.log.RegistraEvento(texto, true, true); }

bool Consultas(Contexto& ctx) {
  if (!ConsultaProcessamentoNFE(ctx)) return false;
  if (!ConsultaSituacaoNFE(ctx)) return false;
  ctx.atual.EmissaoConcluida = true;
  ctx.atual.NFeProcessada = true;
  return true;
}

bool ConcluiAutorizada(Contexto& ctx, const std::string& chave) {
  ctx.atual.ChaveAcessoSolicitada = chave;
  Progresso(ctx, "      Consulta NFe...");
  if (!ConsultaSituacaoNFE(ctx)) return false;
  ctx.atual.EmissaoConcluida = true;
  ctx.atual.NFeProcessada = true;
  return true;
}

// reemissoes: how many times this request issued the invoice again in
// another mode (its vectors are filled already, only the emission type
// changes); a service that keeps changing its mind gets two.
bool GeraEEnviaNoModo(Contexto& ctx, const ModoEmissao& modo, int16_t tipo, const std::string& observacao,
                      bool esperaAntesDaConsulta, int reemissoes = 0) {
  const bool reemissao = reemissoes > 0;
  Progresso(ctx, "      Gerando NFe...");
  AplicaModo(ctx, modo);
  const int16_t tpEmis = modo.tpEmis == 1 ? tipo : modo.tpEmis;
  if (reemissao) ctx.vetores.gTipoEmissao = tpEmis;
  if (!(reemissao ? RegerarNFE(ctx) : EmiteNFE(ctx, tpEmis, observacao))) return false;
  // EPEC: the summary goes to the national environment, the invoice later.
  if (modo.tpEmis == 4) return RegistraEpecNFE(ctx);
  bool processado = false;
  if (!GerarLoteNFE(ctx, &processado)) {
    // A service that surely did not take the invoice lets it go to the
    // other one in this same request, under the other key: the state's
    // service down, to its SVC; the SVC turned off, back to the state's;
    // the SVC down too, to EPEC under that policy.
    if (modo.tpEmis != 1) {
      if (SaiAposFalhaNaSvc(ctx))
        return reemissoes < 2 && GeraEEnviaNoModo(ctx, {}, tipo, observacao, esperaAntesDaConsulta, reemissoes + 1);
      auto epec = EntraEmEpecAposFalhaNaSvc(ctx);
      return epec && reemissoes < 2 &&
             GeraEEnviaNoModo(ctx, *epec, tipo, observacao, esperaAntesDaConsulta, reemissoes + 1);
    }
    auto contingencia = EntraAposFalha(ctx);
    return contingencia && reemissoes < 2 &&
           GeraEEnviaNoModo(ctx, *contingencia, tipo, observacao, esperaAntesDaConsulta, reemissoes + 1);
  }
  if (modo.tpEmis == 1) ServicoRespondeu(ctx);
  // The synchronous answer brought the protocol: no batch query, no wait.
  if (processado) return ConcluiAutorizada(ctx, ctx.atual.ChaveAcessoSolicitada);
  if (esperaAntesDaConsulta) {
    AguardaSegundos(ctx, kEsperaConsultaLote);
    Progresso(ctx, "      Consulta NFe...");
  }
  return Consultas(ctx);
}

bool GeraEEnvia(Contexto& ctx, int16_t tipo, const std::string& observacao, bool esperaAntesDaConsulta) {
  return GeraEEnviaNoModo(ctx, ModoDaEmissao(ctx), tipo, observacao, esperaAntesDaConsulta);
}

bool Processa(Contexto& ctx, int16_t tipo, const std::string& observacao) {
  SolicitacaoAtual& e = ctx.atual;
  const Movimento m = LocalizaMovimento(ctx);
  if (!m.existe) return GeraEEnvia(ctx, tipo, observacao, false);
  // The queries believe a protocol only for a document this installation
  // sent; the files may be another Host's, so they come from the database.
  if (m.etapa <= 2 && !m.chave.empty()) {
    RestauraDocumentos(ctx, m.chave);
    if (std::string leiaute = LeiauteDoAssinado(ctx, m.chave); !leiaute.empty()) e.LeiauteNFe = leiaute;
  }

  if (m.etapa == 1 || m.etapa == 2) {
    e.NumeroRecepcao = m.recepcao;
    e.ChaveAcessoSolicitada = m.chave;
    if (SoDigitos(m.recepcao, 15)) {
      Progresso(ctx, "      Consulta NFe...");
      return Consultas(ctx);
    }
    // Step 1 without a receipt: the Host stopped between building the batch
    // and storing the authority's answer, which may have come.
    ctx.log.RegistraEvento("        Lote sem recibo registrado: NFe" + m.chave, true, false);
  }
  // Issued in EPEC: the invoice exists under its key and goes to the state's
  // service by itself; never issued again under another one.
  if (m.etapa <= 2 && !m.chave.empty() && RepeteEpecPendente(ctx, m.chave)) return true;
  if (m.etapa <= 2 && !m.chave.empty()) {
    // A key is on the row: the document may have reached the authority.
    switch (ConsultaSituacaoAnterior(ctx, m.chave)) {
      case SituacaoAnterior::Autorizada: return ConcluiAutorizada(ctx, m.chave);
      case SituacaoAnterior::NaoConsta: break;
      case SituacaoAnterior::Impedida:
      case SituacaoAnterior::SemResposta: return false;
    }
  }
  const bool enviado = GeraEEnvia(ctx, tipo, observacao, true);
  // A finished invoice is refused before anything is signed or sent; say so.
  if (!enviado && m.etapa >= 3 && e.MensagemRetorno.empty())
    e.MensagemRetorno = "NFe já autorizada - Protocolo: " + m.protocolo;
  return enviado;
}

}  // namespace

bool ProcessaNFeAzure(Contexto& ctx, int16_t pTipoEmissao, const std::string& pObservacao) {
  SolicitacaoAtual& e = ctx.atual;
  e.NFeProcessada = false;
  e.MensagemRetorno.clear();
  int numero = 0;
  std::string descricao;
  try {
    return Processa(ctx, pTipoEmissao, pObservacao);
  } catch (const ErroExecucao& erro) {
    numero = erro.Numero();
    descricao = erro.Descricao();
  } catch (const std::exception& erro) {
    numero = static_cast<int>(CodigoErro::ChamadaInvalida);
    descricao = erro.what();
  }
  ctx.log.CriaLogNFe("mRotinasGerais.ProcessaNFeAzure: Erro n.:" + std::to_string(numero) + " - ErroTexto: " +
                     descricao);
  if (e.MensagemRetorno.empty()) e.MensagemRetorno = MotivoDaFalha(descricao);
  return false;
}

}  // namespace velant
