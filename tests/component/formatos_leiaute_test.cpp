// The layout's writers on formatos_leiaute.tsv: each row a writer, its input
// and parameters, and the text it writes or "recusado".
#include "component/xml/formatos_leiaute.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "apoio_documento.h"

namespace velant::leiaute {
namespace {

std::string Escreve(const std::vector<std::string>& c) {
  static const std::map<std::string, FormatoDecimal> formatos = {
      {"TDec_1302", TDec_1302},   {"TDec_1302Opc", TDec_1302Opc}, {"TDec_0302a04", TDec_0302a04},
      {"TDec_1104v", TDec_1104v}, {"TDec_1110v", TDec_1110v},     {"TDec_1203", TDec_1203},
      {"TDec_1204temperatura", TDec_1204temperatura}};
  const std::string e = teste::DesfazEscapes(c[1]);
  try {
    if (c[0] == "decimal") return Decimal(e, formatos.at(c[2]));
    if (c[0] == "texto") return Texto(e, std::stoi(c[2]), std::stoi(c[3]));
    if (c[0] == "inteiro") return Inteiro(e, std::stoi(c[2]));
    if (c[0] == "digitos") return Digitos(e, std::stoi(c[2]), std::stoi(c[3]));
    if (c[0] == "enumerado") return Enumerado(e, {"0", "1"});
    if (c[0] == "uf") return Uf(e, c[2] == "sim");
    if (c[0] == "fuso") return Fuso(e);
    if (c[0] == "vazioouzero") return VazioOuZero(e) ? "sim" : "não";
    if (c[0] == "positivo") return Positivo(e) ? "sim" : "não";
    auto d = LerDataHora(e);
    return !d ? "" : c[0] == "dia" ? Data(*d) : DataHoraUTC(*d, "-03:00");
  } catch (const Invalido&) {
    return "recusado";
  }
}

TEST(Formatos, CasosDaTabela) {
  for (const auto& c : teste::LerTabela("component/formatos_leiaute.tsv"))
    EXPECT_EQ(Escreve(c), teste::DesfazEscapes(c.back())) << c[0] << " " << c[1];
}

}  // namespace
}  // namespace velant::leiaute
