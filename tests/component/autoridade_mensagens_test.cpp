// Request messages and SOAP envelopes of the authority client. (The way
// there and back of an envelope is the client tests', against the simulator.)
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "autoridade_apoio.h"
#include "base/erro.h"
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

// What the authority reads back from the fields: the Ids, the series and
// range without zeros, the justification on one line.
TEST(Mensagens, IdsECampos) {
  const std::string chave = "35160111222333000181550010000001231000001233";
  const std::string cancelamento = MensagemEventoCancelamento(
      {"0000123", "2", chave, "1", "135160000000001", "  Erro de digitacao\r\nno valor  ", "2016-01-15T12:00:00-03:00"});
  const std::string inutilizacao = MensagemInutilizacao(
      {"2", "35", "16", "11222333000181", "001", "000000050", "0000000052", "Numeracao pulada por falha\tdo sistema"});
  EXPECT_NE(cancelamento.find("Id=\"ID110111" + chave + "01\""), std::string::npos) << cancelamento;
  EXPECT_NE(inutilizacao.find("Id=\"ID35161122233300018155001000000050000000052\""), std::string::npos) << inutilizacao;
  EXPECT_EQ(teste::Campos(cancelamento, {"cOrgao", "CNPJ", "nSeqEvento", "xJust"}) + "|" +
                teste::Campos(inutilizacao, {"serie", "nNFIni", "nNFFin"}),
            "35|11222333000181|1|Erro de digitacao  no valor|1|50|52");
}

}  // namespace
}  // namespace velant::autoridade
