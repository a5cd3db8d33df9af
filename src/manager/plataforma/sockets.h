#pragma once
// This computer's IPv4 address, with the failure messages of the socket routines.
#include <string>

#include "ui/interface_operador.h"

namespace velant {

bool IniciarSockets(InterfaceOperador& ui);
void EncerrarSockets(InterfaceOperador& ui);
// First non-loopback IPv4 of the host entry, else of the interfaces, else
// loopback; "" on failure.
std::string ObterIPLocal(InterfaceOperador& ui);

}  // namespace velant
