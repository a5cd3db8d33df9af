#pragma once
// The 44-digit access key of an NF-e: cUF(2) AAMM(4) CNPJ(14) mod(2)
// serie(3) nNF(9) tpEmis(1) cNF(8) cDV(1).
#include <cstdint>
#include <optional>
#include <string>

namespace velant {

// Check digit of the first 43 digits: modulo 11 with the weights 2 to 9 from
// the right; a remainder of 0 or 1 gives 0. Raises ChamadaInvalida when the
// text is not 43 digits.
int DigitoVerificadorChave(const std::string& digitos43);

// Builds the key. Raises ErroExecucao (ErroComponente) naming the field that
// does not fit: a state code that is not two digits, an emission date that
// cannot be read (dd/mm/yyyy[ hh:mm[:ss]] or yyyy-mm-dd[Thh:mm:ss...]), a
// CNPJ (or CPF) of the wrong size, numbers out of their widths.
std::string MontaChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao, const std::string& cnpj,
                             int32_t modelo, int32_t serie, int32_t numero, int32_t tipoEmissao,
                             int32_t codigoNumerico);

struct PartesChave {
  std::string cUF, AAMM, CNPJ, mod, serie, nNF, tpEmis, cNF, cDV;
};
// The fields of a key; nothing when it is not 44 digits with a sound check digit.
std::optional<PartesChave> DecompoeChave(const std::string& chave);

}  // namespace velant
