#pragma once
// "velantnfe banco criar": the configured database with every table of the
// system. A PostgreSQL database that does not exist yet is created first.
// Harmless to run again.
#include <string>

namespace velant {
class PerfilIni;
class MapeadorCaminhos;
class InterfaceOperador;
}  // namespace velant

namespace velant::data {

struct ResultadoCriacaoBanco {
  bool ok = false;
  std::string mensagem;   // what was done, or why not, for the operator
};

ResultadoCriacaoBanco CriarBancoDados(const PerfilIni& ini, const MapeadorCaminhos& caminhos, InterfaceOperador& ui,
                                      const std::string& arquivoIni);

}  // namespace velant::data
