// velantnfe-ac: the front end's side of the request queue, for integrators and tests.
//   enviar ARQUIVO [--ip IP] [--raiz PASTA] [--espera SEGUNDOS] [--confirmar]
//       inserts the request and follows it; exit 0 approved, 1 cancelled by
//       the Host, 2 no answer in time, 3 not inserted
//   listar [--raiz PASTA]           the open requests and the last 20
//   mostrar NSU [--raiz PASTA]      one request whole
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "base/erro.h"
#include "base/regional.h"
#include "fila_ac.h"

namespace {

const char* const kUso =
    "uso: velantnfe-ac enviar ARQUIVO [--ip IP] [--raiz PASTA] [--espera SEGUNDOS] [--confirmar]\n"
    "     velantnfe-ac listar [--raiz PASTA]\n"
    "     velantnfe-ac mostrar NSU [--raiz PASTA]\n";

bool Inteiro(const std::string& texto, int& valor) {
  try {
    size_t fim = 0;
    valor = std::stoi(texto, &fim);
    return fim == texto.size();
  } catch (const std::exception&) {
    return false;
  }
}

bool LerOpcoes(const std::vector<std::string>& args, velant::ac::OpcoesAC& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto valor = [&](std::string& destino) {
      if (i + 1 >= args.size()) return false;
      destino = args[++i];
      return true;
    };
    std::string espera;
    if (a == "--raiz") {
      if (!valor(o.raiz)) return false;
    } else if (a == "--ip") {
      if (!valor(o.ip)) return false;
    } else if (a == "--espera") {
      if (!valor(espera) || !Inteiro(espera, o.esperaSegundos) || o.esperaSegundos < 0) return false;
    } else if (a == "--confirmar") {
      o.confirmar = true;
    } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
      return false;
    } else {
      o.resto.push_back(a);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  velant::ac::OpcoesAC opcoes;
  if (args.empty() || !LerOpcoes(std::vector<std::string>(args.begin() + 1, args.end()), opcoes)) {
    std::fputs(kUso, stderr);
    return 64;
  }
  const std::string& acao = args[0];
  try {
    if (acao == "enviar" && opcoes.resto.size() == 1) {
      velant::ac::FilaAC fila(opcoes);
      return velant::ac::Enviar(fila, opcoes, opcoes.resto[0]);
    }
    if (acao == "listar" && opcoes.resto.empty()) {
      velant::ac::FilaAC fila(opcoes, velant::ac::UsoFila::Leitura);
      return velant::ac::Listar(fila);
    }
    int nsu = 0;
    if (acao == "mostrar" && opcoes.resto.size() == 1 && Inteiro(opcoes.resto[0], nsu)) {
      velant::ac::FilaAC fila(opcoes, velant::ac::UsoFila::Leitura);
      return velant::ac::Mostrar(fila, nsu);
    }
  } catch (const velant::ErroExecucao& e) {
    std::fprintf(stderr, "velantnfe-ac: %d - %s\n", e.Numero(), e.Descricao().c_str());
    return 3;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velantnfe-ac: %s\n", e.what());
    return 3;
  }
  std::fputs(kUso, stderr);
  return 64;
}
