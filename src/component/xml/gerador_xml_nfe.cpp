#include "component/xml/gerador_xml_nfe.h"

#include <fstream>
#include <optional>

#include "base/arquivos.h"
#include "base/caminhos.h"
#include "base/erro.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/formatos_leiaute.h"
#include "component/regras/reforma_tributaria.h"
#include "component/regras/regras_digitos.h"
#include "component/regras/regras_valores.h"
#include "component/xml/xml_escritor.h"
#include "contexto/vetores_nfe.h"
#include "plataforma/registro_windows.h"

namespace velant {

namespace {

using Vetor = std::vector<std::string>;
using Matriz = std::vector<std::vector<std::string>>;
namespace L = leiaute;

const std::string& Slot(const Vetor& v, size_t i) {
  static const std::string vazio;
  return i < v.size() ? v[i] : vazio;
}

std::string Apara(const std::string& s) {
  size_t i = s.find_first_not_of(" \t\r\n");
  if (i == std::string::npos) return "";
  return s.substr(i, s.find_last_not_of(" \t\r\n") - i + 1);
}

std::string ComZeros(const std::string& digitos, size_t largura) {
  return digitos.size() >= largura ? digitos : std::string(largura - digitos.size(), '0') + digitos;
}

std::vector<std::string> Lista(const std::string& texto) {
  std::vector<std::string> itens;
  size_t inicio = 0;
  while (inicio < texto.size()) {
    size_t fim = texto.find(';', inicio);
    if (fim == std::string::npos) fim = texto.size();
    itens.push_back(Apara(texto.substr(inicio, fim - inicio)));
    inicio = fim + 1;
  }
  while (!itens.empty() && itens.back().empty()) itens.pop_back();
  return itens;
}

// Writes one document; knows the element being written, for error texts.
class Redator {
 public:
  explicit Redator(std::string& saida) : w(saida) {}

  EscritorXml w;

  std::string Caminho(std::string_view tag) const {
    std::string c = w.Caminho();
    return c.empty() ? std::string(tag) : c + "/" + std::string(tag);
  }
  [[noreturn]] void Falta(std::string_view tag) const {
    throw ErroExecucao(CodigoErro::ErroComponente, "GeraXml: campo obrigatório sem valor: " + Caminho(tag));
  }
  [[noreturn]] void Recusa(std::string_view tag, const std::string& valor, const std::string& motivo) const {
    throw ErroExecucao(CodigoErro::ErroComponente,
                       "GeraXml: valor inválido em " + Caminho(tag) + ": '" + valor + "' (" + motivo + ")");
  }

  template <class F>
  auto Formata(std::string_view tag, F&& f) const -> decltype(f()) {
    try {
      return f();
    } catch (const L::Invalido& e) {
      Recusa(tag, e.valor, e.motivo);
    }
  }
  std::string Dec(std::string_view tag, const std::string& t, const L::FormatoDecimal& f) const {
    return Formata(tag, [&] { return L::Decimal(t, f); });
  }
  std::string Txt(std::string_view tag, const std::string& t, int minimo, int maximo) const {
    return Formata(tag, [&] { return L::Texto(t, minimo, maximo); });
  }
  std::string Dig(std::string_view tag, const std::string& t, int minimo, int maximo) const {
    return Formata(tag, [&] { return L::Digitos(t, minimo, maximo); });
  }
  std::string Int(std::string_view tag, const std::string& t, int maxDigitos) const {
    return Formata(tag, [&] { return L::Inteiro(t, maxDigitos); });
  }
  std::string Enum(std::string_view tag, const std::string& t, std::initializer_list<std::string_view> v) const {
    return Formata(tag, [&] { return L::Enumerado(t, v); });
  }
  std::string Uf(std::string_view tag, const std::string& t, bool aceitaEX) const {
    return Formata(tag, [&] { return L::Uf(t, aceitaEX); });
  }

  void Obrig(std::string_view tag, const std::string& valor) {
    if (valor.empty()) Falta(tag);
    w.Elemento(tag, valor);
  }
  void Opc(std::string_view tag, const std::string& valor) {
    if (!valor.empty()) w.Elemento(tag, valor);
  }
  // Amounts of the "Opc" types: zero says nothing, so it is left out.
  void OpcValor(std::string_view tag, const std::string& texto, const L::FormatoDecimal& f) {
    if (!L::VazioOuZero(texto)) w.Elemento(tag, Dec(tag, texto, f));
  }
  void ObrigValor(std::string_view tag, const std::string& texto, const L::FormatoDecimal& f) {
    Obrig(tag, Dec(tag, texto, f));
  }
};

// IBGE codes of the states (TCodUfIBGE).
std::string CodigoUf(const Redator& r, std::string_view tag, const std::string& texto) {
  static constexpr std::string_view codigos[] = {"11", "12", "13", "14", "15", "16", "17", "21", "22",
                                                 "23", "24", "25", "26", "27", "28", "29", "31", "32",
                                                 "33", "35", "41", "42", "43", "50", "51", "52", "53"};
  std::string d = r.Dig(tag, texto, 2, 2);
  if (d.empty()) return d;
  for (auto c : codigos)
    if (d == c) return d;
  r.Recusa(tag, texto, "código de UF do IBGE desconhecido");
}

// Quantity of a lot (TDec_0803v).
inline constexpr L::FormatoDecimal TDec_0803v{8, 0, 3, false};

// EAN/GTIN: empty, 8, or 12 to 14 digits.
std::string Gtin(const Redator& r, std::string_view tag, const std::string& texto) {
  std::string d = r.Dig(tag, texto, 8, 14);
  if (d.size() >= 9 && d.size() <= 11) r.Recusa(tag, texto, "GTIN deve ter 8, 12, 13 ou 14 dígitos");
  return d;
}

class Montagem {
 public:
  Montagem(const GeradorXmlNFe& g, const Vetor& ide, const Vetor& emit, const Vetor& dest, const Matriz& prod,
           const Vetor& tot, const Vetor& transp, int16_t qtdFaturas, const Matriz& fat, const Vetor& infAdic,
           const Vetor& autXML, const std::string& fuso, std::string& saida)
      : g_(g), ide_(ide), emit_(emit), dest_(dest), prod_(prod), tot_(tot), transp_(transp),
        qtdFaturas_(qtdFaturas), fat_(fat), infAdic_(infAdic), autXML_(autXML), fuso_(fuso), r_(saida) {}

  void Escreve() {
    if (g_.Leiaute != "3.10" && g_.Leiaute != "4.00") r_.Recusa("infNFe/@versao", g_.Leiaute, "leiaute 3.10 ou 4.00");
    quatro_ = g_.Leiaute == "4.00";
    if (!quatro_) Cadastro("emit/CNPJ", g_.CNPJ);   // letters: said before the key is judged
    std::string id = Apara(g_.IdNFe);
    if (id.size() != 47 || id.compare(0, 3, "NFe") != 0) r_.Recusa("infNFe/@Id", id, "\"NFe\" e a chave de 44 dígitos");
    auto chave = DecompoeChave(id.substr(3), quatro_ ? CnpjNaChave::Alfanumerico : CnpjNaChave::SoDigitos);
    if (!chave) r_.Recusa("infNFe/@Id", id, "chave de acesso com dígito verificador errado");
    chave_ = *chave;

    r_.w.Declaracao();
    r_.w.Abre("NFe", {{"xmlns", "http://www.portalfiscal.inf.br/nfe"}});
    r_.w.Abre("infNFe", {{"versao", g_.Leiaute}, {"Id", id}});
    Ide();
    Emit();
    Dest();
    AutXml();
    Itens();
    Total();
    Transp();
    Cobr();
    if (quatro_) Pag();
    InfAdic();
    Exporta();
    if (quatro_) RespTec();
    r_.w.Fecha();
    r_.w.Fecha();
  }

 private:
  // The key was computed from the same values; a difference means the
  // document and its Id would not match at the authority.
  void ConfereChave(std::string_view tag, const std::string& doDocumento, const std::string& daChave) {
    if (doDocumento != daChave)
      throw ErroExecucao(CodigoErro::ErroComponente, "GeraXml: " + r_.Caminho(tag) + " (" + doDocumento +
                                                         ") difere da chave de acesso (" + daChave + ")");
  }

  // A CNPJ (14 characters) or CPF (11 digits) as written: punctuation
  // dropped. Layout 4.00 takes a CNPJ with letters (upper-cased) when its
  // check digits hold; layout 3.10 refuses letters.
  std::string Cadastro(std::string_view tag, const std::string& texto) {
    std::string limpo;
    bool letra = false;
    for (char c : texto) {
      if (c == ' ' || c == '\t' || c == '.' || c == '-' || c == '/' || c == '(' || c == ')') continue;
      char m = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
      letra = letra || (m >= 'A' && m <= 'Z');
      limpo += m;
    }
    if (!letra) return r_.Dig(tag, texto, 11, 14);
    if (!quatro_) r_.Recusa(tag, texto, "CNPJ com letras só é aceito no leiaute 4.00");
    if (!regras::CnpjAlfanumericoValido(limpo))
      r_.Recusa(tag, texto, "CNPJ alfanumérico: 12 caracteres de 0-9 e A-Z e 2 dígitos verificadores corretos");
    return limpo;
  }

