// The authority's business rules run by the Host on the signed document,
// before any batch is built: an invoice the authority would refuse is
// answered here, with the rule that refuses it, instead of after a send.
#include <chrono>

#include "base/erro.h"
#include "base/texto.h"
#include "component/regras/regras_autoridade.h"
#include "lifecycle/gerar_nfe.h"

namespace velant {

namespace {

// Who will receive an invoice of that emission type.
std::string AutorizadorDoTipo(int16_t tpEmis) {
  if (tpEmis == 6) return "SVC-AN";
  if (tpEmis == 7) return "SVC-RS";
  return "";
}

}  // namespace

bool ConfereRegrasNFE(Contexto& ctx) {
  try {
    SolicitacaoAtual& estado = ctx.atual;
    if (Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "VerificaRegrasAntesDeEnviar")) == "0") {
      ctx.log.RegistraEvento("        Regras da autoridade não conferidas (VerificaRegrasAntesDeEnviar=0)", true, false);
      return true;
    }
    auto violada =
        regras::VerificaRegrasArquivo(ctx.caminhos.Mapear(estado.ArquivoAtual), std::chrono::system_clock::now(),
                                      AutorizadorDoTipo(ctx.vetores.gTipoEmissao));
    if (!violada) {
      ctx.log.RegistraEvento("        Regras da autoridade conferidas", true, false);
      return true;
    }
    estado.MensagemRetorno = violada->CodigoETexto();
    ctx.log.RegistraEvento("      " + violada->CodigoETexto() + " (" + violada->detalhe + ")", true, true);
    return false;
  } catch (const ErroExecucao& e) {
    ctx.log.RegistraEvento("     ** Erro na Rotina: ConfereRegrasNFE - " + e.Descricao(), true, false);
    return false;
  } catch (const std::exception& e) {
    ctx.log.RegistraEvento(std::string("     ** Erro na Rotina: ConfereRegrasNFE - ") + e.what(), true, false);
    return false;
  }
}

}  // namespace velant
