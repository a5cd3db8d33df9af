#pragma once
// GerenciadorNFe, the main window: start-up (load), the one-second poll
// timer that serves the request queue, and unload.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/valor.h"
#include "contexto/contexto.h"
#include "manager/estado_gerenciador.h"
#include "manager/batimento_host.h"
#include "manager/manipuladores_comando.h"
#include "manager/solicitacoes_orfas.h"
#include "manager/trava_instancia.h"

namespace velant {

namespace data {
class CConexaoNfe;
class cSolicitacaoFuncaoNFe;
}  // namespace data
struct ComandoHost;

inline constexpr const char* kCaptionProjeto = "Velant NFe";
inline constexpr const char* kTextoStatusAguardando = "Ativo: Aguardando Solicitação...";

// "HH:mm:ss" of a date or time, or "" when the value is neither.
std::string FormataHora(const Valor& valor);

class GerenciadorNFe {
 public:
  // `configuracao` is the one ctx.host reads; the load handler fills it.
  GerenciadorNFe(Contexto& ctx, ConfiguracaoHost& configuracao, ManipuladoresComando& manipuladores);
  ~GerenciadorNFe();
  GerenciadorNFe(const GerenciadorNFe&) = delete;
  GerenciadorNFe& operator=(const GerenciadorNFe&) = delete;

  // The load handler. False when the process must end: another copy is
  // running, or this computer is not the one the INI file names.
  bool Carrega();
  // One tick of Timer1: serves at most one request.
  void Tique();

  // With workers (trabalhadores.h) the window keeps only the heartbeat, and
  // each worker has a manager of its own over its own Contexto:
  // the heartbeat alone, for the window's tick (reopens a lost connection first).
  void Bate();
  // Makes this manager a worker: its own database connection, no heartbeat
  // of its own; its claims are taken one at a time under `travaTomada`,
  // which the Host's workers share.
  void IniciaTrabalhador(std::mutex& travaTomada);
  // A worker's turn: serves one request, or with AtenderEmSequencia one
  // after another while requests wait and `deveParar` answers false.
  void AtendeFila(const std::function<bool()>& deveParar);
  // The unload handler: releases the queue object and closes the connections.
  void Descarrega();

  EstadoGerenciador& Janela() { return janela_; }
  bool Ocupado() const { return ocupado_; }

  // Where this computer's address comes from (tests give a fixed one).
  std::function<std::string()> ObterIP;

 private:
  data::cSolicitacaoFuncaoNFe& Solicitacao();
  void CriaConexaoBanco();
  // True when a request was claimed.
  bool Ciclo();
  // Runs the command's handler and answers; false when the tick must end at once.
  bool Despacha(const ComandoHost& comando);
  bool Responde(bool aprovada, const std::string& mensagem);
  void RegistraErroBanco(const std::string& rotina, const std::string& descricao);
  void Registra(const std::string& texto);
  void MostraStatus();

  // The queue never stalls and never leaves a claimed request unanswered
  // (ciclo_banco.cpp, ciclo_recusas.cpp):
  // false while the database is down (reopened with a back-off; the outage
  // is in the status line, and its start and end in the log).
  bool BancoDisponivel();
  // An answer the database did not take (an error, not a refusal) is kept
  // and written again before anything else; false while that still fails.
  struct RespostaPendente {
    int32_t nsu = 0;
    bool aprovada = false;
    DataHora hora;
    std::string mensagem;
  };
  enum class Entrega { Gravada, Recusada, Adiada };
  Entrega EntregaResposta(const RespostaPendente& resposta, bool repetida);
  bool EntregaRespostasPendentes();
  // A claimed request the parser refused: a Host cancellation naming why.
  bool RecusaSolicitacao();
  // The oldest open row has an NSU the Host cannot serve: cancelled at once.
  void RecusaNSUInvalido(int64_t nsu);

  Contexto& ctx_;
  ConfiguracaoHost& configuracao_;   // written by Carrega only
  ManipuladoresComando& manipuladores_;
  EstadoGerenciador janela_;
  TravaInstancia trava_;
  std::unique_ptr<data::CConexaoNfe> conexao_;
  std::unique_ptr<data::cSolicitacaoFuncaoNFe> solicitacao_;
  bool ocupado_ = false;
  std::mutex* travaTomada_ = nullptr;   // a worker's: shared with the other workers
  std::string ultimoErroBanco_;   // a database that stays down is logged once, not every second
  bool bancoForaDoAr_ = false;
  DataHora bancoForaDesde_;
  std::deque<RespostaPendente> respostasPendentes_;
  BatimentoHost batimento_{ctx_};
  SolicitacoesOrfas orfas_{ctx_};
};

}  // namespace velant
