#include "plataforma/perfil_ini.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include "base/arquivos.h"
#include "base/texto.h"

namespace fs = std::filesystem;

namespace velant {

namespace {

// The profile API hands back at most 254 characters (255 with the NUL).
constexpr int64_t kTamanhoMaximoValor = 254;

struct Linha {
  std::string bruta;   // as in the file, without its line ending
  std::string fim;     // "\r\n", "\n" or "" (last line without one)
};

// A stray CR (a last line ended by CR alone, a file cut by hand) is white
// space too, as for the profile API: "dvk_data.db\r" would name another file.
std::string TirarBrancos(std::string_view s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string_view::npos) return {};
  size_t b = s.find_last_not_of(" \t\r");
  return std::string(s.substr(a, b - a + 1));
}

bool LerArquivo(const fs::path& arquivo, std::string& conteudo) {
  auto lido = LerArquivoComum(arquivo);
  if (!lido) return false;
  conteudo = std::move(*lido);
  return true;
}

std::vector<Linha> Dividir(const std::string& conteudo) {
  std::vector<Linha> linhas;
  size_t inicio = 0;
  while (inicio < conteudo.size()) {
    size_t nl = conteudo.find('\n', inicio);
    if (nl == std::string::npos) {
      linhas.push_back({conteudo.substr(inicio), ""});
      break;
    }
    bool cr = nl > inicio && conteudo[nl - 1] == '\r';
    size_t fimTexto = cr ? nl - 1 : nl;
    linhas.push_back({conteudo.substr(inicio, fimTexto - inicio), cr ? "\r\n" : "\n"});
    inicio = nl + 1;
  }
  return linhas;
}

// What one line means to the profile API.
struct Sentido {
  enum Tipo { Outra, Secao, Chave } tipo = Outra;
  std::string nome;    // section or key, upper case for comparing
  std::string valor;   // raw value text after "=" (keys only)
};

Sentido Interpretar(std::string_view bruta, bool primeira) {
  if (primeira && bruta.substr(0, 3) == "\xEF\xBB\xBF") bruta.remove_prefix(3);
  std::string linha = TirarBrancos(bruta);
  Sentido s;
  if (linha.empty() || linha.front() == ';') return s;
  if (linha.front() == '[') {
    size_t fecha = linha.find(']');
    s.tipo = Sentido::Secao;
    s.nome = UCase(ParaUtf8(TirarBrancos(linha.substr(1, fecha == std::string::npos ? std::string::npos : fecha - 1))));
    return s;
  }
  size_t igual = linha.find('=');
  if (igual == std::string::npos) return s;
  s.tipo = Sentido::Chave;
  s.nome = UCase(ParaUtf8(TirarBrancos(linha.substr(0, igual))));
  s.valor = linha.substr(igual + 1);
  return s;
}

std::string LimparValor(const std::string& bruto) {
  std::string v = TirarBrancos(bruto);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return Left(ParaUtf8(v), kTamanhoMaximoValor);
}

// A write the profile API cannot make is not reported: the value stays as it was.
void GravarInteiro(const fs::path& arquivo, const std::string& conteudo) {
  try {
    GravaArquivo(arquivo, conteudo);
  } catch (const ErroExecucao&) {
  }
}

}  // namespace

std::string PerfilIni::LerIni(const std::string& secao, const std::string& chave,
                              const std::string& arquivoWindows) const {
  std::string conteudo;
  if (!LerArquivo(caminhos_.Mapear(arquivoWindows), conteudo)) return "";
  const std::string secaoProcurada = UCase(TirarBrancos(secao));
  const std::string chaveProcurada = UCase(TirarBrancos(chave));
  bool naSecao = false;
  bool secaoVista = false;
  std::vector<Linha> linhas = Dividir(conteudo);
  for (size_t i = 0; i < linhas.size(); ++i) {
    Sentido s = Interpretar(linhas[i].bruta, i == 0);
    if (s.tipo == Sentido::Secao) {
      // Only the first section of that name counts, as with the API.
      if (naSecao) break;
      naSecao = !secaoVista && s.nome == secaoProcurada;
      secaoVista = secaoVista || naSecao;
    } else if (naSecao && s.tipo == Sentido::Chave && s.nome == chaveProcurada) {
      return LimparValor(s.valor);
    }
  }
  return "";
}

void PerfilIni::GravarIni(const std::string& secao, const std::string& chave, const std::string& valor,
                          const std::string& arquivoWindows) const {
  const fs::path arquivo = caminhos_.MapearParaGravar(arquivoWindows);
  std::string conteudo;
  LerArquivo(arquivo, conteudo);
  std::vector<Linha> linhas = Dividir(conteudo);

  // Keep the file's own line ending; new files get CR LF.
  std::string fimLinha = "\r\n";
  for (const Linha& l : linhas) {
    if (!l.fim.empty()) {
      fimLinha = l.fim;
      break;
    }
  }

  const std::string secaoProcurada = UCase(TirarBrancos(secao));
  const std::string chaveProcurada = UCase(TirarBrancos(chave));
  const std::string novaLinha = chave + "=" + valor;

  std::optional<size_t> inicioSecao;
  size_t ultimaChave = 0;   // last key line of the section, or its header
  bool substituida = false;
  for (size_t i = 0; i < linhas.size(); ++i) {
    Sentido s = Interpretar(linhas[i].bruta, i == 0);
    if (s.tipo == Sentido::Secao) {
      if (inicioSecao) break;
      if (s.nome == secaoProcurada) {
        inicioSecao = i;
        ultimaChave = i;
      }
      continue;
    }
    if (!inicioSecao) continue;
    if (s.tipo == Sentido::Chave && s.nome == chaveProcurada) {
      linhas[i].bruta = novaLinha;
      if (linhas[i].fim.empty()) linhas[i].fim = fimLinha;
      substituida = true;
      break;
    }
    // Comments and blank lines after the last key belong to what follows.
    if (s.tipo == Sentido::Chave) ultimaChave = i;
  }

  if (!inicioSecao) {
    if (!linhas.empty() && linhas.back().fim.empty()) linhas.back().fim = fimLinha;
    linhas.push_back({"[" + secao + "]", fimLinha});
    linhas.push_back({novaLinha, fimLinha});
  } else if (!substituida) {
    if (linhas[ultimaChave].fim.empty()) linhas[ultimaChave].fim = fimLinha;
    linhas.insert(linhas.begin() + static_cast<std::ptrdiff_t>(ultimaChave) + 1, Linha{novaLinha, fimLinha});
  }

  std::string saida;
  saida.reserve(conteudo.size() + novaLinha.size() + secao.size() + 8);
  for (const Linha& l : linhas) saida += l.bruta + l.fim;
  GravarInteiro(arquivo, saida);
}

}  // namespace velant
