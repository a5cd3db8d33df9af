#include "lifecycle/gerar_nfe.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "component/apoio_documento.h"
#include "lifecycle/apoio_emissao.h"
#include "component/fiscal_doc_service.h"
#include "component/xml/formatos_leiaute.h"
#include "component/xml/gerador_xml_nfe.h"
#include "component/operacoes_locais.h"
#include "content/preenche_vetores.h"
#include "data/conexao_nfe.h"
#include "data/configuracao_banco.h"
#include "data/conexao_driver.h"
#include "data/documentos_nfe.h"
#include "manager/ambiente_teste.h"
#include "manager/analisador_solicitacao.h"

namespace velant {
namespace {

// The component as the Host's would do the three local operations; the
// others are not reached by the generation.
class ComponenteLocal : public FiscalDocService {
 public:
  ComponenteLocal(Contexto& ctx, std::function<void()> depoisDeAssinar)
      : op_(ctx), depoisDeAssinar_(std::move(depoisDeAssinar)) {}
  std::string AssinaXml(const std::string& arquivo, const std::string& tag) override {
    std::string r = op_.AssinaXml(arquivo, tag);
    if (depoisDeAssinar_) depoisDeAssinar_();
    return r;
  }
  bool ValidaXml(const std::string& arquivo, const std::string& esquema, bool mostrar) override {
    return op_.ValidaXml(arquivo, esquema, mostrar);
  }
  std::string GeraChaveAcesso(const std::string& uf, const std::string& data, const std::string& cnpj, int32_t m,
                              int32_t s, int32_t n, int32_t t, int32_t c) override {
    return op_.GeraChaveAcesso(uf, data, cnpj, m, s, n, t, c);
  }
  [[noreturn]] static void Nao() { throw ErroExecucao(CodigoErro::ErroComponente, "não usado na geração"); }
  std::string GeraLote(const std::string&, int32_t) override { Nao(); }
  RespostaSituacao ConsultaSituacao(const std::string&) override { Nao(); }
  std::string ImprimeDanfe(const std::string&, const std::string&, int32_t, int32_t) override { Nao(); }
  RespostaLote EnviaLote(const std::string&) override { Nao(); }
  RespostaLote ConsultaLote(const std::string&) override { Nao(); }
  RespostaStatus StatusServico() override { Nao(); }
  RespostaRegistro InutilizaNumeracao(const std::string&, const std::string&, const std::string&,
                                 const std::string&) override { Nao(); }
  std::string GeraDistribuicao(const std::string&) override { Nao(); }
  bool EnviaEmail(const std::string&, const std::string&, const std::string&, const std::string&) override { Nao(); }
  RespostaRegistro EventoCancelamento(const std::string&, const std::string&, const std::string&, const std::string&,
                                 const std::string&) override { Nao(); }
  RespostaRegistro EventoCartaCorrecao(const std::string&, const std::string&, const std::string&) override { Nao(); }

 private:
  OperacoesLocais op_;
  std::function<void()> depoisDeAssinar_;
};

const std::string kChave = teste::ChaveNFe();
const std::string kGerado = "C:\\Dunmor\\nfe\\arquivos\\NFe" + kChave + ".xml";
const std::string kAssinado = "C:\\Dunmor\\nfe\\arquivos\\assinado\\NFe" + kChave + "-assinado.xml";

class Geracao : public ::testing::Test {
 protected:
  teste::AmbienteTeste a;
  std::unique_ptr<data::CConexaoNfe> conexao;
  GeradorXmlNFe gerador{a.caminhos, &a.registro};
  std::function<void()> depoisDeAssinar;
  std::vector<std::string> mensagens;

  Geracao() {
    Registro(true);
    data::GarantirConfiguracaoBanco(a.ini);
    conexao = std::make_unique<data::CConexaoNfe>(a.ini, a.caminhos, a.ui);
    a.ctx.ConexaoBanco = conexao.get();
    a.ctx.GeradorXml = &gerador;
    a.ctx.CriaFiscalDocService = [this] { return std::make_unique<ComponenteLocal>(a.ctx, depoisDeAssinar); };
    a.log.DefinirEscritorMensagem([this](const std::string& m) {
      mensagens.push_back(m);
      return true;
    });
  }
  ~Geracao() override { a.ctx.ConexaoBanco = nullptr; }

