// The cancellation, voiding and correction-letter routines on the emission
// tests' context, with the authority's answer given: what each stores, shows
// and answers for each kind of answer, and only on the request's own row.
// (The same through the Host: tests/ponta/casos/cancelamento.caso and inutilizacao.caso.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "component/recusa_resposta.h"
#include "component/servico_documento_fiscal.h"
#include "lifecycle/apoio_emissao.h"
#include "lifecycle/cancela_nfe.h"
#include "lifecycle/carta_correcao.h"
#include "lifecycle/carta_correcao_texto.h"
#include "lifecycle/inutiliza_nfe.h"
#include "tabela_tsv.h"

namespace velant {
namespace {

using Tabela = std::vector<std::vector<int64_t>>;

RespostaRegistro Retorno(const std::string& cStat, const std::string& xMotivo, const std::string& nProt = "",
                         const std::string& chNFe = "", const std::string& recusa = "") {
  return {.cStat = cStat, .xMotivo = xMotivo, .chNFe = chNFe, .nProt = nProt, .recusa = recusa};
}

// Answers the three operations with the test's answer, for the key it was
// asked about unless the answer names another, and records their arguments;
// throws the component's error falha instead when there is one.
class ComponenteResposta : public teste::ComponenteInesperado {
 public:
  ComponenteResposta(RespostaRegistro resposta, std::string falha, std::vector<std::string>& chamadas)
      : resposta_(std::move(resposta)), falha_(std::move(falha)), chamadas_(chamadas) {}
  RespostaRegistro EventoCancelamento(S numero, S chave, S sequencia, S protocolo, S justificativa) override {
    return Registra("EventoCancelamento(" + numero + "|" + chave + "|" + sequencia + "|" + protocolo + "|" + justificativa + ")", chave);
  }
  RespostaRegistro EventoCartaCorrecao(S chave, S sequencia, S correcao) override {
    return Registra("EventoCartaCorrecao(" + chave + "|" + sequencia + "|" + correcao + ")", chave);
  }
  RespostaRegistro InutilizaNumeracao(S ano, S inicial, S final_, S justificativa) override {
    return Registra("InutilizaNumeracao(" + ano + "|" + inicial + "|" + final_ + "|" + justificativa + ")", "");
  }

 private:
  RespostaRegistro Registra(const std::string& chamada, S chave) {
    chamadas_.push_back(chamada);
    if (!falha_.empty()) throw ErroExecucao(CodigoErro::ErroComponente, falha_);
    RespostaRegistro r = resposta_;
    if (r.chNFe.empty()) r.chNFe = chave;
    return r;
  }
  RespostaRegistro resposta_;
  std::string falha_;
  std::vector<std::string>& chamadas_;
};

class Eventos : public teste::AmbienteEmissao {
 protected:
  Eventos() {
    a.ctx.CriaFiscalDocService = [this] { return std::make_unique<ComponenteResposta>(resposta, falha, chamadas); };
    a.atual.CodigoEmpresa = 1;
    a.atual.SerieAtual = "1";
  }
  // The integer columns of every row the query selects, in order.
  Tabela Linhas(const std::string& sql) {
    auto rs = conexao->RsConexao(sql);
    Tabela r;
    for (; !rs->Eof(); rs->MoveNext()) {
      r.emplace_back();
      for (int32_t i = 0; i < rs->QuantidadeCampos(); ++i) r.back().push_back(CLngLng(rs->Value(i)));
    }
    return r;
  }
  // The boxes shown, from the n-th on.
  std::vector<std::string> Caixas(size_t n = 0) const {
    std::vector<std::string> r;
    for (size_t i = n; i < a.ui.Caixas().size(); ++i) r.push_back(a.ui.Caixas()[i].prompt);
    return r;
  }
  // The request's row among others of the same key or number in other companies and series.
  void Refaz(const std::string& tabela, const std::string& colunas, const std::vector<std::string>& valores) {
    conexao->ExecutaSql("DELETE FROM " + tabela);
    for (const auto& v : valores) Executa("INSERT INTO " + tabela + " (" + colunas + ") VALUES (" + v + ")");
  }

