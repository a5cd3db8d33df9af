#include "component/servico_documento_fiscal.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>
#include <vector>
#include <sstream>

#include "base/arquivos.h"
#include "base/erro.h"
#include "base/texto.h"
#include "component/xml/assinador_xml.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/xml/autoridade_xml.h"
#include "component/email/cliente_email.h"
#include "component/email/mensagem_email.h"
#include "component/danfe/danfe_dados.h"
#include "component/danfe/danfe_pdf.h"
#include "component/danfe/danfe_verificacao.h"
#include "component/danfe/impressora_cups.h"
#include "component/autoridade/conferencia_resposta.h"
#include "component/autoridade/esquemas_evento.h"
#include "component/autoridade/evento_epec.h"
#include "component/autoridade/respostas_autoridade.h"
#include "component/textos_resposta.h"
#include "component/xml/validador_esquema.h"
#include "contexto/contexto.h"

namespace velant {

using namespace autoridade;

namespace {

constexpr const char* kChaveRegistro = "nfe";

// The event schemas of version 1.00 as published with layout 4.00
// (evento-cancelamento-v4/, evento-cce/) take a CNPJ and a key of digits
// only. An event for a key with letters is refused before it is sent, in
// words the front end can act on, unless the schema in place takes it (an
// updated one put over these files is followed as it is). docs/integracao.md.
void ConfereEventoNoEsquema(const std::string& assinado, const std::string& chave, const std::string& esquema) {
  if (chave.find_first_not_of("0123456789") == std::string::npos) return;
  if (auto erro = ValidarXml(assinado, esquema))
    throw ErroExecucao(CodigoErro::ErroComponente, std::string(kEventoSemCnpjAlfanumerico) + ": NF-e " + chave +
                                                       ", esquema " + esquema + " (" + *erro + ")");
}

// "C:\Certificados\a1.pfx" is mapped under the root folder; "/etc/..." is taken as it is.
std::filesystem::path CaminhoLocal(const Contexto& ctx, const std::string& caminho) {
  if (caminho.empty()) return {};
  bool windows = caminho.find('\\') != std::string::npos || (caminho.size() >= 2 && caminho[1] == ':');
  return windows ? ctx.caminhos.Mapear(caminho) : std::filesystem::path(caminho);
}

std::chrono::milliseconds Segundos(const std::string& texto, int padrao) {
  std::string t = Replace(Trim(texto), ",", ".");
  try {
    size_t lidos = 0;
    double s = std::stod(t, &lidos);
    if (lidos == t.size() && s > 0 && s <= 3600) return std::chrono::milliseconds(static_cast<long>(s * 1000 + 0.5));
  } catch (const std::exception&) {
  }
  return std::chrono::milliseconds(padrao * 1000L);
}



std::string SoDigitos(const std::string& s) {
  std::string d;
  for (char c : s)
    if (c >= '0' && c <= '9') d += c;
  return d;
}

// A CNPJ or an access key without punctuation: digits and, since the
// alphanumeric CNPJ, capital letters.
std::string SoAlfanumericos(const std::string& s) {
  std::string d;
  for (char c : s)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) d += c;
    else if (c >= 'a' && c <= 'z') d += static_cast<char>(c - 'a' + 'A');
  return d;
}

// The document the authority authorised, when the signed file no longer is
// it (generated again after its batch went out): the batches keep what was
// sent, byte for byte. Newest batches first; nothing when none has it.
std::optional<std::string> DocumentoEnviado(const Contexto& ctx, const std::string& chave, const std::string& digVal) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path pasta = ctx.caminhos.Mapear(ctx.atual.PastaBase + "\\nfe\\lotes");
  std::vector<std::pair<fs::file_time_type, fs::path>> lotes;
  for (fs::directory_iterator it(pasta, ec), fim; !ec && it != fim; it.increment(ec)) {
    std::string nome = it->path().filename().string();
    if (nome.size() > 12 && nome.compare(nome.size() - 12, 12, "-env-lot.xml") == 0)
      lotes.emplace_back(it->last_write_time(ec), it->path());
  }
  std::sort(lotes.begin(), lotes.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  const std::string id = "Id=\"NFe" + chave + "\"";
  for (const auto& lote : lotes) {
    std::string motivo;
    auto texto = LerArquivoComum(lote.second, &motivo);
    if (!texto || texto->find(id) == std::string::npos) continue;
    for (size_t inicio = texto->find("<NFe"); inicio != std::string::npos; inicio = texto->find("<NFe", inicio + 4)) {
      size_t fim = texto->find("</NFe>", inicio);
      if (fim == std::string::npos) break;
      std::string nfe = texto->substr(inicio, fim + 6 - inicio);
      if (nfe.find(id) == std::string::npos) continue;
      try {
        DocumentoXml doc = DocumentoXml::Ler(nfe, "NFe do lote");
        if (Texto(Procura(doc.Raiz(), "DigestValue")) == digVal) return nfe;
      } catch (const ErroExecucao&) {
        // A damaged batch file is no evidence of anything: the next one may be.
      }
    }
  }
  return std::nullopt;
}

// The DigestValue of the signed file of that key; "" when there is none to read.
std::string DigestDoAssinado(const Contexto& ctx, const std::string& caminhoAssinado) {
  std::string motivo;
  auto texto = LerArquivoComum(ctx.caminhos.Mapear(caminhoAssinado), &motivo);
  if (!texto) return "";
  try {
    return Texto(Procura(DocumentoXml::Ler(*texto, "NFe assinada").Raiz(), "DigestValue"));
  } catch (const ErroExecucao&) {
    return "";
  }
}

// tpEmis 6 or 7 in an access key: an invoice issued for the state's SVC,
// whose services answer for it while the contingency lasts (ContingenciaEmVigor);
// then the state's service has it.
bool ChaveDeContingenciaSvc(const std::string& chave) {
  return chave.size() == 44 && (chave[34] == '6' || chave[34] == '7');
}

// The key of an EPEC's procEventoNFe; "" for any other document.
std::string ChaveDoEpec(const std::string& xml) {
  try {
    DocumentoXml doc = DocumentoXml::Ler(xml, "procEventoNFe");
    if (NomeLocal(doc.Raiz()) != "procEventoNFe") return "";
    const xmlNode* inf = Filho(Filho(doc.Raiz(), "evento"), "infEvento");
    const std::string chave = TextoFilho(inf, "chNFe");
    return TextoFilho(inf, "tpEvento") == "110140" && chave.size() == 44 && SoDigitos(chave) == chave ? chave : "";
  } catch (const ErroExecucao&) {
    return "";
  }
}

// The key of a batch's first invoice, from its Id; "" when there is none.
std::string ChaveDoLote(const std::string& lote) {
  const std::string marca = "Id=\"NFe";
  size_t p = lote.find(marca);
  return p == std::string::npos || p + marca.size() + 44 > lote.size() ? "" : lote.substr(p + marca.size(), 44);
}

}  // namespace

