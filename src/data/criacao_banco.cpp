#include "data/criacao_banco.h"

#include <exception>

#include "base/erro.h"
#include "data/conexao_nfe.h"
#include "data/conexao_postgresql.h"
#include "data/configuracao_banco.h"
#include "data/esquema_banco.h"
#include "data/formata_sql.h"

namespace velant::data {

namespace {

std::string NomeEntreAspasDuplas(const std::string& nome) {
  std::string r = "\"";
  for (char c : nome) {
    if (c == '"') r += '"';
    r += c;
  }
  return r + "\"";
}

// Creates the database through the server's maintenance database; true when it was created.
bool GarantirBancoPostgreSql(const ConfiguracaoBanco& cfg) {
  ParametrosPostgreSql p = ParametrosDoBanco(cfg);
  p.banco = "postgres";
  ConexaoPostgreSql manutencao(p);
  Recordset rs = manutencao.Consultar("SELECT 1 FROM pg_database WHERE datname = " +
                                      EntreAspas(DuplicaAspas(cfg.NomeBanco())));
  if (!rs.Eof()) return false;
  manutencao.Executar("CREATE DATABASE " + NomeEntreAspasDuplas(cfg.NomeBanco()) + " ENCODING 'UTF8' TEMPLATE template0");
  return true;
}

}  // namespace

ResultadoCriacaoBanco CriarBancoDados(const PerfilIni& ini, const MapeadorCaminhos& caminhos, InterfaceOperador& ui,
                                      const std::string& arquivoIni) {
  ResultadoCriacaoBanco r;
  GarantirConfiguracaoBanco(ini, arquivoIni);
  ConfiguracaoBanco cfg = LerConfiguracaoBanco(ini, arquivoIni);
  if (!TipoBancoComDriver(cfg.tipo)) {
    r.mensagem = LinhaLogTipoBanco(cfg.tipo);
    return r;
  }
  std::string criado;
  try {
    if (cfg.tipo == "POSTGRESQL" && GarantirBancoPostgreSql(cfg)) criado = " (banco " + cfg.NomeBanco() + " criado)";
  } catch (const ErroExecucao& e) {
    r.mensagem = "Banco de dados POSTGRESQL: não foi possível criar " + cfg.NomeBanco() + ": " + e.Descricao();
    return r;
  }
  CConexaoNfe conexao(ini, caminhos, ui, arquivoIni);
  if (!conexao.ConexaoAtiva()) {
    r.mensagem = conexao.ErroAbertura();
    return r;
  }
  try {
    CriarEsquema(*conexao.Conexao(), conexao.Dialeto());
  } catch (const ErroExecucao& e) {
    r.mensagem = "Banco de dados " + cfg.tipo + ": tabelas não criadas: " + e.Descricao();
    return r;
  }
  r.ok = true;
  r.mensagem = "Banco de dados " + cfg.tipo + " pronto" + criado + ": " + conexao.ConnectionString();
  return r;
}

}  // namespace velant::data
