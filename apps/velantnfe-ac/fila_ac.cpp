#include "fila_ac.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "base/regional.h"
#include "data/configuracao_banco.h"
#include "plataforma/sockets.h"

namespace velant::ac {

namespace {

std::string Local(const MapeadorCaminhos& caminhos, const std::string& windows) {
  return windows + " (" + caminhos.Mapear(windows).string() + ")";
}

// What a read-only command needs and must not create: the root, the INI
// file with its database kind, and for SQLite the database file.
void ExigeInstalacao(const MapeadorCaminhos& caminhos, const PerfilIni& ini, const std::string& arquivoIni) {
  std::error_code erro;
  if (!std::filesystem::is_directory(caminhos.Raiz(), erro)) {
    throw std::runtime_error("pasta raiz inexistente: " + caminhos.Raiz().string());
  }
  if (!caminhos.Existe(arquivoIni)) throw std::runtime_error("arquivo INI inexistente: " + Local(caminhos, arquivoIni));
  const data::ConfiguracaoBanco cfg = data::LerConfiguracaoBanco(ini, arquivoIni);
  if (cfg.tipo.empty()) {
    throw std::runtime_error("o arquivo INI " + Local(caminhos, arquivoIni) + " não tem a chave \"" +
                             data::kChaveTipoBanco + "\" na seção [" + data::kSecaoBanco + "]");
  }
  if (cfg.tipo == "SQLITE" && !caminhos.Existe(cfg.ArquivoSqlite())) {
    throw std::runtime_error("banco de dados SQLite inexistente: " + Local(caminhos, cfg.ArquivoSqlite()));
  }
}

}  // namespace

FilaAC::FilaAC(const OpcoesAC& opcoes, UsoFila uso)
    : ui_(false, stderr), caminhos_(MapeadorCaminhos::RaizPadrao(opcoes.raiz)), ini_(caminhos_) {
  // The same INI file and database as the Host of this root.
  if (uso == UsoFila::Leitura) {
    ExigeInstalacao(caminhos_, ini_, host_.CaminhoIni);
  } else {
    data::GarantirConfiguracaoBanco(ini_, host_.CaminhoIni);
  }
  const std::string tipo = data::LerConfiguracaoBanco(ini_, host_.CaminhoIni).tipo;
  data::DefineDialetoBanco(host_, tipo);
  conexao_ = std::make_unique<data::CConexaoNfe>(
      ini_, caminhos_, ui_, host_.CaminhoIni,
      uso == UsoFila::Leitura ? data::ModoAbertura::SoExistente : data::ModoAbertura::CriarSeFaltar);
  solicitacao_ = std::make_unique<data::cSolicitacaoFuncaoNFe>(*conexao_, host_, ui_);
  if (!conexao_->ConexaoAtiva()) {
    std::string motivo = data::LinhaLogTipoBanco(tipo);
    if (motivo.empty()) motivo = conexao_->ErroAbertura();
    if (uso == UsoFila::Leitura) throw std::runtime_error("banco de dados não abriu: " + motivo);
    std::fprintf(stderr, "velantnfe-ac: banco de dados não abriu: %s\n", motivo.c_str());
  }
}

std::string FilaAC::IPDoHost(const std::string& opcao) {
  if (!opcao.empty()) return opcao;
  std::string ip = ini_.LerIni("Local", "IP do Computador a ser processado", host_.CaminhoIni);
  return ip.empty() ? ObterIPLocal(ui_) : ip;
}

std::string Hora(DataHora d) { return d.Zero() ? "-" : Format(Valor(d), "HH:mm:ss"); }

}  // namespace velant::ac
