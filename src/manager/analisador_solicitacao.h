#pragma once
// The request text parser: reads the numbered fields of a request into the
// header buffer, the process-wide request values and the request tables.
//
//   000-000   COMMAND          first line: the command
//   001-000   123              control number
//   ...                        one field per line, code, 3-character separator, value
//   999-999                    terminator
//
// Lines end with CR LF; the text after the last CR LF is not read.
#include <string_view>

#include "contexto/contexto.h"
#include "manager/estado_gerenciador.h"

namespace velant {

// Parses the Texto of the request row NSUAtual (ctx.Solicitacao must exist).
// True when the terminator was reached and the control number matched.
bool AbreArquivoSolicitacao(Contexto& ctx, EstadoGerenciador& janela);

// Parses a request text exactly as the Host would after reading it from its
// row (same state, same tables, same log lines and error handling). For the
// integrators' sub-commands that take a request file.
bool AnalisaTextoSolicitacao(Contexto& ctx, EstadoGerenciador& janela, std::string_view texto);

// Resets what a request must not inherit from the previous one.
void LimpaSolicitacao(SolicitacaoAtual& atual, EstadoGerenciador& janela);

}  // namespace velant
