#include "lifecycle/lote_nfe.h"

#include <gtest/gtest.h>

#include "lifecycle/apoio_emissao.h"
#include "lifecycle/processa_nfe.h"

namespace velant {
namespace {

using teste::AmbienteEmissao;
using teste::ChaveNFe;

const std::string kChave = ChaveNFe();
const std::string kRecibo = "350000000000001";

class Lote : public AmbienteEmissao {
 protected:
  bool Emite() {
    Prepara();
    return ProcessaNFeAzure(a.ctx);
  }
  // A statement that wrote this column, if any.
  bool Escreveu(const std::string& coluna) {
    for (const auto& c : Escritas())
      if (c.find("SET " + coluna + " =") != std::string::npos) return true;
    return false;
  }
};

// What the send and the processing query may answer, and where the invoice
// ends: a rejection and a batch the authority did not take go back to step
// 0 (the next request generates again); a batch still in processing when the
// bound is reached keeps step 1 and its receipt.
struct Desfecho {
  const char* nome;
  std::function<void(teste::AutoridadeFalsa&)> prepara;
  int etapa;
  int64_t recepcao;
  const char* mensagem;
  const char* linhaLog;
};

void PrintTo(const Desfecho& d, std::ostream* os) { *os << d.nome; }

class DesfechoDoLote : public Lote, public ::testing::WithParamInterface<Desfecho> {};

TEST_P(DesfechoDoLote, EtapaEMensagem) {
  const Desfecho& d = GetParam();
  d.prepara(autoridade);
  EXPECT_FALSE(Emite()) << a.ArquivoLog();
  EXPECT_FALSE(a.atual.NFeProcessada);
  auto m = Movimento();
  EXPECT_EQ(m.etapa, d.etapa);
  EXPECT_EQ(m.recepcao, d.recepcao);
  EXPECT_EQ(m.protocolo, 0);
  EXPECT_EQ(m.lote, 1);
  EXPECT_EQ(a.atual.MensagemRetorno, d.mensagem);
  EXPECT_TRUE(NoLog(d.linhaLog)) << a.ArquivoLog();
}

INSTANTIATE_TEST_SUITE_P(
    Casos, DesfechoDoLote,
    ::testing::Values(
        Desfecho{"Rejeicao",
                 [](auto& aut) {
                   aut.respostasLote = {teste::LoteProcessado(
                       kRecibo, teste::Protocolo(kChave, "297", "Rejeição: Assinatura difere do calculado"))};
                 },
                 0,
                 350000000000001, "297 - Rejeição: Assinatura difere do calculado",
                 "        297 - Rejeição: Assinatura difere do calculado"},
        Desfecho{"RejeicaoSemAcentoEmLinhaUnica",
                 [](auto& aut) { aut.respostasLote = {teste::RespostaSo("106", "REJEICAO: Lote nao localizado")}; },
                 0, 350000000000001,
                 "106 - REJEICAO: Lote nao localizado", "        106 - REJEICAO: Lote nao localizado"},
        Desfecho{"Erro94LoteRejeitado",
                 [](auto& aut) {
                   aut.envio = [](const std::string&) {
                     return teste::RespostaSo("225", "Rejeição: Falha no Schema XML do lote de NFe");
                   };
                 },
                 0, 0, "225 - Rejeição: Falha no Schema XML do lote de NFe",
                 "        Lote enviado: Erro 94 - do Arquivo: C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml"},
        // A paused service is no reason about the batch: the generic message.
        Desfecho{"Erro94ServicoParalisado",
                 [](auto& aut) {
                   aut.envio = [](const std::string&) {
                     return teste::RespostaSo("108", "Servico Paralisado Momentaneamente (curto prazo)");
                   };
                 },
                 0, 0, "Não foi possível enviar o lote",
                 "        Lote enviado: Erro 94 - do Arquivo: C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml"},
        // The authority took the batch; its answer never came.
        Desfecho{"RespostaPerdida",
                 [](auto& aut) {
                   aut.envio = [&aut](const std::string& chave) -> RespostaLote {
                     aut.Recebe(chave);
                     throw ErroExecucao(CodigoErro::ErroComponente, "conexão encerrada sem resposta");
                   };
                 },
                 0, 0, "Não foi possível enviar o lote",
                 "     ** Erro na Rotina: EnviaLoteNFE - conexão encerrada sem resposta"},
        Desfecho{"EmProcessamentoAteOLimite",
                 [](auto& aut) { aut.respostasLote.assign(100, teste::RespostaSo("105", "Lote em processamento")); },
                 1,
                 350000000000001, "105 - Lote em processamento",
                 "      ** Tempo limite da consulta do lote esgotado (120 s): 350000000000001"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Lote, RespostaPerdidaNaoEnviaDeNovoNaProximaSolicitacao) {
  autoridade.envio = [this](const std::string& chave) -> RespostaLote {
    autoridade.Recebe(chave);
    throw ErroExecucao(CodigoErro::ErroComponente, "tempo limite esgotado");
  };
  EXPECT_FALSE(Emite());
  autoridade.envio = nullptr;
  ASSERT_TRUE(Emite()) << a.ArquivoLog();
  EXPECT_EQ(autoridade.enviadas, std::vector<std::string>{kChave});
  EXPECT_EQ(Movimento().etapa, 3);
  EXPECT_EQ(CStr(Valor(Movimento().protocolo)), autoridade.autorizadas[kChave]);
}

// The bound is a registry value; the waits between queries are counted, and
// the next request resumes with the query, not with a new batch.
TEST_F(Lote, ConsultaEmProcessamentoTemLimiteERetomaComOMesmoRecibo) {
  Registro("\"TempoLimiteProcessamento\"=\"10\"\r\n");
  autoridade.respostasLote.assign(100, teste::RespostaSo("105", "Lote em processamento"));
  EXPECT_FALSE(Emite());
  EXPECT_EQ(std::count(autoridade.chamadas.begin(), autoridade.chamadas.end(), "ConsultaLote " + kRecibo), 3);
  EXPECT_TRUE(NoLog("      ** Tempo limite da consulta do lote esgotado (10 s): " + kRecibo)) << a.ArquivoLog();

  autoridade.respostasLote.clear();
  autoridade.chamadas.clear();
  ASSERT_TRUE(Emite()) << a.ArquivoLog();
  EXPECT_EQ(autoridade.chamadas, (std::vector<std::string>{"ConsultaLote " + kRecibo, "ConsultaSituacao " + kChave,
                                                           "GeraDistribuicao " + kChave}));
  EXPECT_EQ(autoridade.enviadas.size(), 1u);
}

// A duplicate is what a lost answer looks like the second time: the invoice
// the authority holds is finished, and the row does not go back to step 0.
TEST_F(Lote, Duplicidade204ConcluiANotaAutorizada) {
  const std::string protocolo = autoridade.Autoriza(kChave);
  ASSERT_TRUE(Emite()) << a.ArquivoLog();
  EXPECT_TRUE(NoLog("        NFe já autorizada, nada é reenviado: NFe" + kChave)) << a.ArquivoLog();
  auto m = Movimento();
  EXPECT_EQ(m.etapa, 3);
  EXPECT_EQ(CStr(Valor(m.protocolo)), protocolo);
  EXPECT_EQ(autoridade.autorizadas.size(), 1u);
  EXPECT_FALSE(Escreveu("[Etapa Concluida] = 0"));
}

TEST_F(Lote, Duplicidade539AssumeAChaveAutorizada) {
  // The same number went out earlier under the key of another emission month.
  const std::string anterior = ChaveNFe("15/02/2016");
  ASSERT_NE(anterior, kChave);
  const std::string protocolo = autoridade.Autoriza(anterior);
  autoridade.respostasLote = {teste::LoteProcessado(
      kRecibo, teste::Protocolo(kChave, "539",
                                "Rejeição: Duplicidade de NF-e com diferença na Chave de Acesso [chNFe:" + anterior +
                                    "][nRec:351000000000007]"))};
  ASSERT_TRUE(Emite()) << a.ArquivoLog();
  auto m = Movimento();
  EXPECT_EQ(m.chave, anterior);
  EXPECT_EQ(m.etapa, 3);
  EXPECT_EQ(CStr(Valor(m.protocolo)), protocolo);
  EXPECT_EQ(a.atual.ChaveAcessoSolicitada, anterior);
  EXPECT_EQ(autoridade.chamadas.back(), "GeraDistribuicao " + anterior);
}

// A 539 naming a key of another invoice, or a duplicate the authority does
// not confirm: nothing is assumed, and the row keeps its step and receipt.
TEST_F(Lote, DuplicidadeNaoConfirmadaNaoVoltaAEtapaZero) {
  const std::string outra = MontaChaveAcesso("35", "15/01/2016", "11222333000181", 55, 1, 124, 1, 124);
  const ProtocoloNFe casos[] = {
      teste::Protocolo(kChave, "539",
                       "Rejeição: Duplicidade de NF-e com diferença na Chave de Acesso [chNFe:" + outra + "][nRec:1]"),
      teste::Protocolo(kChave, "539", "Rejeição: Duplicidade de NF-e com diferença na Chave de Acesso"),
      teste::Protocolo(kChave, "204", "Rejeição: Duplicidade de NF-e [nRec:351000000000007]")};
  for (const auto& status : casos) {
    SCOPED_TRACE(status.xMotivo);
    conexao->CConexaoNfe::ExecutaSql("DELETE FROM MovimentoNFe");
    autoridade = {};
    autoridade.envio = [](const std::string&) { return teste::LoteRecebido(kRecibo); };
    autoridade.respostasLote = {teste::LoteProcessado(kRecibo, status)};
    EXPECT_FALSE(Emite());
    auto m = Movimento();
    EXPECT_EQ(m.etapa, 1);
    EXPECT_EQ(CStr(Valor(m.recepcao)), kRecibo);
    EXPECT_EQ(m.chave, kChave);
    EXPECT_FALSE(a.atual.MensagemRetorno.empty());
  }
}

// The authority's numbers go into statements unquoted: only 15 digits may.
class ReciboInvalido : public Lote, public ::testing::WithParamInterface<std::string> {};

TEST_P(ReciboInvalido, NadaChegaAoBanco) {
  autoridade.envio = [&](const std::string&) { return teste::LoteRecebido(GetParam()); };
  EXPECT_FALSE(Emite());
  EXPECT_FALSE(Escreveu("[Numero da Recepcao]"));
  if (!GetParam().empty()) {
    for (const auto& c : conexao->comandos) EXPECT_EQ(c.find(GetParam()), std::string::npos) << c;
  }
  EXPECT_TRUE(NoLog("      ** Recibo inválido no retorno do envio do lote (15 dígitos esperados): \"" + GetParam() +
                    "\""))
      << a.ArquivoLog();
  EXPECT_EQ(Movimento().etapa, 0);
  EXPECT_EQ(Movimento().recepcao, 0);
  EXPECT_TRUE(a.atual.NumeroRecepcao.empty());
}

INSTANTIATE_TEST_SUITE_P(Casos, ReciboInvalido,
                         ::testing::Values("", "35100000000001", "3510000000000012", "0 OR 1=1",
                                           "351000000000001; DELETE FROM MovimentoNFe", "35100000000000A",
                                           " 35100000000001", "-35100000000001"));

class ProtocoloInvalido : public Lote, public ::testing::WithParamInterface<std::string> {};

TEST_P(ProtocoloInvalido, NadaChegaAoBanco) {
  autoridade.situacao = [&](const std::string& chave) { return teste::SituacaoAutorizada(chave, GetParam()); };
  EXPECT_FALSE(Emite());
  EXPECT_FALSE(Escreveu("[Numero do Protocolo]"));
  EXPECT_TRUE(NoLog("      ** Protocolo de autorização ausente ou inválido na consulta da NFe: \"" + GetParam() +
                    "\""))
      << a.ArquivoLog();
  auto m = Movimento();
  EXPECT_EQ(m.etapa, 2);
  EXPECT_EQ(m.protocolo, 0);
  // An authorisation without its protocol is not answered as one.
  EXPECT_EQ(a.atual.MensagemRetorno, "Protocolo de autorização ausente ou inválido");
  EXPECT_FALSE(a.caminhos.Existe("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + kChave + "-procNFe.xml"));
}

INSTANTIATE_TEST_SUITE_P(Casos, ProtocoloInvalido,
                         ::testing::Values("13526000000000X", "0 OR 1=1 -- 123", "1.35260000000E14", "  135260000001",
                                           "-35260000000001", "+35260000000001"));

TEST_F(Lote, SemContadorNaoHaLoteNemEnvio) {
  Executa("DELETE FROM ConfiguracaoDiversa WHERE Nome = 'Contador Lote NFe'");
  EXPECT_FALSE(Emite());
  EXPECT_EQ(a.atual.MensagemRetorno, "Não foi possível gerar o lote");
  EXPECT_EQ(Movimento().etapa, 0);
  EXPECT_EQ(Movimento().lote, 0);
  EXPECT_TRUE(autoridade.chamadas.empty());
}

// The distribution file cannot be written: the protocol stays stored, the
// step stays 2, and the next request finishes the invoice.
TEST_F(Lote, FalhaDoArquivoDeDistribuicaoDeixaEtapaDois) {
  autoridade.distribuicao = [](const std::string&) {
    throw ErroExecucao(CodigoErro::ErroComponente, "disco cheio");
  };
  EXPECT_FALSE(Emite());
  ASSERT_EQ(a.ui.Caixas().size(), 1u);
  EXPECT_EQ(a.ui.Caixas()[0].prompt, "Erro ao gerar arquivo de distribuição!");
  EXPECT_EQ(a.ui.Caixas()[0].titulo, "Verifique!");
  EXPECT_EQ(a.ui.Caixas()[0].estilo, vbCritical);
  EXPECT_TRUE(NoLog("     ** Erro na Rotina: GeraArquivoDistribuicao - disco cheio")) << a.ArquivoLog();
  EXPECT_EQ(a.atual.MensagemRetorno, "Erro ao gerar arquivo de distribuição!");
  EXPECT_EQ(Movimento().etapa, 2);
  EXPECT_NE(Movimento().protocolo, 0);

  autoridade.distribuicao = nullptr;
  ASSERT_TRUE(Emite()) << a.ArquivoLog();
  EXPECT_EQ(Movimento().etapa, 3);
  EXPECT_EQ(autoridade.enviadas.size(), 1u);
}

}  // namespace
}  // namespace velant
