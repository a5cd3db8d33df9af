// Rules on the operation: referenced documents and returns, CFOP against
// the direction and destination, fuel, export and the tax regime.
#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "component/xml/chave_acesso.h"
#include "component/regras/regras_verificacoes.h"

namespace velant::regras {

namespace {

// CFOPs of returns of goods (the CFOP table's "Devolução ..." codes).
bool CfopDevolucao(std::string_view cfop) {
  static constexpr std::string_view kCodigos[] = {
      "1201", "1202", "1203", "1204", "1208", "1209", "1410", "1411", "1503", "1504", "1505", "1506", "1553",
      "1660", "1661", "1662", "1918", "1919", "2201", "2202", "2203", "2204", "2208", "2209", "2410", "2411",
      "2503", "2504", "2505", "2506", "2553", "2660", "2661", "2662", "2918", "2919", "3201", "3202", "3211",
      "3503", "3553", "5201", "5202", "5208", "5209", "5210", "5410", "5411", "5412", "5413", "5503", "5553",
      "5555", "5556", "5660", "5661", "5662", "5918", "5919", "5921", "6201", "6202", "6208", "6209", "6210",
      "6410", "6411", "6412", "6413", "6503", "6553", "6555", "6556", "6660", "6661", "6662", "6918", "6919",
      "6921", "7201", "7202", "7210", "7211", "7553", "7556"};
  for (auto c : kCodigos)
    if (c == cfop) return true;
  return false;
}

// Digits as a number, for codes the schema keeps short; other text is -1.
long long Numero(std::string_view digitos) {
  if (digitos.empty() || digitos.size() > 15 || digitos.find_first_not_of("0123456789") != std::string_view::npos)
    return -1;
  long long n = 0;
  for (char c : digitos) n = n * 10 + (c - '0');
  return n;
}

// CFOPs of fuel operations: entries 1651-1653 and 1658-1664 (and from
// other states), every exit from 5651 to 5667 and 6651 to 6667.
bool CfopCombustivel(std::string_view cfop) {
  if (cfop.size() != 4 || cfop.find_first_not_of("0123456789") != std::string_view::npos) return false;
  int numero = static_cast<int>(Numero(cfop));
  int resto = numero % 1000;
  switch (numero / 1000) {
    case 1:
    case 2: return (resto >= 651 && resto <= 653) || (resto >= 658 && resto <= 664);
    case 5:
    case 6: return resto >= 651 && resto <= 667;
    default: return false;
  }
}

char Inicio(const ItemLido& item) { return item.CFOP.empty() ? ' ' : item.CFOP[0]; }

// The first item whose CFOP begins with one of the digits, when idDest is not the one they ask for.
Detalhe CfopContraIdDest(const NFeLida& n, std::string_view inicios, const char* idDest) {
  if (n.idDest == idDest) return std::nullopt;
  for (const auto& item : n.itens)
    if (inicios.find(Inicio(item)) != std::string_view::npos)
      return NoItem(item) + "CFOP " + item.CFOP + "; idDest " + n.idDest;
  return std::nullopt;
}

// CNPJ of a key, as the issuer's document appears there ("000" + CPF for a person).
std::string DocumentoEmitente(const NFeLida& n) {
  return n.emit.CNPJ ? *n.emit.CNPJ : "000" + n.emit.CPF.value_or("");
}

}  // namespace

Detalhe DigitoChaveReferenciada(const NFeLida& n, const ContextoRegras&) {
  // A 4.00 invoice may refer to one of an alphanumeric CNPJ.
  const CnpjNaChave forma = n.Leiaute4() ? CnpjNaChave::Alfanumerico : CnpjNaChave::SoDigitos;
  for (const auto& r : n.referencias)
    if (!r.refNFe.empty() && !DecompoeChave(r.refNFe, forma)) return "refNFe " + r.refNFe;
  return std::nullopt;
}

Detalhe ChaveReferenciadaRepetida(const NFeLida& n, const ContextoRegras&) {
  std::set<std::string> vistas;
  for (const auto& r : n.referencias)
    if (!r.refNFe.empty() && !vistas.insert(r.refNFe).second) return "refNFe " + r.refNFe;
  return std::nullopt;
}

Detalhe CupomReferenciadoRepetido(const NFeLida& n, const ContextoRegras&) {
  std::set<std::tuple<std::string, long long, long long>> vistos;
  for (const auto& r : n.referencias) {
    if (r.nCOO.empty()) continue;
    // Numbers compare as numbers: ECF "001" is ECF "1".
    auto cupom = std::make_tuple(r.modECF, Numero(r.nECF), Numero(r.nCOO));
    if (!vistos.insert(cupom).second) return "refECF mod " + r.modECF + ", nECF " + r.nECF + ", nCOO " + r.nCOO;
  }
  return std::nullopt;
}

Detalhe DevolucaoSemReferencia(const NFeLida& n, const ContextoRegras&) {
  if (n.finNFe != "4" || !n.referencias.empty()) return std::nullopt;
  return "finNFe 4 sem NFref";
}

Detalhe ComplementarDeOutroCnpj(const NFeLida& n, const ContextoRegras&) {
  if (n.finNFe != "2") return std::nullopt;
  for (const auto& r : n.referencias)
    if (r.refNFe.size() == 44 && r.refNFe.substr(6, 14) != DocumentoEmitente(n))
      return "refNFe " + r.refNFe + "; emitente " + DocumentoEmitente(n);
  return std::nullopt;
}

Detalhe ComplementarDeOutraUf(const NFeLida& n, const ContextoRegras&) {
  if (n.finNFe != "2") return std::nullopt;
  for (const auto& r : n.referencias)
    if (r.refNFe.size() == 44 && r.refNFe.substr(0, 2) != n.cUF) return "refNFe " + r.refNFe + "; cUF " + n.cUF;
  return std::nullopt;
}

Detalhe CfopEntradaEmSaida(const NFeLida& n, const ContextoRegras&) {
  if (n.tpNF != "1") return std::nullopt;
  for (const auto& item : n.itens)
    if (std::string_view("123").find(Inicio(item)) != std::string_view::npos)
      return NoItem(item) + "CFOP " + item.CFOP + "; tpNF 1";
  return std::nullopt;
}

Detalhe CfopSaidaEmEntrada(const NFeLida& n, const ContextoRegras&) {
  if (n.tpNF != "0") return std::nullopt;
  for (const auto& item : n.itens)
    if (std::string_view("567").find(Inicio(item)) != std::string_view::npos)
      return NoItem(item) + "CFOP " + item.CFOP + "; tpNF 0";
  return std::nullopt;
}

Detalhe CfopExteriorIdDest(const NFeLida& n, const ContextoRegras&) { return CfopContraIdDest(n, "37", "3"); }
Detalhe CfopInterestadualIdDest(const NFeLida& n, const ContextoRegras&) { return CfopContraIdDest(n, "26", "2"); }
Detalhe CfopInternoIdDest(const NFeLida& n, const ContextoRegras&) { return CfopContraIdDest(n, "15", "1"); }

Detalhe CfopExteriorUf(const NFeLida& n, const ContextoRegras&) {
  if (!n.enderDest || n.destUF == "EX") return std::nullopt;
  for (const auto& item : n.itens)
    if (Inicio(item) == '3' || Inicio(item) == '7') return NoItem(item) + "CFOP " + item.CFOP + "; UF " + n.destUF;
  return std::nullopt;
}

Detalhe ExteriorUf(const NFeLida& n, const ContextoRegras&) {
  if (n.idDest != "3" || !n.enderDest || n.destUF == "EX") return std::nullopt;
  return "idDest 3; UF " + n.destUF;
}

Detalhe InterestadualExterior(const NFeLida& n, const ContextoRegras&) {
  if (n.idDest != "2" || n.destUF != "EX") return std::nullopt;
  return "idDest 2; UF EX";
}

Detalhe InterestadualMesmaUf(const NFeLida& n, const ContextoRegras&) {
  if (n.idDest != "2" || !n.enderDest || n.destUF != n.emitUF) return std::nullopt;
  return "idDest 2; UF " + n.destUF + " do emitente e do destinatário";
}

Detalhe InternaOutraUf(const NFeLida& n, const ContextoRegras&) {
  if (n.idDest != "1" || !n.enderDest || n.destUF == n.emitUF) return std::nullopt;
  return "idDest 1; UF do emitente " + n.emitUF + ", do destinatário " + n.destUF;
}

Detalhe CfopNaoDevolucao(const NFeLida& n, const ContextoRegras&) {
  if (n.finNFe != "4") return std::nullopt;
  for (const auto& item : n.itens)
    if (!CfopDevolucao(item.CFOP)) return NoItem(item) + "CFOP " + item.CFOP + "; finNFe 4";
  return std::nullopt;
}

Detalhe CfopDevolucaoSemFinalidade(const NFeLida& n, const ContextoRegras&) {
  if (n.finNFe == "4") return std::nullopt;
  for (const auto& item : n.itens)
    if (CfopDevolucao(item.CFOP)) return NoItem(item) + "CFOP " + item.CFOP + "; finNFe " + n.finNFe;
  return std::nullopt;
}

Detalhe CombustivelSemGrupo(const NFeLida& n, const ContextoRegras&) {
  for (const auto& item : n.itens)
    if (!item.comb && CfopCombustivel(item.CFOP)) return NoItem(item) + "CFOP " + item.CFOP + " sem comb";
  return std::nullopt;
}

Detalhe ExportacaoSemLocal(const NFeLida& n, const ContextoRegras&) {
  if (n.exporta) return std::nullopt;
  for (const auto& item : n.itens)
    if (Inicio(item) == '7') return NoItem(item) + "CFOP " + item.CFOP + " sem exporta";
  return std::nullopt;
}

Detalhe LocalSemExportacao(const NFeLida& n, const ContextoRegras&) {
  if (!n.exporta) return std::nullopt;
  for (const auto& item : n.itens)
    if (Inicio(item) == '7') return std::nullopt;
  return "exporta sem CFOP de exportação";
}

Detalhe CstNoSimples(const NFeLida& n, const ContextoRegras&) {
  if (n.CRT != "1") return std::nullopt;
  for (const auto& item : n.itens)
    if (!item.CST.empty()) return NoItem(item) + "CST " + item.CST + "; CRT 1";
  return std::nullopt;
}

Detalhe CsosnForaDoSimples(const NFeLida& n, const ContextoRegras&) {
  if (n.CRT == "1") return std::nullopt;
  for (const auto& item : n.itens)
    if (!item.CSOSN.empty()) return NoItem(item) + "CSOSN " + item.CSOSN + "; CRT " + n.CRT;
  return std::nullopt;
}

}  // namespace velant::regras
