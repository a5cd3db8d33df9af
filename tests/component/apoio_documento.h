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
inline bool XmlsecVerifica(const std::filesystem::path& arquivo, std::string* saida,
                           const std::string& assinado = "infNFe") {
  std::string comando = "xmlsec1 --verify --id-attr:Id " + assinado + " --enabled-key-data x509 --trusted-pem '" +
                        (PastaCertificados() / "ac.pem").string() + "' '" + arquivo.string() + "'";
  return Executa(comando, saida) == 0;
}

// A signed document, written at `arquivo`, judged from outside: xmllint with
// the official schema (`esquema` under schemas/), then Debian's xmlsec1 on
// the element `elemento`.
inline ::testing::AssertionResult AceitaNoEsquemaENoXmlsec(const std::string& assinado,
                                                          const std::filesystem::path& arquivo,
                                                          const std::string& esquema,
                                                          const std::string& elemento = "infNFe") {
  GravarTudo(arquivo, assinado);
  std::string saida;
  if (Executa("xmllint --noout --schema '" + std::string(VELANT_FONTE) + "/schemas/" + esquema + "' '" +
                  arquivo.string() + "'",
              &saida) != 0)
    return ::testing::AssertionFailure() << "xmllint: " << saida;
  if (!XmlsecVerifica(arquivo, &saida, elemento)) return ::testing::AssertionFailure() << "xmlsec1: " << saida;
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
  namespace P = Produto;
  auto p = Vazio(kSlotsProduto);
  Preenche(p, {{P::cProd, "P001"}, {P::cEAN, "7891234567895"}, {P::xProd, "PRODUTO DE TESTE"}, {P::NCM, "84713012"},
               {P::CFOP, "5102"}, {P::uCom, "UN"}, {P::qCom, "2.0000"}, {P::vUnCom, "50.0000"}, {P::vProd, "100.00"},
               {P::cEANTrib, "7891234567895"}, {P::uTrib, "UN"}, {P::qTrib, "2.0000"}, {P::vUnTrib, "50.0000"},
               {P::vFrete, "0.00"}, {P::vSeg, "0.00"}, {P::vDesc, "0.00"}, {P::orig, "0"}, {P::CSTouCSOSN, "00"},
               {P::modBC, "2"}, {P::vBC, "100.00"}, {P::pICMS, "18.00"}, {P::vICMS, "18.00"}, {P::CST_PIS, "01"},
               {P::vBC_PIS, "100.00"}, {P::pPIS, "1.65"}, {P::vPIS, "1.65"}, {P::CST_COFINS, "01"},
               {P::vBC_COFINS, "100.00"}, {P::pCOFINS, "7.60"}, {P::vCOFINS, "7.60"}, {P::vAliqProd_COFINS, "0.0000"},
               {P::vAliqProd_PIS, "0.0000"}, {P::pMVAST, "0.00"}, {P::pRedBCST, "0.00"}, {P::vBCST, "0.00"},
               {P::pICMSST, "0.00"}, {P::vICMSST, "0.00"}, {P::pRedBC, "0.00"}, {P::indTot, "1"}, {P::vOutro, "0.00"}});
  return p;
}

// A one-item invoice of series 1, number 123, issued 15/01/2016 in SP,
// production, normal regime, to a domestic company.
inline VetoresNFe NotaExemplo() {
  namespace E = Emitente; namespace D = Destinatario; namespace T = Totais;
  namespace Tr = Transporte; namespace F = Fatura; namespace IA = InfAdic;
  VetoresNFe v;
  v.gVetorIde = Vazio(kSlotsIde);
  Preenche(v.gVetorIde, {{Ide::cUF, "35"}, {Ide::cNF, "123"}, {Ide::natOp, "VENDA DE MERCADORIA"}, {Ide::indPag, "0"},
                         {Ide::mod, "55"}, {Ide::serie, "1"}, {Ide::nNF, "123"}, {Ide::dhEmi, "15/01/2016 10:30:00"},
                         {Ide::dhSaiEnt, "15/01/2016 11:00:00"}, {Ide::tpNF, "1"}, {Ide::cMunFG, "3550308"},
                         {Ide::tpEmis, "1"}, {Ide::finNFe, "1"}, {Ide::indFinal, "0"}, {Ide::idDest, "1"},
                         {Ide::indPres, "1"}});
  v.gVetorEmitente = Vazio(kSlotsEmitente);
  Preenche(v.gVetorEmitente, {{E::xNome, "EMPRESA TESTE LTDA"}, {E::xFant, "LOJA TESTE"}, {E::xLgr, "RUA DAS FLORES"},
                              {E::nro, "100"}, {E::xBairro, "CENTRO"}, {E::cMun, "3550308"}, {E::xMun, "SAO PAULO"},
                              {E::CEP, "01310100"}, {E::fone, "1133334444"}, {E::IE, "123456789012"}, {E::CRT, "3"}});
  v.gVetorDestinatario = Vazio(kSlotsDestinatario);
  Preenche(v.gVetorDestinatario, {{D::CNPJouCPF, "44555666000181"}, {D::xNome, "CLIENTE EXEMPLO S A"},
                                  {D::xLgr, "AV PAULISTA 1000"}, {D::xBairro, "BELA VISTA"}, {D::cMun, "3550308"},
                                  {D::xMun, "SAO PAULO"}, {D::UF, "SP"}, {D::CEP, "01310200"}, {D::cPais, "1058"},
                                  {D::xPais, "BRASIL"}, {D::fone, "1155556666"}, {D::IE, "987654321098"},
                                  {D::indIEDest, "1"}});
  v.gQtdItens = 1;
  v.gVetorProdutos = {ItemCrt3()};
  v.gVetorTotais = Vazio(kSlotsTotais);
  Preenche(v.gVetorTotais, {{T::vBC, "100.00"}, {T::vICMS, "18.00"}, {T::vBCST, "0.00"}, {T::vST, "0.00"},
                            {T::vProd, "100.00"}, {T::vFrete, "0.00"}, {T::vSeg, "0.00"}, {T::vDesc, "0.00"},
                            {T::vII, "0.00"}, {T::vIPI, "0.00"}, {T::vPIS, "1.65"}, {T::vCOFINS, "7.60"},
                            {T::vOutro, "0.00"}, {T::vNF, "100.00"}, {T::vICMSDeson, "0.00"}});
  v.gVetorTransporte = Vazio(kSlotsTransporte);
  Preenche(v.gVetorTransporte, {{Tr::modFrete, "9"}, {Tr::UF_veicTransp, " "},
                                {Tr::pesoL, "0.000"}, {Tr::pesoB, "0.000"}});
  v.gQtdDuplicatas = 0;
  v.gQtdFaturas = -1;
  v.gVetorFaturas = {Vazio(kSlotsFatura)};
  Preenche(v.gVetorFaturas[F::kLinhaFatura], {{F::nFat, "123"}, {F::vOrig, "100.00"}, {F::vLiq, "100.00"}});
  v.gVetorInfAdic = Vazio(kSlotsInfAdic);
  Preenche(v.gVetorInfAdic, {{IA::infCpl, "Vendedor: JOAO;;"}});
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
  Emitente400(g);
  g.Leiaute = "3.10", g.Ambiente = o.ambiente, g.CNPJ = o.cnpj, g.IdNFe = "NFe" + k, g.UltimoItem = 0;
  return g.MontaXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                    v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML, "-03:00");
}

inline std::string NotaAssinada(const OpcoesNota& o = {}, std::string* chave = nullptr) {
  return AssinarXml(NotaSemAssinatura(o, chave), "infNFe", CertificadoTeste());
}

}  // namespace velant::teste
