#include "component/autoridade/cliente_autoridade.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "base/arquivos.h"
#include "base/erro.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/esquemas_evento.h"
#include "component/xml/validador_esquema.h"

namespace velant::autoridade {

namespace {

constexpr size_t kMaiorResposta = 16 * 1024 * 1024;

void IniciaCurl() {
  static std::once_flag feito;
  std::call_once(feito, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}


struct Recebido {
  std::string corpo;
  bool excedeu = false;
};

size_t Recebe(char* dados, size_t tamanho, size_t n, void* destino) {
  auto* r = static_cast<Recebido*>(destino);
  if (r->corpo.size() + tamanho * n > kMaiorResposta) {
    r->excedeu = true;
    return 0;   // aborts the transfer
  }
  r->corpo.append(dados, tamanho * n);
  return tamanho * n;
}

constexpr const char* kFalhaComunicacao = "Falha na comunicação com a autoridade (";
constexpr const char* kRespondeuHttp = "A autoridade respondeu HTTP ";

std::string Causa(CURLcode codigo) {
  switch (codigo) {
    case CURLE_COULDNT_CONNECT: return "conexão recusada ou servidor inalcançável";
    case CURLE_COULDNT_RESOLVE_HOST: return "endereço do servidor não encontrado";
    case CURLE_OPERATION_TIMEDOUT: return "tempo limite esgotado";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED: return "falha na conexão segura (TLS)";
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE: return "a conexão foi encerrada sem resposta completa";
    case CURLE_WRITE_ERROR: return "resposta grande demais";
    default: return curl_easy_strerror(codigo);
  }
}

// The read timeout: no byte sent or received for that long once the
// secure connection is up. (curl's low-speed limit averages over several
// seconds, too coarse for a timeout of one or two.)
struct VigiaLeitura {
  CURL* h = nullptr;
  std::chrono::milliseconds limite{};
  std::chrono::steady_clock::time_point ultimo{};
  curl_off_t recebidos = -1, enviados = -1;
  bool conectado = false;
  bool estourou = false;
};

int Progresso(void* dados, curl_off_t, curl_off_t recebidos, curl_off_t, curl_off_t enviados) {
  auto* v = static_cast<VigiaLeitura*>(dados);
  auto agora = std::chrono::steady_clock::now();
  if (!v->conectado) {
    curl_off_t conexao = 0;
    curl_easy_getinfo(v->h, CURLINFO_APPCONNECT_TIME_T, &conexao);
    // A reused connection reports no handshake time; bytes sent show it is up.
    if (conexao <= 0 && enviados <= 0) return 0;   // still connecting: the connect timeout rules
    v->conectado = true;
    v->ultimo = agora;
  }
  if (recebidos != v->recebidos || enviados != v->enviados) {
    v->recebidos = recebidos;
    v->enviados = enviados;
    v->ultimo = agora;
    return 0;
  }
  if (agora - v->ultimo < v->limite) return 0;
  v->estourou = true;
  return 1;   // aborts the transfer
}

struct Curl {
  CURL* h = curl_easy_init();
  ~Curl() {
    if (h != nullptr) curl_easy_cleanup(h);
  }
};

// Connections are kept alive between calls: one easy handle (and with it
// curl's connection cache) per endpoint and certificate, per thread, so each
// worker has its own. An idle connection older than this is not reused.
constexpr long kIdadeMaximaConexaoSegundos = 30;
std::atomic<long> conexoesAbertas{0};

CURL* HandleDoEndpoint(const std::string& url, const std::string& pfx) {
  thread_local std::map<std::string, Curl> handles;
  const size_t inicioHost = url.find("://");
  const size_t fimOrigem = inicioHost == std::string::npos ? url.size() : url.find('/', inicioHost + 3);
  const std::string chave = url.substr(0, fimOrigem) + "|" + std::to_string(std::hash<std::string>{}(pfx));
  CURL* h = handles[chave].h;
  if (h != nullptr) curl_easy_reset(h);   // keeps the live connections
  return h;
}

// The request body handed to curl. A kept-alive connection that fails once
// the whole request was handed over may have delivered it: curl would send it
// again on a fresh connection, so the new connection (and the rewind) such a
// retry needs is refused and the call fails as an answer lost. Before that
// (nothing or part of the body out) the authority cannot have it, and the
// retry goes ahead.
struct Envio {
  const std::string* corpo = nullptr;
  size_t entregues = 0;
  bool recusouRepeticao = false;
};

size_t LeEnvio(char* destino, size_t tamanho, size_t n, void* dados) {
  auto* e = static_cast<Envio*>(dados);
  const size_t parte = std::min(tamanho * n, e->corpo->size() - e->entregues);
  std::memcpy(destino, e->corpo->data() + e->entregues, parte);
  e->entregues += parte;
  return parte;
}

// A retry needs a new connection: none is opened once the whole request was
// handed over on an earlier one in the same call.
curl_socket_t AbreSocket(void* dados, curlsocktype, curl_sockaddr* endereco) {
  auto* e = static_cast<Envio*>(dados);
  if (e->entregues == e->corpo->size() && !e->corpo->empty()) {
    e->recusouRepeticao = true;
    return CURL_SOCKET_BAD;
  }
  return ::socket(endereco->family, endereco->socktype | SOCK_CLOEXEC, endereco->protocol);
}

int VoltaEnvio(void* dados, curl_off_t posicao, int origem) {
  auto* e = static_cast<Envio*>(dados);
  if (posicao != 0 || origem != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
  if (e->entregues == e->corpo->size() && !e->corpo->empty()) {
    e->recusouRepeticao = true;
    return CURL_SEEKFUNC_FAIL;
  }
  e->entregues = 0;
  return CURL_SEEKFUNC_OK;
}

// Opening the PKCS#12 costs a key derivation, and every call builds a client:
// the certificate last opened is kept while its bytes and password stay.
CertificadoA1 CertificadoDoPfx(const std::string& pfx, const std::string& senha) {
  struct Aberto {
    std::string pfx, senha;
    CertificadoA1 certificado;
  };
  static std::mutex mutex;
  static Aberto aberto;
  {
    std::lock_guard<std::mutex> trava(mutex);
    if (aberto.certificado.Carregado() && aberto.pfx == pfx && aberto.senha == senha) return aberto.certificado;
  }
  CertificadoA1 certificado = CarregarCertificadoA1Memoria(pfx, senha);
  std::lock_guard<std::mutex> trava(mutex);
  aberto = Aberto{pfx, senha, certificado};
  return certificado;
}

}  // namespace

FalhaTransporte ClassificaFalha(const std::string& descricao) {
  if (descricao.find(kFalhaComunicacao) == std::string::npos &&
      descricao.find(kRespondeuHttp) == std::string::npos)
    return FalhaTransporte::Nenhuma;
  for (CURLcode nenhumaConexao : {CURLE_COULDNT_CONNECT, CURLE_COULDNT_RESOLVE_HOST})
    if (descricao.find(std::string("): ") + Causa(nenhumaConexao) + " - ") != std::string::npos)
      return FalhaTransporte::NaoEnviada;
  return FalhaTransporte::Incerta;
}

ClienteAutoridade::ClienteAutoridade(ConfiguracaoCliente configuracao)
    : configuracao_(std::move(configuracao)), servicos_(TabelaServicos::Carregar(configuracao_.arquivoServicos)) {
  if (configuracao_.arquivoCertificado.empty())
    throw ErroExecucao(CodigoErro::ErroComponente, "Certificado digital não configurado (valor \"Certificado\")");
  pfx_ = LerArquivoDescrito(configuracao_.arquivoCertificado, "Certificado digital", CodigoErro::ErroComponente);
  certificado_ = CertificadoDoPfx(pfx_, configuracao_.senhaCertificado);
  if (configuracao_.codigoUf.empty()) configuracao_.codigoUf = CodigoUf(configuracao_.uf);
}

ClienteAutoridade::~ClienteAutoridade() = default;

std::string ClienteAutoridade::AutorizadorContingencia() const {
  return servicos_.AutorizadorContingencia(configuracao_.uf, configuracao_.ambiente);
}

std::string ClienteAutoridade::Chama(ServicoNFe servico, const std::string& mensagem, Leiaute leiaute,
                                     bool contingencia) {
  const DescricaoServico& d = Descricao(servico, leiaute);
  return ChamaEm(d,
                 contingencia ? servicos_.UrlContingencia(configuracao_.uf, configuracao_.ambiente, servico)
                              : servicos_.Url(configuracao_.uf, configuracao_.ambiente, servico, leiaute),
                 mensagem);
}

std::string ClienteAutoridade::ChamaAmbienteNacional(ServicoNFe servico, const std::string& mensagem) {
  return ChamaEm(Descricao(servico, Leiaute::V400), servicos_.UrlAmbienteNacional(configuracao_.ambiente, servico),
                 mensagem);
}

std::string ClienteAutoridade::ChamaEm(const DescricaoServico& d, const std::string& url, const std::string& mensagem) {
  const EsquemasMensagem esquemas =
      EsquemasDoEvento(d, d.servico == ServicoNFe::RecepcaoEvento ? TipoDoEvento(mensagem) : "");
  if (auto erro = ValidarXml(mensagem, esquemas.pedido))
    throw ErroExecucao(CodigoErro::ErroComponente,
                       std::string("Mensagem ") + d.raizPedido + " fora do esquema " + esquemas.pedido + ": " + *erro);
  std::string envelope = MontaEnvelopePedido(d, configuracao_.codigoUf, mensagem);
  std::string resposta = LeResposta(Posta(d, url, envelope));
  if (auto erro = ValidarXml(resposta, esquemas.resposta))
    throw ErroExecucao(CodigoErro::ErroComponente, std::string("Resposta da autoridade fora do esquema ") +
                                                       esquemas.resposta + ": " + *erro);
  return resposta;
}

std::string ClienteAutoridade::Posta(const DescricaoServico& d, const std::string& url,
                                     const std::string& envelope) {
  IniciaCurl();
  CURL* h = HandleDoEndpoint(url, pfx_);
  if (h == nullptr) throw ErroExecucao(CodigoErro::ErroComponente, "Sem memória para a conexão com a autoridade");
  Recebido recebido;
  char detalhe[CURL_ERROR_SIZE] = {0};
  const auto& cfg = configuracao_;
  curl_blob certificado{const_cast<char*>(pfx_.data()), pfx_.size(), CURL_BLOB_NOCOPY};
  VigiaLeitura vigia;
  vigia.h = h;
  vigia.limite = cfg.tempoLeitura;
  Envio envio{&envelope};

  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> cabecalhos(
      curl_slist_append(nullptr, ("Content-Type: " + TipoConteudoSoap(d)).c_str()), &curl_slist_free_all);
  if (cabecalhos) curl_slist_append(cabecalhos.get(), "Expect:");
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_POST, 1L);
  curl_easy_setopt(h, CURLOPT_READFUNCTION, &LeEnvio);
  curl_easy_setopt(h, CURLOPT_READDATA, &envio);
  curl_easy_setopt(h, CURLOPT_SEEKFUNCTION, &VoltaEnvio);
  curl_easy_setopt(h, CURLOPT_SEEKDATA, &envio);
  curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, &AbreSocket);
  curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, &envio);
  curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(envelope.size()));
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, cabecalhos.get());
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Recebe);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &recebido);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, detalhe);
  curl_easy_setopt(h, CURLOPT_SSLCERT_BLOB, &certificado);
  curl_easy_setopt(h, CURLOPT_SSLCERTTYPE, "P12");
  curl_easy_setopt(h, CURLOPT_KEYPASSWD, cfg.senhaCertificado.c_str());
  // The authorities accept nothing older; neither does this client.
  curl_easy_setopt(h, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!cfg.arquivoAC.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, cfg.arquivoAC.c_str());
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(cfg.tempoConexao.count()));
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(cfg.tempoTotal.count()));
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Progresso);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &vigia);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_MAXAGE_CONN, kIdadeMaximaConexaoSegundos);

  CURLcode resultado = curl_easy_perform(h);
  long novas = 0;
  if (curl_easy_getinfo(h, CURLINFO_NUM_CONNECTS, &novas) == CURLE_OK) conexoesAbertas += novas;
  if (resultado != CURLE_OK) {
    std::string causa = recebido.excedeu ? "resposta grande demais" : Causa(resultado);
    std::string texto = detalhe[0] != '\0' ? std::string(detalhe) : curl_easy_strerror(resultado);
    if (envio.recusouRepeticao) {
      causa = Causa(CURLE_GOT_NOTHING);
      texto = "a conexão mantida aberta caiu depois do envio; o pedido não é repetido";
    }
    if (vigia.estourou) {
      causa = Causa(CURLE_OPERATION_TIMEDOUT);
      texto = "nada recebido em " + std::to_string(cfg.tempoLeitura.count()) + " ms";
    }
    throw ErroExecucao(CodigoErro::ErroComponente, std::string(kFalhaComunicacao) + d.nome +
                                                       " em " + url + "): " + causa + " - " + texto);
  }
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  // A SOAP fault comes with status 500; its reason is read from the body.
  if (status != 200 && !(status == 500 && recebido.corpo.find("Fault") != std::string::npos))
    throw ErroExecucao(CodigoErro::ErroComponente, std::string(kRespondeuHttp) +
                                                       std::to_string(status) + " (" + d.nome + " em " + url + ")");
  return recebido.corpo;
}

long ClienteAutoridade::ConexoesAbertas() { return conexoesAbertas.load(); }

}  // namespace velant::autoridade
