// The DANFE PDF of invoices authorised by the simulator, judged by poppler
// (pdftotext, pdfinfo, pdffonts, pdftoppm) and zbar: the barcode reads back
// as the key, every block and value is on the page, items run over
// continuation pages without loss, and an invoice without its
// authorisation has no DANFE.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "apoio/erro_teste.h"
#include "base/erro.h"
#include "component/danfe/danfe_codigo_barras.h"
#include "component/danfe/danfe_dados.h"
#include "component/danfe/danfe_pdf.h"
#include "component/danfe/danfe_verificacao.h"
#include "component/xml/chave_acesso.h"
#include "danfe_apoio.h"

namespace velant {
namespace {

using teste::OpcoesDanfe;

// One simulator and one Host for the suite; each distribution file is made once.
class DanfePdf : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pasta_ = new teste::PastaTemporaria();
    sim_ = new teste::ProcessoSimulador(pasta_->Caminho() / "simulador");
    host_ = new teste::HostTeste(pasta_->Caminho() / "host", sim_->Servicos(), teste::RegistroDanfe());
  }
  static void TearDownTestSuite() {
    delete host_;
    delete sim_;
    delete pasta_;
    distribuicoes_.clear();
  }

  struct Nota {
    std::filesystem::path distribuicao;
    std::string windows;   // the distribution file as the Host names it
    std::string chave;
  };

  static const Nota& Autorizada(const std::string& nome, const OpcoesDanfe& o) {
    auto it = distribuicoes_.find(nome);
    if (it != distribuicoes_.end()) return it->second;
    Nota n;
    n.distribuicao = teste::DistribuicaoAutorizada(*host_, o, ++lotes_, &n.chave);
    n.windows = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\" + n.chave + "-procNFe.xml";
    return distribuicoes_[nome] = n;
  }
  static const Nota& Pequena() { return Autorizada("pequena", {}); }
  static const Nota& Grande() { return Autorizada("grande", {.itens = 990, .numero = 502}); }
  static const Nota& Paisagem() { return Autorizada("paisagem", {.numero = 503, .tipoImpressao = "2"}); }

  // The component writes the PDF where the Host asks for it.
  std::filesystem::path Pdf(const Nota& n) {
    std::string destino = "C:\\Dunmor\\nfe\\arquivos\\PDF\\" + n.chave + ".pdf";
    ServicoDocumentoFiscal c(host_->Ctx());
    EXPECT_EQ(c.ImprimeDanfe(n.windows, destino, 2, 0), destino);
    return host_->Local(destino);
  }

  static teste::PastaTemporaria* pasta_;
  static teste::ProcessoSimulador* sim_;
  static teste::HostTeste* host_;
  static std::map<std::string, Nota> distribuicoes_;
  static int lotes_;
};

teste::PastaTemporaria* DanfePdf::pasta_ = nullptr;
teste::ProcessoSimulador* DanfePdf::sim_ = nullptr;
teste::HostTeste* DanfePdf::host_ = nullptr;
std::map<std::string, DanfePdf::Nota> DanfePdf::distribuicoes_;
int DanfePdf::lotes_ = 0;

TEST_F(DanfePdf, CodigoDeBarrasEOrientacaoPorTipoDeImpressao) {
  struct Caso {
    const char* nome;
    const Nota& (*nota)();
    bool paisagem;
  };
  for (const Caso& caso : {Caso{"retrato", &DanfePdf::Pequena, false}, Caso{"paisagem", &DanfePdf::Paisagem, true}}) {
    SCOPED_TRACE(caso.nome);
    const Nota& n = caso.nota();
    auto pdf = Pdf(n);
    auto info = teste::LerInfoPdf(pdf);
    // A4 either way.
    EXPECT_NEAR(std::min(info.largura, info.altura), 595.3, 0.5);
    EXPECT_NEAR(std::max(info.largura, info.altura), 841.9, 0.5);
    EXPECT_EQ(info.largura > info.altura, caso.paisagem);
    EXPECT_EQ(teste::CodigoDeBarrasLido(pdf, pasta_->Caminho()), n.chave);
  }
}

TEST_F(DanfePdf, CodigoDeBarrasEmConjuntoC) {
  // Start C, 22 pairs, check character, Stop: 11 + 22 x 11 + 11 + 13 modules.
  auto barras = danfe::CodigoBarrasChave(Pequena().chave);
  EXPECT_EQ(barras.modulos, 277);
}

