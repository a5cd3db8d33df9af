#include "permissao.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace velant::ac {

namespace {

std::string NomeUsuario(uid_t uid) {
  const passwd* p = ::getpwuid(uid);
  return p != nullptr ? p->pw_name : std::to_string(uid);
}

std::string NomeGrupo(gid_t gid) {
  const group* g = ::getgrgid(gid);
  return g != nullptr ? g->gr_name : std::to_string(gid);
}

bool EDoGrupo(gid_t gid) {
  if (::getegid() == gid) return true;
  const int n = ::getgroups(0, nullptr);
  std::vector<gid_t> grupos(n > 0 ? static_cast<size_t>(n) : 0);
  if (n > 0 && ::getgroups(n, grupos.data()) < 0) return false;
  for (gid_t g : grupos)
    if (g == gid) return true;
  return false;
}

// `falta` names the access; `chmod` what the group needs for it.
std::string Recusa(const std::filesystem::path& onde, const struct stat& st, const std::string& falta,
                   const std::string& chmod) {
  char modo[8];
  std::snprintf(modo, sizeof modo, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  const std::string usuario = NomeUsuario(::geteuid());
  const std::string grupo = NomeGrupo(st.st_gid);
  std::string texto = "sem permissão de " + falta + " em " + onde.string() + " (dono " + NomeUsuario(st.st_uid) +
                      ", grupo " + grupo + ", modo " + modo + ") para o usuário " + usuario;
  // A member of the group is refused by the mode: something written without the service's umask.
  if (EDoGrupo(st.st_gid)) {
    return texto + ", que é do grupo " + grupo + ": o modo não dá ao grupo esse acesso (o serviço grava com " +
           "UMask=0007); corrija com chmod " + chmod + " " + onde.string();
  }
  return texto + ". A fila do Host fica nessa pasta: entre no grupo " + grupo + " (sudo adduser " + usuario + " " +
         grupo + ", vale a partir da próxima sessão) ou use PostgreSQL (seção SGBD do arquivo INI)";
}

}  // namespace

std::optional<std::string> SemPermissao(const std::filesystem::path& alvo, Acesso acesso) {
  // Each folder on the way must let us through; the first that does not is the answer.
  std::vector<std::filesystem::path> caminho;
  for (std::filesystem::path p = alvo.parent_path(); !p.empty(); p = p.parent_path()) {
    caminho.insert(caminho.begin(), p);
    if (p == p.root_path()) break;
  }
  for (const auto& pasta : caminho) {
    struct stat st {};
    if (::stat(pasta.c_str(), &st) != 0) return std::nullopt;   // missing: said elsewhere
    if (::access(pasta.c_str(), X_OK) != 0 && errno == EACCES) return Recusa(pasta, st, "passagem", "g+x");
  }
  const bool escrita = acesso == Acesso::LeituraEscrita;
  struct stat st {};
  const bool existe = ::stat(alvo.c_str(), &st) == 0;
  if (!existe && !escrita) return std::nullopt;
  if (existe && ::access(alvo.c_str(), R_OK | (escrita ? W_OK : 0)) != 0 && errno == EACCES) {
    return Recusa(alvo, st, escrita ? "leitura e escrita" : "leitura", escrita ? "g+rw" : "g+r");
  }
  // A file to be written is created in its folder if missing; SQLite also
  // writes its -wal and -shm files beside the database.
  if (escrita) {
    const std::filesystem::path pasta = alvo.parent_path();
    struct stat sp {};
    if (::stat(pasta.c_str(), &sp) == 0 && ::access(pasta.c_str(), W_OK | X_OK) != 0 && errno == EACCES) {
      return Recusa(pasta, sp, "escrita", "g+wx");
    }
  }
  return std::nullopt;
}

}  // namespace velant::ac
