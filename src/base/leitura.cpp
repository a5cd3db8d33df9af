#include "base/leitura.h"

#include <cstdint>
#include <string>

#include "base/erro.h"

namespace velant::leitura {

namespace {

bool EDigito(char c) { return c >= '0' && c <= '9'; }
bool EBranco(char c) { return c == ' ' || c == '\t'; }

std::string_view SemBrancos(std::string_view t) {
  while (!t.empty() && EBranco(t.front())) t.remove_prefix(1);
  while (!t.empty() && EBranco(t.back())) t.remove_suffix(1);
  return t;
}

// "&Hff" / "&O17": the digits after the prefix, sized as the front ends expect: a
// value that fits in 16 bits is a 16-bit integer (so &HFFFF is -1), else 32 bits.
std::optional<decimal::Numero> OctalOuHexa(std::string_view t, bool exigeTudo) {
  if (t.size() < 2 || t[0] != '&') return std::nullopt;
  const char prefixo = static_cast<char>(t[1] | 0x20);
  int base;
  if (prefixo == 'h') {
    base = 16;
  } else if (prefixo == 'o') {
    base = 8;
  } else {
    return std::nullopt;
  }
  uint64_t valor = 0;
  size_t i = 2;
  size_t lidos = 0;
  for (; i < t.size(); ++i) {
    const char c = static_cast<char>(t[i] | 0x20);
    int digito;
    if (EDigito(t[i])) {
      digito = t[i] - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digito = c - 'a' + 10;
    } else {
      break;
    }
    if (digito >= base) break;
    valor = valor * static_cast<uint64_t>(base) + static_cast<uint64_t>(digito);
    if (valor > 0xFFFFFFFFu) Levanta(CodigoErro::Estouro);
    ++lidos;
  }
  if (exigeTudo && (i != t.size() || lidos == 0)) return std::nullopt;
  int64_t comSinal;
  if (valor <= 0xFFFF) {
    comSinal = static_cast<int16_t>(static_cast<uint16_t>(valor));
  } else {
    comSinal = static_cast<int32_t>(static_cast<uint32_t>(valor));
  }
  return decimal::DeInteiro(comSinal);
}

bool LerInteiro(std::string_view t, size_t& i, size_t minDigitos, size_t maxDigitos, int& valor) {
  size_t n = 0;
  valor = 0;
  while (i < t.size() && EDigito(t[i]) && n < maxDigitos) {
    valor = valor * 10 + (t[i] - '0');
    ++i;
    ++n;
  }
  return n >= minDigitos && (i >= t.size() || !EDigito(t[i]));
}

// hh:mm[:ss[.fff]] from position i to the end of the text.
bool LerHora(std::string_view t, size_t i, char separador, int& h, int& m, int& s) {
  s = 0;
  if (!LerInteiro(t, i, 1, 2, h)) return false;
  if (i >= t.size() || t[i] != separador) return false;
  ++i;
  if (!LerInteiro(t, i, 1, 2, m)) return false;
  if (i < t.size() && t[i] == separador) {
    ++i;
    if (!LerInteiro(t, i, 1, 2, s)) return false;
    // Fractions of a second (as some databases write them) are dropped.
    if (i < t.size() && t[i] == '.') {
      ++i;
      int ignorado;
      if (!LerInteiro(t, i, 1, 9, ignorado)) return false;
    }
  }
  if (i != t.size()) return false;
  return h <= 23 && m <= 59 && s <= 59;
}

int AnoDeDoisDigitos(int ano) { return ano < 30 ? 2000 + ano : 1900 + ano; }

bool DataValida(int ano, int mes, int dia) {
  if (ano < 100 || ano > 9999 || mes < 1 || mes > 12 || dia < 1) return false;
  static constexpr int kDias[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (dia > kDias[mes - 1]) return false;
  if (mes == 2 && dia == 29) return (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0;
  return true;
}

std::optional<DataHora> Monta(int ano, int mes, int dia, bool temHora, int h, int m, int s) {
  if (!DataValida(ano, mes, dia)) return std::nullopt;
  return DataHora::De(ano, mes, dia, temHora ? h : 0, temHora ? m : 0, temHora ? s : 0);
}

}  // namespace

std::optional<decimal::Numero> NumeroRegional(std::string_view texto,
                                              const ConfiguracaoRegional& regional) {
  std::string_view t = SemBrancos(texto);
  if (t.empty()) return std::nullopt;
  if (t[0] == '&') return OctalOuHexa(t, true);
  const std::string& milhar = regional.separadorMilhar;
  const std::string& decimal = regional.separadorDecimal;
  // Rebuild the text with "." as the only decimal point and no grouping.
  std::string limpo;
  limpo.reserve(t.size());
  size_t i = 0;
  if (t[i] == '+' || t[i] == '-') limpo += t[i++];
  bool temDigito = false;
  while (i < t.size()) {
    if (EDigito(t[i])) {
      limpo += t[i++];
      temDigito = true;
    } else if (!milhar.empty() && temDigito && t.substr(i, milhar.size()) == milhar &&
               i + milhar.size() < t.size() && EDigito(t[i + milhar.size()])) {
      i += milhar.size();
    } else {
      break;
    }
  }
  if (!decimal.empty() && t.substr(i, decimal.size()) == decimal) {
    limpo += '.';
    i += decimal.size();
    while (i < t.size() && EDigito(t[i])) limpo += t[i++];
  }
  // The exponent and nothing else may follow.
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    limpo += t.substr(i);
    i = t.size();
  }
  if (i != t.size()) return std::nullopt;
  return decimal::Ler(limpo, '.');
}

decimal::Numero NumeroVal(std::string_view texto) {
  std::string t;
  t.reserve(texto.size());
  for (char c : texto) {
    if (c != ' ' && c != '\t' && c != '\n') t += c;
  }
  if (!t.empty() && t[0] == '&') {
    auto n = OctalOuHexa(t, false);
    return n ? *n : decimal::Numero{};
  }
  size_t i = 0;
  std::string prefixo;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) prefixo += t[i++];
  size_t digitos = 0;
  while (i < t.size() && EDigito(t[i])) {
    prefixo += t[i++];
    ++digitos;
  }
  if (i < t.size() && t[i] == '.') {
    prefixo += t[i++];
    while (i < t.size() && EDigito(t[i])) {
      prefixo += t[i++];
      ++digitos;
    }
  }
  if (digitos == 0) return decimal::Numero{};
  // An exponent counts only when digits follow it ("1e" is 1); "D" marks one as well.
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
    size_t j = i + 1;
    std::string expoente = "e";
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) expoente += t[j++];
    if (j < t.size() && EDigito(t[j])) {
      while (j < t.size() && EDigito(t[j])) expoente += t[j++];
      prefixo += expoente;
    }
  }
  auto n = decimal::Ler(prefixo, '.');
  return n ? *n : decimal::Numero{};
}

