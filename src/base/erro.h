#pragma once
// Run-time errors with the numbers the routines report in their log lines
// ("ErroNúmero", "Erro n.:"). Conversions and record-set operations raise
// these; each routine's handler decides whether to skip, log or reject.
#include <stdexcept>
#include <string>

namespace velant {

enum class CodigoErro : int {
  ChamadaInvalida = 5,      // invalid procedure call or argument
  Estouro = 6,              // overflow
  IndiceForaDoIntervalo = 9,
  DivisaoPorZero = 11,
  TiposIncompativeis = 13,  // type mismatch
  ArquivoNaoEncontrado = 53,
  ErroDeEntradaSaida = 57,
  PermissaoNegada = 70,
  CaminhoNaoEncontrado = 76,
  UsoInvalidoDeNull = 94,
  ObjetoNaoDefinido = 91,
  ItemNaoEncontrado = 3265,   // record-set column name not in the collection
  FimDoRegistro = 3021,       // BOF or EOF: no current record
  ObjetoFechado = 3704,       // operation on a closed record set
  ErroBanco = -2147467259,    // database driver error
  ErroComponente = -2147221504  // error raised by an outside component
};

class ErroExecucao : public std::runtime_error {
 public:
  ErroExecucao(CodigoErro codigo, std::string descricao);
  ErroExecucao(int numero, std::string descricao);
  int Numero() const { return numero_; }
  const std::string& Descricao() const { return descricao_; }
  CodigoErro Codigo() const { return static_cast<CodigoErro>(numero_); }

 private:
  int numero_;
  std::string descricao_;
};

// The standard description of each error number, in the system's language.
std::string DescricaoPadrao(CodigoErro codigo);

// The description of any error: an ErroExecucao's own, else what().
std::string DescricaoErro(const std::exception& erro);

[[noreturn]] void Levanta(CodigoErro codigo);
[[noreturn]] void Levanta(CodigoErro codigo, const std::string& descricao);

}  // namespace velant
