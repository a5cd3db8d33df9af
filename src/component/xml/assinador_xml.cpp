#include "component/xml/assinador_xml.h"

#include <xmlsec/xmlsec.h>

#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <xmlsec/errors.h>
#include <xmlsec/keys.h>
#include <xmlsec/keysmngr.h>
#include <xmlsec/openssl/app.h>
#include <xmlsec/openssl/crypto.h>
#include <xmlsec/openssl/evp.h>
#include <xmlsec/openssl/x509.h>
#include <xmlsec/templates.h>
#include <xmlsec/transforms.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmlsec.h>
#include <xmlsec/xmltree.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/arquivos.h"
#include "base/erro.h"
#include "component/xml/arvore_recente.h"
#include "component/xml/canonizacao_c14n.h"

namespace velant {

namespace {

constexpr const char* kNsDsig = "http://www.w3.org/2000/09/xmldsig#";
constexpr const char* kC14N = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
constexpr const char* kRsaSha1 = "http://www.w3.org/2000/09/xmldsig#rsa-sha1";
constexpr const char* kSha1 = "http://www.w3.org/2000/09/xmldsig#sha1";
constexpr const char* kEnveloped = "http://www.w3.org/2000/09/xmldsig#enveloped-signature";

[[noreturn]] void Falha(const std::string& descricao) { throw ErroExecucao(CodigoErro::ErroComponente, descricao); }

struct LiberaX509 { void operator()(X509* p) const { X509_free(p); } };
struct LiberaPkey { void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); } };
struct LiberaDoc { void operator()(xmlDoc* p) const { xmlFreeDoc(p); } };
struct LiberaDsig { void operator()(xmlSecDSigCtx* p) const { xmlSecDSigCtxDestroy(p); } };
struct LiberaMngr { void operator()(xmlSecKeysMngr* p) const { xmlSecKeysMngrDestroy(p); } };
struct LiberaChave { void operator()(xmlSecKey* p) const { xmlSecKeyDestroy(p); } };
using DocPtr = std::unique_ptr<xmlDoc, LiberaDoc>;

// The first message of the failing xmlsec call, per thread, instead of stderr.
thread_local std::string ultimoErroXmlsec;

void ColetaErroXmlsec(const char*, int, const char* func, const char* objeto, const char* assunto, int reason,
                      const char* msg) {
  if (!ultimoErroXmlsec.empty()) return;
  std::ostringstream s;
  s << (func ? func : "") << ": " << xmlSecErrorsGetMsg(static_cast<xmlSecSize>(reason));
  if (objeto && *objeto) s << " (" << objeto << ")";
  if (assunto && *assunto) s << " [" << assunto << "]";
  if (msg && *msg) s << " " << msg;
  ultimoErroXmlsec = s.str();
}

void IniciaXmlsec() {
  static std::once_flag feito;
  std::call_once(feito, [] {
    xmlInitParser();
    if (xmlSecInit() < 0 || xmlSecCheckVersion() != 1 || xmlSecOpenSSLAppInit(nullptr) < 0 ||
        xmlSecOpenSSLInit() < 0) {
      Falha("Não foi possível iniciar a biblioteca de assinatura XML");
    }
    xmlSecErrorsSetCallback(ColetaErroXmlsec);
  });
  ultimoErroXmlsec.clear();
}

std::string ErroOpenSsl() {
  unsigned long e = ERR_get_error();
  ERR_clear_error();
  if (e == 0) return "";
  char texto[256];
  ERR_error_string_n(e, texto, sizeof texto);
  return texto;
}

std::string Base64(const unsigned char* dados, size_t tamanho) {
  std::string saida(4 * ((tamanho + 2) / 3), '\0');
  int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(saida.data()), dados, static_cast<int>(tamanho));
  saida.resize(n < 0 ? 0 : static_cast<size_t>(n));
  return saida;
}

std::string SemEspacos(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') r += c;
  return r;
}

std::string AssuntoDe(X509* cert) {
  std::string texto;
  BIO* bio = BIO_new(BIO_s_mem());
  if (bio == nullptr) return texto;
  X509_NAME_print_ex(bio, X509_get_subject_name(cert), 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
  char* p = nullptr;
  long n = BIO_get_mem_data(bio, &p);
  if (n > 0) texto.assign(p, static_cast<size_t>(n));
  BIO_free(bio);
  // XN_FLAG_ONELINE writes "C = BR, O = ..."; the usual spelling has no blanks around "=".
  std::string r;
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto.compare(i, 3, " = ") == 0) {
      r += '=';
      i += 2;
    } else {
      r += texto[i];
    }
  }
  return r;
}

