// velantnfe-ac: the front end's side of the request queue, for integrators and tests.
//   enviar ARQUIVO [--ip IP] [--raiz PASTA] [--espera SEGUNDOS] [--confirmar] [--campo CODIGO=VALOR]...
//       inserts the request and follows it; exit 0 approved, 1 cancelled by
//       the Host, 2 no answer in time, 3 not inserted
//   listar [--raiz PASTA]           the open requests and the last 20
//   mostrar NSU [--raiz PASTA]      one request whole
//   consultar NUMERO [--serie S] [--empresa N] [--valor chave|protocolo|etapa] [--raiz PASTA]
//       the invoice's row of MovimentoNFe (key, protocol, step)
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
    {"enviar",
     "velantnfe-ac enviar ARQUIVO [--ip IP] [--raiz PASTA] [--espera SEGUNDOS] [--confirmar] [--campo CODIGO=VALOR]...",
     "Inclui o texto de solicitação do ARQUIVO na fila com o próximo NSU livre, para o Host\n"
     "do IP dado, e acompanha a linha: mostra cada nova Mensagem e a resposta do Host.\n"
     "\n"
     "  --ip IP             IP do Host (padrão: \"IP do Computador a ser processado\" do\n"
     "                      arquivo INI da raiz, senão o IP deste computador)\n"
     "  --raiz PASTA        pasta raiz do Host (arquivo INI e banco de dados)\n"
     "  --espera SEGUNDOS   quanto esperar pela resposta (padrão 60; 0: só incluir)\n"
     "  --confirmar         grava [Hora da Confirmacao AC] quando a resposta chega\n"
     "  --campo CODIGO=VALOR  troca o valor do campo no texto (ou o inclui depois de\n"
     "                      001-000), por exemplo --campo 051-000=135260000000001;\n"
     "                      pode ser repetida\n"
     "\n"
     "A raiz precisa existir e ter o arquivo INI que o Host grava: nada é criado\n"
     "para uma raiz digitada errado. Se nenhum Host pega a solicitação em 5 s, um\n"
     "aviso diz o que a fila mostra (Host ocupado, parado, ou outro IP atendido).\n"
     "\n"
     "Saída: 0 aprovada (ATV: assim que o Host a analisou), 1 cancelada pelo Host,\n"
     "2 sem resposta no tempo, 3 não incluída, 64 linha de comando inválida.\n",
     {"--ip", "--raiz", "--espera", "--confirmar", "--campo"}, 1, "ARQUIVO"},
    {"listar", "velantnfe-ac listar [--raiz PASTA]",
     "Mostra as solicitações abertas (ainda não analisadas) e as 20 últimas.\n", {"--raiz"}, 0, ""},
    {"mostrar", "velantnfe-ac mostrar NSU [--raiz PASTA]",
     "Mostra uma solicitação inteira: carimbos, mensagem e texto.\n", {"--raiz"}, 1, "NSU"},
    {"consultar",
     "velantnfe-ac consultar NUMERO [--serie SERIE] [--empresa N] [--valor chave|protocolo|etapa] [--raiz PASTA]",
     "Mostra a nota NUMERO como o Host a registrou em MovimentoNFe: chave de acesso,\n"
     "protocolo de autorização, etapa concluída e data (e o protocolo do cancelamento,\n"
     "se houver).\n"
     "\n"
     "  --serie SERIE       série da nota (padrão 1)\n"
     "  --empresa N         código da empresa (padrão: qualquer uma)\n"
     "  --valor NOME        só o valor, para scripts: chave, protocolo ou etapa\n"
     "\n"
     "Saída: 0 encontrada, 1 não encontrada (ou, com --valor protocolo, ainda sem\n"
     "protocolo), 3 banco inacessível, 64 linha de comando inválida.\n",
     {"--serie", "--empresa", "--valor", "--raiz"}, 1, "NUMERO"},
};

// Every option of every action, to tell "not for this action" from "unknown".
bool OpcaoDeAlgumaAcao(const std::string& opcao) {
  for (const Acao& a : kAcoes)
    if (std::find(a.opcoes.begin(), a.opcoes.end(), opcao) != a.opcoes.end()) return true;
  return false;
}

// "NNN-NNN=VALOR"
bool CampoValido(const std::string& campo) {
  if (campo.size() < 8 || campo[3] != '-' || campo[7] != '=') return false;
  for (size_t i : {0, 1, 2, 4, 5, 6})
    if (campo[i] < '0' || campo[i] > '9') return false;
  return true;
}

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
      return OpcaoDeAlgumaAcao(a) ? "a opção " + a + " não se aplica a " + acao.nome : "opção desconhecida: " + a;
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
    } else if (a == "--campo") {
      if (!CampoValido(valor)) return "valor inválido para --campo (CODIGO=VALOR, código como 051-000): " + valor;
      o.campos.push_back(valor);
    } else if (a == "--serie") {
      o.serie = valor;
    } else if (a == "--empresa") {
      auto n = Inteiro(valor);
      if (!n || *n < 0) return "valor inválido para --empresa (código, 0 ou mais): " + valor;
      o.empresa = *n;
    } else if (a == "--valor") {
      if (valor != "chave" && valor != "protocolo" && valor != "etapa") {
        return "valor inválido para --valor (chave, protocolo ou etapa): " + valor;
      }
      o.valor = valor;
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
  if (nome == "consultar") {
    auto numero = Inteiro(opcoes.resto[0]);
    if (!numero || *numero <= 0) return ErroUso("número de nota inválido: " + opcoes.resto[0], &acao);
    velant::ac::FilaAC fila(opcoes, velant::ac::UsoFila::Leitura);
    return velant::ac::Consultar(fila, opcoes, *numero);
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
