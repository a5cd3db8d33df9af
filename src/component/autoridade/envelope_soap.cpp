#include "component/autoridade/envelope_soap.h"

#include "base/erro.h"
#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {

namespace {

// Layout 3.10 carries cUF and versaoDados in nfeCabecMsg; 4.00 has no header.
std::string Cabecalho(const DescricaoServico& d, const std::string& codigoUf) {
  if (d.leiaute == Leiaute::V400) return "";
  return "<soap12:Header><nfeCabecMsg xmlns=\"" + NamespaceWsdl(d) + "\"><cUF>" + Escapa(codigoUf) +
         "</cUF><versaoDados>" + d.versaoDados + "</versaoDados></nfeCabecMsg></soap12:Header>";
}

const char* kAbertura =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap12:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\">";

bool NoSoap(const xmlNode* no, const char* nome) {
  return no != nullptr && NomeLocal(no) == nome && no->ns != nullptr && no->ns->href != nullptr &&
         std::string(reinterpret_cast<const char*>(no->ns->href)) == kNamespaceSoap12;
}

std::string MotivoFalha(const xmlNode* falha) {
  std::string motivo = Texto(Procura(falha, "Text"));
  if (motivo.empty()) motivo = Texto(Procura(falha, "faultstring"));
  if (motivo.empty()) motivo = "sem motivo";
  std::string codigo = Texto(Procura(Filho(falha, "Code"), "Value"));
  return codigo.empty() ? motivo : codigo + ": " + motivo;
}

}  // namespace

std::string TipoConteudoSoap(const DescricaoServico& d) {
  return "application/soap+xml; charset=utf-8; action=\"" + AcaoSoap(d) + "\"";
}

std::string MontaEnvelopePedido(const DescricaoServico& d, const std::string& codigoUf,
                                const std::string& mensagem) {
  return std::string(kAbertura) + Cabecalho(d, codigoUf) + "<soap12:Body><nfeDadosMsg xmlns=\"" + NamespaceWsdl(d) +
         "\">" + SemDeclaracao(mensagem) + "</nfeDadosMsg></soap12:Body></soap12:Envelope>";
}

std::string MontaEnvelopeResposta(const DescricaoServico& d, const std::string& codigoUf,
                                  const std::string& mensagem) {
  // 4.00 wraps every answer in nfeResultMsg; 3.10 in <operation>Result.
  std::string resultado = d.leiaute == Leiaute::V400 ? std::string("nfeResultMsg") : std::string(d.operacao) + "Result";
  return std::string(kAbertura) + Cabecalho(d, codigoUf) + "<soap12:Body><" + resultado + " xmlns=\"" +
         NamespaceWsdl(d) + "\">" + SemDeclaracao(mensagem) + "</" + resultado +
         "></soap12:Body></soap12:Envelope>";
}

std::string MontaFalhaSoap(const std::string& codigo, const std::string& motivo) {
  return std::string(kAbertura) + "<soap12:Body><soap12:Fault><soap12:Code><soap12:Value>soap12:" + Escapa(codigo) +
         "</soap12:Value></soap12:Code><soap12:Reason><soap12:Text xml:lang=\"pt-BR\">" + Escapa(motivo) +
         "</soap12:Text></soap12:Reason></soap12:Fault></soap12:Body></soap12:Envelope>";
}

PedidoSoap LePedido(const std::string& envelope) {
  DocumentoXml doc = DocumentoXml::Ler(envelope, "Envelope SOAP");
  xmlNode* raiz = doc.Raiz();
  if (!NoSoap(raiz, "Envelope"))
    throw ErroExecucao(CodigoErro::ErroComponente, "O pedido não é um envelope SOAP 1.2");
  xmlNode* corpo = Filho(raiz, "Body");
  xmlNode* dados = Filho(corpo, "nfeDadosMsg");
  xmlNode* mensagem = PrimeiroFilho(dados);
  if (mensagem == nullptr)
    throw ErroExecucao(CodigoErro::ErroComponente, "Envelope SOAP sem nfeDadosMsg ou sem mensagem");
  PedidoSoap p;
  if (dados->ns != nullptr && dados->ns->href != nullptr) p.namespaceDados = reinterpret_cast<const char*>(dados->ns->href);
  xmlNode* cabecalho = Filho(Filho(raiz, "Header"), "nfeCabecMsg");
  p.codigoUf = TextoFilho(cabecalho, "cUF");
  p.versaoDados = TextoFilho(cabecalho, "versaoDados");
  p.raiz = NomeLocal(mensagem);
  p.mensagem = SerializaElemento(mensagem);
  return p;
}

std::string LeResposta(const std::string& envelope) {
  DocumentoXml doc = DocumentoXml::Ler(envelope, "Resposta da autoridade");
  xmlNode* raiz = doc.Raiz();
  if (!NoSoap(raiz, "Envelope"))
    throw ErroExecucao(CodigoErro::ErroComponente, "A resposta da autoridade não é um envelope SOAP 1.2");
  xmlNode* corpo = Filho(raiz, "Body");
  xmlNode* conteudo = PrimeiroFilho(corpo);
  if (conteudo == nullptr)
    throw ErroExecucao(CodigoErro::ErroComponente, "Resposta da autoridade sem conteúdo no corpo SOAP");
  if (NoSoap(conteudo, "Fault"))
    throw ErroExecucao(CodigoErro::ErroComponente, "A autoridade respondeu com falha SOAP: " + MotivoFalha(conteudo));
  // <operation>Result (3.10) or nfeResultMsg (4.00) wraps the message.
  xmlNode* mensagem = PrimeiroFilho(conteudo);
  if (mensagem == nullptr)
    throw ErroExecucao(CodigoErro::ErroComponente, "Resposta da autoridade sem mensagem em " + NomeLocal(conteudo));
  return SerializaElemento(mensagem);
}

}  // namespace velant::autoridade
