// Access keys, the CNPJ's check digits and the CNPJ of a certificate's
// subject, from chave_acesso.tsv. Check
// digits were worked out outside the tree (a few lines of Python): each
// character worth its ASCII code minus 48, weights 2 to 9 from the right, so
// reading "A" as 10 (base 36) would give other digits in every row with
// letters. 12ABC34501DE35 is the Receita Federal's published example of the
// alphanumeric CNPJ; the others were made up.
#include "component/xml/chave_acesso.h"

#include <gtest/gtest.h>

#include "apoio_documento.h"
#include "base/erro.h"
#include "component/xml/assinador_xml.h"
#include "component/regras/regras_digitos.h"

namespace velant {
namespace {

std::string SimNao(bool b) { return b ? "sim" : "não"; }

// What the row's operation gives, or "recusa:" and the field its refusal names.
std::string Resultado(const std::vector<std::string>& c) {
  const CnpjNaChave forma = c[1] == "A" ? CnpjNaChave::Alfanumerico : CnpjNaChave::SoDigitos;
  const std::string& esperado = c.back();
  try {
    if (c[0] == "digito") return std::to_string(DigitoVerificadorChave(c[2], forma));
    if (c[0] == "assunto") return CnpjDoAssunto(c[2]);
    if (c[0] == "cnpj") return SimNao(regras::CnpjValido(c[2])) + "|" + SimNao(regras::CnpjAlfanumericoValido(c[2]));
    if (c[0] == "decompoe") {
      auto p = DecompoeChave(c[2], forma);
      return p ? p->cUF + "|" + p->AAMM + "|" + p->CNPJ + "|" + p->mod + "|" + p->serie + "|" + p->nNF + "|" +
                     p->tpEmis + "|" + p->cNF + "|" + p->cDV
               : "-";
    }
    return MontaChaveAcesso(c[2], c[3], c[4], 55, std::stoi(c[5]), std::stoi(c[6]), std::stoi(c[7]), std::stoi(c[8]),
                            forma);
  } catch (const ErroExecucao& e) {
    if (c[0] == "monta") { EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente); }
    const std::string campo = esperado.substr(esperado.find(':') + 1);
    return e.Descricao().find(campo) != std::string::npos ? "recusa:" + campo : e.Descricao();
  }
}

TEST(ChaveAcesso, CasosDaTabela) {
  for (const auto& c : teste::LerTabela("component/chave_acesso.tsv")) {
    SCOPED_TRACE(c[0] + " " + c[2] + " " + (c.size() > 4 ? c[4] : ""));
    EXPECT_EQ(Resultado(c), c.back());
  }
}

}  // namespace
}  // namespace velant
