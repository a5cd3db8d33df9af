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

std::string Trocado(std::string s, const std::string& de, const std::string& para) {
  size_t p = s.find(de);
  EXPECT_NE(p, std::string::npos) << de;
  return p == std::string::npos ? s : s.replace(p, de.size(), para);
}

class ArvoreRecente : public ::testing::Test {
 protected:
  teste::PastaTemporaria pasta;
  std::string assinado = AssinarXml(teste::NotaSemAssinatura(), "infNFe", teste::CertificadoTeste());

  std::optional<regras::RegraViolada> Regras(const std::string& texto) {
    auto arquivo = pasta.Caminho() / "nota.xml";
    teste::GravarTudo(arquivo, texto);
    return regras::VerificaRegrasArquivo(arquivo, std::chrono::system_clock::now());
  }
};

TEST_F(ArvoreRecente, GuardadaParaOTextoAssinadoExato) {
  auto arvore = arvore_recente::Procura(assinado);
  ASSERT_NE(arvore, nullptr);
  EXPECT_EQ(ValidarXml(assinado, "nfe_v3.10.xsd"), std::nullopt);
  EXPECT_FALSE(Regras(assinado));
  // Read, never changed: the same tree serves again.
  EXPECT_EQ(arvore_recente::Procura(assinado), arvore);
}

// Each text differs from the signed one in one place; its own fault must be found.
struct Alteracao {
  const char* nome;
  const char* de;
  const char* para;
  bool esquemaValido;
  int regra;  // 0: none broken
};

class TextoAlterado : public ArvoreRecente, public ::testing::WithParamInterface<Alteracao> {};

TEST_P(TextoAlterado, JulgadoPeloProprioTexto) {
  const Alteracao& a = GetParam();
  std::string texto = Trocado(assinado, a.de, a.para);
  EXPECT_EQ(arvore_recente::Procura(texto), nullptr);
  auto erro = ValidarXml(texto, "nfe_v3.10.xsd");
  EXPECT_EQ(!erro.has_value(), a.esquemaValido) << erro.value_or("");
  if (!a.esquemaValido) return;
  auto violada = Regras(texto);
  if (a.regra == 0) {
    EXPECT_FALSE(violada) << violada->CodigoETexto();
  } else {
    ASSERT_TRUE(violada);
    EXPECT_EQ(violada->codigo, a.regra) << violada->CodigoETexto() << " (" << violada->detalhe << ")";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TextoAlterado,
    ::testing::Values(Alteracao{"ModeloForaDoEsquema", "<mod>55</mod>", "<mod>56</mod>", false, 0},
                      Alteracao{"UfDiferenteDaChave", "<cUF>35</cUF>", "<cUF>33</cUF>", true, 502},
                      Alteracao{"EspacoNoFim", "</NFe>", "</NFe> ", true, 0}),
    [](const auto& i) { return std::string(i.param.nome); });

}  // namespace
}  // namespace velant
