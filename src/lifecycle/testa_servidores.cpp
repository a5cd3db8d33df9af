#include "lifecycle/testa_servidores.h"

#include <exception>
#include <string>

#include "base/erro.h"
#include "base/texto.h"
#include "component/fiscal_doc_service.h"
#include "component/textos_resposta.h"
#include "lifecycle/motivo_falha.h"

namespace velant {

namespace {

// The service was never asked when the Host's certificate cannot serve:
// that is the answer, not "unavailable". An installation without any
// certificate keeps the usual answer.
void NomeiaCausa(Contexto& ctx, const std::string& descricao) {
  if (auto motivo = CertificadoComDefeito(descricao)) ctx.atual.MotivoFalha = *motivo;
}

}  // namespace

bool TestaServidores(Contexto& ctx) {
  int xFaseLog = 0;
  try {
    xFaseLog = 20;
    if (!ctx.CriaFiscalDocService) {
      Levanta(CodigoErro::ErroComponente, "O componente FiscalDocService não está disponível");
    }
    std::unique_ptr<FiscalDocService> servico = ctx.CriaFiscalDocService();
    if (!servico) Levanta(CodigoErro::ErroComponente, "O componente FiscalDocService não está disponível");
    xFaseLog = 30;
    xFaseLog = 40;
    const RespostaStatus resposta = servico->StatusServico();
    const std::string texto = TextoStatusServico(resposta);
    xFaseLog = 50;
    ctx.atual.MensagemRetorno = texto;
    xFaseLog = 60;
    ctx.log.CriaLogNFe("      Resultado: " + texto);
    return resposta.EmOperacao();
  } catch (const ErroExecucao& e) {
    ctx.log.CriaLogNFe("     ** Erro na Rotina: TestaServidores - xFaseLog=" + std::to_string(xFaseLog) + " - " +
                       e.Descricao());
    NomeiaCausa(ctx, e.Descricao());
  } catch (const std::exception& e) {
    ctx.log.CriaLogNFe("     ** Erro na Rotina: TestaServidores - xFaseLog=" + std::to_string(xFaseLog) + " - " +
                       e.what());
    NomeiaCausa(ctx, e.what());
  }
  return false;
}

}  // namespace velant
