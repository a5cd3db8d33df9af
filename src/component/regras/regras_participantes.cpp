// Rules on the issuer, the recipient and its indicators, the authorised
// readers and the carrier.
#include <string>

#include "component/regras/regras_digitos.h"
#include "component/regras/regras_verificacoes.h"

namespace velant::regras {

namespace {

// A document given and not empty.
bool Informado(const std::optional<std::string>& s) { return s && !s->empty(); }

// Layout 4.00 takes the alphanumeric CNPJ as well.
Detalhe CnpjInvalido(const std::optional<std::string>& cnpj, const char* rotulo, bool alfanumerico = false) {
  if (!Informado(cnpj) || (alfanumerico ? CnpjAlfanumericoValido(*cnpj) : CnpjValido(*cnpj))) return std::nullopt;
  return std::string(rotulo) + " " + *cnpj;
}

Detalhe CpfInvalido(const std::optional<std::string>& cpf, const char* rotulo) {
  if (!Informado(cpf) || CpfValido(*cpf)) return std::nullopt;
  return std::string(rotulo) + " " + *cpf;
}

bool Exterior(const NFeLida& n) { return n.destUF == "EX"; }

}  // namespace

Detalhe CnpjEmitente(const NFeLida& n, const ContextoRegras&) {
  return CnpjInvalido(n.emit.CNPJ, "CNPJ", n.Leiaute4());
}
Detalhe CpfEmitente(const NFeLida& n, const ContextoRegras&) { return CpfInvalido(n.emit.CPF, "CPF"); }

Detalhe MunicipioEmitenteDigito(const NFeLida& n, const ContextoRegras&) {
  if (MunicipioValido(n.emitCMun)) return std::nullopt;
  return "cMun " + n.emitCMun;
}

Detalhe MunicipioEmitenteUf(const NFeLida& n, const ContextoRegras&) {
  if (n.emitCMun.substr(0, 2) == CodigoUf(n.emitUF)) return std::nullopt;
  return "cMun " + n.emitCMun + "; UF " + n.emitUF;
}

Detalhe SemDestinatario(const NFeLida& n, const ContextoRegras&) {
  if (n.mod != "55" || n.dest) return std::nullopt;
  return "mod 55 sem dest";
}

Detalhe CnpjDestinatario(const NFeLida& n, const ContextoRegras&) {
  return CnpjInvalido(n.destinatario.CNPJ, "CNPJ", n.Leiaute4());
}
Detalhe CpfDestinatario(const NFeLida& n, const ContextoRegras&) { return CpfInvalido(n.destinatario.CPF, "CPF"); }

Detalhe ExteriorSemIdEstrangeiro(const NFeLida& n, const ContextoRegras&) {
  if (n.idDest != "3" || n.idEstrangeiro) return std::nullopt;
  return "idDest 3 sem idEstrangeiro";
}

Detalhe ExteriorComCnpj(const NFeLida& n, const ContextoRegras&) {
  if (!Exterior(n)) return std::nullopt;
  if (Informado(n.destinatario.CNPJ)) return "UF EX; CNPJ " + *n.destinatario.CNPJ;
  if (Informado(n.destinatario.CPF)) return "UF EX; CPF " + *n.destinatario.CPF;
  return std::nullopt;
}

Detalhe InterestadualSemDocumento(const NFeLida& n, const ContextoRegras&) {
  if (n.idDest != "2" || Informado(n.destinatario.CNPJ) || Informado(n.destinatario.CPF)) return std::nullopt;
  return "idDest 2 sem CNPJ nem CPF";
}

Detalhe EstrangeiroInternoNaoFinal(const NFeLida& n, const ContextoRegras&) {
  if (n.idDest != "1" || !n.idEstrangeiro || n.indFinal == "1") return std::nullopt;
  return "idDest 1 com idEstrangeiro; indFinal " + n.indFinal;
}

Detalhe DestinatarioSemNome(const NFeLida& n, const ContextoRegras&) {
  if (n.mod != "55" || !n.dest || n.destXNome) return std::nullopt;
  return "dest sem xNome";
}

Detalhe DestinatarioSemEndereco(const NFeLida& n, const ContextoRegras&) {
  if (n.mod != "55" || !n.dest || n.enderDest) return std::nullopt;
  return "dest sem enderDest";
}

Detalhe MunicipioDestinatarioDigito(const NFeLida& n, const ContextoRegras&) {
  if (!n.enderDest || Exterior(n) || MunicipioValido(n.destCMun)) return std::nullopt;
  return "cMun " + n.destCMun;
}

Detalhe MunicipioDestinatarioUf(const NFeLida& n, const ContextoRegras&) {
  if (!n.enderDest || Exterior(n) || n.destCMun.substr(0, 2) == CodigoUf(n.destUF)) return std::nullopt;
  return "cMun " + n.destCMun + "; UF " + n.destUF;
}

Detalhe ExteriorMunicipio(const NFeLida& n, const ContextoRegras&) {
  if (!Exterior(n) || n.destCMun == "9999999") return std::nullopt;
  return "UF EX; cMun " + n.destCMun;
}

Detalhe ExteriorPais(const NFeLida& n, const ContextoRegras&) {
  if (!Exterior(n) || (n.destCPais && *n.destCPais != "1058")) return std::nullopt;
  return "UF EX; cPais " + n.destCPais.value_or("(ausente)");
}

Detalhe PaisForaDoExterior(const NFeLida& n, const ContextoRegras&) {
  if (!n.enderDest || Exterior(n) || !n.destCPais || *n.destCPais == "1058") return std::nullopt;
  return "UF " + n.destUF + "; cPais " + *n.destCPais;
}

Detalhe ExteriorContribuinte(const NFeLida& n, const ContextoRegras&) {
  if (n.idDest != "3" || !n.dest || n.indIEDest == "9") return std::nullopt;
  return "idDest 3; indIEDest " + n.indIEDest;
}

Detalhe ExteriorComIe(const NFeLida& n, const ContextoRegras&) {
  if (!Exterior(n) || !Informado(n.destinatario.IE)) return std::nullopt;
  return "UF EX; IE " + *n.destinatario.IE;
}

Detalhe IsentoComIe(const NFeLida& n, const ContextoRegras&) {
  if (n.indIEDest != "2" || !Informado(n.destinatario.IE)) return std::nullopt;
  return "indIEDest 2; IE " + *n.destinatario.IE;
}

Detalhe ContribuinteSemIe(const NFeLida& n, const ContextoRegras&) {
  if (n.indIEDest != "1" || Informado(n.destinatario.IE)) return std::nullopt;
  return "indIEDest 1 sem IE";
}

Detalhe NaoContribuinteSemConsumidorFinal(const NFeLida& n, const ContextoRegras&) {
  if (n.indIEDest != "9" || n.indFinal == "1") return std::nullopt;
  return "indIEDest 9; indFinal " + n.indFinal;
}

Detalhe CnpjAutorizado(const NFeLida& n, const ContextoRegras&) {
  for (const auto& a : n.autXML)
    if (auto d = CnpjInvalido(a.CNPJ, "autXML CNPJ", n.Leiaute4())) return d;
  return std::nullopt;
}

Detalhe CpfAutorizado(const NFeLida& n, const ContextoRegras&) {
  for (const auto& a : n.autXML)
    if (auto d = CpfInvalido(a.CPF, "autXML CPF")) return d;
  return std::nullopt;
}

Detalhe CnpjTransportador(const NFeLida& n, const ContextoRegras&) {
  return CnpjInvalido(n.transportador.CNPJ, "CNPJ", n.Leiaute4());
}
Detalhe CpfTransportador(const NFeLida& n, const ContextoRegras&) { return CpfInvalido(n.transportador.CPF, "CPF"); }

Detalhe TransportadorSemUf(const NFeLida& n, const ContextoRegras&) {
  if (!n.transporta || !Informado(n.transportador.IE) || Informado(n.transportadorUF)) return std::nullopt;
  return "IE " + *n.transportador.IE + " sem UF";
}

}  // namespace velant::regras
