#include "manager/trava_instancia.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace velant {

TravaInstancia::~TravaInstancia() { Liberar(); }

TravaInstancia::Resultado TravaInstancia::Obter(const std::filesystem::path& arquivo) {
  Liberar();
  int fd = ::open(arquivo.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return Resultado::Indisponivel;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool ocupada = errno == EWOULDBLOCK;
    ::close(fd);
    return ocupada ? Resultado::OutraInstancia : Resultado::Indisponivel;
  }
  fd_ = fd;
  return Resultado::Obtida;
}

void TravaInstancia::Liberar() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace velant
