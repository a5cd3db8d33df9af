#include "component/danfe/danfe_formatos.h"

#include <algorithm>
#include <utility>

#include "base/decimal.h"

namespace velant::danfe {

namespace {

bool SoDigitos(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Agrupa(const std::string& inteiro) {
  std::string r;
  int n = static_cast<int>(inteiro.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) r += '.';
    r += inteiro[i];
  }
  return r;
}

// The value rounded to `casas` decimals as sign, whole part and decimals.
bool Partes(const std::string& valor, int casas, bool& negativo, std::string& inteiro, std::string& decimais) {
  auto n = decimal::Ler(valor, '.');
  if (!n) return false;
  auto escalado = decimal::Escalado(*n, casas);
  if (!escalado) return false;
  std::string d = escalado->empty() ? "0" : *escalado;
  if (d.size() <= static_cast<size_t>(casas)) d.insert(0, casas + 1 - d.size(), '0');
  inteiro = d.substr(0, d.size() - casas);
  decimais = d.substr(d.size() - casas);
  negativo = n->negativo && *escalado != "";
  return true;
}

std::string Aplica(const std::string& digitos, const std::string& mascara) {
  std::string r;
  size_t i = 0;
  for (char m : mascara) r += m == '#' ? digitos[i++] : m;
  return r;
}

}  // namespace

std::string Numero(const std::string& valor, int casas) {
  if (valor.empty()) return "";
  bool negativo = false;
  std::string inteiro, decimais;
  if (!Partes(valor, casas, negativo, inteiro, decimais)) return valor;
  return (negativo ? "-" : "") + Agrupa(inteiro) + (casas > 0 ? "," + decimais : "");
}

std::string NumeroSignificativo(const std::string& valor, int minimo, int maximo) {
  if (valor.empty()) return "";
  bool negativo = false;
  std::string inteiro, decimais;
  if (!Partes(valor, maximo, negativo, inteiro, decimais)) return valor;
  while (static_cast<int>(decimais.size()) > minimo && decimais.back() == '0') decimais.pop_back();
  return (negativo ? "-" : "") + Agrupa(inteiro) + (decimais.empty() ? "" : "," + decimais);
}

std::string CnpjCpf(const std::string& d) {
  if (!SoDigitos(d)) return d;
  if (d.size() == 14) return Aplica(d, "##.###.###/####-##");
  if (d.size() == 11) return Aplica(d, "###.###.###-##");
  return d;
}

std::string Cep(const std::string& d) { return SoDigitos(d) && d.size() == 8 ? Aplica(d, "#####-###") : d; }

std::string Fone(const std::string& d) {
  if (!SoDigitos(d)) return d;
  if (d.size() == 10) return Aplica(d, "(##) ####-####");
  if (d.size() == 11) return Aplica(d, "(##) #####-####");
  return d;
}

std::string Data(const std::string& iso) {
  if (iso.size() < 10 || iso[4] != '-' || iso[7] != '-') return iso;
  return iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4);
}

std::string Hora(const std::string& iso) {
  if (iso.size() < 19 || iso[10] != 'T') return "";
  return iso.substr(11, 8);
}

std::string DataHora(const std::string& iso) {
  std::string h = Hora(iso);
  return h.empty() ? Data(iso) : Data(iso) + " " + h;
}

std::string ChaveEmGrupos(const std::string& chave) {
  std::string r;
  for (size_t i = 0; i < chave.size(); i += 4) r += (i ? " " : "") + chave.substr(i, 4);
  return r;
}

std::string NumeroNota(const std::string& nNF) {
  if (!SoDigitos(nNF) || nNF.size() > 9) return nNF;
  return Aplica(std::string(9 - nNF.size(), '0') + nNF, "###.###.###");
}

std::string Serie(const std::string& serie) {
  if (!SoDigitos(serie) || serie.size() >= 3) return serie;
  return std::string(3 - serie.size(), '0') + serie;
}

std::string ModalidadeFrete(const std::string& m) {
  if (m == "0") return "0-EMITENTE";
  if (m == "1") return "1-DEST/REM";
  if (m == "2") return "2-TERCEIROS";
  if (m == "9") return "9-SEM FRETE";
  return m;
}

std::string FormaPagamento(const std::string& tPag, const std::string& xPag) {
  static const std::pair<const char*, const char*> formas[] = {
      {"01", "DINHEIRO"},          {"02", "CHEQUE"},
      {"03", "CARTÃO DE CRÉDITO"}, {"04", "CARTÃO DE DÉBITO"},
      {"05", "CRÉDITO LOJA"},      {"10", "VALE ALIMENTAÇÃO"},
      {"11", "VALE REFEIÇÃO"},     {"12", "VALE PRESENTE"},
      {"13", "VALE COMBUSTÍVEL"},  {"15", "BOLETO BANCÁRIO"},
      {"16", "DEPÓSITO BANCÁRIO"}, {"17", "PIX"},
      {"18", "TRANSFERÊNCIA BANCÁRIA, CARTEIRA DIGITAL"},
      {"19", "PROGRAMA DE FIDELIDADE, CASHBACK, CRÉDITO VIRTUAL"},
      {"90", "SEM PAGAMENTO"},     {"99", "OUTROS"}};
  if (!xPag.empty()) return xPag;
  for (const auto& [codigo, nome] : formas)
    if (tPag == codigo) return nome;
  return "FORMA " + tPag;
}

}  // namespace velant::danfe
