#pragma once
// The 44-character access key of an NF-e: cUF(2) AAMM(4) CNPJ(14) mod(2)
// serie(3) nNF(9) tpEmis(1) cNF(8) cDV(1).
#include <cstdint>
#include <optional>
#include <string>

namespace velant {

// What the issuer's CNPJ inside a key may hold. Layout 3.10 keys are 44
// digits; layout 4.00 keys carry the alphanumeric CNPJ: its first 12
// characters from 0-9 and A-Z (upper case), its 2 check digits numeric.
// Every other field stays digits.
enum class CnpjNaChave { SoDigitos, Alfanumerico };

// Check digit of the first 43 characters: modulo 11 with the weights 2 to 9
// from the right, each character worth its ASCII code minus 48 (a digit its
// value, "A" 17 ... "Z" 42); a remainder of 0 or 1 gives 0. Raises
// ChamadaInvalida when the text is not 43 characters of the form.
int DigitoVerificadorChave(const std::string& chave43, CnpjNaChave forma = CnpjNaChave::SoDigitos);

// Builds the key. Raises ErroExecucao (ErroComponente) naming the field that
// does not fit: a state code that is not two digits, an emission date that
// cannot be read (dd/mm/yyyy[ hh:mm[:ss]] or yyyy-mm-dd[Thh:mm:ss...]), a
// CNPJ (or CPF) of the wrong size or with characters the form refuses,
// numbers out of their widths. Punctuation in the CNPJ is dropped.
std::string MontaChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao, const std::string& cnpj,
                             int32_t modelo, int32_t serie, int32_t numero, int32_t tipoEmissao,
                             int32_t codigoNumerico, CnpjNaChave forma = CnpjNaChave::SoDigitos);

// 44 characters of the form (letters only where the CNPJ's first 12 stand,
// and only in the alphanumeric form); the check digit is not looked at.
bool ChaveNaForma(const std::string& chave, CnpjNaChave forma = CnpjNaChave::SoDigitos);

struct PartesChave {
  std::string cUF, AAMM, CNPJ, mod, serie, nNF, tpEmis, cNF, cDV;
};
// The fields of a key; nothing when it is not 44 characters of the form
// with a sound check digit.
std::optional<PartesChave> DecompoeChave(const std::string& chave, CnpjNaChave forma = CnpjNaChave::SoDigitos);

}  // namespace velant
