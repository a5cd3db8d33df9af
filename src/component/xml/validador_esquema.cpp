#include "component/xml/validador_esquema.h"

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "base/arquivos.h"
#include "base/erro.h"
#include "component/xml/arvore_recente.h"

namespace velant {

namespace {

// The executable does not move while it runs: looked up once.
const std::filesystem::path& PastaDoExecutavel() {
  static const std::filesystem::path pasta = [] {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
  }();
  return pasta;
}

std::string SemQuebraFinal(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

// Compiled schemas, one per file, kept until the process ends; a compiled
// schema is read-only during validation, so threads share it.
class CacheEsquemas {
 public:
  xmlSchema* Obter(const std::filesystem::path& caminho) {
    std::lock_guard<std::mutex> trava(mutex_);
    auto it = esquemas_.find(caminho.string());
    if (it != esquemas_.end()) return it->second;
    xmlSchemaParserCtxt* ctx = xmlSchemaNewParserCtxt(caminho.c_str());
    if (ctx == nullptr) throw ErroExecucao(CodigoErro::ChamadaInvalida, "Esquema inválido: " + caminho.string());
    std::string primeiroErro;
    xmlSchemaSetParserStructuredErrors(ctx, &CacheEsquemas::ErroCompilacao, &primeiroErro);
    xmlSchema* esquema = xmlSchemaParse(ctx);
    xmlSchemaFreeParserCtxt(ctx);
    if (esquema == nullptr)
      throw ErroExecucao(CodigoErro::ChamadaInvalida,
                         "Esquema inválido: " + caminho.filename().string() + " - " + primeiroErro);
    esquemas_.emplace(caminho.string(), esquema);
    return esquema;
  }

 private:
  static void ErroCompilacao(void* dados, xmlError* erro) {
    auto* texto = static_cast<std::string*>(dados);
    if (texto->empty() && erro != nullptr && erro->message != nullptr) *texto = SemQuebraFinal(erro->message);
  }
  std::mutex mutex_;
  std::map<std::string, xmlSchema*> esquemas_;
};

CacheEsquemas& Cache() {
  static CacheEsquemas* cache = new CacheEsquemas();   // never freed: lives as long as the process
  return *cache;
}

struct PrimeiroErro {
  std::string texto;
};

void GuardaPrimeiroErro(void* dados, xmlError* erro) {
  auto* primeiro = static_cast<PrimeiroErro*>(dados);
  if (!primeiro->texto.empty() || erro == nullptr || erro->level < XML_ERR_ERROR) return;
  std::string msg = erro->message ? SemQuebraFinal(erro->message) : "erro de esquema";
  primeiro->texto = "linha " + std::to_string(erro->line) + ": " + msg;
}

// The parser reports what is not well formed to the process-wide handlers
// (standard error); while streaming, those reports are dropped: the tree
// parse below gives the message.
void Descarta(void*, xmlError*) {}
struct SilenciaParser {
  SilenciaParser() { xmlSetStructuredErrorFunc(nullptr, Descarta); }
  ~SilenciaParser() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
};

// "linha N: <message>" when the text is not well-formed XML.
std::optional<std::string> ErroDeLeitura(const std::string& conteudo) {
  xmlParserCtxt* leitor = xmlNewParserCtxt();
  if (leitor == nullptr) throw ErroExecucao(CodigoErro::ChamadaInvalida, "Sem memória para validar o XML");
  xmlDoc* doc = xmlCtxtReadMemory(leitor, conteudo.data(), static_cast<int>(conteudo.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  std::optional<std::string> erro;
  if (doc == nullptr) {
    std::string msg = leitor->lastError.message ? SemQuebraFinal(leitor->lastError.message) : "XML mal formado";
    erro = "linha " + std::to_string(leitor->lastError.line) + ": " + msg;
  }
  xmlFreeDoc(doc);
  xmlFreeParserCtxt(leitor);
  return erro;
}

// The whole document as a tree, then validated.
std::optional<std::string> ValidaArvore(xmlSchema* compilado, const std::string& conteudo, const std::string& esquema) {
  xmlDoc* doc = xmlReadMemory(conteudo.data(), static_cast<int>(conteudo.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) return "XML mal formado";
  PrimeiroErro primeiro;
  xmlSchemaValidCtxt* validador = xmlSchemaNewValidCtxt(compilado);
  if (validador == nullptr) {
    xmlFreeDoc(doc);
    throw ErroExecucao(CodigoErro::ChamadaInvalida, "Sem memória para validar o XML");
  }
  xmlSchemaSetValidStructuredErrors(validador, GuardaPrimeiroErro, &primeiro);
  int r = xmlSchemaValidateDoc(validador, doc);
  xmlSchemaFreeValidCtxt(validador);
  xmlFreeDoc(doc);
  if (r == 0) return std::nullopt;
  if (primeiro.texto.empty()) primeiro.texto = "documento não confere com o esquema " + esquema;
  return primeiro.texto;
}

bool ArvoreValida(xmlSchema* compilado, xmlDoc* doc) {
  xmlSchemaValidCtxt* validador = xmlSchemaNewValidCtxt(compilado);
  if (validador == nullptr) return false;
  xmlSchemaSetValidStructuredErrors(validador, Descarta, nullptr);
  int r = xmlSchemaValidateDoc(validador, doc);
  xmlSchemaFreeValidCtxt(validador);
  return r == 0;
}

bool PareceXml(const std::string& s) {
  size_t i = 0;
  if (s.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
  return i < s.size() && s[i] == '<';
}

}  // namespace

std::filesystem::path PastaEsquemas() {
  if (const char* env = std::getenv("VELANT_ESQUEMAS"); env != nullptr && *env != '\0') return env;
  std::error_code ec;
  const auto& exe = PastaDoExecutavel();
  if (!exe.empty()) {
    auto instalada = exe / ".." / "share" / "velantnfe" / "schemas";
    if (std::filesystem::is_directory(instalada, ec)) return instalada.lexically_normal();
  }
  return std::filesystem::path(VELANT_FONTE) / "schemas";
}

std::filesystem::path CaminhoEsquema(const std::string& esquema) {
  std::filesystem::path p(esquema);
  std::error_code ec;
  if (p.is_absolute()) {
    if (std::filesystem::is_regular_file(p, ec)) return p;
  } else {
    auto pasta = PastaEsquemas();
    if (p.has_parent_path()) {
      if (std::filesystem::is_regular_file(pasta / p, ec)) return pasta / p;
    } else {
      for (const char* sub : {"PL_008i2", "evento"}) {
        if (std::filesystem::is_regular_file(pasta / sub / p, ec)) return pasta / sub / p;
      }
      if (std::filesystem::is_regular_file(pasta / p, ec)) return pasta / p;
    }
  }
  throw ErroExecucao(CodigoErro::ArquivoNaoEncontrado,
                     "Esquema não encontrado: " + esquema + " (pasta " + PastaEsquemas().string() + ")");
}

std::optional<std::string> ValidarXml(const std::string& xmlOuArquivo, const std::string& esquema) {
  xmlSchema* compilado = Cache().Obter(CaminhoEsquema(esquema));

  std::string conteudo;
  if (PareceXml(xmlOuArquivo)) {
    conteudo = xmlOuArquivo;
  } else {
    std::string motivo;
    auto lido = LerArquivoComum(xmlOuArquivo, &motivo);
    if (!lido) return "arquivo " + motivo + ": " + xmlOuArquivo;
    conteudo = std::move(*lido);
  }

  // The tree of a text just signed here is validated as it stands; should
  // it fail, the text is read again below for the message.
  if (auto arvore = arvore_recente::Procura(conteudo); arvore && ArvoreValida(compilado, arvore.get()))
    return std::nullopt;

  // Validated while it is read, without building a tree: the documents are
  // large and read once. A document that is not well formed is read again
  // as a tree for the parser's own message.
  PrimeiroErro primeiro;
  xmlSchemaValidCtxt* validador = xmlSchemaNewValidCtxt(compilado);
  if (validador == nullptr) throw ErroExecucao(CodigoErro::ChamadaInvalida, "Sem memória para validar o XML");
  xmlSchemaSetValidStructuredErrors(validador, GuardaPrimeiroErro, &primeiro);
  xmlParserInputBuffer* entrada =
      xmlParserInputBufferCreateMem(conteudo.data(), static_cast<int>(conteudo.size()), XML_CHAR_ENCODING_NONE);
  if (entrada == nullptr) {
    xmlSchemaFreeValidCtxt(validador);
    throw ErroExecucao(CodigoErro::ChamadaInvalida, "Sem memória para validar o XML");
  }
  int r;
  {
    SilenciaParser silencio;
    r = xmlSchemaValidateStream(validador, entrada, XML_CHAR_ENCODING_NONE, nullptr, nullptr);
  }
  xmlSchemaFreeValidCtxt(validador);
  if (r == 0) return std::nullopt;
  if (auto erroDeLeitura = ErroDeLeitura(conteudo)) return erroDeLeitura;
  // A fault of the streaming validator itself (not of the document): the tree decides.
  if (r < 0) return ValidaArvore(compilado, conteudo, esquema);
  if (primeiro.texto.empty()) primeiro.texto = "documento não confere com o esquema " + esquema;
  return primeiro.texto;
}

}  // namespace velant