  void Registro(bool comCertificado, const std::string& mais = "") {
    std::string r = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n" + mais +
                    "\"Ambiente\"=\"2\"\r\n\"UnidadeFederada\"=\"SP\"\r\n\"UnidadeFederadaCodigo\"=\"35\"\r\n"
                    "\"CNPJ\"=\"11222333000181\"\r\n\"VerProc\"=\"VelantNFe\"\r\n\"TipoDanfe\"=\"1\"\r\n";
    if (comCertificado)
      r += "\"Certificado\"=\"" + (teste::PastaCertificados() / "emitente.pfx").string() +
           "\"\r\n\"SenhaCertificado\"=\"1234\"\r\n";
    teste::GravarTudo(a.registro.Arquivo(), r);
  }

  // The request parsed and the emission values set as the poll loop sets them.
  void Prepara(bool comItem = true) {
    ASSERT_TRUE(AnalisaTextoSolicitacao(a.ctx, a.janela, teste::SolicitacaoNFe(comItem)));
    a.atual.SerieAtual = "1";
    a.atual.NumeroAtual = 123;
    a.atual.DataEmissaoAtual = DataHora::De(2016, 1, 15);
    ParametrosEmissaoFila(a.ctx);
  }

  void Executa(const std::string& sql) { ASSERT_EQ(conexao->ExecutaSql(sql), 1) << sql; }

