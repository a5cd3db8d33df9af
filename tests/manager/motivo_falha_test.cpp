// A handler whose failure has a fixed answer text may name a cause of the
// Host's own instead (MotivoFalha): it becomes the row's message on failure
// only, and never outlives its request.
#include <gtest/gtest.h>

#include "manager/gerenciador_nfe.h"
#include "ambiente_teste.h"
#include "fila_falsa.h"

namespace velant {
namespace {

using teste::Pedido;

class MotivoDaFalha : public ::testing::Test {
 protected:
  MotivoDaFalha() {
    a.relogio.passoSegundos = 0.5;
    a.host.IPProcessamento = "10.0.0.5";
    a.ctx.ConexaoBanco = &conexao;
    a.ctx.Solicitacao = &fila;
  }
  // The row's message after the handler returned `resultado`, leaving `motivo`.
  std::string Mensagem(const char* comando, bool resultado, const std::string& motivo) {
    const int32_t nsu = fila.Inclui(Pedido(comando));
    m.resultado = resultado;
    m.efeito = [&] { a.atual.MotivoFalha = motivo; };
    g.Tique();
    return fila.linhas.at(nsu).mensagem;
  }

  teste::AmbienteTeste a;
  teste::ConexaoFalsa conexao{a.ui};
  teste::FilaFalsa fila{conexao, a.host, a.ui};
  teste::ManipuladoresTeste m;
  GerenciadorNFe g{a.ctx, m};
};

struct CasoMotivo {
  const char* comando;
  bool resultado;
  const char* motivo;
  const char* mensagem;
};

TEST_F(MotivoDaFalha, SubstituiOTextoFixoSoNaFalha) {
  const CasoMotivo casos[] = {
      {"ENVIA NFE EMAIL CONT", false, "Anexo recusado: pasta do Host", "Anexo recusado: pasta do Host"},
      {"ENVIA EMAIL", false, "Email não enviado ao contador (PDF)", "Email não enviado ao contador (PDF)"},
      {"STATUS SERVICO", false, "Certificado: senha incorreta", "Certificado: senha incorreta"},
      {"ENVIA EMAIL", false, "", "Não foi possível enviar NFe por Email"},
      {"STATUS SERVICO", false, "", "Serviço de NFe Indisponível"},
      {"ENVIA EMAIL", true, "sobra de uma rotina", "NFe enviada por Email!"},
  };
  for (const auto& c : casos) EXPECT_EQ(Mensagem(c.comando, c.resultado, c.motivo), c.mensagem) << c.comando;
}

TEST_F(MotivoDaFalha, NaoPassaParaASolicitacaoSeguinte) {
  Mensagem("ENVIA NFE EMAIL CONT", false, "Anexo recusado: fora da pasta base");
  const int32_t nsu = fila.Inclui(Pedido("STATUS SERVICO"));
  m.resultado = false;
  m.efeito = nullptr;
  g.Tique();
  EXPECT_EQ(fila.linhas.at(nsu).mensagem, "Serviço de NFe Indisponível");
}

}  // namespace
}  // namespace velant