// A key with the letters of an alphanumeric CNPJ reads back whole from the
// DANFE's box; a letter anywhere else is no key.
TEST_F(DanfePdf, CodigoDeBarrasComLetrasNoCnpj) {
  danfe::DadosDanfe dados = danfe::LerDistribuicao(teste::LerTudo(Pequena().distribuicao));
  auto chave = [&](const char* cnpj) {
    return MontaChaveAcesso("35", "2026-07-15T10:00:00-03:00", cnpj, 55, 1, 501, 1, 501, CnpjNaChave::Alfanumerico);
  };
  std::string letraForaDoCnpj = Pequena().chave;
  letraForaDoCnpj[30] = 'A';
  struct Caso {
    std::string chave;
    bool lida;
  } casos[] = {{chave("12ABC34501DE35"), true}, {chave("ABCDEFGHJKLM35"), true}, {letraForaDoCnpj, false}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.chave);
    dados.chave = c.chave;
    if (!c.lida) {
      EXPECT_THROW(danfe::GeraPdf(dados), ErroExecucao);
      continue;
    }
    const auto pdf = pasta_->Caminho() / "alfanumerica.pdf";
    teste::GravarTudo(pdf, danfe::GeraPdf(dados));
    EXPECT_EQ(teste::CodigoDeBarrasLido(pdf, pasta_->Caminho()), c.chave);
  }
}

TEST_F(DanfePdf, BlocosNaOrdemComOsValoresDaNota) {
  const Nota& n = Pequena();
  auto pdf = Pdf(n);
  std::string texto = teste::TextoPdf(pdf);
  std::string proc = teste::LerTudo(n.distribuicao);

  // The blocks top to bottom; the issuer block's own captions side by side.
  size_t anterior = 0;
  for (const char* bloco :
       {"RECEBEMOS DE EMPRESA TESTE LTDA", "IDENTIFICAÇÃO DO EMITENTE", "NATUREZA DA OPERAÇÃO", "INSCRIÇÃO ESTADUAL",
        "DESTINATÁRIO / REMETENTE", "FATURA / DUPLICATAS", "CÁLCULO DO IMPOSTO",
        "TRANSPORTADOR / VOLUMES TRANSPORTADOS", "DADOS DOS PRODUTOS / SERVIÇOS", "DADOS ADICIONAIS"}) {
    size_t p = texto.find(bloco, anterior);
    EXPECT_NE(p, std::string::npos) << "faltou, ou fora de ordem: " << bloco << "\n" << texto;
    if (p != std::string::npos) anterior = p;
  }
  for (const char* rotulo :
       {"DATA DE RECEBIMENTO", "IDENTIFICAÇÃO E ASSINATURA DO RECEBEDOR", "NF-e", "DANFE", "Documento Auxiliar da",
        "Nota Fiscal Eletrônica", "0 - ENTRADA", "1 - SAÍDA", "SÉRIE 001", "FOLHA 1/1", "CHAVE DE ACESSO",
        "Consulta de autenticidade no portal nacional da NF-e", "PROTOCOLO DE AUTORIZAÇÃO DE USO",
        "INSCRIÇÃO ESTADUAL DO SUBST. TRIBUT.", "CNPJ / CPF", "DATA DA EMISSÃO", "DATA DA SAÍDA/ENTRADA",
        "HORA DA SAÍDA/ENTRADA", "BASE DE CÁLCULO DO ICMS", "VALOR TOTAL DA NOTA", "FRETE POR CONTA", "PLACA DO VEÍCULO",
        "PESO LÍQUIDO", "CÓDIGO", "DESCRIÇÃO DO PRODUTO / SERVIÇO", "NCM/SH", "O/CST", "CFOP", "VALOR UNIT.",
        "INFORMAÇÕES COMPLEMENTARES", "RESERVADO AO FISCO"})
    EXPECT_NE(texto.find(rotulo), std::string::npos) << "faltou: " << rotulo << "\n" << texto;
  std::string protocolo = teste::Campo(proc, "nProt");
  for (const std::string& valor :
       {std::string("Nº 000.000.501"), std::string("EMPRESA TESTE LTDA"), std::string("11.222.333/0001-81"),
        std::string("123456789012"), std::string("VENDA DE MERCADORIA ADQUIRIDA DE TERCEIROS"), protocolo,
        std::string(teste::kDestinatarioHomologacao), std::string("44.555.666/0001-81"),
        std::string("AV PAULISTA 1000"), std::string("01310-200"), std::string("15/01/2016"),
        std::string("TRANSPORTADORA RÁPIDA LTDA"), std::string("12.345.678/0001-95"), std::string("0-EMITENTE"),
        std::string("ABC1234"), std::string("CAIXA"), std::string("13,750"), std::string("12,500"),
        std::string("FATURA Nº 501"), std::string("R$ 66,66"), std::string("R$ 66,68"), std::string("15/04/2016"),
        std::string("200,00"), std::string("36,00"), std::string("PRD-0001"), std::string("PRD-0002"),
        std::string("84713012"), std::string("5102"), std::string("2,0000"),
        std::string("50,00"), std::string("100,00"), std::string("18,00"), std::string("Vendedor: JOAO"),
        std::string("Pedido do cliente: 4567"), std::string("PRODUTO DE TESTE NÚMERO 2")})
    EXPECT_NE(texto.find(valor), std::string::npos) << "faltou o valor " << valor << "\n" << texto;
  EXPECT_NE(texto.find(danfe::LerDistribuicao(proc).protocolo), std::string::npos);
  // The key in 11 groups of 4 digits.
  std::string grupos;
  for (size_t i = 0; i < 44; i += 4) grupos += (i ? " " : "") + n.chave.substr(i, 4);
  EXPECT_NE(texto.find(grupos), std::string::npos) << grupos << "\n" << texto;
  // The long description wraps and arrives whole.
  for (const char* palavra : {"MICROCOMPUTADOR", "PORTÁTIL", "POLEGADAS,", "NÚCLEOS,", "MEMÓRIA", "SÓLIDO"})
    EXPECT_NE(texto.find(palavra), std::string::npos) << palavra;
  // Services under ISSQN only when the invoice has them.
  EXPECT_EQ(texto.find("CÁLCULO DO ISSQN"), std::string::npos);
}