autoridade::Leiaute LeiauteDoValor(const std::string& valorRegistro) {
  return Trim(valorRegistro) == "4.00" ? Leiaute::V400 : Leiaute::V310;
}

autoridade::ConfiguracaoCliente LerConfiguracaoCliente(const Contexto& ctx) {
  auto ler = [&](const char* valor) { return Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, kChaveRegistro, valor)); };
  ConfiguracaoCliente c;
  c.uf = ler("UnidadeFederada");
  c.codigoUf = ler("UnidadeFederadaCodigo");
  if (c.codigoUf.empty()) c.codigoUf = CodigoUf(c.uf);
  c.ambiente = ler("Ambiente");
  c.arquivoServicos = ArquivoServicos(CaminhoLocal(ctx, ler("ArquivoServicos")).string());
  c.arquivoCertificado = CaminhoLocal(ctx, ler("Certificado"));
  c.senhaCertificado = ctx.registro.LerRegistro(HKEY_CURRENT_USER, kChaveRegistro, "SenhaCertificado");
  c.arquivoAC = CaminhoLocal(ctx, ler("ArquivoAC"));
  c.tempoConexao = Segundos(ler("TempoLimiteConexao"), 10);
  c.tempoLeitura = Segundos(ler("TempoLimiteLeitura"), 30);
  c.tempoTotal = Segundos(ler("TempoLimiteTotal"), 60);
  return c;
}

