#pragma once
// The files a request may have mailed: documents of the shop's invoices
// (XML, PDF, ZIP) under its base folder. Never anything of the Host's own
// (configuration, certificate, registry file, database, log), and never
// reached through "..", a link or a second name.
#include <filesystem>
#include <string>

#include "contexto/contexto.h"

namespace velant {

struct AnexoVerificado {
  std::filesystem::path local;   // where the file lies
  std::string recusa;            // why it may not go (at most 50 characters); empty when it may
};

// For a file the request names by its Windows path and that exists.
AnexoVerificado VerificaAnexo(const Contexto& ctx, const std::string& caminhoWindows);

}  // namespace velant