  std::string CodigoBarras(std::string_view tag, const std::string& texto) {
    std::string gtin = Gtin(r_, tag, texto);
    return gtin.empty() && quatro_ ? "SEM GTIN" : gtin;
  }

  std::string CodigoBeneficio(const std::string& texto) {
    std::string c = r_.Txt("cBenef", texto, 8, 10);
    if (!c.empty() && c != "SEM CBENEF" && c.size() != 8 && c.size() != 10)
      r_.Recusa("cBenef", texto, "8 ou 10 caracteres, ou SEM CBENEF");
    return c;
  }

  std::string DataObrigatoria(std::string_view tag, const std::string& texto) {
    auto data = r_.Formata(tag, [&] { return L::LerDataHora(texto); });
    if (!data) r_.Falta(tag);
    return r_.Formata(tag, [&] { return L::Data(*data); });
  }

  void Rastro(const Vetor& p) {
    if (Apara(Slot(p, Produto::nLote)).empty()) return;
    r_.w.Abre("rastro");
    r_.Obrig("nLote", r_.Txt("nLote", Slot(p, Produto::nLote), 1, 20));
    r_.ObrigValor("qLote", Slot(p, Produto::qLote), TDec_0803v);
    r_.Obrig("dFab", DataObrigatoria("dFab", Slot(p, Produto::dFab)));
    r_.Obrig("dVal", DataObrigatoria("dVal", Slot(p, Produto::dVal)));
    r_.Opc("cAgreg", r_.Txt("cAgreg", Slot(p, Produto::cAgreg), 1, 20));
    r_.w.Fecha();
  }

  // One payment of the whole invoice. An adjustment or a return moves no
  // money: tPag 90 with vPag 0. The change (vTroco) is paid on top of vNF.
  void Pag() {
    r_.w.Abre("pag");
    r_.w.Abre("detPag");
    std::string finNFe = Apara(Slot(ide_, Ide::finNFe));
    bool semPagamento = finNFe == "3" || finNFe == "4";
    std::string pedido = Apara(Slot(ide_, Ide::tPag));   // "3" is "03"
    std::string tPag = r_.Enum("tPag", pedido.empty() ? pedido : ComZeros(pedido, 2),
                               {"01", "02", "03", "04", "05", "10", "11", "12", "13", "15", "16", "17", "18", "19",
                                "20", "21", "22", "90", "91", "99"});
    if (semPagamento) {
      tPag = "90";
    } else if (tPag.empty()) {
      tPag = "99";
    }
    // indPag 2 ("other") of the old identification has no place here.
    std::string indPag = Apara(Slot(ide_, Ide::indPag));
    if (!semPagamento && (indPag == "0" || indPag == "1")) r_.w.Elemento("indPag", indPag);
    r_.Obrig("tPag", tPag);
    if (tPag == "99") {
      std::string xPag = r_.Txt("xPag", Slot(ide_, Ide::xPag), 2, 60);
      r_.Obrig("xPag", xPag.empty() ? "Não informado" : xPag);
    }
    bool troco = !semPagamento && L::Positivo(Slot(ide_, Ide::vTroco));
    std::string vPag = "0.00";
    if (!semPagamento) {
      auto total = regras::Fixo(r_.Dec("vPag", Slot(tot_, Totais::vNF), L::TDec_1302), 2);
      auto trocoCentavos = troco ? regras::Fixo(r_.Dec("vTroco", Slot(ide_, Ide::vTroco), L::TDec_1302), 2)
                                 : std::optional<regras::Inteiro>(0);
      if (!total || !trocoCentavos) r_.Falta("vPag");
      vPag = regras::TextoCentavos(*total + *trocoCentavos);
    }
    r_.ObrigValor("vPag", vPag, L::TDec_1302);
    if (!semPagamento && !Apara(Slot(ide_, Ide::tpIntegra)).empty()) {
      r_.w.Abre("card");
      r_.Obrig("tpIntegra", r_.Enum("tpIntegra", Slot(ide_, Ide::tpIntegra), {"1", "2"}));
      std::string cnpj = Cadastro("CNPJ", Slot(ide_, Ide::CNPJ_card));
      if (!cnpj.empty() && cnpj.size() != 14) r_.Recusa("CNPJ", Slot(ide_, Ide::CNPJ_card), "deve ter 14 caracteres");
      r_.Opc("CNPJ", cnpj);
      r_.Opc("tBand", r_.Dig("tBand", Slot(ide_, Ide::tBand), 2, 2));
      r_.Opc("cAut", r_.Txt("cAut", Slot(ide_, Ide::cAut), 1, 128));
      r_.w.Fecha();
    }
    r_.w.Fecha();
    if (troco) r_.ObrigValor("vTroco", Slot(ide_, Ide::vTroco), L::TDec_1302);
    r_.w.Fecha();
  }

  void RespTec() {
    if (Apara(g_.RespTecCNPJ).empty()) return;
    r_.w.Abre("infRespTec");
    std::string cnpj = Cadastro("CNPJ", g_.RespTecCNPJ);
    if (cnpj.size() != 14) r_.Recusa("CNPJ", g_.RespTecCNPJ, "deve ter 14 caracteres");
    r_.Obrig("CNPJ", cnpj);
    r_.Obrig("xContato", r_.Txt("xContato", g_.RespTecContato, 2, 60));
    r_.Obrig("email", r_.Txt("email", g_.RespTecEmail, 6, 60));
    r_.Obrig("fone", r_.Dig("fone", g_.RespTecFone, 6, 14));
    r_.w.Fecha();
  }

