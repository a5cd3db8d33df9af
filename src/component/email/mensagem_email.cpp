#include "component/email/mensagem_email.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <cstdio>
#include <ctime>

#include "base/texto.h"
#include "base/utf8.h"

namespace velant::email {

namespace {

bool Letra(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool AsciiVisivel(std::string_view s) {
  for (unsigned char c : s)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

std::string Base64(std::string_view bytes) {
  std::string saida(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(saida.data()),
                          reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  saida.resize(static_cast<size_t>(n));
  return saida;
}

// A text of one line: control characters (a line break in a request field) become blanks.
std::string UmaLinha(std::string_view texto) {
  std::string s = ParaUtf8(texto);
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return s;
}

// RFC 2047 encoded words, B encoding, one per folded line. 39 bytes give 52
// characters of base64: "Subject: " and the word stay within 78 columns, and
// no character of the text is split between two words.
std::string PalavrasCodificadas(std::string_view texto) {
  constexpr size_t kBytesPorPalavra = 39;
  std::string saida;
  size_t i = 0;
  while (i < texto.size()) {
    size_t fim = i;
    while (fim < texto.size()) {
      size_t n = utf8::SequenciaValida(texto, fim);
      if (n == 0) n = 1;
      if (fim + n - i > kBytesPorPalavra) break;
      fim += n;
    }
    if (!saida.empty()) saida += "\r\n ";
    saida += "=?UTF-8?B?" + Base64(texto.substr(i, fim - i)) + "?=";
    i = fim;
  }
  return saida;
}

bool CaractereLocal(char c) {
  return Letra(c) || std::string_view("!#$%&'*+-/=?^_`{|}~.").find(c) != std::string_view::npos;
}

}  // namespace

bool EnderecoValido(std::string_view e) {
  size_t arroba = e.find('@');
  if (arroba == std::string_view::npos || arroba == 0 || arroba + 1 >= e.size() || e.size() > 254) return false;
  std::string_view local = e.substr(0, arroba), dominio = e.substr(arroba + 1);
  for (char c : local)
    if (!CaractereLocal(c)) return false;
  if (dominio.front() == '.' || dominio.back() == '.' || dominio.find("..") != std::string_view::npos) return false;
  for (char c : dominio)
    if (!Letra(c) && c != '-' && c != '.') return false;
  return true;
}

std::optional<std::vector<std::string>> ListaEnderecos(std::string_view texto) {
  std::vector<std::string> enderecos;
  size_t inicio = 0;
  while (inicio <= texto.size()) {
    size_t fim = texto.find_first_of(";,", inicio);
    if (fim == std::string_view::npos) fim = texto.size();
    std::string_view item = texto.substr(inicio, fim - inicio);
    while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
    while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
    if (!item.empty()) {
      if (!EnderecoValido(item)) return std::nullopt;
      enderecos.emplace_back(item);
    }
    inicio = fim + 1;
  }
  return enderecos;
}

std::string CabecalhoAssunto(std::string_view textoUtf8) {
  std::string texto = UmaLinha(textoUtf8);
  if (AsciiVisivel(texto) && texto.size() <= 69 && texto.find("=?") == std::string::npos) return "Subject: " + texto;
  return "Subject: " + PalavrasCodificadas(texto);
}

std::string CabecalhoRemetente(std::string_view nome, std::string_view endereco) {
  std::string n = Trim(UmaLinha(nome));
  if (n.empty()) return "From: " + std::string(endereco);
  std::string frase;
  if (AsciiVisivel(n) && n.find("=?") == std::string::npos) {
    frase = "\"";
    for (char c : n) {
      if (c == '"' || c == '\\') frase += '\\';
      frase += c;
    }
    frase += "\"";
  } else {
    frase = PalavrasCodificadas(n);
  }
  return "From: " + frase + " <" + std::string(endereco) + ">";
}

std::string CabecalhoData(std::chrono::system_clock::time_point instante) {
  static constexpr std::array<const char*, 7> kDias = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr std::array<const char*, 12> kMeses = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::time_t t = std::chrono::system_clock::to_time_t(instante);
  std::tm local{};
  localtime_r(&t, &local);
  long fuso = local.tm_gmtoff / 60;
  char sinal = fuso < 0 ? '-' : '+';
  if (fuso < 0) fuso = -fuso;
  char texto[64];
  std::snprintf(texto, sizeof texto, "Date: %s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDias[local.tm_wday % 7],
                local.tm_mday, kMeses[local.tm_mon % 12], local.tm_year + 1900, local.tm_hour, local.tm_min,
                local.tm_sec, sinal, fuso / 60, fuso % 60);
  return texto;
}

std::string CabecalhoIdentificador(std::string_view remetente) {
  std::array<unsigned char, 12> aleatorio{};
  if (RAND_bytes(aleatorio.data(), static_cast<int>(aleatorio.size())) != 1) {
    // Without the generator the clock and the address still tell messages apart.
    auto agora = std::chrono::system_clock::now().time_since_epoch().count();
    for (size_t i = 0; i < aleatorio.size(); ++i)
      aleatorio[i] = static_cast<unsigned char>(static_cast<unsigned long long>(agora) >> (8 * (i % 8)));
  }
  std::string id;
  char hex[3];
  for (unsigned char b : aleatorio) {
    std::snprintf(hex, sizeof hex, "%02x", b);
    id += hex;
  }
  auto segundos = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::system_clock::now().time_since_epoch()).count();
  size_t arroba = remetente.rfind('@');
  std::string dominio = arroba == std::string_view::npos ? "velantnfe.invalid" : std::string(remetente.substr(arroba + 1));
  return "Message-ID: <" + std::to_string(segundos) + "." + id + "@" + dominio + ">";
}

std::string NomeArquivo(std::string_view caminho) {
  size_t barra = caminho.find_last_of("\\/");
  return std::string(barra == std::string_view::npos ? caminho : caminho.substr(barra + 1));
}

std::string TipoMidiaAnexo(std::string_view nomeArquivo) {
  size_t ponto = nomeArquivo.rfind('.');
  std::string extensao = ponto == std::string_view::npos ? "" : LCase(nomeArquivo.substr(ponto + 1));
  if (extensao == "xml") return "application/xml";
  if (extensao == "pdf") return "application/pdf";
  if (extensao == "zip") return "application/zip";
  return "application/octet-stream";
}

std::string CabecalhoAnexo(std::string_view nomeArquivo) {
  std::string nome = UmaLinha(nomeArquivo);
  bool simples = !nome.empty();
  for (char c : nome)
    if (!Letra(c) && std::string_view(" !#$%&'()+,-.;=@[]^_`{}~").find(c) == std::string_view::npos) simples = false;
  if (simples) return "Content-Disposition: attachment; filename=\"" + nome + "\"";
  // RFC 2231: the name's UTF-8 bytes percent-encoded.
  std::string codificado;
  char hex[4];
  for (unsigned char c : nome) {
    if (Letra(static_cast<char>(c)) || c == '.' || c == '-' || c == '_') {
      codificado += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      codificado += hex;
    }
  }
  return "Content-Disposition: attachment; filename*=UTF-8''" + codificado;
}

std::string TextoCanonico(std::string_view texto) {
  std::string s = ParaUtf8(texto);
  std::string saida;
  saida.reserve(s.size() + s.size() / 32);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      saida += "\r\n";
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (s[i] == '\n') {
      saida += "\r\n";
    } else {
      saida += s[i];
    }
  }
  return saida;
}

}  // namespace velant::email