// ICP-Brasil certificates carry the holder's CNPJ in subjectAltName
// otherName 2.16.76.1.3.3; test certificates only in the CN ("NOME:CNPJ").
// The CNPJ a certificate's text spells: its letters (in capitals) and digits,
// punctuation dropped, when they are 12 characters from 0-9 and A-Z and 2
// digits, the form of the numeric CNPJ and of the alphanumeric one; else "".
std::string CnpjDoTexto(std::string_view texto) {
  std::string cnpj;
  for (char c : texto) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      cnpj += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    else if (c != '.' && c != '/' && c != '-' && c != ' ')
      return "";
  }
  if (cnpj.size() != 14) return "";
  for (size_t i = 12; i < 14; ++i)
    if (cnpj[i] < '0' || cnpj[i] > '9') return "";
  return cnpj;
}

std::string CnpjDe(X509* cert) {
  auto* nomes = static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr));
  std::string cnpj;
  if (nomes != nullptr) {
    for (int i = 0; i < sk_GENERAL_NAME_num(nomes) && cnpj.empty(); ++i) {
      GENERAL_NAME* nome = sk_GENERAL_NAME_value(nomes, i);
      if (nome->type != GEN_OTHERNAME) continue;
      char oid[64];
      OBJ_obj2txt(oid, sizeof oid, nome->d.otherName->type_id, 1);
      if (std::strcmp(oid, "2.16.76.1.3.3") != 0) continue;
      ASN1_TYPE* valor = nome->d.otherName->value;
      if (valor == nullptr) continue;
      const ASN1_STRING* s = nullptr;
      if (valor->type == V_ASN1_OCTET_STRING || valor->type == V_ASN1_PRINTABLESTRING ||
          valor->type == V_ASN1_UTF8STRING || valor->type == V_ASN1_IA5STRING) {
        s = valor->value.asn1_string;
      }
      if (s == nullptr) continue;
      cnpj = CnpjDoTexto(std::string_view(reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)),
                                          static_cast<size_t>(ASN1_STRING_length(s))));
    }
    GENERAL_NAMES_free(nomes);
  }
  if (!cnpj.empty()) return cnpj;
  return CnpjDoAssunto(AssuntoDe(cert));
}

std::unique_ptr<X509, LiberaX509> CertificadoDeBase64(const std::string& b64) {
  std::string limpo = SemEspacos(b64);
  std::string der(limpo.size(), '\0');
  EVP_ENCODE_CTX* ctx = EVP_ENCODE_CTX_new();
  if (ctx == nullptr) return nullptr;
  EVP_DecodeInit(ctx);
  int n1 = 0, n2 = 0;
  int r = EVP_DecodeUpdate(ctx, reinterpret_cast<unsigned char*>(der.data()), &n1,
                           reinterpret_cast<const unsigned char*>(limpo.data()), static_cast<int>(limpo.size()));
  if (r >= 0) r = EVP_DecodeFinal(ctx, reinterpret_cast<unsigned char*>(der.data()) + n1, &n2);
  EVP_ENCODE_CTX_free(ctx);
  if (r < 0) return nullptr;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
  return std::unique_ptr<X509, LiberaX509>(d2i_X509(nullptr, &p, n1 + n2));
}

DocPtr LerDocumento(const std::string& xml, std::string* erro) {
  xmlResetLastError();
  xmlDoc* doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT);
  if (doc == nullptr || xmlDocGetRootElement(doc) == nullptr) {
    const xmlError* e = xmlGetLastError();
    std::string texto = "XML mal formado";
    if (e != nullptr && e->message != nullptr) {
      std::string msg = e->message;
      while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
      texto += " (linha " + std::to_string(e->line) + "): " + msg;
    }
    if (erro) *erro = texto;
    if (doc) xmlFreeDoc(doc);
    return nullptr;
  }
  return DocPtr(doc);
}

bool Nome(const xmlNode* n, const char* local) {
  return n != nullptr && n->type == XML_ELEMENT_NODE && xmlStrEqual(n->name, BAD_CAST local);
}
bool NoDsig(const xmlNode* n, const char* local) {
  return Nome(n, local) && n->ns != nullptr && xmlStrEqual(n->ns->href, BAD_CAST kNsDsig);
}

xmlNode* PrimeiroElemento(xmlNode* raiz, const char* local) {
  for (xmlNode* n = raiz; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (xmlStrEqual(n->name, BAD_CAST local)) return n;
    if (xmlNode* achado = PrimeiroElemento(n->children, local)) return achado;
  }
  return nullptr;
}

