#pragma once
// Sub-commands of the velantnfe executable. Each lives in its own file and
// registers itself; without a sub-command the Host runs.
#include <string>
#include <vector>

namespace velant::app {

using FuncaoComando = int (*)(const std::vector<std::string>& argumentos);

// What the command line of a sub-command takes. Given at registration, it
// lets main answer --help and refuse what the sub-command does not know
// before the sub-command runs; without it the sub-command checks its own.
struct SintaxeComando {
  const char* uso;                         // "velantnfe gerar ARQUIVO [--raiz PASTA] [--registro ARQUIVO]"
  const char* resumo;                      // one line for "velantnfe --help"
  const char* detalhes;                    // the rest of "velantnfe gerar --help"
  std::vector<std::string> opcoes;         // options it takes: "--raiz", "--registro", "--uma-vez", "--janela"
  std::vector<std::string> argumentos;     // names of the other arguments, in order: {"ARQUIVO"}
};

struct RegistroComando {
  RegistroComando(const char* nome, FuncaoComando funcao);
  RegistroComando(const char* nome, FuncaoComando funcao, SintaxeComando sintaxe);
};

FuncaoComando ProcuraComando(const std::string& nome);

}  // namespace velant::app