  bool ResultadoSoNoArquivo() const {
    return std::ranges::none_of(a.ui.Eventos(), [](const std::string& e) { return e.find("Resultado: ") != std::string::npos; });
  }

  RespostaRegistro resposta;
  std::string falha;
  std::vector<std::string> chamadas;
};

const std::string kResultado = "      Resultado: ";
const std::string kRecusado = "      ** ";
const std::string kInconsistencia = "Inconsistência na atualização do Cancelamento da NF-e";
const std::string kSerieComAspas = "1' OR '1'='1";   // must not escape the statement

// --- CANCELAR NFE ---------------------------------------------------------------

const std::string kChave = "35160111222333000181550010000001231000001234";
const char* const kJustificativa = "Cancelamento por erro de digitacao 101 218";
const RespostaRegistro kRegistrado = Retorno("135", "Evento registrado e vinculado a NF-e", "135260000000042");
const std::string kRegistradoTexto = "135 - Evento registrado e vinculado a NF-e - Protocolo: 135260000000042";
const std::string kErroCancelar = "Erro ao cancelar nfe. Retorno! \r\n";

// Decided by the answer's status code and protocol; digits in its reason (a
// justification echoed) decide nothing. An answer not believed records nothing.
TEST_F(Eventos, CancelamentoGravaOProtocoloSoPeloCodigo) {
  // log: a line of the log; protocolo: in the row afterwards (0: untouched, false returned)
  const struct { RespostaRegistro resposta; std::string log; int64_t protocolo; std::string caixa = "", mensagem = "", serie = "2"; } casos[] = {
      {kRegistrado, kResultado + kRegistradoTexto, 135260000000042},
      {Retorno("155", "Cancelamento homologado fora de prazo", "135260000000043"), kResultado + "155 - Cancelamento homologado fora de prazo - Evento registrado e vinculado a NF-e - Protocolo: 135260000000043", 135260000000043},
      {Retorno("218", "Rejeição: NF-e já está cancelada na base de dados da SEFAZ [nProt:135160000000001][dhCanc:2016-01-15T11:00:00-02:00]"), kResultado + "218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ", 1111},
      {Retorno("573", "Rejeição: Duplicidade de Evento"), kResultado + "573 - Rejeição: Duplicidade de Evento", 1111},
      // The old cancellation service's code: the event service never answers it.
      {Retorno("101", "Cancelamento de NF-e homologado"), kResultado + "101 - Rejeição: evento não registrado", 0, kErroCancelar + "101 - Rejeição: evento não registrado"},
      {Retorno("215", "Rejeição: Falha no schema XML (xJust: NF 101 cancelada 218 antes 102)"), kResultado + "215 - Rejeição: evento não registrado", 0, kErroCancelar + "215 - Rejeição: evento não registrado"},
      {Retorno("135", "Evento registrado e vinculado a NF-e", "13526"), kResultado + "135 - Rejeição: evento não registrado", 0, kErroCancelar + "135 - Rejeição: evento não registrado"},
      {Retorno("2180", "Rejeição: outra"), kResultado + "2180 - Rejeição: evento não registrado", 0, kErroCancelar + "2180 - Rejeição: evento não registrado"},
      // No box: there is nothing to retry.
      {Retorno("135", "Evento registrado e vinculado a NF-e", "135260000000042", "35160111222333000181550010000001241000001240"), kRecusado + kRecusaOutraChave, 0, "", kRecusaOutraChave},
      {kRegistrado, kResultado + kRegistradoTexto, 0, kInconsistencia, "", kSerieComAspas},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.log);
    Refaz("MovimentoNFeSaidaCancelada", "Empresa, Serie, [Numero da NFe]", {"1, '1', '" + kChave + "'", "1, '2', '" + kChave + "'", "2, '2', '" + kChave + "'"});
    const size_t caixas = a.ui.Caixas().size();
    chamadas.clear();
    resposta = c.resposta;
    a.atual.CodigoEmpresa = 2;
    a.atual.SerieAtual = c.serie;
    a.atual.MensagemRetorno.clear();
    EXPECT_EQ(CancelaNFe(a.ctx, "123", kChave, "1", "135160000000001", kJustificativa), c.protocolo != 0);
    EXPECT_EQ(Linhas("SELECT [Numero do Protocolo], [Etapa Concluida] FROM MovimentoNFeSaidaCancelada ORDER BY Empresa, Serie"),
              (Tabela{{0, 0}, {0, 0}, {c.protocolo, c.protocolo ? 3 : 0}}));
    EXPECT_TRUE(NoLog(c.log));
    EXPECT_EQ(Caixas(caixas), c.caixa.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.caixa});
    EXPECT_EQ(a.atual.MensagemRetorno, c.mensagem);
    // The number in seven digits.
    EXPECT_EQ(chamadas, std::vector<std::string>{"EventoCancelamento(0000123|" + kChave + "|1|135160000000001|" + kJustificativa + ")"});
  }
  EXPECT_THROW(CancelaNFe(a.ctx, "12A", kChave, "1", "", kJustificativa), ErroExecucao);   // before the component
  EXPECT_EQ(chamadas.size(), 1u);
  EXPECT_TRUE(ResultadoSoNoArquivo());
}

