#pragma once
// This Host run's heartbeat: its row of HostBatimento (its id, and a counter
// it advances once a second while it runs, also while it serves a request),
// by which the other Hosts tell whether the holder of a claimed request
// still runs without ever comparing their clocks with its clock.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "contexto/contexto.h"

namespace velant {

using RelogioMonotonico = std::function<std::chrono::steady_clock::time_point()>;

// A new id for a Host run: random, above 0, never the id of an earlier run.
int64_t NovoIdHost();

class BatimentoHost {
 public:
  explicit BatimentoHost(Contexto& ctx, RelogioMonotonico agora = &std::chrono::steady_clock::now)
      : ctx_(ctx), agora_(std::move(agora)) {}

  // Advances the counter when a second has passed since the last beat; the
  // first beat (and one after the row went missing) writes the row. A
  // database error is logged once while it lasts, never raised. Nothing for
  // a run without an id or without a connection.
  void Bate();
  // Removes this run's row: it ends holding no request.
  void Encerra();

 private:
  Contexto& ctx_;
  RelogioMonotonico agora_;
  std::optional<std::chrono::steady_clock::time_point> ultimo_;
  std::string ultimoErro_;
};

}  // namespace velant
