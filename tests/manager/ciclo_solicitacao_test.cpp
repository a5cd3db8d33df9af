#include <gtest/gtest.h>

#include <chrono>

#include "base/texto.h"
#include "manager/analisador_solicitacao.h"
#include "manager/gerenciador_nfe.h"
#include "ambiente_teste.h"
#include "fila_falsa.h"

namespace velant {
namespace {

using teste::AmbienteTeste;
using teste::ConexaoFalsa;
using teste::FilaFalsa;
using teste::ManipuladoresTeste;
using teste::Pedido;
using teste::Solicitacao;

class Ciclo : public ::testing::Test {
 protected:
  Ciclo() {
    // Every reading of the clock moves it half a second: the one-second wait ends.
    a.relogio.passoSegundos = 0.5;
    a.host.IPProcessamento = "10.0.0.5";
    a.ctx.ConexaoBanco = &conexao;
    a.ctx.Solicitacao = &fila;
  }

  int32_t Inclui(const std::string& comando, const std::vector<std::string>& campos = {}) {
    return fila.Inclui(Pedido(comando, campos));
  }
  const teste::LinhaFalsa& Linha(int32_t nsu) { return fila.linhas.at(nsu); }
  bool Respondida(int32_t nsu) { return Linha(nsu).Respondida(); }
  // The row's stamps (A: analysis, P: approval, C: Host cancellation) and message, e.g. "A-C NFe não foi cancelada!".
  std::string Estado(int32_t nsu) {
    const auto& l = Linha(nsu);
    return std::string(l.analise.Zero() ? "-" : "A") + (l.aprovacao.Zero() ? "-" : "P") +
           (l.cancelamentoHost.Zero() ? "-" : "C") + " " + l.mensagem;
  }
  void Tiques(int n) { while (n-- > 0) g.Tique(); }

