#pragma once
// Enveloped XML signature of the fiscal documents (NF-e, cancellation event,
// number voiding), with the one profile the authority accepts: inclusive
// C14N 1.0 without comments, transforms enveloped-signature then C14N,
// SHA-1 digest, RSA-SHA1, KeyInfo/X509Data/X509Certificate with the signer's
// certificate only, Signature in the default xmldsig namespace as the next
// sibling of the signed element. No whitespace is added anywhere.
//
// Every function is safe to call from several threads at once.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace velant {

// An A1 certificate: the private key and the signer's certificate, loaded
// from a PKCS#12 file. Cheap to copy (shared, immutable).
class CertificadoA1 {
 public:
  struct Dados;   // key and certificate (OpenSSL objects), opaque here

  CertificadoA1() = default;
  explicit CertificadoA1(std::shared_ptr<const Dados> dados) : dados_(std::move(dados)) {}

  bool Carregado() const { return dados_ != nullptr; }
  // Subject in one line ("C=BR, O=ICP-Brasil, OU=Teste, CN=EMPRESA TESTE LTDA:11222333000181").
  std::string Assunto() const;
  // The holder's CNPJ (14 digits) from the subject, "" when it carries none.
  std::string Cnpj() const;
  // Last day of validity, "yyyy-mm-dd hh:mm:ss" (UTC).
  std::string ValidoAte() const;
  // The certificate, DER in base64 without line breaks (X509Certificate content).
  std::string CertificadoBase64() const;

  const Dados* Interno() const { return dados_.get(); }

 private:
  std::shared_ptr<const Dados> dados_;
};

// Loads a PKCS#12 (.pfx/.p12) file. Raises ErroExecucao (ErroComponente) with
// a readable reason: missing file, wrong password, no key or no certificate.
CertificadoA1 CarregarCertificadoA1(const std::filesystem::path& arquivoPfx, const std::string& senha);
// The same from the file's bytes.
CertificadoA1 CarregarCertificadoA1Memoria(const std::string& conteudoPfx, const std::string& senha);

// Signs the element named tagAssinada ("infNFe", "infEvento", "infInut"),
// which must carry an Id attribute, and returns the whole document with the
// Signature inserted after it: declaration <?xml version="1.0"
// encoding="UTF-8"?> then the root, without whitespace between them. The
// content of the signed element is kept as it was. Raises ErroExecucao
// (ErroComponente) when the XML does not parse, the element or its Id is
// missing, or it is already signed.
std::string AssinarXml(const std::string& xml, const std::string& tagAssinada, const CertificadoA1& certificado);
// Reads arquivoEntrada, signs it and writes arquivoSaida (folders created).
void AssinarArquivoXml(const std::filesystem::path& arquivoEntrada, const std::filesystem::path& arquivoSaida,
                       const std::string& tagAssinada, const CertificadoA1& certificado);

// What a signature check found, one per Signature element of the document.
struct InfoAssinatura {
  enum class Falha { Nenhuma, Estrutura, Perfil, Calculo, Cadeia };
  Falha falha = Falha::Nenhuma;   // Perfil: the profile above was not followed
                                  // (rejection 298); Calculo: digest or value
                                  // does not match (297); Estrutura: missing parts;
                                  // Cadeia: the key was not taken (with trusted
                                  // certificates: the certificate is not theirs)
  std::string referencia;         // URI of the Reference without "#" (the signed Id)
  std::string digestValue;        // base64, as written (protNFe/infProt/digVal)
  std::string assuntoCertificado; // subject of the embedded certificate
  std::string cnpjCertificado;    // CNPJ in that subject, "" when none
};

// Checks every Signature of the document: the profile above, the digest of
// the referenced element and the signature value against the embedded
// X509Certificate. With confiaveis (a PEM file of trusted certificates) the
// embedded certificate must also chain to one of them; without, its chain
// is not checked. True when there is at least one signature and all are
// sound; otherwise false and the first fault in *erro. infos (optional)
// receives one entry per signature, in document order.
bool VerificarAssinatura(const std::string& xml, std::string* erro,
                         std::vector<InfoAssinatura>* infos = nullptr,
                         const std::filesystem::path& confiaveis = {});

// The CNPJ of a certificate subject such as
// "CN=EMPRESA TESTE LTDA:11222333000181" (14 digits, or the alphanumeric
// form: 12 characters from 0-9 and A-Z, then 2 digits); "" when there is none.
std::string CnpjDoAssunto(const std::string& assunto);

}  // namespace velant
