#include "component/xml/chave_acesso.h"

#include <cstdio>

#include "base/erro.h"
#include "component/xml/formatos_leiaute.h"

namespace velant {

namespace {

[[noreturn]] void Recusa(const std::string& campo, const std::string& valor, const std::string& motivo) {
  throw ErroExecucao(CodigoErro::ErroComponente,
                     "Chave de acesso: " + campo + " inválido ('" + valor + "'): " + motivo);
}

std::string Zeros(int64_t valor, int largura) {
  char r[32];
  std::snprintf(r, sizeof r, "%0*lld", largura, static_cast<long long>(valor));
  return r;
}

void Faixa(const std::string& campo, int64_t valor, int64_t minimo, int64_t maximo) {
  if (valor < minimo || valor > maximo)
    Recusa(campo, std::to_string(valor), "fora de " + std::to_string(minimo) + " a " + std::to_string(maximo));
}

bool Digito(char c) { return c >= '0' && c <= '9'; }

// Letters may stand only in the first 12 characters of the CNPJ, key
// positions 6 to 17, and only in the alphanumeric form.
bool CaractereDaChave(char c, size_t posicao, CnpjNaChave forma) {
  if (Digito(c)) return true;
  return forma == CnpjNaChave::Alfanumerico && posicao >= 6 && posicao < 18 && c >= 'A' && c <= 'Z';
}

// The CNPJ of a layout 4.00 key as typed ("12.ABC.345/01DE-35"): punctuation
// dropped, then 12 characters from 0-9 and A-Z and 2 check digits; or a CPF
// of 11 digits, which the key carries with three leading zeros.
std::string DocumentoAlfanumerico(const std::string& cnpj) {
  std::string d;
  for (char c : cnpj)
    if (c != ' ' && c != '\t' && c != '.' && c != '-' && c != '/' && c != '(' && c != ')') d += c;
  if (d.empty()) Recusa("CNPJ", cnpj, "vazio");
  bool cpf = d.size() == 11;
  for (char c : d) cpf = cpf && Digito(c);
  if (cpf) return "000" + d;
  if (d.size() != 14) Recusa("CNPJ", cnpj, "deve ter 14 caracteres (ou 11 dígitos, CPF)");
  for (size_t i = 0; i < 12; ++i)
    if (!Digito(d[i]) && (d[i] < 'A' || d[i] > 'Z'))
      Recusa("CNPJ", cnpj, "só aceita dígitos e letras maiúsculas antes dos dígitos verificadores");
  if (!Digito(d[12]) || !Digito(d[13])) Recusa("CNPJ", cnpj, "os dígitos verificadores são numéricos");
  return d;
}

}  // namespace

int DigitoVerificadorChave(const std::string& chave43, CnpjNaChave forma) {
  const bool soDigitos = forma == CnpjNaChave::SoDigitos;
  if (chave43.size() != 43)
    Levanta(CodigoErro::ChamadaInvalida,
            soDigitos ? "A chave sem o dígito deve ter 43 dígitos" : "A chave sem o dígito deve ter 43 caracteres");
  int soma = 0;
  int peso = 2;
  for (size_t i = chave43.size(); i-- > 0;) {
    char c = chave43[i];
    if (!CaractereDaChave(c, i, forma))
      Levanta(CodigoErro::ChamadaInvalida, soDigitos ? "A chave de acesso só tem dígitos"
                                                     : "A chave de acesso só tem dígitos, e letras maiúsculas no CNPJ");
    soma += (c - '0') * peso;   // ASCII code minus 48: a digit's value, "A" 17
    peso = peso == 9 ? 2 : peso + 1;
  }
  int resto = soma % 11;
  return resto < 2 ? 0 : 11 - resto;
}

std::string MontaChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao, const std::string& cnpj,
                             int32_t modelo, int32_t serie, int32_t numero, int32_t tipoEmissao,
                             int32_t codigoNumerico, CnpjNaChave forma) {
  std::string uf;
  try {
    uf = leiaute::Digitos(codigoUF, 2, 2);
  } catch (const leiaute::Invalido& e) {
    Recusa("código da UF", codigoUF, e.motivo);
  }
  if (uf.empty()) Recusa("código da UF", codigoUF, "vazio");

  std::optional<leiaute::DataHora> data;
  try {
    data = leiaute::LerDataHora(dataEmissao);
  } catch (const leiaute::Invalido& e) {
    Recusa("data de emissão", dataEmissao, e.motivo);
  }
  if (!data) Recusa("data de emissão", dataEmissao, "sem data");
  if (data->ano < 2000 || data->ano > 2099) Recusa("data de emissão", dataEmissao, "ano fora de 2000 a 2099");

  std::string documento;
  if (forma == CnpjNaChave::Alfanumerico) {
    documento = DocumentoAlfanumerico(cnpj);
  } else {
    try {
      documento = leiaute::Digitos(cnpj, 11, 14);
    } catch (const leiaute::Invalido& e) {
      Recusa("CNPJ", cnpj, e.motivo);
    }
    if (documento.size() != 14 && documento.size() != 11) Recusa("CNPJ", cnpj, "deve ter 14 dígitos (ou 11, CPF)");
    if (documento.size() == 11) documento = "000" + documento;
  }

  Faixa("modelo", modelo, 0, 99);
  Faixa("série", serie, 0, 999);
  Faixa("número", numero, 1, 999999999);
  Faixa("tipo de emissão", tipoEmissao, 1, 9);
  Faixa("código numérico", codigoNumerico, 0, 99999999);

  std::string chave = uf + Zeros(data->ano % 100, 2) + Zeros(data->mes, 2) + documento + Zeros(modelo, 2) +
                      Zeros(serie, 3) + Zeros(numero, 9) + Zeros(tipoEmissao, 1) + Zeros(codigoNumerico, 8);
  return chave + static_cast<char>('0' + DigitoVerificadorChave(chave, forma));
}

bool ChaveNaForma(const std::string& chave, CnpjNaChave forma) {
  if (chave.size() != 44) return false;
  for (size_t i = 0; i < chave.size(); ++i)
    if (!CaractereDaChave(chave[i], i, forma)) return false;
  return true;
}

std::optional<PartesChave> DecompoeChave(const std::string& chave, CnpjNaChave forma) {
  if (!ChaveNaForma(chave, forma)) return std::nullopt;
  if (DigitoVerificadorChave(chave.substr(0, 43), forma) != chave[43] - '0') return std::nullopt;
  return PartesChave{chave.substr(0, 2),  chave.substr(2, 4),  chave.substr(6, 14),
                     chave.substr(20, 2), chave.substr(22, 3), chave.substr(25, 9),
                     chave.substr(34, 1), chave.substr(35, 8), chave.substr(43, 1)};
}

}  // namespace velant
