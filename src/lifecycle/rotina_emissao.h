#pragma once
// What the routines of the emission pipeline share: their own component
// instance, the database, the error line of their handlers, and the
// statements on the invoice's row of MovimentoNFe.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "contexto/contexto.h"

namespace velant {

class FiscalDocService;
namespace data {
class CConexaoNfe;
}

namespace emissao {

// A fresh component instance; raises ErroExecucao when there is none.
std::unique_ptr<FiscalDocService> Componente(Contexto& ctx);
data::CConexaoNfe& Banco(Contexto& ctx);

// Runs the routine's body; an error it raises is logged as
// "     ** Erro na Rotina: <rotina> - <description>" (file only) and gives
// false, with its cause in MensagemRetorno when nothing is there yet.
bool ComTratamento(Contexto& ctx, const char* rotina, const std::function<bool()>& corpo);

// A series goes into the statements as a text literal.
std::string TextoSql(const std::string& texto);
// " WHERE Empresa = ...   AND Serie = '...'   AND [Numero da NFe] = '<ChaveAcessoSolicitada>'"
std::string LinhaDaNota(const Contexto& ctx);
// "UPDATE MovimentoNFe SET <atribuicoes>" on the invoice's row; true when a row changed.
bool AtualizaNota(Contexto& ctx, const std::string& atribuicoes);

// Exactly n decimal digits: the only form in which the authority's numbers
// (receipt, protocol) may reach a statement.
bool SoDigitos(const std::string& texto, size_t n);

// An answer of the authority that is not believed (recusa_resposta.h): the
// reason goes to the file and the request's message, and into MensagemRetorno.
void RecusaResposta(Contexto& ctx, const std::string& recusa);

// PastaBase\nfe\arquivos\assinado\NFe<key>-assinado.xml, of ChaveAcessoSolicitada or of the key given.
std::string CaminhoAssinado(const Contexto& ctx);
std::string CaminhoAssinado(const Contexto& ctx, const std::string& chave);

}  // namespace emissao
}  // namespace velant
