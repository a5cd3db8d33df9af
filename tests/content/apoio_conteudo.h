#pragma once
// The content routines' context: the Host test environment with its clock on
// the invoice day, the request tables built by the real builders and filled
// record by record, the registry file written by the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/currency.h"
#include "base/regional.h"
#include "component/apoio_documento.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/gerador_xml_nfe.h"
#include "content/preenche_vetores.h"
#include "data/conexao_nfe.h"
#include "manager/analisador_solicitacao.h"
#include "manager/ambiente_teste.h"

namespace velant::teste_conteudo {

inline Valor Moeda(const char* texto) { return Valor(Currency::DeTextoInvariante(texto)); }

using Colunas = std::vector<std::pair<const char*, Valor>>;
using Registros = std::map<std::string, std::string>;
using Slots = std::map<int, std::string>;

struct AmbienteConteudo : teste::AmbienteTeste {
  explicit AmbienteConteudo(const Registros& valores = {}) {
    relogio.agora = DataHora::De(2015, 3, 5, 10, 30, 0);
    DefinirRegional(RegionalPtBR());
    CriaTabelaNota(tabelas);
    CriaTabelaDuplicatas(tabelas);
    CriaTabelaCupons(tabelas);
    Registro(valores);
  }

  // Writes the values under HKEY_CURRENT_USER\nfe.
  void Registro(const Registros& valores) {
    std::ofstream f(raiz / "registro.reg", std::ios::binary | std::ios::trunc);
    f << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n";
    for (const auto& [nome, valor] : valores) f << "\"" << nome << "\"=\"" << valor << "\"\r\n";
  }

  // An item record of a plain domestic sale: the defaults of the first item,
  // a complete header and one product; `colunas` then overwrite.
  void Item(const Colunas& colunas = {}) {
    data::Recordset& nota = tabelas.TabelaNota;
    nota.AddNew();
    PreparaRegistroNota(tabelas);
    const std::pair<const char*, const char*> textos[] = {
        {"CgcCli", "12345678000195"}, {"RazaoSocialCli", "CLIENTE LTDA"}, {"LogradouroCli", "RUA A"},
        {"BairroCli", "CENTRO"}, {"CodMunCli", "3550308"}, {"CodPaisCli", "1058"}, {"NomeMunCli", "SAO PAULO"},
        {"UFCli", "SP"}, {"CEPCli", "01001000"}, {"NomePaisCli", "BRASIL"}, {"TelefoneCli", "(1133334444"},
        {"IECli", "111.222.333.444"}, {"NomeMunEmp", "CAMPINAS"}, {"CodMunEmp", "3509502"},
        {"RazaoSocialEmp", "EMITENTE SA"}, {"NumeroNF", "1234"}, {"SerieNFEmp", "1"}, {"FormaPag", "1"},
        {"DtEmissao", "2015-03-05T10:00:00-03:00"}, {"DtSaida", ""}, {"CFOP", "5102"}, {"DescNaturezaOp", "VENDA"},
        {"CodProduto", "P1"}, {"NomeProd", "PRODUTO"}, {"NCMProd", "12345678"}, {"UnidadeProd", "UN"},
        {"CodSitTrib", "000"}, {"ServProd", "P"}, {"CSTPis", "01"}, {"CSTCofins", "01"}};
    for (const auto& [nome, texto] : textos) nota.SetValue(nome, Valor(texto));
    const std::pair<const char*, const char*> moedas[] = {{"tpNF", "1"},           {"QntProd", "1"},
                                                          {"ValorUnitProd", "10"}, {"TotalProdServ", "10"},
                                                          {"TotalProdTot", "10"},  {"TotalNFTot", "10"}};
    for (const auto& [nome, texto] : moedas) nota.SetValue(nome, Moeda(texto));
    nota.SetValue("CodEstadoIde", Valor(int64_t{35}));
    for (const auto& [nome, valor] : colunas) nota.SetValue(nome, valor);
    nota.Update();
  }

