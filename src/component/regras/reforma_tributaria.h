#pragma once
// The consumption-tax reform groups of an NF-e 4.00 (IBS of the state and of
// the municipality, CBS, and the selective tax IS): the table of rates by
// year and of what each CST demands, read from dados/reforma-tributaria.txt,
// and the arithmetic of an item and of the totals. The generator writes
// with it, the business rules check with it; a new year's rates are a line
// of that file, not code.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "component/regras/regras_valores.h"

namespace velant::regras::reforma {

// Percentages with 4 decimals (0.9 % is 9000), amounts in cents.
inline constexpr int kCasasPercentual = 4;

struct Aliquotas {
  Inteiro pIBSUF = 0, pIBSMun = 0, pCBS = 0;
};

// What a CST demands of the item's group: each subgroup is required (true)
// or forbidden (false).
struct ExigenciaCst {
  bool gIBSCBS = false, gRed = false, gDif = false;
};

class Tabela {
 public:
  // Raises ErroExecucao (ErroComponente) naming the file and line of what it cannot read.
  static Tabela Carregar(const std::filesystem::path& arquivo);
  // The shipped file (ArquivoTabela), read once.
  static const Tabela& Padrao();

  std::optional<Aliquotas> DoAno(int ano) const;
  const ExigenciaCst* Cst(const std::string& cst) const;
  // The reduction of a classification, when the table knows it.
  std::optional<Inteiro> ReducaoDe(const std::string& cClassTrib) const;

 private:
  std::map<int, Aliquotas> anos_;
  std::map<std::string, ExigenciaCst> csts_;
  std::map<std::string, Inteiro> reducoes_;
};

// $VELANT_REFORMA, else <prefix>/share/velantnfe/dados next to the
// executable, else the source tree's dados/reforma-tributaria.txt.
std::filesystem::path ArquivoTabela();

// The first date (AAAA-MM-DD) on which an issuer of the Simples Nacional
// (CRT 1, 2, 4) must carry the IBSCBS group on every item.
inline constexpr const char* kInicioSimples = "2027-01-04";
bool SimplesNacional(const std::string& crt);

// A classification belongs to the CST of its first three digits.
bool ClassificacaoDoCst(const std::string& cst, const std::string& cClassTrib);

// One tax of the item: rate, reduction and effective rate, deferral, amount.
struct Tributo {
  Inteiro p = 0, pRedAliq = 0, pAliqEfet = 0, pDif = 0;
  Inteiro vDif = 0, v = 0;
};

struct EntradaItem {
  Inteiro vBC = 0;
  Aliquotas aliquotas;
  Inteiro pRedAliq = 0, pDif = 0;   // 0: no reduction, no deferral
};

struct ResultadoItem {
  Inteiro vBC = 0;
  Tributo uf, mun, cbs;
  Inteiro vIBS = 0;
};

// Rounded half away from zero to the cent (amounts) or to 4 decimals (the
// effective rate), as the technical note asks.
Inteiro AliquotaEfetiva(Inteiro p, Inteiro pRedAliq);
Inteiro ValorDoPercentual(Inteiro base, Inteiro percentual);
Tributo CalculaTributo(Inteiro vBC, Inteiro p, Inteiro pRedAliq, Inteiro pDif);
ResultadoItem CalculaItem(const EntradaItem& e);

// The base of the item: products, freight, insurance, other charges and
// import tax, less the discount and the taxes that stay out of it (ICMS,
// its poverty fund, PIS, COFINS), plus the selective tax.
struct ParcelasBase {
  Inteiro vProd = 0, vFrete = 0, vSeg = 0, vOutro = 0, vII = 0, vDesc = 0;
  Inteiro vICMS = 0, vFCP = 0, vPIS = 0, vCOFINS = 0, vIS = 0;
};
Inteiro BaseDoItem(const ParcelasBase& p);

// The sums of IBSCBSTot and ISTot.
struct Totais {
  Inteiro vBC = 0, vDifUF = 0, vIBSUF = 0, vDifMun = 0, vIBSMun = 0, vIBS = 0, vDifCBS = 0, vCBS = 0, vIS = 0;
  void Soma(const ResultadoItem& item);
  // vNF plus the taxes charged on top of it (IBS, CBS).
  Inteiro TotalComTributos(Inteiro vNF) const { return vNF + vIBS + vCBS; }
};

}  // namespace velant::regras::reforma
