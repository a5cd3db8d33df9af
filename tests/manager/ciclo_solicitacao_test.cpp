#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "base/texto.h"
#include "data/conexao_nfe.h"
#include "manager/analisador_solicitacao.h"
#include "manager/gerenciador_nfe.h"
#include "ambiente_teste.h"

namespace velant {
namespace {

using teste::Pedido;

// An in-memory request queue behind the request record's interface, with
// switches to make each database call fail.
class ConexaoFalsa : public data::CConexaoNfe {
 public:
  explicit ConexaoFalsa(InterfaceOperador& ui) : data::CConexaoNfe(ui) {}
  bool ConexaoAtiva() override { return ++verificacoes, ativa; }
  const std::string& MotivoFalha() const override { return motivo; }
  bool ativa = true;   // false: the database is down
  int verificacoes = 0;
  std::string motivo;
};

struct LinhaFalsa {
  std::string texto, mensagem;
  DataHora analise, aprovacao, cancelamentoHost;
  bool Respondida() const { return !aprovacao.Zero() || !cancelamentoHost.Zero(); }
};

class FilaFalsa : public data::cSolicitacaoFuncaoNFe {
 public:
  using data::cSolicitacaoFuncaoNFe::cSolicitacaoFuncaoNFe;

  std::map<int32_t, LinhaFalsa> linhas;
  bool falhaBusca = false;          // LocalizarAnalise raises
  bool recusaAnalise = false;       // DefineHoraAnalise returns false
  bool recusaResposta = false;      // the answer stamps return false
  int falhasResposta = 0;           // the next answer stamps raise a database error
  bool gravaAntesDeFalhar = false;  // ... after writing the row (the reply was lost)
  int buscas = 0;

  int32_t Inclui(const std::string& texto) {
    const int32_t nsu = linhas.empty() ? 1 : linhas.rbegin()->first + 1;
    linhas[nsu].texto = texto;
    return nsu;
  }
  // Rows with an NSU of 0 or less come first, as in the table.
  int32_t LocalizarAnalise(const std::string&) override {
    ++buscas;
    mNSUInvalido.reset();
    if (falhaBusca) throw ErroExecucao(CodigoErro::ErroBanco, "database is locked");
    for (auto& [nsu, l] : linhas) {
      if (!l.analise.Zero() || l.Respondida()) continue;
      if (nsu <= 0) mNSUInvalido = nsu;
      return std::max(nsu, 0);
    }
    return 0;
  }
  bool LocalizarCodigo(int32_t pNSU) override {
    if (!linhas.contains(pNSU)) return false;
    const LinhaFalsa& l = linhas[pNSU];
    mNSU = pNSU, mTexto = l.texto, mMensagem = l.mensagem;
    mHoraAnalise = l.analise, mHoraAprovacao = l.aprovacao, mHoraCancelamentoHost = l.cancelamentoHost;
    return true;
  }
  bool RecusaNSUInvalido(int64_t pNSU, DataHora pHora, const std::string& pMensagem) override {
    const int32_t nsu = static_cast<int32_t>(pNSU);
    return Carimba(nsu, &LinhaFalsa::analise, pHora, std::nullopt) && Carimba(nsu, &LinhaFalsa::cancelamentoHost, pHora, Left(pMensagem, 50));
  }
  bool DefineMensagem(int32_t pNSU, const std::string& pMensagem) override {
    return linhas.contains(pNSU) && (linhas[pNSU].mensagem = pMensagem, true);
  }
  bool DefineHoraAnalise(int32_t pNSU, DataHora pHora) override {
    if (recusaAnalise || !Carimba(pNSU, &LinhaFalsa::analise, pHora, std::nullopt)) return false;
    mHoraAnalise = pHora;
    return true;
  }
  bool DefineHoraAprovacaoHost(int32_t pNSU, DataHora pHora, const std::string& pMensagem) override {
    return Responde(pNSU, &LinhaFalsa::aprovacao, pHora, pMensagem);
  }
  bool DefineHoraCancelamentoHost(int32_t pNSU, DataHora pHora, const std::string& pMensagem) override {
    return Responde(pNSU, &LinhaFalsa::cancelamentoHost, pHora, Left(pMensagem, 50));
  }