TEST_F(DanfePdf, FontesEmbutidas) {
  std::string saida;
  ASSERT_EQ(teste::Executa("pdffonts " + teste::Citado(Pdf(Pequena())), &saida), 0) << saida;
  std::istringstream linhas(saida);
  std::string linha;
  int fontes = 0;
  while (std::getline(linhas, linha)) {
    if (linha.rfind("name", 0) == 0 || linha.rfind("----", 0) == 0 || linha.empty()) continue;
    std::vector<std::string> campos;
    std::istringstream c(linha);
    for (std::string s; c >> s;) campos.push_back(s);
    ASSERT_GE(campos.size(), 6u) << linha;
    EXPECT_EQ(campos[campos.size() - 5], "yes") << "fonte não embutida: " << linha;
    EXPECT_NE(linha.find("Liberation"), std::string::npos) << linha;
    ++fontes;
  }
  EXPECT_GE(fontes, 2) << saida;
}

TEST_F(DanfePdf, NovecentosENoventaItensEmFolhasDeContinuacao) {
  const Nota& n = Grande();
  auto pdf = Pdf(n);
  int folhas = teste::LerInfoPdf(pdf).paginas;
  ASSERT_GT(folhas, 1);
  std::regex codigo(R"(PRD-(\d{4})\b)");
  std::vector<int> porFolha;
  int esperado = 1;
  for (int f = 1; f <= folhas; ++f) {
    std::string texto = teste::TextoPdf(pdf, f);
    EXPECT_NE(texto.find("FOLHA " + std::to_string(f) + "/" + std::to_string(folhas)), std::string::npos)
        << "folha " << f;
    // The issuer block, key and protocol again on every page.
    EXPECT_NE(texto.find("IDENTIFICAÇÃO DO EMITENTE"), std::string::npos) << "folha " << f;
    EXPECT_NE(texto.find("PROTOCOLO DE AUTORIZAÇÃO DE USO"), std::string::npos) << "folha " << f;
    EXPECT_NE(texto.find("DADOS DOS PRODUTOS / SERVIÇOS"), std::string::npos) << "folha " << f;
    if (f == folhas) {
      EXPECT_EQ(teste::CodigoDeBarrasLido(pdf, pasta_->Caminho(), f), n.chave) << "folha " << f;
    }
    int nesta = 0;
    for (std::sregex_iterator it(texto.begin(), texto.end(), codigo), fim; it != fim; ++it, ++nesta) {
      EXPECT_EQ(std::stoi((*it)[1]), esperado++) << "folha " << f;
    }
    porFolha.push_back(nesta);
    if (f > 1) {
      EXPECT_EQ(texto.find("DESTINATÁRIO / REMETENTE"), std::string::npos) << "folha " << f;
    }
  }
  // Every item once, in order; continuation pages full but the last one;
  // the first page holds fewer (its other blocks), and no page is wasted.
  EXPECT_EQ(esperado - 1, 990);
  int cheia = porFolha[1];
  for (int f = 1; f + 1 < folhas; ++f) EXPECT_EQ(porFolha[f], cheia) << "folha " << f + 1;
  EXPECT_LT(porFolha[0], cheia);
  EXPECT_GE(cheia, 50) << "uma folha de continuação deveria comportar pelo menos 50 itens de uma linha";
  EXPECT_GT(porFolha.back(), 0);
  EXPECT_LE(porFolha.back(), cheia);
  EXPECT_EQ(folhas, 1 + (990 - porFolha[0] + cheia - 1) / cheia);
}

