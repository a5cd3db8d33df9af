// The fiscal document component against the simulator as an authority of
// layout 4.00 only (no --leiaute-310), over HTTPS on loopback: the layout
// chosen by the registry, the synchronous authorisation and its receipt
// fallback, cancellation and voiding, the calls the authority saw, and TLS
// older than 1.2 refused.
#include <gtest/gtest.h>


#include "autoridade_apoio.h"
#include "base/erro.h"
#include "base/texto.h"
#include "component/apoio_nfe400.h"
#include "component/servico_documento_fiscal.h"
#include "component/textos_resposta.h"
#include "contexto/contexto.h"

namespace velant {
namespace {

class Componente400 : public teste::ContraSimulador {
 protected:
  explicit Componente400(bool leiaute310 = false) : ContraSimulador(leiaute310) {}

  // The registry at that layout; by default trusting the authority's CA.
  teste::HostTeste& Host(const std::string& leiaute = "4.00",
                         Registro extra = {{"CertificadosConfiaveis", (teste::PastaCertificados() / "ac.pem").string()}}) {
    extra.emplace_back("LeiauteNFe", leiaute);
    return ContraSimulador::Host(extra);
  }
  ServicoDocumentoFiscal Componente() {
    if (!host_) Host();
    return ContraSimulador::Componente();
  }
  // The signed 4.00 invoice where the generation step leaves it, and its batch; the batch's path.
  std::string LoteNoDisco(const teste::OpcoesNota400& o, std::string* chave) {
    if (!host_) Host();
    std::string nota = teste::NotaAssinada400(o, chave);
    OperacoesLocais locais(host_->Ctx());
    teste::GravarTudo(host_->Local(locais.CaminhoAssinado(*chave)), nota);
    return locais.GeraLote(locais.CaminhoAssinado(*chave), o.numero);
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
  const std::string v239 = "239 - Rejeição: Cabeçalho - Versão do arquivo XML não suportada";
  const std::pair<const char*, std::string> casos[] = {
      {"4.00", "107 - Servico em Operacao"}, {" 4.00 ", "107 - Servico em Operacao"}, {"", v239}, {"3.10", v239}};
  for (const auto& [leiaute, texto] : casos) {
    Host(leiaute);
    EXPECT_EQ(TextoStatusServico(Componente().StatusServico()), texto) << leiaute;
  }
  EXPECT_EQ(Chamadas({"NFeStatusServico4", "NfeStatusServico2"}), "NFeStatusServico4=2 NfeStatusServico2=2");
}

TEST_F(Componente400, AutorizacaoSincronaEDistribuicao) {
  std::string chave;
  std::string arquivoLote = LoteNoDisco({}, &chave);
  auto c = Componente();
  RespostaLote r = c.EnviaLote(arquivoLote);
  ASSERT_TRUE(r.protocolo.has_value());
  const bool valida = r.protocolo->assinatura.estado == AssinaturaResposta::Estado::Valida;
  EXPECT_EQ(r.cStat + "|" + r.nRec + "|" + r.protocolo->chNFe + "|" + r.protocolo->recusa + "|" +
                (valida ? "válida" : "inválida") + "|" + LinhaStatusLote(r),
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
  EXPECT_TRUE(teste::ErroDoComponente([&] {
                c.EventoCancelamento("0000007", alfanumerica, "1", "135260000000001", "Cancelamento por erro de digitacao");
              }).starts_with("Esquema do evento não aceita CNPJ alfanumérico: NF-e " + alfanumerica));
  EXPECT_EQ(Chamadas({"NFeRecepcaoEvento4", "NFeInutilizacao4"}), "NFeRecepcaoEvento4=1 NFeInutilizacao4=1");
}

// An alphanumeric CNPJ reaches the authority as it is (here refused for
// not being the certificate's, 213), not cut to its digits off the schema.
TEST_F(Componente400, InutilizacaoComCnpjAlfanumerico) {
  Host("4.00", {{"CNPJ", "12.abc.345/01DE-35"}});
  host_->Ctx().atual.SerieAtual = "1";
  EXPECT_EQ(Componente().InutilizaNumeracao("26", "405", "405", "Numero pulado por falha no sistema").cStat, "213");
}

// An invoice resumed after the registry switched layout: its receipt and its
// situation, and a duplicate's other key of it, are asked in the layout of
// the signed document it holds, at an authority that serves both.
class Componente310E400 : public Componente400 {
 protected:
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
    Host(v400 ? "3.10" : "4.00");
    std::string chave, outra;   // outra: the same invoice under another numeric code
    const std::string nota =
        v400 ? teste::NotaAssinada400({.numero = numero}, &chave) : teste::NotaAssinada({.numero = numero}, &chave);
    v400 ? (void)teste::NotaSemAssinatura400({.numero = numero, .codigoNumerico = 1}, &outra)
         : (void)teste::NotaSemAssinatura({.numero = numero, .codigoNumerico = 1}, &outra);
    OperacoesLocais locais(host_->Ctx());
    teste::GravarTudo(host_->Local(locais.CaminhoAssinado(chave)), nota);
    host_->Ctx().atual.ChaveAcessoSolicitada = chave;
    auto c = Componente();
    RespostaLote envio = c.EnviaLote(locais.GeraLote(locais.CaminhoAssinado(chave), numero++));
    // The receipt instead of the protocol, then asked for.
    ASSERT_EQ(TextoEnvioLote(envio) + (envio.protocolo ? "+protocolo" : ""), "103 - Lote recebido - Recibo: " + envio.nRec);
    RespostaLote consulta = c.ConsultaLote(envio.nRec);
    if (consulta.cStat == "105") consulta = c.ConsultaLote(envio.nRec);
    ASSERT_TRUE(consulta.protocolo.has_value());
    EXPECT_EQ(LinhaStatusLote(consulta) + consulta.protocolo->recusa, "100 - Autorizado o uso da NF-e");
    EXPECT_EQ(ProtocoloAutorizado(c.ConsultaSituacao(chave)).size(), 15u);
    EXPECT_EQ(c.ConsultaSituacao(outra).cStat, "217");
    EXPECT_EQ(Chamadas({recibo, situacao}), recibo + std::string("=2 ") + situacao + "=2");
  }
}

// The simulator demands TLS 1.2 even where the system's settings would let
// 1.1 through (an OpenSSL configuration at security level 0).
TEST(Simulador400Tls, RecusaTls11) {
  teste::PastaTemporaria pasta;
  teste::GravarTudo(pasta.Caminho() / "openssl.cnf",
                    "openssl_conf = padrao\n[padrao]\nssl_conf = ssl\n[ssl]\nsystem_default = sistema\n"
                    "[sistema]\nMinProtocol = TLSv1\nCipherString = DEFAULT@SECLEVEL=0\n");
  teste::VariavelAmbiente configuracao("OPENSSL_CONF", (pasta.Caminho() / "openssl.cnf").string());
  teste::ProcessoSimulador sim(pasta.Caminho() / "simulador", {}, false);
  const auto certificados = teste::PastaCertificados();
  auto conecta = [&](const char* versao) {
    std::string saida;
    return teste::Executa("echo | openssl s_client -connect 127.0.0.1:" + std::to_string(sim.Porta()) + " " + versao +
                              " -cipher DEFAULT@SECLEVEL=0 -cert '" + (certificados / "emitente.pem").string() +
                              "' -key '" + (certificados / "emitente.key").string() + "'",
                          &saida) == 0
               ? "aceita"
               : "recusada: " + saida;
  };
  EXPECT_EQ(conecta("-tls1_2"), "aceita");
  EXPECT_NE(conecta("-tls1_1"), "aceita");
}

}  // namespace
}  // namespace velant
