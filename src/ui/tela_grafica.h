#pragma once
// Whether a window can be shown at all. A toolkit started without a display
// aborts the whole process, so the Host asks first and, when there is none,
// goes on without a screen.
#include <string>

namespace velant {

struct SituacaoTela {
  bool disponivel = false;
  std::string motivo;   // why not, for the operator; empty when available
};

// From QT_QPA_PLATFORM, WAYLAND_DISPLAY and DISPLAY: a display server that
// answers on its socket, or a platform that needs none (offscreen).
SituacaoTela VerificaTelaGrafica();

}  // namespace velant
