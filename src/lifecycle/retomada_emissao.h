#pragma once
// An invoice may reach the authority while its answer does not reach us
// (timeout, dropped connection, a Host killed mid-way). Before anything is
// generated or sent again for a key the invoice may have gone under, and
// whenever the authority says duplicate, the authority is asked first.
#include <string>

#include "component/resposta_autoridade.h"
#include "contexto/contexto.h"

namespace velant {

enum class SituacaoAnterior {
  Autorizada,    // authorised: finish it, never send it again
  NaoConsta,     // 217, the authority does not have it: it may be sent
  Impedida,      // any other status (cancelled, denied, paralysed...): nothing is sent
  SemResposta    // the query failed: nothing is sent
};

// Asks the authority about the key. Anything but Autorizada and NaoConsta
// leaves the reason in MensagemRetorno.
SituacaoAnterior ConsultaSituacaoAnterior(Contexto& ctx, const std::string& chave);

// A processing query saying duplicate: 204 (this very key) or 539 (this
// series and number under another key, named in its reason).
bool EDuplicidade(const RespostaLote& resposta);

// For a duplicate: true when the authority has the invoice authorised; the
// invoice's row and ChaveAcessoSolicitada then hold the authorised key.
// False leaves the reason in MensagemRetorno.
bool AssumeNotaAutorizada(Contexto& ctx, const RespostaLote& resposta);

}  // namespace velant
