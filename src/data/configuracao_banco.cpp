#include "data/configuracao_banco.h"

#include "data/conexao_nfe.h"
#include "contexto/configuracao_host.h"
#include "plataforma/perfil_ini.h"

namespace velant::data {

std::string NomeBancoDados(const std::string& nomeInterno) {
  return nomeInterno == "dvk_data" ? std::string("dvk_data") : "dvk_data" + nomeInterno;
}

std::string ConfiguracaoBanco::NomeBanco() const { return NomeBancoDados(nomeInterno); }

std::string ConfiguracaoBanco::ArquivoSqlite() const {
  if (!arquivo.empty()) return arquivo;
  std::string pasta = arquivoIni;
  size_t barra = pasta.find_last_of("\\/");
  pasta = barra == std::string::npos ? std::string() : pasta.substr(0, barra + 1);
  return pasta + NomeBanco() + ".db";
}

ConfiguracaoBanco LerConfiguracaoBanco(const PerfilIni& ini, const std::string& arquivoIni) {
  ConfiguracaoBanco c;
  c.arquivoIni = arquivoIni;
  c.tipo = ini.LerIni(kSecaoBanco, kChaveTipoBanco, arquivoIni);
  c.ip = ini.LerIni(kSecaoBanco, kChaveIPBanco, arquivoIni);
  c.porta = ini.LerIni(kSecaoBanco, kChavePortaBanco, arquivoIni);
  c.nomeInterno = ini.LerIni(kSecaoBanco, kChaveNomeInterno, arquivoIni);
  c.arquivo = ini.LerIni(kSecaoBanco, kChaveArquivoBanco, arquivoIni);
  c.usuario = ini.LerIni(kSecaoBanco, kChaveUsuarioBanco, arquivoIni);
  c.senha = ini.LerIni(kSecaoBanco, kChaveSenhaBanco, arquivoIni);
  return c;
}

void GarantirConfiguracaoBanco(const PerfilIni& ini, const std::string& arquivoIni) {
  if (ini.LerIni(kSecaoBanco, kChaveTipoBanco, arquivoIni).empty()) {
    ini.GravarIni(kSecaoBanco, kChaveTipoBanco, kTipoBancoPadrao, arquivoIni);
  }
}

void GarantirConfiguracaoBanco(const PerfilIni& ini) { GarantirConfiguracaoBanco(ini, kCaminhoIni); }

bool TipoBancoComDriver(const std::string& tipo) { return tipo == "SQLITE" || tipo == "POSTGRESQL"; }

std::string LinhaLogTipoBanco(const std::string& tipo) {
  if (TipoBancoComDriver(tipo)) return "";
  if (tipo == "ACCESS" || tipo == "SQLSERVER" || tipo == "MYSQL" || tipo == "ORACLE") {
    return "Banco de dados " + tipo + " sem driver nesta plataforma: nenhuma conexão aberta";
  }
  if (tipo.empty()) return "Banco de dados não configurado (seção SGBD): nenhuma conexão aberta";
  return "Banco de dados desconhecido \"" + tipo + "\" (use SQLITE ou POSTGRESQL): nenhuma conexão aberta";
}

void DefineDialetoBanco(ConfiguracaoHost& estado, const std::string& tipo) {
  estado.BancoSqlite = tipo == "SQLITE";
  estado.BancoPostgreSql = tipo == "POSTGRESQL";
}

}  // namespace velant::data
