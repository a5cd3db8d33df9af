#pragma once
// Schema validation of the fiscal documents against the schema set shipped
// with the product (folders PL_008i2/ and evento/). A schema is compiled on
// first use and kept for the life of the process; validations may run from
// several threads at once.
#include <filesystem>
#include <optional>
#include <string>

namespace velant {

// Folder of the schema set: $VELANT_ESQUEMAS, else <exe dir>/../share/velantnfe/schemas,
// else the source tree's schemas/ (for tests and runs from the build tree).
std::filesystem::path PastaEsquemas();

// Full path of a schema: an absolute path is used as is; a relative one
// ("evento/envEventoCancNFe_v1.00.xsd") is taken under PastaEsquemas(); a
// bare file name ("nfe_v3.10.xsd") is looked for in PL_008i2/ then evento/.
// Raises ErroExecucao (ArquivoNaoEncontrado) naming it when absent.
std::filesystem::path CaminhoEsquema(const std::string& esquema);

// Validates an XML document given as text (it starts with "<", after blanks
// or a byte-order mark) or as the path of a file. Returns nothing when valid,
// otherwise the first error: a parse error or the first schema violation, as
// "linha N: <message>". A schema that cannot be found or compiled raises
// ErroExecucao naming it.
std::optional<std::string> ValidarXml(const std::string& xmlOuArquivo, const std::string& esquema);

}  // namespace velant
