// The fiscal document component against the authority simulator, over
// HTTPS with client certificates on loopback: the emission with its
// distribution file, the answers that must not be believed, and faults
// ending in an error that names them, in time; then an authority of layout
// 4.00 only (no --leiaute-310): the layout chosen by the registry, the
// synchronous authorisation and its receipt fallback, and the calls the
// authority saw. (The simulator's own answers are its tests'; timeouts and
// a lost answer are the end-to-end cases'.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "autoridade_apoio.h"
#include "base/erro.h"
#include "base/texto.h"
#include "component/apoio_nfe400.h"
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
  using ContraSimulador::ContraSimulador;
  std::filesystem::path Assinado(const std::string& chave) {
    return host_->Local(OperacoesLocais(host_->Ctx()).CaminhoAssinado(chave));
  }
  // The invoice `assina` signs where the generation step leaves it; its key.
  template <class Opcoes>
  std::string NotaNoDisco(std::string (*assina)(const Opcoes&, std::string*), const Opcoes& o) {
    if (!host_) Host();
    std::string chave;
    const std::string nota = assina(o, &chave);
    teste::GravarTudo(Assinado(chave), nota);
    return chave;
  }
  std::string NotaNoDisco(const teste::OpcoesNota& o = {}) { return NotaNoDisco(&teste::NotaAssinada, o); }
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
  EsperaFalha([&] { Componente().GeraDistribuicao(chave); }, kRecusaOutroDocumento);
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

// An authority of layout 4.00 only, its CA trusted, the registry at 4.00.
class Componente400 : public ComponenteContraSimulador {
 protected:
  explicit Componente400(bool leiaute310 = false) : ComponenteContraSimulador(leiaute310) {
    padrao_ = {{"CertificadosConfiaveis", Ac()}, {"LeiauteNFe", "4.00"}};
  }
  // "service=calls ..." for these services, from the simulator's own listing.
  std::string Chamadas(std::initializer_list<const char*> servicos) {
    std::string saida, s;
    EXPECT_EQ(teste::Executa("'" + teste::ExecutavelSimulador().string() + "' chamadas --banco '" +
                                 (pasta_.Caminho() / "simulador" / "autoridade.sqlite").string() + "'",
                             &saida), 0) << saida;
    for (const char* nome : servicos)
      s += std::string(s.empty() ? "" : " ") + nome + "=" + std::to_string(teste::Ocorrencias(saida, std::string("\t") + nome + "\t"));
    return s;
  }
};

// The registry chooses the services; a 3.10 installation gets the version rejection.
TEST_F(Componente400, StatusPeloLeiauteDoRegistro) {
  const std::pair<const char*, std::string> casos[] = {
      {"4.00", "107 - Servico em Operacao"}, {" 4.00 ", "107 - Servico em Operacao"},
      {"3.10", "239 - Rejeição: Cabeçalho - Versão do arquivo XML não suportada"}};
  for (const auto& [leiaute, texto] : casos) {
    Host({{"LeiauteNFe", leiaute}});
    EXPECT_EQ(TextoStatusServico(Componente().StatusServico()), texto) << leiaute;
  }
  EXPECT_EQ(Chamadas({"NFeStatusServico4", "NfeStatusServico2"}), "NFeStatusServico4=2 NfeStatusServico2=1");
}

