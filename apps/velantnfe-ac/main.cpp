// velantnfe-ac: the front end's side of the request queue, for integrators and tests.
//   enviar ARQUIVO [--ip IP] [--raiz PASTA] [--espera SEGUNDOS] [--confirmar]
//       inserts the request and follows it; exit 0 approved, 1 cancelled by
//       the Host, 2 no answer in time, 3 not inserted
//   listar [--raiz PASTA]           the open requests and the last 20
//   mostrar NSU [--raiz PASTA]      one request whole
#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "base/erro.h"
#include "base/regional.h"
#include "fila_ac.h"

namespace {

constexpr int kSaidaUso = 64;

struct Acao {
  const char* nome;
  const char* uso;
  const char* ajuda;
  std::vector<std::string> opcoes;
  size_t argumentos;   // how many besides the options
  const char* nomeArgumento;
};

const Acao kAcoes[] = {
    {"enviar", "velantnfe-ac enviar ARQUIVO [--ip IP] [--raiz PASTA] [--espera SEGUNDOS] [--confirmar]",
     "Inclui o texto de solicitação do ARQUIVO na fila com o próximo NSU livre, para o Host\n"
     "do IP dado, e acompanha a linha: mostra cada nova Mensagem e a resposta do Host.\n"
     "\n"
     "  --ip IP             IP do Host (padrão: \"IP do Computador a ser processado\" do\n"
     "                      arquivo INI da raiz, senão o IP deste computador)\n"
     "  --raiz PASTA        pasta raiz do Host (arquivo INI e banco de dados)\n"
     "  --espera SEGUNDOS   quanto esperar pela resposta (padrão 60; 0: só incluir)\n"
     "  --confirmar         grava [Hora da Confirmacao AC] quando a resposta chega\n"
     "\n"
     "Saída: 0 aprovada (ATV: assim que o Host a analisou), 1 cancelada pelo Host,\n"
     "2 sem resposta no tempo, 3 não incluída, 64 linha de comando inválida.\n",
     {"--ip", "--raiz", "--espera", "--confirmar"}, 1, "ARQUIVO"},
    {"listar", "velantnfe-ac listar [--raiz PASTA]",
     "Mostra as solicitações abertas (ainda não analisadas) e as 20 últimas.\n", {"--raiz"}, 0, ""},
    {"mostrar", "velantnfe-ac mostrar NSU [--raiz PASTA]",
     "Mostra uma solicitação inteira: carimbos, mensagem e texto.\n", {"--raiz"}, 1, "NSU"},
};

void AjudaGeral(std::FILE* saida) {
  std::fputs("uso: velantnfe-ac AÇÃO [ARGUMENTOS] [OPÇÕES]\n\n"
             "O lado da automação comercial (AC) da fila SolicitacaoFuncaoNFe: inclui\n"
             "solicitações e lê as respostas do Host, no banco da pasta raiz.\n\nAções:\n",
             saida);
  for (const Acao& a : kAcoes) std::fprintf(saida, "  %s\n", a.uso);
  std::fputs("\n\"velantnfe-ac AÇÃO --help\" mostra a ajuda de cada ação.\n", saida);
}

int ErroUso(const std::string& motivo, const Acao* acao) {
  std::fprintf(stderr, "velantnfe-ac%s%s: %s\n", acao ? " " : "", acao ? acao->nome : "", motivo.c_str());
  if (acao != nullptr) std::fprintf(stderr, "uso: %s\n", acao->uso);
  std::fprintf(stderr, "Veja \"velantnfe-ac%s%s --help\".\n", acao ? " " : "", acao ? acao->nome : "");
  return kSaidaUso;
}

std::optional<int> Inteiro(const std::string& texto) {
  try {
    size_t fim = 0;
    int valor = std::stoi(texto, &fim);
    if (fim == texto.size()) return valor;
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

// The options of one action; why they do not fit, when they do not.
std::optional<std::string> LerOpcoes(const Acao& acao, const std::vector<std::string>& args,
                                     velant::ac::OpcoesAC& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool opcao = a.size() > 1 && a[0] == '-';
    if (!opcao) {
      o.resto.push_back(a);
      continue;
    }
    if (std::find(acao.opcoes.begin(), acao.opcoes.end(), a) == acao.opcoes.end()) {
      const bool outraAcao = a == "--ip" || a == "--raiz" || a == "--espera" || a == "--confirmar";
      return outraAcao ? "a opção " + a + " não se aplica a " + acao.nome : "opção desconhecida: " + a;
    }
    if (a == "--confirmar") {
      o.confirmar = true;
      continue;
    }
    if (i + 1 >= args.size()) return "opção " + a + " sem valor";
    const std::string& valor = args[++i];
    if (a == "--raiz") {
      o.raiz = valor;
    } else if (a == "--ip") {
      o.ip = valor;
    } else if (a == "--espera") {
      auto n = Inteiro(valor);
      if (!n || *n < 0) return "valor inválido para --espera (segundos, 0 ou mais): " + valor;
      o.esperaSegundos = *n;
    }
  }
  if (o.resto.size() < acao.argumentos) return std::string("falta o argumento ") + acao.nomeArgumento;
  if (o.resto.size() > acao.argumentos) return "argumento a mais: " + o.resto[acao.argumentos];
  return std::nullopt;
}

int Executa(const Acao& acao, velant::ac::OpcoesAC& opcoes) {
  const std::string nome = acao.nome;
  if (nome == "mostrar") {
    auto nsu = Inteiro(opcoes.resto[0]);
    if (!nsu) return ErroUso("NSU inválido: " + opcoes.resto[0], &acao);
    // Reading never creates a root, a folder or a database.
    velant::ac::FilaAC fila(opcoes, velant::ac::UsoFila::Leitura);
    return velant::ac::Mostrar(fila, *nsu);
  }
  if (nome == "enviar") {
    velant::ac::FilaAC fila(opcoes);
    return velant::ac::Enviar(fila, opcoes, opcoes.resto[0]);
  }
  velant::ac::FilaAC fila(opcoes, velant::ac::UsoFila::Leitura);
  return velant::ac::Listar(fila);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    AjudaGeral(stderr);
    return kSaidaUso;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    AjudaGeral(stdout);
    return 0;
  }
  const Acao* acao = nullptr;
  for (const Acao& a : kAcoes)
    if (args[0] == a.nome) acao = &a;
  if (acao == nullptr) {
    return ErroUso(args[0][0] == '-' ? "opção desconhecida: " + args[0] : "ação desconhecida: " + args[0], nullptr);
  }
  std::vector<std::string> resto(args.begin() + 1, args.end());
  if (std::find_if(resto.begin(), resto.end(), [](const std::string& a) { return a == "--help" || a == "-h"; }) !=
      resto.end()) {
    std::printf("uso: %s\n\n%s", acao->uso, acao->ajuda);
    return 0;
  }
  velant::ac::OpcoesAC opcoes;
  if (auto erro = LerOpcoes(*acao, resto, opcoes)) return ErroUso(*erro, acao);
  try {
    return Executa(*acao, opcoes);
  } catch (const velant::ErroExecucao& e) {
    std::fprintf(stderr, "velantnfe-ac: %d - %s\n", e.Numero(), e.Descricao().c_str());
    return 3;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velantnfe-ac: %s\n", e.what());
    return 3;
  }
}
