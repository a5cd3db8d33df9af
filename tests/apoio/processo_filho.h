#pragma once
// Servers the tests start as child processes (the authority simulator, the
// SMTP server): started with their output in a log file, killed with the
// test process should it die first, waited for until they write their
// port, and stopped with SIGTERM (SIGKILL after a bound).
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "apoio/arquivos_teste.h"

namespace velant::teste {

// execv(args[0], args), standard output and error appended to `log`.
inline pid_t IniciaProcesso(std::vector<std::string> args, const std::filesystem::path& log) {
  pid_t pai = getpid();
  pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != pai) _exit(1);
    FILE* f = std::freopen(log.c_str(), "a", stdout);
    (void)f;
    dup2(fileno(stdout), STDERR_FILENO);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (pid < 0) throw std::runtime_error("fork falhou");
  return pid;
}

// Waits (20 s at most) until the process wrote its port to `arquivoPorta`;
// the port. Raises naming `quem` and quoting its log when it ended first or
// never did; `pid` is then -1, or still the process when it is alive.
inline int EsperaPortaDoProcesso(pid_t& pid, const std::filesystem::path& arquivoPorta, const std::string& quem,
                                 const std::function<std::string()>& log) {
  auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!std::filesystem::exists(arquivoPorta)) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      pid = -1;
      throw std::runtime_error(quem + " terminou ao iniciar: " + log());
    }
    if (std::chrono::steady_clock::now() > limite) throw std::runtime_error(quem + " não abriu a porta: " + log());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::stoi(LerTudo(arquivoPorta));
}

// SIGTERM, then SIGKILL when it has not ended within `espera`. True when it
// ended by itself; its wait status in `status`.
inline bool ParaProcesso(pid_t pid, std::chrono::milliseconds espera, int& status) {
  kill(pid, SIGTERM);
  auto limite = std::chrono::steady_clock::now() + espera;
  status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > limite) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace velant::teste