TEST_F(Componente400, AutorizacaoSincronaEDistribuicao) {
  const std::string chave = NotaNoDisco(&teste::NotaAssinada400, {});
  auto c = Componente();
  RespostaLote r = c.EnviaLote(LoteNoDisco(chave, 400));
  ASSERT_TRUE(r.protocolo.has_value());
  EXPECT_EQ(r.cStat + "|" + r.nRec + "|" + r.protocolo->chNFe + "|" + r.protocolo->recusa + "|" +
                Assinatura(r.protocolo->assinatura) + "|" + LinhaStatusLote(r),
            "104||" + chave + "||válida|100 - Autorizado o uso da NF-e");
  EXPECT_EQ(ProtocoloAutorizado(c.ConsultaSituacao(chave)), r.protocolo->nProt);
  std::string proc = teste::LerTudo(host_->Local(c.GeraDistribuicao(chave)));
  EXPECT_EQ(ValidarXml(proc, "PL_010e/procNFe_v4.00.xsd").value_or(""), "");
  EXPECT_EQ(teste::Campo(proc, "nProt"), r.protocolo->nProt);
  // One send, no batch query, two situation queries (the query and the file).
  EXPECT_EQ(Chamadas({"NFeAutorizacao4", "NFeRetAutorizacao4", "NFeConsultaProtocolo4"}),
            "NFeAutorizacao4=1 NFeRetAutorizacao4=0 NFeConsultaProtocolo4=2");

  const std::string cancelamento = TextoEventoCancelamento(
      c.EventoCancelamento("0000001", chave, "1", r.protocolo->nProt, "Cancelamento por erro de digitacao"));
  EXPECT_TRUE(Like(cancelamento, "135 - Evento registrado e vinculado a NF-e - Protocolo: *")) << cancelamento;
  host_->Ctx().atual.SerieAtual = "1";
  const std::string inutilizacao =
      TextoInutilizacao(c.InutilizaNumeracao("26", "403", "403", "Numero pulado por falha no sistema"));
  EXPECT_TRUE(Like(inutilizacao, "102 - Inutilização de número homologado - Protocolo: *")) << inutilizacao;
  // The 1.00 event schemas take numeric keys only: the cancellation of a key
  // with letters is refused before anything is sent, saying why.
  const std::string alfanumerica =
      MontaChaveAcesso("35", "2026-07-15T10:00:00-03:00", "12ABC34501DE35", 55, 1, 7, 1, 7, CnpjNaChave::Alfanumerico);
  EsperaFalha([&] { c.EventoCancelamento("0000007", alfanumerica, "1", "135260000000001", "Cancelamento por erro"); },
              "Esquema do evento não aceita CNPJ alfanumérico: NF-e " + alfanumerica);
  EXPECT_EQ(Chamadas({"NFeRecepcaoEvento4", "NFeInutilizacao4"}), "NFeRecepcaoEvento4=1 NFeInutilizacao4=1");
  // An alphanumeric CNPJ reaches the authority as it is (here refused for
  // not being the certificate's, 213), not cut to its digits off the schema.
  Host({{"CNPJ", "12.abc.345/01DE-35"}}).Ctx().atual.SerieAtual = "1";
  EXPECT_EQ(Componente().InutilizaNumeracao("26", "405", "405", "Numero pulado por falha no sistema").cStat, "213");
}

// An invoice resumed after the registry switched layout: its receipt and its
// situation, and a duplicate's other key of it, are asked in the layout of
// the signed document it holds, at an authority that serves both.
struct Componente310E400 : Componente400 {
  Componente310E400() : Componente400(true) {}
};

TEST_F(Componente310E400, ConsultaNoLeiauteDaNotaNuncaNoDoRegistro) {
  sim_.DefineControle("sincrono=recibo\n");
  // The document's layout (the registry holds the other); its receipt and situation queries' services.
  const std::tuple<bool, const char*, const char*> casos[] = {{false, "NfeRetAutorizacao", "NfeConsulta2"},
                                                               {true, "NFeRetAutorizacao4", "NFeConsultaProtocolo4"}};
  int numero = 406;
  for (const auto& [v400, recibo, situacao] : casos) {
    SCOPED_TRACE(recibo);
    Host({{"LeiauteNFe", v400 ? "3.10" : "4.00"}});
    std::string outra;   // the same invoice under another numeric code
    const std::string chave =
        v400 ? NotaNoDisco(&teste::NotaAssinada400, {.numero = numero}) : NotaNoDisco({.numero = numero});
    v400 ? (void)teste::NotaSemAssinatura400({.numero = numero, .codigoNumerico = 1}, &outra)
         : (void)teste::NotaSemAssinatura({.numero = numero, .codigoNumerico = 1}, &outra);
    host_->Ctx().atual.ChaveAcessoSolicitada = chave;
    auto c = Componente();
    RespostaLote envio = c.EnviaLote(LoteNoDisco(chave, numero++));
    // The receipt instead of the protocol, then asked for.
    ASSERT_EQ(TextoEnvioLote(envio) + (envio.protocolo ? "+protocolo" : ""), "103 - Lote recebido - Recibo: " + envio.nRec);
    RespostaLote consulta = c.ConsultaLote(envio.nRec);
    consulta = consulta.cStat == "105" ? c.ConsultaLote(envio.nRec) : consulta;
    ASSERT_TRUE(consulta.protocolo.has_value());
    EXPECT_EQ(LinhaStatusLote(consulta) + consulta.protocolo->recusa, "100 - Autorizado o uso da NF-e");
    EXPECT_EQ(ProtocoloAutorizado(c.ConsultaSituacao(chave)).size(), 15u);
    EXPECT_EQ(c.ConsultaSituacao(outra).cStat, "217");
    EXPECT_EQ(Chamadas({recibo, situacao}), recibo + std::string("=2 ") + situacao + "=2");
  }
}

}  // namespace
}  // namespace velant
