#include "lifecycle/contingencia_emissao.h"

#include <chrono>
#include <exception>

#include "base/erro.h"
#include "base/texto.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "component/fiscal_doc_service.h"
#include "component/textos_resposta.h"
#include "data/contingencia_nfe.h"
#include "lifecycle/epec_emissao.h"
#include "lifecycle/politica_contingencia.h"
#include "lifecycle/rotina_emissao.h"

namespace velant {

using namespace emissao;

namespace {

struct Configuracao {
  PoliticaContingencia politica = PoliticaContingencia::Manual;
  bool forcada = false;
  int32_t limiteFalhas = 3;
  int64_t janela = 300, intervaloStatus = 60;
  std::string uf, ambiente;
};

std::string Registro(Contexto& ctx, const char* nome) {
  return Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", nome));
}

int64_t Numero(const std::string& texto, int64_t padrao) {
  if (texto.empty() || texto.find_first_not_of("0123456789") != std::string::npos || texto.size() > 9) return padrao;
  return std::stoll(texto);
}

Configuracao LeConfiguracao(Contexto& ctx) {
  Configuracao c;
  const std::string politica = Registro(ctx, "Contingencia");
  if (auto p = LePoliticaContingencia(politica)) {
    c.politica = *p;
  } else {
    // A value not understood switches nothing, as the default does.
    ctx.log.RegistraEvento("      ** Valor inválido no registro Contingencia: '" + politica +
                               "' (manual, SVC ou SVC+EPEC); nada muda sozinho",
                           true, false);
  }
  c.forcada = Registro(ctx, "ContingenciaForcada") == "1";
  c.limiteFalhas = static_cast<int32_t>(std::max<int64_t>(1, Numero(Registro(ctx, "ContingenciaFalhas"), 3)));
  c.janela = Numero(Registro(ctx, "ContingenciaJanela"), 300);
  c.intervaloStatus = Numero(Registro(ctx, "ContingenciaIntervaloStatus"), 60);
  c.uf = UCase(Registro(ctx, "UnidadeFederada"));
  c.ambiente = Registro(ctx, "Ambiente");
  return c;
}

// Contingency is a layout 4.00 matter: the 3.10 services are gone.
bool Leiaute400(Contexto& ctx) {
  const std::string leiaute = ctx.atual.LeiauteNFe.empty() ? Registro(ctx, "LeiauteNFe") : ctx.atual.LeiauteNFe;
  return leiaute == "4.00";
}

// The state's SVC by the endpoint file; "" when it names none.
std::string SvcDaUf(Contexto& ctx, const Configuracao& c) {
  try {
    return autoridade::TabelaServicos::Carregar(autoridade::ArquivoServicos(Registro(ctx, "ArquivoServicos")))
        .AutorizadorContingencia(c.uf, c.ambiente);
  } catch (const ErroExecucao& e) {
    ctx.log.RegistraEvento("      ** " + e.Descricao(), true, false);
    return "";
  }
}

void Mostra(Contexto& ctx, const std::string& texto) {
  ctx.log.RegistraEvento("      " + texto, true, true);
  ctx.ui.DefinirStatus(texto);
}

bool Entra(Contexto& ctx, const Configuracao& c, const std::string& motivo) {
  const std::string svc = SvcDaUf(ctx, c);
  if (svc.empty()) {
    ctx.log.RegistraEvento("      ** Contingência não iniciada: sem ContingenciaSVC para " + c.uf + " no arquivo de serviços",
                           true, false);
    return false;
  }
  const data::PeriodoContingencia periodo{
      svc, autoridade::DataHoraComFuso(std::chrono::system_clock::now(), autoridade::FusoLocalHoras()), motivo};
  // Whoever opens it, the period is the same for every Host.
  if (data::AbreContingencia(Banco(ctx), c.uf, periodo, SegundosUnix()))
    Mostra(ctx, "Contingência " + svc + " iniciada em " + periodo.inicio + ": " + motivo);
  return data::ContingenciaAberta(Banco(ctx), c.uf).has_value();
}

// The state's status as a signal for the policy.
SinalServico PerguntaStatus(Contexto& ctx, std::string& detalhe) {
  try {
    const RespostaStatus r = Componente(ctx)->StatusServico();
    detalhe = TextoStatusServico(r);
    if (r.EmOperacao()) return SinalServico::EmOperacao;
    if (r.cStat == "108" || r.cStat == "109") return SinalServico::Paralisado;
    return SinalServico::Outro;
  } catch (const ErroExecucao& e) {
    detalhe = e.Descricao();
  } catch (const std::exception& e) {
    detalhe = e.what();
  }
  return SinalServico::FalhaTransporte;
}

// A justification the layout takes: 15 to 256 characters.
std::string Justificativa(const std::string& motivo) {
  std::string j = Trim(motivo);
  if (j.size() < 15) j = "Contingência: " + j;
  return j.size() > 256 ? j.substr(0, 256) : j;
}

ModoEmissao ModoDoPeriodo(Contexto& ctx, const data::PeriodoContingencia& periodo) {
  ctx.atual.ContingenciaEmVigor = true;
  return {static_cast<int16_t>(TipoEmissaoDoPeriodo(periodo.modo)), periodo.modo, periodo.inicio,
          Justificativa(periodo.motivo)};
}

// In a period: asks the state's status and leaves when the policy says so;
// true when the period was left.
bool PerguntaESai(Contexto& ctx, const Configuracao& c, const data::PeriodoContingencia& periodo) {
  std::string detalhe;
  const SinalServico sinal = PerguntaStatus(ctx, detalhe);
  ctx.log.RegistraEvento("        Status do serviço da UF em contingência: " + detalhe, true, false);
  const DecisaoContingencia d =
      DecideContingencia({c.politica, c.forcada, true, 0, c.limiteFalhas}, sinal, detalhe);
  if (d.acao != AcaoContingencia::Sai) return false;
  if (data::FechaContingencia(Banco(ctx), c.uf,
                              autoridade::DataHoraComFuso(std::chrono::system_clock::now(), autoridade::FusoLocalHoras()),
                              d.motivo))
    Mostra(ctx, "Contingência " + periodo.modo + " encerrada: " + d.motivo);
  data::ZeraFalhasServico(Banco(ctx), c.uf);
  return true;
}

}  // namespace

ModoEmissao ModoDaEmissao(Contexto& ctx) {
  ctx.atual.ContingenciaEmVigor = false;
  if (!Leiaute400(ctx)) return {};
  const Configuracao c = LeConfiguracao(ctx);
  auto periodo = data::ContingenciaAberta(Banco(ctx), c.uf);
  const SituacaoContingencia situacao{c.politica, c.forcada, periodo.has_value(), 0, c.limiteFalhas};
  if (periodo && data::VezDeConsultarStatus(Banco(ctx), c.uf, SegundosUnix(), c.intervaloStatus) &&
      PerguntaESai(ctx, c, *periodo))
    periodo.reset();
  if (!periodo && c.forcada) {
    const DecisaoContingencia d = DecideContingencia(situacao, SinalServico::Outro, "");
    if (d.acao == AcaoContingencia::Entra && Entra(ctx, c, d.motivo)) periodo = data::ContingenciaAberta(Banco(ctx), c.uf);
  }
  // The invoices issued in EPEC go to the state's service once it is back;
  // while it is not, their deadline is watched.
  if (!periodo) EnviaEpecsPendentes(ctx, c.uf);
  AvisaPrazosEpec(ctx, c.uf);
  if (!periodo) return {};
  return ModoDoPeriodo(ctx, *periodo);
}

std::optional<ModoEmissao> EntraAposFalha(Contexto& ctx) {
  using F = SolicitacaoAtual::FalhaEnvio;
  SolicitacaoAtual& e = ctx.atual;
  if (e.FalhaEnvioLote == F::Nenhuma || !Leiaute400(ctx)) return std::nullopt;
  const Configuracao c = LeConfiguracao(ctx);
  SituacaoContingencia s{c.politica, c.forcada, false, 0, c.limiteFalhas};
  SinalServico sinal = SinalServico::Paralisado;
  if (e.FalhaEnvioLote != F::Paralisado) {
    sinal = SinalServico::FalhaTransporte;
    s.falhasSeguidas = data::RegistraFalhaServico(Banco(ctx), c.uf, SegundosUnix(), c.janela);
  }
  const DecisaoContingencia d = DecideContingencia(s, sinal, e.DetalheFalhaEnvio);
  if (d.acao == AcaoContingencia::Entra && Entra(ctx, c, d.motivo) && e.FalhaEnvioLote != F::SemResposta) {
    // Only what surely never reached the state's service may be issued
    // again under another key; anything else is asked about first.
    if (auto periodo = data::ContingenciaAberta(Banco(ctx), c.uf)) return ModoDoPeriodo(ctx, *periodo);
  }
  // The answer field holds 50 characters: the code goes first.
  if (e.FalhaEnvioLote == F::Paralisado)
    e.MensagemRetorno = "Autoridade indisponível: serviço paralisado (" + e.DetalheFalhaEnvio.substr(0, 3) + ")";
  if (e.FalhaEnvioLote == F::ConexaoRecusada) e.MensagemRetorno = "Autoridade indisponível: sem conexão com o serviço";
  return std::nullopt;
}

bool SaiAposFalhaNaSvc(Contexto& ctx) {
  using F = SolicitacaoAtual::FalhaEnvio;
  SolicitacaoAtual& e = ctx.atual;
  if (e.FalhaEnvioLote == F::Nenhuma) return false;
  const Configuracao c = LeConfiguracao(ctx);
  // The state turns its SVC off when its own service is back (114).
  if (e.FalhaEnvioLote == F::SvcDesabilitada) {
    auto periodo = data::ContingenciaAberta(Banco(ctx), c.uf);
    if (!periodo || PerguntaESai(ctx, c, *periodo)) {
      ctx.atual.ContingenciaEmVigor = false;
      return true;
    }
  }
  if (e.FalhaEnvioLote == F::Paralisado || e.FalhaEnvioLote == F::SvcDesabilitada)
    e.MensagemRetorno = "Contingência indisponível: SVC paralisada (" + e.DetalheFalhaEnvio.substr(0, 3) + ")";
  if (e.FalhaEnvioLote == F::ConexaoRecusada) e.MensagemRetorno = "Contingência indisponível: sem conexão com a SVC";
  return false;
}

std::optional<ModoEmissao> EntraEmEpecAposFalhaNaSvc(Contexto& ctx) {
  using F = SolicitacaoAtual::FalhaEnvio;
  const SolicitacaoAtual& e = ctx.atual;
  if (e.FalhaEnvioLote == F::Nenhuma || e.FalhaEnvioLote == F::SemResposta) return std::nullopt;
  const Configuracao c = LeConfiguracao(ctx);
  const SinalServico sinal =
      e.FalhaEnvioLote == F::ConexaoRecusada ? SinalServico::FalhaTransporte : SinalServico::Paralisado;
  if (!VaiParaEpec(c.politica, sinal)) return std::nullopt;
  auto periodo = data::ContingenciaAberta(Banco(ctx), c.uf);
  if (periodo && periodo->modo != "EPEC") {
    // The SVC period ends and the EPEC one begins: each with its own dhCont
    // (a period is known by its start, even one opened this very second).
    auto instante = std::chrono::system_clock::now();
    std::string agora = autoridade::DataHoraComFuso(instante, autoridade::FusoLocalHoras());
    if (agora == periodo->inicio)
      agora = autoridade::DataHoraComFuso(instante + std::chrono::seconds(1), autoridade::FusoLocalHoras());
    const std::string motivo = "SVC indisponível: " + e.DetalheFalhaEnvio;
    if (data::FechaContingencia(Banco(ctx), c.uf, agora, motivo))
      Mostra(ctx, "Contingência " + periodo->modo + " encerrada: " + motivo);
    if (data::AbreContingencia(Banco(ctx), c.uf, {"EPEC", agora, motivo}, SegundosUnix()))
      Mostra(ctx, "Contingência EPEC iniciada em " + agora + ": " + motivo);
    periodo = data::ContingenciaAberta(Banco(ctx), c.uf);
  }
  if (!periodo || periodo->modo != "EPEC") return std::nullopt;
  return ModoDoPeriodo(ctx, *periodo);
}

void ServicoRespondeu(Contexto& ctx) {
  if (!Leiaute400(ctx)) return;
  data::ZeraFalhasServico(Banco(ctx), UCase(Registro(ctx, "UnidadeFederada")));
}

void MarcaContingenciaDaChave(Contexto& ctx, const std::string& chave) {
  const std::string k = Trim(chave);
  ctx.atual.ContingenciaEmVigor =
      k.size() == 44 && (k[34] == '6' || k[34] == '7') &&
      data::ContingenciaAberta(Banco(ctx), UCase(Registro(ctx, "UnidadeFederada"))).has_value();
}

void AplicaModo(Contexto& ctx, const ModoEmissao& modo) {
  ctx.vetores.gInicioContingencia = modo.tpEmis == 1 ? "" : modo.inicio;
  ctx.vetores.gJustificativaContingencia = modo.tpEmis == 1 ? "" : modo.justificativa;
}

}  // namespace velant
