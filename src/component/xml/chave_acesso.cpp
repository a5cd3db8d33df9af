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

}  // namespace

int DigitoVerificadorChave(const std::string& digitos43) {
  if (digitos43.size() != 43) Levanta(CodigoErro::ChamadaInvalida, "A chave sem o dígito deve ter 43 dígitos");
  int soma = 0;
  int peso = 2;
  for (size_t i = digitos43.size(); i-- > 0;) {
    char c = digitos43[i];
    if (c < '0' || c > '9') Levanta(CodigoErro::ChamadaInvalida, "A chave de acesso só tem dígitos");
    soma += (c - '0') * peso;
    peso = peso == 9 ? 2 : peso + 1;
  }
  int resto = soma % 11;
  return resto < 2 ? 0 : 11 - resto;
}

std::string MontaChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao, const std::string& cnpj,
                             int32_t modelo, int32_t serie, int32_t numero, int32_t tipoEmissao,
                             int32_t codigoNumerico) {
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
  try {
    documento = leiaute::Digitos(cnpj, 11, 14);
  } catch (const leiaute::Invalido& e) {
    Recusa("CNPJ", cnpj, e.motivo);
  }
  if (documento.size() != 14 && documento.size() != 11) Recusa("CNPJ", cnpj, "deve ter 14 dígitos (ou 11, CPF)");
  if (documento.size() == 11) documento = "000" + documento;

  Faixa("modelo", modelo, 0, 99);
  Faixa("série", serie, 0, 999);
  Faixa("número", numero, 1, 999999999);
  Faixa("tipo de emissão", tipoEmissao, 1, 9);
  Faixa("código numérico", codigoNumerico, 0, 99999999);

  std::string chave = uf + Zeros(data->ano % 100, 2) + Zeros(data->mes, 2) + documento + Zeros(modelo, 2) +
                      Zeros(serie, 3) + Zeros(numero, 9) + Zeros(tipoEmissao, 1) + Zeros(codigoNumerico, 8);
  return chave + static_cast<char>('0' + DigitoVerificadorChave(chave));
}

std::optional<PartesChave> DecompoeChave(const std::string& chave) {
  if (chave.size() != 44) return std::nullopt;
  for (char c : chave)
    if (c < '0' || c > '9') return std::nullopt;
  if (DigitoVerificadorChave(chave.substr(0, 43)) != chave[43] - '0') return std::nullopt;
  return PartesChave{chave.substr(0, 2),  chave.substr(2, 4),  chave.substr(6, 14),
                     chave.substr(20, 2), chave.substr(22, 3), chave.substr(25, 9),
                     chave.substr(34, 1), chave.substr(35, 8), chave.substr(43, 1)};
}

}  // namespace velant
