#pragma once
// GerenciadorNFe, the main window: start-up (load), the one-second poll
// timer that serves the request queue, and unload.
#include <functional>
#include <memory>
#include <string>

#include "base/valor.h"
#include "contexto/contexto.h"
#include "manager/estado_gerenciador.h"
#include "manager/manipuladores_comando.h"
#include "manager/solicitacoes_orfas.h"
#include "manager/trava_instancia.h"

namespace velant {

namespace data {
class CConexaoNfe;
class cSolicitacaoFuncaoNFe;
}  // namespace data

inline constexpr const char* kCaptionProjeto = "Velant NFe";
inline constexpr const char* kTextoStatusAguardando = "Ativo: Aguardando Solicitação...";

// "HH:mm:ss" of a date or time, or "" when the value is neither.
std::string FormataHora(const Valor& valor);

class GerenciadorNFe {
 public:
  GerenciadorNFe(Contexto& ctx, ManipuladoresComando& manipuladores);
  ~GerenciadorNFe();
  GerenciadorNFe(const GerenciadorNFe&) = delete;
  GerenciadorNFe& operator=(const GerenciadorNFe&) = delete;

  // The load handler. False when the process must end: another copy is
  // running, or this computer is not the one the INI file names.
  bool Carrega();
  // One tick of Timer1: serves at most one request.
  void Tique();
  // The unload handler: releases the queue object and closes the connections.
  void Descarrega();

  EstadoGerenciador& Janela() { return janela_; }
  bool Ocupado() const { return ocupado_; }

  // Where this computer's address comes from (tests give a fixed one).
  std::function<std::string()> ObterIP;

 private:
  data::cSolicitacaoFuncaoNFe& Solicitacao();
  void CriaConexaoBanco();
  void Ciclo();
  bool Despacha();   // runs the handler and answers; false when the tick must end at once
  bool Responde(bool aprovada, const std::string& mensagem);
  void RegistraErroBanco(const std::string& rotina, const std::string& descricao);
  void Registra(const std::string& texto);
  void MostraStatus();

  Contexto& ctx_;
  ManipuladoresComando& manipuladores_;
  EstadoGerenciador janela_;
  TravaInstancia trava_;
  std::unique_ptr<data::CConexaoNfe> conexao_;
  std::unique_ptr<data::cSolicitacaoFuncaoNFe> solicitacao_;
  bool ocupado_ = false;
  std::string ultimoErroBanco_;   // a database that stays down is logged once, not every second
  SolicitacoesOrfas orfas_{ctx_};
};

}  // namespace velant