  void Ide() {
    r_.w.Abre("ide");
    std::string cuf = CodigoUf(r_, "cUF", Slot(ide_, Ide::cUF));
    if (cuf.empty()) cuf = CodigoUf(r_, "cUF", g_.UnidadeFederadaCodigo);
    r_.Obrig("cUF", cuf);
    ConfereChave("cUF", cuf, chave_.cUF);

    std::string cnf = r_.Int("cNF", Slot(ide_, Ide::cNF), 8);
    if (cnf.empty()) r_.Falta("cNF");
    cnf = ComZeros(cnf, 8);
    r_.Obrig("cNF", cnf);
    ConfereChave("cNF", cnf, chave_.cNF);

    r_.Obrig("natOp", r_.Txt("natOp", Slot(ide_, Ide::natOp), 1, 60));
    std::string indPag = r_.Enum("indPag", Slot(ide_, Ide::indPag), {"0", "1", "2"});
    if (!quatro_) r_.Obrig("indPag", indPag);
    std::string mod = r_.Enum("mod", Slot(ide_, Ide::mod), {"55", "65"});
    r_.Obrig("mod", mod);
    ConfereChave("mod", mod, chave_.mod);

    std::string serie = r_.Int("serie", Slot(ide_, Ide::serie), 3);
    r_.Obrig("serie", serie);
    ConfereChave("serie", ComZeros(serie, 3), chave_.serie);

    std::string nnf = r_.Int("nNF", Slot(ide_, Ide::nNF), 9);
    if (nnf == "0") r_.Recusa("nNF", Slot(ide_, Ide::nNF), "o número começa em 1");
    r_.Obrig("nNF", nnf);
    ConfereChave("nNF", ComZeros(nnf, 9), chave_.nNF);

    auto emissao = r_.Formata("dhEmi", [&] { return L::LerDataHora(Slot(ide_, Ide::dhEmi)); });
    if (!emissao) r_.Falta("dhEmi");
    dhEmi_ = *emissao;
    std::string dhEmi = r_.Formata("dhEmi", [&] { return L::DataHoraUTC(dhEmi_, fuso_); });
    r_.Obrig("dhEmi", dhEmi);
    char aamm[8];
    std::snprintf(aamm, sizeof aamm, "%02d%02d", dhEmi_.ano % 100, dhEmi_.mes);
    ConfereChave("dhEmi", aamm, chave_.AAMM);

    auto saida = r_.Formata("dhSaiEnt", [&] { return L::LerDataHora(Slot(ide_, Ide::dhSaiEnt)); });
    if (saida) r_.Obrig("dhSaiEnt", r_.Formata("dhSaiEnt", [&] { return L::DataHoraUTC(*saida, fuso_); }));

    tpNF_ = r_.Enum("tpNF", Slot(ide_, Ide::tpNF), {"0", "1"});
    r_.Obrig("tpNF", tpNF_);
    r_.Obrig("idDest", r_.Enum("idDest", Slot(ide_, Ide::idDest), {"1", "2", "3"}));
    r_.Obrig("cMunFG", r_.Dig("cMunFG", Slot(ide_, Ide::cMunFG), 7, 7));
    // Only for a sale outside the premises with no address of the recipient.
    if (quatro_ && Apara(Slot(ide_, Ide::indPres)) == "5" && !TemEnderecoDestinatario())
      r_.Opc("cMunFGIBS", r_.Dig("cMunFGIBS", Slot(ide_, Ide::cMunFGIBS), 7, 7));
    std::string tpImp = r_.Enum("tpImp", g_.TipoDanfe, {"0", "1", "2", "3", "4", "5"});
    r_.Obrig("tpImp", tpImp.empty() ? "1" : tpImp);
    std::string tpEmis = r_.Enum("tpEmis", Slot(ide_, Ide::tpEmis), {"1", "2", "3", "4", "5", "6", "7", "9"});
    r_.Obrig("tpEmis", tpEmis);
    ConfereChave("tpEmis", tpEmis, chave_.tpEmis);
    r_.Obrig("cDV", chave_.cDV);
    r_.Obrig("tpAmb", r_.Enum("tpAmb", g_.Ambiente, {"1", "2"}));
    r_.Obrig("finNFe", r_.Enum("finNFe", Slot(ide_, Ide::finNFe), {"1", "2", "3", "4"}));
    r_.Obrig("indFinal", r_.Enum("indFinal", Slot(ide_, Ide::indFinal), {"0", "1"}));
    std::string indPres = quatro_ ? r_.Enum("indPres", Slot(ide_, Ide::indPres), {"0", "1", "2", "3", "4", "5", "9"})
                                  : r_.Enum("indPres", Slot(ide_, Ide::indPres), {"0", "1", "2", "3", "4", "9"});
    r_.Obrig("indPres", indPres);
    if (quatro_) {
      // The authority wants the intermediary indicator for a sale not made in person.
      std::string indIntermed = r_.Enum("indIntermed", Slot(ide_, Ide::indIntermed), {"0", "1"});
      if (indIntermed.empty() && (indPres == "2" || indPres == "3" || indPres == "4" || indPres == "9"))
        indIntermed = "0";
      r_.Opc("indIntermed", indIntermed);
    }
    r_.Obrig("procEmi", "0");
    std::string verProc = r_.Txt("verProc", g_.VerProc, 1, 20);
    r_.Obrig("verProc", verProc.empty() ? "VelantNFe" : verProc);
    if (tpEmis != "1") {
      // The contingency was entered at dhCont; an invoice dated before that
      // (a document's own date) says it was entered when it was issued.
      std::string dhCont;
      if (auto inicio = r_.Formata("dhCont", [&] { return L::LerDataHora(Slot(ide_, Ide::dhCont)); }))
        dhCont = r_.Formata("dhCont", [&] { return L::DataHoraUTC(*inicio, fuso_); });
      if (dhCont.empty() || regras::Instante(dhCont) > regras::Instante(dhEmi)) dhCont = dhEmi;
      r_.Obrig("dhCont", dhCont);
      r_.Obrig("xJust", r_.Txt("xJust", Slot(ide_, Ide::xJust), 15, 256));
    }

    // In 4.00 the referenced key may carry an alphanumeric CNPJ.
    std::string refNFe = Slot(ide_, Ide::refNFe);
    if (!quatro_ || !ChaveNaForma(refNFe, CnpjNaChave::Alfanumerico)) refNFe = r_.Dig("NFref/refNFe", refNFe, 44, 44);
    if (!refNFe.empty()) {
      r_.w.Abre("NFref");
      r_.w.Elemento("refNFe", refNFe);
      r_.w.Fecha();
    }
    auto modelos = Lista(Slot(ide_, Ide::modECF));
    auto ecfs = Lista(Slot(ide_, Ide::nECF));
    auto coos = Lista(Slot(ide_, Ide::nCOO));
    if (modelos.size() != ecfs.size() || modelos.size() != coos.size())
      r_.Recusa("NFref/refECF", Slot(ide_, Ide::modECF) + " | " + Slot(ide_, Ide::nECF) + " | " + Slot(ide_, Ide::nCOO),
                "listas de modelo, ECF e COO de tamanhos diferentes");
    if (modelos.size() + (refNFe.empty() ? 0 : 1) > 500)
      r_.Recusa("NFref", std::to_string(modelos.size()), "mais de 500 documentos referenciados");
    for (size_t i = 0; i < modelos.size(); ++i) {
      r_.w.Abre("NFref", {}, "NFref[" + std::to_string(i + 1) + "]");
      r_.w.Abre("refECF");
      std::string m = modelos[i];
      for (char& c : m)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      r_.Obrig("mod", r_.Enum("mod", m, {"2B", "2C", "2D"}));
      r_.Obrig("nECF", r_.Dig("nECF", ecfs[i], 1, 3));
      r_.Obrig("nCOO", r_.Dig("nCOO", coos[i], 1, 6));
      r_.w.Fecha();
      r_.w.Fecha();
    }
    r_.w.Fecha();
  }

  void Emit() {
    r_.w.Abre("emit");
    std::string documento = Cadastro("CNPJ", g_.CNPJ);
    if (documento.empty()) r_.Falta("CNPJ");
    if (documento.size() == 14) {
      r_.Obrig("CNPJ", documento);
      ConfereChave("CNPJ", documento, chave_.CNPJ);
    } else if (documento.size() == 11) {
      r_.Obrig("CPF", documento);
      ConfereChave("CPF", "000" + documento, chave_.CNPJ);
    } else {
      r_.Recusa("CNPJ", g_.CNPJ, "deve ter 14 dígitos (ou 11, CPF)");
    }
    r_.Obrig("xNome", r_.Txt("xNome", Slot(emit_, Emitente::xNome), 2, 60));
    r_.Opc("xFant", r_.Txt("xFant", Slot(emit_, Emitente::xFant), 1, 60));
    r_.w.Abre("enderEmit");
    r_.Obrig("xLgr", r_.Txt("xLgr", Slot(emit_, Emitente::xLgr), 2, 60));
    std::string nro = r_.Txt("nro", Slot(emit_, Emitente::nro), 1, 60);
    r_.Obrig("nro", nro.empty() ? "S/N" : nro);
    r_.Opc("xCpl", r_.Txt("xCpl", Slot(emit_, Emitente::xCpl), 1, 60));
    r_.Obrig("xBairro", r_.Txt("xBairro", Slot(emit_, Emitente::xBairro), 2, 60));
    r_.Obrig("cMun", r_.Dig("cMun", Slot(emit_, Emitente::cMun), 7, 7));
    r_.Obrig("xMun", r_.Txt("xMun", Slot(emit_, Emitente::xMun), 2, 60));
    r_.Obrig("UF", r_.Uf("UF", g_.UnidadeFederada, false));
    r_.Obrig("CEP", r_.Dig("CEP", Slot(emit_, Emitente::CEP), 8, 8));
    r_.Obrig("cPais", "1058");
    r_.Obrig("xPais", "BRASIL");
    r_.Opc("fone", r_.Dig("fone", Slot(emit_, Emitente::fone), 6, 14));
    r_.w.Fecha();
    std::string ie = r_.Dig("IE", Slot(emit_, Emitente::IE), 2, 14);
    r_.Obrig("IE", ie.empty() ? "ISENTO" : ie);
    r_.Obrig("CRT", r_.Enum("CRT", Slot(emit_, Emitente::CRT), {"1", "2", "3"}));
    r_.w.Fecha();
  }

  bool TemEnderecoDestinatario() const {
    for (int i = Destinatario::xLgr; i <= Destinatario::fone; ++i)
      if (!Apara(Slot(dest_, i)).empty()) return true;
    return false;
  }

  void Dest() {
    r_.w.Abre("dest");
    std::string uf = r_.Uf("enderDest/UF", Slot(dest_, Destinatario::UF), true);
    bool exterior = uf == "EX";
    std::string documento = Cadastro("CNPJ", Slot(dest_, Destinatario::CNPJouCPF));
    if (documento.size() == 14) {
      r_.w.Elemento("CNPJ", documento);
    } else if (documento.size() == 11) {
      r_.w.Elemento("CPF", documento);
    } else if (documento.empty() && exterior) {
      r_.w.Elemento("idEstrangeiro", "");
    } else if (documento.empty()) {
      r_.Falta("CNPJ");
    } else {
      r_.Recusa("CNPJ", Slot(dest_, Destinatario::CNPJouCPF), "deve ter 14 dígitos (CNPJ) ou 11 (CPF)");
    }
    r_.Opc("xNome", r_.Txt("xNome", Slot(dest_, Destinatario::xNome), 2, 60));

    if (TemEnderecoDestinatario()) {
      r_.w.Abre("enderDest");
      r_.Obrig("xLgr", r_.Txt("xLgr", Slot(dest_, Destinatario::xLgr), 2, 60));
      std::string nro = r_.Txt("nro", Slot(dest_, Destinatario::nro), 1, 60);
      r_.Obrig("nro", nro.empty() ? "S/N" : nro);
      r_.Opc("xCpl", r_.Txt("xCpl", Slot(dest_, Destinatario::xCpl), 1, 60));
      r_.Obrig("xBairro", r_.Txt("xBairro", Slot(dest_, Destinatario::xBairro), 2, 60));
      std::string cMun = r_.Dig("cMun", Slot(dest_, Destinatario::cMun), 7, 7);
      r_.Obrig("cMun", cMun.empty() && exterior ? "9999999" : cMun);
      r_.Obrig("xMun", r_.Txt("xMun", Slot(dest_, Destinatario::xMun), 2, 60));
      r_.Obrig("UF", uf);
      r_.Opc("CEP", r_.Dig("CEP", Slot(dest_, Destinatario::CEP), 8, 8));
      std::string cPais =
          r_.Formata("cPais", [&] { return L::Inteiro(L::Digitos(Slot(dest_, Destinatario::cPais), 1, 5), 4); });
      std::string xPais = r_.Txt("xPais", Slot(dest_, Destinatario::xPais), 2, 60);
      if (!exterior && cPais.empty()) cPais = "1058";
      if (!exterior && xPais.empty()) xPais = "BRASIL";
      r_.Opc("cPais", cPais);
      r_.Opc("xPais", xPais);
      r_.Opc("fone", r_.Dig("fone", Slot(dest_, Destinatario::fone), 6, 14));
      r_.w.Fecha();
    }
    std::string indIEDest = r_.Enum("indIEDest", Slot(dest_, Destinatario::indIEDest), {"1", "2", "9"});
    r_.Obrig("indIEDest", indIEDest);
    // The authority refuses a registration beside "exempt" (2) or "not a contributor" (9).
    if (indIEDest == "1") r_.Opc("IE", r_.Dig("IE", Slot(dest_, Destinatario::IE), 2, 14));
    r_.Opc("ISUF", r_.Dig("ISUF", Slot(dest_, Destinatario::ISUF), 8, 9));
    r_.w.Fecha();
  }