TEST_F(DanfePdf, SemValorFiscalEmTodasAsFolhasDaHomologacao) {
  auto pdf = Pdf(Grande());
  int folhas = teste::LerInfoPdf(pdf).paginas;
  for (int f = 1; f <= folhas; ++f)
    EXPECT_NE(teste::TextoPdf(pdf, f).find("NF-e emitida em ambiente de homologação"), std::string::npos)
        << "folha " << f;
}

TEST(DanfeProducao, SemMarcaDeHomologacao) {
  teste::PastaTemporaria pasta;
  teste::ProcessoSimulador sim(pasta.Caminho() / "simulador", {"--ambiente", "1"});
  teste::HostTeste host(pasta.Caminho() / "host", sim.Servicos(), teste::RegistroDanfe({{"Ambiente", "1"}}));
  std::string chave;
  auto distribuicao = teste::DistribuicaoAutorizada(host, {.ambiente = "1"}, 1, &chave);
  auto pdf = pasta.Caminho() / "producao.pdf";
  teste::GravarTudo(pdf, danfe::GeraPdfDistribuicao(teste::LerTudo(distribuicao)));
  std::string texto = teste::TextoPdf(pdf);
  EXPECT_NE(texto.find("CLIENTE EXEMPLO S A"), std::string::npos) << texto;
  EXPECT_EQ(texto.find("SEM VALOR FISCAL"), std::string::npos) << texto;
  EXPECT_EQ(texto.find("homologação"), std::string::npos) << texto;
}

TEST_F(DanfePdf, InformacoesComplementaresLongasContinuamSemCorte) {
  std::string informacoes;
  for (int i = 1; i <= 60; ++i) {
    char linha[128];
    std::snprintf(linha, sizeof linha, "Observacao %03d: mercadoria conferida no recebimento pelo cliente;", i);
    informacoes += linha;
  }
  ASSERT_LT(informacoes.size(), 5000u);
  const Nota& n = Autorizada("informacoes", {.numero = 504, .informacoes = informacoes});
  auto pdf = Pdf(n);
  int folhas = teste::LerInfoPdf(pdf).paginas;
  EXPECT_GT(folhas, 1);
  std::string texto = teste::TextoPdf(pdf);
  for (int i = 1; i <= 60; ++i) {
    char marca[48];
    std::snprintf(marca, sizeof marca, "Observacao %03d:", i);
    EXPECT_EQ(teste::Ocorrencias(texto, marca), 1u) << marca;
  }
  EXPECT_NE(teste::TextoPdf(pdf, folhas).find("DADOS ADICIONAIS (CONTINUAÇÃO)"), std::string::npos);
}

TEST_F(DanfePdf, BlocoDoIssqnQuandoHaServicos) {
  danfe::DadosDanfe d = danfe::LerDistribuicao(teste::LerTudo(Pequena().distribuicao));
  d.totais.temIssqn = true;
  d.totais.servicos = "350.00";
  d.totais.baseIssqn = "350.00";
  d.totais.valorIssqn = "17.50";
  d.emitente.im = "98765432";
  auto pdf = pasta_->Caminho() / "issqn.pdf";
  teste::GravarTudo(pdf, danfe::GeraPdf(d));
  std::string texto = teste::TextoPdf(pdf);
  size_t bloco = texto.find("CÁLCULO DO ISSQN");
  ASSERT_NE(bloco, std::string::npos) << texto;
  EXPECT_LT(texto.find("DADOS DOS PRODUTOS / SERVIÇOS"), bloco);
  EXPECT_LT(bloco, texto.find("DADOS ADICIONAIS"));
  for (const char* valor : {"INSCRIÇÃO MUNICIPAL", "98765432", "VALOR TOTAL DOS SERVIÇOS", "350,00", "17,50"})
    EXPECT_NE(texto.find(valor, bloco), std::string::npos) << valor;
}

