#include <cstdio>
#include <optional>
#include <string_view>

#include "base/decimal.h"
#include "base/erro.h"
#include "base/leitura.h"
#include "base/regional.h"

namespace velant {

namespace {

struct PadraoNumero {
  const char* padrao;
  int casas;
  int digitosMinimos;  // whole-part digits, zero padded
  bool agrupado;
};

constexpr PadraoNumero kPadroesNumero[] = {
    {"#######0.00", 2, 1, false},    {"#######0.000", 3, 1, false},
    {"#######0.0000", 4, 1, false},  {"###,###,##0.00", 2, 1, true},
    {"0000000", 0, 7, false},
};

enum class PadraoData { DiaMesAno, MesDiaAno, Hora, AnoMesDiaIso, AnoMes, Dia, Mes, Ano };

struct PadraoDataNome {
  const char* padrao;
  PadraoData tipo;
};

constexpr PadraoDataNome kPadroesData[] = {
    {"dd/mm/yyyy", PadraoData::DiaMesAno}, {"mm/dd/yyyy", PadraoData::MesDiaAno},
    {"hh:mm:ss", PadraoData::Hora},        {"HH:mm:ss", PadraoData::Hora},
    {"yyyy-mm-dd", PadraoData::AnoMesDiaIso}, {"yyyyMM", PadraoData::AnoMes},
    {"dd", PadraoData::Dia},               {"mm", PadraoData::Mes},
    {"yyyy", PadraoData::Ano},
};

std::string Digitos(int n, int largura) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", largura, n);
  return buf;
}

std::string FormataNumero(const decimal::Numero& n, const PadraoNumero& p, std::string_view separadorDecimal) {
  auto escalado = decimal::Escalado(n, p.casas, 1000);
  if (!escalado) Levanta(CodigoErro::Estouro);
  std::string digitos = *escalado;
  const bool negativo = n.negativo && !digitos.empty();  // no "-0,00"
  const size_t minimo = static_cast<size_t>(p.casas + p.digitosMinimos);
  if (digitos.size() < minimo) digitos.insert(0, minimo - digitos.size(), '0');
  std::string inteira = digitos.substr(0, digitos.size() - static_cast<size_t>(p.casas));
  const std::string fracao = digitos.substr(inteira.size());
  const auto& r = Regional();
  if (p.agrupado) {
    std::string agrupada;
    for (size_t i = 0; i < inteira.size(); ++i) {
      if (i > 0 && (inteira.size() - i) % 3 == 0) agrupada += r.separadorMilhar;
      agrupada += inteira[i];
    }
    inteira = std::move(agrupada);
  }
  std::string texto = negativo ? "-" : "";
  texto += inteira;
  if (p.casas > 0) {
    texto += separadorDecimal;
    texto += fracao;
  }
  return texto;
}

std::string FormataData(DataHora d, PadraoData p) {
  const auto& r = Regional();
  const std::string& sd = r.separadorData;
  const std::string& sh = r.separadorHora;
  switch (p) {
    case PadraoData::DiaMesAno:
      return Digitos(d.Dia(), 2) + sd + Digitos(d.Mes(), 2) + sd + Digitos(d.Ano(), 4);
    case PadraoData::MesDiaAno:
      return Digitos(d.Mes(), 2) + sd + Digitos(d.Dia(), 2) + sd + Digitos(d.Ano(), 4);
    case PadraoData::Hora:
      return Digitos(d.HoraDoDia(), 2) + sh + Digitos(d.Minuto(), 2) + sh + Digitos(d.Segundo(), 2);
    case PadraoData::AnoMesDiaIso:
      return Digitos(d.Ano(), 4) + "-" + Digitos(d.Mes(), 2) + "-" + Digitos(d.Dia(), 2);
    case PadraoData::AnoMes: return Digitos(d.Ano(), 4) + Digitos(d.Mes(), 2);
    case PadraoData::Dia: return Digitos(d.Dia(), 2);
    case PadraoData::Mes: return Digitos(d.Mes(), 2);
    case PadraoData::Ano: return Digitos(d.Ano(), 4);
  }
  return {};
}

}  // namespace

std::string Format(const Valor& v, const std::string& padrao) {
  const PadraoNumero* numero = nullptr;
  for (const auto& p : kPadroesNumero) {
    if (padrao == p.padrao) numero = &p;
  }
  const PadraoDataNome* data = nullptr;
  for (const auto& p : kPadroesData) {
    if (padrao == p.padrao) data = &p;
  }
  if (!numero && !data) {
    Levanta(CodigoErro::ChamadaInvalida, "Formato não suportado: \"" + padrao + "\"");
  }
  if (v.ENulo()) return "";

  if (numero) {
    if (auto t = AcessoValor::Se<std::string>(v)) {
      if (auto n = leitura::NumeroRegional(*t, Regional())) return FormataNumero(*n, *numero, Regional().separadorDecimal);
      if (auto d = leitura::DataRegional(*t, Regional())) {
        return FormataNumero(decimal::DeDouble(d->Serial()), *numero, Regional().separadorDecimal);
      }
      return *t;  // neither number nor date: Format gives the text back
    }
    if (auto d = AcessoValor::Se<DataHora>(v)) {
      return FormataNumero(decimal::DeDouble(d->Serial()), *numero, Regional().separadorDecimal);
    }
    // CCur/CDbl would lose exactness; take the number as it is held.
    if (auto c = AcessoValor::Se<Currency>(v)) {
      return FormataNumero(decimal::DeEscalado(c->Bruto(), 4), *numero, Regional().separadorDecimal);
    }
    if (auto d = AcessoValor::Se<double>(v)) return FormataNumero(decimal::DeDouble(*d), *numero, Regional().separadorDecimal);
    return FormataNumero(decimal::DeInteiro(CLngLng(v)), *numero, Regional().separadorDecimal);
  }

  if (auto t = AcessoValor::Se<std::string>(v)) {
    if (auto d = leitura::DataRegional(*t, Regional())) return FormataData(*d, data->tipo);
    if (leitura::NumeroRegional(*t, Regional())) return FormataData(CDate(CDbl(v)), data->tipo);
    return *t;
  }
  return FormataData(CDate(v), data->tipo);
}

std::optional<std::string> FormataDecimaisComPonto(const Valor& v, int casas) {
  // The text's cut by position, which this replaces, assumes a one-byte separator.
  if (casas < 2 || casas > 4 || Regional().separadorDecimal.size() != 1) return std::nullopt;
  const PadraoNumero& padrao = kPadroesNumero[casas - 2];
  std::optional<decimal::Numero> n;
  if (v.ENulo() || v.EVazio()) {
    n = decimal::DeInteiro(0);
  } else if (auto t = AcessoValor::Se<std::string>(v)) {
    try {
      n = leitura::NumeroRegional(*t, Regional());
    } catch (const ErroExecucao&) {
      // "&H" beyond 32 bits: no number, as IsNumeric says
    }
    if (!n) n = decimal::DeInteiro(0);
  } else if (auto c = AcessoValor::Se<Currency>(v)) {
    n = decimal::DeEscalado(c->Bruto(), 4);
  } else if (auto i = AcessoValor::Se<int16_t>(v)) {
    n = decimal::DeInteiro(*i);
  } else if (auto i = AcessoValor::Se<int32_t>(v)) {
    n = decimal::DeInteiro(*i);
  } else if (auto i = AcessoValor::Se<int64_t>(v)) {
    n = decimal::DeInteiro(*i);
  } else {
    return std::nullopt;
  }
  return FormataNumero(*n, padrao, ".");
}

}  // namespace velant
