// The invoices pending after their EPEC as every Host of a database sees
// them: one row per key, listed by state oldest first, each warning raised
// by one Host once, gone when authorised.
#include "data/epec_pendente.h"

#include <gtest/gtest.h>

#include "apoio_dados.h"

namespace velant::data {
namespace {

using teste::BancoAberto;
using teste::Motor;

class EpecPendenteNFe : public ::testing::TestWithParam<Motor> {};

TEST_P(EpecPendenteNFe, RegistroAvisosEBaixa) {
  BancoAberto banco(GetParam());
  CConexaoNfe& c = *banco.conexao;
  const std::string a(44, '4'), b(44, '5'), rs(44, '6');
  EXPECT_TRUE(RegistraEpecPendente(c, {b, 1, "1", 12, "SP", 2000, "891260000000002", 0}));
  EXPECT_TRUE(RegistraEpecPendente(c, {a, 1, "1", 11, "SP", 1000, "891260000000001", 0}));
  // Another Host records the same key: the first row stays.
  EXPECT_TRUE(RegistraEpecPendente(c, {a, 2, "9", 99, "SP", 5000, "891260000000009", 0}));
  EXPECT_TRUE(RegistraEpecPendente(c, {rs, 1, "1", 13, "RS", 500, "891260000000003", 0}));

  auto lista = EpecsPendentes(c, "SP");
  ASSERT_EQ(lista.size(), 2u);
  const auto& p = lista[0];
  EXPECT_EQ(p.chave + "|" + std::to_string(p.empresa) + "|" + p.serie + "|" + std::to_string(p.numero) + "|" +
                std::to_string(p.emissao) + "|" + p.protocolo + "|" + lista[1].chave,
            a + "|1|1|11|1000|891260000000001|" + b);
  EXPECT_EQ(ProtocoloEpecPendente(c, b), "891260000000002");

  // Each warning once; the expiry after the last day, never back.
  const struct { int16_t aviso; bool primeiro; } avisos[] = {{1, true}, {1, false}, {2, true}, {1, false}, {2, false}};
  for (const auto& v : avisos) EXPECT_EQ(MarcaAvisoEpec(c, a, v.aviso), v.primeiro) << v.aviso;

  BaixaEpecPendente(c, a);
  EXPECT_EQ(ProtocoloEpecPendente(c, a) + "|" + std::to_string(EpecsPendentes(c, "SP").size()) + "|" +
                std::to_string(EpecsPendentes(c, "RS").size()),
            "|1|1");
}

INSTANTIATE_TEST_SUITE_P(Motores, EpecPendenteNFe, ::testing::Values(Motor::Sqlite, Motor::PostgreSql),
                         [](const auto& info) { return teste::NomeMotor(info.param); });

}  // namespace
}  // namespace velant::data
