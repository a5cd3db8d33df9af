#pragma once
// The local check of the authority's rules on one invoice, as the rule
// tables of each layout judge it: no rule broken when `codigo` is 0, else
// that rule first, with its official text. `autorizador` and `agora` as
// VerificaRegras takes them.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "component/regras/regras_autoridade.h"
#include "component/xml/autoridade_xml.h"

namespace velant::teste {

inline void ConfereRegraLocal(const std::string& nota, int codigo, const std::string& autorizador = "",
                              std::chrono::system_clock::time_point agora = std::chrono::system_clock::now()) {
  auto documento = autoridade::DocumentoXml::Ler(nota, "nota");
  auto violada = regras::VerificaRegras(documento.Raiz(), agora, autorizador);
  const regras::RegraAutoridade* regra = regras::RegraPorCodigo(codigo);
  EXPECT_EQ(violada ? violada->CodigoETexto() : "nenhuma",
            codigo == 0 ? "nenhuma" : std::to_string(codigo) + " - " + (regra ? regra->texto : "(regra desconhecida)"))
      << (violada ? violada->detalhe : "");
}

}  // namespace velant::teste