FabricaFiscalDocService FabricaServicoDocumentoFiscal(Contexto& ctx) {
  return [&ctx]() -> std::unique_ptr<FiscalDocService> { return std::make_unique<ServicoDocumentoFiscal>(ctx); };
}

ServicoDocumentoFiscal::ServicoDocumentoFiscal(Contexto& ctx) : ctx_(ctx), locais_(ctx) {
  // Nothing the component does for an invoice works without the installation's certificate.
  if (Registro("Certificado").empty())
    throw ErroExecucao(CodigoErro::ErroComponente,
                       "Certificado digital não configurado (valor \"Certificado\" da chave nfe)");
}
ServicoDocumentoFiscal::~ServicoDocumentoFiscal() = default;

autoridade::ClienteAutoridade& ServicoDocumentoFiscal::Cliente() {
  if (!cliente_) cliente_ = std::make_unique<ClienteAutoridade>(LerConfiguracaoCliente(ctx_));
  return *cliente_;
}

std::string ServicoDocumentoFiscal::Registro(const char* valor) const {
  return Trim(ctx_.registro.LerRegistro(HKEY_CURRENT_USER, kChaveRegistro, valor));
}

autoridade::RegrasConferencia ServicoDocumentoFiscal::Regras() const {
  RegrasConferencia r;
  r.confiaveis = CaminhoLocal(ctx_, Registro("CertificadosConfiaveis"));
  r.documentoEnviado = [this](const std::string& chave, const std::string& digVal) {
    return DigestDoAssinado(ctx_, locais_.CaminhoAssinado(chave)) == digVal ||
           DocumentoEnviado(ctx_, chave, digVal).has_value();
  };
  return r;
}

void ServicoDocumentoFiscal::Confere(std::optional<ProtocoloNFe>& protocolo) {
  if (!protocolo) return;
  ConfereProtocolo(*protocolo, Regras());
  AnotaRecusa(protocolo->recusa, protocolo->assinatura);
}

void ServicoDocumentoFiscal::AnotaRecusa(const std::string& recusa, const AssinaturaResposta& assinatura) {
  if (recusa.empty()) return;
  ctx_.log.RegistraEvento("        Resposta da autoridade recusada: " + recusa +
                              (assinatura.motivo.empty() ? "" : " - " + assinatura.motivo),
                          true, false);
}

std::string ServicoDocumentoFiscal::AssinaXml(const std::string& arquivo, const std::string& tag) {
  return locais_.AssinaXml(arquivo, tag);
}

std::string ServicoDocumentoFiscal::GeraLote(const std::string& arquivoAssinado, int32_t numeroLote) {
  return locais_.GeraLote(arquivoAssinado, numeroLote);
}

bool ServicoDocumentoFiscal::ValidaXml(const std::string& arquivo, const std::string& esquema, bool mostrarErro) {
  return locais_.ValidaXml(arquivo, esquema, mostrarErro);
}

std::string ServicoDocumentoFiscal::GeraChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao,
                                                    const std::string& cnpj, int32_t modelo, int32_t serie,
                                                    int32_t numero, int32_t tipoEmissao, int32_t codigoNumerico) {
  return locais_.GeraChaveAcesso(codigoUF, dataEmissao, cnpj, modelo, serie, numero, tipoEmissao, codigoNumerico);
}

autoridade::Leiaute ServicoDocumentoFiscal::LeiauteConfigurado() const {
  return LeiauteDoValor(Registro("LeiauteNFe"));
}

RespostaLote ServicoDocumentoFiscal::EnviaLote(const std::string& arquivoLote) {
  std::string lote = LerArquivoDescrito(ctx_.caminhos.Mapear(arquivoLote), "Arquivo do lote", CodigoErro::ErroComponente);
  // A batch goes to the service of its own layout, whatever the registry says.
  RespostaLote r = LerRespostaLote(Cliente().Chama(ServicoNFe::Autorizacao, lote, LeiauteDoDocumento(lote),
                                                   ChaveDeContingenciaSvc(ChaveDoLote(lote))));
  if (!r.Recebido() && !r.Processado()) ctx_.log.RegistraEvento("        " + TextoLoteNaoRecebido(r), true, false);
  Confere(r.protocolo);
  return r;
}

