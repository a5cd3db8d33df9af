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
#include "manager/comandos_host.h"

namespace velant {

int SolicitacoesOrfas::Verifica(data::cSolicitacaoFuncaoNFe& fila) {
  const Instante agora = agora_();
  if (ultimaVerificacao_ && agora - *ultimaVerificacao_ < std::chrono::seconds(kIntervaloOrfasSegundos)) return 0;
  ultimaVerificacao_ = agora;
  try {
    return Responde(fila, agora);
  } catch (const std::exception& e) {
    ctx_.log.RegistraEvento("     ** Erro na Rotina: SolicitacoesOrfas - " + DescricaoErro(e), true, false);
  }
  return 0;
}

void SolicitacoesOrfas::LeBatimentos(data::ConexaoDriver& conexao, Instante agora) {
  std::map<int64_t, Batimento> lidos;
  for (data::Recordset rs = conexao.Consultar("SELECT Id, Contador FROM HostBatimento"); !rs.Eof(); rs.MoveNext()) {
    const int64_t id = CLngLng(rs.Value(0));
    const int64_t contador = CLngLng(rs.Value(1));
    auto anterior = batimentos_.find(id);
    const bool parado = anterior != batimentos_.end() && anterior->second.contador == contador;
    lidos[id] = parado ? anterior->second : Batimento{contador, agora};
  }
  batimentos_ = std::move(lidos);
}

int SolicitacoesOrfas::Responde(data::cSolicitacaoFuncaoNFe& fila, Instante agora) {
  data::ConexaoDriver* conexao = ctx_.ConexaoBanco != nullptr ? ctx_.ConexaoBanco->ConexaoCompartilhada() : nullptr;
  if (conexao == nullptr) return 0;
  const auto limite = TempoMaximoSolicitacao(ctx_);
  LeBatimentos(*conexao, agora);

  std::string sql =
      "SELECT NSU, [Host da Analise], Texto  FROM SolicitacaoFuncaoNFe"
      " WHERE [Hora da Analise] IS NOT NULL"
      "   AND [Hora da Aprovacao] IS NULL"
      "   AND [Hora Cancelamento Host] IS NULL"
      "   AND [Hora da Confirmacao AC] IS NULL"
      "   AND [Hora do Cancelamento AC] IS NULL";
  const std::string& ip = ctx_.host.IPProcessamento;
  if (!ip.empty() && ip != "127.0.0.1") sql += "   AND [IP Computador AC] = '" + Replace(ip, "'", "''") + "'";
  sql += " ORDER BY NSU ASC";

  std::map<int32_t, Instante> tomadas;
  std::vector<int32_t> orfas;
  for (data::Recordset rs = conexao->Consultar(sql); !rs.Eof(); rs.MoveNext()) {
    // A command answered by its claim alone ("ATV") stays claimed for good.
    const ComandoHost* comando = ComandoDoTexto(rs.Value(2).Texto());
    if (comando != nullptr && comando->executa == nullptr) continue;
    const int32_t nsu = CLng(rs.Value(0));
    auto vista = tomadas_.find(nsu);
    const Instante desde = vista != tomadas_.end() ? vista->second : agora;
    tomadas[nsu] = desde;
    // Still since: the holder's counter when it has one, else the claim as seen from here.
    Instante parado = desde;
    const Valor& host = rs.Value(1);
    if (!host.ENulo()) {
      auto batimento = batimentos_.find(CLngLng(host));
      if (batimento != batimentos_.end()) parado = batimento->second.desde;
    }
    if (agora - parado > limite) orfas.push_back(nsu);
  }
  tomadas_ = std::move(tomadas);

  const DataHora hora = ctx_.relogio.Agora().SoHora();
  int respondidas = 0;
  for (int32_t nsu : orfas) {
    // Another Host may answer it at the same moment: the stamp's guard lets one through.
    if (!fila.DefineHoraCancelamentoHost(nsu, hora, kMensagemInterrompida)) continue;
    ++respondidas;
    ctx_.log.RegistraEvento("      Solicitação " + std::to_string(nsu) + " interrompida, cancelada pelo Host: " +
                                Format(Valor(hora), "HH:mm:ss"),
                            true, false);
  }

  // The rows of Hosts gone; guarded by the counter, so a Host that beats
  // again meanwhile keeps its row (and writes it again if it was removed).
  for (auto it = batimentos_.begin(); it != batimentos_.end();) {
    if (agora - it->second.desde > limite) {
      conexao->Executar("DELETE FROM HostBatimento WHERE Id = " + std::to_string(it->first) +
                        " AND Contador = " + std::to_string(it->second.contador));
      it = batimentos_.erase(it);
    } else {
      ++it;
    }
  }
  return respondidas;
}

}  // namespace velant
