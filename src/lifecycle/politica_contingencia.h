#pragma once
// When the Host enters and leaves contingency by itself. The registry value
// "Contingencia" names the policy: "manual" (the default: nothing switches
// by itself), "SVC" or "SVC+EPEC". Under a policy, the Host enters when the
// state's service is paused (status 108 or 109, in a status answer or in the
// answer to a batch) or when N authorisation attempts in a row, within the
// window, time out or are refused at the transport level; it leaves when the
// status answers 107 again. "ContingenciaForcada" = "1" enters now, under
// any policy, and keeps the Host in contingency until it is removed.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace velant {

enum class PoliticaContingencia { Manual, Svc, SvcEpec };

// "manual" or empty, "SVC", "SVC+EPEC" (case and blanks ignored); nothing
// for any other value.
std::optional<PoliticaContingencia> LePoliticaContingencia(const std::string& valor);

// What the Host has just seen of the state's service.
enum class SinalServico {
  EmOperacao,      // status 107
  Paralisado,      // 108 or 109
  FalhaTransporte, // an attempt timed out or was refused at the transport level
  Outro,           // any other answer: says nothing about an outage
};

struct SituacaoContingencia {
  PoliticaContingencia politica = PoliticaContingencia::Manual;
  bool forcada = false;             // "ContingenciaForcada"
  bool emContingencia = false;      // a period is open
  int32_t falhasSeguidas = 0;       // FalhaTransporte included, within the window
  int32_t limiteFalhas = 3;         // N
};

enum class AcaoContingencia { Nenhuma, Entra, Sai };

struct DecisaoContingencia {
  AcaoContingencia acao = AcaoContingencia::Nenhuma;
  std::string motivo;   // for the log, the status line and the period's row
};

DecisaoContingencia DecideContingencia(const SituacaoContingencia& s, SinalServico sinal, const std::string& detalhe);

// The SVC of a state by the endpoint file's "ContingenciaSVC" ("SVC-AN" or
// "SVC-RS"): its tpEmis, 6 or 7; 0 for anything else.
int32_t TipoEmissaoSvc(const std::string& modo);
// The tpEmis of a period's mode: 6 or 7 for an SVC, 4 for "EPEC"; 0 else.
int32_t TipoEmissaoDoPeriodo(const std::string& modo);

// SVC failed an invoice it surely never took (sinal: Paralisado for 108,
// 109 or 114, FalhaTransporte for no connection): under "SVC+EPEC" only,
// the invoice goes in EPEC. Any other signal, or policy, keeps SVC.
bool VaiParaEpec(PoliticaContingencia politica, SinalServico sinalSvc);

// Instants of the contingency records, in seconds since 1970.
inline int64_t SegundosUnix(std::chrono::system_clock::time_point t = std::chrono::system_clock::now()) {
  return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

// An invoice issued in EPEC goes to the state's service within 168 hours
// of its dhEmi; the last 24 are announced, and so is the expiry.
inline constexpr int64_t kPrazoEpecSegundos = 168 * 3600;
inline constexpr int64_t kAvisoEpecSegundos = 24 * 3600;
enum class PrazoEpec { NoPrazo, UltimoDia, Vencido };
PrazoEpec SituacaoPrazoEpec(int64_t emissao, int64_t agora);

}  // namespace velant
