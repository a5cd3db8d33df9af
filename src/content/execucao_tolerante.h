#pragma once
// Statement-by-statement error handling of the header routines: a statement
// that raises a run-time error is skipped and the routine goes on with the
// next one; a test that raises leads into the first statement of its true
// branch. Only ErroExecucao is absorbed: anything else is a program fault
// and travels up. Every absorbed error leaves one log line naming the
// routine, the statement's line and the error, so an operator can see why a
// value came out empty or zero.
#include <exception>
#include <source_location>
#include <string>

#include "base/erro.h"

namespace velant {
class RegistroEventos;
}

namespace velant::conteudo {

// Names the routine whose absorbed errors are being logged, for as long as
// it runs. Routines nest (a routine may call another one).
class RotinaTolerante {
 public:
  RotinaTolerante(RegistroEventos& log, const char* nome);
  ~RotinaTolerante();
  RotinaTolerante(const RotinaTolerante&) = delete;
  RotinaTolerante& operator=(const RotinaTolerante&) = delete;

 private:
  RegistroEventos& log_;
  const char* nome_;
  RotinaTolerante* anterior_;
  friend void AnotaErroAbsorvido(const std::source_location&, const ErroExecucao&);
};

// The log line of an absorbed error; nothing when no routine is named.
void AnotaErroAbsorvido(const std::source_location& onde, const ErroExecucao& erro);

// Runs one statement; a run-time error skips it.
template <class Instrucao>
void Tenta(Instrucao&& instrucao, const std::source_location onde = std::source_location::current()) {
  try {
    instrucao();
  } catch (const ErroExecucao& erro) {
    AnotaErroAbsorvido(onde, erro);
  }
}

// The test of an If (or of each ElseIf): a run-time error counts as true,
// because execution resumes at the statement after the test.
template <class Teste>
bool Se(Teste&& teste, const std::source_location onde = std::source_location::current()) {
  try {
    return static_cast<bool>(teste());
  } catch (const ErroExecucao& erro) {
    AnotaErroAbsorvido(onde, erro);
    return true;
  }
}

// The description an error line reports.
inline std::string DescricaoErro(const std::exception& erro) {
  if (auto* e = dynamic_cast<const ErroExecucao*>(&erro)) return e->Descricao();
  return erro.what();
}

}  // namespace velant::conteudo
