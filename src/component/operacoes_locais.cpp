#include "component/operacoes_locais.h"

#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "base/arquivos.h"
#include "base/erro.h"
#include "component/autoridade/autoridade_mensagens.h"
#include "component/xml/assinador_xml.h"
#include "component/xml/chave_acesso.h"
#include "component/xml/validador_esquema.h"
#include "contexto/contexto.h"

namespace velant {

namespace {

[[noreturn]] void Falha(const std::string& descricao) { throw ErroExecucao(CodigoErro::ErroComponente, descricao); }


bool CaminhoWindows(const std::string& c) {
  return (c.size() >= 2 && c[1] == ':') || c.find('\\') != std::string::npos;
}

// Opening a PKCS#12 file costs a key derivation; the certificate is kept
// until its file or its password changes.
CertificadoA1 CertificadoEmCache(const std::filesystem::path& arquivo, const std::string& senha) {
  struct Entrada {
    std::filesystem::file_time_type modificado;
    uintmax_t tamanho;
    std::string senha;
    CertificadoA1 certificado;
  };
  static std::mutex mutex;
  static std::map<std::string, Entrada> cache;
  std::error_code ec;
  auto modificado = std::filesystem::last_write_time(arquivo, ec);
  if (ec) Falha("Certificado digital não encontrado: " + arquivo.string());
  auto tamanho = std::filesystem::file_size(arquivo, ec);
  std::lock_guard<std::mutex> trava(mutex);
  auto it = cache.find(arquivo.string());
  if (it != cache.end() && it->second.modificado == modificado && it->second.tamanho == tamanho &&
      it->second.senha == senha)
    return it->second.certificado;
  CertificadoA1 certificado = CarregarCertificadoA1(arquivo, senha);
  cache[arquivo.string()] = Entrada{modificado, tamanho, senha, certificado};
  return certificado;
}

// The key of an invoice file: its infNFe Id, else its name "NFe<key>...".
std::string ChaveDoDocumento(const std::string& xml, const std::string& nomeArquivo) {
  auto procura = [](const std::string& texto, const std::string& prefixo) -> std::string {
    for (size_t p = texto.find(prefixo); p != std::string::npos; p = texto.find(prefixo, p + 1)) {
      std::string chave = texto.substr(p + prefixo.size(), 44);
      // 44 digits, or a sound 4.00 key holding an alphanumeric CNPJ.
      if (chave.size() == 44 && chave.find_first_not_of("0123456789") == std::string::npos) return chave;
      if (DecompoeChave(chave, CnpjNaChave::Alfanumerico)) return chave;
    }
    return "";
  };
  std::string chave = procura(xml, "Id=\"NFe");
  if (chave.empty()) chave = procura(nomeArquivo, "NFe");
  return chave;
}

}  // namespace

std::string OperacoesLocais::GeraChaveAcesso(const std::string& codigoUF, const std::string& dataEmissao,
                                             const std::string& cnpj, int32_t modelo, int32_t serie, int32_t numero,
                                             int32_t tipoEmissao, int32_t codigoNumerico) {
  // A CNPJ with letters can only be a layout 4.00 issuer's; a numeric one
  // gives the same key either way.
  const bool letras = cnpj.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") != std::string::npos;
  return MontaChaveAcesso(codigoUF, dataEmissao, cnpj, modelo, serie, numero, tipoEmissao, codigoNumerico,
                          letras ? CnpjNaChave::Alfanumerico : CnpjNaChave::SoDigitos);
}

std::string OperacoesLocais::CaminhoAssinado(const std::string& chave) const {
  return ctx_.atual.PastaBase + "\\nfe\\arquivos\\assinado\\NFe" + chave + "-assinado.xml";
}

std::string OperacoesLocais::AssinaXml(const std::string& arquivo, const std::string& tag) {
  std::string caminhoCertificado = ctx_.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Certificado");
  std::string senha = ctx_.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "SenhaCertificado");
  if (caminhoCertificado.empty())
    Falha("Certificado digital não configurado (valor \"Certificado\" da chave nfe do registro)");
  std::filesystem::path pfx =
      CaminhoWindows(caminhoCertificado) ? ctx_.caminhos.Mapear(caminhoCertificado)
                                         : std::filesystem::path(caminhoCertificado);
  CertificadoA1 certificado = CertificadoEmCache(pfx, senha);

  std::string xml = LerArquivo(ctx_.caminhos.Mapear(arquivo), arquivo);
  std::string destino;
  if (tag == "infNFe") {
    std::string chave = ChaveDoDocumento(xml, arquivo);
    if (chave.empty()) Falha("Não foi possível assinar: chave de acesso não encontrada em " + arquivo);
    destino = CaminhoAssinado(chave);
  } else {
    size_t ponto = arquivo.rfind('.');
    size_t barra = arquivo.find_last_of("\\/");
    bool temExtensao = ponto != std::string::npos && (barra == std::string::npos || ponto > barra);
    destino = (temExtensao ? arquivo.substr(0, ponto) : arquivo) + "-assinado.xml";
  }
  GravaArquivo(ctx_.caminhos.MapearParaGravar(destino), AssinarXml(xml, tag, certificado));
  return "Arquivo assinado";
}

bool OperacoesLocais::ValidaXml(const std::string& arquivo, const std::string& esquema, bool registrarErro) {
  auto local = ctx_.caminhos.Mapear(arquivo);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(local, ec))
    throw ErroExecucao(CodigoErro::ArquivoNaoEncontrado, "Arquivo não encontrado: " + arquivo);
  auto erro = ValidarXml(local.string(), esquema);
  if (erro && registrarErro) ctx_.log.RegistraEvento("        Erro de esquema (" + esquema + "): " + *erro, true, false);
  return !erro;
}

std::string OperacoesLocais::GeraLote(const std::string& arquivoAssinado, int32_t numeroLote) {
  if (numeroLote < 0) Falha("Número de lote inválido: " + std::to_string(numeroLote));
  std::string assinado = LerArquivo(ctx_.caminhos.Mapear(arquivoAssinado), arquivoAssinado);
  size_t inicio = assinado.find("<NFe");
  size_t fim = assinado.rfind("</NFe>");
  if (inicio == std::string::npos || fim == std::string::npos || fim < inicio)
    Falha("Não foi possível montar o lote: " + arquivoAssinado + " não contém uma NFe");
  std::string nfe = assinado.substr(inicio, fim + 6 - inicio);
  if (nfe.find("<Signature") == std::string::npos)
    Falha("Não foi possível montar o lote: NFe não assinada em " + arquivoAssinado);

  char numero[16];
  std::snprintf(numero, sizeof numero, "%012d", numeroLote);
  // The batch is written in the invoice's own layout.
  std::string lote = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" +
                     autoridade::MensagemLote(std::to_string(numeroLote), {nfe}, autoridade::LeiauteDoDocumento(nfe));
  std::string caminho = ctx_.atual.PastaBase + "\\nfe\\lotes\\" + numero + "-env-lot.xml";
  GravaArquivo(ctx_.caminhos.MapearParaGravar(caminho), lote);
  return caminho;
}

}  // namespace velant
