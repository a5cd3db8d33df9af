// The fiscal document component against the authority simulator, over
// HTTPS with client certificates on loopback: the emission with its
// distribution file, the answers that must not be believed, and faults
// ending in an error that names them, in time. (The simulator's own answers
// are its tests'; timeouts and a lost answer are the end-to-end cases'.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "autoridade_apoio.h"
#include "base/erro.h"
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

// "válida", or the reason it is not.
std::string Assinatura(const AssinaturaResposta& a) {
  return a.estado == AssinaturaResposta::Estado::Valida ? "válida" : "inválida: " + a.motivo;
}
std::string Ac() { return (teste::PastaCertificados() / "ac.pem").string(); }
std::string Distribuicao(const std::string& chave) {
  return "C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + chave + "-procNFe.xml";
}

// The component error the call raises, naming the cause, within 6 seconds
// (the registry's timeouts are 5); the error's text.
std::string EsperaFalha(const std::function<void()>& chamada, const std::string& causa) {
  auto inicio = std::chrono::steady_clock::now();
  const std::string erro = teste::ErroDoComponente(chamada);
  EXPECT_NE(erro.find(causa), std::string::npos) << erro;
  EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(6)) << erro;
  return erro;
}

class ComponenteContraSimulador : public teste::ContraSimulador {
 protected:
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
};

// The authority signs what carries a protocol number; with its CA trusted
// every answer is believed, Debian's xmlsec1 agrees on the protocol, and the
// distribution file holds the signed document byte for byte.
TEST_F(ComponenteContraSimulador, EmissaoComRespostasAssinadasEArquivoDeDistribuicao) {
  Host({{"CertificadosConfiaveis", Ac()}});
  std::string chave = NotaNoDisco();
  EXPECT_EQ(Autoriza(chave, 41), "100 - Autorizado o uso da NF-e");
  auto c = Componente();
  const long conexoes = autoridade::ClienteAutoridade::ConexoesAbertas();
  EXPECT_EQ(TextoStatusServico(c.StatusServico()), "107 - Servico em Operacao");
  RespostaSituacao situacao = c.ConsultaSituacao(chave);
  // Calls close together keep to the connection the sending opened.
  EXPECT_EQ(autoridade::ClienteAutoridade::ConexoesAbertas(), conexoes);
  ASSERT_TRUE(situacao.protocolo.has_value());
  EXPECT_EQ(Assinatura(situacao.protocolo->assinatura) + situacao.protocolo->recusa, "válida");
  const std::string protocolo = ProtocoloAutorizado(situacao);
  const auto arquivo = pasta_.Caminho() / "protNFe.xml";
  teste::GravarTudo(arquivo, situacao.protocolo->xml);
  std::string saida;
  EXPECT_TRUE(teste::XmlsecVerifica(arquivo, &saida, "infProt")) << saida;

  EXPECT_EQ(c.GeraDistribuicao(chave), Distribuicao(chave));
  std::string proc = teste::LerTudo(host_->Local(Distribuicao(chave)));
  EXPECT_EQ(ValidarXml(proc, "procNFe_v3.10.xsd").value_or(""), "");
  EXPECT_EQ(teste::Campo(proc, "nProt"), protocolo);
  std::string assinado = teste::LerTudo(Assinado(chave));
  EXPECT_NE(proc.find(assinado.substr(assinado.find("<NFe"))), std::string::npos);
  // An invoice never sent has no distribution file.
  EsperaFalha([&] { c.GeraDistribuicao(NotaNoDisco({.numero = 124, .codigoNumerico = 124})); }, "não está autorizada");

  RespostaRegistro evento =
      c.EventoCancelamento("0000123", chave, "1", protocolo, "Cancelamento por erro de digitacao");
  EXPECT_EQ(evento.cStat + Assinatura(evento.assinatura) + RecusaRegistro(evento, chave), "135válida");
  host_->Ctx().atual.SerieAtual = "1";
  RespostaRegistro inutilizacao = c.InutilizaNumeracao("16", "90", "90", "Numero pulado por falha no sistema");
  EXPECT_EQ(inutilizacao.cStat + Assinatura(inutilizacao.assinatura) + RecusaRegistro(inutilizacao, ""), "102válida");
}

