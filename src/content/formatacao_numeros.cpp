#include "content/formatacao_numeros.h"

#include "base/regional.h"
#include "base/texto.h"

namespace velant {
namespace {

// Formats in the regional settings, then puts "." in the place of the
// separator by position: the last `casas` characters are the decimals.
std::string FormataComCasas(const std::string& textoNumero, const char* padrao, int casas) {
  std::string t = Format(Valor(textoNumero), padrao);
  int64_t n = Len(t);
  return Left(t, n - casas - 1) + "." + Right(t, casas);
}

std::string TextoNumerico(const Valor& valor) {
  if (!IsNumeric(valor)) return "0";
  return CStr(valor);
}

}  // namespace

std::string ValorCampo(const data::Recordset& TabelaNota, const Valor& valor) {
  if (valor.ENulo()) return "";
  if (TabelaNota.Eof()) return "";
  return CStr(valor);
}

// Every item writes dozens of these: values of the usual types go straight
// to their digits, the others through their text as above.
std::string FormataDecimal2(const Valor& valor) {
  if (auto t = FormataDecimaisComPonto(valor, 2)) return std::move(*t);
  return FormataComCasas(TextoNumerico(valor), "#######0.00", 2);
}

std::string FormataDecimal3(const Valor& valor) {
  if (auto t = FormataDecimaisComPonto(valor, 3)) return std::move(*t);
  return FormataComCasas(TextoNumerico(valor), "#######0.000", 3);
}

std::string FormataDecimal4(const std::string& texto) {
  Valor valor(texto);
  if (auto t = FormataDecimaisComPonto(valor, 4)) return std::move(*t);
  return FormataComCasas(TextoNumerico(valor), "#######0.0000", 4);
}

}  // namespace velant