 private:
  bool Responde(int32_t nsu, DataHora LinhaFalsa::*campo, DataHora hora, const std::string& mensagem) {
    if (falhasResposta > 0) {
      --falhasResposta;
      if (gravaAntesDeFalhar) Carimba(nsu, campo, hora, mensagem);
      throw ErroExecucao(CodigoErro::ErroBanco, "disk I/O error");
    }
    // A row is answered once, approved or cancelled, as the guarded UPDATE allows.
    auto it = linhas.find(nsu);
    return it != linhas.end() && !it->second.Respondida() && !recusaResposta && Carimba(nsu, campo, hora, mensagem);
  }
  // A stamp is written once; a second one is refused like the conditional UPDATE refuses it.
  bool Carimba(int32_t nsu, DataHora LinhaFalsa::*campo, DataHora hora, std::optional<std::string> mensagem) {
    auto it = linhas.find(nsu);
    if (it == linhas.end() || !(it->second.*campo).Zero()) return false;
    it->second.*campo = hora;
    if (mensagem) it->second.mensagem = *mensagem;
    return true;
  }
};

// A Host on the in-memory queue, with handlers that record their calls.
struct HostFalso {
  HostFalso() {
    // Every reading of the clock moves it half a second: the one-second wait ends.
    a.relogio.passoSegundos = 0.5;
    a.ctx.ConexaoBanco = &conexao;
    a.ctx.Solicitacao = &fila;
  }
  int32_t Inclui(const std::string& comando, const std::vector<std::string>& campos = {}) { return fila.Inclui(Pedido(comando, campos)); }
  const LinhaFalsa& Linha(int32_t nsu) { return fila.linhas.at(nsu); }
  bool Respondida(int32_t nsu) { return Linha(nsu).Respondida(); }
  // The row's stamps (A: analysis, P: approval, C: Host cancellation) and message, e.g. "A-C NFe não foi cancelada!".
  std::string Estado(int32_t nsu) {
    const auto& l = Linha(nsu);
    return std::string(l.analise.Zero() ? "-" : "A") + (l.aprovacao.Zero() ? "-" : "P") +
           (l.cancelamentoHost.Zero() ? "-" : "C") + " " + l.mensagem;
  }
  void Tiques(int n) { while (n-- > 0) g.Tique(); }
  int Vezes(const std::string& linha) { return static_cast<int>(std::ranges::count(a.ui.Eventos(), linha)); }

