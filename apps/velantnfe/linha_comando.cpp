#include "linha_comando.h"

#include <algorithm>
#include <stdexcept>

#include "manager/ambiente_host.h"

namespace velant::app {

namespace {

bool Aceita(const SintaxeComando& s, const std::string& opcao) {
  return std::find(s.opcoes.begin(), s.opcoes.end(), opcao) != s.opcoes.end();
}

bool Opcional(const std::string& nome) { return !nome.empty() && nome.front() == '['; }

bool PareceOpcao(const std::string& arg) { return arg.size() > 1 && arg.front() == '-'; }

}  // namespace

bool PedeAjuda(const std::vector<std::string>& argumentos) {
  return std::any_of(argumentos.begin(), argumentos.end(),
                     [](const std::string& a) { return a == "--help" || a == "-h"; });
}

std::optional<std::string> ConfereArgumentos(const SintaxeComando& sintaxe,
                                             const std::vector<std::string>& argumentos) {
  OpcoesHost opcoes;
  try {
    opcoes = OpcoesHost::Ler(argumentos);
  } catch (const std::invalid_argument& e) {
    return std::string(e.what());
  }
  const struct {
    const char* nome;
    bool presente;
  } conhecidas[] = {{"--raiz", !opcoes.raiz.empty()},
                    {"--registro", !opcoes.registro.empty()},
                    {"--uma-vez", opcoes.umaVez},
                    {"--janela", opcoes.janela}};
  for (const auto& c : conhecidas) {
    if (c.presente && !Aceita(sintaxe, c.nome)) return std::string("a opção ") + c.nome + " não se aplica a este comando";
  }
  std::vector<std::string> posicionais;
  for (const std::string& a : opcoes.resto) {
    if (PareceOpcao(a)) return "opção desconhecida: " + a;
    posicionais.push_back(a);
  }
  const auto& nomes = sintaxe.argumentos;
  const size_t obrigatorios = static_cast<size_t>(std::count_if(nomes.begin(), nomes.end(),
                                                                [](const std::string& n) { return !Opcional(n); }));
  if (posicionais.size() < obrigatorios) return "falta o argumento " + nomes[posicionais.size()];
  if (posicionais.size() > nomes.size()) return "argumento a mais: " + posicionais[nomes.size()];
  return std::nullopt;
}

std::string AjudaComando(const SintaxeComando& sintaxe) {
  std::string texto = std::string("uso: ") + sintaxe.uso + "\n\n" + sintaxe.resumo + "\n";
  if (sintaxe.detalhes != nullptr && *sintaxe.detalhes != '\0') texto += std::string("\n") + sintaxe.detalhes;
  if (!texto.empty() && texto.back() != '\n') texto += '\n';
  return texto;
}

}  // namespace velant::app
