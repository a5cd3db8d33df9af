#pragma once
// Why this user cannot reach a file of the Host's root: the first folder on
// the way that does not let it through, or the file itself. The installed
// service keeps its root for one group (see servico/), so the message names
// the owner, the group and the mode, and how to join the group.
#include <filesystem>
#include <optional>
#include <string>

namespace velant::ac {

enum class Acesso { Leitura, LeituraEscrita };

// Nothing when the path can be reached with that access (a missing file to
// read is another message; one to write must be creatable in its folder);
// else the text that says who is refused where.
std::optional<std::string> SemPermissao(const std::filesystem::path& alvo, Acesso acesso);

}  // namespace velant::ac
