#include "plataforma/sockets.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/texto.h"

namespace velant {

namespace {

bool EhLoopback(const std::string& ip) { return ip.rfind("127.", 0) == 0; }

std::string Pontuado(const in_addr& endereco) {
  char texto[INET_ADDRSTRLEN] = {};
  return inet_ntop(AF_INET, &endereco, texto, sizeof texto) != nullptr ? std::string(texto) : std::string();
}

// Str(n): a blank in the sign position of a non-negative number.
std::string ComSinal(long n) { return (n >= 0 ? " " : "") + std::to_string(n); }

std::vector<std::string> EnderecosDoHost(const std::string& nome, bool& resolveu) {
  std::vector<std::string> enderecos;
  addrinfo dicas{};
  dicas.ai_family = AF_INET;
  dicas.ai_socktype = SOCK_STREAM;   // one entry per address
  addrinfo* lista = nullptr;
  resolveu = getaddrinfo(nome.c_str(), nullptr, &dicas, &lista) == 0 && lista != nullptr;
  for (addrinfo* a = lista; a != nullptr; a = a->ai_next) {
    if (a->ai_family != AF_INET || a->ai_addr == nullptr) continue;
    std::string ip = Pontuado(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr);
    if (!ip.empty()) enderecos.push_back(ip);
  }
  if (lista != nullptr) freeaddrinfo(lista);
  return enderecos;
}

std::vector<std::string> EnderecosDasInterfaces() {
  std::vector<std::string> enderecos;
  ifaddrs* lista = nullptr;
  if (getifaddrs(&lista) != 0) return enderecos;
  for (ifaddrs* i = lista; i != nullptr; i = i->ifa_next) {
    if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
    std::string ip = Pontuado(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr);
    if (!ip.empty()) enderecos.push_back(ip);
  }
  freeifaddrs(lista);
  return enderecos;
}

}  // namespace

std::string EscolheIPv4(const std::vector<std::string>& doHost, const std::vector<std::string>& dasInterfaces) {
  for (const auto* lista : {&doHost, &dasInterfaces}) {
    for (const std::string& ip : *lista) {
      if (!EhLoopback(ip)) return ip;
    }
  }
  if (!doHost.empty()) return doHost.front();
  if (!dasInterfaces.empty()) return dasInterfaces.front();
  return "";
}

// There is no socket library to start here; what can fail is the socket
// layer itself, so probe it with one socket.
bool IniciarSockets(InterfaceOperador& ui) {
  int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (s < 0) {
    ui.MsgBox("32-bit Windows Socket não esta respondendo.", vbOKOnly);
    return false;
  }
  ::close(s);
  return true;
}

// Nothing to release: every socket is closed where it was opened.
void EncerrarSockets(InterfaceOperador&) {}

std::string ObterIPLocal(InterfaceOperador& ui) {
  if (!IniciarSockets(ui)) return "";

  char nome[256] = {};
  if (::gethostname(nome, sizeof nome - 1) == -1) {
    ui.MsgBox("Ocorre um erro de Socket : " + ComSinal(errno) + " , não é possivel obter nome do Host.", vbOKOnly);
    EncerrarSockets(ui);
    return "";
  }

  bool resolveu = false;
  std::vector<std::string> doHost = EnderecosDoHost(Trim(nome), resolveu);
  if (!resolveu) {
    ui.MsgBox(std::string("Windows Sockets não esta respondendo. ") + "não é possivel obter nome do Host", vbOKOnly);
    EncerrarSockets(ui);
    return "";
  }
  // The host name of a Debian machine resolves to 127.0.1.1: that address
  // would fail the IP check, so look past loopback to the interfaces.
  std::string ip = EscolheIPv4(doHost, EhLoopback(EscolheIPv4(doHost, {})) ? EnderecosDasInterfaces()
                                                                            : std::vector<std::string>{});
  EncerrarSockets(ui);
  return ip;
}

}  // namespace velant
