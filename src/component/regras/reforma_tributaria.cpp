#include "component/regras/reforma_tributaria.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/erro.h"
#include "component/dados_instalados.h"

namespace velant::regras::reforma {

namespace {

std::vector<std::string> Campos(const std::string& linha) {
  std::vector<std::string> campos;
  std::stringstream s(linha);
  std::string campo;
  while (std::getline(s, campo, ';')) {
    size_t i = campo.find_first_not_of(" \t\r"), f = campo.find_last_not_of(" \t\r");
    campos.push_back(i == std::string::npos ? "" : campo.substr(i, f - i + 1));
  }
  return campos;
}

// Half away from zero: numerador / divisor with divisor > 0.
Inteiro Divide(Inteiro numerador, Inteiro divisor) {
  Inteiro metade = divisor / 2;
  return numerador >= 0 ? (numerador + metade) / divisor : -((-numerador + metade) / divisor);
}

// 100 % at the scale of the percentages.
const Inteiro kCem = 100 * Potencia10(kCasasPercentual);

}  // namespace

Tabela Tabela::Carregar(const std::filesystem::path& arquivo) {
  std::ifstream entrada(arquivo);
  if (!entrada) throw ErroExecucao(CodigoErro::ErroComponente, "Tabela da reforma tributária não encontrada: " + arquivo.string());
  Tabela t;
  std::string linha;
  int numero = 0;
  auto erro = [&](const std::string& motivo) {
    throw ErroExecucao(CodigoErro::ErroComponente,
                       arquivo.string() + ", linha " + std::to_string(numero) + ": " + motivo + ": " + linha);
  };
  auto percentual = [&](const std::string& texto) {
    auto v = Fixo(texto, kCasasPercentual);
    if (!v || *v < 0 || *v > kCem) erro("percentual inválido");
    return *v;
  };
  auto indicador = [&](const std::string& texto) {
    if (texto != "0" && texto != "1") erro("indicador deve ser 0 ou 1");
    return texto == "1";
  };
  while (std::getline(entrada, linha)) {
    ++numero;
    std::vector<std::string> c = Campos(linha);
    if (c.empty() || c[0].empty() || c[0][0] == '#') continue;
    if (c[0] == "ALIQUOTAS" && c.size() == 5) {
      int ano = std::atoi(c[1].c_str());
      if (ano < 2025 || ano > 2099) erro("ano inválido");
      t.anos_[ano] = {percentual(c[2]), percentual(c[3]), percentual(c[4])};
    } else if (c[0] == "CST" && c.size() == 5 && c[1].size() == 3) {
      t.csts_[c[1]] = {indicador(c[2]), indicador(c[3]), indicador(c[4])};
    } else if (c[0] == "CLASSTRIB" && c.size() == 3 && c[1].size() == 6) {
      t.reducoes_[c[1]] = percentual(c[2]);
    } else {
      erro("linha desconhecida");
    }
  }
  return t;
}

const Tabela& Tabela::Padrao() {
  static const Tabela tabela = Carregar(ArquivoTabela());
  return tabela;
}

std::optional<Aliquotas> Tabela::DoAno(int ano) const {
  auto i = anos_.find(ano);
  if (i == anos_.end()) return std::nullopt;
  return i->second;
}

const ExigenciaCst* Tabela::Cst(const std::string& cst) const {
  auto i = csts_.find(cst);
  return i == csts_.end() ? nullptr : &i->second;
}

std::optional<Inteiro> Tabela::ReducaoDe(const std::string& cClassTrib) const {
  auto i = reducoes_.find(cClassTrib);
  if (i == reducoes_.end()) return std::nullopt;
  return i->second;
}

std::filesystem::path ArquivoTabela() {
  if (const char* env = std::getenv("VELANT_REFORMA"); env != nullptr && *env != '\0') return env;
  return ArquivoDeDados("reforma-tributaria.txt");
}

bool SimplesNacional(const std::string& crt) { return crt == "1" || crt == "2" || crt == "4"; }

bool ClassificacaoDoCst(const std::string& cst, const std::string& cClassTrib) {
  return cst.size() == 3 && cClassTrib.size() == 6 && cClassTrib.compare(0, 3, cst) == 0;
}

Inteiro AliquotaEfetiva(Inteiro p, Inteiro pRedAliq) { return Divide(Produto(p, kCem - pRedAliq), kCem); }

Inteiro ValorDoPercentual(Inteiro base, Inteiro percentual) { return Divide(Produto(base, percentual), kCem); }

Tributo CalculaTributo(Inteiro vBC, Inteiro p, Inteiro pRedAliq, Inteiro pDif) {
  Tributo t;
  t.p = p;
  t.pRedAliq = pRedAliq;
  t.pAliqEfet = AliquotaEfetiva(p, pRedAliq);
  t.pDif = pDif;
  Inteiro bruto = ValorDoPercentual(vBC, t.pAliqEfet);
  t.vDif = ValorDoPercentual(bruto, pDif);
  t.v = bruto - t.vDif;
  return t;
}

ResultadoItem CalculaItem(const EntradaItem& e) {
  ResultadoItem r;
  r.vBC = e.vBC;
  r.uf = CalculaTributo(e.vBC, e.aliquotas.pIBSUF, e.pRedAliq, e.pDif);
  r.mun = CalculaTributo(e.vBC, e.aliquotas.pIBSMun, e.pRedAliq, e.pDif);
  r.cbs = CalculaTributo(e.vBC, e.aliquotas.pCBS, e.pRedAliq, e.pDif);
  r.vIBS = r.uf.v + r.mun.v;
  return r;
}

Inteiro BaseDoItem(const ParcelasBase& p) {
  Inteiro base = p.vProd + p.vFrete + p.vSeg + p.vOutro + p.vII + p.vIS - p.vDesc - p.vICMS - p.vFCP - p.vPIS -
                 p.vCOFINS;
  return base < 0 ? 0 : base;
}

void Totais::Soma(const ResultadoItem& item) {
  vBC += item.vBC;
  vDifUF += item.uf.vDif;
  vIBSUF += item.uf.v;
  vDifMun += item.mun.vDif;
  vIBSMun += item.mun.v;
  vIBS += item.vIBS;
  vDifCBS += item.cbs.vDif;
  vCBS += item.cbs.v;
}

}  // namespace velant::regras::reforma
