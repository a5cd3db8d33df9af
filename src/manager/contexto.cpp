#include "manager/contexto.h"

#include <chrono>
#include <thread>

namespace velant {

void AguardaSegundos(Contexto& ctx, int16_t n) {
  const DataHora inicio = ctx.relogio.Agora();
  while (DiferencaSegundos(inicio, ctx.relogio.Agora()) < n) {
    ctx.ui.ProcessarEventos();
    // Window events are served at this pace; no need to spin the processor.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace velant
