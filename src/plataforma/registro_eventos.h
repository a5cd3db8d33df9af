#pragma once
// The event log: the on-screen list, the daily file, and the request row's message.
#include <cstdint>
#include <sys/types.h>

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "base/caminhos.h"
#include "base/data_hora.h"
#include "ui/interface_operador.h"

namespace velant {

inline constexpr const char* kPastaLog = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\Log";

// Characters of one line in the list and the file; a request field of
// megabytes must not become megabytes of log.
inline constexpr int64_t kTamanhoMaximoLinhaLog = 500;

// The text as one readable line: control characters written as \r, \n, \t,
// \xNN or \uNNNN (a value cannot start a line of its own that looks like the
// system's), and past kTamanhoMaximoLinhaLog characters cut with a note of
// how many were left out.
std::string LinhaLegivel(std::string_view texto);

class RegistroEventos {
 public:
  // Writes the (already trimmed and cut) message into the row being served;
  // returns false when it was not written. Provided by the request queue.
  using EscritorMensagem = std::function<bool(const std::string& mensagem)>;

  RegistroEventos(InterfaceOperador& ui, const MapeadorCaminhos& caminhos, const Relogio& relogio);
  ~RegistroEventos();
  RegistroEventos(const RegistroEventos&) = delete;
  RegistroEventos& operator=(const RegistroEventos&) = delete;

  void DefinirEscritorMensagem(EscritorMensagem escritor) { escritor_ = std::move(escritor); }
  // False for the commands that only read: the daily file (and its folders)
  // is neither created nor written; the lines reach the list only.
  void DefinirGravaArquivo(bool grava) { gravaArquivo_ = grava; }
  // Put before every line of the list and the file ("[T2] "): which worker
  // wrote it, when there are several. Empty by default.
  void DefinirPrefixo(std::string prefixo) { prefixo_ = std::move(prefixo); }

  void RegistraEvento(const std::string& Texto, bool GravarArquivo, bool GravarMensagem);
  void CriaLogNFe(const std::string& Texto);

  // "C:\KorvanePafEcf\NFe\VelantNFe\Log\VelantNFe_dd_mm_yyyy.LOG" for that date.
  static std::string NomeArquivoLog(DataHora data);

 private:
  InterfaceOperador& ui_;
  const MapeadorCaminhos& caminhos_;
  const Relogio& relogio_;
  EscritorMensagem escritor_;
  bool gravaArquivo_ = true;
  std::string prefixo_;

  // The day's file stays open between lines, for as long as its name still
  // leads to it (see AcrescentaLinha).
  struct ArquivoAberto {
    std::string nome;  // the Windows name
    std::string local;
    int fd = -1;
    dev_t dispositivo = 0;
    ino_t inode = 0;
  };
  void AcrescentaLinha(const std::string& nome, const std::string& linha);
  void FechaArquivo();
  std::mutex mutexArquivo_;
  ArquivoAberto arquivo_;
};

}  // namespace velant