void ColetaAssinaturas(xmlNode* raiz, std::vector<xmlNode*>& saida) {
  for (xmlNode* n = raiz; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (NoDsig(n, "Signature")) {
      saida.push_back(n);
      continue;
    }
    ColetaAssinaturas(n->children, saida);
  }
}

xmlNode* ProximoElemento(xmlNode* n) {
  for (n = n ? n->next : nullptr; n != nullptr; n = n->next)
    if (n->type == XML_ELEMENT_NODE) return n;
  return nullptr;
}
xmlNode* ElementoAnterior(xmlNode* n) {
  for (n = n ? n->prev : nullptr; n != nullptr; n = n->prev)
    if (n->type == XML_ELEMENT_NODE) return n;
  return nullptr;
}
xmlNode* PrimeiroFilho(xmlNode* n) {
  for (xmlNode* c = n ? n->children : nullptr; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE) return c;
  return nullptr;
}

std::string Atributo(xmlNode* n, const char* nome) {
  xmlChar* v = xmlGetProp(n, BAD_CAST nome);
  std::string r = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return r;
}
std::string Texto(xmlNode* n) {
  xmlChar* v = xmlNodeGetContent(n);
  std::string r = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return r;
}

bool SoEspacos(const xmlChar* s) {
  for (; s && *s; ++s)
    if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') return false;
  return true;
}

// xmlsec indents its templates with line breaks; the authority refuses any
// whitespace between tags, and inside SignedInfo it would be signed too.
void RemoveEspacosEntreTags(xmlNode* no) {
  xmlNode* c = no->children;
  while (c != nullptr) {
    xmlNode* seguinte = c->next;
    if (c->type == XML_TEXT_NODE && SoEspacos(c->content)) {
      xmlUnlinkNode(c);
      xmlFreeNode(c);
    } else if (c->type == XML_ELEMENT_NODE) {
      RemoveEspacosEntreTags(c);
    }
    c = seguinte;
  }
}

// Base64 values written with line breaks (SignatureValue, X509Certificate):
// outside SignedInfo, so the breaks can go without touching the signature.
void CompactaBase64(xmlNode* no) {
  for (xmlNode* c = no->children; c != nullptr; c = c->next) {
    if (c->type == XML_ELEMENT_NODE) {
      CompactaBase64(c);
    } else if (c->type == XML_TEXT_NODE && c->content != nullptr) {
      std::string limpo = SemEspacos(reinterpret_cast<const char*>(c->content));
      xmlNodeSetContent(c, BAD_CAST limpo.c_str());
    }
  }
}

std::string Serializa(xmlDoc* doc) {
  xmlBuffer* buffer = xmlBufferCreate();
  if (buffer == nullptr) Falha("Sem memória para gravar o XML assinado");
  xmlSaveCtxt* ctx = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL | XML_SAVE_AS_XML);
  if (ctx == nullptr) {
    xmlBufferFree(buffer);
    Falha("Sem memória para gravar o XML assinado");
  }
  xmlSaveTree(ctx, xmlDocGetRootElement(doc));
  xmlSaveClose(ctx);
  std::string r = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  r.append(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  return r;
}


