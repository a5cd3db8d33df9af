#include "lifecycle/politica_contingencia.h"

#include "base/texto.h"

namespace velant {

std::optional<PoliticaContingencia> LePoliticaContingencia(const std::string& valor) {
  const std::string v = UCase(Trim(valor));
  if (v.empty() || v == "MANUAL") return PoliticaContingencia::Manual;
  if (v == "SVC") return PoliticaContingencia::Svc;
  if (v == "SVC+EPEC") return PoliticaContingencia::SvcEpec;
  return std::nullopt;
}

DecisaoContingencia DecideContingencia(const SituacaoContingencia& s, SinalServico sinal, const std::string& detalhe) {
  if (s.forcada) {
    if (s.emContingencia) return {};
    return {AcaoContingencia::Entra, "Contingência forçada pelo operador (ContingenciaForcada)"};
  }
  if (s.emContingencia) {
    // Only the service itself says it is back; a manual policy leaves too,
    // so that an operator's switch is undone by the service, not by chance.
    if (sinal == SinalServico::EmOperacao) return {AcaoContingencia::Sai, "Serviço em operação: " + detalhe};
    return {};
  }
  if (s.politica == PoliticaContingencia::Manual) return {};
  if (sinal == SinalServico::Paralisado) return {AcaoContingencia::Entra, "Serviço paralisado: " + detalhe};
  if (sinal == SinalServico::FalhaTransporte && s.falhasSeguidas >= s.limiteFalhas)
    return {AcaoContingencia::Entra, std::to_string(s.falhasSeguidas) + " tentativas seguidas sem resposta: " + detalhe};
  return {};
}

int32_t TipoEmissaoSvc(const std::string& modo) {
  if (modo == "SVC-AN") return 6;
  if (modo == "SVC-RS") return 7;
  return 0;
}

int32_t TipoEmissaoDoPeriodo(const std::string& modo) { return modo == "EPEC" ? 4 : TipoEmissaoSvc(modo); }

bool VaiParaEpec(PoliticaContingencia politica, SinalServico sinalSvc) {
  return politica == PoliticaContingencia::SvcEpec &&
         (sinalSvc == SinalServico::Paralisado || sinalSvc == SinalServico::FalhaTransporte);
}

PrazoEpec SituacaoPrazoEpec(int64_t emissao, int64_t agora) {
  const int64_t resta = emissao + kPrazoEpecSegundos - agora;
  if (resta <= 0) return PrazoEpec::Vencido;
  return resta <= kAvisoEpecSegundos ? PrazoEpec::UltimoDia : PrazoEpec::NoPrazo;
}

}  // namespace velant
