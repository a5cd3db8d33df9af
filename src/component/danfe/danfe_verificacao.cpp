#include "component/danfe/danfe_verificacao.h"

#include <vector>

#include "base/arquivos.h"
#include "base/erro.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/autoridade_xml.h"
#include "component/xml/validador_esquema.h"

namespace velant::danfe {

namespace {

[[noreturn]] void Recusa(const char* recusa, const std::string& motivo) {
  throw ErroExecucao(CodigoErro::ErroComponente, std::string(recusa) + " (" + motivo + ")");
}

// The schema of the layout the root element declares (versao="4.00": the
// 4.00 one; anything else the 3.10 one, which fixes its versao to 3.10).
// The schema then judges the whole file, so reading the attribute is enough.
const char* EsquemaDaVersao(const std::string& xml, size_t inicio) {
  size_t tag = inicio;   // the '<' of the first markup
  while (tag != std::string::npos && (xml.compare(tag, 2, "<?") == 0 || xml.compare(tag, 2, "<!") == 0))
    tag = xml.find('<', xml.find('>', tag));
  if (tag == std::string::npos) return "procNFe_v3.10.xsd";
  const std::string raiz = xml.substr(tag, xml.find('>', tag) - tag);
  const bool quatro = raiz.find("versao=\"4.00\"") != std::string::npos || raiz.find("versao='4.00'") != std::string::npos;
  return quatro ? "PL_010e/procNFe_v4.00.xsd" : "procNFe_v3.10.xsd";
}

}  // namespace

std::string LerArquivoDistribuicao(const std::filesystem::path& arquivo) {
  std::string motivo;
  auto xml = LerArquivoComum(arquivo, &motivo, kTamanhoMaximoDistribuicao);
  if (xml) return std::move(*xml);
  if (motivo.rfind("maior que", 0) == 0) Recusa(kRecusaTamanho, motivo + ": " + arquivo.string());
  throw ErroExecucao(CodigoErro::ErroComponente, "Arquivo de distribuição " + motivo + ": " + arquivo.string());
}

namespace {

// A sound signature must be the NF-e's own, not only one of another element,
// and, as the authority demands, by a certificate of the issuer's company
// (same CNPJ root): one signed again by anybody else is not the invoice.
void ConfereAssinaturaDaNota(const DadosDanfe& dados, const std::vector<InfoAssinatura>& assinaturas) {
  const InfoAssinatura* daNFe = nullptr;
  for (const auto& a : assinaturas)
    if (a.referencia == "NFe" + dados.chave) daNFe = &a;
  if (daNFe == nullptr) Recusa(kRecusaAssinatura, "nenhuma assinatura da NF-e " + dados.chave);
  const std::string& emitente = dados.emitente.documento;
  if (emitente.size() == 14 && daNFe->cnpjCertificado.compare(0, 8, emitente, 0, 8) != 0)
    Recusa(kRecusaAssinatura, "certificado de outra empresa: \"" + daNFe->assuntoCertificado + "\"");
}

void ConfereTamanho(const std::string& xml) {
  if (xml.size() > kTamanhoMaximoDistribuicao)
    Recusa(kRecusaTamanho, "maior que " + std::to_string(kTamanhoMaximoDistribuicao) + " bytes");
}

}  // namespace

DadosDanfe LerDistribuicaoVerificada(const std::string& xml) {
  ConfereTamanho(xml);
  // Only a text is validated, never a path it might spell.
  const size_t inicio = xml.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  const size_t primeiro = xml.find_first_not_of(" \t\r\n", inicio);
  if (primeiro == std::string::npos || xml[primeiro] != '<') Recusa(kRecusaEsquema, "não é um documento XML");
  // The schema first: it bounds every text before anything reads one.
  if (auto erro = ValidarXml(xml, EsquemaDaVersao(xml, primeiro))) Recusa(kRecusaEsquema, *erro);
  std::string erro;
  std::vector<InfoAssinatura> assinaturas;
  if (!VerificarAssinatura(xml, &erro, &assinaturas)) Recusa(kRecusaAssinatura, erro);
  DadosDanfe dados = LerDistribuicao(xml);
  ConfereAssinaturaDaNota(dados, assinaturas);
  return dados;
}

DadosDanfe LerEpecVerificada(const std::string& nfe, const std::string& procEvento) {
  ConfereTamanho(nfe);
  ConfereTamanho(procEvento);
  if (auto erro = ValidarXml(nfe, "PL_010e/nfe_v4.00.xsd")) Recusa(kRecusaEsquema, *erro);
  if (auto erro = ValidarXml(procEvento, "evento-epec/procEPEC_v1.00.xsd")) Recusa(kRecusaEsquema, *erro);
  std::string erro;
  std::vector<InfoAssinatura> assinaturas;
  if (!VerificarAssinatura(nfe, &erro, &assinaturas)) Recusa(kRecusaAssinatura, erro);
  // Read together: the invoice and, beside it, the EPEC of its key.
  DadosDanfe dados = LerDistribuicao("<epec>" + autoridade::SemDeclaracao(nfe) + autoridade::SemDeclaracao(procEvento) + "</epec>");
  if (dados.protocoloEpec.empty()) Recusa(kRecusaEsquema, "EPEC de outra chave que a NF-e " + dados.chave);
  ConfereAssinaturaDaNota(dados, assinaturas);
  return dados;
}

}  // namespace velant::danfe