RespostaLote ServicoDocumentoFiscal::ConsultaLote(const std::string& numeroRecepcao) {
  auto& cliente = Cliente();
  // The receipt is of the batch of the invoice being served: asked in its layout.
  const Leiaute leiaute = LeiauteDaNota(ctx_.atual.ChaveAcessoSolicitada);
  RespostaLote r = LerRespostaLote(cliente.Chama(
      ServicoNFe::RetAutorizacao, MensagemConsultaRecibo(cliente.Configuracao().ambiente, Trim(numeroRecepcao), leiaute),
      leiaute, ctx_.atual.ContingenciaEmVigor && ChaveDeContingenciaSvc(ctx_.atual.ChaveAcessoSolicitada)));
  Confere(r.protocolo);
  return r;
}

RespostaSituacao ServicoDocumentoFiscal::ConsultaSituacao(const std::string& chave) {
  RespostaSituacao r = LerSituacao(ConsultaNaAutoridade(Trim(chave)));
  Confere(r.protocolo);
  return r;
}

std::optional<autoridade::Leiaute> ServicoDocumentoFiscal::LeiauteDoAssinado(const std::string& chave) const {
  // Only a key names a file here, never a path it might spell.
  if (chave.size() != 44 || SoAlfanumericos(chave) != chave) return std::nullopt;
  auto assinado = LerArquivoComum(ctx_.caminhos.Mapear(locais_.CaminhoAssinado(chave)));
  if (!assinado) return std::nullopt;
  try {
    return LeiauteDoDocumento(*assinado);
  } catch (const ErroExecucao&) {   // not a document
    return std::nullopt;
  }
}

autoridade::Leiaute ServicoDocumentoFiscal::LeiauteDaNota(const std::string& chave) const {
  if (auto leiaute = LeiauteDoAssinado(chave)) return *leiaute;
  // Another key of the invoice being served (a duplicate's): its authority
  // is the one of the document sent.
  if (auto leiaute = LeiauteDoAssinado(ctx_.atual.ChaveAcessoSolicitada)) return *leiaute;
  return LeiauteConfigurado();
}

std::string ServicoDocumentoFiscal::ConsultaNaAutoridade(const std::string& chave) {
  auto& cliente = Cliente();
  const Leiaute leiaute = LeiauteDaNota(chave);
  return cliente.Chama(ServicoNFe::Consulta, MensagemConsultaSituacao(cliente.Configuracao().ambiente, chave, leiaute),
                       leiaute, ctx_.atual.ContingenciaEmVigor && ChaveDeContingenciaSvc(chave));
}

RespostaStatus ServicoDocumentoFiscal::StatusServico() {
  auto& cliente = Cliente();
  const auto& cfg = cliente.Configuracao();
  const Leiaute leiaute = LeiauteConfigurado();
  return LerStatusServico(
      cliente.Chama(ServicoNFe::StatusServico, MensagemStatusServico(cfg.ambiente, cfg.codigoUf, leiaute), leiaute));
}

RespostaRegistro ServicoDocumentoFiscal::EventoCancelamento(const std::string& numeroNF7, const std::string& chave,
                                                       const std::string& sequencia, const std::string& protocolo,
                                                       const std::string& justificativa) {
  auto& cliente = Cliente();
  DadosCancelamento d;
  // The batch of one event is named after the invoice number.
  std::string lote = SoDigitos(numeroNF7);
  d.idLote = lote.empty() || lote.size() > 15 ? "1" : lote;
  d.tpAmb = cliente.Configuracao().ambiente;
  d.chave = Trim(chave);
  d.sequencia = Trim(sequencia);
  d.protocolo = Trim(protocolo);
  d.justificativa = justificativa;
  d.dhEvento = DataHoraComFuso(std::chrono::system_clock::now(), FusoLocalHoras());
  if (d.chave.size() != 44 || SoAlfanumericos(d.chave) != d.chave)
    throw ErroExecucao(CodigoErro::ErroComponente, "Chave de acesso inválida para o cancelamento: \"" + chave + "\"");
  std::string assinado;
  // SVC cancels its own invoices while the contingency lasts; then the
  // state's service has them.
  return EnviaEvento(MensagemEventoCancelamento(d), d.chave,
                     ctx_.atual.ContingenciaEmVigor && ChaveDeContingenciaSvc(d.chave), assinado);
}

