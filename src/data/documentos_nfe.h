#pragma once
// Table DocumentoNFe: the signed document and the last batch sent of each
// invoice key, written in the same transaction as the MovimentoNFe step they
// belong to, so that any Host of the database can finish an invoice another
// Host started (its files are only in that Host's root folder).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/dialeto_sql.h"

namespace velant::data {

class CConexaoNfe;
class ConexaoDriver;

// The row of one access key (the table's primary key).
struct NotaDocumento {
  int32_t empresa = 0;
  std::string serie;
  std::string chave;   // 44 digits
};

struct DocumentosNFe {
  std::string assinado;     // the signed document, byte for byte
  std::string numeroLote;   // the batch identifier of its file name ("000000000042"); empty before a batch
  std::string lote;         // the batch file as it was sent; empty before a batch
};

// Stores the signed document of the key (invoice number `numero`); a batch
// stored before stays, as it may hold the document the authority has.
std::string ComandoGravaAssinado(const NotaDocumento& nota, int32_t numero, const std::string& assinado);
// Stores the batch built from the signed document stored before; changes
// no row when the key has no signed document.
std::string ComandoGravaLote(const NotaDocumento& nota, const std::string& numeroLote, const std::string& lote);

// What the database holds for the key; nullopt when it holds nothing.
// Raises ErroExecucao(ErroBanco) when the query could not run.
std::optional<DocumentosNFe> LeDocumentos(CConexaoNfe& banco, const NotaDocumento& nota);

// Runs the statements through ExecutaSql on the class's own connection, in
// one transaction: true when each changed a row and the transaction was
// committed; otherwise it is rolled back and nothing of it stays.
bool ExecutaEmTransacao(CConexaoNfe& banco, const std::vector<std::string>& comandos);

// The lines of the schema script between "-- >>> DocumentoNFe" and
// "-- <<< DocumentoNFe": the table for a database created before it existed.
std::string BlocoEsquemaDocumentos(DialetoSql dialeto);
// Creates the table when it is missing (harmless when it exists; a Host that
// starts at the same moment and creates it first is no error).
void GarantirTabelaDocumentos(ConexaoDriver& conexao, DialetoSql dialeto);

}  // namespace velant::data
