// The fiscal document component against the authority simulator, over
// HTTPS with client certificates on loopback: the emission with its
// distribution file, the answers that must not be believed, and every fault
// ending in an error within the configured timeouts. (The simulator's own
// answers are its tests'; the texts are autoridade_respostas_test's.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "autoridade_apoio.h"
#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "component/autoridade/cliente_autoridade.h"
#include "component/recusa_resposta.h"
#include "component/servico_documento_fiscal.h"
#include "component/textos_resposta.h"
#include "contexto/contexto.h"

namespace velant {
namespace {

using autoridade::ClassificaFalha;
using autoridade::FalhaTransporte;
using ::testing::HasSubstr;
using Registro = std::vector<std::pair<std::string, std::string>>;

// "válida", or the reason it is not.
std::string Assinatura(const AssinaturaResposta& a) {
  return a.estado == AssinaturaResposta::Estado::Valida ? "válida" : "inválida: " + a.motivo;
}
std::string Ac() { return (teste::PastaCertificados() / "ac.pem").string(); }
std::string Distribuicao(const std::string& chave) {
  return "C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + chave + "-procNFe.xml";
}

class ComponenteContraSimulador : public ::testing::Test {
 protected:
  explicit ComponenteContraSimulador(std::vector<std::string> opcoesSimulador = {})
      : sim_(pasta_.Caminho() / "simulador", std::move(opcoesSimulador)) {}

  teste::HostTeste& Host(const Registro& registro = {}) {
    host_ = std::make_unique<teste::HostTeste>(pasta_.Caminho() / ("host" + std::to_string(++hosts_)), sim_.Servicos(),
                                               registro);
    return *host_;
  }
  ServicoDocumentoFiscal Componente() {
    if (!host_) Host();
    return ServicoDocumentoFiscal(host_->Ctx());
  }
  std::filesystem::path Assinado(const std::string& chave) {
    return host_->Local(OperacoesLocais(host_->Ctx()).CaminhoAssinado(chave));
  }
  // The signed invoice where the generation step leaves it; its key.
  std::string NotaNoDisco(const teste::OpcoesNota& o = {}) {
    if (!host_) Host();
    std::string chave;
    std::string nota = teste::NotaAssinada(o, &chave);
    teste::GravarTudo(Assinado(chave), nota);
    return chave;
  }
  // The batch the component builds of it.
  std::string LoteNoDisco(const std::string& chave, int32_t lote) {
    return Componente().GeraLote(OperacoesLocais(host_->Ctx()).CaminhoAssinado(chave), lote);
  }
  // Sent and authorised (one query in processing first); the status line.
  std::string Autoriza(const std::string& chave, int32_t lote) {
    auto c = Componente();
    RespostaLote r = c.EnviaLote(LoteNoDisco(chave, lote));
    EXPECT_EQ(Left(TextoEnvioLote(r), 30), "103 - Lote recebido - Recibo: ") << TextoEnvioLote(r);
    EXPECT_EQ(TextoConsultaLote(c.ConsultaLote(r.nRec)), "105 - Lote em processamento");
    return LinhaStatusLote(c.ConsultaLote(r.nRec));
  }
  std::string LogHost() {
    return teste::LerTudo(host_->Local(RegistroEventos::NomeArquivoLog(host_->Ctx().relogio.Agora())));
  }

