// The synchronous answer of a batch of one invoice (layout 4.00): the send
// brings the protocol, and the emission goes straight to the situation and
// the distribution file, with no batch query and no wait; the rejection,
// duplicate, refused-answer and resume paths stay those of the query.
#include <gtest/gtest.h>

#include "lifecycle/apoio_emissao.h"
#include "lifecycle/lote_nfe.h"
#include "lifecycle/processa_nfe.h"

namespace velant {
namespace {

using teste::ChaveNFe;

const std::string kChave = ChaveNFe();

class LoteSincrono : public teste::AmbienteEmissao {
 protected:
  LoteSincrono() {
    a.ctx.Batimento = [this] { ++esperas; };
  }
  bool Emite() {
    Prepara();
    return ProcessaNFeAzure(a.ctx);
  }
  // The authority answers the send with the invoice's protocol.
  void Sincrona(const std::string& cStat, const std::string& xMotivo) {
    autoridade.envio = [this, cStat, xMotivo](const std::string& chave) {
      autoridade.enviadas.push_back(chave);
      std::string nProt = cStat == "100" ? autoridade.Autoriza(chave) : "";
      return teste::LoteProcessado("", teste::Protocolo(chave, cStat, xMotivo, nProt));
    };
  }
  int esperas = 0;   // heartbeats: each wait of the emission gives some
};

struct CasoSincrono {
  const char* nome;
  const char* cStat;
  const char* xMotivo;
  bool jaAutorizada;   // the authority holds the key already (a lost answer's trace)
  bool resultado;
  int etapa;
  std::vector<const char*> chamadas;   // after "EnviaLote"
  const char* mensagem;                // "" when not checked
};
void PrintTo(const CasoSincrono& c, std::ostream* os) { *os << c.nome; }

class DesfechoSincrono : public LoteSincrono, public ::testing::WithParamInterface<CasoSincrono> {};

TEST_P(DesfechoSincrono, SemConsultaDoLote) {
  const CasoSincrono& c = GetParam();
  if (c.jaAutorizada) autoridade.Autoriza(kChave);
  Sincrona(c.cStat, c.xMotivo);
  EXPECT_EQ(Emite(), c.resultado) << a.ArquivoLog();
  auto m = Movimento();
  EXPECT_EQ(m.etapa, c.etapa);
  EXPECT_EQ(m.recepcao, 0);
  EXPECT_EQ(m.protocolo, c.etapa == 3 ? std::stoll(autoridade.autorizadas[kChave]) : 0);
  std::vector<std::string> chamadas = {"EnviaLote " + kChave};
  for (const char* ch : c.chamadas) chamadas.push_back(std::string(ch) + " " + kChave);
  EXPECT_EQ(autoridade.chamadas, chamadas);
  EXPECT_EQ(esperas, 0);
  if (*c.mensagem) {
    EXPECT_EQ(a.atual.MensagemRetorno, c.mensagem);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, DesfechoSincrono,
    ::testing::Values(
        CasoSincrono{"Autorizada", "100", "Autorizado o uso da NF-e", false, true, 3,
                     {"ConsultaSituacao", "GeraDistribuicao"}, ""},
        CasoSincrono{"Rejeitada", "297", "Rejeição: Assinatura difere do calculado", false, false, 0, {},
                     "297 - Rejeição: Assinatura difere do calculado"},
        CasoSincrono{"Duplicidade", "204", "Rejeição: Duplicidade de NF-e", true, true, 3,
                     {"ConsultaSituacao", "ConsultaSituacao", "GeraDistribuicao"}, ""}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(LoteSincrono, RegistraOEnvioProcessadoNoLog) {
  Sincrona("100", "Autorizado o uso da NF-e");
  ASSERT_TRUE(Emite()) << a.ArquivoLog();
  EXPECT_TRUE(LogEmOrdem({"        Lote enviado: 104 - Lote processado - 100 - Autorizado o uso da NF-e - Protocolo: " +
                              autoridade.autorizadas[kChave] + " - do Arquivo: C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml",
                          "      100 - Autorizado o uso da NF-e"}));
}

// A protocol the component does not believe leaves step 1 without a receipt:
// the next request asks the situation and sends nothing again.
TEST_F(LoteSincrono, ProtocoloRecusadoNaoVoltaAEtapaZero) {
  autoridade.envio = [this](const std::string& chave) {
    autoridade.enviadas.push_back(chave);
    ProtocoloNFe p = teste::Protocolo(chave, "100", "Autorizado o uso da NF-e", autoridade.Autoriza(chave));
    p.recusa = "Assinatura da autoridade inválida";
    return teste::LoteProcessado("", p);
  };
  EXPECT_FALSE(Emite());
  EXPECT_EQ(Movimento().etapa, 1);
  autoridade.envio = nullptr;
  autoridade.chamadas.clear();
  ASSERT_TRUE(Emite()) << a.ArquivoLog();
  EXPECT_EQ(Movimento().etapa, 3);
  EXPECT_EQ(autoridade.enviadas.size(), 1u);
  EXPECT_EQ(autoridade.chamadas.front(), "ConsultaSituacao " + kChave);
}

// A second attempt after a batch the authority refused goes through the
// resend path, whose fixed wait before the query the synchronous answer skips.
TEST_F(LoteSincrono, ReenvioSemEspera) {
  autoridade.envio = [](const std::string&) { return teste::RespostaSo("225", "Rejeição: Falha no Schema XML do lote de NFe"); };
  EXPECT_FALSE(Emite());
  ASSERT_EQ(Movimento().etapa, 0);
  Sincrona("100", "Autorizado o uso da NF-e");
  esperas = 0;
  ASSERT_TRUE(Emite()) << a.ArquivoLog();
  EXPECT_EQ(Movimento().etapa, 3);
  EXPECT_EQ(esperas, 0);
  EXPECT_EQ(std::count(autoridade.chamadas.begin(), autoridade.chamadas.end(), "EnviaLote " + kChave), 2);
}

}  // namespace
}  // namespace velant
