#pragma once
// The fiscal document component's operations that need no authority: the
// access key, the signature of a generated invoice, its schema validation
// and the batch file. The component delegates these to one instance, built
// on the Host's Contexto (base folder, registry, path mapper, log).
#include <cstdint>
#include <string>

namespace velant {

struct Contexto;

class OperacoesLocais {
 public:
  explicit OperacoesLocais(Contexto& ctx) : ctx_(ctx) {}

  // The 44-digit access key (see chave_acesso.h). Raises ErroExecucao
  // (ErroComponente) naming the field that does not fit.
  std::string GeraChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao,
                              const std::string& cnpj, int32_t modelo, int32_t serie, int32_t numero,
                              int32_t tipoEmissao, int32_t codigoNumerico);

  // Signs the element tag of the file (a Windows path) with the installation's
  // A1 certificate (registry "Certificado" and "SenhaCertificado"). For
  // "infNFe" the signed file is PastaBase\nfe\arquivos\assinado\NFe<key>-assinado.xml;
  // for another tag it is the input's name with "-assinado" in the same folder.
  // Returns "Arquivo assinado". Raises ErroExecucao (ErroComponente) on failure.
  std::string AssinaXml(const std::string& arquivo, const std::string& tag);

  // Validates the file (a Windows path) against a schema of the shipped set;
  // the first error goes to the log (file only) when registrarErro is true.
  bool ValidaXml(const std::string& arquivo, const std::string& esquema, bool registrarErro);

  // Writes the batch enviNFe in the invoice's layout (idLote; indSinc 0 in
  // 3.10, 1 in 4.00; the signed NFe kept byte for byte) at PastaBase\nfe\lotes\<12-digit number>-env-lot.xml and
  // returns that Windows path. Raises ErroExecucao (ErroComponente) on failure.
  std::string GeraLote(const std::string& arquivoAssinado, int32_t numeroLote);

  // PastaBase\nfe\arquivos\assinado\NFe<key>-assinado.xml
  std::string CaminhoAssinado(const std::string& chave) const;

 private:
  Contexto& ctx_;
};

}  // namespace velant