// An event the schema in place refuses for the key's letters: the request's
// answer says so instead of the fixed text; any other error does not.
TEST_F(Eventos, CancelamentoEsquemaSemCnpjAlfanumerico) {
  for (const std::string& motivo : {std::string(kEventoSemCnpjAlfanumerico), std::string()}) {
    falha = motivo.empty() ? "Mensagem envEvento fora do esquema" : motivo + ": NF-e " + kChave;
    a.atual.MotivoFalha.clear();
    EXPECT_THROW(CancelaNFe(a.ctx, "123", kChave, "1", "135160000000001", kJustificativa), ErroExecucao);
    EXPECT_EQ(a.atual.MotivoFalha, motivo);
  }
}

// --- INUTILIZAR NFE -------------------------------------------------------------

// Decided by the code; the message keeps 50 whole characters of the reason
// (accented letters before and at the cut), whatever the request before left.
TEST_F(Eventos, InutilizacaoDecidePeloCodigoEDeixaAMensagem) {
  const char* const kHomologada = "Inutilização de número homologado";
  const RespostaRegistro kRespostaHomologada = Retorno("102", kHomologada, "135240000000007");
  const std::string jaInutilizada = " - Rejeição: NF-e  já esta inutilizada na base de dados da SEFAZ";
  const struct { RespostaRegistro resposta; std::string log; bool inutilizada; std::string mensagem, caixa = "", serie = "1"; } casos[] = {
      {kRespostaHomologada, kResultado + "102 - Inutilização de número homologado - Protocolo: 135240000000007", true, kHomologada},
      {Retorno("256", "Rejeição: Uma NF-e da faixa já está inutilizada na Base de dados da SEFAZ"), kResultado + "256" + jaInutilizada, true, kHomologada},
      {Retorno("241", "Rejeição: Um número da faixa já foi utilizado"), kResultado + "241 - Rejeição: Um número da faixa já foi utilizado", false, "Um número da faixa já foi utilizado"},
      {Retorno("999", "Rejeição: Numeração já utilizada em homologação pela série informada"), kResultado + "999 - Rejeição: Numeração já utilizada em homologação pela série informada", false, "Numeração já utilizada em homologação pela série i"},
      {Retorno("999", "Rejeição: Inutilização não homologada, divergência informação da série"), kResultado + "999 - Rejeição: Inutilização não homologada, divergência informação da série", false, "Inutilização não homologada, divergência informaçã"},
      // An answer that could be read as voided, to a reader of the text, says plainly it is not.
      {Retorno("215", "Rejeição: Falha no schema XML (xJust: Numeracao 102 pulada)"), kResultado + "215 - Rejeição: inutilização não homologada", false, "inutilização não homologada"},
      {Retorno("108", "Serviço Paralisado Momentaneamente (curto prazo)"), kResultado + "108 - Rejeição: Serviço Paralisado Momentaneamente (curto prazo)", false, "Serviço Paralisado Momentaneamente (curto prazo)"},
      // An answer not believed records nothing.
      {Retorno("102", kHomologada, "135240000000007", "", kRecusaAssinatura), kRecusado + kRecusaAssinatura, false, kRecusaAssinatura},
      {kRespostaHomologada, kResultado + "102 - Inutilização de número homologado - Protocolo: 135240000000007", false, kHomologada, kInconsistencia, kSerieComAspas},
  };
  a.atual.NumeroAtual = 77;
  for (const auto& c : casos) {
    SCOPED_TRACE(c.log);
    Refaz("MovimentoNFeSaidaInutilizada", "Empresa, Serie, Numero", {"1, '1', 77", "1, '1', 78", "1, '2', 77", "2, '1', 77"});
    const size_t caixas = a.ui.Caixas().size();
    chamadas.clear();
    a.atual.MensagemRetorno = "107 - Servico em Operacao";
    a.atual.SerieAtual = c.serie;
    resposta = c.resposta;
    EXPECT_EQ(InutilizaNFe(a.ctx, "24", "77", "78", "Numeracao 102 pulada por falha"), c.inutilizada);
    EXPECT_EQ(a.atual.MensagemRetorno, c.mensagem);
    EXPECT_EQ(Linhas("SELECT Empresa, Numero, [Etapa Concluida] FROM MovimentoNFeSaidaInutilizada ORDER BY Empresa, Serie, Numero"),
              (Tabela{{1, 77, c.inutilizada ? 3 : 0}, {1, 78, 0}, {1, 77, 0}, {2, 77, 0}}));
    EXPECT_TRUE(NoLog(c.log));
    EXPECT_EQ(chamadas, std::vector<std::string>{"InutilizaNumeracao(24|77|78|Numeracao 102 pulada por falha)"});
    EXPECT_EQ(Caixas(caixas), c.caixa.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.caixa});
  }
  EXPECT_TRUE(ResultadoSoNoArquivo());
}