// Checks the one profile the authority accepts. "" when followed;
// *estrutura tells a missing part from a different choice.
std::string DesvioDoPerfil(xmlNode* assinatura, std::string* referencia, bool* estrutura) {
  *estrutura = true;
  xmlNode* signedInfo = PrimeiroFilho(assinatura);
  xmlNode* valor = ProximoElemento(signedInfo);
  xmlNode* keyInfo = ProximoElemento(valor);
  if (!NoDsig(signedInfo, "SignedInfo") || !NoDsig(valor, "SignatureValue") || !NoDsig(keyInfo, "KeyInfo"))
    return "Signature deve conter SignedInfo, SignatureValue e KeyInfo, nesta ordem";
  xmlNode* c14n = PrimeiroFilho(signedInfo);
  xmlNode* metodo = ProximoElemento(c14n);
  xmlNode* ref = ProximoElemento(metodo);
  if (!NoDsig(c14n, "CanonicalizationMethod") || !NoDsig(metodo, "SignatureMethod") || !NoDsig(ref, "Reference"))
    return "SignedInfo incompleto";
  std::string uri = Atributo(ref, "URI");
  if (uri.size() < 2 || uri[0] != '#') return "Reference sem URI local";
  *referencia = uri.substr(1);
  xmlNode* transforms = PrimeiroFilho(ref);
  xmlNode* digestMethod = ProximoElemento(transforms);
  xmlNode* digestValue = ProximoElemento(digestMethod);
  if (!NoDsig(transforms, "Transforms") || !NoDsig(digestMethod, "DigestMethod") ||
      !NoDsig(digestValue, "DigestValue"))
    return "Reference incompleta";

  *estrutura = false;
  if (assinatura->ns == nullptr || assinatura->ns->prefix != nullptr)
    return "Signature deve usar o namespace padrão, sem prefixo";
  if (ProximoElemento(keyInfo) != nullptr) return "Signature com elementos além de KeyInfo";
  if (Atributo(c14n, "Algorithm") != kC14N) return "CanonicalizationMethod diferente de C14N 1.0";
  if (Atributo(metodo, "Algorithm") != kRsaSha1) return "SignatureMethod diferente de RSA-SHA1";
  if (ProximoElemento(ref) != nullptr) return "SignedInfo deve ter uma só Reference";
  xmlNode* t1 = PrimeiroFilho(transforms);
  xmlNode* t2 = ProximoElemento(t1);
  if (!NoDsig(t1, "Transform") || !NoDsig(t2, "Transform") || ProximoElemento(t2) != nullptr ||
      Atributo(t1, "Algorithm") != kEnveloped || Atributo(t2, "Algorithm") != kC14N)
    return "Transforms devem ser enveloped-signature e C14N, nesta ordem";
  if (Atributo(digestMethod, "Algorithm") != kSha1) return "DigestMethod diferente de SHA-1";
  xmlNode* x509Data = PrimeiroFilho(keyInfo);
  if (!NoDsig(x509Data, "X509Data") || ProximoElemento(x509Data) != nullptr)
    return "KeyInfo deve conter só X509Data";
  xmlNode* x509Cert = PrimeiroFilho(x509Data);
  if (!NoDsig(x509Cert, "X509Certificate") || ProximoElemento(x509Cert) != nullptr)
    return "X509Data deve conter um só X509Certificate";
  xmlNode* assinado = ElementoAnterior(assinatura);
  if (assinado == nullptr || Atributo(assinado, "Id") != *referencia)
    return "Signature deve seguir o elemento assinado (Id " + *referencia + ")";
  return "";
}


// What a same-document reference "#Id" selects: the element and everything
// under it, with the namespaces in scope there. Deciding by the ancestors
// keeps the canonicalization linear; a node set would be searched per node.
int NaSubarvore(void* raiz, xmlNode* no, xmlNode* pai) {
  const xmlNode* n = (no->type == XML_NAMESPACE_DECL || no->type == XML_ATTRIBUTE_NODE) ? pai : no;
  for (; n != nullptr; n = n->parent)
    if (n == raiz) return 1;
  return 0;
}

// Inclusive C14N 1.0 without comments of the element's subtree, by libxml2's general routine.
std::string CanonizaGeral(xmlDoc* doc, xmlNode* elemento) {
  xmlOutputBuffer* saida = xmlAllocOutputBuffer(nullptr);
  if (saida == nullptr) Falha("Sem memória para assinar o XML");
  int r = xmlC14NExecute(doc, NaSubarvore, elemento, XML_C14N_1_0, nullptr, 0, saida);
  std::string texto;
  if (r >= 0) texto.assign(reinterpret_cast<const char*>(xmlOutputBufferGetContent(saida)), xmlOutputBufferGetSize(saida));
  xmlOutputBufferClose(saida);
  if (r < 0) Falha("Falha ao canonizar o elemento " + std::string(reinterpret_cast<const char*>(elemento->name)));
  return texto;
}

// The same for SignedInfo, canonicalized apart in a document of its own with
// the namespaces in scope where it stands: a few hundred bytes, where the
// whole invoice would be walked again.
std::string CanonizaAparte(xmlDoc* doc, xmlNode* elemento) {
  std::unique_ptr<xmlDoc, LiberaDoc> copia(xmlNewDoc(BAD_CAST "1.0"));
  xmlNode* raiz = copia ? xmlDocCopyNode(elemento, copia.get(), 1) : nullptr;
  if (raiz == nullptr) Falha("Sem memória para assinar o XML");
  xmlDocSetRootElement(copia.get(), raiz);
  if (xmlNs** emEscopo = xmlGetNsList(doc, elemento)) {
    for (xmlNs** ns = emEscopo; *ns != nullptr; ++ns)
      if (xmlSearchNs(copia.get(), raiz, (*ns)->prefix) == nullptr) xmlNewNs(raiz, (*ns)->href, (*ns)->prefix);
    xmlFree(emEscopo);
  }
  return CanonizaGeral(copia.get(), raiz);
}

// The one-pass canonicalization where the tree allows it, else the general one.
std::string Canoniza(xmlDoc* doc, xmlNode* elemento) {
  if (auto texto = CanonizaSubarvore(elemento)) return std::move(*texto);
  return CanonizaGeral(doc, elemento);
}

