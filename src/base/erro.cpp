#include "base/erro.h"

namespace velant {

namespace {

std::string DescricaoOuPadrao(int numero, std::string descricao) {
  if (descricao.empty()) return DescricaoPadrao(static_cast<CodigoErro>(numero));
  return descricao;
}

}  // namespace

ErroExecucao::ErroExecucao(CodigoErro codigo, std::string descricao)
    : ErroExecucao(static_cast<int>(codigo), std::move(descricao)) {}

ErroExecucao::ErroExecucao(int numero, std::string descricao)
    : std::runtime_error(DescricaoOuPadrao(numero, descricao)),
      numero_(numero),
      descricao_(DescricaoOuPadrao(numero, std::move(descricao))) {}

std::string DescricaoPadrao(CodigoErro codigo) {
  switch (codigo) {
    case CodigoErro::ChamadaInvalida: return "Chamada de procedimento ou argumento inválido";
    case CodigoErro::Estouro: return "Estouro";
    case CodigoErro::IndiceForaDoIntervalo: return "Subscrito fora do intervalo";
    case CodigoErro::DivisaoPorZero: return "Divisão por zero";
    case CodigoErro::TiposIncompativeis: return "Tipos incompatíveis";
    case CodigoErro::ArquivoNaoEncontrado: return "Arquivo não encontrado";
    case CodigoErro::ErroDeEntradaSaida: return "Erro de E/S de dispositivo";
    case CodigoErro::PermissaoNegada: return "Permissão negada";
    case CodigoErro::CaminhoNaoEncontrado: return "Caminho não encontrado";
    case CodigoErro::UsoInvalidoDeNull: return "Uso inválido de Null";
    case CodigoErro::ObjetoNaoDefinido:
      return "Variável de objeto ou variável do bloco With não definida";
    case CodigoErro::ItemNaoEncontrado:
      return "O item não pode ser encontrado na coleção correspondente ao nome ou ordinal "
             "solicitado.";
    case CodigoErro::FimDoRegistro:
      return "BOF ou EOF é True, ou o registro atual foi excluído. A operação solicitada requer "
             "um registro atual.";
    case CodigoErro::ObjetoFechado: return "A operação não é permitida quando o objeto está fechado.";
    case CodigoErro::ErroBanco: return "Erro não especificado";
    case CodigoErro::ErroComponente: return "Erro de automação";
  }
  if (static_cast<int>(codigo) == 93) return "Cadeia de caracteres padrão inválida";
  return "Erro definido pelo aplicativo ou pelo objeto";
}

std::string DescricaoErro(const std::exception& erro) {
  if (const auto* e = dynamic_cast<const ErroExecucao*>(&erro)) return e->Descricao();
  return erro.what();
}

void Levanta(CodigoErro codigo) { throw ErroExecucao(codigo, DescricaoPadrao(codigo)); }

void Levanta(CodigoErro codigo, const std::string& descricao) {
  throw ErroExecucao(codigo, descricao);
}

}  // namespace velant
