#include "data/contador_lote.h"

#include "base/regional.h"
#include "data/conexao_nfe.h"

namespace velant::data {

namespace {

constexpr const char* kIncremento =
    "UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'";
constexpr const char* kLeitura =
    "SELECT Valor  FROM ConfiguracaoDiversa WHERE Empresa = 1   AND Nome = 'Contador Lote NFe'";

bool UmComando(DialetoSql dialeto) { return dialeto == DialetoSql::Sqlite || dialeto == DialetoSql::PostgreSql; }

std::optional<int64_t> PrimeiroValor(Recordset& rs) {
  if (rs.State() != adStateOpen || rs.Eof()) return std::nullopt;
  return CLngLng(rs.Value(0));
}

}  // namespace

std::vector<std::string> ComandosNumeroLote(DialetoSql dialeto) {
  if (UmComando(dialeto)) return {std::string(kIncremento) + " RETURNING Valor"};
  return {kIncremento, kLeitura};
}

std::optional<int64_t> TomaNumeroLote(CConexaoNfe& conexao) {
  const std::vector<std::string> comandos = ComandosNumeroLote(conexao.Dialeto());
  if (comandos.size() == 1) {
    auto rs = conexao.RsConexao(comandos[0]);
    return PrimeiroValor(*rs);
  }
  if (conexao.ExecutaSql(comandos[0]) < 1) return std::nullopt;
  auto rs = conexao.RsConexao(comandos[1]);
  return PrimeiroValor(*rs);
}

}  // namespace velant::data