// --- CARTA CORRECAO -------------------------------------------------------------

// What the routine checks before anything is sent, and what it stores (or
// not) for each kind of answer.
TEST_F(Eventos, CartaConfereEGuardaPelaResposta) {
  const std::string chave = "35261211222333000181550010000010011000010018", correcao = "Rua certa: Flores 120";
  const std::string proc = "<procEventoNFe versao=\"1.00\"/>";
  auto registrada = [&](const std::string& outraChave = "", const std::string& recusa = "") {
    RespostaRegistro r = Retorno("135", "Evento registrado e vinculado a NF-e", "135260000000042", outraChave, recusa);
    r.distribuicao = proc;
    return r;
  };
  const std::string k217 = "217 - Rejeição: NF-e não consta na base de dados da SEFAZ";
  const struct {
    int etapa;          // of the invoice's MovimentoNFe row
    bool cancelada;     // MovimentoNFeSaidaCancelada at step 3
    RespostaRegistro resposta;
    bool enviada;       // the component was called
    std::string motivo; // MotivoFalha; "": registered, true returned and the file written
    std::string caixa = "";
  } casos[] = {
      {3, false, registrada(), true, ""},
      {2, false, registrada(), false, "NF-e não autorizada"},
      {3, true, registrada(), false, "NF-e cancelada"},
      {3, false, Retorno("573", "Rejeição: Duplicidade de Evento"), true, "Carta de correção 1 já registrada na SEFAZ (573)"},
      {3, false, Retorno("217", "Rejeição: NF-e não consta na base de dados da SEFAZ"), true, k217, "Erro ao registrar carta de correção. Retorno! \r\n" + k217},
      {3, false, registrada("35261211222333000181550010000010021000010023"), true, kRecusaOutraChave},
      {3, false, registrada("", kRecusaAssinatura), true, kRecusaAssinatura},
  };
  const auto arquivo = a.caminhos.Mapear(ArquivoCartaCorrecao(a.ctx, chave, 1));
  for (const auto& c : casos) {
    SCOPED_TRACE(c.motivo);
    Refaz("MovimentoNFe", "Empresa, Serie, Numero, [Numero da NFe], [Etapa Concluida]", {"1, '1', 1001, '" + chave + "', " + std::to_string(c.etapa)});
    Refaz("MovimentoNFeSaidaCancelada", "Empresa, Serie, [Numero da NFe], [Etapa Concluida]", c.cancelada ? std::vector<std::string>{"1, '1', '" + chave + "', 3"} : std::vector<std::string>{});
    std::filesystem::remove(arquivo);
    const size_t caixas = a.ui.Caixas().size();
    chamadas.clear();
    a.atual.MotivoFalha.clear();
    resposta = c.resposta;
    EXPECT_EQ(CartaCorrecao(a.ctx, chave, "", correcao), c.motivo.empty());
    EXPECT_EQ(chamadas, c.enviada ? std::vector<std::string>{"EventoCartaCorrecao(" + chave + "|1|" + correcao + ")"} : std::vector<std::string>{});
    EXPECT_EQ(a.atual.MotivoFalha, c.motivo);
    EXPECT_EQ(Caixas(caixas), c.caixa.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.caixa});
    EXPECT_EQ(std::filesystem::exists(arquivo) ? teste::LerTudo(arquivo) : "-", c.motivo.empty() ? proc : "-");
  }
}

