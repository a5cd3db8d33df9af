#pragma once
// The authority's web services of layout 3.10 and where each state answers
// them. The addresses come from an endpoint file an installation can
// replace (dados/servicos-nfe.ini is the one shipped): one section per state
// and environment, "[SP-2]" (1 production, 2 homologation), one line per
// service name; "Autorizador=SVRS" sends a state to the section of the
// shared authority ("[SVRS-2]").
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace velant::autoridade {

enum class ServicoNFe { StatusServico, Autorizacao, RetAutorizacao, Consulta, RecepcaoEvento, Inutilizacao };

struct DescricaoServico {
  ServicoNFe servico;
  const char* nome;             // "NfeStatusServico2": key of the endpoint file, end of the WSDL namespace
  const char* operacao;         // "nfeStatusServicoNF2"
  const char* raizPedido;       // "consStatServ"
  const char* raizResposta;     // "retConsStatServ"
  const char* versaoDados;      // "3.10" ("1.00" for events)
  const char* esquemaPedido;    // "consStatServ_v3.10.xsd"
  const char* esquemaResposta;  // "retConsStatServ_v3.10.xsd"
};

const DescricaoServico& Descricao(ServicoNFe servico);
// By the root element of a request; null when no service takes it.
const DescricaoServico* DescricaoPorRaizPedido(std::string_view raiz);
// "http://www.portalfiscal.inf.br/nfe/wsdl/" + name.
std::string NamespaceWsdl(const DescricaoServico& d);
// The SOAP action: the WSDL namespace + "/" + the operation.
std::string AcaoSoap(const DescricaoServico& d);

// IBGE code of a state ("SP" -> "35"); "" when unknown.
std::string CodigoUf(std::string_view uf);

class TabelaServicos {
 public:
  // Raises ErroExecucao (ErroComponente) when the file cannot be read.
  static TabelaServicos Carregar(const std::filesystem::path& arquivo);
  static TabelaServicos DeTexto(const std::string& conteudo, const std::string& origem);

  // Address of the service for the state ("SP") and environment ("1"/"2").
  // Raises ErroExecucao (ErroComponente) saying which entry is missing.
  std::string Url(const std::string& uf, const std::string& ambiente, ServicoNFe servico) const;

 private:
  std::string origem_;
  std::map<std::string, std::map<std::string, std::string>> secoes_;   // upper-case section and key
};

// An endpoint file sending every state, in both environments, to one server
// ("https://127.0.0.1:8443"): what the simulator writes for tests and demos.
std::string TabelaServicosUnica(const std::string& urlBase);

// Where the endpoint file is: $VELANT_SERVICOS, else the registry value
// given (empty when absent), else the shipped dados/servicos-nfe.ini.
std::filesystem::path ArquivoServicos(const std::string& valorRegistro);

}  // namespace velant::autoridade
