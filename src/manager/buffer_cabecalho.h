#pragma once
// The header buffer of the main window: one field per header column of
// TabelaNota, filled by the parser from codes 110-000 to 368-000 and copied
// into every item record at its "800-" line.
#include <cstdint>
#include <span>
#include <string>

#include "base/currency.h"

namespace velant {

struct BufferCabecalho {
  // Invoice (110-000 to 133-000).
  std::string DtEmissao;
  std::string NumeroNF;
  std::string SerieNFEmp;
  std::string FormaPag;
  std::string DtSaida;
  Currency TotalProdTot;
  Currency TotalNFTot;
  Currency TotalPISTot;
  Currency ValorFreteProd;
  Currency TotalCofinsTot;
  Currency TotalIpiTot;
  Currency TotalICMStot;
  Currency TotalBCIcmsTot;
  Currency ValorIcmsSTTot;
  Currency OutrosTot;
  std::string TpVenda;
  Currency TotalBCIcmsSub;
  Currency TotalValorIcmsSub;
  Currency TotalDescontoPd;
  Currency TotalDescontoPe;
  Currency ValorServiTot;
  Currency BCISSTot;
  Currency ValorIssTot;
  std::string ObsNf;
  // Recipient (210-000 to 222-000).
  std::string RazaoSocialCli;
  std::string LogradouroCli;
  std::string BairroCli;
  std::string NomeMunCli;
  std::string UFCli;
  std::string CEPCli;
  std::string CodPaisCli;
  std::string NomePaisCli;
  std::string TelefoneCli;
  std::string CgcCli;
  std::string IECli;
  std::string CodSuframaCl;
  std::string CodMunCli;
  // Issuer (310-000 to 321-000).
  std::string RazaoSocialEmp;
  std::string NomeFantasiaEmp;
  std::string LogradouroEmp;
  std::string NumLgrEmp;
  std::string CplEmp;
  std::string BairroEmp;
  std::string CepEmp;
  std::string TelefoneEmp;
  std::string IEEmp;
  std::string NomeMunEmp;
  std::string CodMunEmp;
  std::string CodMunIdentificacao;
  // Transport (350-000 to 368-000).
  std::string CnpjOuCpfTranspor;
  std::string RazaoSocialTranspor;
  std::string IETranspor;
  std::string EndTranspor;
  std::string NomeMunTranspor;
  std::string UFTranspor;
  std::string PlacaTranspor;
  std::string UfPlacaTranspor;
  Currency QntTranspor;
  std::string EspecieTranspor;
  Currency PesoLiqTranspor;
  Currency PesoBrutoTranspor;
  int16_t TipoFrete = 0;
  std::string CodMunTranspor;
  Currency BCICMSTransp;
  Currency AliquotaIcmsTransp;
  Currency ValorICMSTransp;
  std::string CFOPTransp;
  Currency ValorServicoMCC;
};

// How a header code's value text becomes the field's value.
enum class ConversaoCabecalho {
  Texto,           // unchanged
  Moeda,           // regional Currency (CCur); fails on a non-number
  ConverteValor,   // either decimal separator; never fails
  Inteiro16        // regional 16-bit integer (CInt); fails on a non-number
};

// One header code: its field, the column it is copied into and its log label.
// Exactly one of the three member pointers is set, by the field's type.
struct CampoCabecalho {
  const char* codigo;    // "110-000"
  const char* coluna;    // "DtEmissao"
  ConversaoCabecalho conversao;
  std::string BufferCabecalho::*texto = nullptr;
  Currency BufferCabecalho::*moeda = nullptr;
  int16_t BufferCabecalho::*inteiro = nullptr;
  const char* rotuloLog = nullptr;   // logged as label & value when set
};

// The 68 header codes in code order, which is also the order of the header copy.
std::span<const CampoCabecalho> CamposCabecalho();

struct SolicitacaoAtual;
struct TabelasSolicitacao;

// Writes the header buffer into the current TabelaNota record and sets
// gCodigoUfEmitente from CodMunEmp on the way.
void CopiaCabecalho(TabelasSolicitacao& tabelas, const BufferCabecalho& cabecalho, SolicitacaoAtual& atual);

}  // namespace velant
