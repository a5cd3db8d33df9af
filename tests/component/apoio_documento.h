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

// --- Invoices as the filling routines leave them --------------------------

inline constexpr const char* kCnpjEmitente = "11222333000181";

inline std::vector<std::string> Vazio(size_t n) { return std::vector<std::string>(n); }

inline void Preenche(std::vector<std::string>& vetor, std::initializer_list<std::pair<size_t, const char*>> slots) {
  for (const auto& [slot, valor] : slots) vetor[slot] = valor;
}

// One item of a normal-regime issuer (CRT 3), CFOP 5102, CST 00, product,
// PIS and COFINS CST 01: 2 x 50.00 = 100.00, ICMS 18%.
inline std::vector<std::string> ItemCrt3() {
  auto p = Vazio(138);
  Preenche(p, {{0, "P001"}, {1, "7891234567895"}, {2, "PRODUTO DE TESTE"}, {3, "84713012"}, {5, "5102"}, {6, "UN"},
              {7, "2.0000"}, {8, "50.0000"}, {9, "100.00"}, {10, "7891234567895"}, {11, "UN"}, {12, "2.0000"},
              {13, "50.0000"}, {14, "0.00"}, {15, "0.00"}, {16, "0.00"}, {17, "0"}, {18, "00"}, {19, "2"},
              {20, "100.00"}, {21, "18.00"}, {22, "18.00"}, {31, "01"}, {32, "100.00"}, {33, "1.65"}, {34, "1.65"},
              {35, "01"}, {36, "100.00"}, {37, "7.60"}, {38, "7.60"}, {44, "0.0000"}, {45, "0.0000"}, {47, "0.00"},
              {48, "0.00"}, {49, "0.00"}, {50, "0.00"}, {51, "0.00"}, {52, "0.00"}, {76, "1"}, {96, "0.00"}});
  return p;
}

// A one-item invoice of series 1, number 123, issued 15/01/2016 in SP,
// production, normal regime, to a domestic company.
inline VetoresNFe NotaExemplo() {
  VetoresNFe v;
  Preenche(v.gVetorIde = Vazio(37),
           {{0, "35"}, {1, "123"}, {2, "VENDA DE MERCADORIA"}, {3, "0"}, {4, "55"}, {5, "1"}, {6, "123"},
            {7, "15/01/2016 10:30:00"}, {8, "15/01/2016 11:00:00"}, {9, "1"}, {10, "3550308"}, {11, "1"},
            {12, "1"}, {14, "0"}, {34, "1"}, {35, "1"}});
  Preenche(v.gVetorEmitente = Vazio(16),
           {{0, "EMPRESA TESTE LTDA"}, {1, "LOJA TESTE"}, {2, "RUA DAS FLORES"}, {3, "100"}, {5, "CENTRO"},
            {6, "3550308"}, {7, "SAO PAULO"}, {8, "01310100"}, {9, "1133334444"}, {10, "123456789012"}, {14, "3"}});
  Preenche(v.gVetorDestinatario = Vazio(40),
           {{0, "44555666000181"}, {1, "CLIENTE EXEMPLO S A"}, {2, "AV PAULISTA 1000"}, {5, "BELA VISTA"},
            {6, "3550308"}, {7, "SAO PAULO"}, {8, "SP"}, {9, "01310200"}, {10, "1058"}, {11, "BRASIL"},
            {12, "1155556666"}, {13, "987654321098"}, {37, "1"}});
  v.gQtdItens = 1;
  v.gVetorProdutos = {ItemCrt3()};
  Preenche(v.gVetorTotais = Vazio(29), {{0, "100.00"},
                                        {1, "18.00"},
                                        {2, "0.00"},
                                        {3, "0.00"},
                                        {4, "100.00"},
                                        {5, "0.00"},
                                        {6, "0.00"},
                                        {7, "0.00"},
                                        {8, "0.00"},
                                        {9, "0.00"},
                                        {10, "1.65"},
                                        {11, "7.60"},
                                        {12, "0.00"},
                                        {13, "100.00"},
                                        {27, "0.00"}});
  Preenche(v.gVetorTransporte = Vazio(29), {{0, "9"}, {8, " "}, {13, "0.000"}, {14, "0.000"}});
  v.gQtdDuplicatas = 0;
  v.gQtdFaturas = -1;
  v.gVetorFaturas = {Vazio(7)};
  Preenche(v.gVetorFaturas[0], {{0, "123"}, {1, "100.00"}, {2, "100.00"}});
  Preenche(v.gVetorInfAdic = Vazio(11), {{1, "Vendedor: JOAO;;"}});
  v.gVetorAutXML = Vazio(2);
  return v;
}

// The key the component computes for these vectors.
inline std::string ChaveDa(const VetoresNFe& v, const std::string& cnpj = kCnpjEmitente,
                           const std::string& codigoUf = "35") {
  const auto& i = v.gVetorIde;
  return MontaChaveAcesso(codigoUf, i[7], cnpj, std::stoi(i[4]), std::stoi(i[5]), std::stoi(i[6]), std::stoi(i[11]),
                          std::stoi(i[1]));
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
  v.gVetorIde[1] = std::to_string(o.codigoNumerico);
  v.gVetorIde[6] = std::to_string(o.numero);
  v.gVetorDestinatario[1] = o.destinatario;
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
