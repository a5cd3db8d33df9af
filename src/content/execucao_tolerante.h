#pragma once
// Statement-by-statement error handling of the header routines: a statement
// that raises a run-time error is skipped and the routine goes on with the
// next one; a test that raises leads into the first statement of its true
// branch. Only ErroExecucao is absorbed: anything else is a program fault
// and travels up.
#include <exception>
#include <string>

#include "base/erro.h"

namespace velant::conteudo {

// Runs one statement; a run-time error skips it.
template <class Instrucao>
void Tenta(Instrucao&& instrucao) {
  try {
    instrucao();
  } catch (const ErroExecucao&) {
  }
}

// The test of an If (or of each ElseIf): a run-time error counts as true,
// because execution resumes at the statement after the test.
template <class Teste>
bool Se(Teste&& teste) {
  try {
    return static_cast<bool>(teste());
  } catch (const ErroExecucao&) {
    return true;
  }
}

// The description an error line reports.
inline std::string DescricaoErro(const std::exception& erro) {
  if (auto* e = dynamic_cast<const ErroExecucao*>(&erro)) return e->Descricao();
  return erro.what();
}

}  // namespace velant::conteudo
