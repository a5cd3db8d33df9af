#pragma once
// What the in-process simulator tests share: a simulator on a state file and
// a control file of the test's own, asked as the server hands it a request
// (the service's path and SOAP 1.2 Content-Type, the envelope), and the
// steps of an invoice's life through it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "apoio/arquivos_teste.h"

#include "component/autoridade_apoio.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/autoridade/envelope_soap.h"
#include "component/autoridade/servicos_autorizacao.h"
#include "component/xml/validador_esquema.h"
#include "simulador/simulador_autoridade.h"

namespace velant::teste {

// cStat, xMotivo and nProt of an inner answer (protNFe/infProt,
// retEvento/infEvento), or of the whole answer when it has none.
struct Resposta { std::string cStat, xMotivo, nProt; };

class SimuladorDoTeste : public ::testing::Test {
 protected:
  using Servico = autoridade::ServicoNFe;
  // (Re)starts it on the same files, as a restart of the program would.
  void Cria(bool leiaute310 = true, int consultasEmProcessamento = 1, autoridade::FalhasSimulador falhas = {},
            autoridade::SimuladorAutoridade::Relogio relogio = nullptr) {
    autoridade::ConfiguracaoSimulador c;
    c.leiaute310 = leiaute310;
    c.consultasEmProcessamento = consultas_ = consultasEmProcessamento;
    c.falhas = falhas;
    c.banco = pasta_.Caminho() / "autoridade.sqlite";
    c.arquivoControle = pasta_.Caminho() / "controle.txt";
    sim_.reset();
    sim_ = std::make_unique<autoridade::SimuladorAutoridade>(c, relogio);
  }
  // The answer message from the prefix of `autorizador` ("" for the state's
  // own service), after checking that it came as HTTP 200 in the service's
  // SOAP type, valid against `esquema` (by default the service's answer schema).
  std::string Pede(Servico servico, const std::string& mensagem, autoridade::Leiaute leiaute = autoridade::Leiaute::V310,
                   const char* autorizador = "", const char* esquema = nullptr) {
    const auto& d = autoridade::Descricao(servico, leiaute);
    autoridade::RespostaSimulador r =
        sim_->Atende({autoridade::PrefixoAutorizador(autorizador) + autoridade::CaminhoServico(d),
                      autoridade::TipoConteudoSoap(d), autoridade::MontaEnvelopePedido(d, "35", mensagem)});
    EXPECT_EQ(r.status, 200) << r.corpo;
    EXPECT_EQ(r.tipoConteudo, autoridade::TipoConteudoSoap(d));
    std::string resposta = autoridade::LeResposta(r.corpo);
    EXPECT_EQ(ValidarXml(resposta, esquema ? esquema : d.esquemaResposta).value_or(""), "") << resposta;
    return resposta;
  }
  void Controle(const std::string& texto) { GravarTudo(pasta_.Caminho() / "controle.txt", texto); }

  static Resposta Interna(const std::string& xml, const char* elemento, const char* info) {
    auto doc = autoridade::DocumentoXml::Ler(xml, "resposta");
    xmlNode* inf = autoridade::Filho(autoridade::Filho(doc.Raiz(), elemento), info);
    if (inf == nullptr) inf = doc.Raiz();
    return {autoridade::TextoFilho(inf, "cStat"), autoridade::TextoFilho(inf, "xMotivo"),
            autoridade::TextoFilho(inf, "nProt")};
  }
  // A 3.10 invoice sent alone, its batch queried until processed: its infProt.
  Resposta Processa(const std::string& nota) {
    const std::string recibo = Campo(Pede(Servico::Autorizacao, Lote("1", {nota})), "nRec");
    std::string r;
    for (int i = 0; i <= consultas_; ++i) {
      r = Pede(Servico::RetAutorizacao, autoridade::MensagemConsultaRecibo("2", recibo));
      EXPECT_EQ(Campo(r, "cStat"), i < consultas_ ? "105" : "104");
    }
    return Interna(r, "protNFe", "infProt");
  }
  Resposta Evento(const std::string& assinado) {
    return Interna(Pede(Servico::RecepcaoEvento, assinado), "retEvento", "infEvento");
  }
  Resposta Cancela(const std::string& chave, const std::string& protocolo,
                   const std::string& justificativa = "Cancelamento por erro de digitacao") {
    autoridade::DadosCancelamento d{"1", "2", chave, "1", protocolo, justificativa, "2016-01-15T12:00:00-03:00"};
    return Evento(AssinarXml(autoridade::MensagemEventoCancelamento(d), "infEvento", CertificadoTeste()));
  }
  std::string Inutiliza(const std::string& inicio, const std::string& fim,
                        const std::string& justificativa = "Numeracao pulada por falha do sistema",
                        const std::string& cnpj = kCnpjEmitente) {
    autoridade::DadosInutilizacao d{"2", "35", "16", cnpj, "1", inicio, fim, justificativa};
    return Campo(Pede(Servico::Inutilizacao,
                      AssinarXml(autoridade::MensagemInutilizacao(d), "infInut", CertificadoTeste())),
                 "cStat");
  }

  PastaTemporaria pasta_;
  std::unique_ptr<autoridade::SimuladorAutoridade> sim_;
  int consultas_ = 0;
};

}  // namespace velant::teste
