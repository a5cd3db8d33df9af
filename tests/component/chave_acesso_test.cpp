#include "component/xml/chave_acesso.h"

#include <gtest/gtest.h>

#include "base/erro.h"

namespace velant {
namespace {

struct CasoDigito {
  const char* digitos43;
  int digito;
};

class DigitoVerificador : public ::testing::TestWithParam<CasoDigito> {};

TEST_P(DigitoVerificador, Modulo11ComPesosDe2a9) {
  EXPECT_EQ(DigitoVerificadorChave(GetParam().digitos43), GetParam().digito);
}

// Sums 505 (remainder 10), 507 (remainder 1) and 506 (remainder 0).
INSTANTIATE_TEST_SUITE_P(Exemplos, DigitoVerificador,
                         ::testing::Values(CasoDigito{"3516011234567800019555001000000123100001234", 1},
                                           CasoDigito{"3516011234567800019555001000000123100001235", 0},
                                           CasoDigito{"3516011234567800019555001000000123100001243", 0},
                                           CasoDigito{"0000000000000000000000000000000000000000001", 9},
                                           CasoDigito{"0000000000000000000000000000000000000000000", 0}));

TEST(DigitoVerificador, RecusaTextoQueNaoSao43Digitos) {
  EXPECT_THROW(DigitoVerificadorChave("123"), ErroExecucao);
  EXPECT_THROW(DigitoVerificadorChave("351601123456780001955500100000012310000123A"), ErroExecucao);
}

struct CasoChave {
  const char* nome;
  const char* uf;
  const char* data;
  const char* cnpj;
  int modelo, serie, numero, tipo, codigo;
  const char* chave;
};

class MontaChave : public ::testing::TestWithParam<CasoChave> {};

TEST_P(MontaChave, CamposNasLargurasDoLeiaute) {
  const auto& c = GetParam();
  EXPECT_EQ(MontaChaveAcesso(c.uf, c.data, c.cnpj, c.modelo, c.serie, c.numero, c.tipo, c.codigo), c.chave);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, MontaChave,
    ::testing::Values(
        CasoChave{"ExemploDataBrasileira", "35", "15/01/2016 10:30:00", "12345678000195", 55, 1, 123, 1, 1234,
                  "35160112345678000195550010000001231000012341"},
        CasoChave{"RestoUmDaZero", "35", "01/01/2016", "12345678000195", 55, 1, 123, 1, 1235,
                  "35160112345678000195550010000001231000012350"},
        CasoChave{"RestoZeroDaZero", "35", "2016-01-31T23:59:59-03:00", "12345678000195", 55, 1, 123, 1, 1243,
                  "35160112345678000195550010000001231000012430"},
        CasoChave{"CnpjFormatado", "35", "15/01/2016", "12.345.678/0001-95", 55, 1, 123, 1, 1234,
                  "35160112345678000195550010000001231000012341"},
        CasoChave{"CpfComZerosAEsquerda", "43", "05/12/2026", "123.456.789-09", 55, 890, 999999999, 1, 99999999,
                  "43261200012345678909558909999999991999999992"}),
    [](const ::testing::TestParamInfo<CasoChave>& i) { return std::string(i.param.nome); });

struct CasoRecusa {
  const char* nome;
  const char* uf;
  const char* data;
  const char* cnpj;
  int serie, numero, codigo;
  const char* campo;
};

class MontaChaveRecusa : public ::testing::TestWithParam<CasoRecusa> {};

TEST_P(MontaChaveRecusa, NomeiaOCampo) {
  const auto& c = GetParam();
  try {
    MontaChaveAcesso(c.uf, c.data, c.cnpj, 55, c.serie, c.numero, 1, c.codigo);
    FAIL() << "aceitou";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
    EXPECT_NE(e.Descricao().find(c.campo), std::string::npos) << e.Descricao();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, MontaChaveRecusa,
    ::testing::Values(CasoRecusa{"UfVazia", "", "15/01/2016", "12345678000195", 1, 1, 1, "UF"},
                      CasoRecusa{"UfComTresDigitos", "351", "15/01/2016", "12345678000195", 1, 1, 1, "UF"},
                      CasoRecusa{"DataVazia", "35", "", "12345678000195", 1, 1, 1, "data de emissão"},
                      CasoRecusa{"SoHora", "35", "00:00:00", "12345678000195", 1, 1, 1, "data de emissão"},
                      CasoRecusa{"DataImpossivel", "35", "31/02/2016", "12345678000195", 1, 1, 1, "data de emissão"},
                      CasoRecusa{"CnpjCurto", "35", "15/01/2016", "1234567800019", 1, 1, 1, "CNPJ"},
                      CasoRecusa{"CnpjComLetras", "35", "15/01/2016", "12345678000A95", 1, 1, 1, "CNPJ"},
                      CasoRecusa{"SerieDeQuatroDigitos", "35", "15/01/2016", "12345678000195", 1000, 1, 1, "série"},
                      CasoRecusa{"NumeroZero", "35", "15/01/2016", "12345678000195", 1, 0, 1, "número"},
                      CasoRecusa{"CodigoDeNoveDigitos", "35", "15/01/2016", "12345678000195", 1, 1, 100000000,
                                 "código numérico"}),
    [](const ::testing::TestParamInfo<CasoRecusa>& i) { return std::string(i.param.nome); });

TEST(DecompoeChave, SeparaOsCamposEConfereODigito) {
  auto partes = DecompoeChave("35160112345678000195550010000001231000012341");
  ASSERT_TRUE(partes);
  EXPECT_EQ(partes->cUF, "35");
  EXPECT_EQ(partes->AAMM, "1601");
  EXPECT_EQ(partes->CNPJ, "12345678000195");
  EXPECT_EQ(partes->mod, "55");
  EXPECT_EQ(partes->serie, "001");
  EXPECT_EQ(partes->nNF, "000000123");
  EXPECT_EQ(partes->tpEmis, "1");
  EXPECT_EQ(partes->cNF, "00001234");
  EXPECT_EQ(partes->cDV, "1");
  EXPECT_FALSE(DecompoeChave("35160112345678000195550010000001231000012342"));
  EXPECT_FALSE(DecompoeChave("3516011234567800019555001000000123100001234"));
}

}  // namespace
}  // namespace velant
