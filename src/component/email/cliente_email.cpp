#include "component/email/cliente_email.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cctype>
#include <mutex>

#include "component/email/mensagem_email.h"

namespace velant::email {

namespace {

void IniciaCurl() {
  static std::once_flag feito;
  std::call_once(feito, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Recursos {
  CURL* h = curl_easy_init();
  curl_mime* mime = nullptr;
  curl_slist* cabecalhos = nullptr;
  curl_slist* destinatarios = nullptr;
  curl_slist* cabecalhoAnexo = nullptr;
  ~Recursos() {
    curl_slist_free_all(cabecalhoAnexo);
    curl_slist_free_all(destinatarios);
    curl_slist_free_all(cabecalhos);
    curl_mime_free(mime);
    if (h != nullptr) curl_easy_cleanup(h);
  }
};

int PortaPadrao(Seguranca s) {
  switch (s) {
    case Seguranca::Ssl: return 465;
    case Seguranca::Nenhuma: return 25;
    case Seguranca::StartTls: break;
  }
  return 587;
}

// The name this computer gives in EHLO; servers may refuse a malformed one.
std::string NomeNoEhlo() {
  char nome[256] = {0};
  if (gethostname(nome, sizeof nome - 1) != 0 || nome[0] == '\0') return "localhost";
  for (const char* c = nome; *c != '\0'; ++c)
    if (!std::isalnum(static_cast<unsigned char>(*c)) && *c != '-' && *c != '.') return "localhost";
  return nome;
}

std::string Url(const ConfiguracaoEmail& cfg) {
  std::string host = cfg.servidor;
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  int porta = cfg.porta > 0 ? cfg.porta : PortaPadrao(cfg.seguranca);
  return std::string(cfg.seguranca == Seguranca::Ssl ? "smtps://" : "smtp://") + host + ":" + std::to_string(porta) +
         "/" + NomeNoEhlo();
}

std::string Causa(CURLcode codigo, const std::string& detalhe, const ConfiguracaoEmail& cfg) {
  auto comeca = [&](const char* prefixo) { return detalhe.rfind(prefixo, 0) == 0; };
  switch (codigo) {
    case CURLE_LOGIN_DENIED: return "o servidor recusou o login do usuário \"" + cfg.usuario + "\"";
    case CURLE_OPERATION_TIMEDOUT: return "tempo limite esgotado";
    case CURLE_COULDNT_CONNECT: return "conexão recusada ou servidor inalcançável";
    case CURLE_COULDNT_RESOLVE_HOST: return "servidor não encontrado";
    case CURLE_PEER_FAILED_VERIFICATION:
      return "o certificado do servidor não foi aceito" +
             std::string(cfg.arquivoAC.empty() ? "" : " pela AC de " + cfg.arquivoAC.string());
    case CURLE_USE_SSL_FAILED: return "o servidor não oferece STARTTLS";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR: return "falha na conexão segura (TLS)";
    default: break;
  }
  if (comeca("RCPT failed")) return "o servidor recusou o destinatário";
  // 530 to MAIL: the server wants STARTTLS or a login first.
  if (comeca("MAIL failed: 530")) return "o servidor exige conexão segura ou login antes do envio";
  if (comeca("MAIL failed")) return "o servidor recusou o remetente";
  if (comeca("DATA failed") || codigo == CURLE_WEIRD_SERVER_REPLY) return "o servidor recusou a mensagem";
  return curl_easy_strerror(codigo);
}

}  // namespace

std::optional<std::string> Envia(const ConfiguracaoEmail& cfg, const MensagemEmail& m) {
  if (cfg.servidor.empty()) return "servidor de e-mail não configurado";
  if (!EnderecoValido(cfg.remetente)) return "endereço do remetente inválido: \"" + cfg.remetente + "\"";
  if (m.destinatarios.empty()) return "nenhum destinatário";
  for (const auto& d : m.destinatarios)
    if (!EnderecoValido(d)) return "endereço do destinatário inválido: \"" + d + "\"";
  if (!cfg.arquivoAC.empty() && !std::filesystem::is_regular_file(cfg.arquivoAC))
    return "arquivo da AC não encontrado: " + cfg.arquivoAC.string();

  IniciaCurl();
  Recursos r;
  if (r.h == nullptr) return "sem memória para a conexão";
  std::string url = Url(cfg);

  std::string para = "To: ";
  for (size_t i = 0; i < m.destinatarios.size(); ++i) {
    para += (i > 0 ? ", " : "") + m.destinatarios[i];
    r.destinatarios = curl_slist_append(r.destinatarios, ("<" + m.destinatarios[i] + ">").c_str());
  }
  for (const std::string& c : {CabecalhoData(std::chrono::system_clock::now()),
                               CabecalhoRemetente(cfg.nomeRemetente, cfg.remetente), para,
                               CabecalhoAssunto(m.assunto), CabecalhoIdentificador(cfg.remetente)})
    r.cabecalhos = curl_slist_append(r.cabecalhos, c.c_str());

  std::string corpo = TextoCanonico(m.corpo);
  r.mime = curl_mime_init(r.h);
  curl_mimepart* parteTexto = curl_mime_addpart(r.mime);
  curl_mime_data(parteTexto, corpo.data(), corpo.size());
  curl_mime_type(parteTexto, "text/plain; charset=UTF-8");
  // base64 keeps the text's bytes and its CR LF exactly as written.
  curl_mime_encoder(parteTexto, "base64");
  if (!m.nomeAnexo.empty()) {
    curl_mimepart* anexo = curl_mime_addpart(r.mime);
    curl_mime_data(anexo, m.conteudoAnexo.data(), m.conteudoAnexo.size());
    curl_mime_type(anexo, TipoMidiaAnexo(m.nomeAnexo).c_str());
    curl_mime_encoder(anexo, "base64");
    r.cabecalhoAnexo = curl_slist_append(r.cabecalhoAnexo, CabecalhoAnexo(m.nomeAnexo).c_str());
    curl_mime_headers(anexo, r.cabecalhoAnexo, 0);
  }

  char detalhe[CURL_ERROR_SIZE] = {0};
  curl_easy_setopt(r.h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(r.h, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  curl_easy_setopt(r.h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(r.h, CURLOPT_ERRORBUFFER, detalhe);
  curl_easy_setopt(r.h, CURLOPT_USE_SSL,
                   static_cast<long>(cfg.seguranca == Seguranca::Nenhuma ? CURLUSESSL_NONE : CURLUSESSL_ALL));
  curl_easy_setopt(r.h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(r.h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!cfg.arquivoAC.empty()) curl_easy_setopt(r.h, CURLOPT_CAINFO, cfg.arquivoAC.c_str());
  if (!cfg.usuario.empty()) {
    curl_easy_setopt(r.h, CURLOPT_USERNAME, cfg.usuario.c_str());
    curl_easy_setopt(r.h, CURLOPT_PASSWORD, cfg.senha.c_str());
  }
  curl_easy_setopt(r.h, CURLOPT_MAIL_FROM, ("<" + cfg.remetente + ">").c_str());
  curl_easy_setopt(r.h, CURLOPT_MAIL_RCPT, r.destinatarios);
  curl_easy_setopt(r.h, CURLOPT_HTTPHEADER, r.cabecalhos);
  curl_easy_setopt(r.h, CURLOPT_MIMEPOST, r.mime);
  curl_easy_setopt(r.h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(cfg.tempoConexao.count()));
  curl_easy_setopt(r.h, CURLOPT_TIMEOUT_MS, static_cast<long>(cfg.tempoTotal.count()));

  CURLcode resultado = curl_easy_perform(r.h);
  if (resultado == CURLE_OK) return std::nullopt;
  std::string texto = detalhe[0] != '\0' ? detalhe : curl_easy_strerror(resultado);
  return Causa(resultado, texto, cfg) + " (" + url.substr(0, url.rfind('/')) + ": " + texto + ")";
}

}  // namespace velant::email
