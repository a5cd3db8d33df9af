// The fiscal document component against the authority simulator, over
// HTTPS with client certificates on loopback: the emission with its
// distribution file, the answers that must not be believed, and every fault
// ending in an error within the configured timeouts. (Status, cancellation
// and voiding round trips are the end-to-end cases; their texts are
// autoridade_respostas_test's.)
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <regex>
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

using Clock = std::chrono::steady_clock;
using autoridade::ClassificaFalha;
using autoridade::FalhaTransporte;

double Segundos(Clock::time_point inicio) {
  return std::chrono::duration<double>(Clock::now() - inicio).count();
}

class ComponenteContraSimulador : public ::testing::Test {
 protected:
  explicit ComponenteContraSimulador(std::vector<std::string> opcoesSimulador = {})
      : sim_(pasta_.Caminho() / "simulador", std::move(opcoesSimulador)) {}

  teste::HostTeste& Host(const std::vector<std::pair<std::string, std::string>>& registro = {}) {
    host_ = std::make_unique<teste::HostTeste>(pasta_.Caminho() / ("host" + std::to_string(++hosts_)), sim_.Servicos(),
                                               registro);
    return *host_;
  }
  ServicoDocumentoFiscal Componente() {
    if (!host_) Host();
    return ServicoDocumentoFiscal(host_->Ctx());
  }

  // The signed invoice where the generation step leaves it; its key.
  std::string NotaNoDisco(const teste::OpcoesNota& o = {}) {
    if (!host_) Host();
    std::string chave;
    std::string nota = teste::NotaAssinada(o, &chave);
    OperacoesLocais locais(host_->Ctx());
    teste::GravarTudo(host_->Local(locais.CaminhoAssinado(chave)), nota);
    return chave;
  }

  // Batch built by the component and sent; the receipt.
  std::string EnviaNota(const std::string& chave, int32_t lote) {
    auto c = Componente();
    OperacoesLocais locais(host_->Ctx());
    std::string arquivoLote = c.GeraLote(locais.CaminhoAssinado(chave), lote);
    RespostaLote r = c.EnviaLote(arquivoLote);
    EXPECT_EQ(Left(TextoEnvioLote(r), 30), "103 - Lote recebido - Recibo: ") << TextoEnvioLote(r);
    return r.nRec;
  }

  std::string StatusDoLote(const std::string& recibo) {
    auto c = Componente();
    EXPECT_EQ(TextoConsultaLote(c.ConsultaLote(recibo)), "105 - Lote em processamento");
    RespostaLote r = c.ConsultaLote(recibo);
    EXPECT_EQ(r.cStat, "104") << TextoConsultaLote(r);
    return LinhaStatusLote(r);
  }

  // Read again by the simulator at every request.
  void Controle(const std::string& texto) { sim_.DefineControle(texto); }

  teste::PastaTemporaria pasta_;
  teste::ProcessoSimulador sim_;
  std::unique_ptr<teste::HostTeste> host_;
  int hosts_ = 0;
};

