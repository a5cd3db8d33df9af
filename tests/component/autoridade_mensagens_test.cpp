// Request messages and SOAP envelopes of the authority client. (The way
// there and back of an envelope is the client tests', against the simulator.)
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "autoridade_apoio.h"
#include "base/erro.h"
#include "component/apoio_nfe400.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "component/xml/autoridade_xml.h"

namespace velant::autoridade {
namespace {

// Each row must be refused as a component error whose text names what went wrong.
TEST(EnvelopeSoap, RespostasRecusadas) {
  struct Caso { std::function<void()> chamar; const char* trecho; } casos[] = {
      {[] { LeResposta(MontaFalhaSoap("Receiver", "Servidor em manutenção")); }, "Receiver: Servidor em manutenção"},
      {[] { LeResposta("<html>erro</html>"); }, "não é um envelope SOAP 1.2"},
      {[] { LeResposta("não é xml"); }, ""},
      {[] { LePedido("<Envelope/>"); }, "O pedido não é um envelope SOAP 1.2"},
  };
  for (const auto& c : casos) EXPECT_NE(teste::ErroDoComponente(c.chamar).find(c.trecho), std::string::npos) << c.trecho;
}

// Small text conversions: state codes, leading zeros, timestamps with offset.
TEST(Conversoes, TextoEsperado) {
  auto meiodia = [](int fuso) { return DataHoraComFuso(std::chrono::system_clock::from_time_t(1452859200), fuso); };
  EXPECT_EQ(CodigoUf("SP") + "|" + CodigoUf(" rs ") + "|" + CodigoUf("DF") + "|" + CodigoUf("XX") + "|" +
                SemZerosAEsquerda("000123") + "|" + SemZerosAEsquerda(" 000 ") + "|" + SemZerosAEsquerda("12a") + "|" +
                meiodia(-3) + "|" + meiodia(0) + "|" + meiodia(-1),
            "35|43|53||123|0|12a|2016-01-15T09:00:00-03:00|2016-01-15T12:00:00+00:00|2016-01-15T11:00:00-01:00");
  int fuso = FusoLocalHoras();
  EXPECT_TRUE(fuso >= -11 && fuso <= 12) << fuso;
}

DadosCancelamento Cancelamento() {
  return {"0000123", "2", "35160111222333000181550010000001231000001233", "1", "135160000000001",
          "  Erro de digitacao\r\nno valor  ", "2016-01-15T12:00:00-03:00"};
}
DadosInutilizacao Inutilizacao() {
  return {"2", "35", "16", "11222333000181", "001", "000000050", "0000000052", "Numeracao pulada por falha\tdo sistema"};
}

// What the authority reads back from the fields: the Ids, the series and
// range without zeros, the justification on one line.
TEST(Mensagens, IdsECampos) {
  const std::string cancelamento = MensagemEventoCancelamento(Cancelamento());
  const std::string inutilizacao = MensagemInutilizacao(Inutilizacao());
  EXPECT_NE(cancelamento.find("Id=\"ID110111" + Cancelamento().chave + "01\""), std::string::npos) << cancelamento;
  EXPECT_EQ(teste::Campos(cancelamento, {"cOrgao", "CNPJ", "nSeqEvento", "xJust"}),
            "35|11222333000181|1|Erro de digitacao  no valor");
  EXPECT_NE(inutilizacao.find("Id=\"ID35161122233300018155001000000050000000052\""), std::string::npos) << inutilizacao;
  EXPECT_EQ(teste::Campos(inutilizacao, {"serie", "nNFIni", "nNFFin"}), "1|50|52");
}

// The letter as it goes, judged from outside: xmllint with the official
// schema (the fixed conditions of use, the text's limits) and xmlsec1 on the
// signature; texts at the limits and with what XML escapes.
TEST(MensagemCartaCorrecao, AceitaNoEsquemaENoXmlsec) {
  const std::string chave = "35160111222333000181550010000001231000001233";
  teste::PastaTemporaria pasta;
  struct Caso { std::string sequencia, correcao; } casos[] = {
      {"1", "Onde se lê <Rua & Cia> \"A\", leia-se 'B'"}, {"20", std::string(1000, 'x')}};
  for (const auto& c : casos) {
    DadosCartaCorrecao d{"123", "2", chave, c.sequencia, c.correcao, "2016-01-15T12:00:00-03:00"};
    const std::string m = AssinarXml(MensagemCartaCorrecao(d), "infEvento", teste::CertificadoTeste());
    EXPECT_TRUE(teste::AceitaNoEsquemaENoXmlsec(m, pasta.Caminho() / "cce.xml", "evento-cce/envCCe_v1.00.xsd",
                                                "infEvento"));
    auto doc = DocumentoXml::Ler(m, "envEvento");
    const xmlNode* inf = Procura(doc.Raiz(), "infEvento");
    EXPECT_EQ(Atributo(inf, "Id"), "ID110110" + chave + (c.sequencia.size() == 1 ? "0" : "") + c.sequencia);
    EXPECT_EQ(TextoFilho(Procura(inf, "detEvento"), "xCorrecao"), c.correcao);
  }
}

}  // namespace
}  // namespace velant::autoridade
