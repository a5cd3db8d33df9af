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
  EXPECT_TRUE(teste::AceitaNoEsquemaENoXmlsec(m, pasta.Caminho() / "epec.xml", "evento-epec/envEPEC_v1.00.xsd",
                                              "infEvento"));
  auto doc = DocumentoXml::Ler(m, "envEvento");
  const xmlNode* inf = Procura(doc.Raiz(), "infEvento");
  EXPECT_EQ(Atributo(inf, "Id"), "ID110140" + chave + "01");
  EXPECT_EQ(TextoFilho(inf, "cOrgao"), "91");   // the national environment, not the state
  const xmlNode* det = Procura(inf, "detEvento");
  const xmlNode* dest = Filho(det, "dest");
  // What the state's service will compare with the invoice (rejection 467).
  EXPECT_EQ(TextoFilho(det, "cOrgaoAutor") + "|" + TextoFilho(det, "tpNF") + "|" + TextoFilho(det, "IE") + "|" +
                TextoFilho(dest, "UF") + "|" + TextoFilho(dest, "CNPJ") + "|" + TextoFilho(dest, "IE") + "|" +
                TextoFilho(dest, "vNF") + "|" + TextoFilho(dest, "vICMS") + "|" + TextoFilho(dest, "vST") + "|" +
                TextoFilho(det, "dhEmi"),
            "35|1|123456789012|SP|44555666000181|987654321098|100.00|18.00|0.00|" + teste::Campo(nfe, "dhEmi"));
  // Only an invoice issued for EPEC has one.
  for (int tpEmis : {1, 6}) EXPECT_THROW(ResumoEpec(teste::NotaAssinada400({.tpEmis = tpEmis})), ErroExecucao) << tpEmis;
}

}  // namespace
}  // namespace velant::autoridade
