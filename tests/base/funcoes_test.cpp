// The conversions, comparisons, texts, dates, Currency and Format of the base layer, from the
// case table funcoes.tsv: each row names a function, its input and what it
// must give (or the error it must raise).
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "base/converte_valor.h"
#include "base/currency.h"
#include "base/erro.h"
#include "base/regional.h"
#include "base/tabela_tsv_teste.h"
#include "base/texto.h"

namespace velant {
namespace {

DataHora DataDoTexto(const std::string& t) {   // yyyy-mm-dd hh:mm:ss
  int a = 0, m = 0, d = 0, h = 0, mi = 0, s = 0;
  std::sscanf(t.c_str(), "%d-%d-%d %d:%d:%d", &a, &m, &d, &h, &mi, &s);
  return DataHora::De(a, m, d, h, mi, s);
}

std::string TextoDaData(const DataHora& d) { return Format(d, "yyyy-mm-dd") + " " + Format(d, "hh:mm:ss"); }

std::string TextoDoDouble(double x) {   // the shortest text that reads back
  char b[64];
  return std::string(b, std::to_chars(b, b + sizeof b, x + 0.0).ptr);
}

std::string Decimais8(double x) {
  char b[48];
  std::snprintf(b, sizeof b, "%.8f", x);
  return b;
}

Valor ValorDoTipo(const std::string& tipo, const std::string& e) {
  const std::map<std::string, std::function<Valor()>> tipos = {
      {"t", [&] { return Valor(e); }}, {"d", [&] { return Valor(std::stod(e)); }},
      {"m", [&] { return Valor(Currency::DeBruto(std::stoll(e))); }}, {"b", [&] { return Valor(e == "1"); }},
      {"i16", [&] { return Valor(static_cast<int16_t>(std::stoi(e))); }},
      {"i32", [&] { return Valor(static_cast<int32_t>(std::stol(e))); }},
      {"i64", [&] { return Valor(static_cast<int64_t>(std::stoll(e))); }}, {"e", [] { return Valor(); }},
      {"n", [] { return Valor::Nulo(); }}, {"dt", [&] { return Valor(DataDoTexto(e)); }},
      {"s", [&] { return Valor(DataHora(std::stod(e))); }}};
  return tipos.at(tipo)();
}

using Funcao = std::function<std::string(const Valor& v, const std::string& e, const std::string& a)>;

// "x|y" in the argument column: the two arguments of a call.
std::string Antes(const std::string& a) { return a.substr(0, a.find('|')); }
std::string Depois(const std::string& a) { return a.substr(a.find('|') + 1); }
Currency Cur(const std::string& t) { return Currency::DeTextoInvariante(t); }
std::string Bool(bool b) { return b ? "1" : "0"; }
using std::to_string;

const std::map<std::string, Funcao>& TabelaDeFuncoes() {
  static const std::map<std::string, Funcao> f = {
      {"CInteiros", [](auto& v, auto&, auto&) {
         const std::string i = to_string(CInt(v)), l = to_string(CLng(v)), ll = to_string(CLngLng(v));
         return i == l && l == ll ? i : i + "|" + l + "|" + ll;
       }},
      {"CInt", [](auto& v, auto&, auto&) { return to_string(CInt(v)); }},
      {"CLng", [](auto& v, auto&, auto&) { return to_string(CLng(v)); }},
      {"CLngLng", [](auto& v, auto&, auto&) { return to_string(CLngLng(v)); }},
      {"CCur", [](auto& v, auto&, auto&) { return to_string(CCur(v).Bruto()); }},
      {"CDbl", [](auto& v, auto&, auto&) { return TextoDoDouble(CDbl(v)); }},
      {"CBool", [](auto& v, auto&, auto&) { return Bool(CBool(v)); }},
      {"CDate", [](auto& v, auto&, auto&) { return TextoDaData(CDate(v)); }},
      {"IsDate", [](auto& v, auto&, auto&) { return Bool(IsDate(v)); }},
      {"IsNumeric", [](auto& v, auto&, auto&) { return Bool(IsNumeric(v)); }},
      {"CStr", [](auto& v, auto&, auto&) { return CStr(v) == v.Texto() ? CStr(v) : CStr(v) + "|" + v.Texto(); }},
      {"ENumerico", [](auto& v, auto&, auto&) { return Bool(v.ENumerico()); }},
      {"ComoTexto", [](auto& v, auto&, auto&) { return v.ComoTexto(); }},
      {"Descricao", [](auto&, auto& e, auto& a) { return ErroExecucao(std::stoi(e), a).Descricao(); }},
      {"Partes", [](auto& v, auto&, auto&) {   // has date, has time, Zero; the date part; the time part
         const DataHora d = CDate(v);
         return Bool(d.TemData()) + Bool(d.TemHora()) + Bool(d.Zero()) + " " + TextoDaData(d.SoData()) +
                Bool(d.SoData().TemHora()) + " " + TextoDaData(d.SoHora()) + Bool(d.SoHora().TemData());
       }},
      {"IdaEVolta", [](auto& v, auto&, auto&) {
         const DataHora d = CDate(v);
         return TextoDaData(CDate(CStr(d))) + (CDate(Format(d, "yyyy-mm-dd") + " " + Format(d, "hh:mm:ss")) == d ? "" : "!");
       }},
      {"Serial", [](auto& v, auto&, auto&) { return Decimais8(CDate(v).Serial()); }},
      {"DoSerial", [](auto&, auto& e, auto&) { return TextoDaData(DataHora(std::stod(e))); }},
      {"DiferencaSegundos", [](auto& v, auto&, auto& a) { return to_string(DiferencaSegundos(CDate(v), DataDoTexto(a))); }},
      {"Compara", [](auto& v, auto&, auto& a) {
         const Valor b = ValorDoTipo(Antes(a), Depois(a));
         std::string r;
         for (const auto& [nome, vale] : {std::pair{"=", Igual(v, b)}, {"<>", Diferente(v, b)}, {"<", Menor(v, b)},
                                          {"<=", MenorOuIgual(v, b)}, {">", Maior(v, b)}, {">=", MaiorOuIgual(v, b)}})
           if (vale) r += std::string(r.empty() ? "" : " ") + nome;
         return r;
       }},
      {"Val", [](auto&, auto& e, auto&) { return TextoDoDouble(Val(e)); }},
      {"Val16", [](auto&, auto& e, auto&) { return to_string(Val16(e)); }},
      {"Format", [](auto& v, auto&, auto& a) { return Format(v, a); }},
      {"ConverteValor", [](auto&, auto& e, auto&) { return ConverteValor(e).TextoInvariante(); }},
      {"Len", [](auto&, auto& e, auto&) { return to_string(Len(e)); }},
      {"Left", [](auto&, auto& e, auto& a) { return Left(e, std::stoll(a)); }},
      {"Right", [](auto&, auto& e, auto& a) { return Right(e, std::stoll(a)); }},
      {"Mid", [](auto&, auto& e, auto& a) {
         return a.find('|') == std::string::npos ? Mid(e, std::stoll(a)) : Mid(e, std::stoll(Antes(a)), std::stoll(Depois(a)));
       }},
      {"Trim", [](auto&, auto& e, auto&) { return Trim(e); }},
      {"LTrim", [](auto&, auto& e, auto&) { return LTrim(e); }},
      {"RTrim", [](auto&, auto& e, auto&) { return RTrim(e); }},
      {"Space", [](auto&, auto& e, auto&) { return Space(std::stoll(e)); }},
      {"Replace", [](auto&, auto& e, auto& a) { return Replace(e, Antes(a), Depois(a)); }},
      {"UCase", [](auto&, auto& e, auto&) { return UCase(e); }},
      {"LCase", [](auto&, auto& e, auto&) { return LCase(e); }},
      {"InStr", [](auto&, auto& e, auto& a) { return to_string(InStr(e, Depois(a), std::stoll(Antes(a)))); }},
      {"ParaUtf8", [](auto&, auto& e, auto&) { return ParaUtf8(e) + (EUtf8Valido(ParaUtf8(e)) ? "" : "!"); }},
      {"EUtf8Valido", [](auto&, auto& e, auto&) { return Bool(EUtf8Valido(e)); }},
      {"Like", [](auto&, auto& e, auto& a) { return Bool(Like(e, a)); }},
      {"CurTexto", [](auto&, auto& e, auto&) { return to_string(Cur(e).Bruto()); }},
      {"CurDouble", [](auto&, auto& e, auto&) { return to_string(Currency::DeDouble(std::stod(e)).Bruto()); }},
      {"CurInteiro", [](auto&, auto& e, auto&) { return to_string(Currency::DeInteiro(std::stoll(e)).Bruto()); }},
      {"CurParaDouble", [](auto& v, auto&, auto&) { return TextoDoDouble(CCur(v).ParaDouble()); }},
      {"CurTextoInvariante",   // "!" when the text does not read back
       [](auto& v, auto&, auto&) { return CCur(v).TextoInvariante() + (Cur(CCur(v).TextoInvariante()) == CCur(v) ? "" : "!"); }},
      {"Cur+", [](auto&, auto& e, auto& a) { return (Cur(e) + Cur(a)).TextoInvariante(); }},
      {"Cur-", [](auto&, auto& e, auto& a) { return (Cur(e) - Cur(a)).TextoInvariante(); }},
      {"Cur*", [](auto&, auto& e, auto& a) { return (Cur(e) * Cur(a)).TextoInvariante(); }},
      {"Cur/", [](auto&, auto& e, auto& a) { return (Cur(e) / Cur(a)).TextoInvariante(); }},
      {"CurNegativo", [](auto&, auto& e, auto&) { return (-Cur(e)).TextoInvariante(); }},
      {"Cur+=", [](auto&, auto& e, auto& a) {   // a failed sum leaves the total as it was
         Currency total = Cur(e);
         try {
           total += Cur(a);
         } catch (const ErroExecucao& x) {
           return "erro " + to_string(x.Numero()) + " " + total.TextoInvariante();
         }
         return total.TextoInvariante();
       }},
  };
  return f;
}

class Funcoes : public ::testing::Test {
 protected:
  void SetUp() override { DefinirRegional(RegionalPtBR()); }
  void TearDown() override { DefinirRegional(RegionalPtBR()); }
};

TEST_F(Funcoes, EachRowOfTheTable) {
  for (const auto& c : teste::LerTabelaTsv("base/funcoes.tsv")) {
    std::string obtido;
    try {
      obtido = TabelaDeFuncoes().at(c[0])(ValorDoTipo(c[1], c[2]), c[2], c[3]);
    } catch (const ErroExecucao& e) {
      obtido = "erro " + to_string(e.Numero());
    }
    EXPECT_EQ(obtido, c[4]) << "funcoes.tsv:" << c.numero << ": " << c[0] << "(" << c[2] << ", " << c[3] << ")";
  }
}

TEST_F(Funcoes, AnotherLocaleSwapsTheSeparators) {
  DefinirRegional({.separadorDecimal = ".", .separadorMilhar = ",",
                   .ordemData = ConfiguracaoRegional::OrdemData::MesDiaAno, .textoVerdadeiro = "True"});
  EXPECT_EQ(CCur("1,234.56").Bruto(), 12345600);
  EXPECT_TRUE(IsNumeric("1,234.56") && !IsNumeric("1.234,56"));
  EXPECT_EQ(CStr(1234.5) + "|" + CStr(true) + "|" + Format(1234.5, "###,###,##0.00"), "1234.5|True|1,234.50");
  EXPECT_EQ(CDate("05/12/2026"), DataHora::De(2026, 5, 12));
}

TEST_F(Funcoes, ConverteValorOfALongTextOfSeparatorsEndsInLinearTime) {
  std::string texto;   // two megabytes, a million separators to remove: a quadratic walk takes hours
  for (int i = 0; i < 1'000'000; ++i) texto += "0.";
  EXPECT_EQ(ConverteValor(texto + ",5"), Currency::DeTextoInvariante("0.5"));
}

}  // namespace
}  // namespace velant
