#pragma once
// The objects of one Host run, built from the command-line options: the root
// folder, the registry file, the operator interface, the log and the
// process-wide state. Every executable and sub-command builds one of these.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/caminhos.h"
#include "base/data_hora.h"
#include "component/xml/gerador_xml_nfe.h"
#include "contexto/vetores_nfe.h"
#include "contexto/contexto.h"
#include "contexto/configuracao_host.h"
#include "contexto/solicitacao_atual.h"
#include "plataforma/perfil_ini.h"
#include "plataforma/registro_eventos.h"
#include "plataforma/registro_windows.h"
#include "data/tabelas_solicitacao.h"
#include "ui/interface_operador.h"

namespace velant {

struct OpcoesHost {
  std::string raiz;        // --raiz DIR
  std::string registro;    // --registro FILE
  bool umaVez = false;     // --uma-vez
  bool janela = false;     // --janela (Qt window instead of headless)
  std::vector<std::string> resto;   // arguments that are not options

  // Reads the options it knows and leaves the rest in `resto`.
  // Raises std::invalid_argument for an option without its value.
  static OpcoesHost Ler(const std::vector<std::string>& argumentos);
};

class AmbienteHost {
 public:
  // ui may be given (tests, the Qt window); otherwise the headless one is used.
  explicit AmbienteHost(const OpcoesHost& opcoes, std::unique_ptr<InterfaceOperador> ui = nullptr);
  ~AmbienteHost();

  Contexto& Ctx() { return ctx_; }
  // The configuration, writable, for start-up only; everything after it reads Ctx().host.
  ConfiguracaoHost& Configuracao() { return host_; }
  const OpcoesHost& Opcoes() const { return opcoes_; }
  InterfaceOperador& Ui() { return *ui_; }

 private:
  OpcoesHost opcoes_;
  std::unique_ptr<InterfaceOperador> ui_;
  RelogioSistema relogio_;
  MapeadorCaminhos caminhos_;
  PerfilIni ini_;
  RegistroWindows registro_;
  RegistroEventos log_;
  ConfiguracaoHost host_;
  SolicitacaoAtual atual_;
  TabelasSolicitacao tabelas_;
  VetoresNFe vetores_;
  GeradorXmlNFe gerador_;   // the control on the main window
  Contexto ctx_;
};

}  // namespace velant
