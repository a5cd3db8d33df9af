#pragma once
// The fiscal document component the Host uses: the local operations (access
// key, signature, schema validation, batch file) go to OperacoesLocais; the
// remote ones talk to the tax authority through ClienteAutoridade. Settings
// come from the registry key "nfe": "UnidadeFederada", "UnidadeFederadaCodigo",
// "Ambiente", "CNPJ", "Certificado" (the .pfx; a Windows path is mapped),
// "SenhaCertificado", and optionally "ArquivoServicos" (endpoint file),
// "ArquivoAC" (CA bundle of the authority's servers), "TempoLimiteConexao",
// "TempoLimiteLeitura", "TempoLimiteTotal" (seconds; 10, 30 and 60 when absent),
// "CertificadosConfiaveis" (PEM file of the certificates the authority signs
// its answers under; when set, every answer carrying a protocol number must
// be signed under one of them), and "LeiauteNFe" ("4.00": the services of
// layout 4.00; else those of 3.10). A batch goes to the service of its own
// layout, and the distribution file is written in the invoice's.
#include <memory>
#include <optional>
#include <string>

#include "component/autoridade/cliente_autoridade.h"
#include "component/autoridade/conferencia_resposta.h"
#include "component/fiscal_doc_service.h"
#include "component/operacoes_locais.h"

namespace velant {

struct Contexto;

class ServicoDocumentoFiscal : public FiscalDocService {
 public:
  // Raises ErroExecucao (ErroComponente) when no certificate is configured.
  explicit ServicoDocumentoFiscal(Contexto& ctx);
  ~ServicoDocumentoFiscal() override;

  // Local: delegated as they are.
  std::string AssinaXml(const std::string& arquivo, const std::string& tag) override;
  std::string GeraLote(const std::string& arquivoAssinado, int32_t numeroLote) override;
  bool ValidaXml(const std::string& arquivo, const std::string& esquema, bool mostrarErro) override;
  std::string GeraChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao, const std::string& cnpj,
                              int32_t modelo, int32_t serie, int32_t numero, int32_t tipoEmissao,
                              int32_t codigoNumerico) override;

  // The remote operations return what the authority answered, read
  // (resposta_autoridade.h); textos_resposta.h has the texts for them. Every
  // protocol, event and voiding answered is checked first
  // (conferencia_resposta.h): what fails carries its reason in `recusa`.
  // Sends the batch file; when it was not received, its code and reason go
  // to the log file.
  RespostaLote EnviaLote(const std::string& arquivoLote) override;
  // The receipt query goes in the layout of the invoice being served
  // (LeiauteDaNota of ChaveAcessoSolicitada), never the registry's alone:
  // an invoice begun in one layout is finished in it.
  RespostaLote ConsultaLote(const std::string& numeroRecepcao) override;
  RespostaSituacao ConsultaSituacao(const std::string& chave) override;
  RespostaStatus StatusServico() override;
  RespostaRegistro EventoCancelamento(const std::string& numeroNF7, const std::string& chave,
                                      const std::string& sequencia, const std::string& protocolo,
                                      const std::string& justificativa) override;
  // Sent to the event service of the registry's layout (3.10 and 4.00 take
  // the same event); validated against evento-cce/envCCe_v1.00.xsd before.
  RespostaRegistro EventoCartaCorrecao(const std::string& chave, const std::string& sequencia,
                                       const std::string& correcao) override;
  // Reads the signed document of the key; the event is validated against
  // evento-epec/ before it goes, and its procEventoNFe against procEPEC.
  RespostaRegistro EventoEpec(const std::string& chave) override;
  // For the series of the request being served (SerieAtual).
  RespostaRegistro InutilizaNumeracao(const std::string& ano, const std::string& numeroInicial,
                                      const std::string& numeroFinal, const std::string& justificativa) override;
  // Writes PastaBase\nfe\arquivos\procNFe\<key>-procNFe.xml (the signed NFe
  // and the protNFe the authority answers for the key, valid against
  // procNFe_v3.10.xsd) and returns that path. Raises ErroExecucao when the
  // invoice is not authorised or its protocol is refused (its reason in the
  // text): nothing is written then.
  std::string GeraDistribuicao(const std::string& chave) override;

  // The DANFE of the distribution file (a Windows path is mapped). Mode 2
  // writes the PDF at arquivoPdf, atomically, and returns that path; mode 3
  // prints it on the registry's "ImpressoraDanfe" (empty: the default
  // destination), through a temporary PDF when arquivoPdf is empty, and
  // returns "Trabalho de impressão <job>". Raises ErroExecucao when the
  // invoice is not authorised, the file is refused (danfe_verificacao.h:
  // too large, off the schema, signature unsound), cannot be read or
  // written, or CUPS refuses (the printer and CUPS's reason in the text).
  std::string ImprimeDanfe(const std::string& arquivoDistribuicao, const std::string& arquivoPdf, int32_t modo,
                           int32_t reservado) override;
  // One mail through the SMTP server of the registry values "Email..." (read
  // at every call) to the address, or addresses separated by ";" or ",",
  // with the file (a Windows path is mapped) as its attachment. False, with
  // one log line naming the cause, when it was not sent.
  bool EnviaEmail(const std::string& destinatario, const std::string& assunto, const std::string& corpo,
                  const std::string& anexo) override;

 private:
  autoridade::ClienteAutoridade& Cliente();
  // The layout of the registry value "LeiauteNFe".
  autoridade::Leiaute LeiauteConfigurado() const;
  // The layout of the signed document of the key in PastaBase, if any.
  std::optional<autoridade::Leiaute> LeiauteDoAssinado(const std::string& chave) const;
  // The layout of the invoice of that key when its signed document is here
  // (an "NFE4.00" under a 3.10 registry is queried in 4.00), else that of
  // the invoice being served (ChaveAcessoSolicitada), else the registry's.
  autoridade::Leiaute LeiauteDaNota(const std::string& chave) const;
  // The situation answer (retConsSitNFe) for the key, in LeiauteDaNota.
  std::string ConsultaNaAutoridade(const std::string& chave);
  std::string Registro(const char* valor) const;
  // The trusted certificates ("CertificadosConfiaveis") and the documents sent.
  autoridade::RegrasConferencia Regras() const;
  // Checks a protocol the authority answered (conferencia_resposta.h); a
  // refusal goes to the log file with its detail.
  void Confere(std::optional<ProtocoloNFe>& protocolo);
  void AnotaRecusa(const std::string& recusa, const AssinaturaResposta& assinatura);
  // Signs infEvento of the envEvento, sends it and checks the answer.
  // With contingencia, to the contingency service (SVC) of the state.
  RespostaRegistro EnviaEvento(const std::string& envEvento, const std::string& chave, bool contingencia,
                               std::string& assinado);

  Contexto& ctx_;
  OperacoesLocais locais_;
  std::unique_ptr<autoridade::ClienteAutoridade> cliente_;
};

// The start of the error an event for a key with letters raises when the
// event schema in place takes only numeric ones (docs/integracao.md).
inline constexpr const char* kEventoSemCnpjAlfanumerico = "Esquema do evento não aceita CNPJ alfanumérico";

// "4.00" (blanks around it allowed) is layout 4.00; anything else 3.10.
autoridade::Leiaute LeiauteDoValor(const std::string& valorRegistro);

// The client's settings from the registry key "nfe" (see above).
autoridade::ConfiguracaoCliente LerConfiguracaoCliente(const Contexto& ctx);

// The factory the Host puts in Contexto::CriaFiscalDocService.
FabricaFiscalDocService FabricaServicoDocumentoFiscal(Contexto& ctx);

}  // namespace velant