// --- No authorisation, no DANFE ---------------------------------------------------

TEST_F(DanfePdf, RecusaDocumentoSemAutorizacao) {
  const Nota& n = Pequena();
  std::string proc = teste::LerTudo(n.distribuicao);
  std::string semProtocolo = proc.substr(0, proc.find("<protNFe")) + "</nfeProc>";
  // The authority's signature of the protocol is left out, as an unsigned
  // protocol would come: what refuses these is the protocol's content.
  const std::string protocolo = proc.substr(proc.find("<protNFe"));
  const std::string semAssinatura =
      proc.substr(0, proc.find("<protNFe")) + std::regex_replace(protocolo, std::regex("<Signature[^]*</Signature>"), "");
  std::string denegada = std::regex_replace(semAssinatura, std::regex("<cStat>100</cStat>"), "<cStat>110</cStat>");
  std::string outraChave = std::regex_replace(semAssinatura, std::regex("<chNFe>" + n.chave + "</chNFe>"),
                                              "<chNFe>" + std::string(43, '3') + "5</chNFe>");
  std::string soAssinada = teste::LerTudo(host_->Local(OperacoesLocais(host_->Ctx()).CaminhoAssinado(n.chave)));
  ASSERT_NE(denegada, proc);
  ASSERT_NE(outraChave, proc);
  struct Caso {
    const char* nome;
    std::string xml;
    std::string motivo;   // in the error's description
  };
  // Without protNFe the file is no distribution file at all: the schema says so first.
  const std::string semAutorizacao = "não tem protocolo de autorização de uso";
  for (const Caso& caso : {Caso{"sem protNFe", semProtocolo, danfe::kRecusaEsquema},
                           Caso{"uso denegado (110)", denegada, semAutorizacao},
                           Caso{"protocolo de outra chave", outraChave, semAutorizacao},
                           Caso{"só a NF-e assinada", soAssinada, danfe::kRecusaEsquema}}) {
    SCOPED_TRACE(caso.nome);
    std::string entrada = "C:\\Dunmor\\nfe\\arquivos\\procNFe\\recusa.xml";
    std::string saida = "C:\\Dunmor\\nfe\\arquivos\\PDF\\recusa.pdf";
    teste::GravarTudo(host_->Local(entrada), caso.xml);
    ServicoDocumentoFiscal c(host_->Ctx());
    try {
      c.ImprimeDanfe(entrada, saida, 2, 0);
      ADD_FAILURE() << "o DANFE não deveria ser gerado";
    } catch (const ErroExecucao& e) {
      EXPECT_EQ(e.Codigo(), CodigoErro::ErroComponente);
      EXPECT_NE(e.Descricao().find(caso.motivo), std::string::npos) << e.Descricao();
      if (caso.motivo == semAutorizacao) {
        EXPECT_NE(e.Descricao().find(n.chave), std::string::npos) << e.Descricao();
      }
    }
    EXPECT_FALSE(std::filesystem::exists(host_->Local(saida)));
  }
}

TEST_F(DanfePdf, ModoEArquivoInvalidos) {
  ServicoDocumentoFiscal c(host_->Ctx());
  const Nota& n = Pequena();
  EXPECT_EQ(teste::ErroDe([&] { c.ImprimeDanfe(n.windows, "C:\\Dunmor\\x.pdf", 1, 0); }),
            static_cast<int>(CodigoErro::ErroComponente));
  EXPECT_EQ(teste::ErroDe([&] { c.ImprimeDanfe(n.windows, "", 2, 0); }),
            static_cast<int>(CodigoErro::ErroComponente));
  EXPECT_EQ(teste::ErroDe([&] { c.ImprimeDanfe("C:\\Dunmor\\nfe\\nao-existe.xml", "C:\\Dunmor\\x.pdf", 2, 0); }),
            static_cast<int>(CodigoErro::ErroComponente));
  EXPECT_EQ(teste::ErroDe([&] { c.ImprimeDanfe(n.windows, "C:\\Dunmor\\x.pdf", 2, 0); }), std::nullopt);
  // Written whole through a temporary beside it, which does not stay.
  EXPECT_TRUE(std::filesystem::exists(host_->Local("C:\\Dunmor\\x.pdf")));
  EXPECT_FALSE(std::filesystem::exists(host_->Local("C:\\Dunmor\\x.pdf.tmp")));
}

}  // namespace
}  // namespace velant
