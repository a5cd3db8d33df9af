#pragma once
// The checks behind the rules of regras_autoridade.cpp, by family. Each
// answers nothing when the document keeps its rule, or the values that
// break it ("item 2: vProd 100.00; qCom x vUnCom = 99.90").
#include <chrono>
#include <optional>
#include <string>

#include "component/regras/regras_documento.h"

namespace velant::regras {

struct ContextoRegras {
  std::chrono::system_clock::time_point agora;   // the moment of receipt
  std::string autorizador;                       // "" the state's, "SVC-AN" or "SVC-RS"
};

using Detalhe = std::optional<std::string>;
using Verificacao = Detalhe (*)(const NFeLida&, const ContextoRegras&);

inline std::string NoItem(const ItemLido& item) { return "item " + item.nItem + ": "; }

// Access key, identification, dates and homologation (regras_identificacao.cpp).
Detalhe ChaveDigitoVerificador(const NFeLida&, const ContextoRegras&);
Detalhe ChaveMesEmissao(const NFeLida&, const ContextoRegras&);
Detalhe ChaveComposicao(const NFeLida&, const ContextoRegras&);
Detalhe UfEmitenteAutorizadora(const NFeLida&, const ContextoRegras&);
Detalhe MunicipioFatoGeradorDigito(const NFeLida&, const ContextoRegras&);
Detalhe MunicipioFatoGeradorUf(const NFeLida&, const ContextoRegras&);
Detalhe EmissaoNoFuturo(const NFeLida&, const ContextoRegras&);
Detalhe SaidaAntesDaEmissao(const NFeLida&, const ContextoRegras&);
Detalhe JustificativaSemContingencia(const NFeLida&, const ContextoRegras&);
Detalhe ContingenciaSvc(const NFeLida&, const ContextoRegras&);
Detalhe TipoEmissaoDaSvc(const NFeLida&, const ContextoRegras&);
Detalhe ContingenciaSemJustificativa(const NFeLida&, const ContextoRegras&);
Detalhe ContingenciaOffLine(const NFeLida&, const ContextoRegras&);
Detalhe FormatoDanfe(const NFeLida&, const ContextoRegras&);
Detalhe DestinatarioHomologacao(const NFeLida&, const ContextoRegras&);
Detalhe GrupoPagamento(const NFeLida&, const ContextoRegras&);

// Issuer, recipient, authorised readers and carrier (regras_participantes.cpp).
Detalhe CnpjEmitente(const NFeLida&, const ContextoRegras&);
Detalhe CpfEmitente(const NFeLida&, const ContextoRegras&);
Detalhe MunicipioEmitenteDigito(const NFeLida&, const ContextoRegras&);
Detalhe MunicipioEmitenteUf(const NFeLida&, const ContextoRegras&);
Detalhe SemDestinatario(const NFeLida&, const ContextoRegras&);
Detalhe CnpjDestinatario(const NFeLida&, const ContextoRegras&);
Detalhe CpfDestinatario(const NFeLida&, const ContextoRegras&);
Detalhe ExteriorSemIdEstrangeiro(const NFeLida&, const ContextoRegras&);
Detalhe ExteriorComCnpj(const NFeLida&, const ContextoRegras&);
Detalhe InterestadualSemDocumento(const NFeLida&, const ContextoRegras&);
Detalhe EstrangeiroInternoNaoFinal(const NFeLida&, const ContextoRegras&);
Detalhe DestinatarioSemNome(const NFeLida&, const ContextoRegras&);
Detalhe DestinatarioSemEndereco(const NFeLida&, const ContextoRegras&);
Detalhe MunicipioDestinatarioDigito(const NFeLida&, const ContextoRegras&);
Detalhe MunicipioDestinatarioUf(const NFeLida&, const ContextoRegras&);
Detalhe ExteriorMunicipio(const NFeLida&, const ContextoRegras&);
Detalhe ExteriorPais(const NFeLida&, const ContextoRegras&);
Detalhe PaisForaDoExterior(const NFeLida&, const ContextoRegras&);
Detalhe ExteriorContribuinte(const NFeLida&, const ContextoRegras&);
Detalhe ExteriorComIe(const NFeLida&, const ContextoRegras&);
Detalhe IsentoComIe(const NFeLida&, const ContextoRegras&);
Detalhe ContribuinteSemIe(const NFeLida&, const ContextoRegras&);
Detalhe NaoContribuinteSemConsumidorFinal(const NFeLida&, const ContextoRegras&);
Detalhe CnpjAutorizado(const NFeLida&, const ContextoRegras&);
Detalhe CpfAutorizado(const NFeLida&, const ContextoRegras&);
Detalhe CnpjTransportador(const NFeLida&, const ContextoRegras&);
Detalhe CpfTransportador(const NFeLida&, const ContextoRegras&);
Detalhe TransportadorSemUf(const NFeLida&, const ContextoRegras&);

// References, CFOP and destination, returns, fuel, export, tax regime
// (regras_operacao.cpp).
Detalhe DigitoChaveReferenciada(const NFeLida&, const ContextoRegras&);
Detalhe ChaveReferenciadaRepetida(const NFeLida&, const ContextoRegras&);
Detalhe CupomReferenciadoRepetido(const NFeLida&, const ContextoRegras&);
Detalhe DevolucaoSemReferencia(const NFeLida&, const ContextoRegras&);
Detalhe ComplementarDeOutroCnpj(const NFeLida&, const ContextoRegras&);
Detalhe ComplementarDeOutraUf(const NFeLida&, const ContextoRegras&);
Detalhe CfopEntradaEmSaida(const NFeLida&, const ContextoRegras&);
Detalhe CfopSaidaEmEntrada(const NFeLida&, const ContextoRegras&);
Detalhe CfopExteriorIdDest(const NFeLida&, const ContextoRegras&);
Detalhe CfopInterestadualIdDest(const NFeLida&, const ContextoRegras&);
Detalhe CfopInternoIdDest(const NFeLida&, const ContextoRegras&);
Detalhe CfopExteriorUf(const NFeLida&, const ContextoRegras&);
Detalhe ExteriorUf(const NFeLida&, const ContextoRegras&);
Detalhe InterestadualExterior(const NFeLida&, const ContextoRegras&);
Detalhe InterestadualMesmaUf(const NFeLida&, const ContextoRegras&);
Detalhe InternaOutraUf(const NFeLida&, const ContextoRegras&);
Detalhe CfopNaoDevolucao(const NFeLida&, const ContextoRegras&);
Detalhe CfopDevolucaoSemFinalidade(const NFeLida&, const ContextoRegras&);
Detalhe CombustivelSemGrupo(const NFeLida&, const ContextoRegras&);
Detalhe ExportacaoSemLocal(const NFeLida&, const ContextoRegras&);
Detalhe LocalSemExportacao(const NFeLida&, const ContextoRegras&);
Detalhe CstNoSimples(const NFeLida&, const ContextoRegras&);
Detalhe CsosnForaDoSimples(const NFeLida&, const ContextoRegras&);

// Values of each item (regras_itens.cpp).
Detalhe GtinComercial(const NFeLida&, const ContextoRegras&);
Detalhe GtinTributavel(const NFeLida&, const ContextoRegras&);
Detalhe ValorComercial(const NFeLida&, const ContextoRegras&);
Detalhe ValorTributavel(const NFeLida&, const ContextoRegras&);
Detalhe IcmsBaseAliquota(const NFeLida&, const ContextoRegras&);
Detalhe Icms51Operacao(const NFeLida&, const ContextoRegras&);
Detalhe Icms51Diferido(const NFeLida&, const ContextoRegras&);
Detalhe Icms51Diferenca(const NFeLida&, const ContextoRegras&);
Detalhe AliquotaImportado(const NFeLida&, const ContextoRegras&);
Detalhe ItemSemPis(const NFeLida&, const ContextoRegras&);
Detalhe ItemSemCofins(const NFeLida&, const ContextoRegras&);
Detalhe PercentualFcpZero(const NFeLida&, const ContextoRegras&);
Detalhe PercentualFcpStZero(const NFeLida&, const ContextoRegras&);
Detalhe ValorFcp(const NFeLida&, const ContextoRegras&);

// The totals against the items (regras_totais.cpp).
Detalhe TotalBaseIcms(const NFeLida&, const ContextoRegras&);
Detalhe TotalIcms(const NFeLida&, const ContextoRegras&);
Detalhe TotalIcmsDesonerado(const NFeLida&, const ContextoRegras&);
Detalhe TotalBaseSt(const NFeLida&, const ContextoRegras&);
Detalhe TotalSt(const NFeLida&, const ContextoRegras&);
Detalhe TotalProdutos(const NFeLida&, const ContextoRegras&);
Detalhe TotalFrete(const NFeLida&, const ContextoRegras&);
Detalhe TotalSeguro(const NFeLida&, const ContextoRegras&);
Detalhe TotalDesconto(const NFeLida&, const ContextoRegras&);
Detalhe TotalIi(const NFeLida&, const ContextoRegras&);
Detalhe TotalIpi(const NFeLida&, const ContextoRegras&);
Detalhe TotalPis(const NFeLida&, const ContextoRegras&);
Detalhe TotalCofins(const NFeLida&, const ContextoRegras&);
Detalhe TotalOutros(const NFeLida&, const ContextoRegras&);
Detalhe TotalTributos(const NFeLida&, const ContextoRegras&);
Detalhe TotalServicos(const NFeLida&, const ContextoRegras&);
Detalhe TotalNota(const NFeLida&, const ContextoRegras&);
Detalhe TotalFcp(const NFeLida&, const ContextoRegras&);
Detalhe TotalFcpSt(const NFeLida&, const ContextoRegras&);
Detalhe TotalFcpStRetido(const NFeLida&, const ContextoRegras&);
Detalhe TotalIpiDevolvido(const NFeLida&, const ContextoRegras&);

// Layout 4.00 only: payment, billing, lots, presence (regras_leiaute4.cpp).
Detalhe PagamentoAusente(const NFeLida&, const ContextoRegras&);
Detalhe PagamentoNaoSemPagamento(const NFeLida&, const ContextoRegras&);
Detalhe ValorSemPagamento(const NFeLida&, const ContextoRegras&);
Detalhe OutrosSemDescricao(const NFeLida&, const ContextoRegras&);
Detalhe PagamentosMenoresQueNota(const NFeLida&, const ContextoRegras&);
Detalhe PagamentosMaioresSemTroco(const NFeLida&, const ContextoRegras&);
Detalhe TrocoIncorreto(const NFeLida&, const ContextoRegras&);
Detalhe FaturaIncompleta(const NFeLida&, const ContextoRegras&);
Detalhe DescontoMaiorQueFatura(const NFeLida&, const ContextoRegras&);
Detalhe LiquidoDaFatura(const NFeLida&, const ContextoRegras&);
Detalhe FaturaMaiorQueNota(const NFeLida&, const ContextoRegras&);
Detalhe NumeroDaParcela(const NFeLida&, const ContextoRegras&);
Detalhe VencimentoAntesDaEmissao(const NFeLida&, const ContextoRegras&);
Detalhe VencimentoForaDeOrdem(const NFeLida&, const ContextoRegras&);
Detalhe SomaDasParcelas(const NFeLida&, const ContextoRegras&);
Detalhe FabricacaoFutura(const NFeLida&, const ContextoRegras&);
Detalhe ValidadeAntesDaFabricacao(const NFeLida&, const ContextoRegras&);
Detalhe ForaDoEstabelecimentoSemReferencia(const NFeLida&, const ContextoRegras&);

// Layout 4.00, tax reform groups (regras_reforma.cpp).
Detalhe IbsCbsAusente(const NFeLida&, const ContextoRegras&);
Detalhe ClassificacaoForaDoCst(const NFeLida&, const ContextoRegras&);
Detalhe GrupoIbsCbsDoCst(const NFeLida&, const ContextoRegras&);
Detalhe ReducaoDoCst(const NFeLida&, const ContextoRegras&);
Detalhe DiferimentoDoCst(const NFeLida&, const ContextoRegras&);
Detalhe ReducaoDaClassificacao(const NFeLida&, const ContextoRegras&);
Detalhe AliquotaIbsUf(const NFeLida&, const ContextoRegras&);
Detalhe AliquotaIbsMun(const NFeLida&, const ContextoRegras&);
Detalhe AliquotaCbs(const NFeLida&, const ContextoRegras&);
Detalhe ValorIbsCbsItem(const NFeLida&, const ContextoRegras&);
Detalhe TotalIbsUf(const NFeLida&, const ContextoRegras&);
Detalhe TotalIbsCbs(const NFeLida&, const ContextoRegras&);
Detalhe TotalIs(const NFeLida&, const ContextoRegras&);
Detalhe TotalComTributos(const NFeLida&, const ContextoRegras&);

}  // namespace velant::regras