TEST_F(ComponenteContraSimulador, EmissaoCompletaComArquivoDeDistribuicao) {
  std::string chave = NotaNoDisco();
  std::string recibo = EnviaNota(chave, 41);
  EXPECT_TRUE(std::regex_match(recibo, std::regex("351[0-9]{12}"))) << recibo;
  EXPECT_EQ(StatusDoLote(recibo), "100 - Autorizado o uso da NF-e");

  auto c = Componente();
  std::string situacao = TextoConsultaSituacao(c.ConsultaSituacao(chave));
  std::string protocolo = Right(situacao, 15);
  EXPECT_TRUE(IsNumeric(Valor(protocolo))) << situacao;
  EXPECT_EQ(Left(situacao, 6), "100 - ");

  std::string arquivo = c.GeraDistribuicao(chave);
  EXPECT_EQ(arquivo, "C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + chave + "-procNFe.xml");
  std::string proc = teste::LerTudo(host_->Local(arquivo));
  auto erro = ValidarXml(proc, "procNFe_v3.10.xsd");
  EXPECT_FALSE(erro.has_value()) << *erro;
  EXPECT_EQ(teste::Campo(proc, "nProt"), protocolo);
  // The signed document goes in byte for byte, and still verifies.
  std::string assinado = teste::LerTudo(host_->Local(OperacoesLocais(host_->Ctx()).CaminhoAssinado(chave)));
  EXPECT_NE(proc.find(assinado.substr(assinado.find("<NFe"))), std::string::npos);
  std::string erroAssinatura;
  EXPECT_TRUE(VerificarAssinatura(proc, &erroAssinatura)) << erroAssinatura;
}

TEST_F(ComponenteContraSimulador, DuplicidadeERejeicaoEscolhida) {
  std::string chave = NotaNoDisco();
  EXPECT_EQ(StatusDoLote(EnviaNota(chave, 1)), "100 - Autorizado o uso da NF-e");
  std::string duplicada = StatusDoLote(EnviaNota(chave, 2));
  EXPECT_TRUE(Like(duplicada, "204 - Rejeição: Duplicidade de NF-e*")) << duplicada;

  Controle("rejeitar=539\n");
  std::string outra = NotaNoDisco({.numero = 124, .codigoNumerico = 124});
  std::string rejeitada = StatusDoLote(EnviaNota(outra, 3));
  EXPECT_EQ(rejeitada, "539 - Rejeição: Duplicidade de NF-e com diferença na Chave de Acesso");
  EXPECT_THROW(Componente().GeraDistribuicao(outra), ErroExecucao);
}

// Items worth 100.00 under a products total of 150.00.
void ProdutosQueNaoSomam(VetoresNFe& v) { v.gVetorTotais[Totais::vProd] = v.gVetorTotais[Totais::vNF] = "150.00"; }

TEST_F(ComponenteContraSimulador, RegraDeNegocioRecusaANota) {
  std::string chave = NotaNoDisco({.ajuste = ProdutosQueNaoSomam});
  EXPECT_EQ(StatusDoLote(EnviaNota(chave, 1)), "564 - Rejeição: Total do Produto / Serviço difere do somatório dos itens");
}

// --sem-regras: only the checks before the business rules, for fault tests.
class SimuladorSemRegras : public ComponenteContraSimulador {
 protected:
  SimuladorSemRegras() : ComponenteContraSimulador({"--sem-regras"}) {}
};

TEST_F(SimuladorSemRegras, AutorizaANotaQueQuebraRegra) {
  std::string chave = NotaNoDisco({.ajuste = ProdutosQueNaoSomam});
  EXPECT_EQ(StatusDoLote(EnviaNota(chave, 1)), "100 - Autorizado o uso da NF-e");
}

TEST_F(ComponenteContraSimulador, AutoridadeParalisadaNaoRecebeLote) {
  std::string chave = NotaNoDisco();
  OperacoesLocais locais(host_->Ctx());
  std::string lote = Componente().GeraLote(locais.CaminhoAssinado(chave), 5);
  Controle("paralisado=108\n");
  auto c = Componente();
  EXPECT_EQ(TextoEnvioLote(c.EnviaLote(lote)), "Erro 94");
  std::string log = teste::LerTudo(host_->Local(RegistroEventos::NomeArquivoLog(host_->Ctx().relogio.Agora())));
  EXPECT_NE(log.find("        Lote não recebido pela autoridade: 108 - Serviço Paralisado Momentaneamente (curto prazo)"),
            std::string::npos)
      << log;
  EXPECT_EQ(TextoConsultaLote(c.ConsultaLote("351000000000001")), "108 - Serviço Paralisado Momentaneamente (curto prazo)");
  EXPECT_FALSE(IsNumeric(Valor(Right(TextoConsultaSituacao(c.ConsultaSituacao(chave)), 15))));
}

TEST_F(ComponenteContraSimulador, LoteEmProcessamentoParaSempre) {
  Controle("processando=sempre\n");
  std::string recibo = EnviaNota(NotaNoDisco(), 1);
  auto c = Componente();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TextoConsultaLote(c.ConsultaLote(recibo)), "105 - Lote em processamento");
}

// --- Faults -------------------------------------------------------------------

// classe: how far the message went, as the contingency decision reads the
// failure (a message that never left may go to another service at once).
void EsperaFalha(const std::function<void()>& chamada, const std::string& causa, double limiteSegundos,
                 std::optional<FalhaTransporte> classe = std::nullopt) {
  auto inicio = Clock::now();
  try {
    chamada();
    ADD_FAILURE() << "a chamada deveria falhar (" << causa << ")";
  } catch (const ErroExecucao& e) {
    EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
    EXPECT_NE(e.Descricao().find(causa), std::string::npos) << e.Descricao();
    if (classe) {
      EXPECT_EQ(ClassificaFalha(e.Descricao()), *classe) << e.Descricao();
    }
  }
  EXPECT_LT(Segundos(inicio), limiteSegundos);
}