  void AutXml() {
    int n = 0;
    for (const auto& slot : autXML_) {
      if (Apara(slot).empty()) continue;
      if (++n > 10) r_.Recusa("autXML", slot, "mais de 10 autorizados");
      r_.w.Abre("autXML", {}, "autXML[" + std::to_string(n) + "]");
      std::string d = Cadastro("CNPJ", slot);
      if (d.size() == 14) {
        r_.w.Elemento("CNPJ", d);
      } else if (d.size() == 11) {
        r_.w.Elemento("CPF", d);
      } else {
        r_.Recusa("CNPJ", slot, "deve ter 14 dígitos (CNPJ) ou 11 (CPF)");
      }
      r_.w.Fecha();
    }
  }

  void Itens() {
    if (g_.UltimoItem < 0) r_.Falta("det");
    size_t quantidade = static_cast<size_t>(g_.UltimoItem) + 1;
    if (quantidade > 990) r_.Recusa("det", std::to_string(quantidade), "mais de 990 itens");
    if (quantidade > prod_.size())
      r_.Recusa("det", std::to_string(quantidade), "o vetor de produtos tem " + std::to_string(prod_.size()) + " itens");
    for (size_t i = 0; i < quantidade; ++i) {
      std::string n = std::to_string(i + 1);
      r_.w.Abre("det", {{"nItem", n}}, "det[" + n + "]");
      Prod(prod_[i]);
      Imposto(prod_[i]);
      r_.w.Fecha();
    }
  }

  void Prod(const Vetor& p) {
    r_.w.Abre("prod");
    r_.Obrig("cProd", r_.Txt("cProd", Slot(p, Produto::cProd), 1, 60));
    r_.w.Elemento("cEAN", CodigoBarras("cEAN", Slot(p, Produto::cEAN)));
    r_.Obrig("xProd", r_.Txt("xProd", Slot(p, Produto::xProd), 1, 120));
    std::string ncm = r_.Dig("NCM", Slot(p, Produto::NCM), 2, 8);
    if (!ncm.empty() && ncm.size() != 2 && ncm.size() != 8)
      r_.Recusa("NCM", Slot(p, Produto::NCM), "deve ter 8 dígitos (ou 2)");
    r_.Obrig("NCM", ncm);
    if (quatro_) r_.Opc("cBenef", CodigoBeneficio(Slot(p, Produto::cBenef)));
    r_.Opc("EXTIPI", r_.Dig("EXTIPI", Slot(p, Produto::EXTIPI), 2, 3));
    std::string cfop = r_.Dig("CFOP", Slot(p, Produto::CFOP), 4, 4);
    if (!cfop.empty() && std::string("123567").find(cfop[0]) == std::string::npos)
      r_.Recusa("CFOP", Slot(p, Produto::CFOP), "CFOP começa por 1, 2, 3, 5, 6 ou 7");
    r_.Obrig("CFOP", cfop);
    r_.Obrig("uCom", r_.Txt("uCom", Slot(p, Produto::uCom), 1, 6));
    r_.ObrigValor("qCom", Slot(p, Produto::qCom), L::TDec_1104v);
    r_.ObrigValor("vUnCom", Slot(p, Produto::vUnCom), L::TDec_1110v);
    r_.ObrigValor("vProd", Slot(p, Produto::vProd), L::TDec_1302);
    r_.w.Elemento("cEANTrib", CodigoBarras("cEANTrib", Slot(p, Produto::cEANTrib)));
    r_.Obrig("uTrib", r_.Txt("uTrib", Slot(p, Produto::uTrib), 1, 6));
    r_.ObrigValor("qTrib", Slot(p, Produto::qTrib), L::TDec_1104v);
    r_.ObrigValor("vUnTrib", Slot(p, Produto::vUnTrib), L::TDec_1110v);
    r_.OpcValor("vFrete", Slot(p, Produto::vFrete), L::TDec_1302Opc);
    r_.OpcValor("vSeg", Slot(p, Produto::vSeg), L::TDec_1302Opc);
    r_.OpcValor("vDesc", Slot(p, Produto::vDesc), L::TDec_1302Opc);
    r_.OpcValor("vOutro", Slot(p, Produto::vOutro), L::TDec_1302Opc);
    r_.Obrig("indTot", r_.Enum("indTot", Slot(p, Produto::indTot), {"0", "1"}));
    if (quatro_) Rastro(p);
    if (!Apara(Slot(p, Produto::cProdANP)).empty()) {
      r_.w.Abre("comb");
      r_.Obrig("cProdANP", r_.Dig("cProdANP", Slot(p, Produto::cProdANP), 9, 9));
      if (quatro_) {
        const std::string& anp = Slot(p, Produto::descANP);
        std::string desc = Apara(anp).empty() ? Slot(p, Produto::xProd) : anp;
        r_.Obrig("descANP", r_.Txt("descANP", desc, 2, 95));
      }
      r_.Opc("CODIF", r_.Dig("CODIF", Slot(p, Produto::CODIF), 1, 21));
      r_.OpcValor("qTemp", Slot(p, Produto::qTemp), L::TDec_1204temperatura);
      r_.Obrig("UFCons", r_.Uf("UFCons", Slot(p, Produto::UFCons), true));
      r_.w.Fecha();
    }
    r_.w.Fecha();
  }

  void Imposto(const Vetor& p) {
    r_.w.Abre("imposto");
    Icms(p);
    Ipi(p);
    Pis(p);
    Cofins(p);
    if (quatro_) {
      regras::Inteiro vIS = Is(p);
      IbsCbs(p, vIS);
    }
    r_.w.Fecha();
  }

  // Tax reform groups (regras/reforma_tributaria.h): the amounts are worked
  // out here from the item's values, the rates of the emission year unless
  // the item gives its own.
  regras::Inteiro CentavosDe(std::string_view tag, const std::string& texto) {
    return regras::FixoOuZero(r_.Dec(tag, L::VazioOuZero(texto) ? "0" : texto, L::TDec_1302), 2);
  }
  regras::Inteiro PercentualDe(std::string_view tag, const std::string& texto) {
    return regras::FixoOuZero(r_.Dec(tag, L::VazioOuZero(texto) ? "0" : texto, L::TDec_0302a04), 4);
  }
  static std::string Percentual(regras::Inteiro p) { return regras::TextoFixo(p, regras::reforma::kCasasPercentual); }

  regras::reforma::ParcelasBase ParcelasDoItem(const Vetor& p) {
    regras::reforma::ParcelasBase b;
    b.vProd = CentavosDe("vProd", Slot(p, Produto::vProd));
    b.vFrete = CentavosDe("vFrete", Slot(p, Produto::vFrete));
    b.vSeg = CentavosDe("vSeg", Slot(p, Produto::vSeg));
    b.vOutro = CentavosDe("vOutro", Slot(p, Produto::vOutro));
    b.vDesc = CentavosDe("vDesc", Slot(p, Produto::vDesc));
    // The ICMS the item's group carries: the CST groups with an own amount, CSOSN 900.
    static constexpr std::string_view comIcms[] = {"00", "10", "20", "51", "70", "90", "900"};
    std::string codigo = Apara(Slot(p, Produto::CSTouCSOSN));
    for (auto c : comIcms)
      if (codigo == c) b.vICMS = CentavosDe("vICMS", Slot(p, Produto::vICMS));
    b.vFCP = CentavosDe("vFCP", Slot(p, Produto::vFCP));
    if (!Apara(Slot(p, Produto::CST_PIS)).empty()) b.vPIS = CentavosDe("vPIS", Slot(p, Produto::vPIS));
    if (!Apara(Slot(p, Produto::CST_COFINS)).empty()) b.vCOFINS = CentavosDe("vCOFINS", Slot(p, Produto::vCOFINS));
    return b;
  }

