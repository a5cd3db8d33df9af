#pragma once
// What the document tests share: the test certificate, a temporary folder,
// the outside xmlsec1 verifier, and invoices built slot by slot as the
// filling routines write them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "component/assinador_xml.h"
#include "component/chave_acesso.h"
#include "content/vetores_nfe.h"

namespace velant::teste {

inline std::string LerTudo(const std::filesystem::path& arquivo) {
  std::ifstream f(arquivo, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void GravaTudo(const std::filesystem::path& arquivo, const std::string& conteudo) {
  std::filesystem::create_directories(arquivo.parent_path());
  std::ofstream(arquivo, std::ios::binary) << conteudo;
}

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
  if (!std::filesystem::exists(pasta / "pronto")) {
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

class PastaTemporaria {
 public:
  PastaTemporaria() {
    std::string modelo = (std::filesystem::temp_directory_path() / "documento-XXXXXX").string();
    if (mkdtemp(modelo.data()) == nullptr) throw std::runtime_error("mkdtemp");
    caminho_ = modelo;
  }
  ~PastaTemporaria() {
    std::error_code ec;
    std::filesystem::remove_all(caminho_, ec);
  }
  PastaTemporaria(const PastaTemporaria&) = delete;
  PastaTemporaria& operator=(const PastaTemporaria&) = delete;
  const std::filesystem::path& Caminho() const { return caminho_; }

 private:
  std::filesystem::path caminho_;
};

// Debian's xmlsec1 checks the signature of a file on its own, with the test CA.
inline bool XmlsecVerifica(const std::filesystem::path& arquivo, std::string* saida) {
  std::string comando = "xmlsec1 --verify --id-attr:Id infNFe --enabled-key-data x509 --trusted-pem '" +
                        (PastaCertificados() / "ac.pem").string() + "' '" + arquivo.string() + "'";
  return Executa(comando, saida) == 0;
}

// --- Invoices as the filling routines leave them --------------------------

inline constexpr const char* kCnpjEmitente = "11222333000181";

inline std::vector<std::string> Vazio(size_t n) { return std::vector<std::string>(n); }

// One item of a normal-regime issuer (CRT 3), CFOP 5102, CST 00, product,
// PIS and COFINS CST 01: 2 x 50.00 = 100.00, ICMS 18%.
inline std::vector<std::string> ItemCrt3() {
  auto p = Vazio(138);
  p[0] = "P001";
  p[1] = "7891234567895";
  p[2] = "PRODUTO DE TESTE";
  p[3] = "84713012";
  p[5] = "5102";
  p[6] = "UN";
  p[7] = "2.0000";
  p[8] = "50.0000";
  p[9] = "100.00";
  p[10] = "7891234567895";
  p[11] = "UN";
  p[12] = "2.0000";
  p[13] = "50.0000";
  p[14] = "0.00";
  p[15] = "0.00";
  p[16] = "0.00";
  p[17] = "0";
  p[18] = "00";
  p[19] = "2";
  p[20] = "100.00";
  p[21] = "18.00";
  p[22] = "18.00";
  p[31] = "01";
  p[32] = "100.00";
  p[33] = "1.65";
  p[34] = "1.65";
  p[35] = "01";
  p[36] = "100.00";
  p[37] = "7.60";
  p[38] = "7.60";
  p[44] = "0.0000";
  p[45] = "0.0000";
  p[47] = "0.00";
  p[48] = "0.00";
  p[49] = "0.00";
  p[50] = "0.00";
  p[51] = "0.00";
  p[52] = "0.00";
  p[76] = "1";
  p[96] = "0.00";
  return p;
}

// A one-item invoice of series 1, number 123, issued 15/01/2016 in SP,
// production, normal regime, to a domestic company.
inline VetoresNFe NotaExemplo() {
  VetoresNFe v;
  v.gVetorIde = Vazio(37);
  auto& i = v.gVetorIde;
  i[0] = "35";
  i[1] = "123";
  i[2] = "VENDA DE MERCADORIA";
  i[3] = "0";
  i[4] = "55";
  i[5] = "1";
  i[6] = "123";
  i[7] = "15/01/2016 10:30:00";
  i[8] = "15/01/2016 11:00:00";
  i[9] = "1";
  i[10] = "3550308";
  i[11] = "1";
  i[12] = "1";
  i[14] = "0";
  i[34] = "1";
  i[35] = "1";

  v.gVetorEmitente = Vazio(16);
  auto& e = v.gVetorEmitente;
  e[0] = "EMPRESA TESTE LTDA";
  e[1] = "LOJA TESTE";
  e[2] = "RUA DAS FLORES";
  e[3] = "100";
  e[5] = "CENTRO";
  e[6] = "3550308";
  e[7] = "SAO PAULO";
  e[8] = "01310100";
  e[9] = "1133334444";
  e[10] = "123456789012";
  e[14] = "3";

  v.gVetorDestinatario = Vazio(40);
  auto& d = v.gVetorDestinatario;
  d[0] = "44555666000172";
  d[1] = "CLIENTE EXEMPLO S A";
  d[2] = "AV PAULISTA 1000";
  d[5] = "BELA VISTA";
  d[6] = "3550308";
  d[7] = "SAO PAULO";
  d[8] = "SP";
  d[9] = "01310200";
  d[10] = "1058";
  d[11] = "BRASIL";
  d[12] = "1155556666";
  d[13] = "987654321098";
  d[37] = "1";

  v.gQtdItens = 1;
  v.gVetorProdutos = {ItemCrt3()};

  v.gVetorTotais = Vazio(29);
  auto& t = v.gVetorTotais;
  const char* totais[] = {"100.00", "18.00", "0.00", "0.00", "100.00", "0.00", "0.00",
                          "0.00",   "0.00",  "0.00", "1.65", "7.60",   "0.00", "100.00"};
  for (size_t k = 0; k < 14; ++k) t[k] = totais[k];
  t[27] = "0.00";

  v.gVetorTransporte = Vazio(29);
  v.gVetorTransporte[0] = "9";
  v.gVetorTransporte[8] = " ";
  v.gVetorTransporte[13] = "0.000";
  v.gVetorTransporte[14] = "0.000";

  v.gQtdDuplicatas = 0;
  v.gQtdFaturas = -1;
  v.gVetorFaturas = {Vazio(7)};
  v.gVetorFaturas[0][0] = "123";
  v.gVetorFaturas[0][1] = "100.00";
  v.gVetorFaturas[0][2] = "100.00";

  v.gVetorInfAdic = Vazio(11);
  v.gVetorInfAdic[1] = "Vendedor: JOAO;;";
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

}  // namespace velant::teste