// The authority signs what carries a protocol number; with its CA trusted
// every answer is believed, and Debian's xmlsec1 agrees on the protocol.
TEST_F(ComponenteContraSimulador, RespostasAssinadasSobAACConfiavel) {
  Host({{"CertificadosConfiaveis", (teste::PastaCertificados() / "ac.pem").string()}});
  std::string chave = NotaNoDisco();
  EXPECT_EQ(StatusDoLote(EnviaNota(chave, 1)), "100 - Autorizado o uso da NF-e");
  auto c = Componente();
  RespostaSituacao situacao = c.ConsultaSituacao(chave);
  ASSERT_TRUE(situacao.protocolo.has_value());
  EXPECT_EQ(situacao.protocolo->assinatura.estado, AssinaturaResposta::Estado::Valida)
      << situacao.protocolo->assinatura.motivo;
  EXPECT_EQ(situacao.protocolo->recusa, "");
  const auto arquivo = pasta_.Caminho() / "protNFe.xml";
  teste::GravarTudo(arquivo, situacao.protocolo->xml);
  std::string saida;
  EXPECT_EQ(teste::Executa("xmlsec1 --verify --id-attr:Id infProt --enabled-key-data x509 --trusted-pem '" +
                               (teste::PastaCertificados() / "ac.pem").string() + "' '" + arquivo.string() + "' 2>&1",
                           &saida),
            0)
      << saida;
  EXPECT_FALSE(ValidarXml(teste::LerTudo(host_->Local(c.GeraDistribuicao(chave))), "procNFe_v3.10.xsd").has_value());

  RespostaRegistro evento = c.EventoCancelamento("0000123", chave, "1", ProtocoloAutorizado(situacao),
                                                 "Cancelamento por erro de digitacao");
  EXPECT_EQ(evento.cStat, "135");
  EXPECT_EQ(evento.assinatura.estado, AssinaturaResposta::Estado::Valida) << evento.assinatura.motivo;
  EXPECT_EQ(RecusaRegistro(evento, chave), "");
  host_->Ctx().atual.SerieAtual = "1";
  RespostaRegistro inutilizacao = c.InutilizaNumeracao("16", "90", "90", "Numero pulado por falha no sistema");
  EXPECT_EQ(inutilizacao.cStat, "102");
  EXPECT_EQ(inutilizacao.assinatura.estado, AssinaturaResposta::Estado::Valida) << inutilizacao.assinatura.motivo;
  EXPECT_EQ(RecusaRegistro(inutilizacao, ""), "");
}

