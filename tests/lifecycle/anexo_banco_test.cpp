// An e-mail request whose attachment names the Host's own database file,
// while front ends (velantnfe-ac, each its own process) insert requests.
// Opening and closing that file behind the connection's back would drop the
// locks that tell the front ends the Host still uses the write-ahead log: the
// next one to close would take itself for the last user and remove the log,
// and the Host's stale copy would later overwrite their rows.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "apoio/processo_filho.h"
#include "apoio/servidor_smtp.h"
#include "base/regional.h"
#include "component/autoridade_apoio.h"
#include "data/conexao_nfe.h"
#include "data/criacao_banco.h"
#include "lifecycle/envia_email_contador.h"

namespace velant {
namespace {

TEST(BancoComoAnexo, LinhasDosFrontEndsSobrevivem) {
  teste::PastaTemporaria pasta;
  teste::ServidorMudo mudo;   // a mail server that never answers: whatever is read goes nowhere
  teste::HostTeste host(pasta.Caminho() / "host", {},
                        {{"EmailServidor", "127.0.0.1"}, {"EmailPorta", std::to_string(mudo.Porta())},
                         {"EmailSeguranca", "NENHUMA"}, {"EmailRemetente", "nfe@padaria.com.br"},
                         {"EmailTempoLimiteConexao", "1"}, {"EmailTempoLimiteTotal", "1"}});
  Contexto& ctx = host.Ctx();
  ASSERT_TRUE(data::CriarBancoDados(ctx.ini, ctx.caminhos, ctx.ui, data::kCaminhoIni).ok);
  // One front end inserts one request and ends (0: inserted, no answer awaited).
  auto frontEndInclui = [&](int controle) {
    const auto texto = pasta.Caminho() / ("pedido" + std::to_string(controle) + ".txt");
    teste::GravarTudo(texto, "000-000 - ATV\r\n001-000 - " + std::to_string(controle) + "\r\n999-999 - \r\n");
    pid_t pid = teste::IniciaProcesso({std::string(VELANT_BINARIOS) + "/velantnfe-ac", "enviar", texto.string(), "--raiz",
                                       host.Local("").string(), "--ip", "10.9.9.9", "--espera", "0"},
                                      pasta.Caminho() / "ac.log");
    int estado = 0;
    ASSERT_EQ(waitpid(pid, &estado, 0), pid);
    ASSERT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0) << teste::LerTudo(pasta.Caminho() / "ac.log");
  };
  {
    data::CConexaoNfe banco(ctx.ini, ctx.caminhos, ctx.ui);
    ASSERT_TRUE(banco.ConexaoAtiva());
    frontEndInclui(1);
    // The Host reads and writes through its connection, as a tick does.
    ASSERT_EQ(banco.ExecutaSql("UPDATE SolicitacaoFuncaoNFe SET Mensagem = 'vista pelo Host'"), 1);
    ctx.atual.PastaBase = "C:\\KorvanePafEcf";
    ctx.atual.EmailDestinatario = "contador@contabil.com.br";
    ctx.atual.ArquivoAnexoEmail = "C:\\KorvanePafEcf\\NFe\\VelantNFe\\dvk_data.db";
    ASSERT_TRUE(std::filesystem::is_regular_file(host.Local(ctx.atual.ArquivoAnexoEmail)));
    EXPECT_FALSE(EnviaEmailContador(ctx));
    frontEndInclui(2);
    // The Host answers what it sees; its write lands in the log the front end removed.
    ASSERT_GE(banco.ExecutaSql("UPDATE SolicitacaoFuncaoNFe SET Mensagem = 'respondida pelo Host'"), 1);
    frontEndInclui(3);
  }   // the Host's connection closes, as when it stops
  data::CConexaoNfe depois(ctx.ini, ctx.caminhos, ctx.ui);
  EXPECT_EQ(CLng(depois.RsConexao("SELECT COUNT(*) FROM SolicitacaoFuncaoNFe")->Value(0)), 3);
}

}  // namespace
}  // namespace velant
