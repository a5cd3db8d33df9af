#include "manager/batimento_host.h"

#include <unistd.h>

#include <exception>
#include <random>

#include "base/erro.h"
#include "base/texto.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"
#include "data/formata_sql.h"

namespace velant {

namespace {

data::ConexaoDriver* Conexao(Contexto& ctx) {
  return ctx.ConexaoBanco != nullptr ? ctx.ConexaoBanco->ConexaoCompartilhada() : nullptr;
}

}  // namespace

int64_t NovoIdHost() {
  std::random_device fonte;
  std::uniform_int_distribution<int64_t> sorteio(1, (int64_t{1} << 62) - 1);
  return sorteio(fonte);
}

void BatimentoHost::Bate() {
  const int64_t id = ctx_.host.IdHost;
  if (id == 0) return;
  const auto agora = agora_();
  if (ultimo_ && agora - *ultimo_ < std::chrono::seconds(1)) return;
  ultimo_ = agora;
  try {
    data::ConexaoDriver* c = Conexao(ctx_);
    if (c == nullptr) return;   // the poll loop reports the outage
    const std::string chave = std::to_string(id);
    if (c->Executar("UPDATE HostBatimento SET Contador = Contador + 1 WHERE Id = " + chave) == 0) {
      // Who it is, for whoever reads the table.
      const std::string descricao = Left(ctx_.host.IPProcessamento + " pid " + std::to_string(::getpid()) +
                                             " versão " + ctx_.host.VersaoSistema,
                                         100);
      c->Executar("INSERT INTO HostBatimento (Id, Contador, Descricao) VALUES (" + chave + ", 0, " +
                  data::EntreAspas(data::DuplicaAspas(descricao)) + ")");
    }
    ultimoErro_.clear();
  } catch (const std::exception& e) {
    const std::string linha = "     ** Erro na Rotina: BatimentoHost - " + DescricaoErro(e);
    if (linha != ultimoErro_) ctx_.log.RegistraEvento(linha, true, false);
    ultimoErro_ = linha;
  }
}

void BatimentoHost::Encerra() {
  if (ctx_.host.IdHost == 0 || !ultimo_) return;
  ultimo_.reset();
  try {
    data::ConexaoDriver* c = Conexao(ctx_);
    if (c != nullptr) c->Executar("DELETE FROM HostBatimento WHERE Id = " + std::to_string(ctx_.host.IdHost));
  } catch (const std::exception& e) {
    // Left behind, the row is removed by another Host once it stands still.
    ctx_.log.RegistraEvento("     ** Erro na Rotina: BatimentoHost - " + DescricaoErro(e), true, false);
  }
}

}  // namespace velant
