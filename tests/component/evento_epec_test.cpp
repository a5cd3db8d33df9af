// The EPEC as it goes, built from a signed invoice of tpEmis 4 and judged
// from outside: xmllint with the official envEPEC schema, xmlsec1 on the
// signature, and the summary against the invoice it stands for.
#include <gtest/gtest.h>

#include "apoio/arquivos_teste.h"
#include "base/erro.h"
#include "component/apoio_nfe400.h"
#include "component/autoridade_apoio.h"
#include "component/autoridade/evento_epec.h"

namespace velant::autoridade {
namespace {

TEST(EventoEpec, ResumoDaNotaNoEsquemaENoXmlsec) {
  std::string chave;
  const std::string nfe = teste::NotaAssinada400({.numero = 41, .tpEmis = 4}, &chave);
  DadosEpec d = ResumoEpec(nfe);
  d.idLote = "41";
  d.tpAmb = "2";
  d.dhEvento = DataHoraComFuso(std::chrono::system_clock::now(), -3);
  const std::string m = AssinarXml(MensagemEventoEpec(d), "infEvento", teste::CertificadoTeste());
  teste::PastaTemporaria pasta;
  const auto arquivo = pasta.Caminho() / "epec.xml";
  teste::GravarTudo(arquivo, m);
  std::string saida;
  EXPECT_EQ(teste::Executa("xmllint --noout --schema '" + std::string(VELANT_FONTE) +
                               "/schemas/evento-epec/envEPEC_v1.00.xsd' '" + arquivo.string() + "'",
                           &saida),
            0)
      << saida;
  EXPECT_EQ(teste::Executa("xmlsec1 --verify --id-attr:Id infEvento --enabled-key-data x509 --trusted-pem '" +
                               (teste::PastaCertificados() / "ac.pem").string() + "' '" + arquivo.string() + "'",
                           &saida),
            0)
      << saida;

  auto doc = DocumentoXml::Ler(m, "envEvento");
  const xmlNode* inf = Procura(doc.Raiz(), "infEvento");
  EXPECT_EQ(Atributo(inf, "Id"), "ID110140" + chave + "01");
  EXPECT_EQ(TextoFilho(inf, "cOrgao"), "91");   // the national environment, not the state
  const xmlNode* det = Procura(inf, "detEvento");
  const xmlNode* dest = Filho(det, "dest");
  // What the state's service will compare with the invoice (rejection 467).
  struct Campo {
    std::string valor, esperado;
  } campos[] = {
      {TextoFilho(det, "cOrgaoAutor"), "35"},   {TextoFilho(det, "tpNF"), "1"},
      {TextoFilho(det, "IE"), "123456789012"},  {TextoFilho(dest, "UF"), "SP"},
      {TextoFilho(dest, "CNPJ"), "44555666000181"}, {TextoFilho(dest, "IE"), "987654321098"},
      {TextoFilho(dest, "vNF"), "100.00"},      {TextoFilho(dest, "vICMS"), "18.00"},
      {TextoFilho(dest, "vST"), "0.00"},        {TextoFilho(det, "dhEmi"), teste::Campo(nfe, "dhEmi")},
  };
  for (const auto& c : campos) EXPECT_EQ(c.valor, c.esperado);
}

// Only an invoice issued for EPEC has one.
TEST(EventoEpec, RecusaNotaDeOutroTipo) {
  for (int tpEmis : {1, 6}) {
    SCOPED_TRACE(tpEmis);
    EXPECT_THROW(ResumoEpec(teste::NotaAssinada400({.tpEmis = tpEmis})), ErroExecucao);
  }
}

}  // namespace
}  // namespace velant::autoridade
