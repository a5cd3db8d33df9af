#include "component/regras/regras_valores.h"

#include <array>

namespace velant::regras {

namespace {

// 10^0 .. 10^38, the powers a 128-bit integer holds; read for every digit of every amount.
constexpr std::array<Inteiro, 39> kPotencias = [] {
  std::array<Inteiro, 39> p{};
  p[0] = 1;
  for (size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
  return p;
}();

}  // namespace

Inteiro Potencia10(int n) {
  if (n <= 0) return 1;
  // No amount of the layout gets beyond 10^38; past it the power stays there instead of overflowing.
  if (n >= static_cast<int>(kPotencias.size())) return kPotencias.back();
  return kPotencias[static_cast<size_t>(n)];
}

Inteiro Produto(Inteiro a, Inteiro b) {
  Inteiro r;
  if (!__builtin_mul_overflow(a, b, &r)) return r;
  Inteiro maximo = ~(Inteiro(1) << 127);
  return (a < 0) != (b < 0) ? -maximo : maximo;
}

std::optional<Inteiro> Fixo(std::string_view texto, int casas) {
  bool negativo = !texto.empty() && texto[0] == '-';
  if (negativo) texto.remove_prefix(1);
  Inteiro valor = 0;
  int decimais = -1;   // -1 until the point is seen
  bool algarismo = false;
  for (char c : texto) {
    if (c == '.' && decimais < 0) {
      decimais = 0;
    } else if (c >= '0' && c <= '9') {
      if (decimais >= 0 && ++decimais > casas) return std::nullopt;
      // More than 30 digits is no amount of the layout; it would also overflow.
      if (valor > Potencia10(30)) return std::nullopt;
      valor = valor * 10 + (c - '0');
      algarismo = true;
    } else {
      return std::nullopt;
    }
  }
  if (!algarismo) return std::nullopt;
  valor *= Potencia10(casas - (decimais < 0 ? 0 : decimais));
  return negativo ? -valor : valor;
}

Inteiro FixoOuZero(std::string_view texto, int casas) { return Fixo(texto, casas).value_or(0); }

std::string TextoFixo(Inteiro valor, int casas) {
  bool negativo = valor < 0;
  if (negativo) valor = -valor;
  std::string digitos;
  do {
    digitos.insert(digitos.begin(), static_cast<char>('0' + static_cast<int>(valor % 10)));
    valor /= 10;
  } while (valor > 0);
  if (static_cast<int>(digitos.size()) <= casas) digitos.insert(0, static_cast<size_t>(casas) + 1 - digitos.size(), '0');
  if (casas > 0) digitos.insert(digitos.size() - static_cast<size_t>(casas), 1, '.');
  return negativo ? "-" + digitos : digitos;
}

std::optional<std::chrono::system_clock::time_point> Instante(std::string_view t) {
  auto numero = [&](size_t inicio, size_t n) -> int {
    int v = 0;
    for (size_t i = inicio; i < inicio + n; ++i) {
      if (i >= t.size() || t[i] < '0' || t[i] > '9') return -1;
      v = v * 10 + (t[i] - '0');
    }
    return v;
  };
  if (t.size() < 19 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' || t[16] != ':')
    return std::nullopt;
  int ano = numero(0, 4), mes = numero(5, 2), dia = numero(8, 2);
  int hora = numero(11, 2), minuto = numero(14, 2), segundo = numero(17, 2);
  if (ano < 0 || mes < 0 || dia < 0 || hora < 0 || minuto < 0 || segundo < 0) return std::nullopt;
  std::chrono::year_month_day data{std::chrono::year(ano), std::chrono::month(static_cast<unsigned>(mes)),
                                   std::chrono::day(static_cast<unsigned>(dia))};
  if (!data.ok() || hora > 23 || minuto > 59 || segundo > 59) return std::nullopt;
  std::chrono::minutes fuso{0};
  std::string_view resto = t.substr(19);
  if (!resto.empty() && resto != "Z") {
    if (resto.size() != 6 || (resto[0] != '+' && resto[0] != '-') || resto[3] != ':') return std::nullopt;
    int h = numero(20, 2), m = numero(23, 2);
    if (h < 0 || m < 0) return std::nullopt;
    fuso = std::chrono::minutes(h * 60 + m);
    if (resto[0] == '-') fuso = -fuso;
  }
  // Local time minus its offset is the instant.
  return std::chrono::sys_days(data) + std::chrono::hours(hora) + std::chrono::minutes(minuto) +
         std::chrono::seconds(segundo) - fuso;
}

}  // namespace velant::regras
