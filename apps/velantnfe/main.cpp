// velantnfe: the Host, and the integrators' sub-commands (banco, cidades,
// gerar, vetores...). "velantnfe --help" lists them all.
#include <cstdio>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "comandos.h"
#include "linha_comando.h"

namespace velant::app {

namespace {

struct Entrada {
  FuncaoComando funcao = nullptr;
  std::optional<SintaxeComando> sintaxe;
};

std::map<std::string, Entrada>& Tabela() {
  static std::map<std::string, Entrada> tabela;
  return tabela;
}

// "velantnfe banco criar [--raiz PASTA]" gives "banco criar".
std::string NomeNoUso(const std::string& nome, const Entrada& e) {
  if (!e.sintaxe) return nome;
  std::string uso = e.sintaxe->uso;
  std::string resultado;
  size_t i = uso.find(' ');
  while (i != std::string::npos) {
    size_t fim = uso.find(' ', i + 1);
    std::string palavra = uso.substr(i + 1, fim == std::string::npos ? std::string::npos : fim - i - 1);
    if (palavra.empty() || !(palavra[0] >= 'a' && palavra[0] <= 'z')) break;
    resultado += (resultado.empty() ? "" : " ") + palavra;
    i = fim;
  }
  return resultado.empty() ? nome : resultado;
}

void AjudaGeral(std::FILE* saida) {
  std::fputs(
      "uso: velantnfe [--raiz PASTA] [--registro ARQUIVO] [--uma-vez] [--janela]\n"
      "     velantnfe COMANDO [ARGUMENTOS] [OPÇÕES]\n"
      "\n"
      "Sem comando roda o Host, que atende a fila SolicitacaoFuncaoNFe uma vez por\n"
      "segundo até receber SIGTERM ou SIGINT.\n"
      "\n"
      "Comandos:\n",
      saida);
  for (const auto& [nome, entrada] : Tabela()) {
    const char* resumo = entrada.sintaxe ? entrada.sintaxe->resumo : "";
    std::fprintf(saida, "  %-13s %s\n", NomeNoUso(nome, entrada).c_str(), resumo);
  }
  std::fputs(
      "\n"
      "Opções:\n"
      "  --raiz PASTA        pasta raiz dos caminhos Windows (C:\\... fica em PASTA/C/...);\n"
      "                      padrão: $VELANT_RAIZ, senão ~/.local/share/velantnfe\n"
      "  --registro ARQUIVO  arquivo .reg com os valores da chave HKEY_CURRENT_USER\\nfe;\n"
      "                      padrão: $VELANT_REGISTRO, senão ~/.config/velantnfe/registro.reg\n"
      "  -h, --help          esta ajuda; \"velantnfe COMANDO --help\" mostra a de cada comando\n",
      saida);
}

int ErroUso(const std::string& comando, const std::string& motivo, const SintaxeComando* sintaxe) {
  std::fprintf(stderr, "%s: %s\n", comando.c_str(), motivo.c_str());
  if (sintaxe != nullptr) std::fprintf(stderr, "uso: %s\n", sintaxe->uso);
  std::fprintf(stderr, "Veja \"%s --help\".\n", comando.c_str());
  return kSaidaUso;
}

}  // namespace

RegistroComando::RegistroComando(const char* nome, FuncaoComando funcao) { Tabela()[nome] = {funcao, std::nullopt}; }

RegistroComando::RegistroComando(const char* nome, FuncaoComando funcao, SintaxeComando sintaxe) {
  Tabela()[nome] = {funcao, std::move(sintaxe)};
}

FuncaoComando ProcuraComando(const std::string& nome) {
  auto it = Tabela().find(nome);
  return it == Tabela().end() ? nullptr : it->second.funcao;
}

int Principal(std::vector<std::string> argumentos) {
  std::string nome = "host";
  if (!argumentos.empty()) {
    const std::string& primeiro = argumentos.front();
    if (primeiro == "--help" || primeiro == "-h") {
      AjudaGeral(stdout);
      return 0;
    }
    if (Tabela().count(primeiro) != 0) {
      nome = primeiro;
      argumentos.erase(argumentos.begin());
    } else if (primeiro.empty() || primeiro.front() != '-') {
      return ErroUso("velantnfe", "comando desconhecido: " + primeiro, nullptr);
    }
  }
  auto it = Tabela().find(nome);
  if (it == Tabela().end()) return ErroUso("velantnfe", "comando desconhecido: " + nome, nullptr);
  const Entrada& entrada = it->second;
  const std::string comando = nome == "host" ? "velantnfe" : "velantnfe " + nome;

  if (entrada.sintaxe) {
    if (PedeAjuda(argumentos)) {
      if (nome == "host") {
        AjudaGeral(stdout);
      } else {
        std::fputs(AjudaComando(*entrada.sintaxe).c_str(), stdout);
      }
      return 0;
    }
    if (auto erro = ConfereArgumentos(*entrada.sintaxe, argumentos)) return ErroUso(comando, *erro, &*entrada.sintaxe);
  }
  try {
    return entrada.funcao(argumentos);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", comando.c_str(), e.what());
    return 70;
  }
}

}  // namespace velant::app

int main(int argc, char** argv) { return velant::app::Principal(std::vector<std::string>(argv + 1, argv + argc)); }
