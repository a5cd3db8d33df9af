#pragma once
// The Host's workers, when the registry asks for them (valores_atendimento.h).
// Each is a thread serving the queue through a manager of its own over a
// Contexto of its own: request state, tables, vectors, XML generator,
// database connection, and a log whose lines say which worker wrote them
// when there are several ("[T2] "). The configuration is the Host's, read
// only. A worker waits the poll interval between turns and is woken at once
// when a front end announces a request on PostgreSQL (kCanalSolicitacoes).
// The window's thread never serves a request: at each of its ticks it only
// shows what the workers queued (EntregaInterface) and keeps the heartbeat.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "contexto/contexto.h"
#include "manager/manipuladores_comando.h"
#include "ui/interface_trabalhador.h"

namespace velant {

using FabricaManipuladores = std::function<std::unique_ptr<ManipuladoresComando>(Contexto&)>;

// "[T2] ": the mark of worker 2's lines.
std::string PrefixoTrabalhador(int numero);

class Trabalhadores {
 public:
  // `principal` is the window's context after start-up (Carrega).
  Trabalhadores(Contexto& principal, ConfiguracaoHost& configuracao, FabricaManipuladores fabrica);
  ~Trabalhadores();
  Trabalhadores(const Trabalhadores&) = delete;
  Trabalhadores& operator=(const Trabalhadores&) = delete;

  // Starts the threads (and, on PostgreSQL, the one that listens).
  void Inicia();
  // On the window's thread: shows what the workers queued, answers their boxes.
  void EntregaInterface();
  // Every worker finishes the request in hand and ends; what they queue
  // meanwhile is shown. Called by the destructor too.
  void Para();
  // Every worker takes a turn now.
  void Acorda();

 private:
  struct Trabalhador;
  void Executa(Trabalhador& t);
  void Escuta();
  // Waits up to `limite` for Acorda (or Para) after the turn `vista`; the turn now.
  uint64_t Espera(uint64_t vista, std::chrono::milliseconds limite);

  Contexto& principal_;
  ConfiguracaoHost& configuracao_;
  FabricaManipuladores fabrica_;
  FilaInterface fila_;
  std::mutex travaTomada_;
  std::vector<std::unique_ptr<Trabalhador>> trabalhadores_;
  std::thread escuta_;
  std::atomic<bool> parar_{false};
  std::mutex mutex_;
  std::condition_variable sinal_;
  uint64_t vez_ = 0;   // advanced by Acorda
};

}  // namespace velant
