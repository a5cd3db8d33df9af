#pragma once
// Several processes that start at the same moment against one database:
// each child gets its index, the write end of its own pipe and the start
// gate (a read on it returns when the parent lets all go), and ends with
// _exit. The parent collects what each wrote, as values of T, and checks
// that every child exited with 0.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace velant::data::teste {

template <typename T>
std::vector<std::vector<T>> CorridaDeProcessos(int processos,
                                               const std::function<void(int indice, int escrita, int largada)>& filho) {
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
      filho(i, p[1], largada[0]);
      _exit(7);   // the child's function ends the process itself
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