// Trusting another CA, the same answers are not believed, and no
// distribution file is written from them.
TEST_F(ComponenteContraSimulador, AutoridadeForaDosCertificadosConfiaveis) {
  auto pasta = pasta_.Caminho() / "outra-ac";
  std::filesystem::create_directories(pasta);
  std::string saida;
  ASSERT_EQ(teste::Executa("cd '" + pasta.string() +
                               "' && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout k.pem -out ac.pem "
                               "-subj '/CN=Outra AC' 2>&1",
                           &saida),
            0)
      << saida;
  Host({{"CertificadosConfiaveis", (pasta / "ac.pem").string()}});
  std::string chave = NotaNoDisco();
  StatusDoLote(EnviaNota(chave, 1));
  auto c = Componente();
  RespostaSituacao situacao = c.ConsultaSituacao(chave);
  ASSERT_TRUE(situacao.protocolo.has_value());
  EXPECT_EQ(situacao.protocolo->recusa, kRecusaAssinatura);
  EsperaFalha([&] { c.GeraDistribuicao(chave); }, kRecusaAssinatura, 5.0);
  EXPECT_FALSE(std::filesystem::exists(host_->Local("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + chave + "-procNFe.xml")));
  std::string log = teste::LerTudo(host_->Local(RegistroEventos::NomeArquivoLog(host_->Ctx().relogio.Agora())));
  EXPECT_NE(log.find(std::string("        Resposta da autoridade recusada: ") + kRecusaAssinatura + " - "),
            std::string::npos)
      << log;
}

// A hostile authority: the protocols it sends are tampered with after
// signing. None is believed, trusted CA or not, and no distribution file
// comes from them; the genuine one passes.
struct CasoAdulterado {
  const char* nome;
  const char* controle;
  bool confiaveis;
  const char* recusa;
};
void PrintTo(const CasoAdulterado& c, std::ostream* os) { *os << c.nome; }

class ProtocoloAdulterado : public ComponenteContraSimulador, public ::testing::WithParamInterface<CasoAdulterado> {};

TEST_P(ProtocoloAdulterado, NaoEAcreditado) {
  const auto& c = GetParam();
  std::vector<std::pair<std::string, std::string>> registro;
  if (c.confiaveis) registro.push_back({"CertificadosConfiaveis", (teste::PastaCertificados() / "ac.pem").string()});
  Host(registro);
  std::string chave = NotaNoDisco();
  std::string recibo = EnviaNota(chave, 1);
  Controle(c.controle);
  auto componente = Componente();
  RespostaLote lote = componente.ConsultaLote(recibo);
  lote = lote.cStat == "105" ? componente.ConsultaLote(recibo) : lote;
  RespostaSituacao situacao = componente.ConsultaSituacao(chave);
  ASSERT_TRUE(lote.protocolo.has_value());
  ASSERT_TRUE(situacao.protocolo.has_value());
  EXPECT_EQ(lote.protocolo->recusa, c.recusa) << lote.protocolo->assinatura.motivo;
  EXPECT_EQ(situacao.protocolo->recusa, c.recusa) << situacao.protocolo->assinatura.motivo;
  const auto proc = host_->Local("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + chave + "-procNFe.xml");
  if (*c.recusa == '\0') {
    componente.GeraDistribuicao(chave);
    EXPECT_TRUE(std::filesystem::exists(proc));
  } else {
    EsperaFalha([&] { componente.GeraDistribuicao(chave); }, c.recusa, 5.0);
    EXPECT_FALSE(std::filesystem::exists(proc));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ProtocoloAdulterado,
    ::testing::Values(CasoAdulterado{"Genuino", "", true, ""},
                      CasoAdulterado{"OutroNumero", "adulterar=protocolo\n", true, kRecusaAssinatura},
                      CasoAdulterado{"OutroNumeroSemConfiaveis", "adulterar=protocolo\n", false, kRecusaAssinatura},
                      CasoAdulterado{"OutraChave", "adulterar=chave\n", true, kRecusaAssinatura},
                      CasoAdulterado{"SemAssinatura", "adulterar=assinatura\n", true, kRecusaSemAssinatura}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(ComponenteContraSimulador, ConexaoRecusada) {
  Controle("recusar=1\n");
  ASSERT_TRUE(sim_.EsperaPorta(false));
  auto c = Componente();
  EsperaFalha([&] { c.StatusServico(); }, "conexão recusada", 3.0, FalhaTransporte::NaoEnviada);
  Controle("recusar=0\n");
  ASSERT_TRUE(sim_.EsperaPorta(true));
  EXPECT_EQ(TextoStatusServico(Componente().StatusServico()), "107 - Servico em Operacao");
}

TEST_F(ComponenteContraSimulador, ServidorFora) {
  sim_.Para();
  auto c = Componente();
  EsperaFalha([&] { c.StatusServico(); }, "Falha na comunicação com a autoridade (NfeStatusServico2 em https://127.0.0.1:",
              3.0, FalhaTransporte::NaoEnviada);
}

// Faults of the connection set by the simulator's control file or the
// installation's registry: the status request fails naming the cause, in time.
struct CasoFalha {
  const char* nome;
  const char* controle;
  std::vector<std::pair<std::string, std::string>> registro;
  const char* causa;
  double limite;
  FalhaTransporte classe;
};
void PrintTo(const CasoFalha& c, std::ostream* os) { *os << c.nome; }

class FalhaDeConexao : public ComponenteContraSimulador, public ::testing::WithParamInterface<CasoFalha> {};

TEST_P(FalhaDeConexao, ErroComACausaDentroDoTempo) {
  const auto& c = GetParam();
  Controle(c.controle);
  Host(c.registro);
  auto componente = Componente();
  EsperaFalha([&] { componente.StatusServico(); }, c.causa, c.limite, c.classe);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, FalhaDeConexao,
    ::testing::Values(
        CasoFalha{"AtrasoAlemDoTempoDeLeitura", "atraso=5\n", {{"TempoLimiteLeitura", "1"}, {"TempoLimiteTotal", "4"}},
                  "tempo limite esgotado", 3.0, FalhaTransporte::Incerta},
        CasoFalha{"TempoTotalVenceQuandoMenor", "atraso=5\n", {{"TempoLimiteLeitura", "4"}, {"TempoLimiteTotal", "1.5"}},
                  "tempo limite esgotado", 3.0, FalhaTransporte::Incerta},
        // The issuer's certificate is no CA of the server's.
        CasoFalha{"ServidorDeOutraAutoridadeCertificadora", "",
                  {{"ArquivoAC", (teste::PastaCertificados() / "emitente.pem").string()}},
                  "falha na conexão segura (TLS)", 6.0, FalhaTransporte::Incerta},
        CasoFalha{"SenhaErradaDoCertificado", "", {{"SenhaCertificado", "errada"}}, "Senha do certificado", 6.0,
                  FalhaTransporte::Nenhuma}),
    [](const auto& info) { return std::string(info.param.nome); });

size_t Ocorrencias(const std::string& texto, const std::string& parte) {
  size_t n = 0;
  for (size_t i = texto.find(parte); i != std::string::npos; i = texto.find(parte, i + 1)) ++n;
  return n;
}

// On a connection kept alive from the call before: the batch reached the
// authority once, and its lost answer is an error, never a second send.
TEST_F(ComponenteContraSimulador, RespostaPerdidaDepoisDeProcessada) {
  std::string chave = NotaNoDisco();
  OperacoesLocais locais(host_->Ctx());
  std::string lote = Componente().GeraLote(locais.CaminhoAssinado(chave), 9);
  auto c = Componente();
  c.StatusServico();
  const long conexoes = autoridade::ClienteAutoridade::ConexoesAbertas();
  Controle("descartar=1\n");
  EsperaFalha([&] { c.EnviaLote(lote); }, "sem resposta completa", 5.0, FalhaTransporte::Incerta);
  EXPECT_EQ(autoridade::ClienteAutoridade::ConexoesAbertas(), conexoes);
  EXPECT_EQ(Ocorrencias(sim_.Log(), "/ws/NfeAutorizacao.asmx de"), 1u) << sim_.Log();
  Controle("");
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
  OperacoesLocais locais(host_->Ctx());
  const auto local = host_->Local(locais.CaminhoAssinado(chave));
  const std::string enviado = teste::LerTudo(local);
  StatusDoLote(EnviaNota(chave, 77));
  std::string outra = teste::NotaSemAssinatura();
  outra.replace(outra.find("<natOp>"), 7, "<natOp>OUTRA ");
  teste::GravarTudo(local, AssinarXml(outra, "infNFe", teste::CertificadoTeste()));
  ASSERT_NE(teste::LerTudo(local), enviado);

  std::string proc = teste::LerTudo(host_->Local(Componente().GeraDistribuicao(chave)));
  EXPECT_NE(proc.find(enviado.substr(enviado.find("<NFe"))), std::string::npos);
  EXPECT_EQ(proc.find("OUTRA"), std::string::npos);
  EXPECT_FALSE(ValidarXml(proc, "procNFe_v3.10.xsd").has_value());
  EXPECT_EQ(teste::LerTudo(local), enviado);

  // Without the batch there is nothing to write from.
  std::filesystem::remove_all(host_->Local("C:\\Dunmor\\nfe\\lotes"));
  teste::GravarTudo(local, AssinarXml(outra, "infNFe", teste::CertificadoTeste()));
  EsperaFalha([&] { Componente().GeraDistribuicao(chave); }, "Protocolo de documento não enviado recusado", 5.0);
}

TEST_F(ComponenteContraSimulador, CertificadoDoClienteDeOutraAutoridade) {
  auto pasta = pasta_.Caminho() / "intruso";
  std::filesystem::create_directories(pasta);
  std::string saida;
  ASSERT_EQ(teste::Executa("cd '" + pasta.string() +
                               "' && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout k.pem -out c.pem "
                               "-subj '/CN=INTRUSO:11222333000181' && openssl pkcs12 -export -inkey k.pem -in c.pem "
                               "-out i.pfx -passout pass:1234",
                           &saida),
            0)
      << saida;
  Host({{"Certificado", (pasta / "i.pfx").string()}});
  auto c = Componente();
  EsperaFalha([&] { c.StatusServico(); }, "Falha na comunicação com a autoridade", 6.0);
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
                        {{"Certificado", "C:\\Certificados\\a1.pfx"},
                         {"TempoLimiteConexao", "2,5"},
                         {"TempoLimiteLeitura", ""},
                         {"TempoLimiteTotal", "abc"},
                         {"UnidadeFederadaCodigo", ""},
                         {"UnidadeFederada", "RS"}});
  auto c = LerConfiguracaoCliente(host.Ctx());
  EXPECT_EQ(c.uf, "RS");
  EXPECT_EQ(c.codigoUf, "43");
  EXPECT_EQ(c.ambiente, "2");
  EXPECT_EQ(c.arquivoCertificado, host.Local("C:\\Certificados\\a1.pfx"));
  EXPECT_EQ(c.arquivoServicos, host.Local("C:\\Config\\servicos.ini"));
  EXPECT_EQ(c.tempoConexao, std::chrono::milliseconds(2500));
  EXPECT_EQ(c.tempoLeitura, std::chrono::milliseconds(30000));
  EXPECT_EQ(c.tempoTotal, std::chrono::milliseconds(60000));
}

}  // namespace
}  // namespace velant
