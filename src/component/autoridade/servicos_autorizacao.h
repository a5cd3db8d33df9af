#pragma once
// The authority's web services of layouts 3.10 and 4.00 and where each state
// answers them. The addresses come from an endpoint file an installation can
// replace (dados/servicos-nfe.ini is the one shipped): one section per state
// and environment, "[SP-2]" (1 production, 2 homologation), one line per
// service name, the names of both layouts side by side; "Autorizador=SVRS"
// sends a state to the section of the shared authority ("[SVRS-2]"), and
// "ContingenciaSVC=SVC-AN" names the contingency authority that serves it.
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace velant::autoridade {

enum class ServicoNFe { StatusServico, Autorizacao, RetAutorizacao, Consulta, RecepcaoEvento, Inutilizacao };

// The layout of the messages: each has its own service names and schemas.
enum class Leiaute { V310, V400 };

struct DescricaoServico {
  ServicoNFe servico;
  const char* nome;             // "NfeStatusServico2": key of the endpoint file, end of the WSDL namespace
  const char* operacao;         // "nfeStatusServicoNF2"
  const char* raizPedido;       // "consStatServ"
  const char* raizResposta;     // "retConsStatServ"
  const char* versaoDados;      // "3.10" ("1.00" for events)
  const char* esquemaPedido;    // "consStatServ_v3.10.xsd"; 4.00: "PL_010e/consStatServ_v4.00.xsd"
  const char* esquemaResposta;  // "retConsStatServ_v3.10.xsd"
  Leiaute leiaute;
};

const DescricaoServico& Descricao(ServicoNFe servico, Leiaute leiaute = Leiaute::V310);
// By the root element of a request; null when no service takes it.
const DescricaoServico* DescricaoPorRaizPedido(std::string_view raiz, Leiaute leiaute = Leiaute::V310);
// By the service name ("NFeAutorizacao4", "NfeConsulta2"), in either
// layout; null when no service has it. The name tells the layout apart
// where the root element does not.
const DescricaoServico* DescricaoPorNome(std::string_view nome);
// "http://www.portalfiscal.inf.br/nfe/wsdl/" + name.
std::string NamespaceWsdl(const DescricaoServico& d);
// The SOAP action: the WSDL namespace + "/" + the operation.
std::string AcaoSoap(const DescricaoServico& d);
// "/ws/" + name + ".asmx": where the simulator serves the service.
std::string CaminhoServico(const DescricaoServico& d);
// The service served at that path (exact, case included); null when none.
const DescricaoServico* DescricaoPorCaminho(std::string_view caminho);
// Where the simulator serves an authority other than the state's: "/svc-an"
// for "SVC-AN" ("" for ""). AutorizadorDoCaminho takes such a prefix off the
// path and names its authority ("" for the state's own services).
std::string PrefixoAutorizador(std::string_view autorizador);
std::string AutorizadorDoCaminho(std::string_view& caminho);

// IBGE code of a state ("SP" -> "35"); "" when unknown.
std::string CodigoUf(std::string_view uf);

class TabelaServicos {
 public:
  // Raises ErroExecucao (ErroComponente) when the file cannot be read.
  static TabelaServicos Carregar(const std::filesystem::path& arquivo);
  static TabelaServicos DeTexto(const std::string& conteudo, const std::string& origem);

  // Address of the service for the state ("SP") and environment ("1"/"2").
  // Raises ErroExecucao (ErroComponente) saying which entry is missing.
  std::string Url(const std::string& uf, const std::string& ambiente, ServicoNFe servico,
                  Leiaute leiaute = Leiaute::V310) const;
  // Address of the 4.00 service at the contingency authority (SVC-AN or
  // SVC-RS) the state's section names. Raises like Url, also when the state
  // names none or the authority does not offer the service (number voiding).
  std::string UrlContingencia(const std::string& uf, const std::string& ambiente, ServicoNFe servico) const;
  // Address of the 4.00 service at the national environment (section
  // "[AN-<ambiente>]"): where an EPEC is registered. Raises like Url.
  std::string UrlAmbienteNacional(const std::string& ambiente, ServicoNFe servico) const;
  // The contingency authority the state's section names ("SVC-AN", "SVC-RS");
  // "" when it names none.
  std::string AutorizadorContingencia(const std::string& uf, const std::string& ambiente) const;

 private:
  // The section the state's authority answers in: its own, or the one its
  // "Autorizador" line names.
  std::string Secao(const std::string& uf, const std::string& ambiente) const;
  std::string Endereco(const std::string& uf, const std::string& ambiente, const std::string& secao,
                       const DescricaoServico& d) const;

  std::string origem_;
  std::map<std::string, std::map<std::string, std::string>> secoes_;   // upper-case section and key
};

// An endpoint file sending every state, the shared and contingency
// authorities and the national environment, in both environments and both
// layouts, to one server ("https://127.0.0.1:8443"): what the simulator
// writes for tests and demos.
std::string TabelaServicosUnica(const std::string& urlBase);

// Where the endpoint file is: $VELANT_SERVICOS, else the registry value
// given (empty when absent), else the shipped dados/servicos-nfe.ini.
std::filesystem::path ArquivoServicos(const std::string& valorRegistro);

}  // namespace velant::autoridade
