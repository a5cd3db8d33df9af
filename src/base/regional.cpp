#include "base/regional.h"

#include <cstdio>
#include <limits>

#include "base/decimal.h"
#include "base/erro.h"
#include "base/leitura.h"
#include "base/texto.h"

namespace velant {

namespace {

ConfiguracaoRegional& Atual() {
  static ConfiguracaoRegional configuracao = RegionalPtBR();
  return configuracao;
}

std::string DoisDigitos(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string QuatroDigitos(int n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04d", n);
  return buf;
}

// The exact number a value stands for; Empty is 0.
decimal::Numero NumeroDe(const Valor& v) {
  if (v.ENulo()) Levanta(CodigoErro::UsoInvalidoDeNull);
  if (v.EVazio()) return {};
  if (auto t = AcessoValor::Se<std::string>(v)) {
    auto n = leitura::NumeroRegional(*t, Regional());
    if (!n) Levanta(CodigoErro::TiposIncompativeis);
    return *n;
  }
  if (auto c = AcessoValor::Se<Currency>(v)) return decimal::DeEscalado(c->Bruto(), 4);
  if (auto i = AcessoValor::Se<int16_t>(v)) return decimal::DeInteiro(*i);
  if (auto i = AcessoValor::Se<int32_t>(v)) return decimal::DeInteiro(*i);
  if (auto i = AcessoValor::Se<int64_t>(v)) return decimal::DeInteiro(*i);
  if (auto d = AcessoValor::Se<double>(v)) return decimal::DeDouble(*d);
  if (auto d = AcessoValor::Se<DataHora>(v)) return decimal::DeDouble(d->Serial());
  if (auto b = AcessoValor::Se<bool>(v)) return decimal::DeInteiro(*b ? -1 : 0);
  Levanta(CodigoErro::TiposIncompativeis);
}

int64_t Inteiro(const Valor& v, int64_t minimo, int64_t maximo) {
  auto i = decimal::ParaInteiro(NumeroDe(v), minimo, maximo);
  if (!i) Levanta(CodigoErro::Estouro);
  return *i;
}

std::string TrocaPonto(std::string texto) {
  const size_t ponto = texto.find('.');
  if (ponto != std::string::npos) texto.replace(ponto, 1, Regional().separadorDecimal);
  return texto;
}

// Up to 15 significant digits, exponent form beyond them, as CStr writes a Double.
std::string TextoDuplo(double d) {
  if (d == 0) return "0";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15G", d);
  return TrocaPonto(buf);
}

std::string TextoData(DataHora d) {
  const auto& r = Regional();
  const std::string dia = DoisDigitos(d.Dia()), mes = DoisDigitos(d.Mes()),
                    ano = QuatroDigitos(d.Ano());
  const std::string& s = r.separadorData;
  switch (r.ordemData) {
    case ConfiguracaoRegional::OrdemData::MesDiaAno: return mes + s + dia + s + ano;
    case ConfiguracaoRegional::OrdemData::AnoMesDia: return ano + s + mes + s + dia;
    case ConfiguracaoRegional::OrdemData::DiaMesAno: break;
  }
  return dia + s + mes + s + ano;
}

std::string TextoHora(DataHora d) {
  const std::string& s = Regional().separadorHora;
  return DoisDigitos(d.HoraDoDia()) + s + DoisDigitos(d.Minuto()) + s + DoisDigitos(d.Segundo());
}

std::string TextoDataHora(DataHora d) {
  if (!d.TemData()) return TextoHora(d);
  if (!d.TemHora()) return TextoData(d);
  return TextoData(d) + " " + TextoHora(d);
}

}  // namespace

const ConfiguracaoRegional& Regional() { return Atual(); }
void DefinirRegional(const ConfiguracaoRegional& configuracao) { Atual() = configuracao; }
ConfiguracaoRegional RegionalPtBR() { return ConfiguracaoRegional{}; }

int16_t CInt(const Valor& v) {
  return static_cast<int16_t>(Inteiro(v, std::numeric_limits<int16_t>::min(),
                                      std::numeric_limits<int16_t>::max()));
}

int32_t CLng(const Valor& v) {
  return static_cast<int32_t>(Inteiro(v, std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max()));
}

int64_t CLngLng(const Valor& v) {
  return Inteiro(v, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

Currency CCur(const Valor& v) {
  if (auto c = AcessoValor::Se<Currency>(v)) return *c;
  auto bruto = decimal::ParaEscalado4(NumeroDe(v));
  if (!bruto) Levanta(CodigoErro::Estouro);
  return Currency::DeBruto(*bruto);
}

double CDbl(const Valor& v) {
  if (auto d = AcessoValor::Se<double>(v)) return *d;
  if (auto d = AcessoValor::Se<DataHora>(v)) return d->Serial();
  auto d = decimal::ParaDouble(NumeroDe(v));
  if (!d) Levanta(CodigoErro::Estouro);
  return *d;
}

DataHora CDate(const Valor& v) {
  if (v.ENulo()) Levanta(CodigoErro::UsoInvalidoDeNull);
  if (v.EVazio()) return DataHora();
  if (auto d = AcessoValor::Se<DataHora>(v)) return *d;
  if (auto t = AcessoValor::Se<std::string>(v)) {
    auto d = leitura::DataRegional(*t, Regional());
    if (!d) Levanta(CodigoErro::TiposIncompativeis);
    return *d;
  }
  const DataHora d(CDbl(v));
  const int ano = d.Ano();  // raises Estouro far outside the calendar
  if (ano < 100 || ano > 9999) Levanta(CodigoErro::Estouro);
  return d;
}

bool CBool(const Valor& v) {
  if (v.ENulo()) Levanta(CodigoErro::UsoInvalidoDeNull);
  if (auto b = AcessoValor::Se<bool>(v)) return *b;
  if (auto t = AcessoValor::Se<std::string>(v)) {
    const std::string maiusculo = UCase(Trim(*t));
    const auto& r = Regional();
    if (maiusculo == "TRUE" || maiusculo == UCase(r.textoVerdadeiro)) return true;
    if (maiusculo == "FALSE" || maiusculo == UCase(r.textoFalso)) return false;
    auto n = leitura::NumeroRegional(*t, r);
    if (!n) Levanta(CodigoErro::TiposIncompativeis);
    return !n->Zero();
  }
  if (auto d = AcessoValor::Se<DataHora>(v)) return d->Serial() != 0;
  return !NumeroDe(v).Zero();
}

std::string CStr(const Valor& v) {
  if (v.ENulo()) Levanta(CodigoErro::UsoInvalidoDeNull);
  if (v.EVazio()) return "";
  if (auto t = AcessoValor::Se<std::string>(v)) return *t;
  if (auto c = AcessoValor::Se<Currency>(v)) return TrocaPonto(c->TextoInvariante());
  if (auto i = AcessoValor::Se<int16_t>(v)) return std::to_string(*i);
  if (auto i = AcessoValor::Se<int32_t>(v)) return std::to_string(*i);
  if (auto i = AcessoValor::Se<int64_t>(v)) return std::to_string(*i);
  if (auto d = AcessoValor::Se<double>(v)) return TextoDuplo(*d);
  if (auto d = AcessoValor::Se<DataHora>(v)) return TextoDataHora(*d);
  if (auto b = AcessoValor::Se<bool>(v)) return *b ? Regional().textoVerdadeiro : Regional().textoFalso;
  Levanta(CodigoErro::TiposIncompativeis);
}

double Val(const std::string& texto) {
  auto d = decimal::ParaDouble(leitura::NumeroVal(texto));
  if (!d) Levanta(CodigoErro::Estouro);
  return *d;
}

int16_t Val16(const std::string& texto) {
  auto i = decimal::ParaInteiro(leitura::NumeroVal(texto), std::numeric_limits<int16_t>::min(),
                                std::numeric_limits<int16_t>::max());
  if (!i) Levanta(CodigoErro::Estouro);
  return static_cast<int16_t>(*i);
}

bool IsNumeric(const Valor& v) {
  // Empty is no number here: callers test IsNumeric before formatting a
  // value's text, and the text of Empty is "".
  if (v.ENulo() || v.EVazio()) return false;
  if (auto t = AcessoValor::Se<std::string>(v)) {
    try {
      return leitura::NumeroRegional(*t, Regional()).has_value();
    } catch (const ErroExecucao&) {
      return false;  // "&H" beyond 32 bits
    }
  }
  return v.Tipo() != TipoValor::Data;
}

bool IsDate(const Valor& v) {
  if (AcessoValor::Se<DataHora>(v)) return true;
  if (auto t = AcessoValor::Se<std::string>(v)) {
    return leitura::DataRegional(*t, Regional()).has_value();
  }
  return false;
}

}  // namespace velant
