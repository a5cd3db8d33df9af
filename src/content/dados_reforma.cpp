// Layout 4.00, tax reform: what the request and the registry say of the IBS,
// CBS and IS of each item. The amounts are the generator's (it works them out
// from these slots and the rates of the emission year); here only the codes,
// the rates a shop overrides, the reduction and the deferral.
#include <string>

#include "base/texto.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/preenche_vetores.h"
#include "plataforma/registro_windows.h"

namespace velant {

namespace {

std::string Registro(const Contexto& ctx, const char* nome) {
  return Trim(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", nome));
}

// A percentage column with 4 decimals; "" when absent or zero (a new
// record's amount columns start at zero: zero is "not given").
std::string Percentual(const data::Recordset& nota, const char* coluna) {
  std::string texto = Trim(conteudo::OpcionalDe(nota, coluna));
  std::string valor = texto.empty() ? "" : FormataDecimal4(texto);
  return valor.find_first_of("123456789") == std::string::npos ? "" : valor;
}

}  // namespace

void MunicipioFatoGeradorIbs(Contexto& ctx) {
  ctx.vetores.gVetorIde[Ide::cMunFGIBS] = Registro(ctx, "CodigoMunicipioFGIBS");
}

void PreencheItemReforma(const Contexto& ctx, const data::Recordset& nota, std::vector<std::string>& linha) {
  std::string cst = Trim(conteudo::OpcionalDe(nota, "CSTIBSCBSProd"));
  std::string cClassTrib = Trim(conteudo::OpcionalDe(nota, "cClassTribProd"));
  // An item that names no CST takes the issuer's defaults, when configured.
  if (cst.empty()) {
    cst = Registro(ctx, "CSTIBSCBSPadrao");
    if (cClassTrib.empty()) cClassTrib = Registro(ctx, "cClassTribPadrao");
  }
  if (!cst.empty()) {
    linha[Produto::CST_IBSCBS] = cst;
    linha[Produto::cClassTrib] = cClassTrib;
    linha[Produto::pIBSUF] = Percentual(nota, "PercentualIBSUFProd");
    linha[Produto::pIBSMun] = Percentual(nota, "PercentualIBSMunProd");
    linha[Produto::pCBS] = Percentual(nota, "PercentualCBSProd");
    linha[Produto::pRedAliq] = Percentual(nota, "PercentualRedAliqProd");
    linha[Produto::pDif_IBSCBS] = Percentual(nota, "PercentualDiferimentoProd");
  }
  linha[Produto::CSTIS] = Trim(conteudo::OpcionalDe(nota, "CSTISProd"));
  if (!linha[Produto::CSTIS].empty()) {
    linha[Produto::cClassTribIS] = Trim(conteudo::OpcionalDe(nota, "cClassTribISProd"));
    linha[Produto::pIS] = Percentual(nota, "PercentualISProd");
  }
}

}  // namespace velant
