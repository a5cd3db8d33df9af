#pragma once
// The checks main makes on a sub-command's arguments, and the texts of
// --help. Kept apart from main so that the wording lives in one place.
#include <optional>
#include <string>
#include <vector>

#include "comandos.h"

namespace velant::app {

inline constexpr int kSaidaUso = 64;   // sysexits EX_USAGE

// "--help" or "-h" anywhere among the arguments.
bool PedeAjuda(const std::vector<std::string>& argumentos);

// Why the arguments do not fit the syntax, naming the option or argument at
// fault; nothing when they fit.
std::optional<std::string> ConfereArgumentos(const SintaxeComando& sintaxe, const std::vector<std::string>& argumentos);

// The whole --help of one sub-command.
std::string AjudaComando(const SintaxeComando& sintaxe);

}  // namespace velant::app
