#include "manager/manipuladores_comando.h"

#include "base/erro.h"
#include "lifecycle/processa_nfe.h"
#include "lifecycle/testa_servidores.h"

namespace velant {

namespace {

[[noreturn]] void NaoDisponivel(const char* rotina) {
  Levanta(CodigoErro::ChamadaInvalida, std::string("Rotina ") + rotina + " não disponível");
}

}  // namespace

bool ManipuladoresLifecycle::CancelaNFe(const std::string&, const std::string&, const std::string&,
                                        const std::string&, const std::string&) {
  NaoDisponivel("CancelaNFe");
}

bool ManipuladoresLifecycle::ProcessaNFeAzure() { return velant::ProcessaNFeAzure(ctx_); }

bool ManipuladoresLifecycle::TestaServidores() { return velant::TestaServidores(ctx_); }

bool ManipuladoresLifecycle::ImprimirNFE(const std::string&, const std::string&, DataHora) {
  NaoDisponivel("ImprimirNFE");
}

bool ManipuladoresLifecycle::EnviaEmailNFe() { NaoDisponivel("EnviaEmailNFe"); }

bool ManipuladoresLifecycle::EnviaEmailContador() { NaoDisponivel("EnviaEmailContador"); }

bool ManipuladoresLifecycle::InutilizaNFe(const std::string&, const std::string&, const std::string&,
                                          const std::string&) {
  NaoDisponivel("InutilizaNFe");
}

}  // namespace velant
