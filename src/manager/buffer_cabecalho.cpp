#include "manager/buffer_cabecalho.h"

#include <array>

#include "base/texto.h"
#include "contexto/solicitacao_atual.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

namespace {

using B = BufferCabecalho;
using C = ConversaoCabecalho;

constexpr CampoCabecalho T(const char* codigo, const char* coluna, std::string B::*campo,
                           const char* rotulo = nullptr) {
  return CampoCabecalho{codigo, coluna, C::Texto, campo, nullptr, nullptr, rotulo};
}
constexpr CampoCabecalho M(const char* codigo, const char* coluna, Currency B::*campo, C conversao) {
  return CampoCabecalho{codigo, coluna, conversao, nullptr, campo, nullptr, nullptr};
}

constexpr std::array<CampoCabecalho, 68> kCampos{{
    T("110-000", "DtEmissao", &B::DtEmissao),
    T("111-000", "NumeroNF", &B::NumeroNF, "      Número da NF: "),
    T("112-000", "SerieNFEmp", &B::SerieNFEmp),
    T("113-000", "FormaPag", &B::FormaPag),
    T("114-000", "DtSaida", &B::DtSaida),
    M("115-000", "TotalProdTot", &B::TotalProdTot, C::Moeda),
    M("116-000", "TotalNFTot", &B::TotalNFTot, C::Moeda),
    M("117-000", "TotalPISTot", &B::TotalPISTot, C::Moeda),
    M("118-000", "ValorFreteProd", &B::ValorFreteProd, C::Moeda),
    M("119-000", "TotalCofinsTot", &B::TotalCofinsTot, C::Moeda),
    M("120-000", "TotalIpiTot", &B::TotalIpiTot, C::Moeda),
    M("121-000", "TotalICMStot", &B::TotalICMStot, C::Moeda),
    M("122-000", "TotalBCIcmsTot", &B::TotalBCIcmsTot, C::Moeda),
    M("123-000", "ValorIcmsSTTot", &B::ValorIcmsSTTot, C::ConverteValor),
    M("124-000", "OutrosTot", &B::OutrosTot, C::ConverteValor),
    T("125-000", "TpVenda", &B::TpVenda),
    M("126-000", "TotalBCIcmsSub", &B::TotalBCIcmsSub, C::ConverteValor),
    M("127-000", "TotalValorIcmsSub", &B::TotalValorIcmsSub, C::ConverteValor),
    M("128-000", "TotalDescontoPd", &B::TotalDescontoPd, C::ConverteValor),
    M("129-000", "TotalDescontoPe", &B::TotalDescontoPe, C::ConverteValor),
    M("130-000", "ValorServiTot", &B::ValorServiTot, C::ConverteValor),
    M("131-000", "BCISSTot", &B::BCISSTot, C::ConverteValor),
    M("132-000", "ValorIssTot", &B::ValorIssTot, C::ConverteValor),
    T("133-000", "ObsNf", &B::ObsNf),
    T("210-000", "RazaoSocialCli", &B::RazaoSocialCli, "      Razão Social: "),
    T("211-000", "LogradouroCli", &B::LogradouroCli, "      Logradouro: "),
    T("212-000", "BairroCli", &B::BairroCli, "      Bairro: "),
    T("213-000", "NomeMunCli", &B::NomeMunCli, "      Cidade: "),
    T("214-000", "UFCli", &B::UFCli, "      UF: "),
    T("215-000", "CEPCli", &B::CEPCli),
    T("216-000", "CodPaisCli", &B::CodPaisCli),
    T("217-000", "NomePaisCli", &B::NomePaisCli),
    T("218-000", "TelefoneCli", &B::TelefoneCli, "      Telefone: "),
    T("219-000", "CgcCli", &B::CgcCli, "      CNPJ/CPF: "),
    T("220-000", "IECli", &B::IECli, "      I.E.: "),
    T("221-000", "CodSuframaCl", &B::CodSuframaCl),
    T("222-000", "CodMunCli", &B::CodMunCli, "      Código do Município: "),
    T("310-000", "RazaoSocialEmp", &B::RazaoSocialEmp),
    T("311-000", "NomeFantasiaEmp", &B::NomeFantasiaEmp),
    T("312-000", "LogradouroEmp", &B::LogradouroEmp),
    T("313-000", "NumLgrEmp", &B::NumLgrEmp),
    T("314-000", "CplEmp", &B::CplEmp),
    T("315-000", "BairroEmp", &B::BairroEmp),
    T("316-000", "CepEmp", &B::CepEmp),
    T("317-000", "TelefoneEmp", &B::TelefoneEmp),
    T("318-000", "IEEmp", &B::IEEmp),
    T("319-000", "NomeMunEmp", &B::NomeMunEmp),
    T("320-000", "CodMunEmp", &B::CodMunEmp),
    T("321-000", "CodMunIdentificacao", &B::CodMunIdentificacao),
    T("350-000", "CnpjOuCpfTranspor", &B::CnpjOuCpfTranspor),
    T("351-000", "RazaoSocialTranspor", &B::RazaoSocialTranspor),
    T("352-000", "IETranspor", &B::IETranspor),
    T("353-000", "EndTranspor", &B::EndTranspor),
    T("354-000", "NomeMunTranspor", &B::NomeMunTranspor),
    T("355-000", "UFTranspor", &B::UFTranspor),
    T("356-000", "PlacaTranspor", &B::PlacaTranspor),
    T("357-000", "UfPlacaTranspor", &B::UfPlacaTranspor),
    M("358-000", "QntTranspor", &B::QntTranspor, C::ConverteValor),
    T("359-000", "EspecieTranspor", &B::EspecieTranspor),
    M("360-000", "PesoLiqTranspor", &B::PesoLiqTranspor, C::ConverteValor),
    M("361-000", "PesoBrutoTranspor", &B::PesoBrutoTranspor, C::ConverteValor),
    CampoCabecalho{"362-000", "TipoFrete", C::Inteiro16, nullptr, nullptr, &B::TipoFrete, nullptr},
    T("363-000", "CodMunTranspor", &B::CodMunTranspor),
    M("364-000", "BCICMSTransp", &B::BCICMSTransp, C::ConverteValor),
    M("365-000", "AliquotaIcmsTransp", &B::AliquotaIcmsTransp, C::ConverteValor),
    M("366-000", "ValorICMSTransp", &B::ValorICMSTransp, C::ConverteValor),
    T("367-000", "CFOPTransp", &B::CFOPTransp),
    M("368-000", "ValorServicoMCC", &B::ValorServicoMCC, C::ConverteValor),
}};

}  // namespace

std::span<const CampoCabecalho> CamposCabecalho() { return kCampos; }

void CopiaCabecalho(TabelasSolicitacao& tabelas, const BufferCabecalho& cabecalho, SolicitacaoAtual& atual) {
  data::Recordset& nota = tabelas.TabelaNota;
  for (const CampoCabecalho& campo : CamposCabecalho()) {
    if (campo.texto != nullptr) {
      nota.SetValue(campo.coluna, Valor(cabecalho.*campo.texto));
    } else if (campo.moeda != nullptr) {
      nota.SetValue(campo.coluna, Valor(cabecalho.*campo.moeda));
    } else {
      nota.SetValue(campo.coluna, Valor(cabecalho.*campo.inteiro));
    }
    if (campo.texto == &BufferCabecalho::CodMunEmp) atual.gCodigoUfEmitente = Left(cabecalho.CodMunEmp, 2);
  }
}

}  // namespace velant
