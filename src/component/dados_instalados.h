#pragma once
// Where the data files shipped with the product (dados/) are found: below
// <prefix>/share/velantnfe/dados next to the running executable when
// installed, else in the source tree (tests, a build not installed).
#include <filesystem>
#include <string>

namespace velant {

std::filesystem::path ArquivoDeDados(const std::string& nome);

}  // namespace velant
