#pragma once
// What the two e-mail commands share (and printing, its file checks): the
// component instance, the hourglass pointer, the file checks and the result
// text of their log lines.
#include <filesystem>
#include <memory>
#include <string>

#include "component/fiscal_doc_service.h"
#include "contexto/contexto.h"

namespace velant {

// A fresh instance; raises ErroExecucao (ErroComponente) when there is none.
std::unique_ptr<FiscalDocService> CriaComponenteFiscal(Contexto& ctx);

// Local path of a file the request names. The front end names files of its
// own Windows drive: whatever form the text has, it is looked for under the
// Host's root, never outside it.
std::filesystem::path ArquivoDaSolicitacao(const Contexto& ctx, const std::string& caminhoWindows);
// True when that is a file (a folder of the same name is not).
bool ArquivoExiste(const Contexto& ctx, const std::string& caminhoWindows);

// A file the request may not have mailed (VerificaAnexo): the log line, a
// box on the Host's screen, and the reason as the row's message.
void RecusaAnexo(Contexto& ctx, const std::string& caminhoWindows, const std::string& recusa);

// "Verdadeiro" or "Falso", as a boolean reads in the log.
std::string TextoResultado(bool enviado);

// The hourglass pointer while the object lives; the normal one afterwards,
// also when a call raises.
class PonteiroOcupado {
 public:
  explicit PonteiroOcupado(InterfaceOperador& ui) : ui_(ui) { ui_.PonteiroAmpulheta(true); }
  ~PonteiroOcupado() { ui_.PonteiroAmpulheta(false); }
  PonteiroOcupado(const PonteiroOcupado&) = delete;
  PonteiroOcupado& operator=(const PonteiroOcupado&) = delete;

 private:
  InterfaceOperador& ui_;
};

}  // namespace velant
