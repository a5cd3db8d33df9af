#include "ui/tela_grafica.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace velant {

namespace {

std::string Ambiente(const char* nome) {
  const char* v = std::getenv(nome);
  return v == nullptr ? "" : v;
}

// Connects to a local socket: the abstract name when `abstrato`, else the file.
bool ConectaLocal(const std::string& caminho, bool abstrato) {
  sockaddr_un endereco{};
  endereco.sun_family = AF_UNIX;
  const size_t inicio = abstrato ? 1 : 0;
  if (caminho.size() + inicio >= sizeof endereco.sun_path) return false;
  std::memcpy(endereco.sun_path + inicio, caminho.data(), caminho.size());
  const socklen_t tamanho = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + inicio + caminho.size() +
                                                   (abstrato ? 0 : 1));
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&endereco), tamanho) == 0;
  close(fd);
  return ok;
}

bool ConectaTcp(const std::string& host, int porta) {
  addrinfo dica{};
  dica.ai_socktype = SOCK_STREAM;
  addrinfo* lista = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(porta).c_str(), &dica, &lista) != 0) return false;
  bool ok = false;
  for (addrinfo* a = lista; a != nullptr && !ok; a = a->ai_next) {
    int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    timeval limite{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limite, sizeof limite);
    ok = connect(fd, a->ai_addr, a->ai_addrlen) == 0;
    close(fd);
  }
  freeaddrinfo(lista);
  return ok;
}

// DISPLAY is "[host]:n[.tela]"; an empty host (or "unix") is this computer.
SituacaoTela ServidorX(const std::string& display) {
  const size_t doisPontos = display.rfind(':');
  if (doisPontos == std::string::npos) return {false, "DISPLAY=" + display + " não é um endereço de tela válido"};
  const std::string host = display.substr(0, doisPontos);
  const std::string numero = display.substr(doisPontos + 1, display.find('.', doisPontos) - doisPontos - 1);
  char* fim = nullptr;
  const long n = std::strtol(numero.c_str(), &fim, 10);
  if (numero.empty() || *fim != '\0' || n < 0 || n > 65535 - 6000)
    return {false, "DISPLAY=" + display + " não é um endereço de tela válido"};
  bool atende = false;
  if (host.empty() || host == "unix") {
    const std::string soquete = "/tmp/.X11-unix/X" + std::to_string(n);
    atende = ConectaLocal(soquete, true) || ConectaLocal(soquete, false);
  } else {
    atende = ConectaTcp(host, 6000 + static_cast<int>(n));
  }
  if (!atende) return {false, "o servidor gráfico de DISPLAY=" + display + " não responde"};
  return {true, ""};
}

SituacaoTela ServidorWayland(const std::string& nome) {
  std::string caminho = nome;
  if (caminho.empty() || caminho.front() != '/') {
    const std::string pasta = Ambiente("XDG_RUNTIME_DIR");
    if (pasta.empty()) return {false, "WAYLAND_DISPLAY=" + nome + " sem XDG_RUNTIME_DIR"};
    caminho = pasta + "/" + nome;
  }
  if (!ConectaLocal(caminho, false)) return {false, "o servidor gráfico de WAYLAND_DISPLAY=" + nome + " não responde"};
  return {true, ""};
}

}  // namespace

SituacaoTela VerificaTelaGrafica() {
  const std::string plataforma = Ambiente("QT_QPA_PLATFORM");
  const std::string wayland = Ambiente("WAYLAND_DISPLAY");
  const std::string x = Ambiente("DISPLAY");
  // A platform named explicitly: only the two that need a server are checked.
  if (!plataforma.empty()) {
    const std::string base = plataforma.substr(0, plataforma.find(':'));
    if (base == "xcb") return x.empty() ? SituacaoTela{false, "QT_QPA_PLATFORM=xcb sem DISPLAY"} : ServidorX(x);
    if (base.rfind("wayland", 0) == 0)
      return wayland.empty() ? SituacaoTela{false, "QT_QPA_PLATFORM=" + base + " sem WAYLAND_DISPLAY"}
                             : ServidorWayland(wayland);
    return {true, ""};
  }
  if (!wayland.empty()) {
    SituacaoTela w = ServidorWayland(wayland);
    if (w.disponivel || x.empty()) return w;
  }
  if (!x.empty()) return ServidorX(x);
  return {false, "não há tela gráfica (DISPLAY e WAYLAND_DISPLAY não definidas)"};
}

}  // namespace velant
