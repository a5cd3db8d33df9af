#include "content/formas_valor.h"

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "content/formatacao_numeros.h"
#include "content/normalizacao_texto.h"

namespace velant::conteudo {
namespace {

// The column's position; ItemNaoEncontrado naming it when there is none.
int32_t ExigeColuna(const data::Recordset& nota, const std::string& coluna) {
  int32_t indice = nota.IndiceCampo(coluna);
  if (indice < 0) {
    Levanta(CodigoErro::ItemNaoEncontrado,
            DescricaoPadrao(CodigoErro::ItemNaoEncontrado) + " (" + coluna + ")");
  }
  return indice;
}

enum class Operacao { Soma, Subtracao, Multiplicacao };

Valor Calcula(const Valor& a, const Valor& b, Operacao op) {
  if (a.ENulo() || b.ENulo()) return Valor::Nulo();
  if (a.Tipo() == TipoValor::Duplo || b.Tipo() == TipoValor::Duplo) {
    double x = CDbl(a), y = CDbl(b);
    switch (op) {
      case Operacao::Soma: return Valor(x + y);
      case Operacao::Subtracao: return Valor(x - y);
      case Operacao::Multiplicacao: return Valor(x * y);
    }
  }
  Currency x = a.EVazio() ? Currency() : CCur(a);
  Currency y = b.EVazio() ? Currency() : CCur(b);
  switch (op) {
    case Operacao::Soma: return Valor(x + y);
    case Operacao::Subtracao: return Valor(x - y);
    case Operacao::Multiplicacao: return Valor(x * y);
  }
  return Valor::Nulo();
}

}  // namespace

std::string ValorDe(const data::Recordset& nota, const std::string& coluna) {
  int32_t indice = ExigeColuna(nota, coluna);
  if (nota.Eof()) return "";
  return ValorCampo(nota, nota.Value(indice));
}

std::string LimpoDe(const data::Recordset& nota, const std::string& coluna) {
  return ValorCampo(nota, Valor(RemoveAcentos(nota.Value(coluna))));
}

std::string DigitosDe(const data::Recordset& nota, const std::string& coluna) {
  return ValorCampo(nota, Valor(SomenteNumeros(nota.Value(coluna))));
}

std::string BrutoDe(const data::Recordset& nota, const std::string& coluna) {
  return CStr(nota.Value(coluna));
}

std::string OpcionalDe(const data::Recordset& nota, const std::string& coluna) {
  int32_t indice = nota.IndiceCampo(coluna);
  if (indice < 0) return "";
  const Valor& valor = nota.Value(indice);
  return valor.ENulo() ? std::string() : CStr(valor);
}

const std::string& Elemento(const std::vector<std::string>& vetor, size_t indice) {
  if (indice >= vetor.size()) Levanta(CodigoErro::IndiceForaDoIntervalo);
  return vetor[indice];
}

Valor MeioOuNulo(const Valor& valor, int64_t inicio, int64_t n) {
  if (valor.ENulo()) return Valor::Nulo();
  return Valor(Mid(CStr(valor), inicio, n));
}

bool IgualAlgum(const Valor& valor, std::initializer_list<int32_t> numeros) {
  for (int32_t n : numeros) {
    if (Igual(valor, Valor(n))) return true;
  }
  return false;
}

bool IgualAlgumTexto(const Valor& valor, std::initializer_list<const char*> textos) {
  for (const char* t : textos) {
    if (Igual(valor, Valor(t))) return true;
  }
  return false;
}

Valor Soma(const Valor& a, const Valor& b) { return Calcula(a, b, Operacao::Soma); }
Valor Subtrai(const Valor& a, const Valor& b) { return Calcula(a, b, Operacao::Subtracao); }
Valor Multiplica(const Valor& a, const Valor& b) { return Calcula(a, b, Operacao::Multiplicacao); }

}  // namespace velant::conteudo
