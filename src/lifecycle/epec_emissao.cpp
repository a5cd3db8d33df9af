#include "lifecycle/epec_emissao.h"

#include <chrono>

#include "base/arquivos.h"
#include "base/texto.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/fiscal_doc_service.h"
#include "component/recusa_resposta.h"
#include "component/regras/regras_valores.h"
#include "component/xml/autoridade_xml.h"
#include "data/epec_pendente.h"
#include "lifecycle/documentos_banco.h"
#include "lifecycle/lote_nfe.h"
#include "lifecycle/politica_contingencia.h"
#include "lifecycle/rotina_emissao.h"
#include "lifecycle/situacao_nfe.h"

namespace velant {

using namespace emissao;

namespace {

// The dhEmi the EPEC registered; now when it cannot be read (the invoice was just generated).
int64_t EmissaoDoEpec(const std::string& procEvento) {
  try {
    autoridade::DocumentoXml doc = autoridade::DocumentoXml::Ler(procEvento, "procEventoNFe do EPEC");
    if (auto t = regras::Instante(autoridade::Texto(autoridade::Procura(doc.Raiz(), "dhEmi")))) return SegundosUnix(*t);
  } catch (const ErroExecucao&) {
  }
  return SegundosUnix();
}

std::string Prazo(int64_t emissao) {
  return autoridade::DataHoraComFuso(
      std::chrono::system_clock::time_point(std::chrono::seconds(emissao + kPrazoEpecSegundos)),
      autoridade::FusoLocalHoras());
}

void Mostra(Contexto& ctx, const std::string& texto) {
  ctx.log.RegistraEvento("      " + texto, true, true);
  ctx.ui.DefinirStatus(texto);
}

}  // namespace

std::string ArquivoEpec(const Contexto& ctx, const std::string& chave) {
  return ctx.atual.PastaBase + "\\nfe\\arquivos\\procNFe\\" + chave + "-epec-procEventoNFe.xml";
}

bool RegistraEpecNFE(Contexto& ctx) {
  return ComTratamento(ctx, "RegistraEpecNFE", [&] {
    SolicitacaoAtual& e = ctx.atual;
    e.MensagemRetorno = "EPEC não registrado";
    const std::string chave = e.ChaveAcessoSolicitada;
    RespostaRegistro r;
    {
      auto componente = Componente(ctx);
      r = componente->EventoEpec(chave);
    }
    const std::string texto = r.cStat + " - " + r.xMotivo;
    ctx.log.RegistraEvento("        EPEC da NFe" + chave + ": " + texto + (r.nProt.empty() ? "" : " - Protocolo: " + r.nProt),
                           true, false);
    if (r.cStat != "136") {
      e.MensagemRetorno = "EPEC não registrado: " + texto;
      return false;
    }
    if (const std::string recusa = RecusaRegistro(r, chave); !recusa.empty() || r.distribuicao.empty() ||
                                                               !SoDigitos(r.nProt, 15)) {
      RecusaResposta(ctx, recusa.empty() ? "EPEC sem procEventoNFe ou protocolo" : recusa);
      return false;
    }
    GravaArquivo(ctx.caminhos.MapearParaGravar(ArquivoEpec(ctx, chave)), r.distribuicao);
    const int64_t emissao = EmissaoDoEpec(r.distribuicao);
    data::RegistraEpecPendente(Banco(ctx), {chave, e.CodigoEmpresa, e.SerieAtual, e.NumeroAtual,
                                            UCase(Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "UnidadeFederada"))),
                                            emissao, r.nProt, 0});
    Mostra(ctx, "NF-e em contingência EPEC: NFe" + chave + ", protocolo " + r.nProt + "; enviar à SEFAZ até " +
                    Prazo(emissao));
    // The DANFE goes with the goods now: written at once, with the EPEC's notice.
    const std::string pdf = e.PastaBase + "\\nfe\\arquivos\\PDF\\" + chave + ".pdf";
    try {
      Componente(ctx)->ImprimeDanfe(ArquivoEpec(ctx, chave), pdf, 2, 0);
    } catch (const ErroExecucao& erro) {
      ctx.log.RegistraEvento("      ** DANFE do EPEC não gerado: " + erro.Descricao(), true, false);
    }
    e.ProtocoloSolicitado = r.nProt;
    e.RespostaAprovada = kRespostaEpec;
    e.EmissaoConcluida = true;
    e.NFeProcessada = true;
    return true;
  });
}

