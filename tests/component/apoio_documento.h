#pragma once
// What the document tests share: the test certificate, the outside xmlsec1
// verifier, and invoices built slot by slot as the
// filling routines write them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/caminhos.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/gerador_xml_nfe.h"
#include "contexto/vetores_nfe.h"

namespace velant::teste {

// Runs a shell command; its status and what it printed (both streams).
inline int Executa(const std::string& comando, std::string* saida = nullptr) {
  FILE* p = popen((comando + " 2>&1").c_str(), "r");
  if (p == nullptr) return -1;
  std::string texto;
  std::array<char, 4096> bloco;
  size_t n;
  while ((n = fread(bloco.data(), 1, bloco.size(), p)) > 0) texto.append(bloco.data(), n);
  int status = pclose(p);
  if (saida) *saida = texto;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The test certificates of this build folder (made on first use).
inline std::filesystem::path PastaCertificados() {
  std::filesystem::path pasta = std::filesystem::path(VELANT_BINARIOS) / "certificados";
  if (!std::filesystem::exists(pasta / "pronto") || !std::filesystem::exists(pasta / "autoridade.pfx")) {
    std::string saida;
    int r = Executa(std::string(VELANT_FONTE) + "/scripts/preparar-certificados " + VELANT_BINARIOS, &saida);
    if (r != 0) throw std::runtime_error("preparar-certificados falhou: " + saida);
  }
  return pasta;
}

inline const CertificadoA1& CertificadoTeste() {
  static CertificadoA1 c = CarregarCertificadoA1(PastaCertificados() / "emitente.pfx", "1234");
  return c;
}

// Debian's xmlsec1 checks the signature of a file on its own, with the test CA.
inline bool XmlsecVerifica(const std::filesystem::path& arquivo, std::string* saida) {
  std::string comando = "xmlsec1 --verify --id-attr:Id infNFe --enabled-key-data x509 --trusted-pem '" +
                        (PastaCertificados() / "ac.pem").string() + "' '" + arquivo.string() + "'";
  return Executa(comando, saida) == 0;
}

// A signed invoice, written at `arquivo`, judged from outside: xmllint with
// the official schema (`esquema` under schemas/), then Debian's xmlsec1.
inline ::testing::AssertionResult AceitaNoEsquemaENoXmlsec(const std::string& assinado,
                                                          const std::filesystem::path& arquivo,
                                                          const std::string& esquema) {
  GravarTudo(arquivo, assinado);
  std::string saida;
  if (Executa("xmllint --noout --schema '" + std::string(VELANT_FONTE) + "/schemas/" + esquema + "' '" +
                  arquivo.string() + "'",
              &saida) != 0)
    return ::testing::AssertionFailure() << "xmllint: " << saida;
  if (!XmlsecVerifica(arquivo, &saida)) return ::testing::AssertionFailure() << "xmlsec1: " << saida;
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult AceitaNoEsquema400ENoXmlsec(const std::string& assinado,
                                                            const std::filesystem::path& arquivo) {
  return AceitaNoEsquemaENoXmlsec(assinado, arquivo, "PL_010e/nfe_v4.00.xsd");
}

// `s` with the first `de` replaced by `para`; a test fails when there is none.
inline std::string TrocaPrimeiro(std::string s, const std::string& de, const std::string& para) {
  size_t p = s.find(de);
  if (p == std::string::npos) ADD_FAILURE() << "nada a trocar: " << de;
  return p == std::string::npos ? s : s.replace(p, de.size(), para);
}

// --- Invoices as the filling routines leave them --------------------------

inline constexpr const char* kCnpjEmitente = "11222333000181";

inline std::vector<std::string> Vazio(size_t n) { return std::vector<std::string>(n); }

inline void Preenche(std::vector<std::string>& vetor, std::initializer_list<std::pair<size_t, const char*>> slots) {
  for (const auto& [slot, valor] : slots) vetor[slot] = valor;
}

// One item of a normal-regime issuer (CRT 3), CFOP 5102, CST 00, product,
// PIS and COFINS CST 01: 2 x 50.00 = 100.00, ICMS 18%.
inline std::vector<std::string> ItemCrt3() {
  auto p = Vazio(kSlotsProduto);
  Preenche(p, {{Produto::cProd, "P001"}, {Produto::cEAN, "7891234567895"}, {Produto::xProd, "PRODUTO DE TESTE"},
               {Produto::NCM, "84713012"}, {Produto::CFOP, "5102"}, {Produto::uCom, "UN"}, {Produto::qCom, "2.0000"},
               {Produto::vUnCom, "50.0000"}, {Produto::vProd, "100.00"}, {Produto::cEANTrib, "7891234567895"},
               {Produto::uTrib, "UN"}, {Produto::qTrib, "2.0000"}, {Produto::vUnTrib, "50.0000"},
               {Produto::vFrete, "0.00"}, {Produto::vSeg, "0.00"}, {Produto::vDesc, "0.00"}, {Produto::orig, "0"},
               {Produto::CSTouCSOSN, "00"}, {Produto::modBC, "2"}, {Produto::vBC, "100.00"}, {Produto::pICMS, "18.00"},
               {Produto::vICMS, "18.00"}, {Produto::CST_PIS, "01"}, {Produto::vBC_PIS, "100.00"},
               {Produto::pPIS, "1.65"}, {Produto::vPIS, "1.65"}, {Produto::CST_COFINS, "01"},
               {Produto::vBC_COFINS, "100.00"}, {Produto::pCOFINS, "7.60"}, {Produto::vCOFINS, "7.60"},
               {Produto::vAliqProd_COFINS, "0.0000"}, {Produto::vAliqProd_PIS, "0.0000"}, {Produto::pMVAST, "0.00"},
               {Produto::pRedBCST, "0.00"}, {Produto::vBCST, "0.00"}, {Produto::pICMSST, "0.00"},
               {Produto::vICMSST, "0.00"}, {Produto::pRedBC, "0.00"}, {Produto::indTot, "1"},
               {Produto::vOutro, "0.00"}});
  return p;
}

// A one-item invoice of series 1, number 123, issued 15/01/2016 in SP,
// production, normal regime, to a domestic company.
inline VetoresNFe NotaExemplo() {
  VetoresNFe v;
  v.gVetorIde = Vazio(kSlotsIde);
  Preenche(v.gVetorIde, {{Ide::cUF, "35"}, {Ide::cNF, "123"}, {Ide::natOp, "VENDA DE MERCADORIA"}, {Ide::indPag, "0"},
                         {Ide::mod, "55"}, {Ide::serie, "1"}, {Ide::nNF, "123"}, {Ide::dhEmi, "15/01/2016 10:30:00"},
                         {Ide::dhSaiEnt, "15/01/2016 11:00:00"}, {Ide::tpNF, "1"}, {Ide::cMunFG, "3550308"},
                         {Ide::tpEmis, "1"}, {Ide::finNFe, "1"}, {Ide::indFinal, "0"}, {Ide::idDest, "1"},
                         {Ide::indPres, "1"}});
  v.gVetorEmitente = Vazio(kSlotsEmitente);
  Preenche(v.gVetorEmitente, {{Emitente::xNome, "EMPRESA TESTE LTDA"}, {Emitente::xFant, "LOJA TESTE"},
                              {Emitente::xLgr, "RUA DAS FLORES"}, {Emitente::nro, "100"}, {Emitente::xBairro, "CENTRO"},
                              {Emitente::cMun, "3550308"}, {Emitente::xMun, "SAO PAULO"}, {Emitente::CEP, "01310100"},
                              {Emitente::fone, "1133334444"}, {Emitente::IE, "123456789012"}, {Emitente::CRT, "3"}});
  v.gVetorDestinatario = Vazio(kSlotsDestinatario);
  Preenche(v.gVetorDestinatario, {{Destinatario::CNPJouCPF, "44555666000181"},
                                  {Destinatario::xNome, "CLIENTE EXEMPLO S A"},
                                  {Destinatario::xLgr, "AV PAULISTA 1000"}, {Destinatario::xBairro, "BELA VISTA"},
                                  {Destinatario::cMun, "3550308"}, {Destinatario::xMun, "SAO PAULO"},
                                  {Destinatario::UF, "SP"}, {Destinatario::CEP, "01310200"},
                                  {Destinatario::cPais, "1058"}, {Destinatario::xPais, "BRASIL"},
                                  {Destinatario::fone, "1155556666"}, {Destinatario::IE, "987654321098"},
                                  {Destinatario::indIEDest, "1"}});
  v.gQtdItens = 1;
  v.gVetorProdutos = {ItemCrt3()};
  v.gVetorTotais = Vazio(kSlotsTotais);
  Preenche(v.gVetorTotais, {{Totais::vBC, "100.00"}, {Totais::vICMS, "18.00"}, {Totais::vBCST, "0.00"},
                            {Totais::vST, "0.00"}, {Totais::vProd, "100.00"}, {Totais::vFrete, "0.00"},
                            {Totais::vSeg, "0.00"}, {Totais::vDesc, "0.00"}, {Totais::vII, "0.00"},
                            {Totais::vIPI, "0.00"}, {Totais::vPIS, "1.65"}, {Totais::vCOFINS, "7.60"},
                            {Totais::vOutro, "0.00"}, {Totais::vNF, "100.00"}, {Totais::vICMSDeson, "0.00"}});
  v.gVetorTransporte = Vazio(kSlotsTransporte);
  Preenche(v.gVetorTransporte, {{Transporte::modFrete, "9"}, {Transporte::UF_veicTransp, " "},
                                {Transporte::pesoL, "0.000"}, {Transporte::pesoB, "0.000"}});
  v.gQtdDuplicatas = 0;
  v.gQtdFaturas = -1;
  v.gVetorFaturas = {Vazio(kSlotsFatura)};
  Preenche(v.gVetorFaturas[Fatura::kLinhaFatura], {{Fatura::nFat, "123"}, {Fatura::vOrig, "100.00"},
                                                   {Fatura::vLiq, "100.00"}});
  v.gVetorInfAdic = Vazio(kSlotsInfAdic);
  Preenche(v.gVetorInfAdic, {{InfAdic::infCpl, "Vendedor: JOAO;;"}});
  v.gVetorAutXML = Vazio(kSlotsAutXML);
  return v;
}

// The key the component computes for these vectors.
inline std::string ChaveDa(const VetoresNFe& v, const std::string& cnpj = kCnpjEmitente,
                           const std::string& codigoUf = "35") {
  const auto& i = v.gVetorIde;
  return MontaChaveAcesso(codigoUf, i[Ide::dhEmi], cnpj, std::stoi(i[Ide::mod]), std::stoi(i[Ide::serie]),
                          std::stoi(i[Ide::nNF]), std::stoi(i[Ide::tpEmis]), std::stoi(i[Ide::cNF]));
}

// A layout 4.00 issuer of SP in homologation.
inline void Emitente400(GeradorXmlNFe& g) {
  g.UnidadeFederada = "SP";
  g.UnidadeFederadaCodigo = "35";
  g.Ambiente = "2";
  g.CNPJ = kCnpjEmitente;
  g.TipoDanfe = "1";
  g.Leiaute = "4.00";
}

// The key of these vectors under a CNPJ that may carry letters.
inline std::string Chave400(const VetoresNFe& v, const std::string& cnpj) {
  const auto& i = v.gVetorIde;
  return MontaChaveAcesso("35", i[Ide::dhEmi], cnpj, std::stoi(i[Ide::mod]), std::stoi(i[Ide::serie]),
                          std::stoi(i[Ide::nNF]), std::stoi(i[Ide::tpEmis]), std::stoi(i[Ide::cNF]),
                          CnpjNaChave::Alfanumerico);
}

inline constexpr const char* kDestinatarioHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";

struct OpcoesNota {
  int numero = 123;
  int codigoNumerico = 123;
  std::string cnpj = kCnpjEmitente;
  std::string ambiente = "2";
  std::string destinatario = kDestinatarioHomologacao;
  void (*ajuste)(VetoresNFe&) = nullptr;   // a last change to the vectors
};

// An invoice as the generator writes it, unsigned; its key in *chave.
inline std::string NotaSemAssinatura(const OpcoesNota& o = {}, std::string* chave = nullptr) {
  VetoresNFe v = NotaExemplo();
  v.gVetorIde[Ide::cNF] = std::to_string(o.codigoNumerico);
  v.gVetorIde[Ide::nNF] = std::to_string(o.numero);
  v.gVetorDestinatario[Destinatario::xNome] = o.destinatario;
  if (o.ajuste) o.ajuste(v);
  std::string k = ChaveDa(v, o.cnpj);
  if (chave) *chave = k;
  MapeadorCaminhos caminhos(std::filesystem::temp_directory_path());
  GeradorXmlNFe g(caminhos);
  g.UnidadeFederada = "SP";
  g.UnidadeFederadaCodigo = "35";
  g.Ambiente = o.ambiente;
  g.CNPJ = o.cnpj;
  g.TipoDanfe = "1";
  g.IdNFe = "NFe" + k;
  g.UltimoItem = 0;
  return g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                    v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML, "-03:00");
}

inline std::string NotaAssinada(const OpcoesNota& o = {}, std::string* chave = nullptr) {
  return AssinarXml(NotaSemAssinatura(o, chave), "infNFe", CertificadoTeste());
}

}  // namespace velant::teste
