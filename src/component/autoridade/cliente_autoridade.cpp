#include "component/autoridade/cliente_autoridade.h"

#include <curl/curl.h>

#include <chrono>
#include <fstream>
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
    if (conexao <= 0) return 0;   // still connecting: the connect timeout rules
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
  curl_slist* cabecalhos = nullptr;
  ~Curl() {
    curl_slist_free_all(cabecalhos);
    if (h != nullptr) curl_easy_cleanup(h);
  }
};

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
  certificado_ = CarregarCertificadoA1Memoria(pfx_, configuracao_.senhaCertificado);
  if (configuracao_.codigoUf.empty()) configuracao_.codigoUf = CodigoUf(configuracao_.uf);
}

ClienteAutoridade::~ClienteAutoridade() = default;

std::string ClienteAutoridade::AutorizadorContingencia() const {
  return servicos_.AutorizadorContingencia(configuracao_.uf, configuracao_.ambiente);
}

std::string ClienteAutoridade::Chama(ServicoNFe servico, const std::string& mensagem, Leiaute leiaute,
                                     bool contingencia) {
  const DescricaoServico& d = Descricao(servico, leiaute);
  const EsquemasMensagem esquemas =
      EsquemasDoEvento(d, servico == ServicoNFe::RecepcaoEvento ? TipoDoEvento(mensagem) : "");
  if (auto erro = ValidarXml(mensagem, esquemas.pedido))
    throw ErroExecucao(CodigoErro::ErroComponente,
                       std::string("Mensagem ") + d.raizPedido + " fora do esquema " + esquemas.pedido + ": " + *erro);
  std::string url = contingencia ? servicos_.UrlContingencia(configuracao_.uf, configuracao_.ambiente, servico)
                                 : servicos_.Url(configuracao_.uf, configuracao_.ambiente, servico, leiaute);
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
  Curl c;
  if (c.h == nullptr) throw ErroExecucao(CodigoErro::ErroComponente, "Sem memória para a conexão com a autoridade");
  Recebido recebido;
  char detalhe[CURL_ERROR_SIZE] = {0};
  const auto& cfg = configuracao_;
  curl_blob certificado{const_cast<char*>(pfx_.data()), pfx_.size(), CURL_BLOB_NOCOPY};
  VigiaLeitura vigia;
  vigia.h = c.h;
  vigia.limite = cfg.tempoLeitura;

  c.cabecalhos = curl_slist_append(c.cabecalhos, ("Content-Type: " + TipoConteudoSoap(d)).c_str());
  c.cabecalhos = curl_slist_append(c.cabecalhos, "Expect:");
  curl_easy_setopt(c.h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c.h, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(c.h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c.h, CURLOPT_POST, 1L);
  curl_easy_setopt(c.h, CURLOPT_POSTFIELDS, envelope.data());
  curl_easy_setopt(c.h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(envelope.size()));
  curl_easy_setopt(c.h, CURLOPT_HTTPHEADER, c.cabecalhos);
  curl_easy_setopt(c.h, CURLOPT_WRITEFUNCTION, &Recebe);
  curl_easy_setopt(c.h, CURLOPT_WRITEDATA, &recebido);
  curl_easy_setopt(c.h, CURLOPT_ERRORBUFFER, detalhe);
  curl_easy_setopt(c.h, CURLOPT_SSLCERT_BLOB, &certificado);
  curl_easy_setopt(c.h, CURLOPT_SSLCERTTYPE, "P12");
  curl_easy_setopt(c.h, CURLOPT_KEYPASSWD, cfg.senhaCertificado.c_str());
  // The authorities accept nothing older; neither does this client.
  curl_easy_setopt(c.h, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  curl_easy_setopt(c.h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c.h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!cfg.arquivoAC.empty()) curl_easy_setopt(c.h, CURLOPT_CAINFO, cfg.arquivoAC.c_str());
  curl_easy_setopt(c.h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(cfg.tempoConexao.count()));
  curl_easy_setopt(c.h, CURLOPT_TIMEOUT_MS, static_cast<long>(cfg.tempoTotal.count()));
  curl_easy_setopt(c.h, CURLOPT_XFERINFOFUNCTION, &Progresso);
  curl_easy_setopt(c.h, CURLOPT_XFERINFODATA, &vigia);
  curl_easy_setopt(c.h, CURLOPT_NOPROGRESS, 0L);

  CURLcode resultado = curl_easy_perform(c.h);
  if (resultado != CURLE_OK) {
    std::string causa = recebido.excedeu ? "resposta grande demais" : Causa(resultado);
    std::string texto = detalhe[0] != '\0' ? std::string(detalhe) : curl_easy_strerror(resultado);
    if (vigia.estourou) {
      causa = Causa(CURLE_OPERATION_TIMEDOUT);
      texto = "nada recebido em " + std::to_string(cfg.tempoLeitura.count()) + " ms";
    }
    throw ErroExecucao(CodigoErro::ErroComponente, std::string(kFalhaComunicacao) + d.nome +
                                                       " em " + url + "): " + causa + " - " + texto);
  }
  long status = 0;
  curl_easy_getinfo(c.h, CURLINFO_RESPONSE_CODE, &status);
  // A SOAP fault comes with status 500; its reason is read from the body.
  if (status != 200 && !(status == 500 && recebido.corpo.find("Fault") != std::string::npos))
    throw ErroExecucao(CodigoErro::ErroComponente, std::string(kRespondeuHttp) +
                                                       std::to_string(status) + " (" + d.nome + " em " + url + ")");
  return recebido.corpo;
}

}  // namespace velant::autoridade
