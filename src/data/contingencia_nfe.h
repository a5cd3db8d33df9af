#pragma once
// The contingency of a state's authorisation service as every Host of the
// database sees it (tables ContingenciaNFe and FalhaServicoNFe): whether it
// is in force, since when and why, and the failed attempts that may lead
// to it. Times are seconds since 1970 by the calling Host's clock.
#include <cstdint>
#include <optional>
#include <string>

namespace velant::data {

class CConexaoNfe;

struct PeriodoContingencia {
  std::string modo;     // "SVC-AN", "SVC-RS" or "EPEC"
  std::string inicio;   // the dhCont of the invoices issued in it
  std::string motivo;   // why it was entered
};

// The open period of the state; nothing when the normal service is in use.
// Raises ErroExecucao (ErroBanco) when the lookup failed: that is no proof
// that there is none.
std::optional<PeriodoContingencia> ContingenciaAberta(CConexaoNfe& banco, const std::string& uf);
// Opens a period, the state's status taken as seen at `agora`; false when
// one is open already (another Host was first).
bool AbreContingencia(CConexaoNfe& banco, const std::string& uf, const PeriodoContingencia& periodo, int64_t agora);
// Closes the open period with the time and reason; false when none was open.
bool FechaContingencia(CConexaoNfe& banco, const std::string& uf, const std::string& fim, const std::string& motivo);
// True for the one Host that is to ask the state's service now: the last
// time any Host asked is at least `intervalo` seconds ago (and becomes now).
bool VezDeConsultarStatus(CConexaoNfe& banco, const std::string& uf, int64_t agora, int64_t intervalo);

// One more failed attempt: the consecutive failures so far, the first of
// them no longer than `janela` seconds ago (an older series starts again).
int32_t RegistraFalhaServico(CConexaoNfe& banco, const std::string& uf, int64_t agora, int64_t janela);
// An attempt the service answered: the series ends.
void ZeraFalhasServico(CConexaoNfe& banco, const std::string& uf);

}  // namespace velant::data
