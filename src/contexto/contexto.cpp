#include "contexto/contexto.h"

#include <chrono>
#include <thread>

namespace velant {

void AguardaSegundos(Contexto& ctx, int16_t n) {
  const DataHora inicio = ctx.relogio.Agora();
  // The wall clock may be set back (by hand, or by the time service); the
  // monotonic clock bounds the wait all the same.
  const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(n);
  while (DiferencaSegundos(inicio, ctx.relogio.Agora()) < n && std::chrono::steady_clock::now() < limite) {
    ctx.ui.ProcessarEventos();
    if (ctx.Batimento) ctx.Batimento();
    // Window events are served at this pace; no need to spin the processor.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace velant
