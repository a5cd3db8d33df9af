// Rules on the access key, the identification group, its dates and the
// homologation environment.
#include <string>

#include "component/xml/chave_acesso.h"
#include "component/regras/regras_digitos.h"
#include "component/regras/regras_valores.h"
#include "component/regras/regras_verificacoes.h"

namespace velant::regras {

namespace {

constexpr const char* kNomeHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";

// The manual tolerates clocks up to five minutes apart.
constexpr std::chrono::minutes kToleranciaRelogio{5};

bool Digitos(const std::string& s, size_t n) {
  return s.size() == n && s.find_first_not_of("0123456789") == std::string::npos;
}

std::string Chave(const NFeLida& n) { return n.id.size() == 47 ? n.id.substr(3) : ""; }

std::string Zeros(const std::string& s, size_t largura) {
  return s.size() >= largura ? s : std::string(largura - s.size(), '0') + s;
}

// AAMM of an emission date-time "AAAA-MM-...".
std::string AnoMes(const std::string& dhEmi) { return dhEmi.size() >= 7 ? dhEmi.substr(2, 2) + dhEmi.substr(5, 2) : ""; }

}  // namespace

// Layout 4.00 keys may carry the issuer's alphanumeric CNPJ (characters 7 to 18).
bool FormaDaChave(const NFeLida& n, const std::string& chave) {
  if (!n.Leiaute4()) return Digitos(chave, 44);
  return chave.size() == 44 && Digitos(chave.substr(0, 6) + chave.substr(18), 32) &&
         chave.substr(6, 12).find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
}

Detalhe ChaveDigitoVerificador(const NFeLida& n, const ContextoRegras&) {
  std::string chave = Chave(n);
  if (!FormaDaChave(n, chave)) return "Id " + n.id;
  int calculado =
      DigitoVerificadorChave(chave.substr(0, 43), n.Leiaute4() ? CnpjNaChave::Alfanumerico : CnpjNaChave::SoDigitos);
  if (calculado == chave[43] - '0') return std::nullopt;
  return "chave " + chave + "; dígito calculado " + std::to_string(calculado);
}

Detalhe ChaveMesEmissao(const NFeLida& n, const ContextoRegras&) {
  std::string chave = Chave(n);
  if (chave.size() != 44 || chave.substr(2, 4) == AnoMes(n.dhEmi)) return std::nullopt;
  return "AAMM da chave " + chave.substr(2, 4) + "; dhEmi " + n.dhEmi;
}

Detalhe ChaveComposicao(const NFeLida& n, const ContextoRegras&) {
  std::string documento = n.emit.CNPJ ? *n.emit.CNPJ : "000" + n.emit.CPF.value_or("");
  std::string composta = n.cUF + AnoMes(n.dhEmi) + documento + n.mod + Zeros(n.serie, 3) + Zeros(n.nNF, 9) +
                         n.tpEmis + n.cNF + n.cDV;
  if (composta == Chave(n)) return std::nullopt;
  return "chave " + Chave(n) + "; campos " + composta;
}

Detalhe UfEmitenteAutorizadora(const NFeLida& n, const ContextoRegras&) {
  if (SiglaUf(n.cUF) == n.emitUF) return std::nullopt;
  return "cUF " + n.cUF + "; UF do emitente " + n.emitUF;
}

Detalhe MunicipioFatoGeradorDigito(const NFeLida& n, const ContextoRegras&) {
  if (MunicipioValido(n.cMunFG)) return std::nullopt;
  return "cMunFG " + n.cMunFG;
}

Detalhe MunicipioFatoGeradorUf(const NFeLida& n, const ContextoRegras&) {
  if (n.cMunFG.substr(0, 2) == n.cUF) return std::nullopt;
  return "cMunFG " + n.cMunFG + "; cUF " + n.cUF;
}

Detalhe EmissaoNoFuturo(const NFeLida& n, const ContextoRegras& c) {
  auto emissao = Instante(n.dhEmi);
  if (!emissao || *emissao <= c.agora + kToleranciaRelogio) return std::nullopt;
  auto adiante = std::chrono::duration_cast<std::chrono::minutes>(*emissao - c.agora).count();
  return "dhEmi " + n.dhEmi + "; " + std::to_string(adiante) + " minutos depois do recebimento";
}

Detalhe SaidaAntesDaEmissao(const NFeLida& n, const ContextoRegras&) {
  auto emissao = Instante(n.dhEmi), saida = Instante(n.dhSaiEnt);
  if (!emissao || !saida || *saida >= *emissao) return std::nullopt;
  return "dhSaiEnt " + n.dhSaiEnt + "; dhEmi " + n.dhEmi;
}

Detalhe JustificativaSemContingencia(const NFeLida& n, const ContextoRegras&) {
  if (n.tpEmis != "1" || (!n.dhCont && !n.xJust)) return std::nullopt;
  return "tpEmis 1 com dhCont/xJust";
}

Detalhe ContingenciaSvc(const NFeLida& n, const ContextoRegras& c) {
  if (!c.autorizador.empty() || (n.tpEmis != "3" && n.tpEmis != "6" && n.tpEmis != "7")) return std::nullopt;
  return "tpEmis " + n.tpEmis;
}

Detalhe ContingenciaSemJustificativa(const NFeLida& n, const ContextoRegras&) {
  if (n.tpEmis.empty() || n.tpEmis == "1" || (n.dhCont && n.xJust)) return std::nullopt;
  return "tpEmis " + n.tpEmis + " sem dhCont/xJust";
}

// Each SVC takes its own type only: 6 at SVC-AN, 7 at SVC-RS.
Detalhe TipoEmissaoDaSvc(const NFeLida& n, const ContextoRegras& c) {
  if (c.autorizador.empty()) return std::nullopt;
  const std::string esperado = c.autorizador == "SVC-RS" ? "7" : "6";
  if (n.tpEmis == esperado) return std::nullopt;
  return "tpEmis " + n.tpEmis + " na " + c.autorizador;
}

Detalhe ContingenciaOffLine(const NFeLida& n, const ContextoRegras&) {
  if (n.mod != "55" || n.tpEmis != "9") return std::nullopt;
  return "mod 55, tpEmis 9";
}

Detalhe FormatoDanfe(const NFeLida& n, const ContextoRegras&) {
  if (n.mod != "55" || (n.tpImp != "4" && n.tpImp != "5")) return std::nullopt;
  return "mod 55, tpImp " + n.tpImp;
}

Detalhe DestinatarioHomologacao(const NFeLida& n, const ContextoRegras&) {
  if (n.tpAmb != "2" || !n.destXNome || *n.destXNome == kNomeHomologacao) return std::nullopt;
  return "xNome " + *n.destXNome;
}

Detalhe GrupoPagamento(const NFeLida& n, const ContextoRegras&) {
  if (n.Leiaute4() || n.mod != "55" || !n.pag) return std::nullopt;
  return "mod 55 com pag";
}

}  // namespace velant::regras
