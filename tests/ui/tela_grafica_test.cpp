#include "ui/tela_grafica.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>

#include "apoio/arquivos_teste.h"

namespace velant {
namespace {

// A listening socket standing in for a display server: local (abstract or a file) or TCP on 127.0.0.1.
struct Escuta {
  explicit Escuta(int familia, const std::string& caminho = "", bool abstrato = false) : fd(socket(familia, SOCK_STREAM, 0)) {
    sockaddr_storage s{};
    auto& local = reinterpret_cast<sockaddr_un&>(s);
    auto& tcp = reinterpret_cast<sockaddr_in&>(s);
    socklen_t n = sizeof tcp;
    if (familia == AF_UNIX) {
      local.sun_family = AF_UNIX;
      std::memcpy(local.sun_path + abstrato, caminho.data(), caminho.size());
      n = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + caminho.size() + 1);   // abstract: its 0 first; file: at the end
    } else {
      tcp.sin_family = AF_INET;
      tcp.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&s), n) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&s), &n) != 0) throw std::runtime_error("escuta");
    porta = ntohs(tcp.sin_port);
  }
  ~Escuta() { close(fd); }
  int fd, porta;
};

TEST(TelaGraficaTest, AvailableOnlyWhenTheNamedServerAnswersOrNoneIsNeeded) {
  teste::PastaTemporaria pasta;
  // Display numbers nobody uses: the test's own process id keeps them apart from other runs.
  const int x = 40000 + (getpid() % 5000) * 2;
  const std::string telaX = ":" + std::to_string(x), telaMuda = ":" + std::to_string(x + 1);
  const std::string runtime = pasta.Caminho().string(), wayland = runtime + "/wayland-0";
  Escuta servidorX(AF_UNIX, "/tmp/.X11-unix/X" + std::to_string(x), true), servidorWayland(AF_UNIX, wayland), tcp(AF_INET);
  using O = std::optional<std::string>;
  const struct {
    O plataforma, wayland, display, runtime;
    bool disponivel;
    std::string motivo;   // part of the reason when not available
  } casos[] = {
      {{}, {}, {}, {}, false, "DISPLAY e WAYLAND_DISPLAY não definidas"},
      {"offscreen", {}, {}, {}, true, ""},
      {{}, {}, telaX, {}, true, ""},
      {{}, {}, telaX + ".0", {}, true, ""},
      {{}, {}, telaMuda, {}, false, "DISPLAY=" + telaMuda + " não responde"},
      {{}, {}, "127.0.0.1:" + std::to_string(tcp.porta - 6000), {}, true, ""},
      {{}, {}, "tela", {}, false, "não é um endereço de tela válido"},
      {"xcb", {}, {}, {}, false, "QT_QPA_PLATFORM=xcb sem DISPLAY"},
      {"xcb", {}, telaX, {}, true, ""},
      {{}, wayland, {}, {}, true, ""},
      {{}, "wayland-0", {}, runtime, true, ""},
      {{}, "wayland-9", telaX, runtime, true, ""},
      {{}, "wayland-9", {}, runtime, false, "WAYLAND_DISPLAY=wayland-9 não responde"},
      {"wayland", {}, telaX, {}, false, "sem WAYLAND_DISPLAY"},
  };
  for (const auto& c : casos) {
    teste::VariavelAmbiente p("QT_QPA_PLATFORM", c.plataforma), w("WAYLAND_DISPLAY", c.wayland),
        d("DISPLAY", c.display), r("XDG_RUNTIME_DIR", c.runtime);
    const SituacaoTela s = VerificaTelaGrafica();
    EXPECT_TRUE(s.disponivel == c.disponivel && (c.disponivel ? s.motivo.empty() : s.motivo.find(c.motivo) != std::string::npos))
        << "row " << (&c - casos) << ": " << s.disponivel << " " << s.motivo;
  }
}

}  // namespace
}  // namespace velant
