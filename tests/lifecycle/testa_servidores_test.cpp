#include "lifecycle/testa_servidores.h"

#include <gtest/gtest.h>

#include <optional>

#include "component/servico_documento_fiscal.h"
#include "lifecycle/apoio_emissao.h"

namespace velant {
namespace {

using teste::AmbienteEmissao;

// Only StatusServico answers (or raises when there is no answer).
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

// The code decides, not the words; the result line goes to the file only.
TEST(TestaServidores, DisponivelSoComOCodigoDeOperacao) {
  // texto: the message and the log's result
  const struct { RespostaStatus resposta; bool disponivel; const char* texto; } casos[] = {
      {{"107", "Serviço em Operação", ""}, true, "107 - Servico em Operacao"},
      {{"108", "Serviço Paralisado Momentaneamente (curto prazo)", ""}, false,
       "108 - Serviço Paralisado Momentaneamente (curto prazo)"},
      {{"252", "Servico em Operacao", ""}, false, "252 - Servico em Operacao"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.texto);
    teste::AmbienteTeste a;
    a.ctx.CriaFiscalDocService = [&] { return std::make_unique<ServicoStatus>(c.resposta); };
    EXPECT_EQ(TestaServidores(a.ctx), c.disponivel);
    EXPECT_EQ(a.atual.MensagemRetorno, c.texto);
    EXPECT_NE(a.ArquivoLog().find(std::string(" -       Resultado: ") + c.texto + "\r\n"), std::string::npos);
    EXPECT_TRUE(a.ui.Eventos().empty());
  }
}

// Without an answer the routine is false, logs the phase it stopped at and
// leaves the previous return message.
TEST(TestaServidores, SemRespostaAnotaAFase) {
  const struct {
    std::function<std::unique_ptr<FiscalDocService>()> fabrica;
    const char* linha;
  } casos[] = {
      {nullptr, "xFaseLog=20 - "},
      {[]() -> std::unique_ptr<FiscalDocService> { throw ErroExecucao(CodigoErro::ErroComponente, "Classe não registrada"); },
       "xFaseLog=20 - Classe não registrada"},
      {[] { return std::make_unique<ServicoStatus>(std::nullopt); }, "xFaseLog=40 - Falha de comunicação com a SEFAZ"},
  };
  for (const auto& c : casos) {
    teste::AmbienteTeste a;
    a.atual.MensagemRetorno = "anterior";
    a.ctx.CriaFiscalDocService = c.fabrica;
    EXPECT_FALSE(TestaServidores(a.ctx));
    EXPECT_NE(a.ArquivoLog().find(std::string("     ** Erro na Rotina: TestaServidores - ") + c.linha), std::string::npos);
    EXPECT_EQ(a.atual.MensagemRetorno, "anterior");
  }
}

// Through the Host's own component, a certificate that keeps the Host from
// asking at all is named; none configured, or no component, stays "unavailable".
TEST_F(AmbienteEmissao, StatusComCertificadoErradoDizPorQue) {
  const struct { const char* de; const char* para; bool componente; const char* motivo; } casos[] = {
      {"\"SenhaCertificado\"=\"1234\"", "\"SenhaCertificado\"=\"4321\"", true, "Certificado: senha incorreta"},
      {"emitente.pfx", "outro.pfx", true, "Certificado: arquivo não encontrado"},
      {"\"Certificado\"=", "\"CertificadoAntigo\"=", true, ""},
      {"", "", false, ""},
  };
  for (const auto& c : casos) {
    Registro();
    if (*c.de != '\0')
      teste::GravarTudo(a.registro.Arquivo(), Replace(teste::LerTudo(a.registro.Arquivo()), c.de, c.para));
    a.ctx.CriaFiscalDocService = c.componente ? FabricaServicoDocumentoFiscal(a.ctx) : nullptr;
    a.atual.MotivoFalha.clear();
    EXPECT_FALSE(TestaServidores(a.ctx)) << c.motivo;
    EXPECT_EQ(a.atual.MotivoFalha, c.motivo);
  }
}

}  // namespace
}  // namespace velant
