#pragma once
// How the filling routines take a column of the current record of
// TabelaNota, and the arithmetic they do on column values.
#include <initializer_list>
#include <string>
#include <vector>

#include "base/valor.h"
#include "data/recordset.h"

namespace velant::conteudo {

// "value of": the column's text, "" when Null or past the last record.
std::string ValorDe(const data::Recordset& nota, const std::string& coluna);
// "cleaned": RemoveAcentos, then ValorCampo.
std::string LimpoDe(const data::Recordset& nota, const std::string& coluna);
// "digits of": SomenteNumeros, then ValorCampo (Null raises).
std::string DigitosDe(const data::Recordset& nota, const std::string& coluna);
// "raw": the Value as text with no guard (Null raises).
std::string BrutoDe(const data::Recordset& nota, const std::string& coluna);
// An optional column: its text, "" when the table has no such column or it
// is Null, which is ordinary data and raises nothing.
std::string OpcionalDe(const data::Recordset& nota, const std::string& coluna);

// v(i) of another vector; an index outside it raises IndiceForaDoIntervalo.
const std::string& Elemento(const std::vector<std::string>& vetor, size_t indice);

// Mid(valor, inicio, n) that keeps a Null as Null, as Mid on a Variant does.
Valor MeioOuNulo(const Valor& valor, int64_t inicio, int64_t n);

// True when the value equals one of the numbers (a numeric comparison; Null,
// empty or non-numeric values equal none).
bool IgualAlgum(const Valor& valor, std::initializer_list<int32_t> numeros);
// True when the value equals one of the texts, exactly.
bool IgualAlgumTexto(const Valor& valor, std::initializer_list<const char*> textos);

// Arithmetic of Values: Null in, Null out; Currency when neither side is a
// double, double otherwise. Texts are read as regional numbers.
Valor Soma(const Valor& a, const Valor& b);
Valor Subtrai(const Valor& a, const Valor& b);
Valor Multiplica(const Valor& a, const Valor& b);

}  // namespace velant::conteudo
