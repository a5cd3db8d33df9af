#include "manager/ambiente_host.h"

#include <stdexcept>

#include "component/servico_documento_fiscal.h"
#include "ui/interface_headless.h"

namespace velant {

namespace {

// "--raiz DIR" or "--raiz=DIR": the value, and the index moved past it.
bool LerValor(const std::vector<std::string>& argumentos, size_t& i, const std::string& opcao, std::string& valor) {
  const std::string& arg = argumentos[i];
  if (arg == opcao) {
    if (i + 1 >= argumentos.size()) throw std::invalid_argument("opção " + opcao + " sem valor");
    valor = argumentos[++i];
    return true;
  }
  if (arg.rfind(opcao + "=", 0) == 0) {
    valor = arg.substr(opcao.size() + 1);
    if (valor.empty()) throw std::invalid_argument("opção " + opcao + " sem valor");
    return true;
  }
  return false;
}

}  // namespace

OpcoesHost OpcoesHost::Ler(const std::vector<std::string>& argumentos) {
  OpcoesHost opcoes;
  for (size_t i = 0; i < argumentos.size(); ++i) {
    const std::string& arg = argumentos[i];
    if (LerValor(argumentos, i, "--raiz", opcoes.raiz)) continue;
    if (LerValor(argumentos, i, "--registro", opcoes.registro)) continue;
    if (arg == "--uma-vez") {
      opcoes.umaVez = true;
    } else if (arg == "--janela") {
      opcoes.janela = true;
    } else {
      opcoes.resto.push_back(arg);
    }
  }
  return opcoes;
}

AmbienteHost::AmbienteHost(const OpcoesHost& opcoes, std::unique_ptr<InterfaceOperador> ui)
    : opcoes_(opcoes),
      ui_(ui ? std::move(ui) : std::make_unique<InterfaceHeadless>()),
      caminhos_(MapeadorCaminhos::RaizPadrao(opcoes.raiz)),
      ini_(caminhos_),
      registro_(RegistroWindows::ArquivoPadrao(opcoes.registro)),
      log_(*ui_, caminhos_, relogio_),
      gerador_(caminhos_, &registro_),
      ctx_{*ui_, relogio_, caminhos_, ini_, registro_, log_, host_, atual_, tabelas_, vetores_,
           /*ConexaoBanco=*/nullptr, /*Solicitacao=*/nullptr, /*GeradorXml=*/nullptr,
           /*CriaFiscalDocService=*/{}, /*Batimento=*/{}} {
  ctx_.CriaFiscalDocService = FabricaServicoDocumentoFiscal(ctx_);
  ctx_.GeradorXml = &gerador_;
  registro_.DefinirAvisoFalha([this](const std::string& linha) { log_.RegistraEvento(linha, true, false); });
}

AmbienteHost::~AmbienteHost() = default;

}  // namespace velant
