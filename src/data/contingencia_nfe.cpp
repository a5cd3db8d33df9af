#include "data/contingencia_nfe.h"

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "data/conexao_nfe.h"
#include "data/formata_sql.h"

namespace velant::data {

namespace {

std::string DaUf(const std::string& uf) { return " WHERE UF = " + LiteralSql(uf) + " AND Fim IS NULL"; }

}  // namespace

std::optional<PeriodoContingencia> ContingenciaAberta(CConexaoNfe& banco, const std::string& uf) {
  auto rs = banco.RsConexao("SELECT Modo, Inicio, [Motivo da Entrada] FROM ContingenciaNFe" + DaUf(uf));
  if (rs->State() != adStateOpen) Levanta(CodigoErro::ErroBanco, "Consulta de ContingenciaNFe não realizada");
  if (rs->Eof()) return std::nullopt;
  PeriodoContingencia p{rs->Value("Modo").Texto(), rs->Value("Inicio").Texto(), rs->Value("Motivo da Entrada").Texto()};
  rs->Close();
  return p;
}

bool AbreContingencia(CConexaoNfe& banco, const std::string& uf, const PeriodoContingencia& periodo, int64_t agora) {
  // The unique index on the open period refuses a second one; so does the
  // condition, without an error to show.
  return banco.ExecutaSql("INSERT INTO ContingenciaNFe (UF, Inicio, Modo, [Motivo da Entrada], [Status Consultado]) "
                          "SELECT " + LiteralSql(uf) + ", " + LiteralSql(periodo.inicio) + ", " + LiteralSql(periodo.modo) +
                          ", " + LiteralSql(periodo.motivo.substr(0, 256)) + ", " + std::to_string(agora) +
                          " WHERE NOT EXISTS (SELECT 1 FROM ContingenciaNFe" + DaUf(uf) + ")") == 1;
}

bool FechaContingencia(CConexaoNfe& banco, const std::string& uf, const std::string& fim, const std::string& motivo) {
  return banco.ExecutaSql("UPDATE ContingenciaNFe SET Fim = " + LiteralSql(fim) + ", [Motivo da Saida] = " +
                          LiteralSql(motivo.substr(0, 256)) + DaUf(uf)) == 1;
}

bool VezDeConsultarStatus(CConexaoNfe& banco, const std::string& uf, int64_t agora, int64_t intervalo) {
  return banco.ExecutaSql("UPDATE ContingenciaNFe SET [Status Consultado] = " + std::to_string(agora) + DaUf(uf) +
                          " AND [Status Consultado] <= " + std::to_string(agora - intervalo)) == 1;
}

int32_t RegistraFalhaServico(CConexaoNfe& banco, const std::string& uf, int64_t agora, int64_t janela) {
  // A series goes on from its first failure, while that is recent.
  const std::string recente =
      "FalhaServicoNFe.Falhas > 0 AND FalhaServicoNFe.Desde >= " + std::to_string(agora - janela);
  auto rs = banco.RsConexao(
      "INSERT INTO FalhaServicoNFe (UF, Falhas, Desde) VALUES (" + LiteralSql(uf) + ", 1, " + std::to_string(agora) +
      ") ON CONFLICT (UF) DO UPDATE SET Falhas = CASE WHEN " + recente + " THEN FalhaServicoNFe.Falhas + 1 ELSE 1 END, " +
      "Desde = CASE WHEN " + recente + " THEN FalhaServicoNFe.Desde ELSE " + std::to_string(agora) +
      " END RETURNING Falhas");
  if (rs->State() != adStateOpen || rs->Eof()) Levanta(CodigoErro::ErroBanco, "FalhaServicoNFe não atualizada");
  return CLng(rs->Value(0));
}

void ZeraFalhasServico(CConexaoNfe& banco, const std::string& uf) {
  banco.ExecutaSql("UPDATE FalhaServicoNFe SET Falhas = 0 WHERE UF = " + LiteralSql(uf) + " AND Falhas > 0");
}

}  // namespace velant::data
