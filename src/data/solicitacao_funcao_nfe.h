#pragma once
// cSolicitacaoFuncaoNFe: one row of the request queue table
// SolicitacaoFuncaoNFe, with its finders, writers and guarded stamps.
// Statements are built in TextoSQL exactly as the SQL Server form reads
// (bracketed names, TOP); the connection's dialect adapts them on execution.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/data_hora.h"
#include "data/recordset.h"

namespace velant {
struct ConfiguracaoHost;
class InterfaceOperador;
}  // namespace velant

namespace velant::data {

class CConexaoNfe;

// The channel the Hosts on PostgreSQL listen to: a front end that runs
// "NOTIFY velantnfe_solicitacao" after its insert has the request claimed at
// once instead of at the next poll.
inline constexpr const char* kCanalSolicitacoes = "velantnfe_solicitacao";

// On PostgreSQL, tells the Hosts that a request was just inserted; nothing
// on the other databases. Raises what the database raised.
void AvisaHosts(CConexaoNfe& conexao);

class cSolicitacaoFuncaoNFe {
 public:
  cSolicitacaoFuncaoNFe(CConexaoNfe& conexao, const ConfiguracaoHost& estado, InterfaceOperador& ui);
  virtual ~cSolicitacaoFuncaoNFe() = default;

  // Property pairs, in column order.
  int32_t NSU() const { return mNSU; }
  void NSU(int32_t Valor) { mNSU = Valor; }
  int32_t NumeroControleSolicitacao() const { return mNumeroControleSolicitacao; }
  void NumeroControleSolicitacao(int32_t Valor) { mNumeroControleSolicitacao = Valor; }
  DataHora DataSolicitacao() const { return mDataSolicitacao; }
  void DataSolicitacao(DataHora Valor) { mDataSolicitacao = Valor; }
  DataHora HoraSolicitacao() const { return mHoraSolicitacao; }
  void HoraSolicitacao(DataHora Valor) { mHoraSolicitacao = Valor; }
  const std::string& TipoOperacao() const { return mTipoOperacao; }
  void TipoOperacao(const std::string& Valor) { mTipoOperacao = Valor; }
  int32_t CodigoEstabelecimento() const { return mCodigoEstabelecimento; }
  void CodigoEstabelecimento(int32_t Valor) { mCodigoEstabelecimento = Valor; }
  const std::string& SerieNFe() const { return mSerieNFe; }
  void SerieNFe(const std::string& Valor) { mSerieNFe = Valor; }
  int32_t NumeroNFe() const { return mNumeroNFe; }
  void NumeroNFe(int32_t Valor) { mNumeroNFe = Valor; }
  const std::string& ChaveAcessoNFe() const { return mChaveAcessoNFe; }
  void ChaveAcessoNFe(const std::string& Valor) { mChaveAcessoNFe = Valor; }
  const std::string& IPComputadorAC() const { return mIPComputadorAC; }
  void IPComputadorAC(const std::string& Valor) { mIPComputadorAC = Valor; }
  const std::string& IPInternetAC() const { return mIPInternetAC; }
  void IPInternetAC(const std::string& Valor) { mIPInternetAC = Valor; }
  const std::string& SegurancaEstabelecimento() const { return mSegurancaEstabelecimento; }
  void SegurancaEstabelecimento(const std::string& Valor) { mSegurancaEstabelecimento = Valor; }
  int32_t CodigoUsuario() const { return mCodigoUsuario; }
  void CodigoUsuario(int32_t Valor) { mCodigoUsuario = Valor; }
  const std::string& VersaoAC() const { return mVersaoAC; }
  void VersaoAC(const std::string& Valor) { mVersaoAC = Valor; }
  const std::string& VersaoHost() const { return mVersaoHost; }
  void VersaoHost(const std::string& Valor) { mVersaoHost = Valor; }
  const std::string& Texto() const { return mTexto; }
  void Texto(const std::string& Valor) { mTexto = Valor; }
  DataHora HoraAnalise() const { return mHoraAnalise; }
  void HoraAnalise(DataHora Valor) { mHoraAnalise = Valor; }
  DataHora HoraAprovacao() const { return mHoraAprovacao; }
  void HoraAprovacao(DataHora Valor) { mHoraAprovacao = Valor; }
  DataHora HoraCancelamentoHost() const { return mHoraCancelamentoHost; }
  void HoraCancelamentoHost(DataHora Valor) { mHoraCancelamentoHost = Valor; }
  DataHora HoraConfirmacaoAC() const { return mHoraConfirmacaoAC; }
  void HoraConfirmacaoAC(DataHora Valor) { mHoraConfirmacaoAC = Valor; }
  DataHora HoraCancelamentoAC() const { return mHoraCancelamentoAC; }
  void HoraCancelamentoAC(DataHora Valor) { mHoraCancelamentoAC = Valor; }
  const std::string& Mensagem() const { return mMensagem; }
  void Mensagem(const std::string& Valor) { mMensagem = Valor; }

