// "NFE3.10" from a parsed request to the row's last step, against an
// authority the test steers: every way an emission ends, what it asked the
// authority, the row's step and the request's message.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "base/arquivos.h"
#include "component/recusa_resposta.h"
#include "lifecycle/apoio_emissao.h"
#include "lifecycle/lote_nfe.h"
#include "lifecycle/processa_nfe.h"

namespace velant {
namespace {

using teste::LoteProcessado;
using teste::Protocolo;
using teste::RespostaSo;

const std::string kChave = teste::ChaveNFe();
const std::string kOutraChave = MontaChaveAcesso("35", "15/01/2016", "11222333000181", 55, 1, 124, 1, 124);
const std::string kAnterior = teste::ChaveNFe("15/02/2016");   // the same number in another month
const std::string kLote = "C:\\Dunmor\\nfe\\lotes\\000000000001-env-lot.xml";
const std::string kAssinado = "C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + kChave + "-assinado.xml";
const std::string kRecibo = "350000000000001";     // the first the authority gives
const std::string kProtocolo = "130000000000001";  // the first the authority gives
const std::string k297 = "Rejeição: Assinatura difere do calculado";
const std::string k539 = "Rejeição: Duplicidade de NF-e com diferença na Chave de Acesso";

class Emissao : public teste::AmbienteEmissao {
 public:
  Emissao() {
    // A wait shows among the authority's calls as W, once however long it is.
    a.ctx.Batimento = [this] { autoridade.chamadas += autoridade.chamadas.ends_with('W') ? "" : "W"; };
  }
  // The authority answers the send with the invoice's protocol (a batch of one, layout 4.00).
  void Sincrona(const std::string& cStat, const std::string& xMotivo, const std::string& recusa = "") {
    autoridade.envio = [this, cStat, xMotivo, recusa](const std::string& chave) {
      autoridade.enviadas.push_back(chave);
      ProtocoloNFe p = Protocolo(chave, cStat, xMotivo, cStat == "100" ? autoridade.Autoriza(chave) : "");
      p.recusa = recusa;
      return LoteProcessado("", p);
    };
  }
  void Envio(const RespostaLote& r) {
    autoridade.envio = [r](const std::string&) { return r; };
  }
  void Lote(const ProtocoloNFe& p) { autoridade.respostasLote = {LoteProcessado(kRecibo, p)}; }
  // The row an earlier request left, the authority holding the invoice or not.
  void Anterior(int etapa, bool naAutoridade, const std::string& recibo = "0", const std::string& chave = kChave,
                const std::string& protocolo = "0") {
    if (naAutoridade) {
      autoridade.Recebe(kChave);
      autoridade.enviadas.clear();
    }
    Movimento(etapa, chave, recibo, etapa >= 3 ? kProtocolo : protocolo);
  }
};

[[noreturn]] void Falha(const std::string& descricao) { throw ErroExecucao(CodigoErro::ErroComponente, descricao); }

using E = Emissao;
struct Caso {
  const char* nome;
  std::function<void(E&)> prepara;
  bool resultado;
  int etapa;             // the row's afterwards
  std::string chamadas;  // as AutoridadeFalsa::chamadas
  std::string mensagem;  // MensagemRetorno
  std::string log = "";  // a text of the log file
  std::string caixa = "";
  std::string chave = kChave;  // the row's and the request's afterwards
};
void PrintTo(const Caso& c, std::ostream* os) { *os << c.nome; }

class Desfecho : public Emissao, public ::testing::WithParamInterface<Caso> {};

TEST_P(Desfecho, EtapaChamadasEMensagem) {
  const Caso& c = GetParam();
  Prepara();
  c.prepara(*this);
  EXPECT_EQ(ProcessaNFeAzure(a.ctx), c.resultado) << a.ArquivoLog();
  EXPECT_EQ(a.atual.NFeProcessada, c.resultado);
  auto m = Movimento();
  EXPECT_EQ(m.etapa, c.etapa);
  EXPECT_EQ(autoridade.chamadas, c.chamadas);
  EXPECT_EQ(c.resultado ? "" : a.atual.MensagemRetorno, c.mensagem);   // a success answers its fixed text
  EXPECT_NE(a.ArquivoLog().find(c.log), std::string::npos) << a.ArquivoLog();
  std::string caixas;
  for (const auto& cx : a.ui.Caixas()) caixas += cx.prompt;
  EXPECT_EQ(caixas, c.caixa);
  // Nothing the authority holds is sent again; only an authorised invoice has its file.
  EXPECT_LE(autoridade.enviadas.size(), 1u);
  EXPECT_EQ(a.caminhos.Existe("C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + c.chave + "-procNFe.xml"), c.resultado);
  EXPECT_EQ(c.resultado ? CStr(Valor(m.protocolo)) : "", c.resultado ? autoridade.autorizadas[c.chave] : "");
  EXPECT_EQ(m.chave, m.etapa >= 0 ? c.chave : "");
  EXPECT_EQ(c.resultado ? a.atual.ChaveAcessoSolicitada : c.chave, c.chave);
  EXPECT_FALSE(NoLog("      ** Erro ao atualizar MovimentoNFe - Etapa Concluída 0"));   // step 0 written back
}

const std::string kRecusado = "      ** ";
const std::vector<Caso> kCasos = {
    // The batch's outcome: a rejection or a batch not taken go back to step
    // 0; still in processing at the bound, step 1 and its receipt.
    {"Rejeitada", [](E& e) { e.Lote(Protocolo(kChave, "297", k297)); }, false, 0, "EL", "297 - " + k297, "        297 - " + k297 + "\r\n"},
    {"LoteRejeitadoSemAcento", [](E& e) { e.autoridade.respostasLote = {RespostaSo("106", "REJEICAO: Lote nao localizado")}; }, false, 0, "EL", "106 - REJEICAO: Lote nao localizado"},
    {"LoteNaoRecebido", [](E& e) { e.Envio(RespostaSo("225", "Rejeição: Falha no Schema XML do lote de NFe")); }, false, 0, "E", "225 - Rejeição: Falha no Schema XML do lote de NFe", "        Lote enviado: Erro 94 - do Arquivo: " + kLote},
    // A paused service is no reason about the batch: the generic message.
    {"ServicoParalisadoNoEnvio", [](E& e) { e.Envio(RespostaSo("108", "Servico Paralisado Momentaneamente (curto prazo)")); }, false, 0, "E", "Não foi possível enviar o lote"},
    {"RespostaDoEnvioPerdida", [](E& e) { e.autoridade.envio = [&e](const std::string& ch) -> RespostaLote { e.autoridade.Recebe(ch); Falha("conexão encerrada sem resposta"); }; }, false, 0, "E", "Não foi possível enviar o lote", "     ** Erro na Rotina: EnviaLoteNFE - conexão encerrada sem resposta"},
    {"EmProcessamentoAteOLimite", [](E& e) { e.autoridade.respostasLote.assign(100, RespostaSo("105", "Lote em processamento")); }, false, 1, std::string("EL") + Replace(std::string(24, '.'), ".", "WL"), "105 - Lote em processamento", "      ** Tempo limite da consulta do lote esgotado (120 s): " + kRecibo},
    {"LimiteDoRegistro", [](E& e) { e.Registro("\"TempoLimiteProcessamento\"=\"10\"\r\n"); e.autoridade.respostasLote.assign(100, RespostaSo("105", "Lote em processamento")); }, false, 1, "ELWLWL", "105 - Lote em processamento", "      ** Tempo limite da consulta do lote esgotado (10 s): " + kRecibo},
    // A duplicate is what a lost answer looks like the second time: the
    // invoice the authority holds is finished; one it does not confirm is not.
    {"Duplicidade204", [](E& e) { e.autoridade.Autoriza(kChave); }, true, 3, "ELSSD", "", "        NFe já autorizada, nada é reenviado: NFe" + kChave},
    // The same number went out earlier under the key of another emission month: the row takes the authorised key.
    {"Duplicidade539AssumeAChaveAutorizada", [](E& e) { e.autoridade.Autoriza(kAnterior); e.Lote(Protocolo(kChave, "539", k539 + " [chNFe:" + kAnterior + "][nRec:351000000000007]")); }, true, 3, "ELSSD", "", "", "", kAnterior},
    {"Duplicidade539DeOutraNota", [](E& e) { e.Envio(teste::LoteRecebido(kRecibo)); e.Lote(Protocolo(kChave, "539", k539 + " [chNFe:" + kOutraChave + "][nRec:1]")); }, false, 1, "EL", "Duplicidade de NF-e com chave não localizada", "      ** Duplicidade sem chave desta NFe: "},
    {"Duplicidade204NaoConfirmada", [](E& e) { e.Envio(teste::LoteRecebido(kRecibo)); e.Lote(Protocolo(kChave, "204", "Rejeição: Duplicidade de NF-e [nRec:351000000000007]")); }, false, 1, "ELS", "204 - Rejeição: Duplicidade de NF-e [nRec:351000000000007]"},
    {"Duplicidade539ComAutorizacaoRecusada", [](E& e) { e.autoridade.Autoriza(kAnterior); e.Lote(Protocolo(kChave, "539", k539 + " [chNFe:" + kAnterior + "][nRec:351000000000007]")); e.autoridade.situacao = [](const std::string& ch) { RespostaSituacao r = teste::SituacaoAutorizada(ch, kProtocolo); r.protocolo->recusa = kRecusaAssinatura; return r; }; }, false, 1, "ELS", kRecusaAssinatura},
    // Step 1 goes in with the batch beside the signed document: no document under the key, no step 1 and no send.
    {"LoteForaDoBanco", [](E& e) { e.conexao->CConexaoNfe::ExecutaSql("CREATE TRIGGER sem_documento AFTER INSERT ON DocumentoNFe BEGIN DELETE FROM DocumentoNFe; END"); }, false, 0, "", "Não foi possível gerar o lote", "      ** Erro ao atualizar MovimentoNFe: Etapa Concluída 1"},
    {"SemContadorDeLote", [](E& e) { e.Executa("DELETE FROM ConfiguracaoDiversa WHERE Nome = 'Contador Lote NFe'"); }, false, 0, "", "Não foi possível gerar o lote"},
    // An answer that is not believed stores nothing.
    {"SituacaoDeOutraChave", [](E& e) { e.autoridade.situacao = [](const std::string&) { return teste::SituacaoAutorizada(kOutraChave, kProtocolo); }; }, false, 2, "ELS", kRecusaOutraChave, kRecusado + kRecusaOutraChave},
    // The row holds a protocol already (its distribution file failed): another number is not taken.
    {"SituacaoComOutroProtocolo", [](E& e) { e.Anterior(2, true, kRecibo, kChave, "130000000000077"); }, false, 2, "LS", kRecusaOutroProtocolo, kRecusado + kRecusaOutroProtocolo},
    {"LoteDeOutraChave", [](E& e) { e.Lote(Protocolo(kOutraChave, "100", "Autorizado o uso da NF-e", kProtocolo)); }, false, 1, "EL", kRecusaOutraChave, kRecusado + kRecusaOutraChave},
    // The message is the last step's own, never what an earlier step said.
    {"SituacaoNaoConsta", [](E& e) { e.autoridade.situacao = [](const std::string&) { return teste::Situacao("217", "Rejeição: NF-e não consta na base de dados da SEFAZ"); }; }, false, 2, "ELS", "217 - Rejeição: NF-e não consta na base de dados da SEFAZ"},
    {"SituacaoMalformada", [](E& e) { e.autoridade.situacao = [](const std::string&) -> RespostaSituacao { Falha("retorno malformado"); }; }, false, 2, "ELS", "Situação da NFe não confirmada"},
    {"EtapaDoisNaoGravada", [](E& e) { e.autoridade.respostasLote = {RespostaSo("105", "Lote em processamento")}; e.conexao->falhaSeContem = "[Etapa Concluida] = 2"; }, false, 1, "ELWL", "Erro ao registrar a etapa 2 da NFe"},
    {"ConsultaDoLoteSemResposta", [](E& e) { e.autoridade.consultaLote = [](const std::string&) -> RespostaLote { Falha("retorno malformado"); }; }, false, 1, "EL", "retorno malformado"},
    {"ReciboNaoGravado", [](E& e) { e.conexao->falhaSeContem = "[Numero da Recepcao] ="; }, false, 0, "E", "Erro ao registrar o recibo do lote"},
    {"ReciboInvalido", [](E& e) { e.Envio(teste::LoteRecebido("35100000000001")); }, false, 0, "E", "Recibo inválido no retorno do envio do lote", "      ** Recibo inválido no retorno do envio do lote (15 dígitos esperados): \"35100000000001\""},
    // Failures before anything is sent say why.
    {"CertificadoNaoConfigurado", [](E& e) { teste::GravarTudo(e.a.registro.Arquivo(), Replace(teste::LerTudo(e.a.registro.Arquivo()), "\"Certificado\"=", "\"Antigo\"=")); }, false, -1, "", "Certificado: não configurado", "     ** Erro na Rotina: AssinarNFE - Certificado digital não configurado"},
    {"DiscoCheio", [](E& e) { e.autoridade.depoisDeAssinar = [&e] { throw ErroDeGravacao(e.a.caminhos.Mapear("C:\\Dunmor\\x.xml"), "escrita", ENOSPC); }; }, false, -1, "", "Disco cheio ao gravar XML"},
    {"SerieNaoNumerica", [](E& e) { e.a.atual.SerieAtual = "A"; ASSERT_TRUE(AnalisaTextoSolicitacao(e.a.ctx, e.a.janela, Replace(teste::SolicitacaoNFe(), "112-000 = 1\r\n", "112-000 = A\r\n"))); }, false, -1, "", "Série da NF inválida (112-000)"},
    {"ConsultaDoLoteAnteriorFalhou", [](E& e) { e.Anterior(1, false, "351000000000001"); e.autoridade.consultaLote = [](const std::string&) -> RespostaLote { Falha("Autoridade sem resposta em 127.0.0.1:9 (NfeRetAutorizacao): conexão recusada"); }; }, false, 1, "L", "Autoridade sem resposta em 127.0.0.1:9 (NfeRetAuto"},
    {"EsquemaRecusado", [](E& e) { e.autoridade.depoisDeAssinar = [&e] { const auto f = e.a.caminhos.Mapear(kAssinado); teste::GravarTudo(f, Replace(teste::LerTudo(f), "<mod>55</mod>", "<mod>57</mod>")); }; }, false, 0, "", "Erro ao validar NFe", "        Validado=Falso: " + kAssinado},
    {"SemComponente", [](E& e) { e.a.ctx.CriaFiscalDocService = nullptr; }, false, -1, "", "Componente FiscalDocService não disponível", "     ** Erro na Rotina: GerarNFE - Componente FiscalDocService não disponível"},
    // CFOP 9102 leaves idDest empty: the generator refuses the document.
    {"GeradorRecusa", [](E& e) { e.a.tabelas.TabelaNota.MoveFirst(); e.a.tabelas.TabelaNota.SetValue("CFOP", Valor("9102")); }, false, -1, "", "GeraXml: campo obrigatório sem valor: ide/idDest", "     ** Erro na Rotina: GerarNFE - GeraXml: "},
    {"SemItens", [](E& e) { ASSERT_TRUE(AnalisaTextoSolicitacao(e.a.ctx, e.a.janela, teste::SolicitacaoNFe(false))); }, false, -1, "", "", "", "Erro: Subscrito fora do intervalo"},
    // The authority's numbers go into statements unquoted: only 15 digits may.
    {"ProtocoloInvalido", [](E& e) { e.autoridade.situacao = [](const std::string& ch) { return teste::SituacaoAutorizada(ch, "0 OR 1=1 -- 123"); }; }, false, 2, "ELS", "Protocolo de autorização ausente ou inválido", "      ** Protocolo de autorização ausente ou inválido na consulta da NFe: \"0 OR 1=1 -- 123\""},
    // Errors that escape every step's own handler: the pipeline's line.
    {"SemBanco", [](E& e) { e.a.ctx.ConexaoBanco = nullptr; }, false, -1, "", "Conexão com o banco de dados não aberta", " - mRotinasGerais.ProcessaNFeAzure: Erro n.:91 - ErroTexto: "},
    // A row left by an earlier request goes on from its step, and nothing the authority holds is sent again.
    {"Etapa1ComRecibo", [](E& e) { e.Anterior(1, true, kRecibo); }, true, 3, "LSD", ""},
    {"Etapa2ComRecibo", [](E& e) { e.Anterior(2, true, kRecibo); }, true, 3, "LSD", ""},
    {"Etapa3", [](E& e) { e.Anterior(3, true, kRecibo); }, false, 3, "", "NFe já autorizada - Protocolo: " + kProtocolo, "  ** NFe com lote já enviado!NFe" + kChave},
    // The answer to a send was lost (step 0 written back) or the Host died
    // before the receipt was stored (step 1 without one).
    {"Etapa0Autorizada", [](E& e) { e.Anterior(0, true); }, true, 3, "SSD", ""},
    {"Etapa1SemReciboAutorizada", [](E& e) { e.Anterior(1, true); }, true, 3, "SSD", ""},
    {"Etapa0NaoConsta", [](E& e) { e.Anterior(0, false); }, true, 3, "SEWLSD", ""},
    {"Etapa1SemReciboNaoConsta", [](E& e) { e.Anterior(1, false); }, true, 3, "SEWLSD", ""},
    {"Etapa0SemChave", [](E& e) { e.Anterior(0, false, "0", ""); }, true, 3, "EWLSD", ""},
    // Anything else the authority says about the key: nothing is sent.
    {"Etapa0Cancelada", [](E& e) { e.Anterior(0, false); e.autoridade.situacao = [](const std::string&) { return teste::Situacao("101", "Cancelamento de NF-e homologado"); }; }, false, 0, "S", "101 - Cancelamento de NF-e homologado"},
    {"Etapa0SituacaoSemResposta", [](E& e) { e.Anterior(0, true); e.autoridade.situacao = [](const std::string&) -> RespostaSituacao { Falha("tempo limite esgotado"); }; }, false, 0, "S", "Situação da NFe não confirmada; envie novamente", "     ** Erro na Rotina: ConsultaSituacaoAnterior - tempo limite esgotado"},
    // The synchronous answer (layout 4.00) brings the protocol with the send:
    // no batch query and no wait, also on the resend path.
    {"SincronaAutorizada", [](E& e) { e.Sincrona("100", "Autorizado o uso da NF-e"); }, true, 3, "ESD", "", "        Lote enviado: 104 - Lote processado - 100 - Autorizado o uso da NF-e - Protocolo: " + kProtocolo + " - do Arquivo: " + kLote + "\r\n"},
    {"SincronaRejeitada", [](E& e) { e.Sincrona("297", k297); }, false, 0, "E", "297 - " + k297},
    {"SincronaDuplicidade", [](E& e) { e.autoridade.Autoriza(kChave); e.Sincrona("204", "Rejeição: Duplicidade de NF-e"); }, true, 3, "ESSD", ""},
    {"SincronaProtocoloRecusado", [](E& e) { e.Sincrona("100", "Autorizado o uso da NF-e", kRecusaAssinatura); }, false, 1, "E", kRecusaAssinatura},
    {"SincronaReenvio", [](E& e) { e.Anterior(0, false); e.Sincrona("100", "Autorizado o uso da NF-e"); }, true, 3, "SESD", ""},
    // The distribution file cannot be written: the protocol stays stored, the step 2.
    {"DistribuicaoFalhou", [](E& e) { e.autoridade.distribuicao = [](const std::string&) { Falha("disco cheio"); }; }, false, 2, "ELSD", "Erro ao gerar arquivo de distribuição!", "     ** Erro na Rotina: GeraArquivoDistribuicao - disco cheio", "Erro ao gerar arquivo de distribuição!"},
    // Another Host resumes the invoice, its root's batch file not the one sent: the database's bytes are written back.
    // (A root without the files at all: emissao_outro_host.sh.)
    {"RetomadaEmOutraRaiz", [](E& e) { ASSERT_TRUE(EmiteNFE(e.a.ctx, 1, "")); ASSERT_TRUE(GerarLoteNFE(e.a.ctx)); teste::GravarTudo(e.a.caminhos.Mapear(kLote), "<enviNFe/>"); e.Prepara(); }, true, 3, "ELSD", "", "        Arquivo refeito com o conteúdo do banco de dados: " + kLote},
    {"Etapa2ComProtocolo", [](E& e) { e.Anterior(2, true, kRecibo, kChave, kProtocolo); }, true, 3, "LSD", ""},
};

INSTANTIATE_TEST_SUITE_P(Casos, Desfecho, ::testing::ValuesIn(kCasos),
                         [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace velant