  teste::PastaTemporaria pasta_;
  teste::ProcessoSimulador sim_;
  std::unique_ptr<teste::HostTeste> host_;
  int hosts_ = 0;
};

// The authority signs what carries a protocol number; with its CA trusted
// every answer is believed, Debian's xmlsec1 agrees on the protocol, and the
// distribution file holds the signed document byte for byte.
TEST_F(ComponenteContraSimulador, EmissaoComRespostasAssinadasEArquivoDeDistribuicao) {
  Host({{"CertificadosConfiaveis", Ac()}});
  std::string chave = NotaNoDisco();
  EXPECT_EQ(Autoriza(chave, 41), "100 - Autorizado o uso da NF-e");
  auto c = Componente();
  RespostaSituacao situacao = c.ConsultaSituacao(chave);
  ASSERT_TRUE(situacao.protocolo.has_value());
  EXPECT_EQ(Assinatura(situacao.protocolo->assinatura) + situacao.protocolo->recusa, "válida");
  const std::string protocolo = Right(TextoConsultaSituacao(situacao), 15);
  EXPECT_TRUE(IsNumeric(Valor(protocolo))) << TextoConsultaSituacao(situacao);
  const auto arquivo = pasta_.Caminho() / "protNFe.xml";
  teste::GravarTudo(arquivo, situacao.protocolo->xml);
  std::string saida, xmlsec = "xmlsec1 --verify --id-attr:Id infProt --enabled-key-data x509 --trusted-pem '";
  EXPECT_EQ(teste::Executa(xmlsec + Ac() + "' '" + arquivo.string() + "' 2>&1", &saida), 0) << saida;

  EXPECT_EQ(c.GeraDistribuicao(chave), Distribuicao(chave));
  std::string proc = teste::LerTudo(host_->Local(Distribuicao(chave)));
  EXPECT_EQ(ValidarXml(proc, "procNFe_v3.10.xsd").value_or(""), "");
  EXPECT_EQ(teste::Campo(proc, "nProt"), protocolo);
  std::string assinado = teste::LerTudo(Assinado(chave));
  EXPECT_NE(proc.find(assinado.substr(assinado.find("<NFe"))), std::string::npos);
  std::string erroAssinatura;
  EXPECT_TRUE(VerificarAssinatura(proc, &erroAssinatura)) << erroAssinatura;
  // An invoice never sent has no distribution file.
  EXPECT_THROW(c.GeraDistribuicao(NotaNoDisco({.numero = 124, .codigoNumerico = 124})), ErroExecucao);

  RespostaRegistro evento = c.EventoCancelamento("0000123", chave, "1", ProtocoloAutorizado(situacao),
                                                 "Cancelamento por erro de digitacao");
  EXPECT_EQ(evento.cStat + Assinatura(evento.assinatura) + RecusaRegistro(evento, chave), "135válida");
  host_->Ctx().atual.SerieAtual = "1";
  RespostaRegistro inutilizacao = c.InutilizaNumeracao("16", "90", "90", "Numero pulado por falha no sistema");
  EXPECT_EQ(inutilizacao.cStat + Assinatura(inutilizacao.assinatura) + RecusaRegistro(inutilizacao, ""), "102válida");
}

TEST_F(ComponenteContraSimulador, AutoridadeParalisadaNaoRecebeLote) {
  std::string lote = LoteNoDisco(NotaNoDisco(), 5);
  sim_.DefineControle("paralisado=108\n");
  EXPECT_EQ(TextoEnvioLote(Componente().EnviaLote(lote)), "Erro 94");
  EXPECT_THAT(LogHost(), HasSubstr("        Lote não recebido pela autoridade: 108 - Serviço Paralisado Momentaneamente "
                                    "(curto prazo)"));
}

// classe: how far the message went, as the contingency decision reads the
// failure (a message that never left may go to another service at once).
void EsperaFalha(const std::function<void()>& chamada, const std::string& causa, double limiteSegundos,
                 std::optional<FalhaTransporte> classe = std::nullopt) {
  auto inicio = std::chrono::steady_clock::now();
  const std::string erro = teste::ErroDoComponente(chamada);
  EXPECT_NE(erro.find(causa), std::string::npos) << erro;
  if (classe) { EXPECT_EQ(ClassificaFalha(erro), *classe) << erro; }
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(), limiteSegundos);
}

// A hostile authority: the protocols it sends are tampered with after
// signing, or signed by a CA not trusted. None is believed, from the batch
// or the situation query, and no distribution file comes from them; the
// genuine one passes.
TEST_F(ComponenteContraSimulador, ProtocoloAdulteradoNaoEAcreditado) {
  const std::string outraAc = (teste::PastaCertificados() / "servidor.pem").string();
  struct Caso {
    const char* controle;
    std::string confiaveis;   // "" for none
    const char* recusa;
  } casos[] = {{"", Ac(), ""},
               {"adulterar=protocolo\n", Ac(), kRecusaAssinatura},
               {"adulterar=protocolo\n", "", kRecusaAssinatura},
               {"adulterar=chave\n", Ac(), kRecusaAssinatura},
               {"adulterar=assinatura\n", Ac(), kRecusaSemAssinatura},
               {"", outraAc, kRecusaAssinatura}};
  int numero = 200;
  for (const auto& caso : casos) {
    SCOPED_TRACE(std::string(caso.controle) + " " + caso.confiaveis);
    sim_.DefineControle("");
    Host(caso.confiaveis.empty() ? Registro{} : Registro{{"CertificadosConfiaveis", caso.confiaveis}});
    std::string chave = NotaNoDisco({.numero = ++numero, .codigoNumerico = numero});
    auto c = Componente();
    RespostaLote envio = c.EnviaLote(LoteNoDisco(chave, numero));
    sim_.DefineControle(caso.controle);
    RespostaLote lote = c.ConsultaLote(envio.nRec);
    lote = lote.cStat == "105" ? c.ConsultaLote(envio.nRec) : lote;
    RespostaSituacao situacao = c.ConsultaSituacao(chave);
    ASSERT_TRUE(lote.protocolo && situacao.protocolo);
    EXPECT_EQ(lote.protocolo->recusa, caso.recusa) << lote.protocolo->assinatura.motivo;
    EXPECT_EQ(situacao.protocolo->recusa, caso.recusa) << situacao.protocolo->assinatura.motivo;
    if (*caso.recusa == '\0') {
      c.GeraDistribuicao(chave);
      EXPECT_TRUE(std::filesystem::exists(host_->Local(Distribuicao(chave))));
      continue;
    }
    EsperaFalha([&] { c.GeraDistribuicao(chave); }, caso.recusa, 5.0);
    EXPECT_FALSE(std::filesystem::exists(host_->Local(Distribuicao(chave))));
    EXPECT_THAT(LogHost(), HasSubstr(std::string("        Resposta da autoridade recusada: ") + caso.recusa));
  }
}

// Faults of the connection set by the simulator's control file or the
// installation's registry: the status request fails naming the cause, in time.
TEST_F(ComponenteContraSimulador, FalhaDeConexaoComACausaDentroDoTempo) {
  struct Caso {
    const char* controle;
    Registro registro;
    const char* causa;
    double limite;
    std::optional<FalhaTransporte> classe;
  } casos[] = {
      {"atraso=5\n", {{"TempoLimiteLeitura", "1"}, {"TempoLimiteTotal", "4"}}, "tempo limite esgotado", 3.0,
       FalhaTransporte::Incerta},
      {"atraso=5\n", {{"TempoLimiteLeitura", "4"}, {"TempoLimiteTotal", "1.5"}}, "tempo limite esgotado", 3.0,
       FalhaTransporte::Incerta},
      // The issuer's certificate is no CA of the server's.
      {"", {{"ArquivoAC", (teste::PastaCertificados() / "emitente.pem").string()}}, "falha na conexão segura (TLS)",
       6.0, FalhaTransporte::Incerta},
      {"", {{"SenhaCertificado", "errada"}}, "Senha do certificado", 6.0, FalhaTransporte::Nenhuma},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.causa);
    sim_.DefineControle(caso.controle);
    Host(caso.registro);
    auto c = Componente();
    EsperaFalha([&] { c.StatusServico(); }, caso.causa, caso.limite, caso.classe);
  }
  sim_.Para();
  Host();
  auto c = Componente();
  EsperaFalha([&] { c.StatusServico(); },
              "Falha na comunicação com a autoridade (NfeStatusServico2 em https://127.0.0.1:", 3.0,
              FalhaTransporte::NaoEnviada);
}

