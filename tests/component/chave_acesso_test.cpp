// Access keys. Check digits were worked out outside the tree (a few lines of
// Python): each character worth its ASCII code minus 48, weights 2 to 9 from
// the right, so reading "A" as 10 (base 36) would give other digits in every
// row with letters. 12ABC34501DE35 is the Receita Federal's published
// example of the alphanumeric CNPJ; the others were made up.
#include "component/xml/chave_acesso.h"

#include <gtest/gtest.h>

#include "base/erro.h"

namespace velant {
namespace {

constexpr CnpjNaChave D = CnpjNaChave::SoDigitos, A = CnpjNaChave::Alfanumerico;

TEST(DigitoVerificador, Modulo11ComPesosDe2a9) {
  struct {
    const char* chave43;
    CnpjNaChave forma;
    int digito;   // -1: refused
  } casos[] = {
      {"3516011234567800019555001000000123100001234", D, 1},   // sum 505, remainder 10
      {"3516011234567800019555001000000123100001235", D, 0},   // 507, remainder 1
      {"3516011234567800019555001000000123100001243", D, 0},   // 506, remainder 0
      {"0000000000000000000000000000000000000000001", D, 9}, {"0000000000000000000000000000000000000000000", D, 0},
      {"3516011234567800019555001000000123100001234", A, 1},
      {"35260712ABC34501DE3555001000000123100001234", A, 1},   // 736, remainder 10
      {"35260712ABC34501DE3555001000000123100001235", A, 0},   // 738, remainder 1
      {"35260712ABC34501DE3555001000000123100001243", A, 0},   // 737, remainder 0
      {"412609ABCDEFGHIJKL8055001000000001100000001", A, 5}, {"532612ZZZZZZZZZZZZ6255999999999999687654321", A, 2},
      // Letters stand only in the first 12 characters of the CNPJ, upper case, and not in 3.10.
      {"35260712ABC34501DE3555001000000123100001234", D, -1}, {"35260712abc34501de3555001000000123100001234", A, -1},
      {"3526A712ABC34501DE3555001000000123100001234", A, -1},   // in the month
      {"35260712ABC34501DE3A55001000000123100001234", A, -1},   // in the CNPJ's check digits
      {"35260712ABC34501DE355A001000000123100001234", A, -1},   // in the model
      {"35260712ABC34501@E3555001000000123100001234", A, -1},   // just before "A"
      {"35260712ABC34501[E3555001000000123100001234", A, -1},   // just after "Z"
      {"35260712ABC34501DE35550010000001231000012341", A, -1}, {"123", D, -1},
      {"351601123456780001955500100000012310000123A", D, -1},
  };
  for (const auto& c : casos) {
    int digito = 99;
    try {
      digito = DigitoVerificadorChave(c.chave43, c.forma);
    } catch (const ErroExecucao&) {
      digito = -1;
    }
    EXPECT_EQ(digito, c.digito) << c.chave43;
  }
}

TEST(MontaChave, CamposNasLargurasDoLeiauteOuRecusaNomeandoOCampo) {
  struct {
    const char *uf, *data, *cnpj;
    int serie, numero, tipo, codigo;
    CnpjNaChave forma;
    const char* chave;    // nullptr: refused
    const char* campo = nullptr;   // named in the refusal
  } casos[] = {
      {"35", "15/01/2016 10:30:00", "12345678000195", 1, 123, 1, 1234, D,
       "35160112345678000195550010000001231000012341"},
      {"35", "01/01/2016", "12345678000195", 1, 123, 1, 1235, D, "35160112345678000195550010000001231000012350"},
      {"35", "2016-01-31T23:59:59-03:00", "12345678000195", 1, 123, 1, 1243, D,
       "35160112345678000195550010000001231000012430"},
      {"35", "15/01/2016", "12.345.678/0001-95", 1, 123, 1, 1234, D, "35160112345678000195550010000001231000012341"},
      {"43", "05/12/2026", "123.456.789-09", 890, 999999999, 1, 99999999, D,
       "43261200012345678909558909999999991999999992"},
      {"35", "15/07/2026 10:30:00", "12.ABC.345/01DE-35", 1, 123, 1, 1234, A,
       "35260712ABC34501DE35550010000001231000012341"},
      {"41", "2026-09-01T08:00:00-03:00", "ABCDEFGHIJKL80", 1, 1, 1, 1, A,
       "412609ABCDEFGHIJKL80550010000000011000000015"},
      {"53", "31/12/2026", "ZZZZZZZZZZZZ62", 999, 999999999, 6, 87654321, A,
       "532612ZZZZZZZZZZZZ62559999999999996876543212"},
      {"35", "15/01/2016", "12345678000195", 1, 123, 1, 1234, A, "35160112345678000195550010000001231000012341"},
      {"43", "05/12/2026", "123.456.789-09", 890, 999999999, 1, 99999999, A,
       "43261200012345678909558909999999991999999992"},
      {"", "15/01/2016", "12345678000195", 1, 1, 1, 1, D, nullptr, "UF"},
      {"351", "15/01/2016", "12345678000195", 1, 1, 1, 1, D, nullptr, "UF"},
      {"35", "", "12345678000195", 1, 1, 1, 1, D, nullptr, "data de emissão"},
      {"35", "00:00:00", "12345678000195", 1, 1, 1, 1, D, nullptr, "data de emissão"},
      {"35", "31/02/2016", "12345678000195", 1, 1, 1, 1, D, nullptr, "data de emissão"},
      {"35", "15/01/2016", "1234567800019", 1, 1, 1, 1, D, nullptr, "CNPJ"},
      {"35", "15/01/2016", "12345678000A95", 1, 1, 1, 1, D, nullptr, "CNPJ"},
      {"35", "15/01/2016", "12345678000195", 1000, 1, 1, 1, D, nullptr, "série"},
      {"35", "15/01/2016", "12345678000195", 1, 0, 1, 1, D, nullptr, "número"},
      {"35", "15/01/2016", "12345678000195", 1, 1, 1, 100000000, D, nullptr, "código numérico"},
      {"35", "15/07/2026", "12ABC34501DE35", 1, 1, 1, 1, D, nullptr, "CNPJ"},   // letters in a 3.10 key
      {"35", "15/07/2026", "12.abc.345/01de-35", 1, 1, 1, 1, A, nullptr, "CNPJ"},
      {"35", "15/07/2026", "12ABC34501DE3A", 1, 1, 1, 1, A, nullptr, "CNPJ"},
      {"35", "15/07/2026", "12ABC34501DE3", 1, 1, 1, 1, A, nullptr, "CNPJ"},
      {"35", "15/07/2026", "12ÁBC34501DE35", 1, 1, 1, 1, A, nullptr, "CNPJ"},
      {"35", "15/07/2026", "", 1, 1, 1, 1, A, nullptr, "CNPJ"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(std::string(c.cnpj) + " " + c.data);
    try {
      EXPECT_EQ(MontaChaveAcesso(c.uf, c.data, c.cnpj, 55, c.serie, c.numero, c.tipo, c.codigo, c.forma),
                c.chave ? c.chave : "recusada");
    } catch (const ErroExecucao& e) {
      EXPECT_EQ(c.chave, nullptr) << e.Descricao();
      EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
      EXPECT_NE(e.Descricao().find(c.campo ? c.campo : "?"), std::string::npos) << e.Descricao();
    }
  }
}

TEST(DecompoeChave, SeparaOsCamposEConfereODigito) {
  auto p = DecompoeChave("35160112345678000195550010000001231000012341");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->cUF + "|" + p->AAMM + "|" + p->CNPJ + "|" + p->mod + "|" + p->serie + "|" + p->nNF + "|" + p->tpEmis +
                "|" + p->cNF + "|" + p->cDV,
            "35|1601|12345678000195|55|001|000000123|1|00001234|1");
  struct {
    const char* chave;
    CnpjNaChave forma;
    const char* cnpj;   // nullptr: not a key of that form
  } casos[] = {
      {"35260712ABC34501DE35550010000001231000012341", A, "12ABC34501DE35"},
      {"35160112345678000195550010000001231000012341", A, "12345678000195"},
      {"35260712ABC34501DE35550010000001231000012341", D, nullptr},   // not a layout 3.10 key
      {"35160112345678000195550010000001231000012342", D, nullptr},
      {"3516011234567800019555001000000123100001234", D, nullptr},
      {"35260712ABC34501DE35550010000001231000012342", A, nullptr},
      // Lower case, with the digits it would have if its letters counted.
      {"35260712abc34501de05550010000001231000012341", A, nullptr},
      {"3526071ABC34501DE35550010000001231000012341", A, nullptr},
  };
  for (const auto& c : casos) {
    auto partes = DecompoeChave(c.chave, c.forma);
    EXPECT_EQ(partes ? partes->CNPJ : "-", c.cnpj ? c.cnpj : "-") << c.chave;
  }
}

}  // namespace
}  // namespace velant