  // The selective tax, when the item names its CST: the item's value (the
  // other taxes stay in it), the item's rate. Answers the amount (0 without the group).
  regras::Inteiro Is(const Vetor& p) {
    std::string cst = r_.Dig("IS/CSTIS", Slot(p, Produto::CSTIS), 3, 3);
    if (cst.empty()) return 0;
    r_.w.Abre("IS");
    r_.w.Elemento("CSTIS", cst);
    r_.Obrig("cClassTribIS", r_.Dig("cClassTribIS", Slot(p, Produto::cClassTribIS), 6, 6));
    regras::reforma::ParcelasBase parcelas = ParcelasDoItem(p);
    parcelas.vICMS = parcelas.vFCP = parcelas.vPIS = parcelas.vCOFINS = 0;
    regras::Inteiro base = regras::reforma::BaseDoItem(parcelas);
    regras::Inteiro pIS = PercentualDe("pIS", Slot(p, Produto::pIS));
    regras::Inteiro vIS = regras::reforma::ValorDoPercentual(base, pIS);
    r_.w.Elemento("vBCIS", regras::TextoCentavos(base));
    r_.w.Elemento("pIS", Percentual(pIS));
    r_.w.Elemento("vIS", regras::TextoCentavos(vIS));
    r_.w.Fecha();
    algumIs_ = true;
    totaisReforma_.vIS += vIS;
    return vIS;
  }

  void IbsCbs(const Vetor& p, regras::Inteiro vIS) {
    namespace rf = regras::reforma;
    std::string cst = r_.Dig("IBSCBS/CST", Slot(p, Produto::CST_IBSCBS), 3, 3);
    if (cst.empty()) return;
    algumIbsCbs_ = true;
    r_.w.Abre("IBSCBS");
    r_.w.Elemento("CST", cst);
    std::string cClassTrib = r_.Dig("cClassTrib", Slot(p, Produto::cClassTrib), 6, 6);
    if (cClassTrib.empty()) r_.Falta("cClassTrib");
    if (!rf::ClassificacaoDoCst(cst, cClassTrib)) r_.Recusa("cClassTrib", cClassTrib, "não pertence ao CST " + cst);
    r_.w.Elemento("cClassTrib", cClassTrib);
    const rf::Tabela& tabela = rf::Tabela::Padrao();
    const rf::ExigenciaCst* exige = tabela.Cst(cst);
    if (exige == nullptr) r_.Recusa("CST", cst, "CST sem grupo conhecido em reforma-tributaria.txt");
    if (exige->gIBSCBS) GrupoIbsCbs(p, *exige, tabela, cClassTrib, vIS);
    r_.w.Fecha();
  }

  void GrupoIbsCbs(const Vetor& p, const regras::reforma::ExigenciaCst& exige,
                   const regras::reforma::Tabela& tabela, const std::string& cClassTrib, regras::Inteiro vIS) {
    namespace rf = regras::reforma;
    rf::EntradaItem e;
    rf::ParcelasBase parcelas = ParcelasDoItem(p);
    parcelas.vIS = vIS;
    e.vBC = rf::BaseDoItem(parcelas);
    auto doAno = tabela.DoAno(dhEmi_.ano);
    auto aliquota = [&](const char* tag, Produto::Slot slot, regras::Inteiro rf::Aliquotas::*campo) {
      if (!Apara(Slot(p, slot)).empty()) return PercentualDe(tag, Slot(p, slot));
      if (!doAno) r_.Recusa(tag, "", "sem alíquotas do ano " + std::to_string(dhEmi_.ano) + " em reforma-tributaria.txt");
      return (*doAno).*campo;
    };
    e.aliquotas.pIBSUF = aliquota("pIBSUF", Produto::pIBSUF, &rf::Aliquotas::pIBSUF);
    e.aliquotas.pIBSMun = aliquota("pIBSMun", Produto::pIBSMun, &rf::Aliquotas::pIBSMun);
    e.aliquotas.pCBS = aliquota("pCBS", Produto::pCBS, &rf::Aliquotas::pCBS);
    if (exige.gRed) {
      const std::string& informada = Slot(p, Produto::pRedAliq);
      auto daTabela = tabela.ReducaoDe(cClassTrib);
      if (Apara(informada).empty() && !daTabela) r_.Falta("gRed/pRedAliq");
      e.pRedAliq = Apara(informada).empty() ? *daTabela : PercentualDe("pRedAliq", informada);
    }
    if (exige.gDif) {
      if (Apara(Slot(p, Produto::pDif_IBSCBS)).empty()) r_.Falta("gDif/pDif");
      e.pDif = PercentualDe("pDif", Slot(p, Produto::pDif_IBSCBS));
    }
    rf::ResultadoItem r = rf::CalculaItem(e);
    totaisReforma_.Soma(r);

    auto tributo = [&](const char* grupo, const char* tagP, const char* tagV, const rf::Tributo& t) {
      r_.w.Abre(grupo);
      r_.w.Elemento(tagP, Percentual(t.p));
      if (exige.gDif) {
        r_.w.Abre("gDif");
        r_.w.Elemento("pDif", Percentual(t.pDif));
        r_.w.Elemento("vDif", regras::TextoCentavos(t.vDif));
        r_.w.Fecha();
      }
      if (exige.gRed) {
        r_.w.Abre("gRed");
        r_.w.Elemento("pRedAliq", Percentual(t.pRedAliq));
        r_.w.Elemento("pAliqEfet", Percentual(t.pAliqEfet));
        r_.w.Fecha();
      }
      r_.w.Elemento(tagV, regras::TextoCentavos(t.v));
      r_.w.Fecha();
    };
    r_.w.Abre("gIBSCBS");
    r_.w.Elemento("vBC", regras::TextoCentavos(r.vBC));
    tributo("gIBSUF", "pIBSUF", "vIBSUF", r.uf);
    tributo("gIBSMun", "pIBSMun", "vIBSMun", r.mun);
    r_.w.Elemento("vIBS", regras::TextoCentavos(r.vIBS));
    tributo("gCBS", "pCBS", "vCBS", r.cbs);
    r_.w.Fecha();
  }

  // Substitution block shared by CST 10, 30, 70, 90 and CSOSN 201, 202, 900.
  void BlocoSt(const Vetor& p) {
    std::string mod = r_.Enum("modBCST", Slot(p, Produto::modBCST), {"0", "1", "2", "3", "4", "5"});
    r_.Obrig("modBCST", mod.empty() ? "4" : mod);
    r_.OpcValor("pMVAST", Slot(p, Produto::pMVAST), L::TDec_0302a04Opc);
    r_.OpcValor("pRedBCST", Slot(p, Produto::pRedBCST), L::TDec_0302a04Opc);
    r_.ObrigValor("vBCST", Slot(p, Produto::vBCST), L::TDec_1302);
    r_.ObrigValor("pICMSST", Slot(p, Produto::pICMSST), L::TDec_0302a04);
    r_.ObrigValor("vICMSST", Slot(p, Produto::vICMSST), L::TDec_1302);
    Fcp(p, "vBCFCPST", "pFCPST", "vFCPST", Produto::vBCFCPST, Produto::pFCPST, Produto::vFCPST);
  }
  // A poverty-fund block of layout 4.00, when its rate or amount is positive.
  // Base empty: the group has none (ICMS00).
  void Fcp(const Vetor& p, const char* base, const char* taxa, const char* valor, Produto::Slot slotBase,
           Produto::Slot slotTaxa, Produto::Slot slotValor) {
    if (!quatro_ || !AlgumPositivo(p, {slotTaxa, slotValor})) return;
    if (*base != '\0') r_.ObrigValor(base, Slot(p, slotBase).empty() ? "0" : Slot(p, slotBase), L::TDec_1302);
    r_.ObrigValor(taxa, Slot(p, slotTaxa), L::TDec_0302a04Opc);
    r_.ObrigValor(valor, Slot(p, slotValor).empty() ? "0" : Slot(p, slotValor), L::TDec_1302);
  }
  void FcpProprio(const Vetor& p, bool comBase = true) {
    Fcp(p, comBase ? "vBCFCP" : "", "pFCP", "vFCP", Produto::vBCFCP, Produto::pFCP, Produto::vFCP);
  }
  void BlocoProprio(const Vetor& p, bool comReducao, bool reducaoOpcional) {
    r_.Obrig("modBC", r_.Enum("modBC", Slot(p, Produto::modBC), {"0", "1", "2", "3"}));
    if (comReducao) r_.ObrigValor("pRedBC", Slot(p, Produto::pRedBC), L::TDec_0302a04);
    r_.ObrigValor("vBC", Slot(p, Produto::vBC), L::TDec_1302);
    if (reducaoOpcional) r_.OpcValor("pRedBC", Slot(p, Produto::pRedBC), L::TDec_0302a04Opc);
    r_.ObrigValor("pICMS", Slot(p, Produto::pICMS), L::TDec_0302a04);
    r_.ObrigValor("vICMS", Slot(p, Produto::vICMS), L::TDec_1302);
  }
  void BlocoRetido(const Vetor& p) {
    if (L::Positivo(Slot(p, Produto::vBCST)) || L::Positivo(Slot(p, Produto::vICMSST))) {
      r_.ObrigValor("vBCSTRet", Slot(p, Produto::vBCST), L::TDec_1302);
      const std::string& pST = Slot(p, Produto::pICMSST);
      if (quatro_) r_.ObrigValor("pST", pST.empty() ? "0" : pST, L::TDec_0302a04Opc);
      r_.ObrigValor("vICMSSTRet", Slot(p, Produto::vICMSST), L::TDec_1302);
    }
    Fcp(p, "vBCFCPSTRet", "pFCPSTRet", "vFCPSTRet", Produto::vBCFCPSTRet, Produto::pFCPSTRet, Produto::vFCPSTRet);
  }
  void BlocoCredito(const Vetor& p) {
    r_.ObrigValor("pCredSN", Slot(p, Produto::pCredSN), L::TDec_0302a04);
    r_.ObrigValor("vCredICMSSN", Slot(p, Produto::vCredICMSSN), L::TDec_1302);
  }
  // CST 51 whose ICMS is less than base times rate: the rest was deferred,
  // and the authority wants the operation's ICMS, the deferred share and
  // the deferred amount to show it.
  void Diferimento(const std::string& vBC, const std::string& pICMS, const std::string& vICMS) {
    auto base = regras::Fixo(vBC, 2), aliquota = regras::Fixo(pICMS, 4), devido = regras::Fixo(vICMS, 2);
    if (!base || !aliquota || !devido) return;
    regras::Inteiro operacao = (*base * *aliquota + 500000) / 1000000;   // cents, rounded half up
    regras::Inteiro diferido = operacao - *devido;
    if (diferido <= 1 || operacao <= 0) return;   // within the cent the authority tolerates: nothing deferred
    regras::Inteiro percentual = (diferido * 1000000 * 2 + operacao) / (operacao * 2);   // 4 decimals
    r_.w.Elemento("vICMSOp", regras::TextoCentavos(operacao));
    r_.w.Elemento("pDif", regras::TextoFixo(percentual, 4));
    r_.w.Elemento("vICMSDif", regras::TextoCentavos(diferido));
  }
  static bool AlgumPositivo(const Vetor& p, std::initializer_list<Produto::Slot> slots) {
    for (Produto::Slot s : slots)
      if (L::Positivo(Slot(p, s))) return true;
    return false;
  }