// On a connection kept alive from the call before: the batch reached the
// authority once, and its lost answer is an error, never a second send.
TEST_F(ComponenteContraSimulador, RespostaPerdidaDepoisDeProcessada) {
  std::string chave = NotaNoDisco();
  std::string lote = LoteNoDisco(chave, 9);
  auto c = Componente();
  c.StatusServico();
  const long conexoes = autoridade::ClienteAutoridade::ConexoesAbertas();
  sim_.DefineControle("descartar=1\n");
  EsperaFalha([&] { c.EnviaLote(lote); }, "sem resposta completa", 5.0, FalhaTransporte::Incerta);
  EXPECT_EQ(autoridade::ClienteAutoridade::ConexoesAbertas(), conexoes);
  EXPECT_EQ(teste::Ocorrencias(sim_.Log(), "/ws/NfeAutorizacao.asmx de"), 1u) << sim_.Log();
  sim_.DefineControle("");
  // The authority did receive and authorise it.
  EXPECT_FALSE(ProtocoloAutorizado(Componente().ConsultaSituacao(chave)).empty());
}

// The server closes a connection idle for a second: calls close together
// share one connection, a call after the close opens another by itself.
class SimuladorFechaOciosas : public ComponenteContraSimulador {
 protected:
  SimuladorFechaOciosas() : ComponenteContraSimulador({"--ociosa", "1"}) {}
};

