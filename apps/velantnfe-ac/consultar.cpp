// listar and mostrar: the rows of the queue as the front end sees them.
#include <cstdio>
#include <string>

#include "base/regional.h"
#include "base/texto.h"
#include "fila_ac.h"

namespace velant::ac {

namespace {

constexpr const char* kColunas =
    "NSU, [Numero de Controle de Solicitacao], [Tipo de Operacao], [IP Computador AC], [Hora da Analise], "
    "[Hora da Aprovacao], [Hora Cancelamento Host], [Hora da Confirmacao AC], [Hora do Cancelamento AC], Mensagem";

std::string Texto(const Valor& v) {
  if (v.ENulo() || v.EVazio()) return "-";
  return v.ETexto() ? v.ComoTexto() : CStr(v);
}

bool Tabela(FilaAC& fila, const std::string& titulo, const std::string& sql) {
  auto rs = fila.Conexao().RsConexao(sql);
  if (rs->State() != data::adStateOpen) return false;
  std::printf("%s\n", titulo.c_str());
  std::printf("%8s %8s %-22s %-15s %-8s %-8s %-8s %-8s %-8s %s\n", "NSU", "Controle", "Comando", "IP", "Análise",
              "Aprov.", "Canc.H", "Conf.AC", "Canc.AC", "Mensagem");
  int linhas = 0;
  for (; !rs->Eof(); rs->MoveNext(), ++linhas) {
    std::printf("%8s %8s %-22s %-15s %-8s %-8s %-8s %-8s %-8s %s\n", Texto(rs->Value(0)).c_str(),
                Texto(rs->Value(1)).c_str(), Left(Texto(rs->Value(2)), 22).c_str(), Texto(rs->Value(3)).c_str(),
                Texto(rs->Value(4)).c_str(), Texto(rs->Value(5)).c_str(), Texto(rs->Value(6)).c_str(),
                Texto(rs->Value(7)).c_str(), Texto(rs->Value(8)).c_str(), Texto(rs->Value(9)).c_str());
  }
  if (linhas == 0) std::printf("%8s\n", "(nenhuma)");
  std::printf("\n");
  return true;
}

}  // namespace

int Listar(FilaAC& fila) {
  const bool abertas = Tabela(fila, "Abertas (aguardando o Host):",
                              std::string("SELECT ") + kColunas +
                                  " FROM SolicitacaoFuncaoNFe WHERE [Hora do Cancelamento AC] IS NULL"
                                  "   AND [Hora da Confirmacao AC] IS NULL   AND [Hora Cancelamento Host] IS NULL"
                                  "   AND [Hora da Analise] IS NULL   AND [Hora da Aprovacao] IS NULL"
                                  " ORDER BY NSU ASC");
  const bool recentes = Tabela(fila, "Recentes:",
                               std::string("SELECT TOP 20 ") + kColunas + " FROM SolicitacaoFuncaoNFe ORDER BY NSU DESC");
  return abertas && recentes ? 0 : 3;
}

int Mostrar(FilaAC& fila, int32_t nsu) {
  data::cSolicitacaoFuncaoNFe& s = fila.Solicitacao();
  if (!s.LocalizarCodigo(nsu)) {
    std::fprintf(stderr, "velantnfe-ac: NSU %d não encontrado\n", nsu);
    return 1;
  }
  auto data = [](DataHora d) { return d.Zero() ? std::string("-") : Format(Valor(d), "dd/mm/yyyy"); };
  std::printf("NSU:                          %d\n", s.NSU());
  std::printf("Numero de Controle:           %d\n", s.NumeroControleSolicitacao());
  std::printf("Data da Solicitacao:          %s\n", data(s.DataSolicitacao()).c_str());
  std::printf("Hora da Solicitacao:          %s\n", Hora(s.HoraSolicitacao()).c_str());
  std::printf("Tipo de Operacao:             %s\n", s.TipoOperacao().c_str());
  std::printf("Codigo do Estabelecimento:    %d\n", s.CodigoEstabelecimento());
  std::printf("Serie da NFe:                 %s\n", s.SerieNFe().c_str());
  std::printf("Numero da NFe:                %d\n", s.NumeroNFe());
  std::printf("Chave de Acesso da NFe:       %s\n", s.ChaveAcessoNFe().c_str());
  std::printf("IP Computador AC:             %s\n", s.IPComputadorAC().c_str());
  std::printf("IP Internet AC:               %s\n", s.IPInternetAC().c_str());
  std::printf("Seguranca do Estabelecimento: %s\n", s.SegurancaEstabelecimento().c_str());
  std::printf("Codigo do Usuario:            %d\n", s.CodigoUsuario());
  std::printf("Versao AC:                    %s\n", s.VersaoAC().c_str());
  std::printf("Versao Host:                  %s\n", s.VersaoHost().c_str());
  std::printf("Hora da Analise:              %s\n", Hora(s.HoraAnalise()).c_str());
  std::printf("Hora da Aprovacao:            %s\n", Hora(s.HoraAprovacao()).c_str());
  std::printf("Hora Cancelamento Host:       %s\n", Hora(s.HoraCancelamentoHost()).c_str());
  std::printf("Hora da Confirmacao AC:       %s\n", Hora(s.HoraConfirmacaoAC()).c_str());
  std::printf("Hora do Cancelamento AC:      %s\n", Hora(s.HoraCancelamentoAC()).c_str());
  std::printf("Mensagem:                     %s\n", s.Mensagem().c_str());
  std::printf("Texto:\n%s", Replace(s.Texto(), "\r\n", "\n").c_str());
  if (!s.Texto().empty() && s.Texto().back() != '\n') std::printf("\n");
  return 0;
}

}  // namespace velant::ac