  // The date column as the driver gives it back, as yyyy-mm-dd.
  static std::string Dia(const std::string& texto) {
    auto d = leiaute::LerDataHora(texto);
    return d ? leiaute::Data(*d) : texto;
  }
  struct Linha {
    std::string chave;
    int64_t lote, recepcao, protocolo, etapa;
    std::string data;
  };
  std::vector<Linha> Linhas(const std::string& serie = "1") {
    auto rs = conexao->RsConexao(
        "SELECT [Numero da NFe], [Numero do Lote], [Numero da Recepcao], [Numero do Protocolo], "
        "[Etapa Concluida], Data FROM MovimentoNFe WHERE Empresa = 1 AND Serie = '" +
        Replace(serie, "'", "''") + "' AND Numero = 123");
    std::vector<Linha> r;
    for (; !rs->Eof(); rs->MoveNext()) {
      r.push_back({rs->Value(0).Texto(), CLngLng(rs->Value(1)), CLngLng(rs->Value(2)), CLngLng(rs->Value(3)),
                   CLngLng(rs->Value(4)), Dia(rs->Value(5).Texto())});
    }
    return r;
  }
  bool NoLog(const std::string& linha) { return a.ArquivoLog().find(linha + "\r\n") != std::string::npos; }
};

TEST_F(Geracao, PrimeiraEmissaoCriaUmaLinhaNaEtapaZero) {
  Prepara();
  ASSERT_TRUE(GerarNFE(a.ctx)) << a.ArquivoLog();
  auto linhas = Linhas();
  ASSERT_EQ(linhas.size(), 1u);
  EXPECT_EQ(linhas[0].chave, kChave);
  EXPECT_EQ(linhas[0].lote, 0);
  EXPECT_EQ(linhas[0].recepcao, 0);
  EXPECT_EQ(linhas[0].protocolo, 0);
  EXPECT_EQ(linhas[0].etapa, 0);
  EXPECT_EQ(linhas[0].data, "2016-01-15");
  EXPECT_EQ(a.atual.ChaveAcessoSolicitada, kChave);
  EXPECT_EQ(a.atual.ArquivoAtual, kAssinado);
  EXPECT_EQ(a.atual.MensagemRetorno, "");
  EXPECT_EQ(gerador.UltimoItem, 0);
  EXPECT_TRUE(a.caminhos.Existe(kGerado));
  std::string erro;
  const std::string assinado = teste::LerTudo(a.caminhos.Mapear(kAssinado));
  EXPECT_TRUE(VerificarAssinatura(assinado, &erro)) << erro;
  // The signed document is in the database with its row, byte for byte; no batch yet.
  auto documentos = data::LeDocumentos(*conexao, {1, "1", kChave});
  ASSERT_TRUE(documentos.has_value());
  EXPECT_EQ(documentos->assinado, assinado);
  EXPECT_EQ(documentos->lote, "");

  std::string log = a.ArquivoLog();
  const std::string esperadas[] = {"        Iniciando Geração da NFe: ",
                                   "        Chave de Acesso da NFe: NFe" + kChave,
                                   "        Arquivo gerado: " + kGerado,
                                   "        Arquivo assinado: C:\\Dunmor\\nfe\\Arquivos\\NFe" + kChave + ".xml",
                                   "        Validado=Verdadeiro: " + kAssinado,
                                   "        Arquivo Assinado/Validado"};
  size_t pos = 0;
  for (const auto& l : esperadas) {
    size_t achado = log.find(l + "\r\n", pos);
    ASSERT_NE(achado, std::string::npos) << l << "\n" << log;
    pos = achado;
  }
  // Only these reach the request's message, cut to 50 characters.
  ASSERT_EQ(mensagens.size(), 3u);
  EXPECT_EQ(mensagens[0], ("Arquivo gerado: " + kGerado).substr(0, 50));
  EXPECT_EQ(mensagens[1], ("Arquivo assinado: C:\\Dunmor\\nfe\\Arquivos\\NFe" + kChave).substr(0, 50));
  EXPECT_EQ(mensagens[2], "Arquivo Assinado/Validado");
}

// A row already there: up to step 1 the key is rewritten and the rest kept;
// from step 2 on it is refused before signing, the row untouched.
class LinhaExistente : public Geracao, public ::testing::WithParamInterface<int> {};

TEST_P(LinhaExistente, ReescreveAChaveAteEtapaUm) {
  const int etapa = GetParam();
  const bool aceita = etapa <= 1;
  Prepara();
  Executa("INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Numero do Lote], "
          "[Numero da Recepcao], [Numero do Protocolo], [Etapa Concluida], Data ) VALUES ( 1, '1', 123, 'ANTIGA', "
          "7, 351000000000001, 0, " + std::to_string(etapa) + ", '10/01/2016' )");
  EXPECT_EQ(GerarNFE(a.ctx), aceita) << a.ArquivoLog();
  auto linhas = Linhas();
  ASSERT_EQ(linhas.size(), 1u);
  EXPECT_EQ(linhas[0].chave, aceita ? kChave : "ANTIGA");
  EXPECT_EQ(linhas[0].etapa, etapa);
  EXPECT_EQ(linhas[0].lote, 7);
  EXPECT_EQ(linhas[0].recepcao, 351000000000001);
  EXPECT_EQ(linhas[0].data, "2016-01-10");
  EXPECT_EQ(NoLog("  ** NFe com lote já enviado!NFe" + kChave), !aceita) << a.ArquivoLog();
  EXPECT_TRUE(a.caminhos.Existe(kGerado));   // the unsigned file is written before the check
  EXPECT_EQ(a.caminhos.Existe(kAssinado), aceita);
  EXPECT_EQ(a.atual.MensagemRetorno, "");
}

INSTANTIATE_TEST_SUITE_P(Etapas, LinhaExistente, ::testing::Values(0, 1, 2, 3),
                         [](const auto& info) { return "Etapa" + std::to_string(info.param); });

TEST_F(Geracao, FalhaDeEsquemaDeixaALinhaNaEtapaZero) {
  Prepara();
  depoisDeAssinar = [this] {
    auto local = a.caminhos.Mapear(kAssinado);
    std::string xml = teste::LerTudo(local);
    xml.replace(xml.find("<mod>55</mod>"), 13, "<mod>57</mod>");
    teste::GravarTudo(local, xml);
  };
  EXPECT_FALSE(GerarNFE(a.ctx));
  auto linhas = Linhas();
  ASSERT_EQ(linhas.size(), 1u);
  EXPECT_EQ(linhas[0].etapa, 0);
  EXPECT_EQ(a.atual.MensagemRetorno, "Erro ao validar NFe");
  EXPECT_TRUE(NoLog("        Validado=Falso: " + kAssinado)) << a.ArquivoLog();
  EXPECT_TRUE(NoLog("      Erro ao validar NFe..."));
  ASSERT_FALSE(mensagens.empty());
  EXPECT_EQ(mensagens.back(), "Erro ao validar NFe...");
}

// The layout of the document: the request's ("NFE4.00" sets 4.00 before
// the generation), else the registry's LeiauteNFe, else 3.10; the signed
// document is validated against that layout's schema and passes its rules.
struct CasoLeiaute {
  const char* nome;
  const char* registro;      // LeiauteNFe of the registry; nullptr: absent
  const char* daSolicitacao; // LeiauteNFe the command left
  const char* esperado;      // versao of the document; nullptr: refused
};

class Leiautes : public Geracao, public ::testing::WithParamInterface<CasoLeiaute> {};

TEST_P(Leiautes, EscolhidoPelaSolicitacaoOuPeloRegistro) {
  const auto& c = GetParam();
  if (c.registro) Registro(true, std::string("\"LeiauteNFe\"=\"") + c.registro + "\"\r\n");
  Prepara();
  a.atual.LeiauteNFe = c.daSolicitacao;
  if (c.esperado == nullptr) {
    EXPECT_FALSE(GerarNFE(a.ctx));
    EXPECT_TRUE(NoLog(std::string("     ** Erro na Rotina: GerarNFE - Valor inválido no registro LeiauteNFe: '") +
                      c.registro + "' (3.10 ou 4.00)"))
        << a.ArquivoLog();
    EXPECT_FALSE(a.caminhos.Existe(kGerado));
    return;
  }
  ASSERT_TRUE(GerarNFE(a.ctx)) << a.ArquivoLog();
  EXPECT_EQ(a.atual.LeiauteNFe, c.esperado);
  std::string assinado = teste::LerTudo(a.caminhos.Mapear(kAssinado));
  EXPECT_NE(assinado.find(std::string("<infNFe versao=\"") + c.esperado + "\""), std::string::npos)
      << assinado.substr(0, 200);
  EXPECT_TRUE(NoLog("        Validado=Verdadeiro: " + kAssinado)) << a.ArquivoLog();
}

INSTANTIATE_TEST_SUITE_P(Registro, Leiautes,
                         ::testing::Values(CasoLeiaute{"Ausente", nullptr, "", "3.10"},
                                           CasoLeiaute{"Registro310", "3.10", "", "3.10"},
                                           CasoLeiaute{"Registro400", " 4.00 ", "", "4.00"},
                                           CasoLeiaute{"Comando400", nullptr, "4.00", "4.00"},
                                           CasoLeiaute{"Comando400Registro310", "3.10", "4.00", "4.00"},
                                           CasoLeiaute{"RegistroDesconhecido", "5.00", "", nullptr}),
                         [](const auto& info) { return std::string(info.param.nome); });

// The authority's business rules on the signed document: a request whose
// item does not add up to its products total is refused before any batch,
// with the rule's code and text for the front end and the values in the log.
class RegrasAntesDeEnviar : public Geracao, public ::testing::WithParamInterface<bool> {};

TEST_P(RegrasAntesDeEnviar, ProdutosQueNaoSomamSaoRecusados) {
  const bool confere = GetParam();
  if (!confere) Registro(true, "\"VerificaRegrasAntesDeEnviar\"=\"0\"\r\n");
  Prepara();
  a.tabelas.TabelaNota.MoveFirst();
  a.tabelas.TabelaNota.SetValue("TotalProdTot", Valor(Currency::DeInteiro(150)));
  a.tabelas.TabelaNota.SetValue("TotalNFTot", Valor(Currency::DeInteiro(150)));
  const std::string regra = "564 - Rejeição: Total do Produto / Serviço difere do somatório dos itens";
  EXPECT_EQ(GerarNFE(a.ctx), !confere) << a.ArquivoLog();
  EXPECT_EQ(a.atual.MensagemRetorno, confere ? regra : "");
  EXPECT_EQ(NoLog("      " + regra + " (vProd 150.00; soma dos itens 100.00)"), confere) << a.ArquivoLog();
  EXPECT_EQ(NoLog("        Regras da autoridade não conferidas (VerificaRegrasAntesDeEnviar=0)"), !confere);
  ASSERT_FALSE(mensagens.empty());
  EXPECT_EQ(mensagens.back(), confere ? Left(regra, 50) : "Arquivo Assinado/Validado");
  // Signed and recorded at step 0 either way: nothing was sent.
  EXPECT_TRUE(a.caminhos.Existe(kAssinado));
  auto linhas = Linhas();
  ASSERT_EQ(linhas.size(), 1u);
  EXPECT_EQ(linhas[0].etapa, 0);
}

INSTANTIATE_TEST_SUITE_P(Registro, RegrasAntesDeEnviar, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Conferidas" : "Desligadas"; });

TEST_F(Geracao, SerieComAspasNaoQuebraOsComandos) {
  Prepara();
  a.atual.SerieAtual = "1'A";
  ASSERT_TRUE(GerarNFE(a.ctx)) << a.ArquivoLog();
  auto linhas = Linhas("1'A");
  ASSERT_EQ(linhas.size(), 1u);
  EXPECT_EQ(linhas[0].chave, kChave);
  Prepara();   // the content routines close the tables they read
  a.atual.SerieAtual = "1'A";
  ASSERT_TRUE(GerarNFE(a.ctx)) << a.ArquivoLog();   // found again: updated, not duplicated
  EXPECT_EQ(Linhas("1'A").size(), 1u);
}

TEST_F(Geracao, FalhaDaAssinaturaVaiParaOLogDeAssinarNFe) {
  Registro(false);
  Prepara();
  EXPECT_FALSE(GerarNFE(a.ctx));
  EXPECT_NE(a.ArquivoLog().find("     ** Erro na Rotina: AssinarNFE - Certificado digital não configurado"),
            std::string::npos)
      << a.ArquivoLog();
  // The row is written with the signed document: without one, no row.
  EXPECT_TRUE(Linhas().empty());
  EXPECT_FALSE(a.caminhos.Existe(kAssinado));
}

TEST_F(Geracao, SemComponenteOuSemControleEErroDeGerarNFE) {
  Prepara();
  a.ctx.CriaFiscalDocService = nullptr;
  EXPECT_FALSE(GerarNFE(a.ctx));
  EXPECT_NE(a.ArquivoLog().find("     ** Erro na Rotina: GerarNFE - "), std::string::npos);
  EXPECT_TRUE(Linhas().empty());
}

TEST_F(Geracao, DocumentoRecusadoPeloGeradorNaoCriaLinha) {
  Prepara();
  a.tabelas.TabelaNota.MoveFirst();
  a.tabelas.TabelaNota.SetValue("CFOP", Valor("9102"));   // idDest left empty
  EXPECT_FALSE(GerarNFE(a.ctx));
  EXPECT_NE(a.ArquivoLog().find("     ** Erro na Rotina: GerarNFE - GeraXml: "), std::string::npos)
      << a.ArquivoLog();
  EXPECT_TRUE(Linhas().empty());
  EXPECT_FALSE(a.caminhos.Existe(kGerado));
}

TEST_F(Geracao, SemItensNaoGeraNada) {
  Prepara(false);
  EXPECT_EQ(a.vetores.gQtdItens, 0);
  EXPECT_FALSE(GerarNFE(a.ctx));
  EXPECT_TRUE(Linhas().empty());
  EXPECT_FALSE(a.caminhos.Existe(kGerado));
  // The item routine refuses an empty table before any key or file.
  ASSERT_EQ(a.ui.Caixas().size(), 1u);
  EXPECT_EQ(a.ui.Caixas()[0].titulo, "PreencheVetores");
  EXPECT_EQ(a.ArquivoLog().find("Chave de Acesso da NFe"), std::string::npos);
}

// --- The statements, as a recording connection sees them ------------------

class ConexaoGravadora : public data::CConexaoNfe {
  // Only the transaction's own statements reach it; the others are recorded below.
  class DriverTransacao : public data::ConexaoDriver {
   public:
    explicit DriverTransacao(std::vector<std::string>& comandos) : comandos_(comandos) {}
    bool Aberta() const override { return true; }
    int64_t Executar(const std::string&) override { throw std::logic_error("fora de ExecutaSql"); }
    data::Recordset Consultar(const std::string&) override { throw std::logic_error("fora de RsConexao"); }
    void ExecutarScript(const std::string&) override { throw std::logic_error("script"); }
    void IniciarTransacao() override { comandos_.push_back("BEGIN"); }
    void ConfirmarTransacao() override { comandos_.push_back("COMMIT"); }
    void CancelarTransacao() override { comandos_.push_back("ROLLBACK"); }
    void Fechar() override {}

   private:
    std::vector<std::string>& comandos_;
  };

 public:
  explicit ConexaoGravadora(InterfaceOperador& ui) : CConexaoNfe(ui) {
    mConexao = std::make_unique<DriverTransacao>(comandos);
  }
  std::vector<std::string> consultas, comandos;
  int etapa = -1;           // -1: no MovimentoNFe row
  int32_t afetadas = 1;

  std::unique_ptr<data::Recordset> RsConexao(const std::string& sql) override {
    consultas.push_back(sql);
    auto rs = std::make_unique<data::Recordset>();
    if (sql.find("MovimentoNFe") == std::string::npos) {
      rs->AbrirComResultado({{"situacao_tributaria", data::adVarChar, 3}}, {});
      return rs;
    }
    std::vector<std::vector<Valor>> linhas;
    if (etapa >= 0) {
      linhas.push_back({Valor(int32_t{1}), Valor(int32_t{0}), Valor(int32_t{0}), Valor(int32_t{0}),
                        Valor(static_cast<int16_t>(etapa))});
    }
    rs->AbrirComResultado({{"Empresa", data::adInteger, 0},
                           {"Numero do Lote", data::adInteger, 0},
                           {"Numero da Recepcao", data::adInteger, 0},
                           {"Numero do Protocolo", data::adInteger, 0},
                           {"Etapa Concluida", data::adSmallInt, 0}},
                          linhas);
    return rs;
  }
  int32_t ExecutaSql(const std::string& sql) override {
    comandos.push_back(sql);
    return afetadas;
  }
};

class Comandos : public Geracao {
 protected:
  ConexaoGravadora gravadora{a.ui};
  Comandos() { a.ctx.ConexaoBanco = &gravadora; }
  std::string Select() const {
    for (const auto& c : gravadora.consultas)
      if (c.find("MovimentoNFe") != std::string::npos) return c;
    return "";
  }
};

const std::string kSelect =
    "SELECT Empresa, [Numero do Lote], [Numero da Recepcao], [Numero do Protocolo], [Etapa Concluida]"
    "  FROM MovimentoNFe WHERE Empresa = 1   AND Serie = '1'   AND Numero = 123";

TEST_F(Comandos, InsercaoComOsTextosExatos) {
  Prepara();
  ASSERT_TRUE(GerarNFE(a.ctx)) << a.ArquivoLog();
  EXPECT_EQ(Select(), kSelect);
  // The row and the signed document in one transaction.
  ASSERT_EQ(gravadora.comandos.size(), 4u);
  EXPECT_EQ(gravadora.comandos[0], "BEGIN");
  EXPECT_EQ(gravadora.comandos[2].rfind("INSERT INTO DocumentoNFe", 0), 0u);
  EXPECT_EQ(gravadora.comandos[3], "COMMIT");
  EXPECT_EQ(gravadora.comandos[1],
            "INSERT INTO MovimentoNFe (Empresa, Serie, Numero, [Numero da NFe], [Numero do Lote], "
            "[Numero da Recepcao], [Numero do Protocolo], [Etapa Concluida], Data ) VALUES ( 1, '1', 123, '" +
                kChave + "', 0, 0, 0, 0, '15/01/2016' )");
}

TEST_F(Comandos, AtualizacaoComOsTextosExatosEAspasDobradas) {
  Prepara();
  a.atual.SerieAtual = "O'1";
  gravadora.etapa = 1;
  ASSERT_TRUE(GerarNFE(a.ctx)) << a.ArquivoLog();
  ASSERT_EQ(gravadora.comandos.size(), 4u);
  EXPECT_EQ(gravadora.comandos[1], "UPDATE MovimentoNFe SET [Numero da NFe] = '" + kChave +
                                       "' WHERE Empresa = 1   AND Serie = 'O''1'   AND Numero = 123");
}

TEST_F(Comandos, NenhumaLinhaAfetadaDesfazTudoENaoValida) {
  Prepara();
  gravadora.afetadas = 0;
  EXPECT_FALSE(GerarNFE(a.ctx));
  ASSERT_EQ(gravadora.comandos.size(), 3u);
  EXPECT_EQ(gravadora.comandos[0], "BEGIN");
  EXPECT_EQ(gravadora.comandos[1].rfind("INSERT INTO MovimentoNFe", 0), 0u);
  EXPECT_EQ(gravadora.comandos[2], "ROLLBACK");
  EXPECT_EQ(a.atual.ChaveAcessoSolicitada, "");
  EXPECT_EQ(a.ArquivoLog().find("Validado="), std::string::npos) << a.ArquivoLog();
}

}  // namespace
}  // namespace velant
