#pragma once
// Several processes against one database, let go at the same moment. Each
// child runs `filho(indice, largada, escreve)`: `largada()` waits for the
// start, `escreve(v)` hands a value to the parent; its result is its exit
// code (an exception: 2, a message box of its `ui`: 3). The parent collects
// the values of each child and checks that every one exited with 0.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "ui/interface_headless.h"

namespace velant::data::teste {

template <typename T>
using FilhoCorrida = std::function<int(int indice, InterfaceHeadless& ui, const std::function<void()>& largada,
                                       const std::function<void(T)>& escreve)>;

template <typename T>
std::vector<std::vector<T>> CorridaDeProcessos(int processos, const FilhoCorrida<T>& filho) {
  int largada[2];
  if (pipe(largada) != 0) throw std::runtime_error("pipe");
  std::vector<pid_t> filhos;
  std::vector<int> leituras;
  for (int i = 0; i < processos; ++i) {
    int p[2];
    if (pipe(p) != 0) throw std::runtime_error("pipe");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
      close(p[0]);
      close(largada[1]);
      int codigo = 2;
      try {
        InterfaceHeadless ui(true);
        codigo = filho(
            i, ui, [&] { char c; if (read(largada[0], &c, 1) < 0) _exit(5); },
            [&](T v) { if (write(p[1], &v, sizeof v) != static_cast<ssize_t>(sizeof v)) _exit(6); });
        if (codigo == 0 && !ui.Caixas().empty()) codigo = 3;
      } catch (...) {
      }
      close(p[1]);
      _exit(codigo);
    }
    close(p[1]);
    filhos.push_back(pid);
    leituras.push_back(p[0]);
  }
  close(largada[0]);
  close(largada[1]);   // all start together

  std::vector<std::vector<T>> escritos(leituras.size());
  for (size_t i = 0; i < leituras.size(); ++i) {
    T valor;
    while (read(leituras[i], &valor, sizeof valor) == static_cast<ssize_t>(sizeof valor)) escritos[i].push_back(valor);
    close(leituras[i]);
  }
  for (size_t i = 0; i < filhos.size(); ++i) {
    int estado = 0;
    EXPECT_EQ(waitpid(filhos[i], &estado, 0), filhos[i]);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0) << "processo " << i << " estado " << estado;
  }
  return escritos;
}

}  // namespace velant::data::teste
