#include "lifecycle/envio_email_comum.h"

#include <system_error>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "base/valor.h"

namespace velant {

std::unique_ptr<FiscalDocService> CriaComponenteFiscal(Contexto& ctx) {
  std::unique_ptr<FiscalDocService> servico;
  if (ctx.CriaFiscalDocService) servico = ctx.CriaFiscalDocService();
  if (!servico) Levanta(CodigoErro::ErroComponente, "O componente FiscalDocService não está disponível");
  return servico;
}

std::filesystem::path ArquivoDaSolicitacao(const Contexto& ctx, const std::string& caminhoWindows) {
  return ctx.caminhos.Mapear(caminhoWindows);
}

bool ArquivoExiste(const Contexto& ctx, const std::string& caminhoWindows) {
  std::error_code ec;
  return std::filesystem::is_regular_file(ArquivoDaSolicitacao(ctx, caminhoWindows), ec);
}

void RecusaAnexo(Contexto& ctx, const std::string& caminhoWindows, const std::string& recusa) {
  ctx.log.RegistraEvento("      " + recusa + ": " + caminhoWindows, true, false);
  ctx.ui.MsgBox("O arquivo " + caminhoWindows + " não pode ser enviado por email." + vbCrLf + recusa, vbCritical,
                "Anexo Recusado!");
  ctx.atual.MotivoFalha = recusa;
}

std::string TextoResultado(bool enviado) { return CStr(Valor(enviado)); }

}  // namespace velant