std::string Sha1Base64(const std::string& dados) {
  unsigned char resumo[EVP_MAX_MD_SIZE];
  unsigned int tamanho = 0;
  if (EVP_Digest(dados.data(), dados.size(), resumo, &tamanho, EVP_sha1(), nullptr) != 1)
    Falha("Falha ao calcular o resumo SHA-1: " + ErroOpenSsl());
  return Base64(resumo, tamanho);
}

std::string RsaSha1Base64(EVP_PKEY* chave, const std::string& dados) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  size_t tamanho = 0;
  if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha1(), nullptr, chave) != 1 ||
      EVP_DigestSign(ctx.get(), nullptr, &tamanho, reinterpret_cast<const unsigned char*>(dados.data()),
                     dados.size()) != 1)
    Falha("Falha ao assinar o XML: " + ErroOpenSsl());
  std::vector<unsigned char> assinatura(tamanho);
  if (EVP_DigestSign(ctx.get(), assinatura.data(), &tamanho, reinterpret_cast<const unsigned char*>(dados.data()),
                     dados.size()) != 1)
    Falha("Falha ao assinar o XML: " + ErroOpenSsl());
  return Base64(assinatura.data(), tamanho);
}


// The signed document is the text that came in with the Signature after the
// signed element: writing the whole tree again would cost as much as the
// signature. Only a plain text qualifies (declaration, comments and blanks
// around one root, the element's end tag once and unprefixed); anything
// else is written from the tree.
std::optional<std::string> ComAssinatura(const std::string& xml, const xmlNode* alvo, xmlDoc* doc,
                                         xmlNode* assinatura) {
  if (alvo->ns != nullptr && alvo->ns->prefix != nullptr) return std::nullopt;
  size_t inicio = xml.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (;;) {
    inicio = xml.find_first_not_of(" \t\r\n", inicio);
    if (inicio == std::string::npos) return std::nullopt;
    if (xml.compare(inicio, 5, "<?xml") == 0) {
      size_t fim = xml.find("?>", inicio);
      if (fim == std::string::npos) return std::nullopt;
      inicio = fim + 2;
    } else if (xml.compare(inicio, 4, "<!--") == 0) {
      size_t fim = xml.find("-->", inicio);
      if (fim == std::string::npos) return std::nullopt;
      inicio = fim + 3;
    } else if (xml.compare(inicio, 2, "<!") == 0 || xml.compare(inicio, 2, "<?") == 0) {
      return std::nullopt;
    } else {
      break;
    }
  }
  size_t fimRaiz = xml.find_last_not_of(" \t\r\n");
  if (fimRaiz == std::string::npos || xml[fimRaiz] != '>' || xml.find("<!--", inicio) != std::string::npos)
    return std::nullopt;
  const std::string fechamento = "</" + std::string(reinterpret_cast<const char*>(alvo->name)) + ">";
  size_t fimAlvo = xml.find(fechamento, inicio);
  if (fimAlvo == std::string::npos || xml.find(fechamento, fimAlvo + 1) != std::string::npos) return std::nullopt;
  fimAlvo += fechamento.size();

  xmlBuffer* buffer = xmlBufferCreate();
  if (buffer == nullptr) Falha("Sem memória para gravar o XML assinado");
  int n = xmlNodeDump(buffer, doc, assinatura, 0, 0);
  std::string texto;
  if (n > 0) texto.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  if (n <= 0) Falha("Sem memória para gravar o XML assinado");

  std::string r = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  r.reserve(r.size() + fimRaiz + 1 - inicio + texto.size());
  r.append(xml, inicio, fimAlvo - inicio);
  r += texto;
  r.append(xml, fimAlvo, fimRaiz + 1 - fimAlvo);
  return r;
}

void RegistraIds(xmlDoc* doc) {
  static const xmlChar* ids[] = {BAD_CAST "Id", nullptr};
  xmlSecAddIDs(doc, xmlDocGetRootElement(doc), ids);
}

}  // namespace

struct CertificadoA1::Dados {
  std::unique_ptr<EVP_PKEY, LiberaPkey> chave;
  std::unique_ptr<X509, LiberaX509> certificado;
};

std::string CertificadoA1::Assunto() const { return dados_ ? AssuntoDe(dados_->certificado.get()) : ""; }

std::string CertificadoA1::Cnpj() const { return dados_ ? CnpjDe(dados_->certificado.get()) : ""; }

