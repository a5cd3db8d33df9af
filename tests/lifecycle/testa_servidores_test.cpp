#include "lifecycle/testa_servidores.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "base/erro.h"
#include "component/fiscal_doc_service.h"
#include "componente_inesperado.h"
#include "manager/ambiente_teste.h"

namespace velant {
namespace {

// Only StatusServico answers (or raises when there is no answer); any other
// operation is a fault of the routine.
class ServicoStatus : public teste::ComponenteInesperado {
 public:
  explicit ServicoStatus(std::optional<RespostaStatus> resposta) : resposta_(std::move(resposta)) {}
  RespostaStatus StatusServico() override {
    if (!resposta_) throw ErroExecucao(CodigoErro::ErroComponente, "Falha de comunicação com a SEFAZ");
    return *resposta_;
  }

 private:
  std::optional<RespostaStatus> resposta_;
};

struct CasoStatus {
  const char* nome;
  RespostaStatus resposta;
  bool disponivel;
  const char* texto;   // the message and the log's result
  friend void PrintTo(const CasoStatus& c, std::ostream* os) { *os << c.nome; }
};

class Respostas : public ::testing::TestWithParam<CasoStatus> {};

TEST_P(Respostas, DisponivelSoComOCodigoDeOperacao) {
  const auto& c = GetParam();
  teste::AmbienteTeste a;
  a.ctx.CriaFiscalDocService = [&] { return std::make_unique<ServicoStatus>(c.resposta); };
  EXPECT_EQ(TestaServidores(a.ctx), c.disponivel);
  EXPECT_EQ(a.atual.MensagemRetorno, c.texto);
  EXPECT_NE(a.ArquivoLog().find(std::string(" -       Resultado: ") + c.texto + "\r\n"), std::string::npos)
      << a.ArquivoLog();
  EXPECT_TRUE(a.ui.Eventos().empty());   // the result line goes to the file only
}

INSTANTIATE_TEST_SUITE_P(
    TestaServidores, Respostas,
    ::testing::Values(
        CasoStatus{"ComAcentos", {"107", "Serviço em Operação", ""}, true, "107 - Servico em Operacao"},
        CasoStatus{"SemAcentos", {"107", "Servico em Operacao", ""}, true, "107 - Servico em Operacao"},
        CasoStatus{"Paralisado", {"108", "Serviço Paralisado Momentaneamente (curto prazo)", ""}, false,
                   "108 - Serviço Paralisado Momentaneamente (curto prazo)"},
        CasoStatus{"SemPrevisao", {"109", "Serviço Paralisado sem Previsão", ""}, false,
                   "109 - Serviço Paralisado sem Previsão"},
        // The code decides, not the words.
        CasoStatus{"MotivoDeOperacaoComOutroCodigo", {"252", "Servico em Operacao", ""}, false,
                   "252 - Servico em Operacao"}),
    [](const auto& info) { return std::string(info.param.nome); });

// Without an answer the routine is false, logs the phase it stopped at and
// leaves the previous return message.
void FalhaNaFase(std::function<std::unique_ptr<FiscalDocService>()> fabrica, const std::string& linha) {
  teste::AmbienteTeste a;
  a.atual.MensagemRetorno = "anterior";
  a.ctx.CriaFiscalDocService = std::move(fabrica);
  EXPECT_FALSE(TestaServidores(a.ctx));
  EXPECT_NE(a.ArquivoLog().find("     ** Erro na Rotina: TestaServidores - " + linha), std::string::npos);
  EXPECT_EQ(a.atual.MensagemRetorno, "anterior");
}

TEST(TestaServidores, SemComponenteAnotaAFase20) { FalhaNaFase(nullptr, "xFaseLog=20 - "); }

TEST(TestaServidores, FabricaQueFalhaAnotaAFase20) {
  FalhaNaFase([]() -> std::unique_ptr<FiscalDocService> {
    throw ErroExecucao(CodigoErro::ErroComponente, "Classe não registrada");
  }, "xFaseLog=20 - Classe não registrada");
}

TEST(TestaServidores, ConsultaQueFalhaAnotaAFase40) {
  FalhaNaFase([] { return std::make_unique<ServicoStatus>(std::nullopt); },
              "xFaseLog=40 - Falha de comunicação com a SEFAZ");
}

}  // namespace
}  // namespace velant
