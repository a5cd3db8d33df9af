#include "component/operacoes_locais.h"

#include <gtest/gtest.h>

#include "apoio_documento.h"
#include "base/erro.h"
#include "base/texto.h"
#include "component/xml/validador_esquema.h"
#include "manager/ambiente_teste.h"

namespace velant {
namespace {

class Operacoes : public ::testing::Test {
 protected:
  teste::AmbienteTeste a;
  OperacoesLocais op{a.ctx};
  std::string chave;
  const std::string emitente = (teste::PastaCertificados() / "emitente.pfx").string();

  // Registry of the installation: the certificate and its password.
  void Registro(const std::string& certificado, const std::string& senha = "1234") {
    teste::GravarTudo(a.registro.Arquivo(), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n"
                                            "\"Certificado\"=\"" + Replace(certificado, "\\", "\\\\") +
                                                "\"\r\n\"SenhaCertificado\"=\"" + senha + "\"\r\n");
  }
  // The generated file of the example at PastaBase\nfe\arquivos\NFe<key>.xml.
  std::string GeraNota() {
    std::string xml = teste::NotaSemAssinatura({}, &chave);
    std::string arquivo = a.atual.PastaBase + "\\nfe\\arquivos\\NFe" + chave + ".xml";
    teste::GravarTudo(a.caminhos.Mapear(arquivo), xml);
    return arquivo;
  }
  // Signed as the signing step names it: the folder "Arquivos", which the mapper finds as "arquivos".
  std::string Assina() { return op.AssinaXml(a.atual.PastaBase + "\\nfe\\Arquivos\\NFe" + chave + ".xml", "infNFe"); }
};

// Signed with the registry's certificate where the sending looks for it,
// then put in a batch; an invoice out of the schema logs its first error.
TEST_F(Operacoes, AssinaLoteEPrimeiroErroNoLog) {
  // The certificate by its POSIX path, then by a Windows path the mapper maps.
  std::filesystem::create_directories(a.raiz / "C" / "Certificados");
  std::filesystem::copy_file(emitente, a.raiz / "C" / "Certificados" / "a1.pfx");
  for (const std::string& certificado : {emitente, std::string("C:\\Certificados\\a1.pfx")}) {
    SCOPED_TRACE(certificado);
    Registro(certificado);
    EXPECT_THROW(op.GeraLote(GeraNota(), 1), ErroExecucao);   // not signed
    std::filesystem::remove(a.caminhos.Mapear(op.CaminhoAssinado(chave)));
    EXPECT_EQ(Assina(), "Arquivo assinado");
    EXPECT_EQ(op.CaminhoAssinado(chave), "C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + chave + "-assinado.xml");
    std::string saida;
    EXPECT_TRUE(teste::XmlsecVerifica(a.caminhos.Mapear(op.CaminhoAssinado(chave)), &saida)) << saida;
  }
  EXPECT_THROW(op.GeraLote("C:\\Dunmor\\nada.xml", 1), ErroExecucao);
  EXPECT_FALSE(a.caminhos.Existe("C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml"));
  const std::string assinado = op.CaminhoAssinado(chave);
  EXPECT_TRUE(op.ValidaXml(assinado, "nfe_v3.10.xsd", true));
  // The batch holds the signed invoice intact.
  std::string lote = op.GeraLote(assinado, 123);
  EXPECT_EQ(lote, "C:\\Dunmor\\nfe\\lotes\\000000000123-env-lot.xml");
  std::string nota = teste::LerTudo(a.caminhos.Mapear(assinado));
  std::string conteudo = teste::LerTudo(a.caminhos.Mapear(lote));
  EXPECT_EQ(conteudo, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" "
                      "versao=\"3.10\"><idLote>123</idLote><indSinc>0</indSinc>" +
                          nota.substr(nota.find("<NFe")) + "</enviNFe>");
  EXPECT_EQ(ValidarXml(conteudo, "enviNFe_v3.10.xsd"), std::nullopt);
  std::string erro;
  EXPECT_TRUE(VerificarAssinatura(conteudo, &erro)) << erro;
  // An invalid one is refused and its first error logged.
  teste::GravarTudo(a.caminhos.Mapear(assinado), teste::TrocaPrimeiro(nota, "<mod>55</mod>", "<mod>56</mod>"));
  EXPECT_FALSE(op.ValidaXml(assinado, "nfe_v3.10.xsd", true));
  std::string log = a.ArquivoLog();
  EXPECT_NE(log.find("        Erro de esquema (nfe_v3.10.xsd): linha 1: "), std::string::npos) << log;
  EXPECT_NE(log.find("mod"), std::string::npos) << log;
  EXPECT_THROW(op.ValidaXml("C:\\Dunmor\\nada.xml", "nfe_v3.10.xsd", true), ErroExecucao);
}

}  // namespace
}  // namespace velant
