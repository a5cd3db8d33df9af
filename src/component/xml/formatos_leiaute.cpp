#include "component/xml/formatos_leiaute.h"

#include <array>
#include <cstdio>

#include "base/texto.h"

namespace velant::leiaute {

namespace {

bool Branco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool Digito(char c) { return c >= '0' && c <= '9'; }

std::string_view Apara(std::string_view s) {
  while (!s.empty() && Branco(s.front())) s.remove_prefix(1);
  while (!s.empty() && Branco(s.back())) s.remove_suffix(1);
  return s;
}

[[noreturn]] void Recusa(std::string_view valor, std::string motivo) {
  throw Invalido{std::string(valor), std::move(motivo)};
}

// Rounds the fraction to `casas` digits, half away from zero.
void Arredonda(Numero& n, size_t casas) {
  if (n.fracao.size() <= casas) return;
  bool sobe = n.fracao[casas] >= '5';
  n.fracao.resize(casas);
  if (!sobe) return;
  std::string digitos = (n.inteiro.empty() ? "0" : n.inteiro) + n.fracao;
  size_t i = digitos.size();
  while (i > 0) {
    --i;
    if (digitos[i] == '9') {
      digitos[i] = '0';
    } else {
      ++digitos[i];
      break;
    }
    if (i == 0) digitos.insert(digitos.begin(), '1');
  }
  n.fracao = digitos.substr(digitos.size() - casas);
  std::string inteiro = digitos.substr(0, digitos.size() - casas);
  size_t nz = inteiro.find_first_not_of('0');
  n.inteiro = nz == std::string::npos ? "" : inteiro.substr(nz);
}

int UltimoDiaDoMes(int ano, int mes) {
  static constexpr std::array<int, 12> dias{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (mes == 2 && ((ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0)) return 29;
  return dias[static_cast<size_t>(mes - 1)];
}

// Reads 1 to maxDig digits at s[i]; -1 when there are none.
int LerCampo(std::string_view s, size_t& i, size_t maxDig) {
  size_t inicio = i;
  int valor = 0;
  while (i < s.size() && Digito(s[i]) && i - inicio < maxDig) valor = valor * 10 + (s[i++] - '0');
  return i == inicio ? -1 : valor;
}

// One code point of valid UTF-8 at s[i].
char32_t Proximo(std::string_view s, size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  int n = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
  char32_t cp = b & (0x3F >> n);
  ++i;
  for (int k = 0; k < n && i < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return cp;
}

void Acrescenta(std::string& s, char32_t c) {
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else {   // only U+0080..U+00FF reach here
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Characters a keyboard or a word processor brings that the layout lacks.
const char* Equivalente(char32_t c) {
  switch (c) {
    case 0x2018: case 0x2019: case 0x201A: case 0x201B: case 0x2032: return "'";
    case 0x201C: case 0x201D: case 0x201E: case 0x2033: return "\"";
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015: case 0x2212: return "-";
    case 0x2026: return "...";
    case 0x2022: case 0x00B7: return "-";
    case 0x20AC: return "EUR";
    default: return nullptr;
  }
}

}  // namespace

bool Numero::Zero() const {
  if (!inteiro.empty()) return false;
  for (char c : fracao)
    if (c != '0') return false;
  return true;
}

std::optional<Numero> LerNumero(std::string_view texto) {
  std::string_view s = Apara(texto);
  if (s.empty()) return std::nullopt;
  Numero n;
  if (s.front() == '-' || s.front() == '+') {
    n.negativo = s.front() == '-';
    s.remove_prefix(1);
  }
  std::string inteiro, fracao;
  bool regional = s.find(',') != std::string_view::npos;
  size_t pontos = 0;
  for (char c : s) pontos += c == '.';
  if (!regional && pontos > 1) regional = true;   // "1.234.567": thousands only
  char separador = regional ? ',' : '.';
  bool naFracao = false;
  for (char c : s) {
    if (Digito(c)) {
      (naFracao ? fracao : inteiro) += c;
    } else if (c == separador && !naFracao) {
      naFracao = true;
    } else if (regional && c == '.' && !naFracao) {
      continue;
    } else {
      return std::nullopt;
    }
  }
  if (inteiro.empty() && fracao.empty()) return std::nullopt;
  size_t nz = inteiro.find_first_not_of('0');
  n.inteiro = nz == std::string::npos ? "" : inteiro.substr(nz);
  n.fracao = fracao;
  if (n.Zero()) n.negativo = false;
  return n;
}

std::string Decimal(std::string_view texto, const FormatoDecimal& formato) {
  if (Apara(texto).empty()) return "";
  auto n = LerNumero(texto);
  if (!n) Recusa(texto, "não é um número");
  if (n->negativo) Recusa(texto, "número negativo");
  while (static_cast<int>(n->fracao.size()) > formato.maxDecimais && n->fracao.back() == '0') n->fracao.pop_back();
  Arredonda(*n, static_cast<size_t>(formato.maxDecimais));
  while (static_cast<int>(n->fracao.size()) < formato.minDecimais) n->fracao += '0';
  if (static_cast<int>(n->inteiro.size()) > formato.inteiros)
    Recusa(texto, "mais de " + std::to_string(formato.inteiros) + " dígitos inteiros");
  if (formato.naoZero && n->Zero()) Recusa(texto, "zero não é aceito neste campo");
  std::string r = n->inteiro.empty() ? "0" : n->inteiro;
  if (!n->fracao.empty()) r += "." + n->fracao;
  return r;
}

bool VazioOuZero(std::string_view texto) {
  if (Apara(texto).empty()) return true;
  auto n = LerNumero(texto);
  return n && n->Zero();
}

bool Positivo(std::string_view texto) {
  auto n = LerNumero(texto);
  return n && !n->negativo && !n->Zero();
}

std::string Inteiro(std::string_view texto, int maxDigitos) {
  if (Apara(texto).empty()) return "";
  auto n = LerNumero(texto);
  if (!n || n->negativo) Recusa(texto, "não é um número inteiro");
  for (char c : n->fracao)
    if (c != '0') Recusa(texto, "não é um número inteiro");
  std::string r = n->inteiro.empty() ? "0" : n->inteiro;
  if (static_cast<int>(r.size()) > maxDigitos) Recusa(texto, "mais de " + std::to_string(maxDigitos) + " dígitos");
  return r;
}

std::string Digitos(std::string_view texto, int minDigitos, int maxDigitos) {
  std::string r;
  for (char c : texto) {
    if (Digito(c)) {
      r += c;
    } else if (!(Branco(c) || c == '.' || c == '-' || c == '/' || c == '(' || c == ')')) {
      Recusa(texto, "só dígitos são aceitos");
    }
  }
  if (r.empty()) return r;
  int n = static_cast<int>(r.size());
  if (n < minDigitos || n > maxDigitos) {
    Recusa(texto, minDigitos == maxDigitos ? "deve ter " + std::to_string(minDigitos) + " dígitos"
                                           : "deve ter de " + std::to_string(minDigitos) + " a " +
                                                 std::to_string(maxDigitos) + " dígitos");
  }
  return r;
}

std::string Texto(std::string_view texto, int minCaracteres, int maxCaracteres) {
  std::string origem;
  if (!EUtf8Valido(texto)) {
    origem = ParaUtf8(texto);
    texto = origem;
  }
  std::string r;
  r.reserve(texto.size());
  size_t i = 0;
  while (i < texto.size()) {
    char32_t c = Proximo(texto, i);
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xA0) {
      c = ' ';
    }
    if (c > 0xFF) {
      if (const char* eq = Equivalente(c)) {
        r += eq;
      }
      continue;
    }
    Acrescenta(r, c);
  }
  // Trim, then cut by characters (2-byte sequences for U+0080..U+00FF).
  size_t inicio = r.find_first_not_of(' ');
  if (inicio == std::string::npos) return "";
  size_t fim = r.find_last_not_of(' ');
  r = r.substr(inicio, fim - inicio + 1);
  int contados = 0;
  size_t corte = 0;
  while (corte < r.size() && contados < maxCaracteres) {
    corte += (static_cast<unsigned char>(r[corte]) >= 0xC0) ? 2 : 1;
    ++contados;
  }
  if (corte < r.size()) {
    r.resize(corte);
    while (!r.empty() && r.back() == ' ') r.pop_back();
  }
  int total = 0;
  for (size_t k = 0; k < r.size(); k += (static_cast<unsigned char>(r[k]) >= 0xC0) ? 2 : 1) ++total;
  if (total < minCaracteres) Recusa(texto, "menos de " + std::to_string(minCaracteres) + " caracteres");
  return r;
}

std::string Enumerado(std::string_view texto, std::initializer_list<std::string_view> valores) {
  std::string_view s = Apara(texto);
  if (s.empty()) return "";
  for (auto v : valores)
    if (s == v) return std::string(s);
  std::string lista;
  for (auto v : valores) lista += (lista.empty() ? "" : ", ") + std::string(v);
  Recusa(texto, "valores aceitos: " + lista);
}

std::string Uf(std::string_view texto, bool aceitaEX) {
  static constexpr std::array<std::string_view, 27> ufs{"AC", "AL", "AM", "AP", "BA", "CE", "DF", "ES", "GO",
                                                        "MA", "MG", "MS", "MT", "PA", "PB", "PE", "PI", "PR",
                                                        "RJ", "RN", "RO", "RR", "RS", "SC", "SE", "SP", "TO"};
  std::string s(Apara(texto));
  if (s.empty()) return "";
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  if (aceitaEX && s == "EX") return s;
  for (auto uf : ufs)
    if (s == uf) return s;
  Recusa(texto, "sigla de UF desconhecida");
}

std::optional<DataHora> LerDataHora(std::string_view texto) {
  std::string_view s = Apara(texto);
  if (s.empty()) return std::nullopt;
  DataHora d;
  size_t i = 0;
  int a = LerCampo(s, i, 4);
  bool iso = i < s.size() && s[i] == '-' && i == 4;
  if (a < 0) Recusa(texto, "data ilegível");
  if (i < s.size() && s[i] == ':') {   // a time alone: no date
    return std::nullopt;
  }
  if (iso) {
    d.ano = a;
    ++i;
    d.mes = LerCampo(s, i, 2);
    if (i >= s.size() || s[i] != '-') Recusa(texto, "data ilegível");
    ++i;
    d.dia = LerCampo(s, i, 2);
  } else {
    if (i >= s.size() || s[i] != '/') Recusa(texto, "data ilegível");
    d.dia = a;
    ++i;
    d.mes = LerCampo(s, i, 2);
    if (i >= s.size() || s[i] != '/') Recusa(texto, "data ilegível");
    ++i;
    size_t inicioAno = i;
    d.ano = LerCampo(s, i, 4);
    if (i - inicioAno != 4) Recusa(texto, "ano com quatro dígitos esperado");
  }
  if (d.mes < 1 || d.mes > 12 || d.dia < 1 || d.ano < 1) {
    if (d.ano == 1899 || d.ano == 0) return std::nullopt;   // the zero date of the tables
    Recusa(texto, "data inexistente");
  }
  if (d.dia > UltimoDiaDoMes(d.ano, d.mes)) Recusa(texto, "data inexistente");
  if (d.ano == 1899 && d.mes == 12 && d.dia == 30) return std::nullopt;
  if (i < s.size()) {
    if (s[i] != ' ' && s[i] != 'T') Recusa(texto, "data e hora ilegíveis");
    while (i < s.size() && (s[i] == ' ' || s[i] == 'T')) ++i;
    d.hora = LerCampo(s, i, 2);
    if (d.hora < 0 || i >= s.size() || s[i] != ':') Recusa(texto, "hora ilegível");
    ++i;
    d.minuto = LerCampo(s, i, 2);
    if (d.minuto < 0) Recusa(texto, "hora ilegível");
    if (i < s.size() && s[i] == ':') {
      ++i;
      d.segundo = LerCampo(s, i, 2);
      if (d.segundo < 0) Recusa(texto, "hora ilegível");
      if (i < s.size() && s[i] == '.') {   // fractions of a second are dropped
        ++i;
        while (i < s.size() && Digito(s[i])) ++i;
      }
    }
    if (d.hora > 23 || d.minuto > 59 || d.segundo > 59) Recusa(texto, "hora inexistente");
    if (i < s.size()) {
      std::string_view resto = Apara(s.substr(i));
      if (resto == "Z") {
        d.fuso = "+00:00";
      } else {
        d.fuso = Fuso(resto);
      }
    }
  }
  return d;
}

std::string Fuso(std::string_view texto) {
  std::string_view s = Apara(texto);
  if (s.empty() || (s[0] != '-' && s[0] != '+')) Recusa(texto, "fuso horário deve começar por + ou -");
  char sinal = s[0];
  std::string digitos;
  for (char c : s.substr(1)) {
    if (Digito(c)) {
      digitos += c;
    } else if (c != ':') {
      Recusa(texto, "fuso horário ilegível");
    }
  }
  int horas = -1, minutos = 0;
  if (digitos.size() == 1 || digitos.size() == 2) {
    horas = std::stoi(digitos);
  } else if (digitos.size() == 4) {
    horas = std::stoi(digitos.substr(0, 2));
    minutos = std::stoi(digitos.substr(2));
  }
  if (horas < 0 || minutos != 0 || (sinal == '-' && horas > 11) || (sinal == '+' && horas > 12))
    Recusa(texto, "fuso horário fora do leiaute (de -11:00 a +12:00, horas inteiras)");
  char r[24];
  std::snprintf(r, sizeof r, "%c%02d:00", sinal, horas);
  return r;
}

std::string DataHoraUTC(const DataHora& d, const std::string& fusoPadrao) {
  if (d.ano < 2000 || d.ano > 2099) Recusa(Data(d), "ano fora do leiaute (2000 a 2099)");
  char r[40];
  std::snprintf(r, sizeof r, "%04d-%02d-%02dT%02d:%02d:%02d", d.ano, d.mes, d.dia, d.hora, d.minuto, d.segundo);
  return std::string(r) + (d.fuso.empty() ? fusoPadrao : d.fuso);
}

std::string Data(const DataHora& d) {
  char r[40];
  std::snprintf(r, sizeof r, "%04d-%02d-%02d", d.ano, d.mes, d.dia);
  if (d.ano < 2000 || d.ano > 2099) Recusa(r, "ano fora do leiaute (2000 a 2099)");
  return r;
}

}  // namespace velant::leiaute
