#pragma once
// Sends one mail through SMTP: STARTTLS, TLS from the first byte (smtps) or
// no encryption; the server's certificate checked against a CA bundle; AUTH
// with a user and a password; a UTF-8 text body and at most one attachment.
// Connect and total timeouts always apply, so a silent server cannot hold
// the caller.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velant::email {

enum class Seguranca { StartTls, Ssl, Nenhuma };

struct ConfiguracaoEmail {
  std::string servidor;                    // name or IP address
  int porta = 0;                           // 0: 587, 465 (Ssl) or 25 (Nenhuma)
  Seguranca seguranca = Seguranca::StartTls;
  std::string usuario;                     // empty: no AUTH
  std::string senha;
  std::string remetente;                   // envelope sender and From
  std::string nomeRemetente;               // display name of From; may be empty
  std::filesystem::path arquivoAC;         // CA bundle for the server; empty: the system's
  std::chrono::milliseconds tempoConexao{10000};
  std::chrono::milliseconds tempoTotal{60000};
};

struct MensagemEmail {
  std::vector<std::string> destinatarios;  // plain addresses, at least one
  std::string assunto;
  std::string corpo;
  std::string nomeAnexo;                   // empty: no attachment
  std::string conteudoAnexo;
};

// nullopt when the server took the mail; otherwise why not, in words fit
// for the log (the password never appears in them).
std::optional<std::string> Envia(const ConfiguracaoEmail& configuracao, const MensagemEmail& mensagem);

}  // namespace velant::email
