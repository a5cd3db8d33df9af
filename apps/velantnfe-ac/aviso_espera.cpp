#include "aviso_espera.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/regional.h"

namespace velant::ac {

namespace {

// The most recent claims are enough to tell whether a Host is at work.
constexpr int kLinhasLidas = 200;

struct Analisada {
  int32_t nsu = 0;
  std::string ip;
  std::string comando;
  DataHora analise;   // date and time of the claim
  bool respondida = false;
};

DataHora Momento(const Valor& v) { return v.ENulo() || v.EVazio() ? DataHora() : CDate(v); }

// The claim stamp is a time of day: its day is the request's, or the next
// one when the claim's time is earlier than the request's.
std::optional<DataHora> DiaDaAnalise(DataHora data, DataHora horaSolicitacao, DataHora horaAnalise) {
  if (!data.TemData()) return std::nullopt;
  double dia = data.SoData().Serial();
  if (horaAnalise.SoHora().Serial() < horaSolicitacao.SoHora().Serial()) dia += 1.0;
  return DataHora(dia + horaAnalise.SoHora().Serial());
}

std::vector<Analisada> UltimasAnalisadas(FilaAC& fila) {
  auto rs = fila.Conexao().RsConexao(
      "SELECT TOP " + std::to_string(kLinhasLidas) +
      " NSU, [IP Computador AC], [Tipo de Operacao], [Data da Solicitacao], [Hora da Solicitacao], [Hora da Analise],"
      " [Hora da Aprovacao], [Hora Cancelamento Host] FROM SolicitacaoFuncaoNFe"
      " WHERE [Hora da Analise] IS NOT NULL ORDER BY NSU DESC");
  std::vector<Analisada> linhas;
  if (rs->State() != data::adStateOpen) return linhas;
  for (; !rs->Eof(); rs->MoveNext()) {
    auto quando = DiaDaAnalise(Momento(rs->Value(3)), Momento(rs->Value(4)), Momento(rs->Value(5)));
    if (!quando) continue;
    Analisada a;
    a.nsu = CLng(rs->Value(0));
    a.ip = TextoColuna(rs->Value(1));
    a.comando = TextoColuna(rs->Value(2));
    a.analise = *quando;
    a.respondida = !Momento(rs->Value(6)).Zero() || !Momento(rs->Value(7)).Zero();
    linhas.push_back(std::move(a));
  }
  return linhas;
}

std::string DataEHora(DataHora d) { return Format(Valor(d), "dd/mm/yyyy") + " " + Hora(d); }

}  // namespace

std::string AvisoSemAnalise(FilaAC& fila, const std::string& ip, int32_t nsu, DataHora agora) {
  const std::vector<Analisada> linhas = UltimasAnalisadas(fila);
  const auto recente = [&](const Analisada& a) {
    return DiferencaSegundos(a.analise, agora) <= int64_t{kMinutosHostAtivo} * 60;
  };
  const Analisada* ultima = nullptr;   // this IP's most recent claim
  std::vector<std::string> outrosIPs;   // other IPs served lately
  for (const Analisada& a : linhas) {
    if (a.ip == ip) {
      if (ultima == nullptr) ultima = &a;
      // The liveness check is answered by its claim alone; anything else
      // claimed and not answered is what the Host is doing now.
      if (!a.respondida && a.comando != "ATV" && a.nsu != nsu && recente(a)) {
        return "Aviso: o Host está com a solicitação NSU " + std::to_string(a.nsu) + " (" + a.comando +
               ") em análise desde " + Hora(a.analise) + "; esta espera a vez dela.";
      }
    } else if (recente(a) && std::find(outrosIPs.begin(), outrosIPs.end(), a.ip) == outrosIPs.end()) {
      outrosIPs.push_back(a.ip);
    }
  }
  const std::string raiz = fila.Raiz().string();
  if (ultima != nullptr && recente(*ultima)) {
    return "Aviso: ninguém pegou esta solicitação ainda; a última do IP " + ip + " foi analisada às " +
           Hora(ultima->analise) + ". O Host desta raiz (velantnfe --raiz " + raiz + ") parou?";
  }
  std::string aviso = "Aviso: nenhum Host analisou solicitações do IP " + ip + " nesta raiz nos últimos " +
                      std::to_string(kMinutosHostAtivo) + " minutos (última: " +
                      (ultima != nullptr ? DataEHora(ultima->analise) : std::string("nenhuma")) +
                      "). Confira se o Host roda com --raiz " + raiz + " e se atende este IP";
  const std::string ipIni = fila.IPDoIni();
  if (!ipIni.empty()) aviso += " (o arquivo INI desta raiz diz " + ipIni + ")";
  aviso += ".";
  if (!outrosIPs.empty()) {
    aviso += " Atendidos nesse tempo:";
    for (const std::string& outro : outrosIPs) aviso += " " + (outro.empty() ? std::string("(vazio)") : outro);
    aviso += ".";
  }
  return aviso;
}

}  // namespace velant::ac
