#pragma once
// An in-memory request queue behind the request record's interface, with
// switches to make each database call fail, and a handler double that
// records its calls.
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/erro.h"
#include "base/texto.h"
#include "data/conexao_nfe.h"
#include "data/solicitacao_funcao_nfe.h"
#include "manager/manipuladores_comando.h"

namespace velant::teste {

class ConexaoFalsa : public data::CConexaoNfe {
 public:
  explicit ConexaoFalsa(InterfaceOperador& ui) : data::CConexaoNfe(ui) {}
  bool ConexaoAtiva() override { return ++verificacoes, ativa; }
  const std::string& MotivoFalha() const override { return motivo; }
  bool ativa = true;   // false: the database is down
  int verificacoes = 0;
  std::string motivo;
};

struct LinhaFalsa {
  std::string texto, ip = "10.0.0.5";
  DataHora analise, aprovacao, cancelamentoHost;
  std::string mensagem;
  bool Respondida() const { return !aprovacao.Zero() || !cancelamentoHost.Zero(); }
};

class FilaFalsa : public data::cSolicitacaoFuncaoNFe {
 public:
  using data::cSolicitacaoFuncaoNFe::cSolicitacaoFuncaoNFe;

  std::map<int32_t, LinhaFalsa> linhas;
  bool falhaBusca = false;          // LocalizarAnalise raises
  bool recusaAnalise = false;       // DefineHoraAnalise returns false
  bool recusaResposta = false;      // the answer stamps return false
  int falhasResposta = 0;           // the next answer stamps raise a database error
  bool gravaAntesDeFalhar = false;  // ... after writing the row (the reply was lost)
  int buscas = 0;

  int32_t Inclui(const std::string& texto, const std::string& ip = "10.0.0.5") {
    const int32_t nsu = linhas.empty() ? 1 : linhas.rbegin()->first + 1;
    linhas[nsu].texto = texto;
    linhas[nsu].ip = ip;
    return nsu;
  }
  // Rows with an NSU of 0 or less come first, as in the table.
  int32_t LocalizarAnalise(const std::string& pIP) override {
    ++buscas;
    mNSUInvalido.reset();
    if (falhaBusca) throw ErroExecucao(CodigoErro::ErroBanco, "database is locked");
    for (auto& [nsu, l] : linhas) {
      if (!l.analise.Zero() || l.Respondida() || !(pIP.empty() || pIP == "127.0.0.1" || pIP == l.ip)) continue;
      if (nsu <= 0) mNSUInvalido = nsu;
      return std::max(nsu, 0);
    }
    return 0;
  }
  bool LocalizarCodigo(int32_t pNSU) override {
    auto it = linhas.find(pNSU);
    if (it == linhas.end()) return false;
    mNSU = pNSU;
    mTexto = it->second.texto;
    mHoraAnalise = it->second.analise;
    mHoraAprovacao = it->second.aprovacao;
    mHoraCancelamentoHost = it->second.cancelamentoHost;
    mMensagem = it->second.mensagem;
    return true;
  }
  bool RecusaNSUInvalido(int64_t pNSU, DataHora pHora, const std::string& pMensagem) override {
    const int32_t nsu = static_cast<int32_t>(pNSU);
    return Carimba(nsu, &LinhaFalsa::analise, pHora, std::nullopt) && Carimba(nsu, &LinhaFalsa::cancelamentoHost, pHora, Left(pMensagem, 50));
  }
  bool DefineMensagem(int32_t pNSU, const std::string& pMensagem) override {
    auto it = linhas.find(pNSU);
    if (it != linhas.end()) it->second.mensagem = pMensagem;
    return it != linhas.end();
  }
  bool DefineHoraAnalise(int32_t pNSU, DataHora pHora) override {
    if (recusaAnalise || !Carimba(pNSU, &LinhaFalsa::analise, pHora, std::nullopt)) return false;
    mHoraAnalise = pHora;
    return true;
  }
  bool DefineHoraAprovacaoHost(int32_t pNSU, DataHora pHora, const std::string& pMensagem) override {
    return Responde(pNSU, &LinhaFalsa::aprovacao, pHora, pMensagem);
  }
  bool DefineHoraCancelamentoHost(int32_t pNSU, DataHora pHora, const std::string& pMensagem) override {
    return Responde(pNSU, &LinhaFalsa::cancelamentoHost, pHora, Left(pMensagem, 50));
  }

 private:
  bool Responde(int32_t nsu, DataHora LinhaFalsa::*campo, DataHora hora, const std::string& mensagem) {
    if (falhasResposta > 0) {
      --falhasResposta;
      if (gravaAntesDeFalhar) Carimba(nsu, campo, hora, mensagem);
      throw ErroExecucao(CodigoErro::ErroBanco, "disk I/O error");
    }
    // A row is answered once, approved or cancelled, as the guarded UPDATE allows.
    auto it = linhas.find(nsu);
    return it != linhas.end() && !it->second.Respondida() && !recusaResposta && Carimba(nsu, campo, hora, mensagem);
  }
  // A stamp is written once; a second one is refused like the conditional UPDATE refuses it.
  bool Carimba(int32_t nsu, DataHora LinhaFalsa::*campo, DataHora hora, std::optional<std::string> mensagem) {
    auto it = linhas.find(nsu);
    if (it == linhas.end() || !(it->second.*campo).Zero()) return false;
    it->second.*campo = hora;
    if (mensagem) it->second.mensagem = *mensagem;
    return true;
  }
};

// Records the calls as "Rotina(arg|arg...)"; each handler returns `resultado`
// or raises when `erro` is set.
class ManipuladoresTeste : public ManipuladoresComando {
 public:
  bool resultado = true;
  std::optional<std::string> erro;
  std::function<void()> efeito;   // runs inside the handler
  std::vector<std::string> chamadas;

  bool CancelaNFe(const std::string& n, const std::string& c, const std::string& s, const std::string& p,
                  const std::string& j) override {
    return Chamada("CancelaNFe", {n, c, s, p, j});
  }
  bool ProcessaNFeAzure() override { return Chamada("ProcessaNFeAzure", {}); }
  bool TestaServidores() override { return Chamada("TestaServidores", {}); }
  bool ImprimirNFE(const std::string& c, const std::string& p, DataHora d) override {
    return Chamada("ImprimirNFE", {c, p, std::to_string(d.Dia()) + "/" + std::to_string(d.Mes()) + "/" + std::to_string(d.Ano())});
  }
  bool EnviaEmailNFe() override { return Chamada("EnviaEmailNFe", {}); }
  bool EnviaEmailContador() override { return Chamada("EnviaEmailContador", {}); }
  bool InutilizaNFe(const std::string& a, const std::string& i, const std::string& f, const std::string& j) override {
    return Chamada("InutilizaNFe", {a, i, f, j});
  }
  bool CartaCorrecao(const std::string& c, const std::string& s, const std::string& t) override {
    return Chamada("CartaCorrecao", {c, s, t});
  }

 private:
  bool Chamada(const std::string& rotina, std::initializer_list<std::string> argumentos) {
    std::string c = rotina + "(";
    for (const auto& a : argumentos) c += (&a == argumentos.begin() ? "" : "|") + a;
    chamadas.push_back(c + ")");
    if (efeito) efeito();
    if (erro) throw ErroExecucao(CodigoErro::ErroComponente, *erro);
    return resultado;
  }
};

}  // namespace velant::teste
