#include "lifecycle/envia_email_nfe.h"

#include <string>

#include "base/texto.h"
#include "lifecycle/envio_email_comum.h"

namespace velant {

namespace {

struct ArquivosNFe {
  std::string xml;
  std::string pdf;
};

// The distribution file in the main folder, else in the folder of the
// key's year and month (characters 3-4 and 5-6), where older ones are kept.
ArquivosNFe LocalizaArquivos(const Contexto& ctx, const std::string& chave) {
  const std::string& base = ctx.atual.PastaBase;
  const std::string procNFe = base + "\\nfe\\arquivos\\procNFe\\";
  ArquivosNFe a;
  a.xml = procNFe + chave + "-procNFe.xml";
  if (!ArquivoExiste(ctx, a.xml)) a.xml = procNFe + "20" + Mid(chave, 3, 2) + Mid(chave, 5, 2) + "\\" + chave + "-procNFe.xml";
  a.pdf = base + "\\nfe\\arquivos\\PDF\\" + chave + ".pdf";
  return a;
}

// The two mails of the invoice to one address, XML then PDF; true when the PDF went.
bool EnviaXmlEPdf(Contexto& ctx, FiscalDocService& servico, const std::string& destinatario,
                  const ArquivosNFe& arquivos) {
  const std::string& chave = ctx.atual.ChaveAcessoSolicitada;
  const std::string assunto = "Nota Fiscal Eletrônica da empresa: " + ctx.atual.NomeEmpresaEmissora;
  PonteiroOcupado ocupado(ctx.ui);

  ctx.log.CriaLogNFe("      Destinatario: " + destinatario);
  ctx.log.CriaLogNFe("      Enviando NFe: " + arquivos.xml);
  const bool xml = servico.EnviaEmail(
      destinatario, assunto, "Segue em anexo arquivo XML da Nota Fiscal Eletrônica CHAVE DE NR.: " + chave, arquivos.xml);
  ctx.log.CriaLogNFe("      Resultado: " + TextoResultado(xml));

  ctx.log.RegistraEvento("      Enviando PDF: " + arquivos.pdf, true, false);
  const bool pdf = servico.EnviaEmail(
      destinatario, assunto, "Segue em anexo arquivo PDF da Nota Fiscal Eletrônica CHAVE DE NR.: " + chave, arquivos.pdf);
  ctx.log.RegistraEvento("      Resultado: " + TextoResultado(pdf), true, false);
  return pdf;
}

}  // namespace

bool EnviaEmailNFe(Contexto& ctx) {
  std::unique_ptr<FiscalDocService> servico = CriaComponenteFiscal(ctx);
  const SolicitacaoAtual& e = ctx.atual;
  // The typed address serves this request only.
  std::string destinatario = e.EmailDestinatario;
  if (destinatario.empty()) destinatario = ctx.ui.InputBox("Informe o Email do destinatario", "Envio de Email");

  const ArquivosNFe arquivos = LocalizaArquivos(ctx, e.ChaveAcessoSolicitada);
  if (!ArquivoExiste(ctx, arquivos.pdf)) {
    ctx.ui.MsgBox(std::string("O arquivo PDF desta NFe não foi gerado.") + vbCrLf +
                      "Clique no botão Imprimir para que seja gerado o arquivo PDF.",
                  vbInformation, "Arquivo PDF Inexistente!");
    return false;
  }
  // Without it the customer would get a mail with nothing attached; nobody gets one.
  if (!ArquivoExiste(ctx, arquivos.xml)) {
    ctx.log.RegistraEvento("      Arquivo XML da NFe inexistente: " + arquivos.xml, true, false);
    ctx.ui.MsgBox(std::string("O arquivo XML desta NFe não foi encontrado.") + vbCrLf +
                      "Por este motivo não será possível enviar o email.",
                  vbCritical, "Arquivo XML Inexistente!");
    return false;
  }

  bool resultado = false;
  if (!destinatario.empty() && EnviaXmlEPdf(ctx, *servico, destinatario, arquivos)) {
    resultado = true;
  } else {
    ctx.ui.MsgBox("Problemas no envio do email para o cliente.");
  }

  if (!e.EmailEmitente.empty()) {
    const bool contador = EnviaXmlEPdf(ctx, *servico, e.EmailEmitente, arquivos);
    ctx.ui.MsgBox(contador ? "Email enviado com sucesso para o(a) contador(a)."
                           : "Problemas no envio do email para o(a) contador(a)..");
  }
  return resultado;
}

}  // namespace velant