std::string CertificadoA1::ValidoAte() const {
  if (!dados_) return "";
  struct tm t {};
  if (ASN1_TIME_to_tm(X509_get0_notAfter(dados_->certificado.get()), &t) != 1) return "";
  char texto[80];
  std::snprintf(texto, sizeof texto, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return texto;
}

std::string CertificadoA1::CertificadoBase64() const {
  if (!dados_) return "";
  unsigned char* der = nullptr;
  int n = i2d_X509(dados_->certificado.get(), &der);
  if (n <= 0) return "";
  std::string r = Base64(der, static_cast<size_t>(n));
  OPENSSL_free(der);
  return r;
}

std::string CnpjDoAssunto(const std::string& assunto) {
  // "CN=NOME DA EMPRESA:11222333000181": the 14 digits after the last colon of the CN.
  size_t cn = assunto.rfind("CN=");
  if (cn == std::string::npos) return "";
  size_t fim = assunto.find_first_of(",/", cn);
  std::string valor = assunto.substr(cn + 3, fim == std::string::npos ? std::string::npos : fim - cn - 3);
  size_t dois = valor.rfind(':');
  if (dois == std::string::npos) return "";
  return CnpjDoTexto(valor.substr(dois + 1));
}

CertificadoA1 CarregarCertificadoA1Memoria(const std::string& conteudoPfx, const std::string& senha) {
  ERR_clear_error();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(conteudoPfx.data());
  PKCS12* p12 = d2i_PKCS12(nullptr, &p, static_cast<long>(conteudoPfx.size()));
  if (p12 == nullptr) Falha("Certificado digital inválido (não é um arquivo PKCS#12)");
  EVP_PKEY* chave = nullptr;
  X509* cert = nullptr;
  STACK_OF(X509)* cadeia = nullptr;
  int ok = PKCS12_parse(p12, senha.c_str(), &chave, &cert, &cadeia);
  PKCS12_free(p12);
  sk_X509_pop_free(cadeia, X509_free);
  auto dados = std::make_shared<CertificadoA1::Dados>();
  dados->chave.reset(chave);
  dados->certificado.reset(cert);
  if (ok != 1) {
    std::string motivo = ErroOpenSsl();
    Falha("Senha do certificado digital incorreta ou arquivo danificado" + (motivo.empty() ? "" : " (" + motivo + ")"));
  }
  ERR_clear_error();
  if (!dados->chave) Falha("Certificado digital sem chave privada");
  if (!dados->certificado) Falha("Arquivo do certificado digital sem certificado");
  if (EVP_PKEY_base_id(dados->chave.get()) != EVP_PKEY_RSA) Falha("Certificado digital sem chave RSA");
  if (X509_check_private_key(dados->certificado.get(), dados->chave.get()) != 1) {
    ERR_clear_error();
    Falha("A chave privada não corresponde ao certificado digital");
  }
  return CertificadoA1(std::move(dados));
}

CertificadoA1 CarregarCertificadoA1(const std::filesystem::path& arquivoPfx, const std::string& senha) {
  std::string motivo;
  auto conteudo = LerArquivoComum(arquivoPfx, &motivo);
  if (!conteudo) Falha("Certificado digital " + motivo + ": " + arquivoPfx.string());
  return CarregarCertificadoA1Memoria(*conteudo, senha);
}

std::string AssinarXml(const std::string& xml, const std::string& tagAssinada, const CertificadoA1& certificado) {
  if (!certificado.Carregado()) Falha("Certificado digital não carregado");
  IniciaXmlsec();
  std::string erro;
  DocPtr doc = LerDocumento(xml, &erro);
  if (!doc) Falha("Não foi possível assinar: " + erro);
  xmlNode* alvo = PrimeiroElemento(xmlDocGetRootElement(doc.get()), tagAssinada.c_str());
  if (alvo == nullptr) Falha("Não foi possível assinar: elemento " + tagAssinada + " não encontrado");
  std::string id = Atributo(alvo, "Id");
  if (id.empty()) Falha("Não foi possível assinar: " + tagAssinada + " sem o atributo Id");
  if (NoDsig(ProximoElemento(alvo), "Signature")) Falha("Não foi possível assinar: " + tagAssinada + " já assinado");
  // Only the signed element's Id is referenced; no need to walk the whole document.
  if (xmlAddID(nullptr, doc.get(), BAD_CAST id.c_str(), xmlHasProp(alvo, BAD_CAST "Id")) == nullptr)
    Falha("Não foi possível assinar: Id " + id + " repetido no documento");

  xmlNode* assinatura = xmlSecTmplSignatureCreate(doc.get(), xmlSecTransformInclC14NId, xmlSecOpenSSLTransformRsaSha1Id,
                                                  nullptr);
  if (assinatura == nullptr) Falha("Não foi possível montar a assinatura: " + ultimoErroXmlsec);
  xmlAddNextSibling(alvo, assinatura);
  std::string uri = "#" + id;
  xmlNode* ref = xmlSecTmplSignatureAddReference(assinatura, xmlSecOpenSSLTransformSha1Id, nullptr,
                                                 BAD_CAST uri.c_str(), nullptr);
  xmlNode* keyInfo = xmlSecTmplSignatureEnsureKeyInfo(assinatura, nullptr);
  xmlNode* x509Data = keyInfo ? xmlSecTmplKeyInfoAddX509Data(keyInfo) : nullptr;
  if (ref == nullptr || xmlSecTmplReferenceAddTransform(ref, xmlSecTransformEnvelopedId) == nullptr ||
      xmlSecTmplReferenceAddTransform(ref, xmlSecTransformInclC14NId) == nullptr || x509Data == nullptr ||
      xmlSecTmplX509DataAddCertificate(x509Data) == nullptr) {
    Falha("Não foi possível montar a assinatura: " + ultimoErroXmlsec);
  }
  RemoveEspacosEntreTags(assinatura);

  // The profile fixes every choice, so the signature is computed here: the
  // digest of the signed element's canonical form, then RSA-SHA1 over the
  // canonical SignedInfo (the enveloped-signature transform removes nothing,
  // as the Signature follows the element instead of lying inside it).
  xmlNode* signedInfo = PrimeiroFilho(assinatura);
  xmlNode* digestValue = PrimeiroElemento(signedInfo, "DigestValue");
  xmlNode* valor = ProximoElemento(signedInfo);
  xmlNode* certificadoX509 = PrimeiroElemento(ProximoElemento(valor), "X509Certificate");
  if (digestValue == nullptr || valor == nullptr || certificadoX509 == nullptr)
    Falha("Não foi possível montar a assinatura: modelo incompleto");
  xmlNodeSetContent(digestValue, BAD_CAST Sha1Base64(Canoniza(doc.get(), alvo)).c_str());
  std::string signedInfoCanonico;
  if (auto texto = CanonizaSubarvore(signedInfo)) signedInfoCanonico = std::move(*texto);
  else signedInfoCanonico = CanonizaAparte(doc.get(), signedInfo);
  xmlNodeSetContent(valor, BAD_CAST RsaSha1Base64(certificado.Interno()->chave.get(), signedInfoCanonico).c_str());
  xmlNodeSetContent(certificadoX509, BAD_CAST certificado.CertificadoBase64().c_str());
  auto texto = ComAssinatura(xml, alvo, doc.get(), assinatura);
  std::string assinado = texto ? std::move(*texto) : Serializa(doc.get());
  // The tree is the signed text's own; kept for the reads of that text that
  // follow, when a parse of the text would decode it the same way.
  if (doc->encoding != nullptr && xmlStrcasecmp(doc->encoding, BAD_CAST "UTF-8") == 0)
    arvore_recente::Guarda(assinado, arvore_recente::Arvore(doc.release(), xmlFreeDoc));
  return assinado;
}

void AssinarArquivoXml(const std::filesystem::path& arquivoEntrada, const std::filesystem::path& arquivoSaida,
                       const std::string& tagAssinada, const CertificadoA1& certificado) {
  std::string assinado = AssinarXml(LerArquivo(arquivoEntrada, arquivoEntrada.string()), tagAssinada, certificado);
  std::error_code ec;
  if (arquivoSaida.has_parent_path()) std::filesystem::create_directories(arquivoSaida.parent_path(), ec);
  GravaArquivo(arquivoSaida, assinado);
}

namespace {

// A keys manager loads the system's certificate store when it is made, which
// costs more than a verification: each thread keeps the one of the trusted
// certificates (by their file's content) it used last. Nothing a
// verification reads is added to it.
xmlSecKeysMngr* GerenteVerificacao(const std::filesystem::path& confiaveis, std::string& erro) {
  struct Guardado {
    std::optional<std::string> conteudo;   // of `confiaveis`; "" without them
    std::unique_ptr<xmlSecKeysMngr, LiberaMngr> gerente;
  };
  thread_local Guardado guardado;
  std::optional<std::string> conteudo = confiaveis.empty() ? std::optional<std::string>("") : LerArquivoComum(confiaveis);
  if (guardado.gerente && conteudo && guardado.conteudo == conteudo) return guardado.gerente.get();
  guardado = Guardado{};
  std::unique_ptr<xmlSecKeysMngr, LiberaMngr> gerente(xmlSecKeysMngrCreate());
  if (!gerente || xmlSecOpenSSLAppDefaultKeysMngrInit(gerente.get()) < 0) {
    erro = "Não foi possível iniciar a verificação: " + ultimoErroXmlsec;
    return nullptr;
  }
  if (!confiaveis.empty() && xmlSecOpenSSLAppKeysMngrCertLoad(gerente.get(), confiaveis.c_str(), xmlSecKeyDataFormatPem,
                                                              xmlSecKeyDataTypeTrusted) < 0) {
    erro = "Certificados confiáveis ilegíveis em " + confiaveis.string() + ": " + ultimoErroXmlsec;
    return nullptr;
  }
  if (conteudo) guardado = Guardado{std::move(conteudo), std::move(gerente)};
  else guardado.gerente = std::move(gerente);   // used once: the next call makes another
  return guardado.gerente.get();
}

}  // namespace

bool VerificarAssinatura(const std::string& xml, std::string* erro, std::vector<InfoAssinatura>* infos,
                         const std::filesystem::path& confiaveis) {
  IniciaXmlsec();
  std::string motivo;
  auto falhou = [&](const std::string& texto) {
    if (erro) *erro = texto;
    return false;
  };
  DocPtr doc = LerDocumento(xml, &motivo);
  if (!doc) return falhou(motivo);
  std::vector<xmlNode*> assinaturas;
  ColetaAssinaturas(xmlDocGetRootElement(doc.get()), assinaturas);
  if (assinaturas.empty()) return falhou("Documento sem assinatura");
  RegistraIds(doc.get());

  bool todasValidas = true;
  for (xmlNode* assinatura : assinaturas) {
    InfoAssinatura info;
    bool estrutura = false;
    std::string desvio = DesvioDoPerfil(assinatura, &info.referencia, &estrutura);
    xmlNode* signedInfo = PrimeiroFilho(assinatura);
    if (xmlNode* dv = PrimeiroElemento(signedInfo, "DigestValue")) info.digestValue = SemEspacos(Texto(dv));
    if (xmlNode* cert = PrimeiroElemento(assinatura, "X509Certificate")) {
      if (auto x509 = CertificadoDeBase64(Texto(cert))) {
        info.assuntoCertificado = AssuntoDe(x509.get());
        info.cnpjCertificado = CnpjDe(x509.get());
      }
    }
    std::string falha;
    if (!desvio.empty()) {
      info.falha = estrutura ? InfoAssinatura::Falha::Estrutura : InfoAssinatura::Falha::Perfil;
      falha = desvio;
    } else if (info.assuntoCertificado.empty()) {
      info.falha = InfoAssinatura::Falha::Estrutura;
      falha = "X509Certificate ilegível";
    } else {
      ultimoErroXmlsec.clear();
      std::string erroGerente;
      xmlSecKeysMngr* gerente = GerenteVerificacao(confiaveis, erroGerente);
      if (gerente == nullptr) return falhou(erroGerente);
      std::unique_ptr<xmlSecDSigCtx, LiberaDsig> ctx(xmlSecDSigCtxCreate(gerente));
      if (!ctx) return falhou("Não foi possível iniciar a verificação: " + ultimoErroXmlsec);
      // Without trusted certificates the key is the embedded certificate's
      // and its chain is the caller's concern.
      if (confiaveis.empty()) ctx->keyInfoReadCtx.flags |= XMLSEC_KEYINFO_FLAGS_X509DATA_DONT_VERIFY_CERTS;
      ctx->enabledReferenceUris = xmlSecTransformUriTypeSameDocument;
      if (xmlSecDSigCtxVerify(ctx.get(), assinatura) < 0) {
        info.falha = confiaveis.empty() ? InfoAssinatura::Falha::Estrutura : InfoAssinatura::Falha::Cadeia;
        falha = "Falha ao verificar a assinatura: " + ultimoErroXmlsec;
      } else if (ctx->status != xmlSecDSigStatusSucceeded) {
        info.falha = InfoAssinatura::Falha::Calculo;
        auto* refCtx = static_cast<xmlSecDSigReferenceCtxPtr>(xmlSecPtrListGetItem(&ctx->signedInfoReferences, 0));
        if (refCtx != nullptr && refCtx->status != xmlSecDSigStatusSucceeded)
          falha = "DigestValue não confere com o elemento " + info.referencia;
        else
          falha = "SignatureValue não confere com o certificado";
      }
    }
    if (info.falha != InfoAssinatura::Falha::Nenhuma && todasValidas) {
      todasValidas = false;
      if (erro) *erro = falha;
    }
    if (infos) infos->push_back(std::move(info));
  }
  return todasValidas;
}

}  // namespace velant
