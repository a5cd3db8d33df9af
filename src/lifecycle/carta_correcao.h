#pragma once
// "CARTA CORRECAO": the correction letter (event 110110) of an invoice this
// Host has authorised (MovimentoNFe of Empresa = CodigoEmpresa, step 3) and
// that is not cancelled here. Each letter registered is stored as its
// procEventoNFe next to the invoice's distribution file,
// PastaBase\nfe\arquivos\procNFe\<key>-cce-<nn>-procEventoNFe.xml (nn the
// sequence, two digits); the next letter carries the text of the last one
// stored before it and the new correction (carta_correcao_texto.h).
#include <optional>
#include <string>

#include "contexto/contexto.h"

namespace velant {

// True when the authority registered the letter (135) and it was stored.
// A refusal, local or the authority's, leaves its reason in MotivoFalha;
// nothing is sent when a local check fails. Errors of the component are not
// trapped here: the poll loop reports them.
bool CartaCorrecao(Contexto& ctx, const std::string& chave, const std::string& sequencia,
                   const std::string& correcao);

// The stored letter of the key with that sequence (Windows path).
std::string ArquivoCartaCorrecao(const Contexto& ctx, const std::string& chave, int sequencia);

// The highest sequence below `abaixoDe` (21: any) with a stored letter of the key; 0 when none.
int UltimaCartaGravada(const Contexto& ctx, const std::string& chave, int abaixoDe = 21);

}  // namespace velant
