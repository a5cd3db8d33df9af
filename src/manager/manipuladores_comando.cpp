#include "manager/manipuladores_comando.h"

#include "base/erro.h"
#include "lifecycle/envia_email_contador.h"
#include "lifecycle/envia_email_nfe.h"
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

bool ManipuladoresLifecycle::ProcessaNFeAzure() { NaoDisponivel("ProcessaNFeAzure"); }

bool ManipuladoresLifecycle::TestaServidores() { return velant::TestaServidores(ctx_); }

bool ManipuladoresLifecycle::ImprimirNFE(const std::string&, const std::string&, DataHora) {
  NaoDisponivel("ImprimirNFE");
}

bool ManipuladoresLifecycle::EnviaEmailNFe() { return velant::EnviaEmailNFe(ctx_); }

bool ManipuladoresLifecycle::EnviaEmailContador() { return velant::EnviaEmailContador(ctx_); }

bool ManipuladoresLifecycle::InutilizaNFe(const std::string&, const std::string&, const std::string&,
                                          const std::string&) {
  NaoDisponivel("InutilizaNFe");
}

}  // namespace velant