  AmbienteTeste a;
  ConexaoFalsa conexao{a.ui};
  FilaFalsa fila{conexao, a.host, a.ui};
  ManipuladoresTeste m;
  GerenciadorNFe g{a.ctx, a.host, m};
};

// --- The dispatch table ------------------------------------------------------

struct CasoDespacho {
  const char* nome;
  const char* comando;
  std::vector<std::string> campos;
  bool resultado;                 // what the handler returns
  bool nfeProcessada;             // what the emission pipeline leaves
  const char* mensagemRetorno;    // what the handler leaves in MensagemRetorno
  const char* chamada;            // the handler call expected
  bool aprovada;
  const char* mensagem;           // the row's Mensagem after the answer
  friend void PrintTo(const CasoDespacho& c, std::ostream* os) { *os << c.nome; }
};

class Despacho : public Ciclo, public ::testing::WithParamInterface<CasoDespacho> {};

TEST_P(Despacho, ChamaOManipuladorERespondeComAMensagemDaTabela) {
  const auto& c = GetParam();
  const int32_t nsu = Inclui(c.comando, c.campos);
  m.resultado = c.resultado;
  m.efeito = [&] {
    a.atual.NFeProcessada = c.nfeProcessada;
    a.atual.MensagemRetorno = c.mensagemRetorno;
  };
  g.Tique();
  EXPECT_EQ(m.chamadas, std::vector<std::string>{c.chamada});
  EXPECT_EQ(a.atual.ComandoEmExecucao, c.comando);
  EXPECT_EQ(Estado(nsu), (c.aprovada ? "AP- " : "A-C ") + std::string(c.mensagem));
  const std::string hora = FormataHora(Valor(c.aprovada ? Linha(nsu).aprovacao : Linha(nsu).cancelamentoHost));
  EXPECT_TRUE(a.NaLista((c.aprovada ? "      Aprovado pelo Host: " : "      Cancelado pelo Host: ") + hora));
}

const std::vector<std::string> kCamposCancelamento{"111-000 - 123", "050-000 - CH", "051-000 - PR", "052-000 - JU"};
const std::vector<std::string> kCamposNota{"112-000 - 1", "111-000 - 4567", "114-000 - 05/12/2026 08:00:00"};
const std::vector<std::string> kCamposDanfe{"050-000 - CH", "051-000 - PR", "110-000 - 05/12/2026 10:11:12"};
const std::vector<std::string> kCamposCarta{"050-000 - CH", "053-000 - 2", "054-000 - Rua certa: Flores 120"};
const std::vector<std::string> kCamposInutilizacao{"110-000 - 03/11/2024", "111-000 - 77", "114-000 - 03/11/2024",
                                                   "052-000 - JU"};

const std::vector<CasoDespacho> kCasosDespacho{
    CasoDespacho{"StatusDisponivel", "STATUS SERVICO", {}, true, false, "", "TestaServidores()", true, "Serviço de NFe Disponível"},
    CasoDespacho{"StatusIndisponivel", "STATUS SERVICO", {}, false, false, "", "TestaServidores()", false, "Serviço de NFe Indisponível"},
    CasoDespacho{"Cancelada", "CANCELAR NFE", kCamposCancelamento, true, false, "", "CancelaNFe(123|CH|1|PR|JU)", true, "NFe Cancelada com Sucesso!"},
    CasoDespacho{"NaoCancelada", "CANCELAR NFE", kCamposCancelamento, false, false, "", "CancelaNFe(123|CH|1|PR|JU)", false, "NFe não foi cancelada!"},
    CasoDespacho{"NotaProcessada", "NFE3.10", kCamposNota, true, true, "Autorizado o uso da NF-e", "ProcessaNFeAzure()", true, "Processamento de NFe OK!"},
    CasoDespacho{"NotaSemEstadoFinal", "NFE3.10", kCamposNota, true, false, "", "ProcessaNFeAzure()", false, "NFe não foi processada!"},
    CasoDespacho{"NotaRejeitada", "NFE3.10", kCamposNota, false, false, "Rejeição 539: Duplicidade de NF-e", "ProcessaNFeAzure()", false, "Rejeição 539: Duplicidade de NF-e"},
    CasoDespacho{"Nota400Processada", "NFE4.00", kCamposNota, true, true, "Autorizado o uso da NF-e", "ProcessaNFeAzure()", true, "Processamento de NFe OK!"},
    CasoDespacho{"Nota400Rejeitada", "NFE4.00", kCamposNota, false, false, "Rejeição 539: Duplicidade de NF-e", "ProcessaNFeAzure()", false, "Rejeição 539: Duplicidade de NF-e"},
    CasoDespacho{"DanfeImpresso", "IMPRIMIR DANFE", kCamposDanfe, true, false, "", "ImprimirNFE(CH|PR|5/12/2026)", true, "Impressão de DANFE OK!"},
    CasoDespacho{"DanfeNaoImpresso", "IMPRIMIR DANFE", kCamposDanfe, false, false, "", "ImprimirNFE(CH|PR|5/12/2026)", false, "Não foi possível imprimir DANFE"},
    CasoDespacho{"CartaRegistrada", "CARTA CORRECAO", kCamposCarta, true, false, "", "CartaCorrecao(CH|2|Rua certa: Flores 120)", true, "Carta de Correção registrada!"},
    CasoDespacho{"CartaNaoRegistrada", "CARTA CORRECAO", kCamposCarta, false, false, "", "CartaCorrecao(CH|2|Rua certa: Flores 120)", false, "Carta de Correção não registrada!"},
    CasoDespacho{"EmailEnviado", "ENVIA EMAIL", {}, true, false, "", "EnviaEmailNFe()", true, "NFe enviada por Email!"},
    CasoDespacho{"EmailNaoEnviado", "ENVIA EMAIL", {}, false, false, "", "EnviaEmailNFe()", false, "Não foi possível enviar NFe por Email"},
    CasoDespacho{"ContadorEnviado", "ENVIA NFE EMAIL CONT", {}, true, false, "", "EnviaEmailContador()", true, "NFsE enviada por Email!"},
    CasoDespacho{"ContadorNaoEnviado", "ENVIA NFE EMAIL CONT", {}, false, false, "", "EnviaEmailContador()", false, "Não foi possível enviar NFsE por Email"},
    CasoDespacho{"Inutilizada", "INUTILIZA NFE", kCamposInutilizacao, true, false, "Inutilização de número homologado", "InutilizaNFe(24|77|77|JU)", true, "Inutilização de número homologado"},
    CasoDespacho{"NaoInutilizada", "INUTILIZA NFE", kCamposInutilizacao, false, false, "Rejeição: 241", "InutilizaNFe(24|77|77|JU)", false, "Rejeição: 241"}};

INSTANTIATE_TEST_SUITE_P(Comandos, Despacho, ::testing::ValuesIn(kCasosDespacho),
                         [](const ::testing::TestParamInfo<CasoDespacho>& i) { return std::string(i.param.nome); });

TEST_F(Ciclo, PreparoDaNotaPassaSerieNumeroEData) {
  Inclui("NFE3.10", {"112-000 - 2", "111-000 - 4567", "114-000 - 05/12/2026 08:00:00"});
  a.atual.EmissaoConcluida = true;
  a.atual.ObservacaoEmissao = "da anterior";
  m.efeito = [&] {
    EXPECT_EQ(a.atual.SerieAtual, "2");
    EXPECT_EQ(a.atual.NumeroAtual, 4567);
    EXPECT_EQ(a.atual.DataEmissaoAtual, DataHora::De(2026, 12, 5));
    EXPECT_FALSE(a.atual.EmissaoConcluida);
    EXPECT_EQ(a.atual.ObservacaoEmissao, "");
  };
  g.Tique();
  EXPECT_EQ(m.chamadas.size(), 1u);
}

// The command chooses the layout the generation sees: "NFE4.00" always
// 4.00; "NFE3.10" leaves it to the registry, even after a 4.00 request.
TEST_F(Ciclo, ComandoEscolheOLeiaute) {
  Inclui("NFE4.00", {"112-000 - 2", "111-000 - 1", "114-000 - 05/12/2026 08:00:00"});
  Inclui("NFE3.10", {"112-000 - 2", "111-000 - 2", "114-000 - 05/12/2026 08:00:00"});
  std::vector<std::string> leiautes;
  m.efeito = [&] { leiautes.push_back(a.atual.LeiauteNFe); };
  Tiques(2);
  EXPECT_EQ(leiautes, (std::vector<std::string>{"4.00", ""}));
}

// The row a cancellation updates is the request's own: its company and
// series, never those the request before left.
TEST_F(Ciclo, CancelamentoUsaEmpresaESerieDaPropriaSolicitacao) {
  a.atual.SerieAtual = "9";
  a.atual.CodigoEmpresa = 9;
  Inclui("CANCELAR NFE", {"040-000 - 3", "112-000 - 2", "111-000 - 5"});
  Inclui("CANCELAR NFE", {"111-000 - 6"});
  std::vector<std::pair<int16_t, std::string>> vistos;
  m.efeito = [&] { vistos.emplace_back(a.atual.CodigoEmpresa, a.atual.SerieAtual); };
  Tiques(2);
  EXPECT_EQ(vistos, (std::vector<std::pair<int16_t, std::string>>{{3, "2"}, {0, ""}}));
}

// --- Requests that cannot be prepared ---------------------------------------

struct CasoPreparo {
  const char* nome;
  const char* comando;
  std::vector<std::string> campos;
  const char* mensagem;
  friend void PrintTo(const CasoPreparo& c, std::ostream* os) { *os << c.nome; }
};

class Preparo : public Ciclo, public ::testing::WithParamInterface<CasoPreparo> {};

TEST_P(Preparo, CampoQueNaoConverteCancelaSemChamarOManipulador) {
  const int32_t nsu = Inclui(GetParam().comando, GetParam().campos);
  g.Tique();
  EXPECT_TRUE(m.chamadas.empty());
  EXPECT_EQ(Estado(nsu), "A-C " + std::string(GetParam().mensagem));
  // Polling goes on: the next request is served.
  const int32_t proxima = Inclui("STATUS SERVICO");
  g.Tique();
  EXPECT_TRUE(Respondida(proxima));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Preparo,
    ::testing::Values(
        CasoPreparo{"NotaSemNumero", "NFE3.10", {"114-000 - 05/12/2026"}, "Número da NF inválido (111-000)"},
        CasoPreparo{"NotaNumeroComLetras", "NFE3.10", {"111-000 - 12A", "114-000 - 05/12/2026"}, "Número da NF inválido (111-000)"},
        CasoPreparo{"NotaSemDataDeSaida", "NFE3.10", {"111-000 - 12"}, "Data de saída inválida (114-000)"},
        CasoPreparo{"NotaDataImpossivel", "NFE3.10", {"111-000 - 12", "114-000 - 31/02/2026"}, "Data de saída inválida (114-000)"},
        CasoPreparo{"DanfeSemData", "IMPRIMIR DANFE", {}, "Data de emissão inválida (110-000)"},
        CasoPreparo{"InutilizacaoSemEmissao", "INUTILIZA NFE", {"111-000 - 5", "114-000 - 05/12/2026"}, "Data de emissão inválida (110-000)"},
        CasoPreparo{"InutilizacaoNumeroVazio", "INUTILIZA NFE", {"111-000 - ", "114-000 - 05/12/2026", "110-000 - 05/12/2026"}, "Número da NF inválido (111-000)"}),
    [](const ::testing::TestParamInfo<CasoPreparo>& i) { return std::string(i.param.nome); });

// --- Requests that get no answer ---------------------------------------------

TEST_F(Ciclo, AtvFicaSoComAHoraDeAnalise) {
  const int32_t nsu = Inclui("ATV");
  g.Tique();
  EXPECT_TRUE(m.chamadas.empty());
  EXPECT_EQ(Estado(nsu), "A-- ");
  EXPECT_EQ(a.ui.Status(), "Gerenciador Padrão NFe Está Ativado !");
  EXPECT_TRUE(a.NaLista("***** Início de Solicitação ***** - 1"));
  EXPECT_TRUE(a.NaLista("      Registro defido para análise em: " + FormataHora(Valor(Linha(nsu).analise))));
}

// --- Requests the Host cannot accept: answered with the reason ------------------

struct CasoRecusa {
  const char* nome;
  std::string texto;
  const char* mensagem;   // the row's Mensagem: the reason, cut to 50 characters
  const char* motivo;     // the reason in the log, whole
  const char* rotulo;     // the parser's label, which the answer leaves
  friend void PrintTo(const CasoRecusa& c, std::ostream* os) { *os << c.nome; }
};

class Recusa : public Ciclo, public ::testing::WithParamInterface<CasoRecusa> {};

TEST_P(Recusa, CanceladaComOMotivoEAFilaSegue) {
  const auto& c = GetParam();
  Inclui("ATV");   // leaves control number 1 for the requests without one
  g.Tique();
  const int32_t nsu = fila.Inclui(c.texto);
  const int32_t seguinte = Inclui("STATUS SERVICO");
  g.Tique();
  EXPECT_EQ(Estado(nsu), "A-C " + std::string(c.mensagem));
  EXPECT_TRUE(a.NaLista(std::string("      Solicitação recusada: ") + c.motivo));
  EXPECT_TRUE(a.NaLista("      Cancelado pelo Host: " + FormataHora(Valor(Linha(nsu).cancelamentoHost))));
  EXPECT_TRUE(m.chamadas.empty());
  EXPECT_EQ(a.ui.Status(), c.rotulo);
  g.Tique();
  EXPECT_TRUE(Respondida(seguinte));
}

// Each reason's text is the parser's table (analisador_solicitacao_test).
INSTANTIATE_TEST_SUITE_P(
    Casos, Recusa,
    ::testing::Values(
        CasoRecusa{"ComandoDesconhecido", Solicitacao({"000-000 - IMPRIMIR NFCE", "001-000 - 1", "999-999 - "}),
                   "Comando Desconhecido.  ->IMPRIMIR NFCE<-", "Comando Desconhecido.  ->IMPRIMIR NFCE<-",
                   "Comando Desconhecido.  ->IMPRIMIR NFCE<-"},
        CasoRecusa{"SemNumeroDeControle", Solicitacao({"000-000 - STATUS SERVICO", "999-999 - "}),
                   "Número de Controle de Solicitacao está diferente!", "Número de Controle de Solicitacao está diferente!",
                   "Número de Controle de Solicitacao está diferente!"},
        CasoRecusa{"AtvComLinhaCurta", Pedido("ATV", {"111-000"}), "Campo 111-000 inválido: Linha curta demais para co",
                   "Campo 111-000 inválido: Linha curta demais para conter um valor: 111-000", "Processando... Comando: ATV"}),
    [](const ::testing::TestParamInfo<CasoRecusa>& i) { return std::string(i.param.nome); });

// A row the Host cannot address by a 32-bit NSU above 0 would be the oldest
// open row for ever: each is cancelled at once, and the queue goes on.
TEST_F(Ciclo, NsuZeroOuNegativoCanceladoEAFilaSegue) {
  fila.linhas[-3] = teste::LinhaFalsa{Pedido("STATUS SERVICO"), "10.0.0.5", {}, {}, {}, {}};
  fila.linhas[0] = teste::LinhaFalsa{Pedido("STATUS SERVICO"), "10.0.0.5", {}, {}, {}, {}};
  const int32_t valida = Inclui("STATUS SERVICO");
  g.Tique();
  EXPECT_EQ(Estado(-3), "A-C NSU -3 inválido: use de 1 a 2147483647");
  EXPECT_TRUE(a.NaLista("***** Início de Solicitação ***** - -3"));
  EXPECT_TRUE(a.NaLista("      Solicitação recusada: NSU -3 inválido: use de 1 a 2147483647"));
  g.Tique();
  EXPECT_EQ(Linha(0).mensagem, "NSU 0 inválido: use de 1 a 2147483647");
  EXPECT_FALSE(Respondida(valida));
  g.Tique();
  EXPECT_TRUE(Respondida(valida));
  EXPECT_EQ(m.chamadas, std::vector<std::string>{"TestaServidores()"});
}

TEST_F(Ciclo, SolicitacaoQueSumiuEAnotadaNoLog) {
  a.atual.NSUAtual = 99;
  EXPECT_FALSE(AbreArquivoSolicitacao(a.ctx, g.Janela()));
  EXPECT_TRUE(a.NaLista("  ** Solicitacao de Função NFe inexistente! - NSU=99"));
}

// --- Errors around the handlers ---------------------------------------------

// A handler's error cancels with the failure text of the table; the
// emission's with the error's own description.
TEST_F(Ciclo, ErroQueEscapaDoManipuladorCancela) {
  const int32_t cancelar = Inclui("CANCELAR NFE", {"111-000 - 5"});
  const int32_t nota = Inclui("NFE3.10", {"111-000 - 5", "114-000 - 05/12/2026"});
  a.atual.MensagemRetorno = "da solicitação anterior";
  m.erro = "Componente sem resposta";
  Tiques(2);
  EXPECT_EQ(Estado(cancelar), "A-C NFe não foi cancelada!");
  EXPECT_EQ(Estado(nota), "A-C Componente sem resposta");
  EXPECT_TRUE(a.NaLista("     ** Erro na Rotina: CancelaNFe - Componente sem resposta"));
  EXPECT_TRUE(a.NaLista("     ** Erro na Rotina: ProcessaNFeAzure - Componente sem resposta"));
}

TEST_F(Ciclo, CarimboDeRespostaRecusadoTerminaOTique) {
  const int32_t nsu = Inclui("STATUS SERVICO");
  fila.recusaResposta = true;
  g.Tique();
  EXPECT_FALSE(Respondida(nsu));
  EXPECT_TRUE(a.NaLista(" ** Erro: Não foi possível definir Hora de Aprovação da Solicitacao."));
  m.resultado = false;
  Inclui("STATUS SERVICO");
  g.Tique();
  EXPECT_TRUE(a.NaLista(" ** Erro: Não foi possível definir Hora de Cancelamento da Solicitacao."));
}

TEST_F(Ciclo, PosseRecusadaNaoLeASolicitacao) {
  const int32_t nsu = Inclui("STATUS SERVICO");
  fila.recusaAnalise = true;
  g.Tique();
  EXPECT_TRUE(a.NaLista(" ** Erro: Não foi possível definir Hora de Análise!"));
  EXPECT_TRUE(m.chamadas.empty());
  EXPECT_FALSE(Respondida(nsu));
  EXPECT_NE(a.ui.Status(), "Verificando Solicitação...");
}

TEST_F(Ciclo, BancoForaDoArEAnotadoUmaVezEOCicloContinua) {
  fila.falhaBusca = true;
  Tiques(3);
  int linhas = 0;
  for (const auto& e : a.ui.Eventos()) linhas += e == "     ** Erro na Rotina: LocalizarAnalise - database is locked";
  EXPECT_EQ(linhas, 1);
  EXPECT_EQ(a.atual.NSUAtual, 0);
  fila.falhaBusca = false;
  const int32_t nsu = Inclui("STATUS SERVICO");
  g.Tique();
  EXPECT_TRUE(Respondida(nsu));
}

// While the connection is down the tick reopens it and searches nothing; the
// label shows the failure's first line, the log all of it, escaped. (The label and the start and end
// lines of the outage are gerente_reconexao.sh's.)
TEST_F(Ciclo, BancoIndisponivelNaoBuscaEVoltaAoAguardo) {
  conexao.ativa = false;
  conexao.Motivo("Banco de dados POSTGRESQL: nenhuma conexão aberta: Connection refused\n\tIs the server running?");
  const int32_t nsu = Inclui("STATUS SERVICO");
  Tiques(25);
  EXPECT_EQ(fila.buscas, 0);
  EXPECT_EQ(conexao.verificacoes, 25);
  EXPECT_FALSE(Respondida(nsu));
  EXPECT_TRUE(a.ui.Status().ends_with("aberta: Connection refused")) << a.ui.Status();   // its first line only
  EXPECT_NE(a.ArquivoLog().find(" ** Erro: Banco de dados indisponível: Banco de dados POSTGRESQL: nenhuma conexão "
                                "aberta: Connection refused\\n\\tIs the server running?\r\n"),
            std::string::npos);
  conexao.ativa = true;
  g.Tique();
  EXPECT_TRUE(Respondida(nsu));
  Tiques(20);
  EXPECT_EQ(a.ui.Status(), "Ativo: Aguardando Solicitação...");
}

// An answer the database did not take is written again on the following
// ticks, before any new request is claimed; the failure is logged once.
TEST_F(Ciclo, RespostaNaoGravadaERepetidaAteGravar) {
  const int32_t primeira = Inclui("STATUS SERVICO");
  const int32_t segunda = Inclui("STATUS SERVICO");
  fila.falhasResposta = 3;
  Tiques(3);
  EXPECT_EQ(Estado(primeira) + Estado(segunda), "A-- --- ");
  EXPECT_EQ(a.ui.Status(), "Resposta do NSU 1 não gravada: nova tentativa a cada segundo");
  g.Tique();
  EXPECT_EQ(Estado(primeira), "AP- Serviço de NFe Disponível");
  int falhas = 0;
  for (const auto& e : a.ui.Eventos()) falhas += e.find("disk I/O error") != std::string::npos;
  EXPECT_EQ(falhas, 1);
  EXPECT_TRUE(a.NaLista("     ** Erro na Rotina: DefineHoraAprovacaoHost - disk I/O error - resposta do NSU 1 "
                        "pendente, gravada assim que o banco permitir"));
  EXPECT_TRUE(a.NaLista("      Resposta pendente do NSU 1 gravada"));
  EXPECT_TRUE(a.NaLista("      Aprovado pelo Host: " + FormataHora(Valor(Linha(primeira).aprovacao))));
  EXPECT_FALSE(a.NaLista(" ** Erro: Não foi possível definir Hora de Aprovação da Solicitacao."));
  g.Tique();
  EXPECT_TRUE(Respondida(segunda));
  EXPECT_EQ(m.chamadas.size(), 2u);
}

// The write reached the row but its reply was lost: the repeated stamp finds
// the row answered and counts it as written.
TEST_F(Ciclo, RespostaQueChegouAntesDoErroNaoEDadaComoPerdida) {
  const int32_t nsu = Inclui("STATUS SERVICO");
  m.resultado = false;
  fila.falhasResposta = 1;
  fila.gravaAntesDeFalhar = true;
  Tiques(2);
  EXPECT_EQ(Linha(nsu).mensagem, "Serviço de NFe Indisponível");
  EXPECT_TRUE(a.NaLista("      Resposta pendente do NSU 1 gravada"));
  EXPECT_FALSE(a.NaLista(" ** Erro: Não foi possível definir Hora de Cancelamento da Solicitacao."));
}

TEST_F(Ciclo, DescargaComRespostaPendenteDizQualFicou) {
  Inclui("STATUS SERVICO");
  fila.falhasResposta = 100;
  g.Tique();
  g.Descarrega();
  EXPECT_TRUE(a.NaLista(" ** Erro: Host encerrado com respostas não gravadas: NSU 1"));
}

// --- One request at a time, in order ------------------------------------------

TEST_F(Ciclo, UmaSolicitacaoPorTiqueNaOrdemDoNsu) {
  const int32_t primeira = Inclui("STATUS SERVICO");
  const int32_t segunda = Inclui("STATUS SERVICO");
  const int32_t outroIP = fila.Inclui(Solicitacao({"000-000 - STATUS SERVICO", "001-000 - 1", "999-999 - "}), "10.0.0.6");
  g.Tique();
  EXPECT_TRUE(Respondida(primeira));
  EXPECT_FALSE(Respondida(segunda));
  Tiques(2);
  EXPECT_TRUE(Respondida(segunda));
  EXPECT_TRUE(Linha(outroIP).analise.Zero());
}

TEST_F(Ciclo, TiqueDuranteUmaSolicitacaoNaoFazNada) {
  const int32_t primeira = Inclui("STATUS SERVICO");
  const int32_t segunda = Inclui("STATUS SERVICO");
  m.efeito = [&] {
    EXPECT_TRUE(g.Ocupado());
    const int buscas = fila.buscas;
    g.Tique();   // the timer firing from inside the handler's message processing
    EXPECT_EQ(fila.buscas, buscas);
  };
  g.Tique();
  EXPECT_TRUE(Respondida(primeira));
  EXPECT_TRUE(Linha(segunda).analise.Zero());
  EXPECT_FALSE(g.Ocupado());
}

// --- The status label and the tick counter ------------------------------------

// The label goes back to waiting on the 20th tick after a request; a tick
// that ends early still counts, and the counter stops at its 16-bit limit.
TEST_F(Ciclo, VinteTiquesDepoisORotuloVoltaAoAguardo) {
  Inclui("ATV");
  Tiques(19);
  EXPECT_EQ(a.ui.Status(), "Gerenciador Padrão NFe Está Ativado !");
  g.Tique();
  EXPECT_EQ(a.ui.Status(), "Ativo: Aguardando Solicitação...");
  EXPECT_EQ(g.Janela().ContadorCiclos, 0);

  a.ui.DefinirStatus("outro");
  g.Janela().ContadorCiclos = 19;
  fila.recusaAnalise = true;
  Inclui("ATV");
  Tiques(2);   // 20 and 21, each ending early
  EXPECT_EQ(g.Janela().ContadorCiclos, 21);
  fila.linhas.clear();
  g.Tique();
  EXPECT_EQ(g.Janela().ContadorCiclos, 0);
  EXPECT_EQ(a.ui.Status(), "Ativo: Aguardando Solicitação...");

  g.Janela().ContadorCiclos = 32767;
  fila.falhaBusca = true;
  g.Tique();
  EXPECT_EQ(g.Janela().ContadorCiclos, 32767);
}

// --- Helpers --------------------------------------------------------------------

TEST(FormataHora, SoDatasEHorasValidas) {
  const std::pair<Valor, const char*> casos[] = {{Valor(DataHora::Hora(9, 5, 7)), "09:05:07"},
                                                 {Valor(DataHora::De(2026, 12, 5, 23, 59, 1)), "23:59:01"},
                                                 {Valor("13:45:07"), "13:45:07"},
                                                 {Valor("nada"), ""},
                                                 {Valor(""), ""}};
  for (const auto& [valor, esperado] : casos) EXPECT_EQ(FormataHora(valor), esperado) << esperado;
}

TEST(AguardaSegundos, VoltaQuandoPassamAsFronteirasDeSegundo) {
  AmbienteTeste a;
  a.relogio.agora = DataHora::De(2026, 12, 5, 9, 5, 7);
  a.relogio.passoSegundos = 0.25;
  AguardaSegundos(a.ctx, 2);
  const int64_t passados = DiferencaSegundos(DataHora::De(2026, 12, 5, 9, 5, 7), a.relogio.agora);
  EXPECT_GE(passados, 2);
  EXPECT_LE(passados, 3);
}

TEST(AguardaSegundos, RelogioAtrasadoNaoPrendeAEspera) {
  AmbienteTeste a;
  a.relogio.passoSegundos = -60;   // the wall clock runs backwards
  const auto inicio = std::chrono::steady_clock::now();
  AguardaSegundos(a.ctx, 1);
  EXPECT_LT(std::chrono::steady_clock::now() - inicio, std::chrono::seconds(3));
}

// A handler whose failure has a fixed answer text may name a cause of the
// Host's own instead (MotivoFalha): it becomes the row's message on failure
// only, and never outlives its request.
class MotivoDaFalha : public Ciclo {
 protected:
  // The row's message after the handler returned `resultado`, leaving `motivo`.
  std::string Mensagem(const char* comando, bool resultado, const std::string& motivo) {
    const int32_t nsu = Inclui(comando);
    m.resultado = resultado;
    m.efeito = [this, motivo] { a.atual.MotivoFalha = motivo; };
    g.Tique();
    return Linha(nsu).mensagem;
  }
};

TEST_F(MotivoDaFalha, SubstituiOTextoFixoSoNaFalha) {
  const struct { const char* comando; bool resultado; const char* motivo, *mensagem; } casos[] = {
      {"ENVIA NFE EMAIL CONT", false, "Anexo recusado: pasta do Host", "Anexo recusado: pasta do Host"},
      {"ENVIA EMAIL", false, "Email não enviado ao contador (PDF)", "Email não enviado ao contador (PDF)"},
      {"STATUS SERVICO", false, "Certificado: senha incorreta", "Certificado: senha incorreta"},
      {"ENVIA EMAIL", false, "", "Não foi possível enviar NFe por Email"},
      {"STATUS SERVICO", false, "", "Serviço de NFe Indisponível"},
      {"ENVIA EMAIL", true, "sobra de uma rotina", "NFe enviada por Email!"},
  };
  for (const auto& c : casos) EXPECT_EQ(Mensagem(c.comando, c.resultado, c.motivo), c.mensagem) << c.comando;
}

TEST_F(MotivoDaFalha, NaoPassaParaASolicitacaoSeguinte) {
  Mensagem("ENVIA NFE EMAIL CONT", false, "Anexo recusado: fora da pasta base");
  const int32_t nsu = Inclui("STATUS SERVICO");
  m.resultado = false;
  m.efeito = nullptr;
  g.Tique();
  EXPECT_EQ(Linha(nsu).mensagem, "Serviço de NFe Indisponível");
}

}  // namespace
}  // namespace velant
