#pragma once
// Check digits the authority verifies in a document: CNPJ and CPF
// (modulo 11), GTIN (modulo 10 with weights 3 and 1), the IBGE
// municipality code (modulo 10 with weights 1 and 2) and the state codes.
#include <string>
#include <string_view>

namespace velant::regras {

// 14 digits, not all zero, both check digits sound: the CNPJ of layout 3.10.
bool CnpjValido(std::string_view cnpj);
// The CNPJ layout 4.00 accepts: 12 characters from 0-9 and A-Z (upper case),
// not all zero, then 2 sound check digits, each character worth its ASCII
// code minus 48. A numeric CNPJ is judged as by CnpjValido.
bool CnpjAlfanumericoValido(std::string_view cnpj);
// 11 digits, not all zero, both check digits sound.
bool CpfValido(std::string_view cpf);
// 8, 12, 13 or 14 digits with a sound last digit.
bool GtinValido(std::string_view gtin);
// 7 digits with a sound last digit, or one of the codes the IBGE gave out
// before the rule and kept.
bool MunicipioValido(std::string_view codigo);

// The state's initials for its IBGE code ("35" -> "SP"); "" when unknown.
std::string SiglaUf(std::string_view codigo);
// The IBGE code for the initials ("SP" -> "35"); "" when unknown.
std::string CodigoUf(std::string_view sigla);

}  // namespace velant::regras
