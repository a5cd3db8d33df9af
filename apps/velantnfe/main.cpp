// velantnfe: the Host, and the integrators' sub-commands (banco, vetores, gerar).
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "comandos.h"

namespace velant::app {

static std::map<std::string, FuncaoComando>& Tabela() {
  static std::map<std::string, FuncaoComando> tabela;
  return tabela;
}

RegistroComando::RegistroComando(const char* nome, FuncaoComando funcao) { Tabela()[nome] = funcao; }

FuncaoComando ProcuraComando(const std::string& nome) {
  auto it = Tabela().find(nome);
  return it == Tabela().end() ? nullptr : it->second;
}

}  // namespace velant::app

int main(int argc, char** argv) {
  std::vector<std::string> argumentos(argv + 1, argv + argc);
  std::string nome = "host";
  if (!argumentos.empty() && velant::app::ProcuraComando(argumentos.front()) != nullptr) {
    nome = argumentos.front();
    argumentos.erase(argumentos.begin());
  }
  auto funcao = velant::app::ProcuraComando(nome);
  if (funcao == nullptr) {
    std::fprintf(stderr, "velantnfe: comando desconhecido: %s\n", nome.c_str());
    return 64;
  }
  try {
    return funcao(argumentos);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velantnfe: %s\n", e.what());
    return 70;
  }
}
