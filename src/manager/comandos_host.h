#pragma once
// The commands of the request text ("000-000" line), one row each: what the
// parser answers when it accepts one, whether it builds the request tables,
// the handler the poll loop runs and the messages of its answer. The only
// place that knows the command names: a new command is one row here.
#include <span>
#include <string>
#include <string_view>

#include "contexto/solicitacao_atual.h"
#include "manager/buffer_cabecalho.h"
#include "manager/manipuladores_comando.h"

namespace velant {

// A request field that the preparation of the handler's arguments could not
// convert; `mensagem` becomes the Host-cancellation message.
struct PreparoInvalido {
  std::string mensagem;
  std::string descricao;
};

// Prepares the arguments from the request and runs the handler; its result.
// Raises PreparoInvalido for a field that does not convert.
using ExecutaComando = bool (*)(ManipuladoresComando& manipuladores, SolicitacaoAtual& atual,
                                const BufferCabecalho& cabecalho);

struct ComandoHost {
  const char* nome;
  // TextoRetorno of an accepted request; "" leaves it empty.
  const char* recebida;
  // The request carries an invoice: the parser builds the request tables.
  bool tabelasDaNota;
  // nullptr: answered by the claim alone, no handler and no answer stamp.
  ExecutaComando executa;
  const char* rotina;       // the handler's name, for the log
  // Answer messages; nullptr takes MensagemRetorno, which the handler left
  // (and which an error escaping the handler replaces with its description).
  const char* aprovada;
  const char* cancelada;
  // The handler returned True but NFeProcessada stayed False: a Host
  // cancellation with this message; nullptr when the command has no such state.
  const char* naoConcluida;
};

// Every command, in the order the dispatch has always tried them.
std::span<const ComandoHost> ComandosHost();

// The row of a command (exact, case-sensitive); nullptr when unknown.
const ComandoHost* LocalizaComando(std::string_view nome);

// The command on the first line of a request text, if it is one of the table.
const ComandoHost* ComandoDoTexto(std::string_view texto);

}  // namespace velant
