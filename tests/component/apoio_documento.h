#pragma once
// What the document tests share: the test certificate, the outside xmlsec1
// verifier, and invoices built slot by slot as the
// filling routines write them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "apoio/arquivos_teste.h"
#include "base/tabela_tsv_teste.h"
#include "base/caminhos.h"
#include "base/erro.h"
#include "base/texto.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/gerador_xml_nfe.h"
#include "contexto/vetores_nfe.h"
#include "plataforma/registro_windows.h"

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

// --- Case tables as data ------------------------------------------------------

// A component table: its header in '#' lines, rows as long as their case,
// cells as written (DesfazEscapes where a column holds escapes).
inline std::vector<std::vector<std::string>> LerTabela(const std::string& nome) {
  std::vector<std::vector<std::string>> linhas;
  for (LinhaTsv& l : LerTabelaTsv(nome, false, false)) linhas.push_back(std::move(l.celulas));
  return linhas;
}

// The slot `nome` of the vector `vetor` ("Produto", "CFOP") as vetores_nfe.h numbers it.
inline int SlotPorNome(const std::string& vetor, const std::string& nome) {
  static const auto slots = [] {
    std::map<std::string, int> m;
    std::istringstream h(LerTudo(std::filesystem::path(VELANT_FONTE) / "src/contexto/vetores_nfe.h"));
    std::string grupo;
    std::smatch s;
    for (std::string l; std::getline(h, l);)
      if (std::regex_match(l, s, std::regex(R"(namespace (\w+) \{)")))
        grupo = s[1];
      else if (std::regex_search(l, s, std::regex(R"(^  (\w+) = (\d+))")))
        m[grupo + "." + s[1].str()] = std::stoi(s[2]);
    return m;
  }();
  auto it = slots.find(vetor + "." + nome);
  if (it == slots.end()) throw std::runtime_error("slot desconhecido: " + vetor + "." + nome);
  return it->second;
}

// One change of a case table: "Vetor[linha].slot=valor" (row 0 unless given;
// slot "tamanho" cuts the vector to that size), "gQtdItens=N" (N items,
// the new ones ItemCrt3), "gQtdFaturas=N", "gQtdDuplicatas=N",
// "Gerador.CNPJ|Ambiente|IdNFe=valor"; "\t" in a value is a tab. false for a
// "Registro.nome=valor", which is the caller's.
inline std::vector<std::string> ItemCrt3();

inline bool Altera(VetoresNFe& v, GeradorXmlNFe* g, const std::string& alteracao) {
  static const std::regex forma(R"((\w+)(?:\[(\d+)\])?(?:\.(\w+))?=(.*))");
  std::smatch m;
  if (!std::regex_match(alteracao, m, forma))
    throw std::runtime_error("alteração mal escrita: " + alteracao);
  const std::string alvo = m[1], nome = m[3], valor = DesfazEscapes(m[4]);
  const size_t linha = m[2].matched ? std::stoul(m[2]) : 0;
  std::map<std::string, std::vector<std::string>*> vetores = {
      {"Ide", &v.gVetorIde}, {"Emitente", &v.gVetorEmitente}, {"Destinatario", &v.gVetorDestinatario},
      {"Totais", &v.gVetorTotais}, {"Transporte", &v.gVetorTransporte}, {"InfAdic", &v.gVetorInfAdic}};
  if (alvo == "Produto") vetores[alvo] = &v.gVetorProdutos.at(linha);
  if (alvo == "Fatura") {
    if (v.gVetorFaturas.size() <= linha) v.gVetorFaturas.resize(linha + 1, Vazio(kSlotsFatura));
    vetores[alvo] = &v.gVetorFaturas[linha];
  }
  if (alvo == "Registro") return false;
  if (alvo == "gQtdItens") {
    v.gQtdItens = std::stoi(valor), v.gVetorProdutos.resize(v.gQtdItens, ItemCrt3());
  } else if (alvo == "gQtdFaturas") {
    v.gQtdFaturas = static_cast<int16_t>(std::stoi(valor));
  } else if (alvo == "gQtdDuplicatas") {
    v.gQtdDuplicatas = std::stoi(valor);
  } else if (alvo == "Gerador") {
    (nome == "CNPJ" ? g->CNPJ : nome == "Ambiente" ? g->Ambiente : g->IdNFe) = valor;
  } else if (nome == "tamanho") {
    vetores.at(alvo)->resize(std::stoul(valor));
  } else {
    vetores.at(alvo)->at(SlotPorNome(alvo, nome)) = valor;
  }
  return true;
}

