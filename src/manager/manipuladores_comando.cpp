#include "manager/manipuladores_comando.h"

#include "lifecycle/cancela_nfe.h"
#include "lifecycle/carta_correcao.h"
#include "lifecycle/envia_email_contador.h"
#include "lifecycle/envia_email_nfe.h"
#include "lifecycle/imprimir_nfe.h"
#include "lifecycle/inutiliza_nfe.h"
#include "lifecycle/processa_nfe.h"
#include "lifecycle/testa_servidores.h"

namespace velant {

bool ManipuladoresLifecycle::CancelaNFe(const std::string& numeroNF, const std::string& chaveAcesso,
                                        const std::string& sequencia, const std::string& protocolo,
                                        const std::string& justificativa) {
  return velant::CancelaNFe(ctx_, numeroNF, chaveAcesso, sequencia, protocolo, justificativa);
}

bool ManipuladoresLifecycle::ProcessaNFeAzure() { return velant::ProcessaNFeAzure(ctx_); }

bool ManipuladoresLifecycle::TestaServidores() { return velant::TestaServidores(ctx_); }

bool ManipuladoresLifecycle::ImprimirNFE(const std::string& chaveAcesso, const std::string& protocolo,
                                          DataHora dataEmissao) {
  return velant::ImprimirNFE(ctx_, chaveAcesso, protocolo, dataEmissao);
}

bool ManipuladoresLifecycle::EnviaEmailNFe() { return velant::EnviaEmailNFe(ctx_); }

bool ManipuladoresLifecycle::EnviaEmailContador() { return velant::EnviaEmailContador(ctx_); }

bool ManipuladoresLifecycle::InutilizaNFe(const std::string& ano, const std::string& numeroInicial,
                                          const std::string& numeroFinal, const std::string& justificativa) {
  return velant::InutilizaNFe(ctx_, ano, numeroInicial, numeroFinal, justificativa);
}

bool ManipuladoresLifecycle::CartaCorrecao(const std::string& chaveAcesso, const std::string& sequencia,
                                           const std::string& correcao) {
  return velant::CartaCorrecao(ctx_, chaveAcesso, sequencia, correcao);
}

}  // namespace velant
