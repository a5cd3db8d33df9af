#include "fila_ac.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "base/regional.h"
#include "data/configuracao_banco.h"
#include "permissao.h"
#include "plataforma/sockets.h"

namespace velant::ac {

namespace {

std::string Local(const MapeadorCaminhos& caminhos, const std::string& windows) {
  return windows + " (" + caminhos.Mapear(windows).string() + ")";
}

// Every command needs a root that a Host uses: a mistyped --raiz or a root
// nobody configured would otherwise get an INI file and a database of its
// own, and a request that no Host ever reads.
constexpr const char* kNadaCriado =
    "\nNada foi criado: confira --raiz (o Host grava o arquivo INI da raiz na primeira execução).";

void ExigeRaiz(const MapeadorCaminhos& caminhos, const std::string& arquivoIni) {
  if (auto recusa = SemPermissao(caminhos.Mapear(arquivoIni), Acesso::Leitura)) throw std::runtime_error(*recusa);
  std::error_code erro;
  if (!std::filesystem::is_directory(caminhos.Raiz(), erro)) {
    throw std::runtime_error("pasta raiz inexistente: " + caminhos.Raiz().string() + kNadaCriado);
  }
  if (!caminhos.Existe(arquivoIni)) {
    throw std::runtime_error("arquivo INI inexistente: " + Local(caminhos, arquivoIni) + kNadaCriado);
  }
}

// What a read-only command needs besides, and must not create: the
// database kind and, for SQLite, the database file.
void ExigeBanco(const MapeadorCaminhos& caminhos, const PerfilIni& ini, const std::string& arquivoIni) {
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
  ExigeRaiz(caminhos_, host_.CaminhoIni);
  if (uso == UsoFila::Leitura) {
    ExigeBanco(caminhos_, ini_, host_.CaminhoIni);
  } else {
    data::GarantirConfiguracaoBanco(ini_, host_.CaminhoIni);
  }
  const data::ConfiguracaoBanco cfg = data::LerConfiguracaoBanco(ini_, host_.CaminhoIni);
  const std::string& tipo = cfg.tipo;
  // A database this user may not open would otherwise read as "not opened"
  // or "not configured"; say whose it is and how to join.
  if (tipo == "SQLITE") {
    if (auto recusa = SemPermissao(caminhos_.Mapear(cfg.ArquivoSqlite()), Acesso::LeituraEscrita)) {
      throw std::runtime_error(*recusa);
    }
  }
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
  std::string ip = IPDoIni();
  return ip.empty() ? ObterIPLocal(ui_) : ip;
}

std::string FilaAC::IPDoIni() const { return ini_.LerIni("Local", "IP do Computador a ser processado", host_.CaminhoIni); }

std::string Hora(DataHora d) { return d.Zero() ? "-" : Format(Valor(d), "HH:mm:ss"); }

std::string TextoColuna(const Valor& v) {
  if (v.ENulo() || v.EVazio()) return "";
  return v.ETexto() ? v.ComoTexto() : CStr(v);
}

}  // namespace velant::ac
