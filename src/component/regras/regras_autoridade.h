#pragma once
// The business rules of layouts 3.10 and 4.00 that the tax authority applies to a
// schema-valid, signed NF-e before it authorises it, each with its official
// rejection code and text. The Host runs them on a signed document before
// it builds a batch; the authority simulator runs them when it authorises.
// The rules look at one document alone: what needs the authority's records
// (registrations, duplicates, referenced invoices on file) is not here.
#include <libxml/tree.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velant::regras {

enum class Familia {
  ChaveAcesso,         // the key against the document's fields
  Emissao,             // dates, emission type, DANFE format, payment group
  Homologacao,         // the recipient's name in homologation
  DigitosVerificadores,// CNPJ, CPF, GTIN, municipality and referenced keys
  Destinatario,        // identification, address and indicators of the recipient
  Destino,             // CFOP, idDest and the recipient's state
  Devolucao,           // returns and referenced documents
  Regime,              // CRT against CST or CSOSN
  Combustivel,         // the fuel group of fuel CFOPs
  Exportacao,          // the place of exit of an export
  ValoresItem,         // value, tax and groups of each item
  Totais,              // totals against the items and the invoice total
  Transporte,          // the carrier
};

struct RegraAutoridade {
  int codigo;
  const char* texto;   // "Rejeição: ..."
  const char* fonte;   // the taxpayer's manual or technical note that states it
  Familia familia;
};

// Every rule, in the order they are checked.
const std::vector<RegraAutoridade>& TabelaRegras();
// The rule of a code; null when none has it.
const RegraAutoridade* RegraPorCodigo(int codigo);
// The family's name, as the tests print it ("Totais").
const char* NomeFamilia(Familia familia);

struct RegraViolada {
  int codigo = 0;
  std::string texto;     // the official text
  std::string detalhe;   // the values involved
  // "564 - Rejeição: Total do Produto / Serviço difere do somatório dos itens"
  std::string CodigoETexto() const { return std::to_string(codigo) + " - " + texto; }
};

// The first rule the document breaks, or nothing. `nfe` is the NFe element;
// `agora` the moment of receipt (an emission after it is refused);
// `autorizador` who receives it: "" the state's service, "SVC-AN" or
// "SVC-RS" its contingency (which takes only its own tpEmis).
std::optional<RegraViolada> VerificaRegras(const xmlNode* nfe, std::chrono::system_clock::time_point agora,
                                           const std::string& autorizador = "");

// The same for a file holding the NFe (signed or not); raises ErroExecucao
// (ErroComponente) when it cannot be read or is not an NF-e.
std::optional<RegraViolada> VerificaRegrasArquivo(const std::filesystem::path& arquivo,
                                                  std::chrono::system_clock::time_point agora,
                                                  const std::string& autorizador = "");

}  // namespace velant::regras
