#include "manager/solicitacoes_orfas.h"

#include <exception>
#include <string>
#include <vector>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"
#include "data/solicitacao_funcao_nfe.h"
#include "lifecycle/limites_emissao.h"

namespace velant {

namespace {

constexpr int64_t kSegundosDia = 86400;

int64_t SegundosDoDia(DataHora d) { return d.HoraDoDia() * 3600 + d.Minuto() * 60 + d.Segundo(); }

// The stamp holds a time of day only: the claim is taken as the latest
// moment with that time, so a claim is never thought older than it is.
int64_t SegundosDesde(DataHora horaAnalise, DataHora agora) {
  int64_t decorrido = SegundosDoDia(agora) - SegundosDoDia(horaAnalise);
  return decorrido < 0 ? decorrido + kSegundosDia : decorrido;
}

// "000-000 - ATV": a liveness check is answered by its claim alone.
bool EVerificacaoAtividade(const std::string& texto) {
  std::string primeira = texto.substr(0, texto.find("\r\n"));
  return Left(primeira, 7) == "000-000" && Mid(primeira, 11) == "ATV";
}

}  // namespace

int SolicitacoesOrfas::Verifica(data::cSolicitacaoFuncaoNFe& fila) {
  const DataHora agora = ctx_.relogio.Agora();
  if (ultimaVerificacao_) {
    int64_t desde = DiferencaSegundos(*ultimaVerificacao_, agora);
    // A clock set back must not postpone the next look for good.
    if (desde >= 0 && desde < kIntervaloOrfasSegundos) return 0;
  }
  ultimaVerificacao_ = agora;
  try {
    return Responde(fila);
  } catch (const ErroExecucao& e) {
    ctx_.log.RegistraEvento("     ** Erro na Rotina: SolicitacoesOrfas - " + e.Descricao(), true, false);
  } catch (const std::exception& e) {
    ctx_.log.RegistraEvento("     ** Erro na Rotina: SolicitacoesOrfas - " + std::string(e.what()), true, false);
  }
  return 0;
}

int SolicitacoesOrfas::Responde(data::cSolicitacaoFuncaoNFe& fila) {
  data::ConexaoDriver* conexao = ctx_.ConexaoBanco != nullptr ? ctx_.ConexaoBanco->ConexaoCompartilhada() : nullptr;
  if (conexao == nullptr) return 0;
  std::string sql =
      "SELECT NSU, [Hora da Analise], Texto  FROM SolicitacaoFuncaoNFe"
      " WHERE [Hora da Analise] IS NOT NULL"
      "   AND [Hora da Aprovacao] IS NULL"
      "   AND [Hora Cancelamento Host] IS NULL"
      "   AND [Hora da Confirmacao AC] IS NULL"
      "   AND [Hora do Cancelamento AC] IS NULL";
  const std::string& ip = ctx_.host.IPProcessamento;
  if (!ip.empty() && ip != "127.0.0.1") sql += "   AND [IP Computador AC] = '" + Replace(ip, "'", "''") + "'";
  sql += " ORDER BY NSU ASC";
  data::Recordset rs = conexao->Consultar(sql);

  const DataHora agora = ctx_.relogio.Agora();
  const int64_t limite = TempoMaximoSolicitacao(ctx_).count();
  std::vector<int32_t> orfas;
  for (; !rs.Eof(); rs.MoveNext()) {
    const Valor& hora = rs.Value(1);
    if (hora.ENulo() || EVerificacaoAtividade(rs.Value(2).Texto())) continue;
    if (SegundosDesde(CDate(hora), agora) > limite) orfas.push_back(CLng(rs.Value(0)));
  }
  int respondidas = 0;
  for (int32_t nsu : orfas) {
    // Another Host may answer it at the same moment: the stamp's guard lets one through.
    if (!fila.DefineHoraCancelamentoHost(nsu, agora.SoHora(), kMensagemInterrompida)) continue;
    ++respondidas;
    ctx_.log.RegistraEvento("      Solicitação " + std::to_string(nsu) + " interrompida, cancelada pelo Host: " +
                                Format(Valor(agora.SoHora()), "HH:mm:ss"),
                            true, false);
  }
  return respondidas;
}

}  // namespace velant
