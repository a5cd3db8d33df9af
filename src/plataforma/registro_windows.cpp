#include "plataforma/registro_windows.h"

#include <sys/stat.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "base/arquivos.h"
#include "base/caminhos.h"
#include "base/erro.h"
#include "base/texto.h"
#include "base/utf8.h"

namespace fs = std::filesystem;

namespace velant {

namespace {

// UTF-16LE code units to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ParaUtf8(std::string_view bytes) {
  std::string s;
  s.reserve(bytes.size() / 2);
  auto unidade = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t u = unidade(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      uint32_t baixa = unidade(i + 2);
      if (baixa >= 0xDC00 && baixa <= 0xDFFF) {
        utf8::Acrescenta(s, 0x10000 + ((u - 0xD800) << 10) + (baixa - 0xDC00));
        i += 2;
        continue;
      }
    }
    utf8::Acrescenta(s, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
  }
  return s;
}

// regedit exports UTF-16LE with a BOM; older files and hand-written ones are
// UTF-8 or ANSI.
std::string DecodificarArquivo(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return Utf16ParaUtf8(std::string_view(bytes).substr(2));
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return ParaUtf8(std::string_view(bytes).substr(3));
  // UTF-16LE that lost its BOM: ASCII text with every second byte zero.
  if (bytes.size() >= 4 && bytes[0] != '\0' && bytes[1] == '\0' && bytes[3] == '\0') return Utf16ParaUtf8(bytes);
  return ParaUtf8(bytes);
}

std::string TirarBrancos(std::string_view s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string_view::npos) return {};
  size_t b = s.find_last_not_of(" \t\r");
  return std::string(s.substr(a, b - a + 1));
}

std::string RaizCanonica(std::string_view nome) {
  std::string n = UCase(nome);
  if (n == "HKEY_CURRENT_USER" || n == "HKCU") return "HKEY_CURRENT_USER";
  if (n == "HKEY_LOCAL_MACHINE" || n == "HKLM") return "HKEY_LOCAL_MACHINE";
  if (n == "HKEY_CLASSES_ROOT" || n == "HKCR") return "HKEY_CLASSES_ROOT";
  if (n == "HKEY_USERS" || n == "HKU") return "HKEY_USERS";
  if (n == "HKEY_CURRENT_CONFIG" || n == "HKCC") return "HKEY_CURRENT_CONFIG";
  return n;
}

// "HKCU\Software\\nfe\" -> "HKEY_CURRENT_USER\SOFTWARE\NFE": one spelling
// for comparing key paths.
std::string ChaveCanonica(std::string_view caminho) {
  std::vector<std::string> partes;
  size_t inicio = 0;
  while (inicio <= caminho.size()) {
    size_t fim = caminho.find('\\', inicio);
    if (fim == std::string_view::npos) fim = caminho.size();
    std::string parte = TirarBrancos(caminho.substr(inicio, fim - inicio));
    if (!parte.empty()) partes.push_back(partes.empty() ? RaizCanonica(parte) : UCase(parte));
    inicio = fim + 1;
  }
  std::string chave;
  for (const std::string& p : partes) chave += (chave.empty() ? "" : "\\") + p;
  return chave;
}

std::string RaizDoHandle(int32_t raiz) {
  switch (static_cast<uint32_t>(raiz)) {
    case 0x80000000u: return "HKEY_CLASSES_ROOT";
    case 0x80000001u: return "HKEY_CURRENT_USER";
    case 0x80000002u: return "HKEY_LOCAL_MACHINE";
    case 0x80000003u: return "HKEY_USERS";
    case 0x80000005u: return "HKEY_CURRENT_CONFIG";
    default: return "";
  }
}

// A quoted text with the .reg escapes \\ and \" starting at s[pos] == '"';
// pos ends after the closing quote. Nothing when it is not closed.
std::optional<std::string> LerAspas(std::string_view s, size_t& pos) {
  std::string texto;
  for (size_t i = pos + 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\' && i + 1 < s.size()) {
      texto += s[++i];
    } else if (c == '"') {
      pos = i + 1;
      return texto;
    } else {
      texto += c;
    }
  }
  return std::nullopt;
}

std::optional<std::string> BytesHex(std::string_view s) {
  std::string bytes;
  int nibbles = 0;
  unsigned atual = 0;
  for (char c : s) {
    unsigned v;
    if (c >= '0' && c <= '9') v = static_cast<unsigned>(c - '0');
    else if (c >= 'a' && c <= 'f') v = static_cast<unsigned>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') v = static_cast<unsigned>(c - 'A' + 10);
    else if (c == ',' || c == ' ' || c == '\t') {
      if (nibbles > 0) bytes += static_cast<char>(atual);
      nibbles = 0;
      atual = 0;
      continue;
    } else {
      return std::nullopt;
    }
    if (++nibbles > 2) return std::nullopt;
    atual = atual * 16 + v;
  }
  if (nibbles > 0) bytes += static_cast<char>(atual);
  return bytes;
}

