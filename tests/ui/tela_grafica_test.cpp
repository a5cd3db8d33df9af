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

using teste::VariavelAmbiente;

// A server socket standing in for a display server: abstract or file (local) or TCP on 127.0.0.1.
class Escuta {
 public:
  static Escuta Local(const std::string& caminho, bool abstrato) {
    Escuta e(socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const size_t inicio = abstrato ? 1 : 0;
    std::memcpy(a.sun_path + inicio, caminho.data(), caminho.size());
    socklen_t n = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + inicio + caminho.size() + (abstrato ? 0 : 1));
    e.Escutar(reinterpret_cast<sockaddr*>(&a), n);
    return e;
  }
  static Escuta Tcp() {
    Escuta e(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    e.Escutar(reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    getsockname(e.fd_, reinterpret_cast<sockaddr*>(&a), &n);
    e.porta_ = ntohs(a.sin_port);
    return e;
  }
  Escuta(Escuta&& o) noexcept : fd_(o.fd_), porta_(o.porta_) { o.fd_ = -1; }
  ~Escuta() {
    if (fd_ >= 0) close(fd_);
  }
  int Porta() const { return porta_; }

 private:
  explicit Escuta(int fd) : fd_(fd) {}
  void Escutar(sockaddr* a, socklen_t n) {
    if (fd_ < 0 || bind(fd_, a, n) != 0 || listen(fd_, 4) != 0) throw std::runtime_error("escuta");
  }
  int fd_;
  int porta_ = 0;
};

// A display number nobody uses: the test's own process id keeps it apart from other runs.
int NumeroLivre(int deslocamento) { return 40000 + (getpid() % 5000) * 2 + deslocamento; }

TEST(TelaGraficaTest, AvailableOnlyWhenTheNamedServerAnswersOrNoneIsNeeded) {
  teste::PastaTemporaria pasta;
  const int x = NumeroLivre(0);
  const int mudo = NumeroLivre(1);
  Escuta servidorX = Escuta::Local("/tmp/.X11-unix/X" + std::to_string(x), true);
  Escuta tcp = Escuta::Tcp();
  const std::string wayland = (pasta.Caminho() / "wayland-0").string();
  Escuta servidorWayland = Escuta::Local(wayland, false);

  const std::string telaX = ":" + std::to_string(x);
  const std::string telaMuda = ":" + std::to_string(mudo);
  using O = std::optional<std::string>;
  const struct {
    const char* nome;
    O plataforma, wayland, display, runtime;
    bool disponivel;
    std::string motivo;   // part of the reason when not available
  } casos[] = {
      {"nothing set", {}, {}, {}, {}, false, "DISPLAY e WAYLAND_DISPLAY não definidas"},
      {"offscreen needs no server", "offscreen", {}, {}, {}, true, ""},
      {"X answering on its abstract socket", {}, {}, telaX, {}, true, ""},
      {"X screen number after the display", {}, {}, telaX + ".0", {}, true, ""},
      {"X not answering", {}, {}, telaMuda, {}, false, "DISPLAY=" + telaMuda + " não responde"},
      {"X over TCP", {}, {}, "127.0.0.1:" + std::to_string(tcp.Porta() - 6000), {}, true, ""},
      {"not a display address", {}, {}, "tela", {}, false, "não é um endereço de tela válido"},
      {"xcb without DISPLAY", "xcb", {}, {}, {}, false, "QT_QPA_PLATFORM=xcb sem DISPLAY"},
      {"xcb with X answering", "xcb", {}, telaX, {}, true, ""},
      {"wayland socket by absolute path", {}, wayland, {}, {}, true, ""},
      {"wayland socket under XDG_RUNTIME_DIR", {}, "wayland-0", {}, pasta.Caminho().string(), true, ""},
      {"wayland gone, X answering", {}, "wayland-9", telaX, pasta.Caminho().string(), true, ""},
      {"wayland gone, no X", {}, "wayland-9", {}, pasta.Caminho().string(), false, "WAYLAND_DISPLAY=wayland-9 não responde"},
      {"wayland platform without WAYLAND_DISPLAY", "wayland", {}, telaX, {}, false, "sem WAYLAND_DISPLAY"},
  };
  for (const auto& c : casos) {
    VariavelAmbiente p("QT_QPA_PLATFORM", c.plataforma), w("WAYLAND_DISPLAY", c.wayland), d("DISPLAY", c.display),
        r("XDG_RUNTIME_DIR", c.runtime);
    const SituacaoTela s = VerificaTelaGrafica();
    EXPECT_EQ(s.disponivel, c.disponivel) << c.nome << ": " << s.motivo;
    if (c.disponivel) {
      EXPECT_EQ(s.motivo, "") << c.nome;
    } else {
      EXPECT_NE(s.motivo.find(c.motivo), std::string::npos) << c.nome << ": " << s.motivo;
    }
  }
}

}  // namespace
}  // namespace velant