  // Operations. Finders return 0 when nothing is found.
  virtual int32_t LocalizarAnalise(const std::string& pIP);
  virtual int32_t LocalizarAnaliseEOuAprovacao();
  virtual bool LocalizarCodigo(int32_t pNSU);
  virtual bool Incluir();
  virtual bool Alterar(int32_t pNSU);
  virtual bool DefineMensagem(int32_t pNSU, const std::string& pMensagem);
  virtual bool DefineHoraAnalise(int32_t pNSU, DataHora pHoraAnalise);
  virtual bool DefineHoraAprovacaoHost(int32_t pNSU, DataHora pHoraAprovacao, const std::string& pMensagem);
  virtual bool DefineHoraCancelamentoHost(int32_t pNSU, DataHora pHoraCancelamento, const std::string& pMensagem);
  virtual bool Excluir(int32_t pNSU);

  // The text of the last statement built by this instance.
  const std::string& TextoSQL() const { return mTextoSQL; }

  // Requests whose NSU the Host cannot serve (0 or less, or past 32 bits)
  // would be the oldest open row for ever and hold up every later one.
  // LocalizarAnalise returns 0 for such a row and keeps its NSU here; it is
  // answered by RecusaNSUInvalido, which claims it and cancels it at once.
  const std::optional<int64_t>& NSUInvalido() const { return mNSUInvalido; }
  virtual bool RecusaNSUInvalido(int64_t pNSU, DataHora pHora, const std::string& pMensagem);

  // The database error that the last LocalizarCodigo, Incluir, Alterar or
  // Excluir kept to itself; "" when it had none.
  const std::string& UltimoErro() const { return mUltimoErro; }

 private:
  std::string MontaSelect(const std::string& pWhere, const std::string& pOrdem) const;
  bool AbreConsulta(int32_t pQuantidade);
  void CarregaRegistro();
  bool ExisteRegistro(int32_t pQuantidade);
  void FechaConsulta();
  // Runs TextoSQL on the shared connection: true when a row changed.
  bool ExecutaTextoSQL();
  // The NSU of the oldest row matched by TextoSQL's conditions; nothing when none.
  std::optional<int64_t> PrimeiroNSU();
  void GuardaErro(const std::exception& e);

 protected:
  CConexaoNfe& conexao_;
  const ConfiguracaoHost& estado_;
  InterfaceOperador& ui_;
  std::string mTextoSQL;
  std::optional<int64_t> mNSUInvalido;
  std::string mUltimoErro;

  int32_t mNSU = 0;
  int32_t mNumeroControleSolicitacao = 0;
  DataHora mDataSolicitacao;
  DataHora mHoraSolicitacao;
  std::string mTipoOperacao;
  int32_t mCodigoEstabelecimento = 0;
  std::string mSerieNFe;
  int32_t mNumeroNFe = 0;
  std::string mChaveAcessoNFe;
  std::string mIPComputadorAC;
  std::string mIPInternetAC;
  std::string mSegurancaEstabelecimento;
  int32_t mCodigoUsuario = 0;
  std::string mVersaoAC;
  std::string mVersaoHost;
  std::string mTexto;
  DataHora mHoraAnalise;
  DataHora mHoraAprovacao;
  DataHora mHoraCancelamentoHost;
  DataHora mHoraConfirmacaoAC;
  DataHora mHoraCancelamentoAC;
  std::string mMensagem;

 private:
  std::unique_ptr<Recordset> mRs;   // the private record set of the finders
};

}  // namespace velant::data