RespostaRegistro ServicoDocumentoFiscal::EnviaEvento(const std::string& envEvento, const std::string& chave,
                                                     bool contingencia, std::string& assinado) {
  auto& cliente = Cliente();
  assinado = AssinarXml(envEvento, "infEvento", cliente.Certificado());
  const Leiaute leiaute = LeiauteConfigurado();
  const auto esquemas = EsquemasDoEvento(Descricao(ServicoNFe::RecepcaoEvento, leiaute), TipoDoEvento(assinado));
  ConfereEventoNoEsquema(assinado, chave, esquemas.pedido);
  RespostaRegistro r = LerEvento(cliente.Chama(ServicoNFe::RecepcaoEvento, assinado, leiaute, contingencia));
  ConfereRegistro(r, "infEvento", Regras());
  AnotaRecusa(r.recusa, r.assinatura);
  return r;
}

RespostaRegistro ServicoDocumentoFiscal::EventoCartaCorrecao(const std::string& chave, const std::string& sequencia,
                                                             const std::string& correcao) {
  auto& cliente = Cliente();
  DadosCartaCorrecao d;
  d.tpAmb = cliente.Configuracao().ambiente;
  d.chave = Trim(chave);
  if (d.chave.size() != 44 || SoAlfanumericos(d.chave) != d.chave)
    throw ErroExecucao(CodigoErro::ErroComponente, "Chave de acesso inválida para a carta de correção: \"" + chave + "\"");
  // The batch of one event is named after the invoice number (nNF of the key).
  std::string lote = SoDigitos(d.chave.substr(25, 9));
  d.idLote = lote.empty() ? "1" : lote;
  d.sequencia = Trim(sequencia);
  d.correcao = correcao;
  d.dhEvento = DataHoraComFuso(std::chrono::system_clock::now(), FusoLocalHoras());
  std::string assinado;
  // SVC takes no correction letter: it goes to the state's service.
  RespostaRegistro r = EnviaEvento(MensagemCartaCorrecao(d), d.chave, false, assinado);
  if (r.cStat != "135" || !r.recusa.empty() || r.xml.empty()) return r;
  std::string proc = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + MensagemProcEvento(assinado, r.xml);
  if (auto erro = ValidarXml(proc, "evento-cce/procCCeNFe_v1.00.xsd"))
    throw ErroExecucao(CodigoErro::ErroComponente,
                       "Carta de correção registrada, mas o procEventoNFe ficou fora do esquema: " + *erro);
  r.distribuicao = proc;
  return r;
}

RespostaRegistro ServicoDocumentoFiscal::EventoEpec(const std::string& chave) {
  auto& cliente = Cliente();
  const std::string c = Trim(chave);
  if (c.size() != 44 || SoDigitos(c) != c)
    throw ErroExecucao(CodigoErro::ErroComponente, "Chave de acesso inválida para o EPEC: \"" + chave + "\"");
  DadosEpec d = ResumoEpec(LerArquivoDescrito(ctx_.caminhos.Mapear(locais_.CaminhoAssinado(c)), "Arquivo assinado",
                                              CodigoErro::ErroComponente));
  if (d.chave != c) throw ErroExecucao(CodigoErro::ErroComponente, "Arquivo assinado de outra chave para o EPEC: " + c);
  d.tpAmb = cliente.Configuracao().ambiente;
  d.idLote = SemZerosAEsquerda(c.substr(25, 9));
  if (d.idLote.empty()) d.idLote = "1";
  d.dhEvento = DataHoraComFuso(std::chrono::system_clock::now(), FusoLocalHoras());
  const std::string assinado = AssinarXml(MensagemEventoEpec(d), "infEvento", cliente.Certificado());
  RespostaRegistro r = LerEvento(cliente.ChamaAmbienteNacional(ServicoNFe::RecepcaoEvento, assinado));
  ConfereRegistro(r, "infEvento", Regras());
  AnotaRecusa(r.recusa, r.assinatura);
  if (r.cStat != "136" || !r.recusa.empty() || r.xml.empty()) return r;
  std::string proc = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + MensagemProcEvento(assinado, r.xml);
  if (auto erro = ValidarXml(proc, "evento-epec/procEPEC_v1.00.xsd"))
    throw ErroExecucao(CodigoErro::ErroComponente, "EPEC registrado, mas o procEventoNFe ficou fora do esquema: " + *erro);
  r.distribuicao = proc;
  return r;
}

