#pragma once
// Sub-commands of the velantnfe executable. Each lives in its own file and
// registers itself; without a known sub-command the Host runs.
#include <string>
#include <vector>

namespace velant::app {

using FuncaoComando = int (*)(const std::vector<std::string>& argumentos);

struct RegistroComando {
  RegistroComando(const char* nome, FuncaoComando funcao);
};

FuncaoComando ProcuraComando(const std::string& nome);

}  // namespace velant::app