  teste::AmbienteTeste a;
  ConexaoFalsa conexao{a.ui};
  FilaFalsa fila{conexao, a.host, a.ui};
  teste::ManipuladoresTeste m;
  GerenciadorNFe g{a.ctx, a.host, m};
};

class Ciclo : public ::testing::Test, public HostFalso {};

// Each row of ciclo_solicitacao.tsv, on a Host of its own; the request after it is served too.
TEST(Despacho, ChamaOManipuladorERespondeComAMensagemDaTabela) {
  for (const auto& c : teste::LerCasosTsv("manager/ciclo_solicitacao.tsv")) {
    SCOPED_TRACE(c.at("nome"));
    HostFalso h;
    const int32_t nsu = h.fila.Inclui("000-000 - " + c.at("comando") + "\r\n001-000 - 1\r\n" + c.at("campos") + "999-999 - \r\n");
    h.m.resultado = c.at("resultado") == "1";
    if (!c.at("erro").empty()) h.m.erro = c.at("erro");
    h.m.efeito = [&] {
      h.a.atual.NFeProcessada = c.at("processada") == "1";
      h.a.atual.MensagemRetorno = c.at("mensagemRetorno");
      h.a.atual.MotivoFalha = c.at("motivoFalha");
    };
    h.g.Tique();
    const std::string chamada = h.m.chamadas.empty() ? "" : h.m.chamadas.front();
    EXPECT_EQ(std::to_string(h.m.chamadas.size()) + " " + chamada + " " + h.Estado(nsu),
              (c.at("chamada").empty() ? "0  " : "1 " + c.at("chamada") + " ") + c.at("resposta"));
    EXPECT_EQ(h.a.atual.ComandoEmExecucao, c.at("chamada").empty() ? h.a.atual.ComandoEmExecucao : c.at("comando"));
    const auto& l = h.Linha(nsu);
    const bool aprovada = !l.aprovacao.Zero();
    EXPECT_EQ(h.Vezes((aprovada ? "      Aprovado pelo Host: " : "      Cancelado pelo Host: ") +
                      FormataHora(Valor(aprovada ? l.aprovacao : l.cancelamentoHost))), l.Respondida() ? 1 : 0);
    EXPECT_EQ(h.Vezes("     ** Erro na Rotina: " + chamada.substr(0, chamada.find('(')) + " - " + c.at("erro")), c.at("erro").empty() ? 0 : 1);
    // The motive and the handler's effects end with their request.
    h.m = teste::ManipuladoresTeste();
    h.m.resultado = false;
    const int32_t proxima = h.Inclui("STATUS SERVICO");
    h.g.Tique();
    EXPECT_EQ(h.Estado(proxima), "A-C Serviço de NFe Indisponível");
  }
}

// The command chooses the layout the generation sees: "NFE4.00" always
// 4.00; "NFE3.10" leaves it to the registry, even after a 4.00 request.
// A cancellation or a voided number updates the request's own row: its
// company and series, never those the request before left. An invoice
// starts with its number and date and nothing of the emission before it.
TEST_F(Ciclo, LeiauteEmpresaSerieENumeroSaoDaPropriaSolicitacao) {
  a.atual.SerieAtual = "9";
  a.atual.CodigoEmpresa = 9;
  Inclui("CANCELAR NFE", {"040-000 - 3", "112-000 - 2", "111-000 - 5"});
  Inclui("CANCELAR NFE", {"111-000 - 6"});
  Inclui("NFE4.00", {"112-000 - 2", "111-000 - 1", "114-000 - 05/12/2026 08:00:00"});
  Inclui("NFE3.10", {"112-000 - 2", "111-000 - 2", "114-000 - 05/12/2026 08:00:00"});
  Inclui("INUTILIZA NFE", {"112-000 - 4", "111-000 - 7", "110-000 - 05/12/2026", "114-000 - 05/12/2026"});
  std::string vistos;
  m.efeito = [&] {   // layout/company/series/number/date/emission done and its note, then left as an emission leaves them
    auto& e = a.atual;
    vistos += e.LeiauteNFe + "/" + std::to_string(e.CodigoEmpresa) + "/" + e.SerieAtual + "/" + std::to_string(e.NumeroAtual) + "/" +
              std::to_string(e.DataEmissaoAtual == DataHora::De(2026, 12, 5)) + std::to_string(e.EmissaoConcluida) + e.ObservacaoEmissao + " ";
    e.NumeroAtual = 0, e.DataEmissaoAtual = DataHora(), e.EmissaoConcluida = true, e.ObservacaoEmissao = "x";
  };
  Tiques(5);
  EXPECT_EQ(vistos, "/3/2/0/00 /0//0/01x 4.00/0/2/1/10 /0/2/2/10 /0/4/7/11x ");
}

// A row the Host cannot address by a 32-bit NSU above 0 would be the oldest
// open row for ever: each is cancelled at once, and the queue goes on.
TEST_F(Ciclo, NsuZeroOuNegativoCanceladoEAFilaSegue) {
  fila.linhas[-3].texto = fila.linhas[0].texto = Pedido("STATUS SERVICO");
  const int32_t valida = Inclui("STATUS SERVICO");
  g.Tique();
  EXPECT_EQ(Estado(-3) + "|" + std::to_string(Vezes("***** Início de Solicitação ***** - -3")) +
                std::to_string(Vezes("      Solicitação recusada: NSU -3 inválido: use de 1 a 2147483647")),
            "A-C NSU -3 inválido: use de 1 a 2147483647|11");
  g.Tique();
  EXPECT_EQ(Linha(0).mensagem + "|" + std::to_string(Respondida(valida)), "NSU 0 inválido: use de 1 a 2147483647|0");
  g.Tique();
  EXPECT_EQ(std::to_string(Respondida(valida)) + m.chamadas.at(0) + std::to_string(m.chamadas.size()), "1TestaServidores()1");
}

TEST_F(Ciclo, SolicitacaoQueSumiuEAnotadaNoLog) {
  a.atual.NSUAtual = 99;
  EXPECT_FALSE(AbreArquivoSolicitacao(a.ctx, g.Janela()));
  EXPECT_TRUE(a.NaLista("  ** Solicitacao de Função NFe inexistente! - NSU=99"));
}

TEST_F(Ciclo, CarimboRecusadoTerminaOTique) {
  const int32_t nsu = Inclui("STATUS SERVICO");
  fila.recusaAnalise = true;
  g.Tique();
  EXPECT_EQ(std::to_string(Vezes(" ** Erro: Não foi possível definir Hora de Análise!")) + std::to_string(m.chamadas.size()), "10");
  EXPECT_NE(a.ui.Status(), "Verificando Solicitação...");
  fila.recusaAnalise = false;
  fila.recusaResposta = true;
  g.Tique();
  EXPECT_EQ(std::to_string(Respondida(nsu)) + std::to_string(Vezes(" ** Erro: Não foi possível definir Hora de Aprovação da Solicitacao.")), "01");
  m.resultado = false;
  Inclui("STATUS SERVICO");
  g.Tique();
  EXPECT_TRUE(a.NaLista(" ** Erro: Não foi possível definir Hora de Cancelamento da Solicitacao."));
}

// A search that fails is logged once. While the connection is down the tick
// reopens it and searches nothing; the label shows the failure's first line,
// the log all of it, escaped. (The label and the start and end lines of the
// outage are gerente_reconexao.sh's.)
TEST_F(Ciclo, BancoForaDoArNaoBuscaEVoltaAoAguardo) {
  fila.falhaBusca = true;
  Tiques(3);
  EXPECT_EQ(std::to_string(Vezes("     ** Erro na Rotina: LocalizarAnalise - database is locked")) + "|" + std::to_string(a.atual.NSUAtual), "1|0");
  fila.falhaBusca = false;
  fila.buscas = conexao.verificacoes = 0;
  conexao.ativa = false;
  conexao.motivo = "Banco de dados POSTGRESQL: nenhuma conexão aberta: Connection refused\n\tIs the server running?";
  const int32_t nsu = Inclui("STATUS SERVICO");
  Tiques(25);
  EXPECT_EQ(std::to_string(fila.buscas) + "|" + std::to_string(conexao.verificacoes) + "|" + std::to_string(Respondida(nsu)), "0|25|0");
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
  EXPECT_EQ(std::ranges::count_if(a.ui.Eventos(), [](const std::string& e) { return e.find("disk I/O error") != e.npos; }), 1);
  for (const std::string& linha : {std::string("     ** Erro na Rotina: DefineHoraAprovacaoHost - disk I/O error - resposta do NSU 1 "
                                               "pendente, gravada assim que o banco permitir"),
                                   std::string("      Resposta pendente do NSU 1 gravada"),
                                   "      Aprovado pelo Host: " + FormataHora(Valor(Linha(primeira).aprovacao))})
    EXPECT_TRUE(a.NaLista(linha)) << linha;
  EXPECT_FALSE(a.NaLista(" ** Erro: Não foi possível definir Hora de Aprovação da Solicitacao."));
  g.Tique();
  EXPECT_EQ(std::to_string(Respondida(segunda)) + std::to_string(m.chamadas.size()), "12");
}

// The write reached the row but its reply was lost: the repeated stamp finds
// the row answered and counts it as written. An answer still pending when the
// Host unloads is named in the log.
TEST_F(Ciclo, RespostaQueChegouAntesDoErroNaoEDadaComoPerdida) {
  const int32_t nsu = Inclui("STATUS SERVICO");
  m.resultado = false;
  fila.falhasResposta = 1;
  fila.gravaAntesDeFalhar = true;
  Tiques(2);
  EXPECT_EQ(Linha(nsu).mensagem + "|" + std::to_string(Vezes("      Resposta pendente do NSU 1 gravada")) +
                std::to_string(Vezes(" ** Erro: Não foi possível definir Hora de Cancelamento da Solicitacao.")),
            "Serviço de NFe Indisponível|10");
  Inclui("STATUS SERVICO");
  fila.falhasResposta = 100;
  g.Tique();
  g.Descarrega();
  EXPECT_TRUE(a.NaLista(" ** Erro: Host encerrado com respostas não gravadas: NSU 2"));
}

// One request a tick; a tick while one is served (the timer firing inside
// the handler's message processing) does nothing.
TEST_F(Ciclo, UmaSolicitacaoPorTiqueEAninhadoNaoFazNada) {
  const int32_t primeira = Inclui("STATUS SERVICO"), segunda = Inclui("STATUS SERVICO");
  std::string dentro;
  m.efeito = [&] {
    const int buscas = fila.buscas;
    g.Tique();
    dentro += std::to_string(g.Ocupado()) + std::to_string(fila.buscas - buscas);
  };
  g.Tique();
  EXPECT_EQ(Estado(primeira).substr(0, 3) + Estado(segunda).substr(0, 3) + std::to_string(g.Ocupado()) + dentro, "AP----010");
}

// A worker's turn in sequence serves every open request, then returns once
// the queue is empty.
TEST_F(Ciclo, EmSequenciaAtendeAteAFilaEsvaziar) {
  a.host.AtenderEmSequencia = true;
  const int32_t primeira = Inclui("STATUS SERVICO"), segunda = Inclui("STATUS SERVICO");
  int perguntas = 0;
  g.AtendeFila([&] { return ++perguntas > 5; });
  EXPECT_EQ(std::to_string(Respondida(primeira)) + std::to_string(Respondida(segunda)) + std::to_string(perguntas), "112");
}

// The label goes back to waiting on the 20th tick after a request; a tick
// that ends early still counts, and the counter stops at its 16-bit limit.
TEST_F(Ciclo, VinteTiquesDepoisORotuloVoltaAoAguardo) {
  Inclui("ATV");
  Tiques(19);
  EXPECT_EQ(a.ui.Status(), "Gerenciador Padrão NFe Está Ativado !");
  g.Tique();
  EXPECT_EQ(a.ui.Status() + "|" + std::to_string(g.Janela().ContadorCiclos), "Ativo: Aguardando Solicitação...|0");
  a.ui.DefinirStatus("outro");
  g.Janela().ContadorCiclos = 19;
  fila.recusaAnalise = true;
  Inclui("ATV");
  Tiques(2);   // 20 and 21, each ending early
  EXPECT_EQ(g.Janela().ContadorCiclos, 21);
  fila.linhas.clear();
  g.Tique();
  EXPECT_EQ(a.ui.Status() + "|" + std::to_string(g.Janela().ContadorCiclos), "Ativo: Aguardando Solicitação...|0");
  g.Janela().ContadorCiclos = 32767;
  fila.falhaBusca = true;
  g.Tique();
  EXPECT_EQ(g.Janela().ContadorCiclos, 32767);
}

}  // namespace
}  // namespace velant
