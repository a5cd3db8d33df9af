#include "data/epec_pendente.h"

#include "base/erro.h"
#include "base/regional.h"
#include "data/conexao_nfe.h"
#include "data/formata_sql.h"

namespace velant::data {

bool RegistraEpecPendente(CConexaoNfe& banco, const EpecPendente& e) {
  banco.ExecutaSql("INSERT INTO EpecPendenteNFe (Chave, Empresa, Serie, Numero, UF, Emissao, Protocolo, Aviso) SELECT " +
                   LiteralSql(e.chave) + ", " + std::to_string(e.empresa) + ", " + LiteralSql(e.serie) + ", " +
                   std::to_string(e.numero) + ", " + LiteralSql(e.uf) + ", " + std::to_string(e.emissao) + ", " +
                   LiteralSql(e.protocolo) + ", 0 WHERE NOT EXISTS (SELECT 1 FROM EpecPendenteNFe WHERE Chave = " +
                   LiteralSql(e.chave) + ")");
  return !ProtocoloEpecPendente(banco, e.chave).empty();
}

std::vector<EpecPendente> EpecsPendentes(CConexaoNfe& banco, const std::string& uf) {
  auto rs = banco.RsConexao("SELECT Chave, Empresa, Serie, Numero, UF, Emissao, Protocolo, Aviso FROM EpecPendenteNFe"
                            " WHERE UF = " + LiteralSql(uf) + " ORDER BY Emissao, Chave");
  if (rs->State() != adStateOpen) Levanta(CodigoErro::ErroBanco, "Consulta de EpecPendenteNFe não realizada");
  std::vector<EpecPendente> lista;
  for (; !rs->Eof(); rs->MoveNext())
    lista.push_back({rs->Value("Chave").Texto(), static_cast<int32_t>(CLng(rs->Value("Empresa"))),
                     rs->Value("Serie").Texto(), static_cast<int32_t>(CLng(rs->Value("Numero"))), rs->Value("UF").Texto(),
                     CLngLng(rs->Value("Emissao")), rs->Value("Protocolo").Texto(),
                     static_cast<int16_t>(CLng(rs->Value("Aviso")))});
  rs->Close();
  return lista;
}

std::string ProtocoloEpecPendente(CConexaoNfe& banco, const std::string& chave) {
  auto rs = banco.RsConexao("SELECT Protocolo FROM EpecPendenteNFe WHERE Chave = " + LiteralSql(chave));
  if (rs->State() != adStateOpen) Levanta(CodigoErro::ErroBanco, "Consulta de EpecPendenteNFe não realizada");
  std::string protocolo = rs->Eof() ? "" : rs->Value(0).Texto();
  rs->Close();
  return protocolo;
}

bool MarcaAvisoEpec(CConexaoNfe& banco, const std::string& chave, int16_t aviso) {
  return banco.ExecutaSql("UPDATE EpecPendenteNFe SET Aviso = " + std::to_string(aviso) + " WHERE Chave = " +
                          LiteralSql(chave) + " AND Aviso < " + std::to_string(aviso)) == 1;
}

void BaixaEpecPendente(CConexaoNfe& banco, const std::string& chave) {
  banco.ExecutaSql("DELETE FROM EpecPendenteNFe WHERE Chave = " + LiteralSql(chave));
}

}  // namespace velant::data
