#pragma once
// What the DANFE prints, read from a distribution file (nfeProc: the signed
// NFe and the authority's protNFe). Values stay the texts of the document;
// danfe_formatos.h turns them into what the paper shows.
#include <string>
#include <vector>

namespace velant::danfe {

struct Endereco {
  std::string logradouro, numero, complemento, bairro, municipio, uf, cep, pais, fone;
};

struct Participante {
  std::string documento;   // CNPJ, CPF or the foreign id, digits as in the document
  std::string nome, fantasia, ie, iest, im;
  Endereco endereco;
};

struct Item {
  std::string numero;   // nItem
  std::string codigo, descricao, informacaoAdicional, ncm, cst, cfop, unidade;
  std::string quantidade, valorUnitario, valorTotal;
  std::string baseIcms, valorIcms, aliquotaIcms, valorIpi, aliquotaIpi;
};

struct Duplicata {
  std::string numero, vencimento, valor;
};

// pag/detPag (layout 4.00).
struct Pagamento {
  std::string forma, descricao, valor;   // tPag, xPag, vPag
};

struct Volume {
  std::string quantidade, especie, marca, numeracao, pesoLiquido, pesoBruto;
};

struct Totais {
  std::string baseIcms, valorIcms, baseIcmsSt, valorIcmsSt, produtos, frete, seguro, desconto, outras, ipi, nota,
      tributos;
  // ISSQNtot; present only when the invoice carries services under ISSQN.
  bool temIssqn = false;
  std::string servicos, baseIssqn, valorIssqn;
  // The poverty-fund totals of layout 4.00 (ICMSTot/vFCP, vFCPST).
  bool temFcp = false;
  std::string fcp, fcpSt;
};

struct Transporte {
  std::string modalidade;   // modFrete
  std::string documento, nome, ie, endereco, municipio, uf;
  std::string placa, ufPlaca, rntc;
  std::vector<Volume> volumes;
};

struct DadosDanfe {
  std::string chave;
  std::string ambiente;        // tpAmb
  std::string tipoImpressao;   // tpImp: 1 portrait, 2 landscape
  std::string tipoEmissao;     // tpEmis
  std::string tipoOperacao;    // tpNF: 0 entry, 1 exit
  std::string indicadorPagamento;
  std::string numero, serie, naturezaOperacao, emissao, saidaEntrada;   // emissao/saidaEntrada: TDateTimeUTC
  std::string contingencia, justificativaContingencia;
  std::string crt;
  Participante emitente, destinatario;
  std::vector<Item> itens;
  Totais totais;
  Transporte transporte;
  std::string fatura, faturaOriginal, faturaDesconto, faturaLiquido;
  std::vector<Duplicata> duplicatas;
  std::vector<Pagamento> pagamentos;   // layout 4.00; indicadorPagamento then from detPag
  std::string troco;                   // vTroco
  std::string informacoesFisco, informacoesComplementares;
  std::vector<std::string> observacoes;   // obsCont and obsFisco as "campo: texto"
  std::string protocolo, dataProtocolo;   // nProt, dhRecbto
  // An invoice of tpEmis 4 printed before its authorisation: the EPEC's
  // nProt and dhRegEvento (protocolo then empty).
  std::string protocoloEpec, dataProtocoloEpec;
};

// Reads the distribution file's text. Raises ErroExecucao (ErroComponente)
// when it is not XML, holds no NFe, or carries no authorisation protocol
// (protNFe with cStat 100 for this very key) nor a registered EPEC of the
// key (a procEventoNFe whose retEvento says 136): an invoice without one has
// no DANFE.
DadosDanfe LerDistribuicao(const std::string& xml);

}  // namespace velant::danfe
