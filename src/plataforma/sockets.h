#pragma once
// This computer's IPv4 address, with the failure messages of the socket routines.
#include <string>
#include <vector>

#include "ui/interface_operador.h"

namespace velant {

bool IniciarSockets(InterfaceOperador& ui);
void EncerrarSockets(InterfaceOperador& ui);
// First non-loopback IPv4 of the host entry, else of the interfaces, else
// loopback; "" on failure.
std::string ObterIPLocal(InterfaceOperador& ui);

// The choice ObterIPLocal makes among dotted addresses, in the order found:
// the host entry's first non-loopback one, then the interfaces' first
// non-loopback one, then the first loopback one of either; "" when both are empty.
std::string EscolheIPv4(const std::vector<std::string>& doHost, const std::vector<std::string>& dasInterfaces);

}  // namespace velant