  // Where the parser leaves the tables, and the counts the emission takes.
  void Pronto() {
    if (tabelas.TabelaNota.RecordCount() > 0) tabelas.TabelaNota.MoveFirst();
    if (tabelas.TabelaDuplicatas.RecordCount() > 0) tabelas.TabelaDuplicatas.MoveFirst();
    ParametrosEmissaoFila(ctx);
  }
};

// A group routine run on the tables as the parser leaves them; the vector it wrote.
using Grupo = const std::vector<std::string>& (*)(AmbienteConteudo&);
template <void (*Rotina)(Contexto&), std::vector<std::string> VetoresNFe::*Vetor>
const std::vector<std::string>& Gera(AmbienteConteudo& a) {
  a.Pronto();
  Rotina(a.ctx);
  return a.vetores.*Vetor;
}
inline constexpr Grupo Ide = Gera<Gera_dados_ide, &VetoresNFe::gVetorIde>;
inline constexpr Grupo Emitente = Gera<Gera_dados_emitente, &VetoresNFe::gVetorEmitente>;
inline constexpr Grupo Destinatario = Gera<Gera_dados_destinatario, &VetoresNFe::gVetorDestinatario>;
inline constexpr Grupo Totais = Gera<Gera_dados_totais, &VetoresNFe::gVetorTotais>;
inline constexpr Grupo Transporte = Gera<Gera_dados_transporte, &VetoresNFe::gVetorTransporte>;
inline constexpr Grupo InfAdic = Gera<Gera_dados_infAdic, &VetoresNFe::gVetorInfAdic>;

// The first item row alone, with the products total the totals would have written.
inline const std::vector<std::string>& Produto(AmbienteConteudo& a) {
  a.Pronto();
  a.vetores.gVetorTotais.assign(kSlotsTotais, "");
  a.vetores.gVetorTotais[Totais::vProd] = "10.00";
  Gera_dados_produtos(a.ctx);
  return a.vetores.gVetorProdutos.at(0);
}

// Each listed slot holds its text; "" for the slots that must stay empty.
inline void Confere(const std::vector<std::string>& v, const Slots& esperado) {
  for (const auto& [slot, texto] : esperado) {
    ASSERT_LT(slot, static_cast<int>(v.size()));
    EXPECT_EQ(v[slot], texto) << "slot " << slot;
  }
}
// natureza_operacao in memory: CFOP code -> situacao_tributaria.
class ConexaoFalsa : public data::CConexaoNfe {
 public:
  explicit ConexaoFalsa(InterfaceOperador& ui) : data::CConexaoNfe(ui) {}

  std::map<std::string, std::string> situacoes;
  std::vector<std::string> consultas;

  std::unique_ptr<data::Recordset> RsConexao(const std::string& pSQL) override {
    consultas.push_back(pSQL);
    std::vector<std::vector<Valor>> linhas;
    for (const auto& [codigo, situacao] : situacoes) {
      if (pSQL == "SELECT situacao_tributaria FROM natureza_operacao WHERE codigo = '" + codigo + "'") {
        linhas.push_back({Valor(situacao)});
      }
    }
    auto rs = std::make_unique<data::Recordset>();
    rs->AbrirComResultado({data::DefinicaoCampo{"situacao_tributaria", data::adVarChar, 3}}, std::move(linhas));
    return rs;
  }
  int32_t ExecutaSql(const std::string&) override { return 0; }
  bool ConexaoAtiva() override { return true; }
};

// The signed document of the filled vectors, as an issuer of SP writes it
// with the test certificate; `leiaute` empty: the generator's own default.
inline std::string AssinadoDosVetores(AmbienteConteudo& a, const std::string& leiaute = "") {
  VetoresNFe& v = a.vetores;
  GeradorXmlNFe g(a.caminhos, &a.registro);
  const std::string padrao = g.Leiaute;
  teste::Emitente400(g);
  g.Leiaute = leiaute.empty() ? padrao : leiaute;
  g.Ambiente = a.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente");
  g.IdNFe = "NFe" + teste::ChaveDa(v);
  g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
  std::string xml = g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                               v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML,
                               "-03:00");
  return AssinarXml(xml, "infNFe", teste::CertificadoTeste());
}

inline const std::filesystem::path kPastaDourados = std::filesystem::path(VELANT_TESTES) / "content" / "dourados";

// A request text parsed with the registry of the example `nome` (plus
// `registroExtra`) and its vectors filled, as the Host does; `leiaute`, when
// given, is the installation's.
inline ::testing::AssertionResult Preenchidos(AmbienteConteudo& a, const std::string& nome, const std::string& texto,
                                              const char* leiaute = nullptr, const std::string& registroExtra = "") {
  teste::GravarTudo(a.raiz / "registro.reg", teste::LerTudo(kPastaDourados / (nome + ".reg")) + registroExtra);
  if (!AnalisaTextoSolicitacao(a.ctx, a.janela, texto)) return ::testing::AssertionFailure() << a.janela.TextoStatus;
  if (leiaute != nullptr) a.ctx.atual.LeiauteNFe = leiaute;
  ParametrosEmissaoFila(a.ctx);
  if (!PreencheVetores(a.ctx)) return ::testing::AssertionFailure() << "PreencheVetores falhou";
  return ::testing::AssertionSuccess();
}

}  // namespace velant::teste_conteudo
