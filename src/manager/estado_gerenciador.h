#pragma once
// Fields of the main window GerenciadorNFe: host identity, status label,
// parser state and the header buffer. One lives for the whole run.
#include <cstdint>
#include <string>

#include "base/data_hora.h"
#include "manager/buffer_cabecalho.h"

namespace velant {

inline constexpr const char* kTextoStatusInicial = "Ativo: Aguardando Solicitação";

struct EstadoGerenciador {
  std::string IPDestePC;
  std::string Caption;                       // window caption after start-up
  int16_t ContadorCiclos = 0;                // ticks since the label was last reset
  std::string TextoStatus = kTextoStatusInicial;   // lblMensagem

  // Parser state.
  std::string ComandoAtual;
  int32_t NumeroControle = 0;                // kept from one request to the next
  bool SolicitacaoAceita = false;
  std::string CodigoRetorno;
  std::string TextoRetorno;
  // Why the parser refused the request (set whenever it returns False); the
  // poll loop answers the row with it.
  std::string MotivoRecusa;

  DataHora HoraResposta;                     // time of the answer stamp
  BufferCabecalho Cabecalho;
};

}  // namespace velant
