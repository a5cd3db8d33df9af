#pragma once
// A real SMTP server for the tests (tests/apoio/servidor_smtp.py, on
// aiosmtpd): started on a loopback port the system chooses, stopped when the
// object goes (also when the test fails, or dies: the child gets SIGKILL
// with its parent). Every message it accepts is decoded by Python's email
// package into its own folder; MensagensRecebidas reads them back.
// Also: throw-away certificates for it, and a server that never answers.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "apoio/processo_filho.h"

namespace velant::teste {

struct CertificadosSmtp {
  std::filesystem::path ac;           // CA that signed the server's certificate
  std::filesystem::path certificado;  // for 127.0.0.1 and localhost
  std::filesystem::path chave;
  std::filesystem::path outraAc;      // a CA that signed nothing of the server
};

// Made with openssl in the folder (EC keys: quick enough for every test).
inline CertificadosSmtp CriaCertificadosSmtp(const std::filesystem::path& pasta) {
  std::filesystem::create_directories(pasta);
  CertificadosSmtp c{pasta / "ac.pem", pasta / "servidor.pem", pasta / "servidor.key", pasta / "outra-ac.pem"};
  std::string p = "'" + pasta.string() + "'";
  std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
  // The other CA has the same name: only the signature tells them apart.
  std::string comandos =
      "cd " + p + " && printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\\n' > servidor.ext" +
      " && openssl req -x509" + ec + "-days 2 -keyout ac.key -out ac.pem -subj '/CN=AC SMTP Teste'" +
      " && openssl req -x509" + ec + "-days 2 -keyout outra-ac.key -out outra-ac.pem -subj '/CN=AC SMTP Teste'" +
      " && openssl req" + ec + "-keyout servidor.key -out servidor.csr -subj '/CN=localhost'" +
      " && openssl x509 -req -in servidor.csr -CA ac.pem -CAkey ac.key -CAcreateserial -days 2"
      " -extfile servidor.ext -out servidor.pem";
  if (std::system(("( " + comandos + " ) > " + p + "/openssl.log 2>&1").c_str()) != 0)
    throw std::runtime_error("openssl falhou: " + LerTudo(pasta / "openssl.log"));
  return c;
}

struct OpcoesServidorSmtp {
  std::filesystem::path pasta;        // received messages, port file and the server's output
  std::filesystem::path certificado;
  std::filesystem::path chave;
  std::string usuario = "usuario-teste";
  std::string senha = "senha-teste";
  bool tlsImplicito = false;          // smtps instead of STARTTLS
  std::vector<std::string> recusar;   // recipients answered with 550
};

class ServidorSmtp {
 public:
  explicit ServidorSmtp(OpcoesServidorSmtp opcoes) : opcoes_(std::move(opcoes)) {
    std::filesystem::create_directories(Caixa());
    std::filesystem::remove(ArquivoPorta());
    // Debian's interpreter, where python3-aiosmtpd is installed (a python3
    // earlier in PATH may not have it).
    std::vector<std::string> args = {"/usr/bin/python3", std::string(VELANT_TESTES) + "/apoio/servidor_smtp.py",
                                     "--porta", "0", "--arquivo-porta", ArquivoPorta().string(), "--pasta", Caixa().string(),
                                     "--certificado", opcoes_.certificado.string(), "--chave", opcoes_.chave.string(),
                                     "--usuario", opcoes_.usuario, "--senha", opcoes_.senha};
    if (opcoes_.tlsImplicito) args.push_back("--tls-implicito");
    for (const auto& r : opcoes_.recusar) args.insert(args.end(), {"--recusar", r});
    pid_ = IniciaProcesso(args, opcoes_.pasta / "servidor.log");
    try {
      porta_ = EsperaPortaDoProcesso(pid_, ArquivoPorta(), "o servidor SMTP", [this] { return Log(); });
    } catch (...) {
      Para();
      throw;
    }
  }
  ~ServidorSmtp() { Para(); }
  ServidorSmtp(const ServidorSmtp&) = delete;
  ServidorSmtp& operator=(const ServidorSmtp&) = delete;

  int Porta() const { return porta_; }
  std::filesystem::path Caixa() const { return opcoes_.pasta / "caixa"; }
  std::string Log() const { return LerTudo(opcoes_.pasta / "servidor.log"); }

  void Para() {
    int status = 0;
    if (pid_ > 0) ParaProcesso(pid_, std::chrono::seconds(5), status);
    pid_ = -1;
  }

 private:
  std::filesystem::path ArquivoPorta() const { return opcoes_.pasta / "porta"; }

  OpcoesServidorSmtp opcoes_;
  pid_t pid_ = -1;
  int porta_ = 0;
};

// One message as the server decoded it (see servidor_smtp.py); absent parts are "".
struct MensagemRecebida {
  std::filesystem::path pasta;
  std::string Campo(const std::string& nome) const { return LerTudo(pasta / nome); }
  bool Tem(const std::string& nome) const { return std::filesystem::exists(pasta / nome); }
  // A file of one item a line.
  std::vector<std::string> Linhas(const std::string& nome) const {
    std::vector<std::string> linhas;
    std::istringstream texto(Campo(nome));
    for (std::string linha; std::getline(texto, linha);) linhas.push_back(linha);
    return linhas;
  }
};

// The messages accepted so far, oldest first.
inline std::vector<MensagemRecebida> MensagensRecebidas(const std::filesystem::path& caixa) {
  std::vector<MensagemRecebida> mensagens;
  if (!std::filesystem::exists(caixa)) return mensagens;
  for (const auto& e : std::filesystem::directory_iterator(caixa)) {
    std::string nome = e.path().filename().string();
    if (e.is_directory() && nome.rfind("msg-", 0) == 0 && nome.find('.') == std::string::npos)
      mensagens.push_back({e.path()});
  }
  std::sort(mensagens.begin(), mensagens.end(),
            [](const auto& a, const auto& b) { return a.pasta.filename() < b.pasta.filename(); });
  return mensagens;
}

// Takes connections on a loopback port (the system completes them) and
// never says a word: the client's timeouts are all that end the wait.
class ServidorMudo {
 public:
  ServidorMudo() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in endereco{};
    endereco.sin_family = AF_INET;
    endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t tamanho = sizeof endereco;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco) != 0 || listen(fd_, 8) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&endereco), &tamanho) != 0)
      throw std::runtime_error("não foi possível abrir a porta do servidor mudo");
    porta_ = ntohs(endereco.sin_port);
  }
  ~ServidorMudo() { close(fd_); }
  ServidorMudo(const ServidorMudo&) = delete;
  ServidorMudo& operator=(const ServidorMudo&) = delete;
  int Porta() const { return porta_; }

 private:
  int fd_ = -1;
  int porta_ = 0;
};

}  // namespace velant::teste
