#include "base/arquivos.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <vector>

#include "base/erro.h"

namespace velant {

namespace {

struct Descritor {
  int fd = -1;
  ~Descritor() {
    if (fd >= 0) ::close(fd);
  }
};

std::string Sistema(int erro) { return erro == ENOSPC || erro == EDQUOT ? "disco cheio" : std::strerror(erro); }

struct Protegidos {
  std::mutex mutex;
  std::vector<std::filesystem::path> caminhos;
};
Protegidos& ArquivosProtegidos() {
  static Protegidos p;
  return p;
}

}  // namespace

void ProtegeArquivo(const std::filesystem::path& local) {
  std::error_code ec;
  std::filesystem::path absoluto = std::filesystem::absolute(local, ec);
  if (ec) absoluto = local;
  Protegidos& p = ArquivosProtegidos();
  std::lock_guard<std::mutex> trava(p.mutex);
  for (const auto& c : p.caminhos)
    if (c == absoluto) return;
  p.caminhos.push_back(absoluto);
}

bool ArquivoProtegido(const std::filesystem::path& local) {
  struct stat alvo {};
  if (::stat(local.c_str(), &alvo) != 0) return false;
  Protegidos& p = ArquivosProtegidos();
  std::lock_guard<std::mutex> trava(p.mutex);
  // By identity, not by name: a link or another spelling is the same file.
  for (const auto& c : p.caminhos) {
    struct stat protegido {};
    if (::stat(c.c_str(), &protegido) == 0 && protegido.st_dev == alvo.st_dev && protegido.st_ino == alvo.st_ino)
      return true;
  }
  return false;
}

std::optional<std::string> LerArquivoComum(const std::filesystem::path& local, std::string* motivo,
                                           std::size_t limite) {
  auto falha = [&](std::string texto) -> std::optional<std::string> {
    if (motivo) *motivo = std::move(texto);
    return std::nullopt;
  };
  if (ArquivoProtegido(local)) return falha("reservado ao banco de dados");
  // Non-blocking, so that opening a FIFO does not wait for a writer.
  Descritor d{::open(local.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (d.fd < 0) return falha(errno == ENOENT || errno == ENOTDIR ? "não encontrado" : Sistema(errno));
  struct stat info {};
  if (::fstat(d.fd, &info) != 0) return falha(Sistema(errno));
  if (!S_ISREG(info.st_mode)) return falha("não é um arquivo comum");
  if (static_cast<std::size_t>(info.st_size) > limite) {
    return falha("maior que " + std::to_string(limite) + " bytes");
  }
  std::string conteudo(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t lidos = 0;
  for (;;) {
    if (lidos == conteudo.size()) {
      // The file may have grown since fstat; read on, within the limit.
      if (conteudo.size() >= limite + 1) break;
      conteudo.resize(std::min(limite + 1, conteudo.size() + 65536));
    }
    ssize_t n = ::read(d.fd, conteudo.data() + lidos, conteudo.size() - lidos);
    if (n < 0) {
      if (errno == EINTR) continue;
      return falha(Sistema(errno));
    }
    if (n == 0) break;
    lidos += static_cast<std::size_t>(n);
  }
  if (lidos > limite) return falha("maior que " + std::to_string(limite) + " bytes");
  conteudo.resize(lidos);
  return conteudo;
}

std::string LerArquivo(const std::filesystem::path& local, const std::string& nome) {
  std::string motivo;
  auto conteudo = LerArquivoComum(local, &motivo);
  if (!conteudo) {
    if (motivo == "não encontrado") throw ErroExecucao(CodigoErro::ArquivoNaoEncontrado, "Arquivo não encontrado: " + nome);
    throw ErroExecucao(CodigoErro::ArquivoNaoEncontrado, "Arquivo " + nome + " não lido: " + motivo);
  }
  return std::move(*conteudo);
}

std::string LerArquivoDescrito(const std::filesystem::path& local, const std::string& oQue, CodigoErro codigo) {
  std::string motivo;
  auto conteudo = LerArquivoComum(local, &motivo);
  if (!conteudo) throw ErroExecucao(codigo, oQue + " " + motivo + ": " + local.string());
  return std::move(*conteudo);
}

ErroExecucao ErroDeGravacao(const std::filesystem::path& destino, const char* passo, int erro) {
  return ErroExecucao(CodigoErro::ErroDeEntradaSaida,
                      "Não foi possível gravar " + destino.string() + " (" + passo + ": " + Sistema(erro) + ")");
}

void GravaArquivo(const std::filesystem::path& destino, const std::string& conteudo) {
  // One temporary name per process and call: two Hosts writing the same
  // document never share one.
  static std::atomic<unsigned> sequencia{0};
  std::filesystem::path temporario = destino;
  temporario += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(sequencia++);
  auto falha = [&](const char* passo, int erro) {
    ::unlink(temporario.c_str());
    throw ErroDeGravacao(destino, passo, erro);
  };
  // A new file is created as any program creates one: the umask decides. A
  // replaced one keeps its mode, and its copy is never more open meanwhile.
  struct stat atual {};
  const bool existente = ::stat(destino.c_str(), &atual) == 0;
  {
    Descritor d{::open(temporario.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, existente ? 0600 : 0666)};
    if (d.fd < 0) falha("criação", errno);
    std::size_t escritos = 0;
    while (escritos < conteudo.size()) {
      ssize_t n = ::write(d.fd, conteudo.data() + escritos, conteudo.size() - escritos);
      if (n < 0) {
        if (errno == EINTR) continue;
        falha("escrita", errno);
      }
      escritos += static_cast<std::size_t>(n);
    }
    if (existente && ::fchmod(d.fd, atual.st_mode & 07777) != 0) falha("permissões", errno);
    if (::fsync(d.fd) != 0) falha("descarga", errno);
    int fd = d.fd;
    d.fd = -1;
    if (::close(fd) != 0) falha("fechamento", errno);
  }
  if (::rename(temporario.c_str(), destino.c_str()) != 0) falha("renomeação", errno);
}

}  // namespace velant
