// velantnfe banco criar [--raiz DIR]: creates the configured database and
// its tables (a PostgreSQL server shared by several Hosts needs this once;
// the embedded SQLite file gets them on its own).
#include <cstdio>
#include <string>
#include <vector>

#include "comandos.h"
#include "data/criacao_banco.h"
#include "manager/ambiente_host.h"

namespace velant::app {

static int ComandoBanco(const std::vector<std::string>& argumentos) {
  OpcoesHost opcoes = OpcoesHost::Ler(argumentos);
  if (opcoes.resto.size() != 1 || opcoes.resto[0] != "criar") {
    std::fprintf(stderr, "velantnfe banco: ação desconhecida: %s\nuso: velantnfe banco criar [--raiz PASTA]\n",
                 opcoes.resto.empty() ? "" : opcoes.resto[0].c_str());
    return 64;
  }
  AmbienteHost ambiente(opcoes);
  Contexto& ctx = ambiente.Ctx();
  auto r = data::CriarBancoDados(ctx.ini, ctx.caminhos, ctx.ui, ctx.host.CaminhoIni);
  std::fprintf(r.ok ? stdout : stderr, "%s\n", r.mensagem.c_str());
  return r.ok ? 0 : 1;
}

static RegistroComando r("banco", &ComandoBanco,
                         {"velantnfe banco criar [--raiz PASTA]",
                          "cria o banco de dados configurado no arquivo INI e as tabelas do sistema",
                          "Um servidor PostgreSQL compartilhado por vários Hosts precisa disto uma vez; o\n"
                          "arquivo SQLite embutido ganha as tabelas sozinho. Pode ser repetido sem perda.\n",
                          {"--raiz"},
                          {"criar"}});

}  // namespace velant::app
