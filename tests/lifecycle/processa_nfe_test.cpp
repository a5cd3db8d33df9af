#include "lifecycle/processa_nfe.h"

#include <gtest/gtest.h>

#include "lifecycle/apoio_emissao.h"

namespace velant {
namespace {

using teste::AmbienteEmissao;
using teste::ChaveNFe;

const std::string kChave = ChaveNFe();
const std::string kOnde = " WHERE Empresa = 1   AND Serie = '1'   AND [Numero da NFe] = '" + kChave + "'";
const std::string kLote = "C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml";
const std::string kRecibo = "350000000000001";
const std::string kProtocolo = "130000000000001";

using Emissao = AmbienteEmissao;

TEST_F(Emissao, PrimeiraSolicitacaoVaiDaGeracaoAEtapaTres) {
  Prepara();
  autoridade.respostasLote = {teste::RespostaSo("105", "Lote em processamento", kRecibo)};
  ASSERT_TRUE(ProcessaNFeAzure(a.ctx)) << a.ArquivoLog();
  EXPECT_TRUE(a.atual.NFeProcessada);
  EXPECT_TRUE(a.atual.EmissaoConcluida);

  EXPECT_EQ(autoridade.chamadas,
            (std::vector<std::string>{"EnviaLote " + kChave, "ConsultaLote " + kRecibo, "ConsultaLote " + kRecibo,
                                      "ConsultaSituacao " + kChave, "GeraDistribuicao " + kChave}));
  EXPECT_EQ(conexao->comandos.front(),
            "SELECT Empresa, [Numero da NFe], [Numero do Lote], [Numero da Recepcao], [Numero do Protocolo], "
            "[Etapa Concluida]  FROM MovimentoNFe WHERE Empresa = 1   AND Serie = '1'   AND Numero = 123");
  auto escritas = Escritas();
  // Steps 0 and 1 each followed by their documents (see documentos_banco_test).
  ASSERT_EQ(escritas.size(), 9u);
  EXPECT_EQ(escritas[0].rfind("INSERT INTO MovimentoNFe", 0), 0u);
  EXPECT_EQ(escritas[1].rfind("INSERT INTO DocumentoNFe", 0), 0u);
  EXPECT_EQ(escritas[2], "UPDATE ConfiguracaoDiversa SET Valor = Valor + 1 WHERE Empresa = 1   AND Nome = "
                         "'Contador Lote NFe' RETURNING Valor");
  EXPECT_EQ(escritas[3], "UPDATE MovimentoNFe SET [Numero do Lote] = 1, [Etapa Concluida] = 1" + kOnde);
  EXPECT_EQ(escritas[4].rfind("UPDATE DocumentoNFe", 0), 0u);
  EXPECT_EQ(escritas[5], "UPDATE MovimentoNFe SET [Numero da Recepcao] = " + kRecibo + kOnde);
  EXPECT_EQ(escritas[6], "UPDATE MovimentoNFe SET [Etapa Concluida] = 2" + kOnde);
  EXPECT_EQ(escritas[7], "UPDATE MovimentoNFe SET [Numero do Protocolo] = " + kProtocolo + kOnde);
  EXPECT_EQ(escritas[8], "UPDATE MovimentoNFe SET [Etapa Concluida] = 3" + kOnde);

  auto m = Movimento();
  EXPECT_EQ(m.chave, kChave);
  EXPECT_EQ(m.lote, 1);
  EXPECT_EQ(CStr(Valor(m.recepcao)), kRecibo);
  EXPECT_EQ(CStr(Valor(m.protocolo)), kProtocolo);
  EXPECT_EQ(m.etapa, 3);
  EXPECT_TRUE(a.caminhos.Existe("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + kChave + "-procNFe.xml"));

  EXPECT_TRUE(LogEmOrdem({"      Gerando NFe...",
                          "        Arquivo Assinado/Validado",
                          "        Iniciando Geração do Lote: ",
                          "        Lote gerado: " + kLote,
                          "        Lote enviado: 103 - Lote recebido - Recibo: " + kRecibo + " - do Arquivo: " + kLote,
                          "        Iniciando Consulta do Lote: " + kRecibo,
                          "        Situação da consulta do lote: 105 - Lote em processamento",
                          "        Aguarde... Lote ainda em processamento!",
                          "        Iniciando Consulta do Lote: " + kRecibo,
                          "      100 - Autorizado o uso da NF-e",
                          "        Iniciando Consulta da NFe: ",
                          "        gCodigoUfEmitente=35",
                          "        100 - Autorizado o uso da NF-e - Protocolo: " + kProtocolo}));
  // A first emission goes straight from the send to the query: no wait, no "Consulta NFe..." line.
  EXPECT_FALSE(NoLog("      Consulta NFe..."));
  EXPECT_EQ(mensagens.front(), "Gerando NFe...");
  EXPECT_NE(std::find(mensagens.begin(), mensagens.end(), "Lote gerado: " + kLote.substr(0, 37)), mensagens.end());
  EXPECT_EQ(mensagens.back(), "100 - Autorizado o uso da NF-e");
}

// A row left by an earlier request, and what the authority knows of it: the
// invoice goes on from its step, and nothing the authority holds is sent again.
struct Retomada {
  const char* nome;
  int etapa;
  bool comChave;
  bool comRecibo;
  bool autoridadeTem;   // the authority received and authorised it
  std::optional<RespostaSituacao> situacao;   // replaces the authority's situation answer
  bool resultado;
  std::vector<std::string> chamadas;   // "E" send, "L" batch query, "S" situation, "D" distribution
  int etapaFinal;
  const char* mensagem;   // MensagemRetorno after a failure
};

void PrintTo(const Retomada& c, std::ostream* os) { *os << c.nome; }

class RetomadaDaNota : public Emissao, public ::testing::WithParamInterface<Retomada> {};

TEST_P(RetomadaDaNota, ContinuaDaEtapaSemReenviar) {
  const Retomada& c = GetParam();
  std::string recibo = c.comRecibo ? kRecibo : "0";
  if (c.autoridadeTem) {
    ASSERT_EQ(autoridade.Recebe(kChave), kRecibo);
    autoridade.enviadas.clear();
  }
  if (c.situacao) autoridade.situacao = [&](const std::string&) { return *c.situacao; };
  Movimento(c.etapa, c.comChave ? kChave : "", recibo, c.etapa >= 3 ? kProtocolo : "0");
  Prepara();

  EXPECT_EQ(ProcessaNFeAzure(a.ctx), c.resultado) << a.ArquivoLog();
  EXPECT_EQ(a.atual.NFeProcessada, c.resultado);
  std::vector<std::string> resumo;
  for (const auto& ch : autoridade.chamadas) {
    if (ch.rfind("EnviaLote", 0) == 0) resumo.push_back("E");
    if (ch.rfind("ConsultaLote", 0) == 0) resumo.push_back("L");
    if (ch.rfind("ConsultaSituacao", 0) == 0) resumo.push_back("S");
    if (ch.rfind("GeraDistribuicao", 0) == 0) resumo.push_back("D");
  }
  EXPECT_EQ(resumo, c.chamadas) << a.ArquivoLog();
  EXPECT_EQ(Movimento().etapa, c.etapaFinal);
  EXPECT_LE(autoridade.enviadas.size(), 1u);
  if (c.resultado) {
    EXPECT_EQ(CStr(Valor(Movimento().protocolo)), kProtocolo);
  } else {
    EXPECT_EQ(a.atual.MensagemRetorno, c.mensagem);
  }
}

const char* const kSemResposta = "Situação da NFe não confirmada; envie novamente";

INSTANTIATE_TEST_SUITE_P(
    Casos, RetomadaDaNota,
    ::testing::Values(
        // The Part's resumes: a stored receipt is queried again.
        Retomada{"Etapa1ComRecibo", 1, true, true, true, std::nullopt, true, {"L", "S", "D"}, 3, ""},
        Retomada{"Etapa2ComRecibo", 2, true, true, true, std::nullopt, true, {"L", "S", "D"}, 3, ""},
        // A finished invoice: nothing asked, nothing sent, and the answer says why.
        Retomada{"Etapa3", 3, true, true, true, std::nullopt, false, {}, 3, "NFe já autorizada - Protocolo: 130000000000001"},
        // The answer to a send was lost (step 0 written back) or the Host
        // died before the receipt was stored (step 1 without one).
        Retomada{"Etapa0AutorizadaNaoReenvia", 0, true, false, true, std::nullopt, true, {"S", "S", "D"}, 3, ""},
        Retomada{"Etapa1SemReciboAutorizadaNaoReenvia", 1, true, false, true, std::nullopt, true, {"S", "S", "D"}, 3, ""},
        // The authority does not have it: generated and sent as the Part says.
        Retomada{"Etapa0NaoConstaEnvia", 0, true, false, false, std::nullopt, true, {"S", "E", "L", "S", "D"}, 3, ""},
        Retomada{"Etapa1SemReciboNaoConstaEnvia", 1, true, false, false, std::nullopt, true, {"S", "E", "L", "S", "D"}, 3, ""},
        Retomada{"Etapa0SemChaveEnvia", 0, false, false, false, std::nullopt, true, {"E", "L", "S", "D"}, 3, ""},
        // Anything else the authority says about the key: nothing is sent.
        Retomada{"Etapa0CanceladaNadaEnvia", 0, true, false, false, teste::Situacao("101", "Cancelamento de NF-e homologado"), false,
                 {"S"}, 0, "101 - Cancelamento de NF-e homologado"},
        Retomada{"Etapa0ParalisadaNadaEnvia", 0, true, false, false,
                 teste::Situacao("108", "Serviço Paralisado Momentaneamente (curto prazo)"), false, {"S"}, 0,
                 "108 - Serviço Paralisado Momentaneamente (curto prazo)"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Emissao, SemRespostaDaSituacaoAnteriorNadaEEnviado) {
  ASSERT_EQ(autoridade.Recebe(kChave), kRecibo);
  Movimento(0, kChave);
  autoridade.situacao = [](const std::string&) -> RespostaSituacao {
    throw ErroExecucao(CodigoErro::ErroComponente, "tempo limite esgotado");
  };
  Prepara();
  EXPECT_FALSE(ProcessaNFeAzure(a.ctx));
  EXPECT_EQ(autoridade.enviadas.size(), 1u);
  EXPECT_EQ(a.atual.MensagemRetorno, kSemResposta);
  EXPECT_TRUE(NoLog("     ** Erro na Rotina: ConsultaSituacaoAnterior - tempo limite esgotado")) << a.ArquivoLog();
  EXPECT_EQ(Movimento().etapa, 0);
}

TEST_F(Emissao, EtapaTresRecusaAntesDeAssinarNadaMuda) {
  Movimento(3, kChave, kRecibo, kProtocolo);
  Prepara();
  EXPECT_FALSE(ProcessaNFeAzure(a.ctx));
  EXPECT_TRUE(NoLog("  ** NFe com lote já enviado!NFe" + kChave)) << a.ArquivoLog();
  EXPECT_TRUE(autoridade.chamadas.empty());
  EXPECT_TRUE(Escritas().empty());
  EXPECT_FALSE(a.caminhos.Existe("C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + kChave + "-assinado.xml"));
}

// Errors that escape every step's own handler end the request with the
// pipeline's line in the file.
TEST_F(Emissao, ErroForaDasRotinasVaiParaOLogDoProcessamento) {
  Prepara();
  a.ctx.ConexaoBanco = nullptr;
  EXPECT_FALSE(ProcessaNFeAzure(a.ctx));
  EXPECT_NE(a.ArquivoLog().find(" - mRotinasGerais.ProcessaNFeAzure: Erro n.:91 - ErroTexto: "), std::string::npos)
      << a.ArquivoLog();
  EXPECT_TRUE(autoridade.chamadas.empty());
}

}  // namespace
}  // namespace velant
