#include "data/documentos_nfe.h"

#include <exception>

#include "base/erro.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"
#include "data/esquema_banco.h"
#include "data/formata_sql.h"

namespace velant::data {

namespace {

constexpr const char* kInicioBloco = "-- >>> DocumentoNFe";
constexpr const char* kFimBloco = "-- <<< DocumentoNFe";


std::string Chave(const NotaDocumento& nota) {
  return std::to_string(nota.empresa) + ", " + LiteralSql(nota.serie) + ", " + LiteralSql(nota.chave);
}

std::string Onde(const NotaDocumento& nota) {
  return " WHERE Empresa = " + std::to_string(nota.empresa) + "   AND Serie = " + LiteralSql(nota.serie) +
         "   AND [Numero da NFe] = " + LiteralSql(nota.chave);
}

std::string TextoOuVazio(const Valor& v) { return v.ENulo() ? std::string() : v.Texto(); }

}  // namespace

std::string ComandoGravaAssinado(const NotaDocumento& nota, int32_t numero, const std::string& assinado) {
  return "INSERT INTO DocumentoNFe (Empresa, Serie, [Numero da NFe], Numero, [Documento Assinado]) VALUES ( " +
         Chave(nota) + ", " + std::to_string(numero) + ", " + LiteralSql(assinado) +
         " ) ON CONFLICT (Empresa, Serie, [Numero da NFe]) DO UPDATE SET Numero = excluded.Numero, "
         "[Documento Assinado] = excluded.[Documento Assinado]";
}

std::string ComandoGravaLote(const NotaDocumento& nota, const std::string& numeroLote, const std::string& lote) {
  return "UPDATE DocumentoNFe SET [Numero do Lote] = " + LiteralSql(numeroLote) + ", [Lote Enviado] = " + LiteralSql(lote) +
         Onde(nota);
}

std::optional<DocumentosNFe> LeDocumentos(CConexaoNfe& banco, const NotaDocumento& nota) {
  auto rs = banco.RsConexao("SELECT [Documento Assinado], [Numero do Lote], [Lote Enviado]  FROM DocumentoNFe" +
                            Onde(nota));
  // A lookup that failed is no proof that the database holds nothing.
  if (rs->State() != adStateOpen) Levanta(CodigoErro::ErroBanco, "Consulta de DocumentoNFe não realizada");
  if (rs->Eof()) return std::nullopt;
  DocumentosNFe d{TextoOuVazio(rs->Value(0)), TextoOuVazio(rs->Value(1)), TextoOuVazio(rs->Value(2))};
  rs->Close();
  return d;
}

bool ExecutaEmTransacao(CConexaoNfe& banco, const std::vector<std::string>& comandos) {
  ConexaoDriver* conexao = banco.Conexao();
  if (conexao == nullptr) Levanta(CodigoErro::ObjetoFechado, "Conexão com o banco de dados não aberta");
  conexao->IniciarTransacao();
  bool feito = true;
  try {
    for (const auto& comando : comandos) {
      if (banco.ExecutaSql(comando) < 1) {
        feito = false;
        break;
      }
    }
    // A connection opened again in between ran the rest outside the transaction.
    if (feito && banco.Conexao() == conexao) {
      conexao->ConfirmarTransacao();
      return true;
    }
  } catch (const std::exception&) {
    try {
      conexao->CancelarTransacao();
    } catch (const std::exception&) {   // the connection is gone: so is the transaction
    }
    throw;
  }
  try {
    conexao->CancelarTransacao();
  } catch (const std::exception&) {   // the connection is gone: so is the transaction
  }
  return false;
}

std::string BlocoEsquemaDocumentos(DialetoSql dialeto) {
  const std::string& script = ScriptEsquema(dialeto);
  size_t inicio = script.find(kInicioBloco);
  size_t fim = script.find(kFimBloco);
  if (inicio == std::string::npos || fim == std::string::npos || fim < inicio) return "";
  return script.substr(inicio, fim - inicio);
}

void GarantirTabelaDocumentos(ConexaoDriver& conexao, DialetoSql dialeto) {
  const std::string bloco = BlocoEsquemaDocumentos(dialeto);
  if (bloco.empty()) return;
  try {
    conexao.ExecutarScript(bloco);
  } catch (const ErroExecucao&) {
    // Two Hosts creating the table at once: the one that lost finds it now.
    conexao.ExecutarScript(bloco);
  }
}

}  // namespace velant::data