std::string AteONul(std::string s) {
  size_t nul = s.find('\0');
  if (nul != std::string::npos) s.resize(nul);
  return s;
}

// The value of a line such as "Nome"="texto", @="texto", "Nome"=dword:...
// or "Nome"=hex(1):41,00,...: the text when it is a REG_SZ, an empty
// optional for any other type, and `apagar` for "Nome"=-.
struct Valor {
  std::string nome;
  std::optional<std::string> texto;
  bool apagar = false;
};

std::optional<Valor> InterpretarValor(std::string_view linha, bool unicode) {
  Valor v;
  size_t pos = 0;
  if (linha.empty()) return std::nullopt;
  if (linha[0] == '@') {
    pos = 1;
  } else if (linha[0] == '"') {
    auto nome = LerAspas(linha, pos);
    if (!nome) return std::nullopt;
    v.nome = UCase(*nome);
  } else {
    return std::nullopt;
  }
  while (pos < linha.size() && (linha[pos] == ' ' || linha[pos] == '\t')) ++pos;
  if (pos >= linha.size() || linha[pos] != '=') return std::nullopt;
  std::string dado = TirarBrancos(linha.substr(pos + 1));
  if (dado == "-") {
    v.apagar = true;
  } else if (!dado.empty() && dado[0] == '"') {
    size_t p = 0;
    v.texto = LerAspas(dado, p);
  } else if (UCase(dado.substr(0, 7)) == "HEX(1):") {
    // A REG_SZ that regedit chose to write as bytes (e.g. with a line break).
    auto bytes = BytesHex(std::string_view(dado).substr(7));
    if (bytes) v.texto = AteONul(unicode ? Utf16ParaUtf8(*bytes) : ParaUtf8(*bytes));
  }
  return v;
}

// Reads the file as regedit would import it and returns the REG_SZ value, if any.
std::optional<std::string> Procurar(const std::string& conteudo, const std::string& chaveProcurada,
                                    const std::string& nomeProcurado) {
  std::vector<std::string> linhas;
  {
    std::string pendente;
    size_t inicio = 0;
    while (inicio <= conteudo.size()) {
      size_t fim = conteudo.find('\n', inicio);
      if (fim == std::string::npos) fim = conteudo.size();
      std::string linha = TirarBrancos(std::string_view(conteudo).substr(inicio, fim - inicio));
      inicio = fim + 1;
      // Long hex values go on over several lines ending in "\"; no other
      // line of an export ends that way.
      bool continua = !linha.empty() && linha.back() == '\\';
      if (continua) linha.pop_back();
      pendente += linha;
      if (continua && inicio <= conteudo.size()) continue;
      linhas.push_back(std::move(pendente));
      pendente.clear();
    }
  }

  bool unicode = true;
  bool naChave = false;
  std::optional<std::string> resultado;
  for (const std::string& linha : linhas) {
    if (linha.empty() || linha[0] == ';') continue;
    if (UCase(linha) == "REGEDIT4") {
      unicode = false;
      continue;
    }
    if (linha[0] == '[') {
      size_t fecha = linha.rfind(']');
      std::string_view caminho = std::string_view(linha).substr(1, fecha == std::string::npos ? std::string::npos : fecha - 1);
      bool remover = !caminho.empty() && caminho[0] == '-';
      if (remover) caminho.remove_prefix(1);
      std::string chave = ChaveCanonica(caminho);
      if (remover) {
        // "[-key]" removes the key and everything under it.
        if (chave == chaveProcurada || chaveProcurada.rfind(chave + "\\", 0) == 0) resultado.reset();
        naChave = false;
      } else {
        naChave = chave == chaveProcurada;
      }
      continue;
    }
    if (!naChave) continue;
    auto valor = InterpretarValor(linha, unicode);
    if (!valor || valor->nome != nomeProcurado) continue;
    // A later line replaces an earlier one, also by a value of another type.
    resultado = valor->texto;
  }
  return resultado;
}

}  // namespace

struct RegistroWindows::Lido {
  std::mutex mutex;
  bool valido = false;
  dev_t dispositivo = 0;
  ino_t inode = 0;
  off_t tamanho = 0;
  struct timespec modificado {};
  std::string texto;   // decoded
  std::string ultimaFalha;   // the failure last reported; "" once the file read again
  AvisoFalha aviso;
  // Values already looked up in this text, by canonical key and upper-case name.
  std::map<std::pair<std::string, std::string>, std::optional<std::string>> achados;
};