// A one-item invoice of series 1, number 123, issued 15/01/2016 in SP,
// production, normal regime, to a domestic company: nota_exemplo.tsv.
inline VetoresNFe NotaExemplo() {
  static const auto linhas = LerTabela("component/nota_exemplo.tsv");
  VetoresNFe v;
  v.gVetorIde = Vazio(kSlotsIde), v.gVetorEmitente = Vazio(kSlotsEmitente);
  v.gVetorDestinatario = Vazio(kSlotsDestinatario), v.gVetorTotais = Vazio(kSlotsTotais);
  v.gVetorTransporte = Vazio(kSlotsTransporte), v.gVetorInfAdic = Vazio(kSlotsInfAdic);
  v.gVetorAutXML = Vazio(kSlotsAutXML);
  v.gQtdItens = 1, v.gVetorProdutos = {Vazio(kSlotsProduto)};
  v.gQtdDuplicatas = 0, v.gQtdFaturas = -1, v.gVetorFaturas = {Vazio(kSlotsFatura)};
  for (const auto& linha : linhas) Altera(v, nullptr, linha[0]);
  return v;
}

// Its item: a normal-regime issuer (CRT 3), CFOP 5102, CST 00, product, PIS
// and COFINS CST 01: 2 x 50.00 = 100.00, ICMS 18%.
inline std::vector<std::string> ItemCrt3() { return NotaExemplo().gVetorProdutos[0]; }

// The key the component computes for these vectors (Alfanumerico: a CNPJ that may carry letters).
inline std::string ChaveDa(const VetoresNFe& v, const std::string& cnpj = kCnpjEmitente,
                           CnpjNaChave forma = CnpjNaChave::SoDigitos) {
  const auto& i = v.gVetorIde;
  return MontaChaveAcesso("35", i[Ide::dhEmi], cnpj, std::stoi(i[Ide::mod]), std::stoi(i[Ide::serie]),
                          std::stoi(i[Ide::nNF]), std::stoi(i[Ide::tpEmis]), std::stoi(i[Ide::cNF]), forma);
}

// A layout 4.00 issuer of SP in homologation.
inline void Emitente400(GeradorXmlNFe& g) {
  g.UnidadeFederada = "SP", g.UnidadeFederadaCodigo = "35", g.Ambiente = "2", g.CNPJ = kCnpjEmitente;
  g.TipoDanfe = "1", g.Leiaute = "4.00";
}

inline constexpr const char* kDestinatarioHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";

struct OpcoesNota {
  int numero = 123;
  int codigoNumerico = 123;
  std::string cnpj = kCnpjEmitente;
  std::string ambiente = "2";
};

// An invoice as the generator writes it, unsigned; its key in *chave.
inline std::string NotaSemAssinatura(const OpcoesNota& o = {}, std::string* chave = nullptr) {
  VetoresNFe v = NotaExemplo();
  v.gVetorIde[Ide::cNF] = std::to_string(o.codigoNumerico);
  v.gVetorIde[Ide::nNF] = std::to_string(o.numero);
  v.gVetorDestinatario[Destinatario::xNome] = kDestinatarioHomologacao;
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

// One generator on a temporary root: an issuer of SP, in production for 3.10
// and in homologation for 4.00, with the example invoice (in 4.00 with the
// recipient's name homologation demands) changed by a case's columns from `primeira`.
struct Gerador {
  PastaTemporaria pasta;
  MapeadorCaminhos caminhos{pasta.Caminho()};
  RegistroWindows registro{pasta.Caminho() / "registro.reg"};
  GeradorXmlNFe g{caminhos, &registro};
  VetoresNFe v = NotaExemplo();

  Gerador(const std::string& leiaute, const std::vector<std::string>& caso, size_t primeira) {
    Emitente400(g);
    g.Leiaute = leiaute;
    if (leiaute == "3.10") g.Ambiente = "1", g.VerProc = "VelantNFe 6.07";
    else v.gVetorDestinatario[Destinatario::xNome] = kDestinatarioHomologacao;
    std::string valores;
    for (size_t i = primeira; i < caso.size(); ++i)
      if (!Altera(v, &g, caso[i])) {
        const size_t igual = caso[i].find('=');
        valores += "\"" + caso[i].substr(9, igual - 9) + "\"=\"" + caso[i].substr(igual + 1) + "\"\r\n";
      }
    if (!valores.empty())
      GravarTudo(registro.Arquivo(),
                        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\nfe]\r\n" + valores);
  }
  // Key, Id, file and last item as GerarNFE sets them, then GeraXml. A
  // document whose fields give no key gets the key of the example.
  std::string Gera() {
    std::string chave;
    try {
      chave = ChaveDa(v, g.CNPJ, CnpjNaChave::Alfanumerico);
    } catch (const ErroExecucao&) {
      chave = ChaveDa(NotaExemplo());
    }
    if (g.IdNFe.empty()) g.IdNFe = "NFe" + chave;
    g.UltimoItem = static_cast<int16_t>(v.gQtdItens - 1);
    g.ArquivoXml = "C:\\Dunmor\\nfe\\arquivos\\NFe" + chave + ".xml";
    return g.GeraXml(v.gVetorIde, v.gVetorEmitente, v.gVetorDestinatario, v.gVetorProdutos, v.gVetorTotais,
                     v.gVetorTransporte, v.gQtdFaturas, v.gVetorFaturas, v.gVetorInfAdic, v.gVetorAutXML);
  }
};

}  // namespace velant::teste
