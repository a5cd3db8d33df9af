// A request that fails says why: "NFE3.10" failures before anything was sent
// leave their cause in MensagemRetorno (the row's message), and "STATUS
// SERVICO" names a certificate that keeps the Host from asking at all.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>

#include "apoio_emissao.h"
#include "base/arquivos.h"
#include "base/texto.h"
#include "component/servico_documento_fiscal.h"
#include "lifecycle/processa_nfe.h"
#include "lifecycle/testa_servidores.h"

namespace velant {
namespace {

using teste::AmbienteEmissao;

// The emission's component with one operation replaced.
class ComponenteAlterado : public teste::ComponenteEmissao {
 public:
  ComponenteAlterado(Contexto& ctx, teste::AutoridadeFalsa& autoridade, bool discoCheio, bool loteFalha)
      : ComponenteEmissao(ctx, autoridade), ctx_(ctx), discoCheio_(discoCheio), loteFalha_(loteFalha) {}
  std::string AssinaXml(const std::string& arquivo, const std::string& tag) override {
    // What the file layer raises when the disk is full.
    if (discoCheio_) throw ErroDeGravacao(ctx_.caminhos.Mapear(arquivo + "-assinado.xml"), "escrita", ENOSPC);
    return ComponenteEmissao::AssinaXml(arquivo, tag);
  }
  RespostaLote ConsultaLote(const std::string& recibo) override {
    if (loteFalha_)
      throw ErroExecucao(CodigoErro::ErroComponente,
                         "Autoridade sem resposta em 127.0.0.1:9 (NfeRetAutorizacao): conexão recusada");
    return ComponenteEmissao::ConsultaLote(recibo);
  }

 private:
  Contexto& ctx_;
  bool discoCheio_, loteFalha_;
};

class FalhaAntesDoEnvio : public AmbienteEmissao {
 protected:
  void TrocaNoRegistro(const std::string& de, const std::string& para) {
    teste::GravarTudo(a.registro.Arquivo(), Replace(teste::LerTudo(a.registro.Arquivo()), de, para));
  }
  void Componente(bool discoCheio, bool loteFalha) {
    a.ctx.CriaFiscalDocService = [this, discoCheio, loteFalha] {
      return std::make_unique<ComponenteAlterado>(a.ctx, autoridade, discoCheio, loteFalha);
    };
  }
};

enum class Causa { SenhaErrada, CertificadoAusente, CertificadoNaoConfigurado, DiscoCheio, SerieNaoNumerica, LoteSemConsulta };

struct CasoFalha {
  const char* nome;
  Causa causa;
  std::string mensagem;
};
void PrintTo(const CasoFalha& c, std::ostream* os) { *os << c.nome; }

class Falhas : public FalhaAntesDoEnvio, public ::testing::WithParamInterface<CasoFalha> {};

TEST_P(Falhas, NFeDizPorQue) {
  const CasoFalha& c = GetParam();
  const std::string serie = c.causa == Causa::SerieNaoNumerica ? "A" : "1";
  ASSERT_TRUE(AnalisaTextoSolicitacao(a.ctx, a.janela,
                                      Replace(teste::SolicitacaoNFe(), "112-000 = 1\r\n", "112-000 = " + serie + "\r\n")));
  a.atual.SerieAtual = serie;
  a.atual.NumeroAtual = 123;
  a.atual.DataEmissaoAtual = DataHora::De(2016, 1, 15);
  switch (c.causa) {
    case Causa::SenhaErrada: TrocaNoRegistro("\"SenhaCertificado\"=\"1234\"", "\"SenhaCertificado\"=\"4321\""); break;
    case Causa::CertificadoAusente: TrocaNoRegistro("emitente.pfx", "outro.pfx"); break;
    case Causa::CertificadoNaoConfigurado: TrocaNoRegistro("\"Certificado\"=", "\"CertificadoAntigo\"="); break;
    case Causa::DiscoCheio: Componente(true, false); break;
    case Causa::SerieNaoNumerica: break;
    case Causa::LoteSemConsulta:
      // A batch sent before: the query of its receipt fails.
      Componente(false, true);
      Movimento(1, teste::ChaveNFe(), "351000000000001");
      break;
  }

  EXPECT_FALSE(ProcessaNFeAzure(a.ctx));
  EXPECT_EQ(a.atual.MensagemRetorno, c.mensagem) << a.ArquivoLog();
  EXPECT_TRUE(autoridade.enviadas.empty());
}

INSTANTIATE_TEST_SUITE_P(
    ProcessaNFeAzure, Falhas,
    ::testing::Values(CasoFalha{"SenhaDoCertificadoErrada", Causa::SenhaErrada, "Certificado: senha incorreta"},
                      CasoFalha{"CertificadoAusente", Causa::CertificadoAusente, "Certificado: arquivo não encontrado"},
                      CasoFalha{"CertificadoNaoConfigurado", Causa::CertificadoNaoConfigurado,
                                "Certificado: não configurado"},
                      CasoFalha{"DiscoCheio", Causa::DiscoCheio, "Disco cheio ao gravar XML"},
                      CasoFalha{"SerieNaoNumerica", Causa::SerieNaoNumerica, "Série da NF inválida (112-000)"},
                      CasoFalha{"ConsultaDoLoteFalhou", Causa::LoteSemConsulta,
                                "Autoridade sem resposta em 127.0.0.1:9 (NfeRetAuto"}),
    [](const auto& info) { return std::string(info.param.nome); });

// The invoice's row cannot even be looked up.
TEST_F(FalhaAntesDoEnvio, MovimentoIlegivelDizPorQue) {
  Prepara();
  conexao->CConexaoNfe::ExecutaSql("DROP TABLE MovimentoNFe");
  EXPECT_FALSE(ProcessaNFeAzure(a.ctx));
  EXPECT_NE(a.atual.MensagemRetorno.find("MovimentoNFe"), std::string::npos) << a.atual.MensagemRetorno;
  EXPECT_LE(Len(a.atual.MensagemRetorno), 50);
}

// "STATUS SERVICO" through the Host's own component.
TEST_F(FalhaAntesDoEnvio, StatusComCertificadoErradoDizPorQue) {
  struct {
    const char* de;
    const char* para;
    bool componente;
    const char* motivo;
  } casos[] = {
      {"\"SenhaCertificado\"=\"1234\"", "\"SenhaCertificado\"=\"4321\"", true, "Certificado: senha incorreta"},
      {"emitente.pfx", "outro.pfx", true, "Certificado: arquivo não encontrado"},
      // No certificate configured, or no component: the service stays "unavailable".
      {"\"Certificado\"=", "\"CertificadoAntigo\"=", true, ""},
      {"", "", false, ""},
  };
  for (const auto& c : casos) {
    Registro();
    if (*c.de != '\0') TrocaNoRegistro(c.de, c.para);
    a.ctx.CriaFiscalDocService = c.componente ? FabricaServicoDocumentoFiscal(a.ctx) : nullptr;
    a.atual.MotivoFalha.clear();
    EXPECT_FALSE(TestaServidores(a.ctx)) << c.motivo;
    EXPECT_EQ(a.atual.MotivoFalha, c.motivo);
  }
}

}  // namespace
}  // namespace velant
