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

// --- Keys of layout 4.00: the issuer's CNPJ may carry letters ------------------
// Digits worked out outside the tree (a few lines of Python): each character
// worth its ASCII code minus 48, weights 2 to 9 from the right. The CNPJ
// 12ABC34501DE35 is the Receita Federal's published example of the
// alphanumeric CNPJ; the others were made up and their check digits computed
// the same way. Reading "A" as 10 (base 36) would give other digits in
// every row with letters.

struct CasoAlfanumerico {
  const char* nome;
  const char* chave43;
  int digito;
};

class DigitoAlfanumerico : public ::testing::TestWithParam<CasoAlfanumerico> {};

TEST_P(DigitoAlfanumerico, LetraValeCodigoAsciiMenos48) {
  EXPECT_EQ(DigitoVerificadorChave(GetParam().chave43, CnpjNaChave::Alfanumerico), GetParam().digito);
}

INSTANTIATE_TEST_SUITE_P(
    Exemplos, DigitoAlfanumerico,
    ::testing::Values(
        // Sum 736, remainder 10.
        CasoAlfanumerico{"ExemploDaReceita", "35260712ABC34501DE3555001000000123100001234", 1},
        // Sums 738 (remainder 1) and 737 (remainder 0).
        CasoAlfanumerico{"RestoUm", "35260712ABC34501DE3555001000000123100001235", 0},
        CasoAlfanumerico{"RestoZero", "35260712ABC34501DE3555001000000123100001243", 0},
        CasoAlfanumerico{"SoLetras", "412609ABCDEFGHIJKL8055001000000001100000001", 5},
        CasoAlfanumerico{"LetraZ", "532612ZZZZZZZZZZZZ6255999999999999687654321", 2},
        // A numeric key keeps its digit.
        CasoAlfanumerico{"Numerica", "3516011234567800019555001000000123100001234", 1}),
    [](const ::testing::TestParamInfo<CasoAlfanumerico>& i) { return std::string(i.param.nome); });

// Letters stand only in the first 12 characters of the CNPJ, upper case.
TEST(DigitoAlfanumerico, RecusaLetraForaDoLugar) {
  struct Caso {
    const char* nome;
    const char* chave43;
  } casos[] = {
      {"minusculas", "35260712abc34501de3555001000000123100001234"},
      {"letra no mes", "3526A712ABC34501DE3555001000000123100001234"},
      {"letra no digito do cnpj", "35260712ABC34501DE3A55001000000123100001234"},
      {"letra no modelo", "35260712ABC34501DE355A001000000123100001234"},
      {"arroba antes do A", "35260712ABC34501@E3555001000000123100001234"},
      {"colchete depois do Z", "35260712ABC34501[E3555001000000123100001234"},
      {"44 caracteres", "35260712ABC34501DE35550010000001231000012341"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_THROW(DigitoVerificadorChave(c.chave43, CnpjNaChave::Alfanumerico), ErroExecucao);
  }
  // Layout 3.10 keys are digits only.
  EXPECT_THROW(DigitoVerificadorChave("35260712ABC34501DE3555001000000123100001234"), ErroExecucao);
}

TEST(MontaChave, CnpjAlfanumerico) {
  struct Caso {
    const char* nome;
    const char* uf;
    const char* data;
    const char* cnpj;
    int serie, numero, tipo, codigo;
    const char* chave;
  } casos[] = {
      {"Formatado", "35", "15/07/2026 10:30:00", "12.ABC.345/01DE-35", 1, 123, 1, 1234,
       "35260712ABC34501DE35550010000001231000012341"},
      {"SemPontuacao", "41", "2026-09-01T08:00:00-03:00", "ABCDEFGHIJKL80", 1, 1, 1, 1,
       "412609ABCDEFGHIJKL80550010000000011000000015"},
      {"Contingencia", "53", "31/12/2026", "ZZZZZZZZZZZZ62", 999, 999999999, 6, 87654321,
       "532612ZZZZZZZZZZZZ62559999999999996876543212"},
      {"Numerico", "35", "15/01/2016", "12345678000195", 1, 123, 1, 1234,
       "35160112345678000195550010000001231000012341"},
      {"Cpf", "43", "05/12/2026", "123.456.789-09", 890, 999999999, 1, 99999999,
       "43261200012345678909558909999999991999999992"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(MontaChaveAcesso(c.uf, c.data, c.cnpj, 55, c.serie, c.numero, c.tipo, c.codigo,
                               CnpjNaChave::Alfanumerico),
              c.chave);
  }
}

TEST(MontaChave, RecusaCnpjForaDaForma) {
  struct Caso {
    const char* nome;
    const char* cnpj;
    CnpjNaChave forma;
  } casos[] = {
      {"letras numa chave 3.10", "12ABC34501DE35", CnpjNaChave::SoDigitos},
      {"minusculas", "12.abc.345/01de-35", CnpjNaChave::Alfanumerico},
      {"letra no digito verificador", "12ABC34501DE3A", CnpjNaChave::Alfanumerico},
      {"treze caracteres", "12ABC34501DE3", CnpjNaChave::Alfanumerico},
      {"acento", "12ÁBC34501DE35", CnpjNaChave::Alfanumerico},
      {"vazio", "", CnpjNaChave::Alfanumerico},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    try {
      MontaChaveAcesso("35", "15/07/2026", c.cnpj, 55, 1, 1, 1, 1, c.forma);
      ADD_FAILURE() << "aceitou";
    } catch (const ErroExecucao& e) {
      EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
      EXPECT_NE(e.Descricao().find("CNPJ"), std::string::npos) << e.Descricao();
    }
  }
}

TEST(DecompoeChave, ChaveComCnpjAlfanumerico) {
  const std::string chave = "35260712ABC34501DE35550010000001231000012341";
  auto partes = DecompoeChave(chave, CnpjNaChave::Alfanumerico);
  ASSERT_TRUE(partes);
  EXPECT_EQ(partes->CNPJ, "12ABC34501DE35");
  EXPECT_EQ(partes->mod, "55");
  EXPECT_EQ(partes->cNF, "00001234");
  EXPECT_EQ(partes->cDV, "1");
  EXPECT_FALSE(DecompoeChave(chave));   // not a layout 3.10 key
  EXPECT_FALSE(DecompoeChave("35260712ABC34501DE35550010000001231000012342", CnpjNaChave::Alfanumerico));
  // Lower case, with the digits it would have if its letters counted.
  EXPECT_FALSE(DecompoeChave("35260712abc34501de05550010000001231000012341", CnpjNaChave::Alfanumerico));
  EXPECT_FALSE(DecompoeChave("3526071ABC34501DE35550010000001231000012341", CnpjNaChave::Alfanumerico));
}

}  // namespace
}  // namespace velant
