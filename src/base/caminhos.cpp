#include "base/caminhos.h"

#include <pwd.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <system_error>
#include <vector>

#include "base/texto.h"

namespace fs = std::filesystem;

namespace velant {

std::string VariavelAmbiente(const char* nome) {
  const char* valor = std::getenv(nome);
  return valor != nullptr ? std::string(valor) : std::string();
}

fs::path PastaPessoal() {
  std::string home = VariavelAmbiente("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) return pw->pw_dir;
  return fs::current_path();
}

namespace {

bool EhLetra(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The components below the root, with "." and ".." resolved lexically. A
// ".." never climbs above the drive folder (or the root for a path without
// drive): a base folder taken from a request must not reach outside.
std::vector<std::string> Componentes(const std::string& caminhoWindows) {
  std::vector<std::string> partes;
  std::string_view resto(caminhoWindows);
  size_t fixos = 0;
  if (resto.size() >= 2 && EhLetra(resto[0]) && resto[1] == ':') {
    char letra = resto[0];
    if (letra >= 'a' && letra <= 'z') letra = static_cast<char>(letra - 'a' + 'A');
    partes.emplace_back(1, letra);
    fixos = 1;
    resto.remove_prefix(2);
  }
  size_t inicio = 0;
  while (inicio <= resto.size()) {
    size_t fim = resto.find_first_of("\\/", inicio);
    if (fim == std::string_view::npos) fim = resto.size();
    std::string_view parte = resto.substr(inicio, fim - inicio);
    if (parte == "..") {
      if (partes.size() > fixos) partes.pop_back();
    } else if (!parte.empty() && parte != "." && parte.find('\0') == std::string_view::npos) {
      partes.emplace_back(parte);
    }
    inicio = fim + 1;
  }
  return partes;
}

// The entry of `pasta` that is `nome` without regard to letter case: the
// exact spelling first, then the first match in name order.
std::string ProcurarSemCaixa(const fs::path& pasta, const std::string& nome) {
  std::error_code ec;
  if (fs::exists(pasta / nome, ec)) return nome;
  std::string alvo = UCase(nome);
  std::string achado;
  for (fs::directory_iterator it(pasta, ec), fim; !ec && it != fim; it.increment(ec)) {
    std::string candidato = it->path().filename().string();
    if (UCase(candidato) == alvo && (achado.empty() || candidato < achado)) achado = candidato;
  }
  return achado;
}

}  // namespace

MapeadorCaminhos::MapeadorCaminhos(fs::path raiz) {
  std::error_code ec;
  fs::path absoluta = fs::absolute(raiz, ec);
  raiz_ = (ec ? raiz : absoluta).lexically_normal();
  pastas_ = std::make_shared<Pastas>();
  // "dir/" normalises to "dir/" with an empty filename; keep one form.
  if (raiz_.has_relative_path() && raiz_.filename().empty()) raiz_ = raiz_.parent_path();
}

fs::path MapeadorCaminhos::RaizPadrao(const std::string& opcaoLinhaComando) {
  if (!opcaoLinhaComando.empty()) return opcaoLinhaComando;
  std::string env = VariavelAmbiente("VELANT_RAIZ");
  if (!env.empty()) return env;
  std::string dados = VariavelAmbiente("XDG_DATA_HOME");
  // The base-directory convention ignores relative values.
  if (!dados.empty() && dados.front() == '/') return fs::path(dados) / "velantnfe";
  return PastaPessoal() / ".local" / "share" / "velantnfe";
}

namespace {

bool EhPasta(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

struct MapeadorCaminhos::Pastas {
  std::mutex mutex;
  std::unordered_map<std::string, fs::path> achadas;
};

namespace {

// Folders are matched without regard to case. The file name itself is only
// looked for in other spellings when reading: the system always writes its
// files under one spelling, and scanning a folder of many thousand invoices
// for every new file would make each write slower than the last. A folder
// found before is taken again while it still exists.
fs::path MapearComponentes(const fs::path& raiz, const std::string& caminhoWindows, bool procurarArquivo,
                           MapeadorCaminhos::Pastas& pastas, bool* pastasExistem) {
  std::vector<std::string> partes = Componentes(caminhoWindows);
  fs::path local = raiz;
  size_t i = 0;
  bool existe = true;
  const size_t quantasPastas = partes.empty() ? 0 : partes.size() - 1;
  std::string chave;
  for (size_t k = 0; k < quantasPastas; ++k) chave += UCase(partes[k]) + "\\";
  if (quantasPastas > 0) {
    std::lock_guard<std::mutex> trava(pastas.mutex);
    auto it = pastas.achadas.find(chave);
    if (it != pastas.achadas.end()) {
      if (EhPasta(it->second)) {
        local = it->second;
        i = quantasPastas;
      } else {
        pastas.achadas.erase(it);
      }
    }
  }
  for (; i < partes.size(); ++i) {
    const std::string& parte = partes[i];
    if (existe && !procurarArquivo && i + 1 == partes.size()) {
      local /= parte;
      break;
    }
    if (existe) {
      std::string achado = ProcurarSemCaixa(local, parte);
      if (!achado.empty()) {
        local /= achado;
        if (i + 1 == quantasPastas) {
          std::lock_guard<std::mutex> trava(pastas.mutex);
          pastas.achadas[chave] = local;
        }
        continue;
      }
      existe = false;
    }
    local /= parte;
  }
  if (pastasExistem != nullptr) *pastasExistem = existe || quantasPastas == 0;
  return local;
}

}  // namespace

fs::path MapeadorCaminhos::Mapear(const std::string& caminhoWindows) const {
  return MapearComponentes(raiz_, caminhoWindows, true, *pastas_, nullptr);
}

fs::path MapeadorCaminhos::MapearParaGravar(const std::string& caminhoWindows) const {
  bool pastasExistem = false;
  fs::path local = MapearComponentes(raiz_, caminhoWindows, false, *pastas_, &pastasExistem);
  std::error_code ec;
  // A failure here shows up when the caller opens the file.
  if (local != raiz_ && !pastasExistem) fs::create_directories(local.parent_path(), ec);
  return local;
}

bool MapeadorCaminhos::Existe(const std::string& caminhoWindows) const {
  std::error_code ec;
  return fs::exists(Mapear(caminhoWindows), ec);
}

}  // namespace velant