  void Icms(const Vetor& p) {
    r_.w.Abre("ICMS");
    std::string codigo = Apara(Slot(p, Produto::CSTouCSOSN));
    if (codigo.empty()) r_.Falta("CST");
    std::string orig = r_.Enum("orig", Slot(p, Produto::orig), {"0", "1", "2", "3", "4", "5", "6", "7", "8"});
    auto grupo = [&](const char* nome, const char* tagCodigo) {
      r_.w.Abre(nome);
      r_.Obrig("orig", orig);
      r_.w.Elemento(tagCodigo, codigo);
    };
    if (codigo == "00") {
      grupo("ICMS00", "CST");
      BlocoProprio(p, false, false);
      FcpProprio(p, false);
    } else if (codigo == "10") {
      grupo("ICMS10", "CST");
      BlocoProprio(p, false, false);
      FcpProprio(p);
      BlocoSt(p);
    } else if (codigo == "20") {
      grupo("ICMS20", "CST");
      BlocoProprio(p, true, false);
      FcpProprio(p);
    } else if (codigo == "30") {
      grupo("ICMS30", "CST");
      BlocoSt(p);
    } else if (codigo == "40" || codigo == "41" || codigo == "50") {
      grupo("ICMS40", "CST");
    } else if (codigo == "51") {
      grupo("ICMS51", "CST");
      r_.Opc("modBC", r_.Enum("modBC", Slot(p, Produto::modBC), {"0", "1", "2", "3"}));
      if (L::Positivo(Slot(p, Produto::pRedBC))) r_.ObrigValor("pRedBC", Slot(p, Produto::pRedBC), L::TDec_0302a04);
      std::string vBC = r_.Dec("vBC", Slot(p, Produto::vBC), L::TDec_1302);
      std::string pICMS = r_.Dec("pICMS", Slot(p, Produto::pICMS), L::TDec_0302a04);
      std::string vICMS = r_.Dec("vICMS", Slot(p, Produto::vICMS), L::TDec_1302);
      r_.Opc("vBC", vBC);
      r_.Opc("pICMS", pICMS);
      Diferimento(vBC, pICMS, vICMS);
      r_.Opc("vICMS", vICMS);
      FcpProprio(p);
    } else if (codigo == "60") {
      grupo("ICMS60", "CST");
      BlocoRetido(p);
    } else if (codigo == "70") {
      grupo("ICMS70", "CST");
      BlocoProprio(p, true, false);
      FcpProprio(p);
      BlocoSt(p);
    } else if (codigo == "90") {
      grupo("ICMS90", "CST");
      if (AlgumPositivo(p, {Produto::vBC, Produto::pICMS, Produto::vICMS})) {
        BlocoProprio(p, false, true);
        FcpProprio(p);
      }
      if (AlgumPositivo(p, {Produto::vBCST, Produto::pICMSST, Produto::vICMSST})) BlocoSt(p);
    } else if (codigo == "101") {
      grupo("ICMSSN101", "CSOSN");
      BlocoCredito(p);
    } else if (codigo == "102" || codigo == "103" || codigo == "300" || codigo == "400") {
      grupo("ICMSSN102", "CSOSN");
    } else if (codigo == "201") {
      grupo("ICMSSN201", "CSOSN");
      BlocoSt(p);
      BlocoCredito(p);
    } else if (codigo == "202" || codigo == "203") {
      grupo("ICMSSN202", "CSOSN");
      BlocoSt(p);
    } else if (codigo == "500") {
      grupo("ICMSSN500", "CSOSN");
      BlocoRetido(p);
    } else if (codigo == "900") {
      grupo("ICMSSN900", "CSOSN");
      if (AlgumPositivo(p, {Produto::vBC, Produto::pICMS, Produto::vICMS})) BlocoProprio(p, false, true);
      if (AlgumPositivo(p, {Produto::vBCST, Produto::pICMSST, Produto::vICMSST})) BlocoSt(p);
      if (AlgumPositivo(p, {Produto::pCredSN, Produto::vCredICMSSN})) BlocoCredito(p);
    } else {
      r_.Recusa(codigo.size() == 3 ? "CSOSN" : "CST", codigo, "código de situação tributária desconhecido");
    }
    r_.w.Fecha();
    r_.w.Fecha();
  }

  void Ipi(const Vetor& p) {
    if (Apara(Slot(p, Produto::cEnq)).empty()) return;
    r_.w.Abre("IPI");
    std::string cnpjProd = r_.Dig("CNPJProd", Slot(p, Produto::CNPJProd), 14, 14);
    if (cnpjProd.find_first_not_of('0') != std::string::npos) r_.w.Elemento("CNPJProd", cnpjProd);
    r_.Obrig("cEnq", r_.Txt("cEnq", Slot(p, Produto::cEnq), 1, 3));
    bool entrada = tpNF_ == "0";
    if (L::Positivo(Slot(p, Produto::vIPI))) {
      r_.w.Abre("IPITrib");
      r_.w.Elemento("CST", entrada ? "00" : "50");
      r_.ObrigValor("vBC", Slot(p, Produto::vBC_IPI), L::TDec_1302);
      r_.ObrigValor("pIPI", Slot(p, Produto::pIPI), L::TDec_0302a04);
      r_.ObrigValor("vIPI", Slot(p, Produto::vIPI), L::TDec_1302);
    } else {
      r_.w.Abre("IPINT");
      r_.w.Elemento("CST", entrada ? "03" : "53");
    }
    r_.w.Fecha();
    r_.w.Fecha();
  }

  // PIS and COFINS share their shape; only the names and slots differ.
  struct Contribuicao {
    const char* grupo;      // "PIS"
    const char* aliquota;   // "pPIS"
    const char* valor;      // "vPIS"
    Produto::Slot cst, base, taxa, montante, valorUnidade;
  };

  void Contribuicao(const Vetor& p, const Contribuicao& c) {
    std::string cst = Apara(Slot(p, c.cst));
    if (cst.empty()) return;
    std::string g = c.grupo;
    r_.w.Abre(c.grupo);
    if (cst == "01" || cst == "02") {
      r_.w.Abre(g + "Aliq");
      r_.w.Elemento("CST", cst);
      r_.ObrigValor("vBC", Slot(p, c.base), L::TDec_1302);
      r_.ObrigValor(c.aliquota, Slot(p, c.taxa), L::TDec_0302a04);
      r_.ObrigValor(c.valor, Slot(p, c.montante), L::TDec_1302);
    } else if (cst == "03") {
      r_.w.Abre(g + "Qtde");
      r_.w.Elemento("CST", cst);
      r_.ObrigValor("qBCProd", Slot(p, Produto::qTrib), L::TDec_1204v);
      r_.ObrigValor("vAliqProd", Slot(p, c.valorUnidade), L::TDec_1104v);
      r_.ObrigValor(c.valor, Slot(p, c.montante), L::TDec_1302);
    } else if (cst == "04" || cst == "05" || cst == "06" || cst == "07" || cst == "08" || cst == "09") {
      r_.w.Abre(g + "NT");
      r_.w.Elemento("CST", cst);
    } else {
      static constexpr std::string_view outras[] = {"49", "50", "51", "52", "53", "54", "55", "56",
                                                    "60", "61", "62", "63", "64", "65", "66", "67",
                                                    "70", "71", "72", "73", "74", "75", "98", "99"};
      bool conhecido = false;
      for (auto o : outras) conhecido = conhecido || cst == o;
      if (!conhecido) r_.Recusa("CST", cst, "código de situação tributária desconhecido");
      r_.w.Abre(g + "Outr");
      r_.w.Elemento("CST", cst);
      // The filling routines give amounts only to some of these codes; none
      // at all means nothing was charged.
      bool semValores = Apara(Slot(p, c.base)).empty() && Apara(Slot(p, c.taxa)).empty() &&
                        Apara(Slot(p, c.montante)).empty();
      r_.ObrigValor("vBC", semValores ? "0" : Slot(p, c.base), L::TDec_1302);
      r_.ObrigValor(c.aliquota, semValores ? "0" : Slot(p, c.taxa), L::TDec_0302a04);
      r_.ObrigValor(c.valor, semValores ? "0" : Slot(p, c.montante), L::TDec_1302);
    }
    r_.w.Fecha();
    r_.w.Fecha();
  }
  void Pis(const Vetor& p) {
    Contribuicao(p, {"PIS", "pPIS", "vPIS", Produto::CST_PIS, Produto::vBC_PIS, Produto::pPIS, Produto::vPIS,
                     Produto::vAliqProd_PIS});
  }
  void Cofins(const Vetor& p) {
    Contribuicao(p, {"COFINS", "pCOFINS", "vCOFINS", Produto::CST_COFINS, Produto::vBC_COFINS, Produto::pCOFINS,
                     Produto::vCOFINS, Produto::vAliqProd_COFINS});
  }