// Each correction as the front end may send it, the text that would go and
// why it may not (empty: it may).
TEST(TextoDaCarta, TextoNormalizadoEConferido) {
  const std::string mil(1000, 'a');
  struct Caso { const char* nome; std::string enviada, normalizada, recusa; } casos[] = {
      {"quebras e brancos", "  Rua certa:\r\n\tFlores   120  ", "Rua certa: Flores 120", ""},
      {"15 com acentos", "Endereço: nº 9é", "Endereço: nº 9é", ""},
      {"14 depois de normalizada", " Rua das Flores\r\n", "Rua das Flores",
       "Correção com 14 caracteres: o mínimo é 15"},
      {"vazia", "\r\n", "", "Correção com 0 caracteres: o mínimo é 15"},
      {"1000 caracteres em 1002 bytes", mil.substr(2) + "çç", mil.substr(2) + "çç", ""},
      {"1001", mil + "ç", mil + "ç", "Correção com 1001 caracteres: o máximo é 1000"},
      {"fora do Latin-1", "Onde se lê “Flores”, leia-se Rosas", "Onde se lê “Flores”, leia-se Rosas",
       "Correção com caractere não aceito pela SEFAZ: “"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(carta::NormalizaCorrecao(c.enviada), c.normalizada);
    EXPECT_EQ(carta::RecusaCorrecao(carta::NormalizaCorrecao(c.enviada)), c.recusa);
  }
}

// A later letter carries the earlier ones' text; the sum has the same limit.
TEST(TextoDaCarta, AcumulaAsAnterioresAteMil) {
  const std::string nova = "Placa correta ABC1D23";   // 21 characters
  struct Caso { const char* nome; std::string anterior, acumulada, recusa; } casos[] = {
      {"primeira", "", nova, ""},
      {"segunda", "Rua certa: Flores 120", "Rua certa: Flores 120; Placa correta ABC1D23", ""},
      {"soma exata", std::string(977, 'x'), std::string(977, 'x') + "; " + nova, ""},
      {"soma acima", std::string(978, 'x'), std::string(978, 'x') + "; " + nova,
       "Correções somam 1001 caracteres: o máximo é 1000"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const std::string acumulada = carta::AcumulaCorrecoes(c.anterior, nova);
    EXPECT_EQ(acumulada, c.acumulada);
    EXPECT_EQ(carta::RecusaAcumulada(acumulada), c.recusa);
  }
}

// The letter's number from the one asked for and the last one registered (carta_sequencia.tsv).
TEST(TextoDaCarta, Sequencia) {
  for (const teste::Linha& c : teste::LeTabela("carta_sequencia.tsv")) {
    SCOPED_TRACE(c.at("nome"));
    const carta::Sequencia s = carta::SequenciaDaCarta(c.at("pedida"), std::stoi(c.at("ultima")));
    EXPECT_EQ(s.recusa, c.at("recusa"));
    EXPECT_EQ(s.recusa.empty() ? s.numero : 0, std::stoi(c.at("numero")));
  }
}

}  // namespace
}  // namespace velant