RespostaRegistro ServicoDocumentoFiscal::InutilizaNumeracao(const std::string& ano, const std::string& numeroInicial,
                                                       const std::string& numeroFinal,
                                                       const std::string& justificativa) {
  auto& cliente = Cliente();
  DadosInutilizacao d;
  d.tpAmb = cliente.Configuracao().ambiente;
  d.cUF = cliente.Configuracao().codigoUf;
  d.ano = Trim(ano);
  d.cnpj = SoAlfanumericos(Registro("CNPJ"));
  if (d.cnpj.empty()) d.cnpj = cliente.Certificado().Cnpj();
  d.serie = ctx_.atual.SerieAtual;
  if (Trim(d.serie).empty())
    throw ErroExecucao(CodigoErro::ErroComponente, "Série não informada para a inutilização");
  d.numeroInicial = numeroInicial;
  d.numeroFinal = numeroFinal;
  d.justificativa = justificativa;
  const Leiaute leiaute = LeiauteConfigurado();
  std::string assinado = AssinarXml(MensagemInutilizacao(d, leiaute), "infInut", cliente.Certificado());
  RespostaRegistro r = LerInutilizacao(cliente.Chama(ServicoNFe::Inutilizacao, assinado, leiaute));
  ConfereRegistro(r, "infInut", Regras());
  AnotaRecusa(r.recusa, r.assinatura);
  return r;
}

std::string ServicoDocumentoFiscal::GeraDistribuicao(const std::string& chave) {
  std::string chaveLimpa = Trim(chave);
  RespostaSituacao situacao = LerSituacao(ConsultaNaAutoridade(chaveLimpa));
  if (!situacao.protocolo || (situacao.cStat != "100" && situacao.cStat != "150") || !situacao.protocolo->Autorizado())
    throw ErroExecucao(CodigoErro::ErroComponente,
                       "A NF-e " + chaveLimpa + " não está autorizada: " + TextoConsultaSituacao(situacao));
  Confere(situacao.protocolo);
  const ProtocoloNFe& protocolo = *situacao.protocolo;
  // Nothing the component does not believe goes into the file.
  if (!protocolo.recusa.empty())
    throw ErroExecucao(CodigoErro::ErroComponente, "NF-e " + chaveLimpa + ": " + protocolo.recusa);

  const std::string caminhoAssinado = locais_.CaminhoAssinado(chaveLimpa);
  std::string assinado = LerArquivoDescrito(ctx_.caminhos.Mapear(caminhoAssinado), "Arquivo assinado", CodigoErro::ErroComponente);
  size_t inicio = assinado.find("<NFe");
  size_t fim = assinado.rfind("</NFe>");
  if (inicio == std::string::npos || fim == std::string::npos || fim < inicio)
    throw ErroExecucao(CodigoErro::ErroComponente, "Arquivo assinado sem o elemento NFe: NFe" + chaveLimpa);
  // The signed bytes go into the file untouched.
  std::string nfe = assinado.substr(inicio, fim + 6 - inicio);

  // The protocol must be for this very document: same key, same digest.
  DocumentoXml docNFe = DocumentoXml::Ler(nfe, "NFe assinada");
  std::string digest = Texto(Procura(docNFe.Raiz(), "DigestValue"));
  const std::string& digVal = protocolo.digVal;
  if (protocolo.chNFe != chaveLimpa)
    throw ErroExecucao(CodigoErro::ErroComponente,
                       "O protocolo da autoridade não corresponde ao arquivo assinado da NF-e " + chaveLimpa);
  if (!digVal.empty() && digVal != digest) {
    // Generated again after it was sent: the authorised one is in a batch.
    auto enviado = DocumentoEnviado(ctx_, chaveLimpa, digVal);
    if (!enviado)
      throw ErroExecucao(CodigoErro::ErroComponente, "O protocolo da autoridade não corresponde ao arquivo assinado "
                                                     "da NF-e " + chaveLimpa + " nem a um lote enviado");
    nfe = *enviado;
    GravaArquivo(ctx_.caminhos.MapearParaGravar(caminhoAssinado),
                 std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + nfe);
    ctx_.log.RegistraEvento("        Arquivo assinado refeito com a NFe autorizada, do lote enviado: " + caminhoAssinado,
                            true, false);
  }

  // The distribution file is in the invoice's own layout.
  const bool v400 = LeiauteDoDocumento(nfe) == Leiaute::V400;
  const char* esquemaProc = v400 ? "PL_010e/procNFe_v4.00.xsd" : "procNFe_v3.10.xsd";
  std::string proc = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc xmlns=\"") + kNamespaceNFe +
                     "\" versao=\"" + (v400 ? "4.00" : "3.10") + "\">" + nfe + SemDeclaracao(protocolo.xml) + "</nfeProc>";
  if (auto erro = ValidarXml(proc, esquemaProc))
    throw ErroExecucao(CodigoErro::ErroComponente,
                       std::string("Arquivo de distribuição fora do esquema ") + esquemaProc + ": " + *erro);
  std::string destino = ctx_.atual.PastaBase + "\\nfe\\arquivos\\procNFe\\" + chaveLimpa + "-procNFe.xml";
  GravaArquivo(ctx_.caminhos.MapearParaGravar(destino), proc);
  return destino;
}