RegistroWindows::RegistroWindows(fs::path arquivoReg) : lido_(std::make_shared<Lido>()) {
  // Absolute, so that messages name the file whatever the working folder.
  std::error_code ec;
  fs::path absoluto = fs::absolute(arquivoReg, ec);
  arquivo_ = (ec ? arquivoReg : absoluto).lexically_normal();
}

fs::path RegistroWindows::ArquivoPadrao(const std::string& opcaoLinhaComando) {
  if (!opcaoLinhaComando.empty()) return opcaoLinhaComando;
  std::string env = VariavelAmbiente("VELANT_REGISTRO");
  if (!env.empty()) return env;
  std::string config = VariavelAmbiente("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return fs::path(config) / "velantnfe" / "registro.reg";
  return PastaPessoal() / ".config" / "velantnfe" / "registro.reg";
}

std::string RegistroWindows::LerRegistro(int32_t raiz, const std::string& chave, const std::string& nomeValor) const {
  // Reading settings never stops the caller: a value that cannot be read is
  // empty, and the reason goes to the log once, until the file reads again.
  std::string falha;
  std::string valor;
  try {
    valor = Ler(raiz, chave, nomeValor, falha);
  } catch (const std::exception& e) {
    falha = DescricaoErro(e);
  } catch (...) {
    falha = "erro desconhecido";
  }
  if (!falha.empty()) falha = "     ** Erro na Rotina: LerRegistro - " + arquivo_.string() + " não lido: " + falha;
  Avisa(falha);
  return valor;
}

void RegistroWindows::Avisa(const std::string& falha) const {
  AvisoFalha aviso;
  {
    std::lock_guard<std::mutex> trava(lido_->mutex);
    if (falha == lido_->ultimaFalha) return;
    lido_->ultimaFalha = falha;
    if (falha.empty()) return;
    aviso = lido_->aviso;
  }
  if (aviso) {
    aviso(falha);
  } else {
    std::fprintf(stderr, "%s\n", falha.c_str());
  }
}

void RegistroWindows::DefinirAvisoFalha(AvisoFalha aviso) {
  std::lock_guard<std::mutex> trava(lido_->mutex);
  lido_->aviso = std::move(aviso);
}

std::string RegistroWindows::Ler(int32_t raiz, const std::string& chave, const std::string& nomeValor,
                                 std::string& falha) const {
  std::string nomeRaiz = RaizDoHandle(raiz);
  if (nomeRaiz.empty()) return "";
  struct stat st {};
  if (::stat(arquivo_.c_str(), &st) != 0) {
    // No file is no settings, not a failure.
    if (errno != ENOENT && errno != ENOTDIR) falha = std::strerror(errno);
    return "";
  }
  std::string chaveProcurada = ChaveCanonica(nomeRaiz + "\\" + chave);
  std::string nomeProcurado = UCase(nomeValor);
  std::lock_guard<std::mutex> trava(lido_->mutex);
  Lido& l = *lido_;
  // A file changed within the clock's coarse granularity may change again
  // under the same time and size: one so recent is always read.
  struct timespec agora {};
  ::clock_gettime(CLOCK_REALTIME, &agora);
  const bool recente = agora.tv_sec - st.st_mtim.tv_sec < 2;
  if (recente || !l.valido || l.dispositivo != st.st_dev || l.inode != st.st_ino || l.tamanho != st.st_size ||
      l.modificado.tv_sec != st.st_mtim.tv_sec || l.modificado.tv_nsec != st.st_mtim.tv_nsec) {
    l.valido = false;
    auto bytes = LerArquivoComum(arquivo_, &falha);
    if (!bytes) {
      if (falha == "não encontrado") falha.clear();   // removed since the look above
      return "";
    }
    l.texto = DecodificarArquivo(*bytes);
    l.achados.clear();
    l.dispositivo = st.st_dev;
    l.inode = st.st_ino;
    l.tamanho = st.st_size;
    l.modificado = st.st_mtim;
    l.valido = true;
  }
  auto chaveValor = std::make_pair(std::move(chaveProcurada), std::move(nomeProcurado));
  auto achado = l.achados.find(chaveValor);
  if (achado == l.achados.end()) {
    auto valor = Procurar(l.texto, chaveValor.first, chaveValor.second);
    achado = l.achados.emplace(std::move(chaveValor), std::move(valor)).first;
  }
  return achado->second.value_or("");
}

}  // namespace velant
