#include "lifecycle/testa_servidores.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "base/erro.h"
#include "manager/ambiente_teste.h"

namespace velant {
namespace {

// Only StatusServico answers; "STATUS SERVICO" needs nothing else.
class ServicoStatus : public FiscalDocService {
 public:
  ServicoStatus(std::optional<std::string> resposta) : resposta_(std::move(resposta)) {}
  std::string StatusServico() override {
    if (!resposta_) throw ErroExecucao(CodigoErro::ErroComponente, "Falha de comunicação com a SEFAZ");
    return *resposta_;
  }
  std::string AssinaXml(const std::string&, const std::string&) override { return Nada(); }
  std::string GeraLote(const std::string&, int32_t) override { return Nada(); }
  std::string ConsultaSituacao(const std::string&) override { return Nada(); }
  std::string ImprimeDanfe(const std::string&, const std::string&, int32_t, int32_t) override { return Nada(); }
  std::string EnviaLote(const std::string&) override { return Nada(); }
  std::string ConsultaLote(const std::string&) override { return Nada(); }
  std::string InutilizaNumeracao(const std::string&, const std::string&, const std::string&,
                                 const std::string&) override { return Nada(); }
  bool ValidaXml(const std::string&, const std::string&, bool) override { Nada(); return false; }
  std::string GeraDistribuicao(const std::string&) override { return Nada(); }
  bool EnviaEmail(const std::string&, const std::string&, const std::string&, const std::string&) override {
    Nada();
    return false;
  }
  std::string EventoCancelamento(const std::string&, const std::string&, const std::string&, const std::string&,
                                 const std::string&) override { return Nada(); }
  std::string GeraChaveAcesso(const std::string&, const std::string&, const std::string&, int32_t, int32_t, int32_t,
                              int32_t, int32_t) override { return Nada(); }

 private:
  [[noreturn]] static std::string Nada() { throw std::logic_error("operação inesperada"); }
  std::optional<std::string> resposta_;
};

struct CasoStatus {
  const char* resposta;
  bool disponivel;
};

class TestaServidoresTeste : public ::testing::TestWithParam<CasoStatus> {};

TEST_P(TestaServidoresTeste, DisponivelSoComOTextoDeOperacao) {
  const auto& c = GetParam();
  teste::AmbienteTeste a;
  a.ctx.CriaFiscalDocService = [&] { return std::make_unique<ServicoStatus>(std::string(c.resposta)); };
  EXPECT_EQ(TestaServidores(a.ctx), c.disponivel);
  EXPECT_EQ(a.estado.MensagemRetorno, c.resposta);
  EXPECT_NE(a.ArquivoLog().find(std::string("      Resultado: ") + c.resposta), std::string::npos);
  EXPECT_TRUE(a.ui.Eventos().empty());   // the result line goes to the file only
}

INSTANTIATE_TEST_SUITE_P(Respostas, TestaServidoresTeste,
                         ::testing::Values(CasoStatus{"107 - Servico em Operacao", true},
                                           CasoStatus{"Serviço em operação", true},
                                           CasoStatus{"cStat=107 xMotivo=Servico em Operacao tMed=1", true},
                                           CasoStatus{"Servico Paralisado Momentaneamente (curto prazo)", false},
                                           CasoStatus{"servico em operacao", false},
                                           CasoStatus{"", false}));

TEST(TestaServidores, SemComponenteAnotaAFase20) {
  teste::AmbienteTeste a;
  EXPECT_FALSE(TestaServidores(a.ctx));
  EXPECT_NE(a.ArquivoLog().find("     ** Erro na Rotina: TestaServidores - xFaseLog=20 - "), std::string::npos);
}

TEST(TestaServidores, FabricaQueFalhaAnotaAFase20) {
  teste::AmbienteTeste a;
  a.ctx.CriaFiscalDocService = []() -> std::unique_ptr<FiscalDocService> {
    throw ErroExecucao(CodigoErro::ErroComponente, "Classe não registrada");
  };
  EXPECT_FALSE(TestaServidores(a.ctx));
  EXPECT_NE(a.ArquivoLog().find("     ** Erro na Rotina: TestaServidores - xFaseLog=20 - Classe não registrada"),
            std::string::npos);
}

TEST(TestaServidores, ErroDaConsultaAnotaAFase40) {
  teste::AmbienteTeste a;
  a.estado.MensagemRetorno = "anterior";
  a.ctx.CriaFiscalDocService = [] { return std::make_unique<ServicoStatus>(std::nullopt); };
  EXPECT_FALSE(TestaServidores(a.ctx));
  EXPECT_NE(a.ArquivoLog().find("     ** Erro na Rotina: TestaServidores - xFaseLog=40 - Falha de comunicação com a SEFAZ"),
            std::string::npos);
  EXPECT_EQ(a.estado.MensagemRetorno, "anterior");
}

}  // namespace
}  // namespace velant