std::string ServicoDocumentoFiscal::ImprimeDanfe(const std::string& arquivoDistribuicao, const std::string& arquivoPdf,
                                                 int32_t modo, int32_t) {
  constexpr int32_t kGravaPdf = 2, kImprime = 3;
  if (modo != kGravaPdf && modo != kImprime)
    throw ErroExecucao(CodigoErro::ErroComponente, "ImprimeDanfe: modo " + std::to_string(modo) + " desconhecido");
  if (modo == kGravaPdf && Trim(arquivoPdf).empty())
    throw ErroExecucao(CodigoErro::ErroComponente, "ImprimeDanfe: caminho do PDF não informado");
  // Only a file as it was signed and authorised is drawn.
  const std::string xml = danfe::LerArquivoDistribuicao(CaminhoLocal(ctx_, Trim(arquivoDistribuicao)));
  // An EPEC's procEventoNFe stands for an invoice not authorised yet: the
  // invoice is its signed document here.
  const std::string chaveEpec = ChaveDoEpec(xml);
  danfe::DadosDanfe dados =
      chaveEpec.empty()
          ? danfe::LerDistribuicaoVerificada(xml)
          : danfe::LerEpecVerificada(LerArquivoDescrito(ctx_.caminhos.Mapear(locais_.CaminhoAssinado(chaveEpec)),
                                                        "Arquivo assinado", CodigoErro::ErroComponente),
                                     xml);
  std::string pdf = danfe::GeraPdf(dados);

  std::filesystem::path destino;
  if (!Trim(arquivoPdf).empty()) {
    destino = CaminhoLocal(ctx_, Trim(arquivoPdf));
    // The Host's PDF folder may not exist yet.
    std::error_code ec;
    if (destino.has_parent_path()) std::filesystem::create_directories(destino.parent_path(), ec);
    GravaArquivo(destino, pdf);
    if (modo == kGravaPdf) return arquivoPdf;
  }

  // Printing without a path goes through a temporary file that is always removed.
  struct Temporario {
    std::filesystem::path caminho;
    ~Temporario() {
      std::error_code ec;
      if (!caminho.empty()) std::filesystem::remove(caminho, ec);
    }
  } temporario;
  if (destino.empty()) {
    std::string modelo = (std::filesystem::temp_directory_path() / "velant-danfe-XXXXXX.pdf").string();
    int fd = mkstemps(modelo.data(), 4);
    if (fd < 0) throw ErroExecucao(CodigoErro::ErroDeEntradaSaida, "Não foi possível criar o PDF temporário do DANFE");
    close(fd);
    temporario.caminho = modelo;
    GravaArquivo(temporario.caminho, pdf);
    destino = temporario.caminho;
  }
  ConfiguracaoImpressora impressora;
  impressora.impressora = Registro("ImpressoraDanfe");
  int trabalho = ImprimePdf(impressora, destino, "DANFE NF-e " + dados.chave);
  ctx_.log.RegistraEvento("        DANFE da NF-e " + dados.chave + " enviado à impressora (trabalho " +
                              std::to_string(trabalho) + ")",
                          true, false);
  return "Trabalho de impressão " + std::to_string(trabalho);
}

