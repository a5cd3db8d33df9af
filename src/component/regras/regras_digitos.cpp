#include "component/regras/regras_digitos.h"

#include <utility>

namespace velant::regras {

namespace {

bool SoDigitos(std::string_view s, size_t n) {
  if (s.size() != n) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool TodosZero(std::string_view s) { return s.find_first_not_of('0') == std::string_view::npos; }

// Modulo 11 of the CNPJ: weights 2 to 9 from the right, starting again at 2;
// a character is worth its ASCII code minus 48 (a digit its value, "A" 17).
int DigitoCnpj(std::string_view digitos) {
  int soma = 0, peso = 2;
  for (size_t i = digitos.size(); i-- > 0;) {
    soma += (digitos[i] - '0') * peso;
    peso = peso == 9 ? 2 : peso + 1;
  }
  int resto = soma % 11;
  return resto < 2 ? 0 : 11 - resto;
}

// Modulo 11 of the CPF: weights from 2 at the right, growing without wrap.
int DigitoCpf(std::string_view digitos) {
  int soma = 0, peso = 2;
  for (size_t i = digitos.size(); i-- > 0;) soma += (digitos[i] - '0') * peso++;
  int resto = soma % 11;
  return resto < 2 ? 0 : 11 - resto;
}

constexpr std::pair<std::string_view, std::string_view> kUfs[] = {
    {"11", "RO"}, {"12", "AC"}, {"13", "AM"}, {"14", "RR"}, {"15", "PA"}, {"16", "AP"}, {"17", "TO"},
    {"21", "MA"}, {"22", "PI"}, {"23", "CE"}, {"24", "RN"}, {"25", "PB"}, {"26", "PE"}, {"27", "AL"},
    {"28", "SE"}, {"29", "BA"}, {"31", "MG"}, {"32", "ES"}, {"33", "RJ"}, {"35", "SP"}, {"41", "PR"},
    {"42", "SC"}, {"43", "RS"}, {"50", "MS"}, {"51", "MT"}, {"52", "GO"}, {"53", "DF"}};

}  // namespace

bool CnpjValido(std::string_view c) {
  if (!SoDigitos(c, 14) || TodosZero(c)) return false;
  return DigitoCnpj(c.substr(0, 12)) == c[12] - '0' && DigitoCnpj(c.substr(0, 13)) == c[13] - '0';
}

bool CnpjAlfanumericoValido(std::string_view c) {
  if (c.size() != 14 || TodosZero(c.substr(0, 12)) || !SoDigitos(c.substr(12), 2)) return false;
  for (char x : c.substr(0, 12))
    if ((x < '0' || x > '9') && (x < 'A' || x > 'Z')) return false;
  return DigitoCnpj(c.substr(0, 12)) == c[12] - '0' && DigitoCnpj(c.substr(0, 13)) == c[13] - '0';
}

bool CpfValido(std::string_view c) {
  if (!SoDigitos(c, 11) || TodosZero(c)) return false;
  return DigitoCpf(c.substr(0, 9)) == c[9] - '0' && DigitoCpf(c.substr(0, 10)) == c[10] - '0';
}

bool GtinValido(std::string_view g) {
  if (!SoDigitos(g, g.size()) || (g.size() != 8 && (g.size() < 12 || g.size() > 14))) return false;
  int soma = 0;
  bool tres = true;   // the digit beside the check digit weighs 3
  for (size_t i = g.size() - 1; i-- > 0;) {
    soma += (g[i] - '0') * (tres ? 3 : 1);
    tres = !tres;
  }
  return (10 - soma % 10) % 10 == g.back() - '0';
}

bool MunicipioValido(std::string_view m) {
  if (!SoDigitos(m, 7)) return false;
  // Codes created before the check digit rule, kept as they were.
  for (std::string_view antigo :
       {"2201919", "2202251", "2201988", "2611533", "3117836", "3152131", "4305871", "5203939", "5203962"})
    if (m == antigo) return true;
  int soma = 0;
  for (size_t i = 0; i < 6; ++i) {
    int produto = (m[i] - '0') * (i % 2 == 0 ? 1 : 2);
    soma += produto / 10 + produto % 10;
  }
  return (10 - soma % 10) % 10 == m[6] - '0';
}

std::string SiglaUf(std::string_view codigo) {
  for (const auto& [c, s] : kUfs)
    if (c == codigo) return std::string(s);
  return "";
}

std::string CodigoUf(std::string_view sigla) {
  for (const auto& [c, s] : kUfs)
    if (s == sigla) return std::string(c);
  return "";
}

}  // namespace velant::regras
