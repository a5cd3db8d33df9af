#include "lifecycle/envia_email_contador.h"

#include <string>

#include "base/texto.h"
#include "lifecycle/anexos_email.h"
#include "lifecycle/envio_email_comum.h"
#include "plataforma/registro_windows.h"

namespace velant {

namespace {

// The fixed line, the request's additional text, and the support line when
// the registry value "TelefoneSuporte" has a number.
std::string CorpoEmailContador(const Contexto& ctx) {
  std::string corpo = std::string("Segue em anexo os arquivos XML das Notas Fiscais Eletrônicas.") + vbCrLf +
                      ctx.atual.TextoAdicionalEmail;
  const std::string telefone = Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "TelefoneSuporte"));
  if (!telefone.empty()) corpo += vbCrLf + std::string("Suporte: ") + telefone;
  return corpo;
}

}  // namespace

bool EnviaEmailContador(Contexto& ctx) {
  std::unique_ptr<FiscalDocService> servico = CriaComponenteFiscal(ctx);
  SolicitacaoAtual& e = ctx.atual;
  if (e.EmailDestinatario.empty())
    e.EmailDestinatario = ctx.ui.InputBox("Informe o Email do destinatario (Contabilidade)", "Envio de Email");

  if (!ArquivoExiste(ctx, e.ArquivoAnexoEmail)) {
    ctx.ui.MsgBox("O arquivo " + e.ArquivoAnexoEmail + " não existe." + vbCrLf +
                      "Por este motivo não será possível enviar o email.",
                  vbCritical, "Arquivo Inexistente!");
    return false;
  }
  const AnexoVerificado anexo = VerificaAnexo(ctx, e.ArquivoAnexoEmail);
  if (!anexo.recusa.empty()) {
    RecusaAnexo(ctx, e.ArquivoAnexoEmail, anexo.recusa);
    return false;
  }

  bool enviado = false;
  if (!e.EmailDestinatario.empty()) {
    PonteiroOcupado ocupado(ctx.ui);
    ctx.log.CriaLogNFe("      Destinatario: " + e.EmailDestinatario);
    ctx.log.CriaLogNFe("      Enviando NFe compactada: " + e.ArquivoAnexoEmail);
    // The very file checked above goes, by its local path.
    enviado = servico->EnviaEmail(e.EmailDestinatario, "NFe da empresa: " + e.NomeEmpresaEmissora,
                                  CorpoEmailContador(ctx), anexo.local.string());
    ctx.log.RegistraEvento("      Resultado: " + TextoResultado(enviado), true, false);
  }
  if (!enviado) {
    ctx.ui.MsgBox("Problemas no envio do email para o escritório de contabilidade.", vbCritical,
                  "Erro ao enviar Email");
    return false;
  }
  return true;
}

}  // namespace velant