bool RepeteEpecPendente(Contexto& ctx, const std::string& chave) {
  const std::string protocolo = data::ProtocoloEpecPendente(Banco(ctx), chave);
  if (protocolo.empty()) return false;
  ctx.log.RegistraEvento("        NF-e em contingência EPEC, protocolo " + protocolo + ": NFe" + chave, true, false);
  SolicitacaoAtual& e = ctx.atual;
  e.ChaveAcessoSolicitada = chave;
  e.ProtocoloSolicitado = protocolo;
  e.RespostaAprovada = kRespostaEpec;
  e.EmissaoConcluida = true;
  e.NFeProcessada = true;
  return true;
}

void EnviaEpecsPendentes(Contexto& ctx, const std::string& uf) {
  for (const data::EpecPendente& p : data::EpecsPendentes(Banco(ctx), uf)) {
    const SolicitacaoAtual emAndamento = ctx.atual;
    SolicitacaoAtual& e = ctx.atual;
    e.CodigoEmpresa = static_cast<int16_t>(p.empresa);
    e.SerieAtual = p.serie;
    e.NumeroAtual = p.numero;
    e.ChaveAcessoSolicitada = p.chave;
    e.LeiauteNFe = "4.00";
    e.ContingenciaEmVigor = false;
    e.NumeroRecepcao.clear();
    e.MensagemRetorno.clear();
    ctx.log.RegistraEvento("      Enviando NF-e emitida em EPEC: NFe" + p.chave, true, true);
    // The signed document may be another Host's: the database has it.
    bool autorizada = false;
    // A pending invoice that fails waits for the next time; the request in hand goes on.
    ComTratamento(ctx, "EnviaEpecsPendentes", [&] {
      RestauraDocumentos(ctx, p.chave);
      bool processado = false;
      autorizada =
          GerarLoteNFE(ctx, &processado) && (processado || ConsultaProcessamentoNFE(ctx)) && ConsultaSituacaoNFE(ctx);
      return autorizada;
    });
    if (autorizada) {
      data::BaixaEpecPendente(Banco(ctx), p.chave);
      Mostra(ctx, "NF-e emitida em EPEC autorizada: NFe" + p.chave + " - Protocolo: " + e.ProtocoloSolicitado);
    } else {
      ctx.log.RegistraEvento("      ** NF-e emitida em EPEC não autorizada: NFe" + p.chave + " - " + e.MensagemRetorno,
                             true, true);
    }
    ctx.atual = emAndamento;
  }
}

void AvisaPrazosEpec(Contexto& ctx, const std::string& uf) {
  const int64_t agora = SegundosUnix();
  for (const data::EpecPendente& p : data::EpecsPendentes(Banco(ctx), uf)) {
    const PrazoEpec prazo = SituacaoPrazoEpec(p.emissao, agora);
    if (prazo == PrazoEpec::UltimoDia && data::MarcaAvisoEpec(Banco(ctx), p.chave, 1))
      Mostra(ctx, "** NF-e em EPEC a menos de 24 horas do prazo: NFe" + p.chave + ", enviar até " + Prazo(p.emissao));
    if (prazo == PrazoEpec::Vencido && data::MarcaAvisoEpec(Banco(ctx), p.chave, 2))
      Mostra(ctx, "** NF-e em EPEC com prazo vencido em " + Prazo(p.emissao) + ": NFe" + p.chave);
  }
}

}  // namespace velant
