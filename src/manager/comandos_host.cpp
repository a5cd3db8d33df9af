#include "manager/comandos_host.h"

#include <array>
#include <exception>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"

namespace velant {

namespace {

const char* const kNumeroNFInvalido = "Número da NF inválido (111-000)";
const char* const kDataSaidaInvalida = "Data de saída inválida (114-000)";
const char* const kDataEmissaoInvalida = "Data de emissão inválida (110-000)";

template <class Conversao>
auto Prepara(const char* mensagem, Conversao conversao) {
  try {
    return conversao();
  } catch (const std::exception& e) {
    throw PreparoInvalido{mensagem, DescricaoErro(e)};
  }
}

int32_t NumeroNF(const BufferCabecalho& c) {
  return Prepara(kNumeroNFInvalido, [&] { return CLng(Valor(c.NumeroNF)); });
}

bool CancelaNFe(ManipuladoresComando& m, SolicitacaoAtual& e, const BufferCabecalho& c) {
  // The row to update is the request's, never the series of the one before.
  e.SerieAtual = c.SerieNFEmp;
  return m.CancelaNFe(c.NumeroNF, e.ChaveAcessoSolicitada, "1", e.ProtocoloSolicitado, e.JustificativaSolicitada);
}

bool ProcessaNFeNoLeiaute(ManipuladoresComando& m, SolicitacaoAtual& e, const BufferCabecalho& c) {
  e.SerieAtual = c.SerieNFEmp;
  e.NumeroAtual = NumeroNF(c);
  e.DataEmissaoAtual = Prepara(kDataSaidaInvalida, [&] { return CDate(Valor(Left(c.DtSaida, 10))); });
  e.EmissaoConcluida = false;
  e.ObservacaoEmissao.clear();
  return m.ProcessaNFeAzure();
}

bool ProcessaNFe(ManipuladoresComando& m, SolicitacaoAtual& e, const BufferCabecalho& c) {
  e.LeiauteNFe.clear();   // the registry chooses
  return ProcessaNFeNoLeiaute(m, e, c);
}

bool ProcessaNFe400(ManipuladoresComando& m, SolicitacaoAtual& e, const BufferCabecalho& c) {
  e.LeiauteNFe = "4.00";
  return ProcessaNFeNoLeiaute(m, e, c);
}

bool TestaServidores(ManipuladoresComando& m, SolicitacaoAtual&, const BufferCabecalho&) {
  return m.TestaServidores();
}

bool ImprimeDanfe(ManipuladoresComando& m, SolicitacaoAtual& e, const BufferCabecalho& c) {
  const DataHora data = Prepara(kDataEmissaoInvalida, [&] { return CDate(Valor(Left(c.DtEmissao, 10))); });
  return m.ImprimirNFE(e.ChaveAcessoSolicitada, e.ProtocoloSolicitado, data);
}

bool EnviaEmail(ManipuladoresComando& m, SolicitacaoAtual&, const BufferCabecalho&) { return m.EnviaEmailNFe(); }

bool EnviaContador(ManipuladoresComando& m, SolicitacaoAtual&, const BufferCabecalho&) {
  return m.EnviaEmailContador();
}

bool InutilizaNumero(ManipuladoresComando& m, SolicitacaoAtual& e, const BufferCabecalho& c) {
  e.SerieAtual = c.SerieNFEmp;
  e.NumeroAtual = NumeroNF(c);
  e.DataEmissaoAtual = Prepara(kDataSaidaInvalida, [&] { return CDate(Valor(c.DtSaida)); });
  const DataHora emissao = Prepara(kDataEmissaoInvalida, [&] { return CDate(Valor(c.DtEmissao)); });
  const std::string ano = Mid(std::to_string(emissao.Ano()), 3, 2);
  return m.InutilizaNFe(ano, c.NumeroNF, c.NumeroNF, e.JustificativaSolicitada);
}

bool CartaCorrecao(ManipuladoresComando& m, SolicitacaoAtual& e, const BufferCabecalho&) {
  return m.CartaCorrecao(e.ChaveAcessoSolicitada, e.SequenciaEventoSolicitada, e.CorrecaoSolicitada);
}

// clang-format off
constexpr std::array<ComandoHost, 10> kComandos{{
  // nome, recebida, tabelas da nota, executa, rotina, aprovada, cancelada, não concluída
  {"CANCELAR NFE", "Cancelamento de NFe Recebida !", false, &CancelaNFe, "CancelaNFe",
   "NFe Cancelada com Sucesso!", "NFe não foi cancelada!", nullptr},
  {"NFE3.10", "Nota Fiscal Eletrônica Recebida !", true, &ProcessaNFe, "ProcessaNFeAzure",
   "Processamento de NFe OK!", nullptr, "NFe não foi processada!"},
  {"NFE4.00", "Nota Fiscal Eletrônica Recebida !", true, &ProcessaNFe400, "ProcessaNFeAzure",
   "Processamento de NFe OK!", nullptr, "NFe não foi processada!"},
  {"STATUS SERVICO", "", false, &TestaServidores, "TestaServidores",
   "Serviço de NFe Disponível", "Serviço de NFe Indisponível", nullptr},
  {"IMPRIMIR DANFE", "Impressão de NFe Recebida !", false, &ImprimeDanfe, "ImprimirNFE",
   "Impressão de DANFE OK!", "Não foi possível imprimir DANFE", nullptr},
  {"ENVIA EMAIL", "Envio de Email de NFe Recebida !", false, &EnviaEmail, "EnviaEmailNFe",
   "NFe enviada por Email!", "Não foi possível enviar NFe por Email", nullptr},
  {"ENVIA NFE EMAIL CONT", "", false, &EnviaContador, "EnviaEmailContador",
   "NFsE enviada por Email!", "Não foi possível enviar NFsE por Email", nullptr},
  {"INUTILIZA NFE", "", false, &InutilizaNumero, "InutilizaNFe", nullptr, nullptr, nullptr},
  {"CARTA CORRECAO", "Carta de Correção Recebida !", false, &CartaCorrecao, "CartaCorrecao",
   "Carta de Correção registrada!", "Carta de Correção não registrada!", nullptr},
  {"ATV", "Gerenciador Padrão NFe Está Ativado !", false, nullptr, "", nullptr, nullptr, nullptr},
}};
// clang-format on

}  // namespace

std::span<const ComandoHost> ComandosHost() { return kComandos; }

const ComandoHost* LocalizaComando(std::string_view nome) {
  for (const ComandoHost& c : kComandos) {
    if (nome == c.nome) return &c;
  }
  return nullptr;
}

const ComandoHost* ComandoDoTexto(std::string_view texto) {
  const std::string_view primeira = texto.substr(0, texto.find("\r\n"));
  if (primeira.substr(0, 7) != "000-000" || primeira.size() < 10) return nullptr;
  return LocalizaComando(primeira.substr(10));
}

}  // namespace velant
