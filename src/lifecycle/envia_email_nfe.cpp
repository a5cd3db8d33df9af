#include "lifecycle/envia_email_nfe.h"

#include <string>

#include "base/texto.h"
#include "lifecycle/anexos_email.h"
#include "lifecycle/carta_correcao.h"
#include "lifecycle/envio_email_comum.h"

namespace velant {

namespace {

struct ArquivosNFe {
  std::string xml;
  std::string pdf;
  std::string carta;   // the last correction letter, when asked for; else ""
  // Where they lie, once allowed to go.
  std::string xmlLocal;
  std::string pdfLocal;
  std::string cartaLocal;
};

// What reached one address.
struct Entrega {
  bool xml = false;
  bool pdf = false;
  bool cartaPedida = false;
  bool carta = false;
  bool Completa() const { return xml && pdf && (carta || !cartaPedida); }
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

// The two mails of the invoice to one address, XML then PDF.
Entrega EnviaXmlEPdf(Contexto& ctx, FiscalDocService& servico, const std::string& destinatario,
                  const ArquivosNFe& arquivos) {
  const std::string& chave = ctx.atual.ChaveAcessoSolicitada;
  const std::string assunto = "Nota Fiscal Eletrônica da empresa: " + ctx.atual.NomeEmpresaEmissora;
  PonteiroOcupado ocupado(ctx.ui);

  ctx.log.CriaLogNFe("      Destinatario: " + destinatario);
  ctx.log.CriaLogNFe("      Enviando NFe: " + arquivos.xml);
  Entrega entrega;
  entrega.xml = servico.EnviaEmail(destinatario, assunto,
                                   "Segue em anexo arquivo XML da Nota Fiscal Eletrônica CHAVE DE NR.: " + chave,
                                   arquivos.xmlLocal);
  ctx.log.CriaLogNFe("      Resultado: " + TextoResultado(entrega.xml));

  ctx.log.RegistraEvento("      Enviando PDF: " + arquivos.pdf, true, false);
  entrega.pdf = servico.EnviaEmail(destinatario, assunto,
                                   "Segue em anexo arquivo PDF da Nota Fiscal Eletrônica CHAVE DE NR.: " + chave,
                                   arquivos.pdfLocal);
  ctx.log.RegistraEvento("      Resultado: " + TextoResultado(entrega.pdf), true, false);

  entrega.cartaPedida = !arquivos.carta.empty();
  if (entrega.cartaPedida) {
    ctx.log.RegistraEvento("      Enviando Carta de Correção: " + arquivos.carta, true, false);
    entrega.carta = servico.EnviaEmail(
        destinatario, assunto, "Segue em anexo a Carta de Correção Eletrônica da NF-e CHAVE DE NR.: " + chave,
        arquivos.cartaLocal);
    ctx.log.RegistraEvento("      Resultado: " + TextoResultado(entrega.carta), true, false);
  }
  return entrega;
}

// The files that failed to reach the address, " (XML)", " (PDF, CC-e)"...;
// "" when none of them did.
std::string QualArquivo(const Entrega& e) {
  std::string faltaram;
  int enviados = 0;
  const auto conta = [&](bool foi, const char* nome) {
    if (foi) ++enviados;
    else faltaram += (faltaram.empty() ? "" : ", ") + std::string(nome);
  };
  conta(e.xml, "XML");
  conta(e.pdf, "PDF");
  if (e.cartaPedida) conta(e.carta, "CC-e");
  return enviados == 0 ? "" : " (" + faltaram + ")";
}

// Which copies did not go, for the row's message.
std::string CopiasQueFaltaram(const Entrega& cliente, bool comContador, const Entrega& contador) {
  const bool faltouCliente = !cliente.Completa();
  const bool faltouContador = comContador && !contador.Completa();
  if (faltouCliente && faltouContador) return "Email não enviado ao cliente nem ao contador";
  if (faltouCliente) return "Email não enviado ao cliente" + QualArquivo(cliente);
  if (faltouContador) return "Email não enviado ao contador" + QualArquivo(contador);
  return "";
}

}  // namespace

bool EnviaEmailNFe(Contexto& ctx) {
  std::unique_ptr<FiscalDocService> servico = CriaComponenteFiscal(ctx);
  const SolicitacaoAtual& e = ctx.atual;
  // The typed address serves this request only.
  std::string destinatario = e.EmailDestinatario;
  if (destinatario.empty()) destinatario = ctx.ui.InputBox("Informe o Email do destinatario", "Envio de Email");

  ArquivosNFe arquivos = LocalizaArquivos(ctx, e.ChaveAcessoSolicitada);
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

  // The letters asked for: the last one carries every correction.
  if (e.CartaCorrecaoNoEmail) {
    const int ultima = UltimaCartaGravada(ctx, e.ChaveAcessoSolicitada);
    if (ultima == 0) {
      ctx.log.RegistraEvento("      Nenhuma carta de correção da NF-e " + e.ChaveAcessoSolicitada, true, false);
      ctx.atual.MotivoFalha = "Nenhuma carta de correção da NF-e";
      return false;
    }
    arquivos.carta = ArquivoCartaCorrecao(ctx, e.ChaveAcessoSolicitada, ultima);
    const AnexoVerificado carta = VerificaAnexo(ctx, arquivos.carta);
    if (!carta.recusa.empty()) {
      RecusaAnexo(ctx, arquivos.carta, carta.recusa);
      return false;
    }
    arquivos.cartaLocal = carta.local.string();
  }

  // No file goes anywhere unless all may.
  const AnexoVerificado xml = VerificaAnexo(ctx, arquivos.xml);
  const AnexoVerificado pdf = VerificaAnexo(ctx, arquivos.pdf);
  if (!xml.recusa.empty()) {
    RecusaAnexo(ctx, arquivos.xml, xml.recusa);
    return false;
  }
  if (!pdf.recusa.empty()) {
    RecusaAnexo(ctx, arquivos.pdf, pdf.recusa);
    return false;
  }
  arquivos.xmlLocal = xml.local.string();
  arquivos.pdfLocal = pdf.local.string();

  // The request succeeds only when every copy went: the customer's and, when
  // there is one, the accountant's.
  Entrega cliente;
  if (!destinatario.empty()) cliente = EnviaXmlEPdf(ctx, *servico, destinatario, arquivos);
  if (!cliente.Completa()) ctx.ui.MsgBox("Problemas no envio do email para o cliente.");

  Entrega contador;
  const bool comContador = !e.EmailEmitente.empty();
  if (comContador) {
    contador = EnviaXmlEPdf(ctx, *servico, e.EmailEmitente, arquivos);
    ctx.ui.MsgBox(contador.Completa() ? "Email enviado com sucesso para o(a) contador(a)."
                                      : "Problemas no envio do email para o(a) contador(a)..");
  }
  ctx.atual.MotivoFalha = CopiasQueFaltaram(cliente, comContador, contador);
  return ctx.atual.MotivoFalha.empty();
}

}  // namespace velant
