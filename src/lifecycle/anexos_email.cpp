#include "lifecycle/anexos_email.h"

#include <sys/stat.h>

#include <system_error>
#include <vector>

#include "base/arquivos.h"
#include "base/texto.h"
#include "data/configuracao_banco.h"

namespace fs = std::filesystem;

namespace velant {

namespace {

// The components of a Windows path, in capitals ("." and empty ones dropped).
std::vector<std::string> Partes(const std::string& caminho) {
  std::vector<std::string> partes;
  size_t inicio = 0;
  while (inicio <= caminho.size()) {
    size_t fim = caminho.find_first_of("\\/", inicio);
    if (fim == std::string::npos) fim = caminho.size();
    std::string parte = caminho.substr(inicio, fim - inicio);
    if (!parte.empty() && parte != ".") partes.push_back(UCase(parte));
    inicio = fim + 1;
  }
  return partes;
}

bool AbaixoDe(const std::vector<std::string>& pasta, const std::vector<std::string>& arquivo) {
  if (pasta.empty() || arquivo.size() <= pasta.size()) return false;
  for (size_t i = 0; i < pasta.size(); ++i)
    if (pasta[i] != arquivo[i]) return false;
  return true;
}

bool ExtensaoDeDocumento(const std::string& caminho) {
  const std::string u = UCase(caminho);
  for (const char* ext : {".XML", ".PDF", ".ZIP"})
    if (u.size() > 4 && u.compare(u.size() - 4, 4, ext) == 0) return true;
  return false;
}

// Any symbolic link from below the root down to the file itself.
bool PassaPorLink(const fs::path& raiz, const fs::path& local) {
  fs::path atual = raiz;
  for (const auto& parte : local.lexically_relative(raiz)) {
    atual /= parte;
    struct stat st {};
    if (::lstat(atual.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return true;
  }
  return false;
}

fs::path Canonico(const fs::path& p) {
  std::error_code ec;
  fs::path c = fs::weakly_canonical(p, ec);
  return ec ? p.lexically_normal() : c;
}

// `pasta` or a folder below it holds `caminho` (both canonical).
bool Contem(const fs::path& pasta, const fs::path& caminho) {
  if (pasta.empty()) return false;
  auto p = pasta.begin(), c = caminho.begin();
  for (; p != pasta.end(); ++p, ++c) {
    if (p->empty() && std::next(p) == pasta.end()) break;   // "dir/" ends with an empty name
    if (c == caminho.end() || *p != *c) return false;
  }
  return true;
}

// A Host file named in the registry or the INI: a Windows path lies under
// the root, any other is taken as it is.
fs::path LocalDoHost(const Contexto& ctx, const std::string& caminho) {
  if (caminho.empty()) return {};
  const bool windows = caminho.find('\\') != std::string::npos || (caminho.size() >= 2 && caminho[1] == ':');
  return windows ? ctx.caminhos.Mapear(caminho) : fs::path(caminho);
}

struct ArquivosDoHost {
  std::vector<fs::path> pastasProprias;   // nothing in them is an invoice document
  std::vector<fs::path> pastasDeArquivos;  // the folders of the files below, unless they hold the root
  std::vector<fs::path> arquivos;          // compared by identity
};

ArquivosDoHost DoHost(const Contexto& ctx) {
  ArquivosDoHost h;
  const fs::path ini = ctx.caminhos.Mapear(ctx.host.CaminhoIni);
  h.pastasProprias = {ini.parent_path(), ctx.caminhos.Mapear(kPastaLog)};
  const fs::path certificado = LocalDoHost(ctx, Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Certificado")));
  const fs::path banco =
      LocalDoHost(ctx, data::LerConfiguracaoBanco(ctx.ini, ctx.host.CaminhoIni).ArquivoSqlite());
  h.arquivos = {ini, certificado, banco, ctx.registro.Arquivo()};
  for (const fs::path& a : h.arquivos)
    if (!a.empty()) h.pastasDeArquivos.push_back(a.parent_path());
  return h;
}

bool MesmoArquivo(const fs::path& a, const fs::path& b) {
  struct stat sa {}, sb {};
  return !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

std::string Recusa(const Contexto& ctx, const std::string& caminhoWindows, const fs::path& local) {
  const std::vector<std::string> partes = Partes(caminhoWindows);
  for (const auto& p : partes)
    if (p == "..") return "Anexo recusado: caminho com '..'";
  if (!AbaixoDe(Partes(ctx.atual.PastaBase), partes)) return "Anexo recusado: fora da pasta base";
  if (!ExtensaoDeDocumento(caminhoWindows)) return "Anexo recusado: só XML, PDF ou ZIP";
  if (PassaPorLink(ctx.caminhos.Raiz(), local)) return "Anexo recusado: link simbólico";
  struct stat st {};
  if (::stat(local.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "Anexo recusado: não é um arquivo comum";
  if (st.st_nlink > 1) return "Anexo recusado: arquivo com mais de um nome";

  const ArquivosDoHost host = DoHost(ctx);
  const fs::path canonico = Canonico(local);
  const fs::path raiz = Canonico(ctx.caminhos.Raiz());
  for (const fs::path& pasta : host.pastasProprias)
    if (Contem(Canonico(pasta), canonico)) return "Anexo recusado: pasta do Host";
  for (const fs::path& pasta : host.pastasDeArquivos) {
    const fs::path c = Canonico(pasta);
    // An installation folder around the root holds every file a request can name.
    if (!Contem(c, raiz) && Contem(c, canonico)) return "Anexo recusado: pasta do Host";
  }
  for (const fs::path& arquivo : host.arquivos)
    if (MesmoArquivo(local, arquivo)) return "Anexo recusado: arquivo do Host";
  if (ArquivoProtegido(local)) return "Anexo recusado: arquivo do Host";
  return "";
}

}  // namespace

AnexoVerificado VerificaAnexo(const Contexto& ctx, const std::string& caminhoWindows) {
  AnexoVerificado a;
  a.local = ctx.caminhos.Mapear(caminhoWindows);
  a.recusa = Recusa(ctx, caminhoWindows, a.local);
  return a;
}

}  // namespace velant
