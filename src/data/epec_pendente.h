#pragma once
// The invoices issued in EPEC contingency that the state's service has not
// authorised yet (table EpecPendenteNFe), as every Host of the database
// sees them. Times are seconds since 1970.
#include <cstdint>
#include <string>
#include <vector>

namespace velant::data {

class CConexaoNfe;

struct EpecPendente {
  std::string chave;
  int32_t empresa = 0;
  std::string serie;
  int32_t numero = 0;
  std::string uf;
  int64_t emissao = 0;      // dhEmi
  std::string protocolo;    // the EPEC's nProt
  int16_t aviso = 0;        // 0 none, 1 last day announced, 2 expiry announced
};

// Records one; a key recorded already keeps its row (true either way).
bool RegistraEpecPendente(CConexaoNfe& banco, const EpecPendente& e);
// The state's pending invoices, oldest first. Raises ErroExecucao
// (ErroBanco) when the lookup failed.
std::vector<EpecPendente> EpecsPendentes(CConexaoNfe& banco, const std::string& uf);
// The protocol of the key's EPEC; "" when it has none pending.
std::string ProtocoloEpecPendente(CConexaoNfe& banco, const std::string& chave);
// Raises the warning level; true for the one Host that raised it.
bool MarcaAvisoEpec(CConexaoNfe& banco, const std::string& chave, int16_t aviso);
// The invoice was authorised: it is pending no more.
void BaixaEpecPendente(CConexaoNfe& banco, const std::string& chave);

}  // namespace velant::data
