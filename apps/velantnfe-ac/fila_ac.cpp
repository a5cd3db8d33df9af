#include "fila_ac.h"

#include <cstdio>

#include "base/regional.h"
#include "data/configuracao_banco.h"
#include "plataforma/sockets.h"

namespace velant::ac {

FilaAC::FilaAC(const OpcoesAC& opcoes)
    : ui_(false, stderr), caminhos_(MapeadorCaminhos::RaizPadrao(opcoes.raiz)), ini_(caminhos_) {
  // The same INI file and database as the Host of this root.
  data::GarantirConfiguracaoBanco(ini_, host_.CaminhoIni);
  const std::string tipo = data::LerConfiguracaoBanco(ini_, host_.CaminhoIni).tipo;
  data::DefineDialetoBanco(host_, tipo);
  conexao_ = std::make_unique<data::CConexaoNfe>(ini_, caminhos_, ui_, host_.CaminhoIni);
  solicitacao_ = std::make_unique<data::cSolicitacaoFuncaoNFe>(*conexao_, host_, ui_);
  if (!conexao_->ConexaoAtiva()) {
    std::string motivo = data::LinhaLogTipoBanco(tipo);
    if (motivo.empty()) motivo = conexao_->ErroAbertura();
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