namespace {

// The mail settings under "nfe", read at every send; the first one missing
// or wrong is the error.
std::optional<std::string> LerConfiguracaoEmail(const Contexto& ctx, email::ConfiguracaoEmail& c) {
  auto ler = [&](const char* valor) { return Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, kChaveRegistro, valor)); };
  auto falta = [](const char* valor) { return std::string("valor \"") + valor + "\" da chave nfe não configurado"; };
  c.servidor = ler("EmailServidor");
  if (c.servidor.empty()) return falta("EmailServidor");
  std::string seguranca = ler("EmailSeguranca");
  std::string s = UCase(seguranca);
  if (s.empty() || s == "STARTTLS") c.seguranca = email::Seguranca::StartTls;
  else if (s == "SSL") c.seguranca = email::Seguranca::Ssl;
  else if (s == "NENHUMA") c.seguranca = email::Seguranca::Nenhuma;
  else return "valor \"EmailSeguranca\" inválido: \"" + seguranca + "\" (STARTTLS, SSL ou NENHUMA)";
  std::string porta = ler("EmailPorta");
  if (!porta.empty()) {
    c.porta = porta.size() <= 5 && SoDigitos(porta) == porta ? std::stoi(porta) : 0;
    if (c.porta < 1 || c.porta > 65535) return "valor \"EmailPorta\" inválido: \"" + porta + "\"";
  }
  c.usuario = ler("EmailUsuario");
  c.senha = ctx.registro.LerRegistro(HKEY_CURRENT_USER, kChaveRegistro, "EmailSenha");
  c.remetente = ler("EmailRemetente");
  if (c.remetente.empty() && email::EnderecoValido(c.usuario)) c.remetente = c.usuario;
  if (c.remetente.empty()) return falta("EmailRemetente");
  c.nomeRemetente = ler("EmailNomeRemetente");
  c.arquivoAC = CaminhoLocal(ctx, ler("EmailArquivoAC"));
  c.tempoConexao = Segundos(ler("EmailTempoLimiteConexao"), 10);
  c.tempoTotal = Segundos(ler("EmailTempoLimiteTotal"), 60);
  return std::nullopt;
}

// A request field may carry a line break; the log line must stay one line.
std::string NumaLinha(std::string s) {
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return s;
}

}  // namespace

bool ServicoDocumentoFiscal::EnviaEmail(const std::string& destinatario, const std::string& assunto,
                                        const std::string& corpo, const std::string& anexo) {
  auto falha = [&](const std::string& causa) {
    ctx_.log.RegistraEvento("        E-mail não enviado para \"" + NumaLinha(destinatario) + "\": " + causa, true, false);
    return false;
  };
  email::ConfiguracaoEmail cfg;
  if (auto erro = LerConfiguracaoEmail(ctx_, cfg)) return falha(*erro);
  auto enderecos = email::ListaEnderecos(destinatario);
  if (!enderecos) return falha("endereço de destinatário inválido");
  if (enderecos->empty()) return falha("nenhum endereço de destinatário");

  email::MensagemEmail m;
  m.destinatarios = *enderecos;
  m.assunto = assunto;
  m.corpo = corpo;
  std::string caminho = Trim(anexo);
  if (!caminho.empty()) {
    std::filesystem::path local = CaminhoLocal(ctx_, caminho);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(local, ec)) return falha("arquivo anexo não encontrado: " + caminho);
    try {
      m.conteudoAnexo = LerArquivo(local, caminho);
    } catch (const ErroExecucao& e) {
      return falha("arquivo anexo ilegível: " + e.Descricao());
    }
    m.nomeAnexo = email::NomeArquivo(caminho);
  }
  if (auto erro = email::Envia(cfg, m)) return falha(*erro);
  return true;
}

}  // namespace velant
