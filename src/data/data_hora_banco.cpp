#include "data/data_hora_banco.h"

#include <cctype>

#include "base/erro.h"

namespace velant::data {

namespace {

// Reads exactly n digits at i.
bool Digitos(const std::string& s, size_t& i, size_t n, int& valor) {
  if (i + n > s.size()) return false;
  valor = 0;
  for (size_t k = 0; k < n; ++k) {
    char c = s[i + k];
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    valor = valor * 10 + (c - '0');
  }
  i += n;
  return true;
}

bool Caractere(const std::string& s, size_t& i, char c) {
  if (i >= s.size() || s[i] != c) return false;
  ++i;
  return true;
}

// hh:mm:ss with an optional fraction, which is dropped (stamps are whole seconds).
bool Hora(const std::string& s, size_t& i, int& h, int& m, int& seg) {
  if (!Digitos(s, i, 2, h) || !Caractere(s, i, ':') || !Digitos(s, i, 2, m)) return false;
  seg = 0;
  if (Caractere(s, i, ':') && !Digitos(s, i, 2, seg)) return false;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
  }
  return true;
}

}  // namespace

bool LerDataHoraBanco(const std::string& texto, DataHora& resultado) {
  int ano = 0, mes = 0, dia = 0, h = 0, m = 0, seg = 0;
  size_t i = 0;
  bool temData = false;
  if (texto.size() >= 10 && texto[4] == '-') {
    temData = Digitos(texto, i, 4, ano) && Caractere(texto, i, '-') && Digitos(texto, i, 2, mes) &&
              Caractere(texto, i, '-') && Digitos(texto, i, 2, dia);
    if (!temData) return false;
  } else if (texto.size() >= 10 && texto[2] == '/') {
    temData = Digitos(texto, i, 2, dia) && Caractere(texto, i, '/') && Digitos(texto, i, 2, mes) &&
              Caractere(texto, i, '/') && Digitos(texto, i, 4, ano);
    if (!temData) return false;
  }
  bool temHora = false;
  if (temData && i < texto.size() && (texto[i] == ' ' || texto[i] == 'T')) ++i;
  if (i < texto.size()) {
    if (!Hora(texto, i, h, m, seg)) return false;
    temHora = true;
  }
  if (i != texto.size() || (!temData && !temHora)) return false;
  try {
    resultado = temData ? DataHora::De(ano, mes, dia, h, m, seg) : DataHora::Hora(h, m, seg);
  } catch (const ErroExecucao&) {
    return false;
  }
  return true;
}

}  // namespace velant::data