  void Total() {
    r_.w.Abre("total");
    r_.w.Abre("ICMSTot");
    const std::pair<const char*, Totais::Slot> campos[] = {
        {"vBC", Totais::vBC},         {"vICMS", Totais::vICMS},   {"vICMSDeson", Totais::vICMSDeson},
        {"vBCST", Totais::vBCST},     {"vST", Totais::vST},       {"vProd", Totais::vProd},
        {"vFrete", Totais::vFrete},   {"vSeg", Totais::vSeg},     {"vDesc", Totais::vDesc},
        {"vII", Totais::vII},         {"vIPI", Totais::vIPI},     {"vPIS", Totais::vPIS},
        {"vCOFINS", Totais::vCOFINS}, {"vOutro", Totais::vOutro}, {"vNF", Totais::vNF}};
    const std::pair<const char*, Totais::Slot> campos4[] = {
        {"vBC", Totais::vBC},         {"vICMS", Totais::vICMS},       {"vICMSDeson", Totais::vICMSDeson},
        {"vFCP", Totais::vFCP},       {"vBCST", Totais::vBCST},       {"vST", Totais::vST},
        {"vFCPST", Totais::vFCPST},   {"vFCPSTRet", Totais::vFCPSTRet}, {"vProd", Totais::vProd},
        {"vFrete", Totais::vFrete},   {"vSeg", Totais::vSeg},         {"vDesc", Totais::vDesc},
        {"vII", Totais::vII},         {"vIPI", Totais::vIPI},         {"vIPIDevol", Totais::vIPIDevol},
        {"vPIS", Totais::vPIS},       {"vCOFINS", Totais::vCOFINS},   {"vOutro", Totais::vOutro},
        {"vNF", Totais::vNF}};
    if (!quatro_) {
      for (const auto& [tag, slot] : campos) r_.ObrigValor(tag, Slot(tot_, slot), L::TDec_1302);
    } else {
      // The fund totals and the returned IPI are new: an old request leaves them empty.
      for (const auto& [tag, slot] : campos4) {
        bool novo = slot == Totais::vFCP || slot == Totais::vFCPST || slot == Totais::vFCPSTRet ||
                    slot == Totais::vIPIDevol;
        const std::string& valor = Slot(tot_, slot);
        r_.ObrigValor(tag, novo && Apara(valor).empty() ? "0" : valor, L::TDec_1302);
      }
    }
    r_.w.Fecha();
    if (!Apara(Slot(tot_, Totais::vServ)).empty()) {
      r_.w.Abre("ISSQNtot");
      r_.OpcValor("vServ", Slot(tot_, Totais::vServ), L::TDec_1302Opc);
      r_.OpcValor("vBC", Slot(tot_, Totais::vBC_ISS), L::TDec_1302Opc);
      r_.OpcValor("vISS", Slot(tot_, Totais::vISS), L::TDec_1302Opc);
      r_.OpcValor("vPIS", Slot(tot_, Totais::vPIS_ISS), L::TDec_1302Opc);
      r_.OpcValor("vCOFINS", Slot(tot_, Totais::vCOFINS_ISS), L::TDec_1302Opc);
      r_.Obrig("dCompet", r_.Formata("dCompet", [&] { return L::Data(dhEmi_); }));
      r_.w.Fecha();
    }
    if (algumIs_) {
      r_.w.Abre("ISTot");
      r_.w.Elemento("vIS", regras::TextoCentavos(totaisReforma_.vIS));
      r_.w.Fecha();
    }
    if (algumIbsCbs_) TotaisIbsCbs();
    r_.w.Fecha();
  }

  void TotaisIbsCbs() {
    const auto& t = totaisReforma_;
    auto valor = [&](const char* tag, regras::Inteiro v) { r_.w.Elemento(tag, regras::TextoCentavos(v)); };
    r_.w.Abre("IBSCBSTot");
    valor("vBCIBSCBS", t.vBC);
    r_.w.Abre("gIBS");
    r_.w.Abre("gIBSUF");
    valor("vDif", t.vDifUF);
    valor("vDevTrib", 0);
    valor("vIBSUF", t.vIBSUF);
    r_.w.Fecha();
    r_.w.Abre("gIBSMun");
    valor("vDif", t.vDifMun);
    valor("vDevTrib", 0);
    valor("vIBSMun", t.vIBSMun);
    r_.w.Fecha();
    valor("vIBS", t.vIBS);
    valor("vCredPres", 0);
    valor("vCredPresCondSus", 0);
    r_.w.Fecha();
    r_.w.Abre("gCBS");
    valor("vDif", t.vDifCBS);
    valor("vDevTrib", 0);
    valor("vCBS", t.vCBS);
    valor("vCredPres", 0);
    valor("vCredPresCondSus", 0);
    r_.w.Fecha();
    r_.w.Fecha();
    regras::Inteiro vNFTot = t.TotalComTributos(CentavosDe("vNF", Slot(tot_, Totais::vNF)));
    if (vNFTot > 0) valor("vNFTot", vNFTot);
  }

  void Transp() {
    r_.w.Abre("transp");
    r_.Obrig("modFrete", r_.Enum("modFrete", Slot(transp_, Transporte::modFrete), {"0", "1", "2", "9"}));
    bool temTransportador = false;
    for (int i = Transporte::CNPJouCPF; i <= Transporte::UF; ++i)
      temTransportador = temTransportador || !Apara(Slot(transp_, i)).empty();
    if (temTransportador) {
      r_.w.Abre("transporta");
      std::string d = Cadastro("CNPJ", Slot(transp_, Transporte::CNPJouCPF));
      if (d.size() == 14) {
        r_.w.Elemento("CNPJ", d);
      } else if (d.size() == 11) {
        r_.w.Elemento("CPF", d);
      } else if (!d.empty()) {
        r_.Recusa("CNPJ", Slot(transp_, Transporte::CNPJouCPF), "deve ter 14 dígitos (CNPJ) ou 11 (CPF)");
      }
      r_.Opc("xNome", r_.Txt("xNome", Slot(transp_, Transporte::xNome), 2, 60));
      r_.Opc("IE", r_.Dig("IE", Slot(transp_, Transporte::IE), 2, 14));
      r_.Opc("xEnder", r_.Txt("xEnder", Slot(transp_, Transporte::xEnder), 1, 60));
      r_.Opc("xMun", r_.Txt("xMun", Slot(transp_, Transporte::xMun), 1, 60));
      r_.Opc("UF", r_.Uf("UF", Slot(transp_, Transporte::UF), true));
      r_.w.Fecha();
    }
    if (!Apara(Slot(transp_, Transporte::placa)).empty()) {
      r_.w.Abre("veicTransp");
      r_.Obrig("placa", Placa(Slot(transp_, Transporte::placa)));
      r_.Obrig("UF", r_.Uf("UF", Slot(transp_, Transporte::UF_veicTransp), true));
      r_.w.Fecha();
    }
    std::string qVol = r_.Int("qVol", Slot(transp_, Transporte::qVol), 15);
    if (qVol == "0") qVol.clear();
    std::string esp = r_.Txt("esp", Slot(transp_, Transporte::esp), 1, 60);
    std::string marca = r_.Txt("marca", Slot(transp_, Transporte::marca), 1, 60);
    std::string nVol = r_.Txt("nVol", Slot(transp_, Transporte::nVol), 1, 60);
    bool pesoL = !L::VazioOuZero(Slot(transp_, Transporte::pesoL)),
         pesoB = !L::VazioOuZero(Slot(transp_, Transporte::pesoB));
    if (!qVol.empty() || !esp.empty() || !marca.empty() || !nVol.empty() || pesoL || pesoB) {
      r_.w.Abre("vol");
      r_.Opc("qVol", qVol);
      r_.Opc("esp", esp);
      r_.Opc("marca", marca);
      r_.Opc("nVol", nVol);
      if (pesoL) r_.ObrigValor("pesoL", Slot(transp_, Transporte::pesoL), L::TDec_1203);
      if (pesoB) r_.ObrigValor("pesoB", Slot(transp_, Transporte::pesoB), L::TDec_1203);
      r_.w.Fecha();
    }
    r_.w.Fecha();
  }

