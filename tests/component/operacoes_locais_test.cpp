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

  // Registry of the installation: the test certificate by its POSIX path.
  void Registro(const std::string& certificado, const std::string& senha = "1234") {
    std::string escapado = Replace(certificado, "\\", "\\\\");
    teste::GravarTudo(a.registro.Arquivo(), "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n"
                                           "\"Certificado\"=\"" + escapado + "\"\r\n\"SenhaCertificado\"=\"" +
                                               senha + "\"\r\n");
  }
  // The generated file of the example at PastaBase\nfe\arquivos\NFe<key>.xml.
  std::string GeraNota() {
    std::string xml = teste::NotaSemAssinatura({}, &chave);
    std::string arquivo = a.atual.PastaBase + "\\nfe\\arquivos\\NFe" + chave + ".xml";
    teste::GravarTudo(a.caminhos.Mapear(arquivo), xml);
    return arquivo;
  }
  std::string Assinada() {
    Registro((teste::PastaCertificados() / "emitente.pfx").string());
    GeraNota();
    op.AssinaXml(a.atual.PastaBase + "\\nfe\\Arquivos\\NFe" + chave + ".xml", "infNFe");
    return op.CaminhoAssinado(chave);
  }
};

TEST_F(Operacoes, AssinaNoCaminhoDoAssinadoComOCertificadoDoRegistro) {
  Registro((teste::PastaCertificados() / "emitente.pfx").string());
  GeraNota();
  // The signing step names the folder "Arquivos"; the mapper finds "arquivos".
  EXPECT_EQ(op.AssinaXml(a.atual.PastaBase + "\\nfe\\Arquivos\\NFe" + chave + ".xml", "infNFe"), "Arquivo assinado");
  std::string assinado = op.CaminhoAssinado(chave);
  EXPECT_EQ(assinado, "C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + chave + "-assinado.xml");
  ASSERT_TRUE(a.caminhos.Existe(assinado));
  std::string xml = teste::LerTudo(a.caminhos.Mapear(assinado));
  std::string erro;
  EXPECT_TRUE(VerificarAssinatura(xml, &erro)) << erro;
  std::string saida;
  EXPECT_TRUE(teste::XmlsecVerifica(a.caminhos.Mapear(assinado), &saida)) << saida;
}

TEST_F(Operacoes, CertificadoPorCaminhoWindowsEMapeado) {
  std::filesystem::create_directories(a.raiz / "C" / "Certificados");
  std::filesystem::copy_file(teste::PastaCertificados() / "emitente.pfx", a.raiz / "C" / "Certificados" / "a1.pfx");
  Registro("C:\\Certificados\\a1.pfx");
  GeraNota();
  EXPECT_EQ(op.AssinaXml(a.atual.PastaBase + "\\nfe\\arquivos\\NFe" + chave + ".xml", "infNFe"), "Arquivo assinado");
  EXPECT_TRUE(a.caminhos.Existe(op.CaminhoAssinado(chave)));
}

TEST_F(Operacoes, FalhasDeAssinaturaSaoErrosDoComponente) {
  GeraNota();
  std::string arquivo = a.atual.PastaBase + "\\nfe\\arquivos\\NFe" + chave + ".xml";
  auto descricao = [&] {
    try {
      op.AssinaXml(arquivo, "infNFe");
    } catch (const ErroExecucao& e) {
      return e.Descricao();
    }
    return std::string("assinou");
  };
  EXPECT_NE(descricao().find("Certificado digital não configurado"), std::string::npos);
  Registro((teste::PastaCertificados() / "emitente.pfx").string(), "0000");
  EXPECT_NE(descricao().find("Senha do certificado"), std::string::npos);
  Registro("/nao/existe/a1.pfx");
  EXPECT_NE(descricao().find("não encontrado"), std::string::npos);
  Registro((teste::PastaCertificados() / "emitente.pfx").string());
  arquivo = a.atual.PastaBase + "\\nfe\\arquivos\\NFe-nenhuma.xml";
  EXPECT_NE(descricao().find("não encontrado"), std::string::npos);
  EXPECT_FALSE(a.caminhos.Existe(op.CaminhoAssinado(chave)));
}

TEST_F(Operacoes, ValidaERegistraOPrimeiroErro) {
  std::string assinado = Assinada();
  EXPECT_TRUE(op.ValidaXml(assinado, "nfe_v3.10.xsd", true));
  std::string xml = teste::LerTudo(a.caminhos.Mapear(assinado));
  xml.replace(xml.find("<mod>55</mod>"), 13, "<mod>56</mod>");
  teste::GravarTudo(a.caminhos.Mapear(assinado), xml);
  EXPECT_FALSE(op.ValidaXml(assinado, "nfe_v3.10.xsd", true));
  std::string log = a.ArquivoLog();
  EXPECT_NE(log.find("        Erro de esquema (nfe_v3.10.xsd): linha 1: "), std::string::npos) << log;
  EXPECT_NE(log.find("mod"), std::string::npos) << log;
  EXPECT_THROW(op.ValidaXml("C:\\Dunmor\\nada.xml", "nfe_v3.10.xsd", true), ErroExecucao);
}

TEST_F(Operacoes, LoteComANotaAssinadaIntacta) {
  std::string assinado = Assinada();
  std::string lote = op.GeraLote(assinado, 123);
  EXPECT_EQ(lote, "C:\\Dunmor\\nfe\\lotes\\000000000123-env-lot.xml");
  EXPECT_EQ(Mid(lote, 21, 12), "000000000123");
  std::string nota = teste::LerTudo(a.caminhos.Mapear(assinado));
  std::string conteudo = teste::LerTudo(a.caminhos.Mapear(lote));
  EXPECT_EQ(conteudo, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" "
                      "versao=\"3.10\"><idLote>123</idLote><indSinc>0</indSinc>" +
                          nota.substr(nota.find("<NFe")) + "</enviNFe>");
  EXPECT_EQ(ValidarXml(conteudo, "enviNFe_v3.10.xsd"), std::nullopt);
  std::string erro;
  EXPECT_TRUE(VerificarAssinatura(conteudo, &erro)) << erro;
}

TEST_F(Operacoes, LoteRecusaNotaSemAssinatura) {
  std::string gerada = GeraNota();
  EXPECT_THROW(op.GeraLote(gerada, 1), ErroExecucao);
  EXPECT_THROW(op.GeraLote("C:\\Dunmor\\nada.xml", 1), ErroExecucao);
  EXPECT_FALSE(a.caminhos.Existe("C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml"));
}

}  // namespace
}  // namespace velant
