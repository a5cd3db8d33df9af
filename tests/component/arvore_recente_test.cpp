// The tree kept by the signer stands for its text only: the validator and the
// rules must judge any other text, even one a byte apart, from that text.
#include "component/xml/arvore_recente.h"

#include <gtest/gtest.h>

#include <chrono>

#include "apoio_documento.h"
#include "component/regras/regras_autoridade.h"
#include "component/xml/validador_esquema.h"

namespace velant {
namespace {

TEST(ArvoreRecente, SoParaOTextoAssinadoExato) {
  teste::PastaTemporaria pasta;
  const std::string assinado = AssinarXml(teste::NotaSemAssinatura(), "infNFe", teste::CertificadoTeste());
  auto regra = [&](const std::string& texto) {
    teste::GravarTudo(pasta.Caminho() / "nota.xml", texto);
    auto violada = regras::VerificaRegrasArquivo(pasta.Caminho() / "nota.xml", std::chrono::system_clock::now());
    return violada ? violada->codigo : 0;
  };
  auto arvore = arvore_recente::Procura(assinado);
  ASSERT_NE(arvore, nullptr);
  EXPECT_EQ(ValidarXml(assinado, "nfe_v3.10.xsd"), std::nullopt);
  EXPECT_EQ(regra(assinado), 0);
  // Read, never changed: the same tree serves again.
  EXPECT_EQ(arvore_recente::Procura(assinado), arvore);

  // Each text differs from the signed one in one place; its own fault must be found.
  const struct {
    const char *de, *para;
    bool esquemaValido;
    int regra;   // 0: none broken
  } casos[] = {{"<mod>55</mod>", "<mod>56</mod>", false, 0},
               {"<cUF>35</cUF>", "<cUF>33</cUF>", true, 502},   // the state differs from the key's
               {"</NFe>", "</NFe> ", true, 0}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.para);
    std::string texto = teste::TrocaPrimeiro(assinado, c.de, c.para);
    EXPECT_EQ(arvore_recente::Procura(texto), nullptr);
    auto erro = ValidarXml(texto, "nfe_v3.10.xsd");
    EXPECT_EQ(!erro.has_value(), c.esquemaValido) << erro.value_or("");
    EXPECT_EQ(c.esquemaValido ? regra(texto) : 0, c.regra);
  }
}

}  // namespace
}  // namespace velant