  std::string Placa(const std::string& texto) {
    std::string p;
    for (char c : texto) {
      if (c == '-' || c == ' ') continue;
      p += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    size_t letras = 0;
    while (letras < p.size() && p[letras] >= 'A' && p[letras] <= 'Z') ++letras;
    size_t digitos = p.size() - letras;
    bool soDigitos = p.find_first_not_of("0123456789", letras) == std::string::npos;
    bool ok = soDigitos && ((letras >= 2 && letras <= 3 && digitos == 4) || (letras >= 3 && letras <= 4 && digitos == 3));
    if (!ok) r_.Recusa("placa", texto, "placa fora do leiaute (AAA9999)");
    return p;
  }

  void Cobr() {
    if (qtdFaturas_ < 0) return;
    size_t parcelas = static_cast<size_t>(qtdFaturas_) + 1;
    if (parcelas > 120) r_.Recusa("cobr/dup", std::to_string(parcelas), "mais de 120 duplicatas");
    if (parcelas > fat_.size())
      r_.Recusa("cobr/dup", std::to_string(parcelas), "o vetor de faturas tem " + std::to_string(fat_.size()) + " linhas");
    r_.w.Abre("cobr");
    const Vetor& fatura = fat_[Fatura::kLinhaFatura];
    std::string nFat = r_.Txt("fat/nFat", Slot(fatura, Fatura::nFat), 1, 60);
    bool vOrig = !L::VazioOuZero(Slot(fatura, Fatura::vOrig)), vLiq = !L::VazioOuZero(Slot(fatura, Fatura::vLiq));
    if (quatro_) {
      FaturaCompleta(fatura, nFat);
    } else if (!nFat.empty() || vOrig || vLiq) {
      r_.w.Abre("fat");
      r_.Opc("nFat", nFat);
      if (vOrig) r_.ObrigValor("vOrig", Slot(fatura, Fatura::vOrig), L::TDec_1302Opc);
      if (vLiq) r_.ObrigValor("vLiq", Slot(fatura, Fatura::vLiq), L::TDec_1302Opc);
      r_.w.Fecha();
    }
    for (size_t i = 0; i < parcelas; ++i) {
      const Vetor& linha = fat_[i];
      r_.w.Abre("dup", {}, "dup[" + std::to_string(i + 1) + "]");
      // Layout 4.00 numbers the instalments 001, 002, ... whatever the request called them.
      if (quatro_) {
        r_.w.Elemento("nDup", ComZeros(std::to_string(i + 1), 3));
      } else {
        r_.Opc("nDup", r_.Txt("nDup", Slot(linha, Fatura::nDup), 1, 60));
      }
      auto vencimento = r_.Formata("dVenc", [&] { return L::LerDataHora(Slot(linha, Fatura::dVenc)); });
      if (vencimento) r_.Obrig("dVenc", r_.Formata("dVenc", [&] { return L::Data(*vencimento); }));
      r_.ObrigValor("vDup", Slot(linha, Fatura::vDup), L::TDec_1302Opc);
      r_.w.Fecha();
    }
    r_.w.Fecha();
  }

  // The authority wants the four fields of the invoice (fat) in layout 4.00:
  // the number (nNF when the request gave none), the amounts, and the
  // discount as their difference.
  void FaturaCompleta(const Vetor& fatura, std::string nFat) {
    if (nFat.empty()) nFat = r_.Int("nNF", Slot(ide_, Ide::nNF), 9);
    auto centavos = [&](const char* tag, Fatura::Slot slot) {
      const std::string& texto = Slot(fatura, slot);
      return regras::Fixo(r_.Dec(tag, L::VazioOuZero(texto) ? "0" : texto, L::TDec_1302), 2);
    };
    auto original = centavos("fat/vOrig", Fatura::vOrig), liquido = centavos("fat/vLiq", Fatura::vLiq);
    if (!original || !liquido) r_.Falta("fat/vOrig");
    if (*liquido > *original) r_.Recusa("fat/vLiq", Slot(fatura, Fatura::vLiq), "maior que vOrig");
    r_.w.Abre("fat");
    r_.Obrig("nFat", nFat);
    r_.w.Elemento("vOrig", regras::TextoCentavos(*original));
    r_.w.Elemento("vDesc", regras::TextoCentavos(*original - *liquido));
    r_.w.Elemento("vLiq", regras::TextoCentavos(*liquido));
    r_.w.Fecha();
  }

  void InfAdic() {
    std::string fisco = r_.Txt("infAdic/infAdFisco", Slot(infAdic_, InfAdic::infAdFisco), 1, 2000);
    std::string cpl = r_.Txt("infAdic/infCpl", Slot(infAdic_, InfAdic::infCpl), 1, 5000);
    if (fisco.empty() && cpl.empty()) return;
    r_.w.Abre("infAdic");
    r_.Opc("infAdFisco", fisco);
    r_.Opc("infCpl", cpl);
    r_.w.Fecha();
  }

  void Exporta() {
    if (Apara(Slot(infAdic_, InfAdic::UFSaidaPais)).empty()) return;
    r_.w.Abre("exporta");
    r_.Obrig("UFSaidaPais", r_.Uf("UFSaidaPais", Slot(infAdic_, InfAdic::UFSaidaPais), false));
    r_.Obrig("xLocExporta", r_.Txt("xLocExporta", Slot(infAdic_, InfAdic::xLocExporta), 1, 60));
    r_.w.Fecha();
  }

  const GeradorXmlNFe& g_;
  const Vetor& ide_;
  const Vetor& emit_;
  const Vetor& dest_;
  const Matriz& prod_;
  const Vetor& tot_;
  const Vetor& transp_;
  int16_t qtdFaturas_;
  const Matriz& fat_;
  const Vetor& infAdic_;
  const Vetor& autXML_;
  const std::string& fuso_;
  Redator r_;
  PartesChave chave_;
  L::DataHora dhEmi_;
  std::string tpNF_;
  bool quatro_ = false;   // layout 4.00
  bool algumIbsCbs_ = false, algumIs_ = false;
  regras::reforma::Totais totaisReforma_;
};


}  // namespace

std::string GeradorXmlNFe::MontaXml(const Vetor& ide, const Vetor& emitente, const Vetor& destinatario,
                                    const Matriz& produtos, const Vetor& totais, const Vetor& transporte,
                                    int16_t qtdFaturas, const Matriz& faturas, const Vetor& infAdic,
                                    const Vetor& autXML, const std::string& fusoHorario) const {
  std::string saida;
  saida.reserve(4096 + 1400 * produtos.size());
  Montagem(*this, ide, emitente, destinatario, produtos, totais, transporte, qtdFaturas, faturas, infAdic, autXML,
           fusoHorario, saida)
      .Escreve();
  return saida;
}

std::string GeradorXmlNFe::GeraXml(Vetor& gVetorIde, Vetor& gVetorEmitente, Vetor& gVetorDestinatario,
                                   Matriz& gVetorProdutos, Vetor& gVetorTotais, Vetor& gVetorTransporte,
                                   int16_t& gQtdFaturas, Matriz& gVetorFaturas, Vetor& gVetorInfAdic,
                                   Vetor& gVetorAutXML) {
  if (Apara(ArquivoXml).empty()) throw ErroExecucao(CodigoErro::ErroComponente, "GeraXml: ArquivoXml sem valor");
  std::string fuso = "-03:00";
  if (registro_ != nullptr) {
    std::string configurado = registro_->LerRegistro(HKEY_CURRENT_USER, "nfe", "FusoHorario");
    if (!Apara(configurado).empty()) {
      try {
        fuso = leiaute::Fuso(configurado);
      } catch (const leiaute::Invalido& e) {
        throw ErroExecucao(CodigoErro::ErroComponente,
                           "GeraXml: valor inválido no registro FusoHorario: '" + configurado + "' (" + e.motivo + ")");
      }
    }
  }
  GeradorXmlNFe comRegistro = *this;
  if (registro_ != nullptr) {
    auto valor = [&](std::string& campo, const char* nome) {
      if (Apara(campo).empty()) campo = registro_->LerRegistro(HKEY_CURRENT_USER, "nfe", nome);
    };
    valor(comRegistro.RespTecCNPJ, "RespTecCNPJ");
    valor(comRegistro.RespTecContato, "RespTecContato");
    valor(comRegistro.RespTecEmail, "RespTecEmail");
    valor(comRegistro.RespTecFone, "RespTecFone");
  }
  std::string xml = comRegistro.MontaXml(gVetorIde, gVetorEmitente, gVetorDestinatario, gVetorProdutos, gVetorTotais,
                             gVetorTransporte, gQtdFaturas, gVetorFaturas, gVetorInfAdic, gVetorAutXML, fuso);
  GravaArquivo(caminhos_.MapearParaGravar(ArquivoXml), xml);
  return xml;
}

}  // namespace velant