std::optional<DataHora> DataRegional(std::string_view texto,
                                     const ConfiguracaoRegional& regional) {
  std::string_view t = SemBrancos(texto);
  if (t.empty()) return std::nullopt;
  const char sepHora = regional.separadorHora.empty() ? ':' : regional.separadorHora[0];
  const char sepData = regional.separadorData.empty() ? '/' : regional.separadorData[0];
  int h = 0, m = 0, s = 0;

  // A time alone.
  if (LerHora(t, 0, sepHora, h, m, s)) return DataHora::Hora(h, m, s);

  size_t i = 0;
  int a = 0, b = 0, c = 0;
  // yyyy-mm-dd, with the time after "T" or a blank.
  if (t.size() >= 10 && t[4] == '-') {
    if (!LerInteiro(t, i, 4, 4, a) || t[i++] != '-') return std::nullopt;
    if (!LerInteiro(t, i, 1, 2, b) || i >= t.size() || t[i++] != '-') return std::nullopt;
    if (!LerInteiro(t, i, 1, 2, c)) return std::nullopt;
    if (i == t.size()) return Monta(a, b, c, false, 0, 0, 0);
    if (t[i] != 'T' && t[i] != ' ') return std::nullopt;
    while (i < t.size() && (t[i] == 'T' || t[i] == ' ')) ++i;
    if (!LerHora(t, i, ':', h, m, s)) return std::nullopt;
    return Monta(a, b, c, true, h, m, s);
  }

  // Three numbers with the regional separator, in the regional order.
  if (!LerInteiro(t, i, 1, 4, a) || i >= t.size() || t[i++] != sepData) return std::nullopt;
  const size_t inicioB = i;
  if (!LerInteiro(t, i, 1, 2, b) || i >= t.size() || t[i++] != sepData) return std::nullopt;
  const size_t inicioC = i;
  if (!LerInteiro(t, i, 1, 4, c)) return std::nullopt;
  const size_t digitosA = inicioB - 1;
  const size_t digitosC = i - inicioC;
  bool temHora = false;
  if (i < t.size()) {
    if (!EBranco(t[i])) return std::nullopt;
    while (i < t.size() && EBranco(t[i])) ++i;
    if (!LerHora(t, i, sepHora, h, m, s)) return std::nullopt;
    temHora = true;
  }
  int ano, mes, dia;
  switch (regional.ordemData) {
    case ConfiguracaoRegional::OrdemData::DiaMesAno:
      if (digitosA > 2 || digitosC == 3) return std::nullopt;
      dia = a, mes = b, ano = digitosC <= 2 ? AnoDeDoisDigitos(c) : c;
      break;
    case ConfiguracaoRegional::OrdemData::MesDiaAno:
      if (digitosA > 2 || digitosC == 3) return std::nullopt;
      mes = a, dia = b, ano = digitosC <= 2 ? AnoDeDoisDigitos(c) : c;
      break;
    case ConfiguracaoRegional::OrdemData::AnoMesDia:
    default:
      if (digitosA == 3 || digitosC > 2) return std::nullopt;
      ano = digitosA <= 2 ? AnoDeDoisDigitos(a) : a, mes = b, dia = c;
      break;
  }
  return Monta(ano, mes, dia, temHora, h, m, s);
}

}  // namespace velant::leitura