// A batch the authority did not take is "Erro 94" to the front end, its reason in the log.
TEST_F(ComponenteContraSimulador, AutoridadeParalisadaNaoRecebeLote) {
  std::string lote = LoteNoDisco(NotaNoDisco(), 5);
  sim_.DefineControle("paralisado=108\n");
  EXPECT_EQ(TextoEnvioLote(Componente().EnviaLote(lote)), "Erro 94");
  EXPECT_THAT(LogHost(), HasSubstr("        Lote não recebido pela autoridade: 108 - Serviço Paralisado Momentaneamente "
                                   "(curto prazo)"));
}

// A hostile authority: the protocols it sends are tampered with after
// signing, or signed by a CA not trusted. None is believed, from the batch
// or the situation query, and no distribution file comes from them.
TEST_F(ComponenteContraSimulador, ProtocoloAdulteradoNaoEAcreditado) {
  const struct {
    const char* controle;
    std::string confiaveis;   // "" for none
    const char* recusa;
  } casos[] = {{"adulterar=protocolo\n", "", kRecusaAssinatura},
               {"adulterar=chave\n", Ac(), kRecusaAssinatura},
               {"adulterar=assinatura\n", Ac(), kRecusaSemAssinatura},
               {"", (teste::PastaCertificados() / "servidor.pem").string(), kRecusaAssinatura}};
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
    EXPECT_EQ(lote.protocolo->recusa + "|" + situacao.protocolo->recusa, caso.recusa + ("|" + std::string(caso.recusa)));
    EsperaFalha([&] { c.GeraDistribuicao(chave); }, caso.recusa);
    EXPECT_FALSE(std::filesystem::exists(host_->Local(Distribuicao(chave))));
    EXPECT_THAT(LogHost(), HasSubstr(std::string("        Resposta da autoridade recusada: ") + caso.recusa));
  }
}

// Faults of the connection set by the installation's registry, or no
// authority at all: the status request fails naming the cause; how far the
// message went is read as the contingency decision reads it (a message that
// never left may go to another service at once).
TEST_F(ComponenteContraSimulador, FalhaDeConexaoComACausa) {
  const struct {
    Registro registro;
    const char* causa;
    FalhaTransporte classe;
  } casos[] = {
      // The issuer's certificate is no CA of the server's.
      {{{"ArquivoAC", (teste::PastaCertificados() / "emitente.pem").string()}}, "falha na conexão segura (TLS)",
       FalhaTransporte::Incerta},
      {{{"SenhaCertificado", "errada"}}, "Senha do certificado", FalhaTransporte::Nenhuma},
      {{}, "Falha na comunicação com a autoridade (NfeStatusServico2 em https://127.0.0.1:", FalhaTransporte::NaoEnviada},
  };
  for (const auto& caso : casos) {
    if (caso.registro.empty()) sim_.Para();
    Host(caso.registro);
    auto c = Componente();
    EXPECT_EQ(ClassificaFalha(EsperaFalha([&] { c.StatusServico(); }, caso.causa)), caso.classe) << caso.causa;
  }
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
  EXPECT_EQ(teste::LerTudo(Assinado(chave)), enviado);

  // Without the batch there is nothing to write from.
  std::filesystem::remove_all(host_->Local("C:\\Dunmor\\nfe\\lotes"));
  teste::GravarTudo(Assinado(chave), AssinarXml(outra, "infNFe", teste::CertificadoTeste()));
  EsperaFalha([&] { Componente().GeraDistribuicao(chave); }, "Protocolo de documento não enviado recusado");
}

// Refused before anything is sent: nothing would answer.
TEST_F(ComponenteContraSimulador, PedidoInvalidoNemSai) {
  sim_.Para();
  auto c = Componente();
  EsperaFalha([&] { c.EventoCancelamento("1", "123", "1", "135160000000001", "Justificativa longa o bastante"); },
              "Chave de acesso inválida");
  EsperaFalha([&] { c.InutilizaNumeracao("16", "1", "1", "curta"); }, "Série não informada");
  host_->Ctx().atual.SerieAtual = "1";
  EsperaFalha([&] { c.InutilizaNumeracao("16", "1", "1", "curta"); }, "fora do esquema inutNFe_v3.10.xsd");
}

}  // namespace
}  // namespace velant
