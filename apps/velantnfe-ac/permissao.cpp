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

std::string Recusa(const std::filesystem::path& onde, const struct stat& st, const std::string& falta) {
  char modo[8];
  std::snprintf(modo, sizeof modo, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  const std::string usuario = NomeUsuario(::geteuid());
  const std::string grupo = NomeGrupo(st.st_gid);
  return "sem permissão de " + falta + " em " + onde.string() + " (dono " + NomeUsuario(st.st_uid) + ", grupo " +
         grupo + ", modo " + modo + ") para o usuário " + usuario +
         ". A fila do Host fica nessa pasta: entre no grupo " + grupo + " (sudo adduser " + usuario + " " + grupo +
         ", vale a partir da próxima sessão) ou use PostgreSQL (seção SGBD do arquivo INI)";
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
    if (::access(pasta.c_str(), X_OK) != 0 && errno == EACCES) return Recusa(pasta, st, "passagem");
  }
  struct stat st {};
  if (::stat(alvo.c_str(), &st) != 0) return std::nullopt;
  const bool escrita = acesso == Acesso::LeituraEscrita;
  if (::access(alvo.c_str(), R_OK | (escrita ? W_OK : 0)) != 0 && errno == EACCES) {
    return Recusa(alvo, st, escrita ? "leitura e escrita" : "leitura");
  }
  // SQLite writes its -wal and -shm files beside the database.
  if (escrita && S_ISREG(st.st_mode)) {
    const std::filesystem::path pasta = alvo.parent_path();
    struct stat sp {};
    if (::stat(pasta.c_str(), &sp) == 0 && ::access(pasta.c_str(), W_OK | X_OK) != 0 && errno == EACCES) {
      return Recusa(pasta, sp, "escrita");
    }
  }
  return std::nullopt;
}

}  // namespace velant::ac
