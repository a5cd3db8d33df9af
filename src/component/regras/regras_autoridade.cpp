#include "component/regras/regras_autoridade.h"

#include <optional>

#include "base/arquivos.h"
#include "base/erro.h"
#include "component/xml/arvore_recente.h"
#include "component/xml/autoridade_xml.h"
#include "component/regras/regras_documento.h"
#include "component/regras/regras_verificacoes.h"

namespace velant::regras {

namespace {

// Where each rule is stated: the taxpayer's manual (MOC) of layout 3.10,
// annex I, by group of the layout, and the technical notes (NT) that added
// rules to it.
constexpr const char* kChave = "MOC 6.00, Anexo I, grupo A (Id, chave de acesso)";
constexpr const char* kIde = "MOC 6.00, Anexo I, grupo B (ide)";
constexpr const char* kIde310 = "NT 2013.005, grupo B (ide)";
constexpr const char* kEmit = "MOC 6.00, Anexo I, grupo C (emit)";
constexpr const char* kDest = "MOC 6.00, Anexo I, grupo E (dest)";
constexpr const char* kDest310 = "NT 2013.005, grupo E (dest)";
constexpr const char* kAutXml = "NT 2013.005, grupo GA (autXML)";
constexpr const char* kProd = "MOC 6.00, Anexo I, grupo I (prod)";
constexpr const char* kProd310 = "NT 2013.005, grupo I (prod)";
constexpr const char* kComb = "MOC 6.00, Anexo I, grupo LA (comb)";
constexpr const char* kIcms = "MOC 6.00, Anexo I, grupo N (ICMS)";
constexpr const char* kIcms51 = "NT 2013.005, grupo N (ICMS51, diferimento)";
constexpr const char* kIcmsImportado = "Resolução do Senado 13/2012; MOC 6.00, Anexo I, grupo N (ICMS)";
constexpr const char* kPisCofins = "NT 2013.005, grupos Q (PIS) e S (COFINS)";
constexpr const char* kTotal = "MOC 6.00, Anexo I, grupo W (total)";
constexpr const char* kTotal310 = "NT 2013.005, grupo W (total)";
constexpr const char* kTotTrib = "NT 2013.003 (Lei 12.741/2012), grupo W (total)";
constexpr const char* kTransp = "MOC 6.00, Anexo I, grupo X (transp)";
constexpr const char* kPag = "NT 2013.005, grupo YA (pag)";
constexpr const char* kExporta = "MOC 6.00, Anexo I, grupo ZA (exporta)";
// Layout 4.00.
constexpr const char* kIde400 = "NT 2016.002, grupo B (ide)";
constexpr const char* kRastro400 = "NT 2016.002, grupo I80 (rastro)";
constexpr const char* kFcp400 = "NT 2016.002, grupo N (ICMS, FCP)";
constexpr const char* kTotal400 = "NT 2016.002, grupo W (total)";
constexpr const char* kCobr400 = "NT 2016.002, grupo Y (cobr)";
constexpr const char* kPag400 = "NT 2016.002, grupo YA (pag)";
constexpr const char* kPag2020 = "NT 2020.006, grupo YA (pag)";
// Tax reform (IBS, CBS, IS). Where the note's rejection code was not found,
// the code is this system's own, in 1901 to 1909, and says so.
constexpr const char* kRtcSimples = "NT 2025.002-RTC v1.20 a v1.34, regra UB12-10 (CRT 1, 2 e 4 desde 04/01/2027)";
constexpr const char* kRtc = "NT 2025.002-RTC v1.34, grupo UB (IBSCBS)";
constexpr const char* kRtcProprio = "NT 2025.002-RTC v1.34, grupo UB (IBSCBS); código próprio";
constexpr const char* kRtcTotal = "NT 2025.002-RTC v1.34, grupo W (IBSCBSTot)";
constexpr const char* kRtcTotalProprio = "NT 2025.002-RTC v1.34, grupo W (IBSCBSTot, ISTot, vNFTot); código próprio";

struct Regra {
  RegraAutoridade regra;
  Verificacao verifica;
};

using F = Familia;

const std::vector<Regra>& Regras() {
  static const std::vector<Regra> tabela = {
      // The key and the identification.
      {{236, "Rejeição: Chave de Acesso com dígito verificador inválido", kChave, F::ChaveAcesso},
       ChaveDigitoVerificador},
      {{561, "Rejeição: Mês de Emissão informado na Chave de Acesso difere do Mês de Emissão da NF-e", kChave,
        F::ChaveAcesso},
       ChaveMesEmissao},
      {{502,
        "Rejeição: Erro na Chave de Acesso - Campo Id não corresponde à concatenação dos campos correspondentes",
        kChave, F::ChaveAcesso},
       ChaveComposicao},
      {{247, "Rejeição: Sigla da UF do Emitente diverge da UF autorizadora", kEmit, F::ChaveAcesso},
       UfEmitenteAutorizadora},
      {{270, "Rejeição: Código Município do Fato Gerador: dígito inválido", kIde, F::DigitosVerificadores},
       MunicipioFatoGeradorDigito},
      {{271, "Rejeição: Código Município do Fato Gerador: difere da UF do emitente", kIde, F::DigitosVerificadores},
       MunicipioFatoGeradorUf},
      {{703, "Rejeição: Data-Hora de Emissão posterior ao horário de recebimento", kIde310, F::Emissao},
       EmissaoNoFuturo},
      {{506, "Rejeição: Data de Saída menor que a Data de Emissão", kIde, F::Emissao}, SaidaAntesDaEmissao},
      {{556, "Rejeição: Justificativa de entrada em contingência não deve ser informada para tipo de emissão normal",
        kIde, F::Emissao},
       JustificativaSemContingencia},
      {{570, "Rejeição: Tipo de Emissão 3, 6 ou 7 só é válido nas contingências SCAN/SVC", kIde, F::Emissao},
       ContingenciaSvc},
      {{713, "Rejeição: Tipo de Emissão diferente de 6 ou 7 para contingência da SVC acessada", kIde, F::Emissao},
       TipoEmissaoDaSvc},
      {{557, "Rejeição: A Justificativa de entrada em contingência deve ser informada", kIde, F::Emissao},
       ContingenciaSemJustificativa},
      {{711, "Rejeição: NF-e com contingência off-line", kIde310, F::Emissao}, ContingenciaOffLine},
      {{710, "Rejeição: NF-e com formato de DANFE inválido", kIde310, F::Emissao}, FormatoDanfe},
      {{598,
        "Rejeição: NF-e emitida em ambiente de homologação com Razão Social do destinatário diferente de "
        "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL",
        kDest, F::Homologacao},
       DestinatarioHomologacao},
      // Referenced documents and returns.
      {{547, "Rejeição: Dígito Verificador da Chave de Acesso da NF-e Referenciada inválido", kIde,
        F::DigitosVerificadores},
       DigitoChaveReferenciada},
      {{680, "Rejeição: Duplicidade de NF-e referenciada (Chave de Acesso referenciada mais de uma vez)", kIde310,
        F::Devolucao},
       ChaveReferenciadaRepetida},
      {{684, "Rejeição: Duplicidade de Cupom Fiscal referenciado (Modelo, Número de Ordem e COO)", kIde310,
        F::Devolucao},
       CupomReferenciadoRepetido},
      {{321, "Rejeição: NF-e de devolução de mercadoria não possui documento fiscal referenciado", kIde310,
        F::Devolucao},
       DevolucaoSemReferencia},
      {{269, "Rejeição: CNPJ Emitente da NF Complementar difere do CNPJ da NF Referenciada", kIde, F::Devolucao},
       ComplementarDeOutroCnpj},
      {{678, "Rejeição: NF referenciada com UF diferente da NF-e complementar", kIde310, F::Devolucao},
       ComplementarDeOutraUf},
      {{864,
        "Rejeição: NF-e com indicativo de Operação presencial, fora do estabelecimento e não informada NF "
        "referenciada",
        kIde400, F::Devolucao},
       ForaDoEstabelecimentoSemReferencia},
      // The issuer.
      {{207, "Rejeição: CNPJ do emitente inválido", kEmit, F::DigitosVerificadores}, CnpjEmitente},
      {{401, "Rejeição: CPF do remetente inválido", kEmit, F::DigitosVerificadores}, CpfEmitente},
      {{272, "Rejeição: Código Município do Emitente: dígito inválido", kEmit, F::DigitosVerificadores},
       MunicipioEmitenteDigito},
      {{273, "Rejeição: Código Município do Emitente: difere da UF do emitente", kEmit, F::DigitosVerificadores},
       MunicipioEmitenteUf},
      // The recipient.
      {{719, "Rejeição: NF-e sem a identificação do destinatário", kDest310, F::Destinatario}, SemDestinatario},
      {{208, "Rejeição: CNPJ do destinatário inválido", kDest, F::DigitosVerificadores}, CnpjDestinatario},
      {{237, "Rejeição: CPF do destinatário inválido", kDest, F::DigitosVerificadores}, CpfDestinatario},
      {{720, "Rejeição: Na operação com Exterior deve ser informada tag idEstrangeiro", kDest310, F::Destinatario},
       ExteriorSemIdEstrangeiro},
      {{507, "Rejeição: O CNPJ do destinatário/remetente não deve ser informado em operação com o exterior", kDest,
        F::Destinatario},
       ExteriorComCnpj},
      {{721, "Rejeição: Operação interestadual deve informar CNPJ ou CPF", kDest310, F::Destinatario},
       InterestadualSemDocumento},
      {{722, "Rejeição: Operação interna com idEstrangeiro informado deve ser para consumidor final", kDest310,
        F::Destinatario},
       EstrangeiroInternoNaoFinal},
      {{724, "Rejeição: NF-e sem o nome do destinatário", kDest310, F::Destinatario}, DestinatarioSemNome},
      {{726, "Rejeição: NF-e sem a informação de endereço do destinatário", kDest310, F::Destinatario},
       DestinatarioSemEndereco},
      {{274, "Rejeição: Código Município do Destinatário: dígito inválido", kDest, F::DigitosVerificadores},
       MunicipioDestinatarioDigito},
      {{275, "Rejeição: Código Município do Destinatário: difere da UF do Destinatário", kDest,
        F::DigitosVerificadores},
       MunicipioDestinatarioUf},
      {{509, "Rejeição: Informado código de município diferente de \"9999999\" para operação com o exterior", kDest,
        F::Destinatario},
       ExteriorMunicipio},
      {{510, "Rejeição: Operação com Exterior e Código País destinatário é 1058 (Brasil) ou não informado", kDest,
        F::Destinatario},
       ExteriorPais},
      {{511, "Rejeição: Não é de Operação com Exterior e Código País destinatário difere de 1058 (Brasil)", kDest,
        F::Destinatario},
       PaisForaDoExterior},
      {{790, "Rejeição: Operação com Exterior para destinatário Contribuinte de ICMS", kDest310, F::Destinatario},
       ExteriorContribuinte},
      {{792, "Rejeição: Informada a IE do destinatário para operação com destinatário no Exterior", kDest310,
        F::Destinatario},
       ExteriorComIe},
      {{791, "Rejeição: NF-e com indicação de destinatário isento de IE, com a informação da IE do destinatário",
        kDest310, F::Destinatario},
       IsentoComIe},
      {{728, "Rejeição: NF-e sem informação da IE do destinatário", kDest310, F::Destinatario}, ContribuinteSemIe},
      {{696, "Rejeição: Operação com não contribuinte deve indicar operação com consumidor final", kDest310,
        F::Destinatario},
       NaoContribuinteSemConsumidorFinal},
      // Authorised readers.
      {{323, "Rejeição: CNPJ autorizado para download inválido", kAutXml, F::DigitosVerificadores}, CnpjAutorizado},
      {{325, "Rejeição: CPF autorizado para download inválido", kAutXml, F::DigitosVerificadores}, CpfAutorizado},
      // The items: codes, direction and destination, returns, fuel, regime.
      {{611, "Rejeição: cEAN inválido", kProd, F::DigitosVerificadores}, GtinComercial},
      {{612, "Rejeição: cEANTrib inválido", kProd, F::DigitosVerificadores}, GtinTributavel},
      {{518, "Rejeição: CFOP de entrada para NF-e de saída", kProd, F::Destino}, CfopEntradaEmSaida},
      {{519, "Rejeição: CFOP de saída para NF-e de entrada", kProd, F::Destino}, CfopSaidaEmEntrada},
      {{731, "Rejeição: CFOP de operação com Exterior e idDest <> 3", kProd310, F::Destino}, CfopExteriorIdDest},
      {{732, "Rejeição: CFOP de operação interestadual e idDest <> 2", kProd310, F::Destino},
       CfopInterestadualIdDest},
      {{733, "Rejeição: CFOP de operação interna e idDest <> 1", kProd310, F::Destino}, CfopInternoIdDest},
      {{520, "Rejeição: CFOP de Operação com Exterior e UF destinatário difere de EX", kProd, F::Destino},
       CfopExteriorUf},
      {{727, "Rejeição: Operação com Exterior e UF diferente de EX", kIde310, F::Destino}, ExteriorUf},
      {{771, "Rejeição: Operação Interestadual e UF de destino com EX", kIde310, F::Destino}, InterestadualExterior},
      {{772, "Rejeição: Operação Interestadual e UF de destino igual à UF do emitente", kIde310, F::Destino},
       InterestadualMesmaUf},
      {{773, "Rejeição: Operação Interna e UF de destino difere da UF do emitente", kIde310, F::Destino},
       InternaOutraUf},
      {{327, "Rejeição: CFOP inválido para NF-e com finalidade de devolução", kProd310, F::Devolucao},
       CfopNaoDevolucao},
      {{328, "Rejeição: CFOP de devolução para NF-e que não tem finalidade de devolução", kProd310, F::Devolucao},
       CfopDevolucaoSemFinalidade},
      {{660, "Rejeição: CFOP de Combustível e não informado grupo de combustível da NF-e", kComb, F::Combustivel},
       CombustivelSemGrupo},
      {{590, "Rejeição: Informado CST para emissor do Simples Nacional (CRT=1)", kIcms, F::Regime}, CstNoSimples},
      {{591, "Rejeição: Informado CSOSN para emissor que não é do Simples Nacional (CRT diferente de 1)", kIcms,
        F::Regime},
       CsosnForaDoSimples},
      // The values of each item.
      {{629,
        "Rejeição: Valor do Produto difere do produto Valor Unitário de Comercialização e Quantidade Comercial",
        kProd310, F::ValoresItem},
       ValorComercial},
      {{630, "Rejeição: Valor do Produto difere do produto Valor Unitário de Tributação e Quantidade Tributável",
        kProd310, F::ValoresItem},
       ValorTributavel},
      {{528, "Rejeição: Valor do ICMS difere do produto BC e Alíquota", kIcms, F::ValoresItem}, IcmsBaseAliquota},
      {{351, "Rejeição: Valor do ICMS da Operação no CST=51 difere do produto BC e Alíquota", kIcms51,
        F::ValoresItem},
       Icms51Operacao},
      {{352,
        "Rejeição: Valor do ICMS Diferido no CST=51 difere do produto Valor ICMS Operação e percentual diferimento",
        kIcms51, F::ValoresItem},
       Icms51Diferido},
      {{353, "Rejeição: Valor do ICMS no CST=51 não corresponde a diferença do ICMS operação e ICMS diferido",
        kIcms51, F::ValoresItem},
       Icms51Diferenca},
      {{663,
        "Rejeição: Alíquota do ICMS com valor superior a 4 por cento na operação de saída interestadual com "
        "produtos importados",
        kIcmsImportado, F::ValoresItem},
       AliquotaImportado},
      {{745, "Rejeição: NF-e sem grupo do PIS", kPisCofins, F::ValoresItem}, ItemSemPis},
      {{748, "Rejeição: NF-e sem grupo da COFINS", kPisCofins, F::ValoresItem}, ItemSemCofins},
      {{880, "Rejeição: Percentual de FCP igual a zero", kFcp400, F::ValoresItem}, PercentualFcpZero},
      {{881, "Rejeição: Percentual de FCPST igual a zero", kFcp400, F::ValoresItem}, PercentualFcpStZero},
      {{860, "Rejeição: Valor do FCP informado difere de base de cálculo*alíquota", kFcp400, F::ValoresItem},
       ValorFcp},
      {{877, "Rejeição: Data de fabricação maior que a data de processamento", kRastro400, F::ValoresItem},
       FabricacaoFutura},
      {{870, "Rejeição: Data de validade incompatível com data de fabricação", kRastro400, F::ValoresItem},
       ValidadeAntesDaFabricacao},
      // The totals.
      {{531, "Rejeição: Total da BC ICMS difere do somatório dos itens", kTotal, F::Totais}, TotalBaseIcms},
      {{532, "Rejeição: Total do ICMS difere do somatório dos itens", kTotal, F::Totais}, TotalIcms},
      {{795, "Rejeição: Total do ICMS desonerado difere do somatório dos itens", kTotal310, F::Totais},
       TotalIcmsDesonerado},
      {{533, "Rejeição: Total da BC ICMS-ST difere do somatório dos itens", kTotal, F::Totais}, TotalBaseSt},
      {{534, "Rejeição: Total do ICMS-ST difere do somatório dos itens", kTotal, F::Totais}, TotalSt},
      {{564, "Rejeição: Total do Produto / Serviço difere do somatório dos itens", kTotal, F::Totais},
       TotalProdutos},
      {{535, "Rejeição: Total do Frete difere do somatório dos itens", kTotal, F::Totais}, TotalFrete},
      {{536, "Rejeição: Total do Seguro difere do somatório dos itens", kTotal, F::Totais}, TotalSeguro},
      {{537, "Rejeição: Total do Desconto difere do somatório dos itens", kTotal, F::Totais}, TotalDesconto},
      {{601, "Rejeição: Total do II difere do somatório dos itens", kTotal, F::Totais}, TotalIi},
      {{538, "Rejeição: Total do IPI difere do somatório dos itens", kTotal, F::Totais}, TotalIpi},
      {{602, "Rejeição: Total do PIS difere do somatório dos itens sujeitos ao ICMS", kTotal, F::Totais}, TotalPis},
      {{603, "Rejeição: Total do COFINS difere do somatório dos itens sujeitos ao ICMS", kTotal, F::Totais},
       TotalCofins},
      {{604, "Rejeição: Total do vOutro difere do somatório dos itens", kTotal, F::Totais}, TotalOutros},
      {{685, "Rejeição: Total do Valor Aproximado dos Tributos difere do somatório dos itens", kTotTrib, F::Totais},
       TotalTributos},
      {{605, "Rejeição: Total do vServ difere do somatório do vProd dos itens sujeitos ao ISSQN", kTotal, F::Totais},
       TotalServicos},
      {{861, "Rejeição: Total do FCP difere do somatório dos itens", kTotal400, F::Totais}, TotalFcp},
      {{862, "Rejeição: Total do FCP ST difere do somatório dos itens", kTotal400, F::Totais}, TotalFcpSt},
      {{859, "Rejeição: Total do FCP retido anteriormente por Substituição Tributária difere do somatório dos itens",
        kTotal400, F::Totais},
       TotalFcpStRetido},
      {{863, "Rejeição: Total do IPI devolvido difere do somatório dos itens", kTotal400, F::Totais},
       TotalIpiDevolvido},
      {{610, "Rejeição: Total da NF difere do somatório dos Valores compõe o valor Total da NF.", kTotal, F::Totais},
       TotalNota},
      // The billing of layout 4.00.
      {{905, "Rejeição: Campos do grupo Fatura não informados", kCobr400, F::Totais}, FaturaIncompleta},
      {{901, "Rejeição: Valor do Desconto da Fatura maior que Valor Original da Fatura", kCobr400, F::Totais},
       DescontoMaiorQueFatura},
      {{902, "Rejeição: Valor Liquido da Fatura difere do Valor Original menos o Valor do Desconto", kCobr400,
        F::Totais},
       LiquidoDaFatura},
      {{897, "Rejeição: Valor Fatura maior que Valor Total da NF-e", kCobr400, F::Totais}, FaturaMaiorQueNota},
      {{852, "Rejeição: Número da parcela inválido ou não informado", kCobr400, F::Totais}, NumeroDaParcela},
      {{900, "Rejeição: Data de vencimento da parcela não informada ou menor que Data de Emissão", kCobr400,
        F::Totais},
       VencimentoAntesDaEmissao},
      {{850,
        "Rejeição: Data de vencimento da parcela não informada ou menor que a Data de vencimento da parcela "
        "anterior",
        kCobr400, F::Totais},
       VencimentoForaDeOrdem},
      {{851, "Rejeição: Soma do valor das parcelas difere do Valor Líquido da Fatura", kCobr400, F::Totais},
       SomaDasParcelas},
      // The tax reform groups of layout 4.00.
      {{1115, "Rejeição: IBS/CBS não informado", kRtcSimples, F::Regime}, IbsCbsAusente},
      {{1901, "Rejeição: cClassTrib não pertence ao CST do IBS/CBS", kRtcProprio, F::ValoresItem},
       ClassificacaoForaDoCst},
      {{1902, "Rejeição: Grupo gIBSCBS informado ou ausente em desacordo com o CST", kRtcProprio, F::ValoresItem},
       GrupoIbsCbsDoCst},
      {{1903, "Rejeição: Grupo de redução de alíquota (gRed) em desacordo com o CST", kRtcProprio, F::ValoresItem},
       ReducaoDoCst},
      {{1904, "Rejeição: Grupo de diferimento (gDif) em desacordo com o CST", kRtcProprio, F::ValoresItem},
       DiferimentoDoCst},
      {{1905, "Rejeição: Percentual de redução de alíquota difere do cClassTrib", kRtcProprio, F::ValoresItem},
       ReducaoDaClassificacao},
      {{1035, "Rejeição: Alíquota do IBS da UF inválida", "NT 2025.002-RTC v1.34, grupo UB (IBSCBS); código deduzido de 1036 e 1037", F::ValoresItem},
       AliquotaIbsUf},
      {{1036, "Rejeição: Alíquota do IBS do Município inválida", kRtc, F::ValoresItem}, AliquotaIbsMun},
      {{1037, "Rejeição: Alíquota da CBS inválida", kRtc, F::ValoresItem}, AliquotaCbs},
      {{1906, "Rejeição: Valor do IBS/CBS do item difere da base vezes a alíquota", kRtcProprio, F::ValoresItem},
       ValorIbsCbsItem},
      {{1080, "Rejeição: Total de IBS UF difere da soma dos itens", kRtcTotal, F::Totais}, TotalIbsUf},
      {{1907, "Rejeição: Totais do IBS/CBS diferem da soma dos itens", kRtcTotalProprio, F::Totais}, TotalIbsCbs},
      {{1908, "Rejeição: Total do Imposto Seletivo difere da soma dos itens", kRtcTotalProprio, F::Totais}, TotalIs},
      {{1909, "Rejeição: Valor total da NF-e com IBS/CBS difere de vNF mais vIBS e vCBS", kRtcTotalProprio,
        F::Totais},
       TotalComTributos},
      // Transport, payment and export.
      {{542, "Rejeição: CNPJ do Transportador inválido", kTransp, F::Transporte}, CnpjTransportador},
      {{543, "Rejeição: CPF do Transportador inválido", kTransp, F::Transporte}, CpfTransportador},
      {{559, "Rejeição: UF do Transportador não informada", kTransp, F::Transporte}, TransportadorSemUf},
      {{768, "Rejeição: NF-e não deve possuir o grupo de Formas de Pagamento", kPag, F::Emissao}, GrupoPagamento},
      {{769, "Rejeição: O grupo de Informações de Pagamento deve ser preenchido", kPag400, F::Emissao},
       PagamentoAusente},
      {{871, "Rejeição: O campo Meio de Pagamento deve ser preenchido com a opção Sem Pagamento", kPag400,
        F::Emissao},
       PagamentoNaoSemPagamento},
      {{904, "Rejeição: Informado indevidamente campo valor de pagamento", kPag400, F::Emissao}, ValorSemPagamento},
      {{441, "Rejeição: Descrição do pagamento obrigatória para meio de pagamento 99- outros", kPag2020,
        F::Emissao},
       OutrosSemDescricao},
      {{865, "Rejeição: Total dos pagamentos menor que o total da nota", kPag400, F::Emissao},
       PagamentosMenoresQueNota},
      {{866,
        "Rejeição: Ausência de troco quando o valor dos pagamentos informados for maior que o total da nota",
        kPag400, F::Emissao},
       PagamentosMaioresSemTroco},
      {{869, "Rejeição: Valor do troco incorreto", kPag400, F::Emissao}, TrocoIncorreto},
      {{355, "Rejeição: Informar o local de saída do Pais no caso da exportação", kExporta, F::Exportacao},
       ExportacaoSemLocal},
      {{356, "Rejeição: Informar o local de saída do Pais somente no caso da exportação", kExporta, F::Exportacao},
       LocalSemExportacao},
  };
  return tabela;
}

}  // namespace

const std::vector<RegraAutoridade>& TabelaRegras() {
  static const std::vector<RegraAutoridade> regras = [] {
    std::vector<RegraAutoridade> r;
    for (const auto& regra : Regras()) r.push_back(regra.regra);
    return r;
  }();
  return regras;
}

const RegraAutoridade* RegraPorCodigo(int codigo) {
  for (const auto& regra : TabelaRegras())
    if (regra.codigo == codigo) return &regra;
  return nullptr;
}

const char* NomeFamilia(Familia familia) {
  switch (familia) {
    case F::ChaveAcesso: return "ChaveAcesso";
    case F::Emissao: return "Emissao";
    case F::Homologacao: return "Homologacao";
    case F::DigitosVerificadores: return "DigitosVerificadores";
    case F::Destinatario: return "Destinatario";
    case F::Destino: return "Destino";
    case F::Devolucao: return "Devolucao";
    case F::Regime: return "Regime";
    case F::Combustivel: return "Combustivel";
    case F::Exportacao: return "Exportacao";
    case F::ValoresItem: return "ValoresItem";
    case F::Totais: return "Totais";
    case F::Transporte: return "Transporte";
  }
  return "";
}

std::optional<RegraViolada> VerificaRegras(const xmlNode* nfe, std::chrono::system_clock::time_point agora,
                                           const std::string& autorizador) {
  const NFeLida nota = LeNFe(nfe);
  const ContextoRegras contexto{agora, autorizador};
  for (const auto& [regra, verifica] : Regras()) {
    if (Detalhe detalhe = verifica(nota, contexto)) return RegraViolada{regra.codigo, regra.texto, *detalhe};
  }
  return std::nullopt;
}

std::optional<RegraViolada> VerificaRegrasArquivo(const std::filesystem::path& arquivo,
                                                  std::chrono::system_clock::time_point agora,
                                                  const std::string& autorizador) {
  const std::string texto = LerArquivo(arquivo, arquivo.string());
  // The last document signed here is usually this one, already as a tree.
  arvore_recente::Arvore arvore = arvore_recente::Procura(texto);
  std::optional<autoridade::DocumentoXml> lido;
  if (!arvore) lido.emplace(autoridade::DocumentoXml::Ler(texto, arquivo.string()));
  const xmlNode* raiz = arvore ? xmlDocGetRootElement(arvore.get()) : lido->Raiz();
  if (autoridade::NomeLocal(raiz) != "NFe" || autoridade::Filho(raiz, "infNFe") == nullptr)
    throw ErroExecucao(CodigoErro::ErroComponente, arquivo.string() + ": não é uma NF-e");
  return VerificaRegras(raiz, agora, autorizador);
}

}  // namespace velant::regras