TEST_F(SimuladorFechaOciosas, ConexaoMantidaEReabertaQuandoFechada) {
  auto c = Componente();
  const long antes = autoridade::ClienteAutoridade::ConexoesAbertas();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TextoStatusServico(c.StatusServico()), "107 - Servico em Operacao");
  EXPECT_EQ(autoridade::ClienteAutoridade::ConexoesAbertas() - antes, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1600));
  EXPECT_EQ(TextoStatusServico(c.StatusServico()), "107 - Servico em Operacao");
  EXPECT_EQ(autoridade::ClienteAutoridade::ConexoesAbertas() - antes, 2);
}

// The invoice was generated again (other content, same key) after its batch
// went out and was authorised: the distribution file carries the document
// that was sent, found in its batch, and the signed file becomes it again.
TEST_F(ComponenteContraSimulador, DistribuicaoComODocumentoEnviadoNaoORegerado) {
  std::string chave = NotaNoDisco();
  const std::string enviado = teste::LerTudo(Assinado(chave));
  Autoriza(chave, 77);
  std::string outra = teste::NotaSemAssinatura();
  outra.replace(outra.find("<natOp>"), 7, "<natOp>OUTRA ");
  teste::GravarTudo(Assinado(chave), AssinarXml(outra, "infNFe", teste::CertificadoTeste()));

  std::string proc = teste::LerTudo(host_->Local(Componente().GeraDistribuicao(chave)));
  EXPECT_NE(proc.find(enviado.substr(enviado.find("<NFe"))), std::string::npos);
  EXPECT_EQ(proc.find("OUTRA"), std::string::npos);
  EXPECT_FALSE(ValidarXml(proc, "procNFe_v3.10.xsd").has_value());
  EXPECT_EQ(teste::LerTudo(Assinado(chave)), enviado);

  // Without the batch there is nothing to write from.
  std::filesystem::remove_all(host_->Local("C:\\Dunmor\\nfe\\lotes"));
  teste::GravarTudo(Assinado(chave), AssinarXml(outra, "infNFe", teste::CertificadoTeste()));
  EsperaFalha([&] { Componente().GeraDistribuicao(chave); }, "Protocolo de documento não enviado recusado", 5.0);
}

TEST_F(ComponenteContraSimulador, MensagemForaDoEsquemaNemSai) {
  sim_.Para();   // nothing would answer: the schema stops it first
  auto c = Componente();
  EsperaFalha([&] { c.ConsultaLote("12ab"); }, "fora do esquema consReciNFe_v3.10.xsd", 5.0);
  EsperaFalha([&] { c.EventoCancelamento("1", "123", "1", "135160000000001", "Justificativa longa o bastante"); },
              "Chave de acesso inválida", 5.0);
  EsperaFalha([&] { c.InutilizaNumeracao("16", "1", "1", "curta"); }, "Série não informada", 5.0);
  host_->Ctx().atual.SerieAtual = "1";
  EsperaFalha([&] { c.InutilizaNumeracao("16", "1", "1", "curta"); }, "fora do esquema inutNFe_v3.10.xsd", 5.0);
}

TEST(ConfiguracaoCliente, ValoresDoRegistroEPadroes) {
  teste::PastaTemporaria pasta;
  teste::HostTeste host(pasta.Caminho(), "C:\\Config\\servicos.ini",
                        {{"Certificado", "C:\\Certificados\\a1.pfx"}, {"TempoLimiteConexao", "2,5"},
                         {"TempoLimiteLeitura", ""}, {"TempoLimiteTotal", "abc"}, {"UnidadeFederadaCodigo", ""},
                         {"UnidadeFederada", "RS"}});
  auto c = LerConfiguracaoCliente(host.Ctx());
  auto ms = [](auto t) { return std::to_string(std::chrono::milliseconds(t).count()); };
  EXPECT_EQ(c.uf + "|" + c.codigoUf + "|" + c.ambiente + "|" + ms(c.tempoConexao) + "|" + ms(c.tempoLeitura) + "|" +
                ms(c.tempoTotal),
            "RS|43|2|2500|30000|60000");
  EXPECT_EQ(c.arquivoCertificado, host.Local("C:\\Certificados\\a1.pfx"));
  EXPECT_EQ(c.arquivoServicos, host.Local("C:\\Config\\servicos.ini"));
}

}  // namespace
}  // namespace velant
