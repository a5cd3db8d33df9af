#pragma once
// The invoice's signed document and batch kept in the database
// (data/documentos_nfe.h): read from the files the component wrote, to be
// stored with the step that made them, and written back into PastaBase
// before the component reads them again, so that a Host whose root folder
// never had them (another computer, same database) finishes the invoice
// with the very bytes that were sent.
#include <string>

#include "contexto/contexto.h"
#include "data/documentos_nfe.h"

namespace velant::emissao {

// The current invoice's key: CodigoEmpresa, SerieAtual, ChaveAcessoSolicitada.
data::NotaDocumento NotaAtual(const Contexto& ctx);

// The bytes of the current invoice's signed file, and of the batch file of
// NumeroLote; ErroExecucao when a file cannot be read.
std::string LeAssinado(const Contexto& ctx);
std::string LeLote(const Contexto& ctx);

// Writes what the database holds for the key into PastaBase (temporary
// file, fsync, rename): the signed document at its path and the batch under
// nfe\lotes. A file that already holds those bytes is left alone; with
// nothing in the database, nothing is written. ErroExecucao when the
// database cannot be read or a file cannot be written.
void RestauraDocumentos(Contexto& ctx, const std::string& chave);

}  // namespace velant::emissao
