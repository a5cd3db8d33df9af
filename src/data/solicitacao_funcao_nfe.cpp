#include "data/solicitacao_funcao_nfe.h"

#include <exception>
#include <limits>

#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "data/conexao_driver.h"
#include "data/conexao_nfe.h"
#include "data/data_hora_banco.h"
#include "data/formata_sql.h"
#include "contexto/configuracao_host.h"
#include "ui/interface_operador.h"

namespace velant::data {

void AvisaHosts(CConexaoNfe& conexao) {
  if (conexao.Dialeto() == DialetoSql::PostgreSql) conexao.ExecutaSql(std::string("NOTIFY ") + kCanalSolicitacoes);
}

namespace {

const char* const kCondicoesAbertas =
    "  FROM SolicitacaoFuncaoNFe"
    " WHERE [Hora do Cancelamento AC] IS NULL"
    "   AND [Hora da Confirmacao AC] IS NULL"
    "   AND [Hora Cancelamento Host] IS NULL";

// A NULL reads as the empty value of the property: the zero date-time, 0 or
// "" (loading stops at no column, so no property keeps the last request's value).
int32_t InteiroDe(const Valor& v) { return v.ENulo() || v.EVazio() ? 0 : CLng(v); }

std::string TextoDe(const Valor& v) {
  if (v.ENulo() || v.EVazio()) return "";
  return v.ETexto() ? v.ComoTexto() : CStr(v);
}

DataHora DataHoraDe(const Valor& v) {
  if (v.ENulo() || v.EVazio()) return DataHora();
  if (const DataHora* d = AcessoValor::Se<DataHora>(v)) return *d;
  DataHora dh;
  if (v.ETexto() && LerDataHoraBanco(v.ComoTexto(), dh)) return dh;
  return CDate(v);
}

// The stamps take the time of day, and midnight is the zero date-time, which
// would be written as Null and leave the row unstamped: midnight goes with a
// day part, so that its time is written.
void HoraDoCarimbo(std::string& TextoSQL, const ConfiguracaoHost& estado, const std::string& antes, DataHora hora) {
  if (hora.Zero()) hora = DataHora(1.0);
  FormataSQLHora(TextoSQL, estado, 2, antes, hora);
}

// A request is answered once: approved or cancelled by the Host, never
// both. Each answer stamp requires both columns empty, so that a Host that
// finishes a request another Host already gave up cannot approve it too.
const char* const kSemResposta = "   AND [Hora da Aprovacao] IS NULL   AND [Hora Cancelamento Host] IS NULL";

// The claim names the Host run that holds the row, so that other Hosts can
// tell by its heartbeat whether it still runs (programs without an id leave
// the column alone).
void HostDaPosse(std::string& TextoSQL, const ConfiguracaoHost& estado) {
  if (estado.IdHost != 0) TextoSQL += ", [Host da Analise] = " + std::to_string(estado.IdHost);
}

}  // namespace

cSolicitacaoFuncaoNFe::cSolicitacaoFuncaoNFe(CConexaoNfe& conexao, const ConfiguracaoHost& estado, InterfaceOperador& ui)
    : conexao_(conexao), estado_(estado), ui_(ui) {}

std::string cSolicitacaoFuncaoNFe::MontaSelect(const std::string& pWhere, const std::string& pOrdem) const {
  return Trim(
      "SELECT NSU, [Numero de Controle de Solicitacao], [Data da Solicitacao], [Hora da Solicitacao], "
      "[Tipo de Operacao], [Codigo do Estabelecimento], [Serie da NFe], [Numero da NFe], "
      "[Chave de Acesso da NFe], [IP Computador AC], [IP Internet AC], [Seguranca do Estabelecimento], "
      "[Codigo do Usuario], [Versao AC], [Versao Host], Texto, [Hora da Analise], [Hora da Aprovacao], "
      "[Hora Cancelamento Host], [Hora da Confirmacao AC], [Hora do Cancelamento AC], Mensagem "
      "FROM SolicitacaoFuncaoNFe " +
      pWhere + " " + pOrdem);
}

bool cSolicitacaoFuncaoNFe::AbreConsulta(int32_t pQuantidade) {
  mRs = std::make_unique<Recordset>();
  if (pQuantidade > 0) {
    mTextoSQL = mTextoSQL.substr(0, 6) + " TOP " + std::to_string(pQuantidade) +
                (mTextoSQL.size() > 6 ? mTextoSQL.substr(6) : std::string());
  }
  ConexaoDriver* c = conexao_.ConexaoCompartilhada();
  if (c == nullptr) Levanta(CodigoErro::ObjetoFechado);
  *mRs = c->Consultar(mTextoSQL);
  return !mRs->Eof();
}

bool cSolicitacaoFuncaoNFe::ExisteRegistro(int32_t pQuantidade) { return AbreConsulta(pQuantidade); }

void cSolicitacaoFuncaoNFe::FechaConsulta() { mRs.reset(); }

void cSolicitacaoFuncaoNFe::CarregaRegistro() {
  const Recordset& rs = *mRs;
  mNSU = InteiroDe(rs.Value("NSU"));
  mNumeroControleSolicitacao = InteiroDe(rs.Value("Numero de Controle de Solicitacao"));
  mDataSolicitacao = DataHoraDe(rs.Value("Data da Solicitacao"));
  mHoraSolicitacao = DataHoraDe(rs.Value("Hora da Solicitacao"));
  mTipoOperacao = TextoDe(rs.Value("Tipo de Operacao"));
  mCodigoEstabelecimento = InteiroDe(rs.Value("Codigo do Estabelecimento"));
  mSerieNFe = TextoDe(rs.Value("Serie da NFe"));
  mNumeroNFe = InteiroDe(rs.Value("Numero da NFe"));
  mChaveAcessoNFe = TextoDe(rs.Value("Chave de Acesso da NFe"));
  mIPComputadorAC = TextoDe(rs.Value("IP Computador AC"));
  mIPInternetAC = TextoDe(rs.Value("IP Internet AC"));
  mSegurancaEstabelecimento = TextoDe(rs.Value("Seguranca do Estabelecimento"));
  mCodigoUsuario = InteiroDe(rs.Value("Codigo do Usuario"));
  mVersaoAC = TextoDe(rs.Value("Versao AC"));
  mVersaoHost = TextoDe(rs.Value("Versao Host"));
  mTexto = TextoDe(rs.Value("Texto"));
  mHoraAnalise = DataHoraDe(rs.Value("Hora da Analise"));
  mHoraAprovacao = DataHoraDe(rs.Value("Hora da Aprovacao"));
  mHoraCancelamentoHost = DataHoraDe(rs.Value("Hora Cancelamento Host"));
  mHoraConfirmacaoAC = DataHoraDe(rs.Value("Hora da Confirmacao AC"));
  mHoraCancelamentoAC = DataHoraDe(rs.Value("Hora do Cancelamento AC"));
  mMensagem = TextoDe(rs.Value("Mensagem"));
}

bool cSolicitacaoFuncaoNFe::ExecutaTextoSQL() {
  ConexaoDriver* c = conexao_.ConexaoCompartilhada();
  if (c == nullptr) Levanta(CodigoErro::ObjetoFechado);
  return c->Executar(mTextoSQL) > 0;
}

std::optional<int64_t> cSolicitacaoFuncaoNFe::PrimeiroNSU() {
  std::optional<int64_t> nsu;
  try {
    if (ExisteRegistro(1)) {
      const Valor& v = mRs->Value("NSU");
      nsu = v.ENulo() || v.EVazio() ? 0 : CLngLng(v);
    }
  } catch (...) {
    FechaConsulta();
    throw;
  }
  FechaConsulta();
  return nsu;
}

static bool NSUServivel(int64_t nsu) { return nsu > 0 && nsu <= std::numeric_limits<int32_t>::max(); }

int32_t cSolicitacaoFuncaoNFe::LocalizarAnalise(const std::string& pIP) {
  mNSUInvalido.reset();
  mTextoSQL = std::string("SELECT NSU") + kCondicoesAbertas + "   AND [Hora da Analise] IS NULL" +
              "   AND [Hora da Aprovacao] IS NULL";
  // Doubled quotes: an address text cannot end the literal and change the statement.
  if (pIP != "127.0.0.1" && !pIP.empty()) mTextoSQL += "   AND [IP Computador AC] = " + EntreAspas(DuplicaAspas(pIP));
  mTextoSQL += " ORDER BY NSU ASC";
  const std::optional<int64_t> nsu = PrimeiroNSU();
  if (!nsu) return 0;
  if (!NSUServivel(*nsu)) {
    mNSUInvalido = nsu;
    return 0;
  }
  return static_cast<int32_t>(*nsu);
}

int32_t cSolicitacaoFuncaoNFe::LocalizarAnaliseEOuAprovacao() {
  mTextoSQL = std::string("SELECT NSU") + kCondicoesAbertas + "   AND ([Hora da Analise] IS NULL" +
              "    OR [Hora da Aprovacao] IS NULL)" + " ORDER BY NSU ASC";
  const std::optional<int64_t> nsu = PrimeiroNSU();
  return nsu && NSUServivel(*nsu) ? static_cast<int32_t>(*nsu) : 0;
}

bool cSolicitacaoFuncaoNFe::RecusaNSUInvalido(int64_t pNSU, DataHora pHora, const std::string& pMensagem) {
  // Claim and answer in one guarded statement: no other Host answers it too.
  mTextoSQL = "UPDATE SolicitacaoFuncaoNFe SET ";
  HoraDoCarimbo(mTextoSQL, estado_, "[Hora da Analise] = ", pHora);
  HoraDoCarimbo(mTextoSQL, estado_, ", [Hora Cancelamento Host] = ", pHora);
  FormataSQLTexto(mTextoSQL, estado_, 2, ", Mensagem = ", Left(pMensagem, 50));
  FormataSQLTexto(mTextoSQL, estado_, 2, ", [Versao Host] = ", estado_.VersaoSistema);
  HostDaPosse(mTextoSQL, estado_);
  mTextoSQL += " WHERE NSU = " + std::to_string(pNSU) + "   AND [Hora da Analise] IS NULL" + kSemResposta;
  return ExecutaTextoSQL();
}

void cSolicitacaoFuncaoNFe::GuardaErro(const std::exception& e) { mUltimoErro = DescricaoErro(e); }

bool cSolicitacaoFuncaoNFe::LocalizarCodigo(int32_t pNSU) {
  mUltimoErro.clear();
  mTextoSQL = MontaSelect(" WHERE NSU = " + std::to_string(pNSU), "");
  bool achou = false;
  try {
    achou = ExisteRegistro(1);
    if (achou) CarregaRegistro();
  } catch (const ErroExecucao& e) {
    GuardaErro(e);
    ui_.MsgBox(std::to_string(e.Numero()) + " - " + e.Descricao(), vbOKOnly);
  } catch (const std::exception& e) {
    GuardaErro(e);
    ui_.MsgBox(std::to_string(static_cast<int>(CodigoErro::ErroBanco)) + " - " + e.what(), vbOKOnly);
  }
  FechaConsulta();
  return achou;
}

bool cSolicitacaoFuncaoNFe::Incluir() {
  mUltimoErro.clear();
  try {
    const ConfiguracaoHost& e = estado_;
    std::string& t = mTextoSQL;
    t = "INSERT INTO SolicitacaoFuncaoNFe ( NSU, [Numero de Controle de Solicitacao], [Data da Solicitacao], "
        "[Hora da Solicitacao], [Tipo de Operacao], "
        "[Codigo do Estabelecimento], [Serie da NFe], [Numero da NFe], [Chave de Acesso da NFe], [IP Computador AC], "
        "[IP Internet AC], [Seguranca do Estabelecimento], [Codigo do Usuario], [Versao AC], [Versao Host], Texto, "
        "[Hora da Analise], [Hora da Aprovacao], [Hora Cancelamento Host], [Hora da Confirmacao AC], "
        "[Hora do Cancelamento AC], "
        "Mensagem ) VALUES ( ";
    const Valor v(", ");
    FormataSQLNumero(t, e, 1, mNSU, v);
    FormataSQLNumero(t, e, 1, mNumeroControleSolicitacao, v);
    FormataSQLData(t, e, 1, mDataSolicitacao, v);
    FormataSQLHora(t, e, 1, mHoraSolicitacao, v);
    FormataSQLTexto(t, e, 1, mTipoOperacao, v);
    FormataSQLNumero(t, e, 1, mCodigoEstabelecimento, v);
    FormataSQLTexto(t, e, 1, mSerieNFe, v);
    FormataSQLNumero(t, e, 1, mNumeroNFe, v);
    FormataSQLTexto(t, e, 1, mChaveAcessoNFe, v);
    FormataSQLTexto(t, e, 1, mIPComputadorAC, v);
    FormataSQLTexto(t, e, 1, mIPInternetAC, v);
    FormataSQLTexto(t, e, 1, mSegurancaEstabelecimento, v);
    FormataSQLNumero(t, e, 1, mCodigoUsuario, v);
    FormataSQLTexto(t, e, 1, mVersaoAC, v);
    FormataSQLTexto(t, e, 1, mVersaoHost, v);
    FormataSQLTexto(t, e, 1, mTexto, v);
    FormataSQLHora(t, e, 1, mHoraAnalise, v);
    FormataSQLHora(t, e, 1, mHoraAprovacao, v);
    FormataSQLHora(t, e, 1, mHoraCancelamentoHost, v);
    FormataSQLHora(t, e, 1, mHoraConfirmacaoAC, v);
    FormataSQLHora(t, e, 1, mHoraCancelamentoAC, v);
    FormataSQLTexto(t, e, 1, mMensagem, " )");
    return ExecutaTextoSQL();
  } catch (const std::exception& e) {
    GuardaErro(e);
    return false;
  } catch (...) {
    // Not a database error the driver describes: the caller reports it all the same.
    mUltimoErro = "erro desconhecido em Incluir";
    return false;
  }
}

bool cSolicitacaoFuncaoNFe::Alterar(int32_t pNSU) {
  mUltimoErro.clear();
  try {
    const ConfiguracaoHost& e = estado_;
    std::string& t = mTextoSQL;
    t = "UPDATE SolicitacaoFuncaoNFe SET ";
    FormataSQLNumero(t, e, 2, "NSU = ", mNSU);
    FormataSQLNumero(t, e, 2, ", [Numero de Controle de Solicitacao] = ", mNumeroControleSolicitacao);
    FormataSQLData(t, e, 2, ", [Data da Solicitacao] = ", mDataSolicitacao);
    FormataSQLHora(t, e, 2, ", [Hora da Solicitacao] = ", mHoraSolicitacao);
    FormataSQLTexto(t, e, 2, ", [Tipo de Operacao] = ", mTipoOperacao);
    FormataSQLNumero(t, e, 2, ", [Codigo do Estabelecimento] = ", mCodigoEstabelecimento);
    FormataSQLTexto(t, e, 2, ", [Serie da NFe] = ", mSerieNFe);
    FormataSQLNumero(t, e, 2, ", [Numero da NFe] = ", mNumeroNFe);
    FormataSQLTexto(t, e, 2, ", [Chave de Acesso da NFe] = ", mChaveAcessoNFe);
    FormataSQLTexto(t, e, 2, ", [IP Computador AC] = ", mIPComputadorAC);
    FormataSQLTexto(t, e, 2, ", [IP Internet AC] = ", mIPInternetAC);
    FormataSQLTexto(t, e, 2, ", [Seguranca do Estabelecimento] = ", mSegurancaEstabelecimento);
    FormataSQLNumero(t, e, 2, ", [Codigo do Usuario] = ", mCodigoUsuario);
    FormataSQLTexto(t, e, 2, ", [Versao AC] = ", mVersaoAC);
    FormataSQLTexto(t, e, 2, ", [Versao Host] = ", mVersaoHost);
    FormataSQLTexto(t, e, 2, ", Texto = ", mTexto);
    FormataSQLHora(t, e, 2, ", [Hora da Analise] = ", mHoraAnalise);
    FormataSQLHora(t, e, 2, ", [Hora da Aprovacao] = ", mHoraAprovacao);
    FormataSQLHora(t, e, 2, ", [Hora Cancelamento Host] = ", mHoraCancelamentoHost);
    FormataSQLHora(t, e, 2, ", [Hora da Confirmacao AC] = ", mHoraConfirmacaoAC);
    FormataSQLHora(t, e, 2, ", [Hora do Cancelamento AC] = ", mHoraCancelamentoAC);
    FormataSQLTexto(t, e, 2, ", Mensagem = ", mMensagem);
    t += " WHERE NSU = " + std::to_string(pNSU);
    return ExecutaTextoSQL();
  } catch (const std::exception& e) {
    GuardaErro(e);
    return false;
  } catch (...) {
    // Not a database error the driver describes: the caller reports it all the same.
    mUltimoErro = "erro desconhecido em Alterar";
    return false;
  }
}

bool cSolicitacaoFuncaoNFe::DefineMensagem(int32_t pNSU, const std::string& pMensagem) {
  mTextoSQL = "UPDATE SolicitacaoFuncaoNFe SET ";
  FormataSQLTexto(mTextoSQL, estado_, 2, "Mensagem = ", pMensagem);
  mTextoSQL += " WHERE NSU = " + std::to_string(pNSU);
  return ExecutaTextoSQL();
}

bool cSolicitacaoFuncaoNFe::DefineHoraAnalise(int32_t pNSU, DataHora pHoraAnalise) {
  mTextoSQL = "UPDATE SolicitacaoFuncaoNFe SET ";
  HoraDoCarimbo(mTextoSQL, estado_, "[Hora da Analise] = ", pHoraAnalise);
  FormataSQLTexto(mTextoSQL, estado_, 2, ", [Versao Host] = ", estado_.VersaoSistema);
  HostDaPosse(mTextoSQL, estado_);
  mTextoSQL += " WHERE NSU = " + std::to_string(pNSU) + "   AND [Hora da Analise] IS NULL";
  bool feito = ExecutaTextoSQL();
  if (feito) mHoraAnalise = pHoraAnalise;   // the claim's time, for the log line that follows it
  return feito;
}

bool cSolicitacaoFuncaoNFe::DefineHoraAprovacaoHost(int32_t pNSU, DataHora pHoraAprovacao,
                                                    const std::string& pMensagem) {
  mTextoSQL = "UPDATE SolicitacaoFuncaoNFe SET ";
  HoraDoCarimbo(mTextoSQL, estado_, "[Hora da Aprovacao] = ", pHoraAprovacao);
  FormataSQLTexto(mTextoSQL, estado_, 2, ", Mensagem = ", pMensagem);
  FormataSQLTexto(mTextoSQL, estado_, 2, ", [Versao Host] = ", estado_.VersaoSistema);
  mTextoSQL += " WHERE NSU = " + std::to_string(pNSU) + kSemResposta;
  return ExecutaTextoSQL();
}

bool cSolicitacaoFuncaoNFe::DefineHoraCancelamentoHost(int32_t pNSU, DataHora pHoraCancelamento,
                                                       const std::string& pMensagem) {
  mTextoSQL = "UPDATE SolicitacaoFuncaoNFe SET ";
  HoraDoCarimbo(mTextoSQL, estado_, "[Hora Cancelamento Host] = ", pHoraCancelamento);
  FormataSQLTexto(mTextoSQL, estado_, 2, ", Mensagem = ", Left(pMensagem, 50));
  FormataSQLTexto(mTextoSQL, estado_, 2, ", [Versao Host] = ", estado_.VersaoSistema);
  mTextoSQL += " WHERE NSU = " + std::to_string(pNSU) + kSemResposta;
  return ExecutaTextoSQL();
}

bool cSolicitacaoFuncaoNFe::Excluir(int32_t pNSU) {
  mUltimoErro.clear();
  try {
    mTextoSQL = "DELETE FROM SolicitacaoFuncaoNFe WHERE NSU = " + std::to_string(pNSU);
    return ExecutaTextoSQL();
  } catch (const std::exception& e) {
    GuardaErro(e);
    return false;
  } catch (...) {
    // Not a database error the driver describes: the caller reports it all the same.
    mUltimoErro = "erro desconhecido em Excluir";
    return false;
  }
}

}  // namespace velant::data
