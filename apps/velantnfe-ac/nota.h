#pragma once
// The invoice as the Host recorded it in MovimentoNFe: its access key, its
// authorisation protocol and its step. The front end reads them here for
// the requests that follow an emission (print, mail, cancel).
#include <cstdint>
#include <string>
#include <vector>

#include "fila_ac.h"

namespace velant::ac {

struct NotaRegistrada {
  int32_t empresa = 0;
  std::string serie;
  int32_t numero = 0;
  std::string chave;
  int64_t protocolo = 0;   // 0: not authorised (yet)
  int etapa = 0;
  std::string data;
  int64_t protocoloCancelamento = 0;   // from MovimentoNFeSaidaCancelada; 0: none
};

// The rows of that series and number (of one company when empresa >= 0), in company order.
std::vector<NotaRegistrada> LocalizaNotas(FilaAC& fila, const std::string& serie, int32_t numero, int empresa);

// What step n of MovimentoNFe means.
const char* SignificadoEtapa(int etapa);

}  // namespace velant::ac
