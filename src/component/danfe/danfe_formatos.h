#pragma once
// How the DANFE writes the document's values: Brazilian number grouping
// ("1.234,56") whatever the regional settings of the Host, masked CNPJ,
// CPF, CEP and telephone, dates of the document's own offset.
#include <string>

namespace velant::danfe {

// A decimal of the document ("1234.5") with `casas` decimals and grouped
// thousands ("1.234,50"); "" stays "". A text that is not a number comes back as it is.
std::string Numero(const std::string& valor, int casas);
// As Numero, with at least `minimo` decimals and as many more (up to
// `maximo`) as the value needs: the document's precision is never dropped.
std::string NumeroSignificativo(const std::string& valor, int minimo, int maximo);

std::string CnpjCpf(const std::string& digitos);   // 14 or 11 digits masked; anything else as it is
std::string Cep(const std::string& digitos);
std::string Fone(const std::string& digitos);

// From "2016-01-15T10:30:00-03:00" (or a date "2016-01-15"): "15/01/2016",
// "10:30:00", "15/01/2016 10:30:00". The time is the one written, in its offset.
std::string Data(const std::string& iso);
std::string Hora(const std::string& iso);
std::string DataHora(const std::string& iso);

std::string ChaveEmGrupos(const std::string& chave);   // 11 groups of 4 digits
std::string NumeroNota(const std::string& nNF);        // "000.000.123"
std::string Serie(const std::string& serie);           // "001"

// modFrete as the customary box reads it ("0-EMITENTE", "9-SEM FRETE").
std::string ModalidadeFrete(const std::string& modFrete);

// tPag as the payment box reads it ("DINHEIRO", "PIX"...); xPag, when the
// document gives one, names an "outros" (99); another code "FORMA <code>".
std::string FormaPagamento(const std::string& tPag, const std::string& xPag);

}  // namespace velant::danfe
