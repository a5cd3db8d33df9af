// The schema's judgement of an invoice, from a text or a file; and the tree
// kept by the signer stands for its text only: the validator and the rules
// must judge any other text, even one a byte apart, from that text.
#include "component/xml/validador_esquema.h"

#include <gtest/gtest.h>

#include <chrono>

#include "apoio_documento.h"
#include "component/regras/regras_autoridade.h"
#include "component/xml/arvore_recente.h"

namespace velant {
namespace {

TEST(ValidarXml, PrimeiroErroComLinhaEElementoDoProprioTexto) {
  teste::PastaTemporaria pasta;
  const auto arquivo = pasta.Caminho() / "nota.xml";
  const std::string assinado = AssinarXml(teste::NotaSemAssinatura(), "infNFe", teste::CertificadoTeste());
  auto regra = [&](const std::string& texto) {
    teste::GravarTudo(arquivo, texto);
    auto violada = regras::VerificaRegrasArquivo(arquivo, std::chrono::system_clock::now());
    return violada ? violada->codigo : 0;
  };
  auto arvore = arvore_recente::Procura(assinado);
  ASSERT_NE(arvore, nullptr);
  EXPECT_EQ(ValidarXml(assinado, "nfe_v3.10.xsd"), std::nullopt);
  EXPECT_EQ(regra(assinado), 0);
  EXPECT_EQ(ValidarXml(arquivo.string(), "nfe_v3.10.xsd"), std::nullopt);   // a file, by its path
  // Read, never changed: the same tree serves again.
  EXPECT_EQ(arvore_recente::Procura(assinado), arvore);
  // A byte-order mark before the text still makes it a text.
  EXPECT_EQ(ValidarXml("\xEF\xBB\xBF" + assinado, "nfe_v3.10.xsd"), std::nullopt);
  auto ausente = ValidarXml((pasta.Caminho() / "nada.xml").string(), "nfe_v3.10.xsd");
  ASSERT_TRUE(ausente);
  EXPECT_NE(ausente->find("não encontrado"), std::string::npos);

  // Each text differs from the signed one in one place; its own fault must be found.
  const struct {
    const char *de, *para, *erro;   // erro: in the schema's first error ("": valid)
    int regra;                      // 0: none broken
  } casos[] = {{"<natOp>VENDA DE MERCADORIA</natOp>", "", "natOp", 0},   // a mandatory element missing
               {"<vProd>100.00</vProd>", "<vProd>100,00</vProd>", "vProd", 0},
               {"<indTot>1</indTot>", "<indTot>1</indTot><extra/>", "extra", 0},
               {"</infNFe>", "</infNF>", "infNF", 0},   // not well formed
               {"<mod>55</mod>", "<mod>56</mod>", "mod", 0},
               {"<cUF>35</cUF>", "<cUF>33</cUF>", "", 502},   // the state differs from the key's
               {"</NFe>", "</NFe> ", "", 0}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.para);
    const std::string texto = teste::TrocaPrimeiro(assinado, c.de, c.para);
    EXPECT_EQ(arvore_recente::Procura(texto), nullptr);
    const std::string erro = ValidarXml(texto, "nfe_v3.10.xsd").value_or("");
    EXPECT_EQ(erro.empty() ? "" : erro.substr(0, 9), *c.erro ? "linha 1: " : "") << erro;
    EXPECT_NE(erro.find(c.erro), std::string::npos) << erro;
    EXPECT_FALSE(erro.ends_with('\n'));
    EXPECT_EQ(*c.erro ? 0 : regra(texto), c.regra);
  }
}

}  // namespace
}  // namespace velant
