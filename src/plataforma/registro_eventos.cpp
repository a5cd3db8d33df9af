#include "plataforma/registro_eventos.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/erro.h"
#include "base/texto.h"

namespace velant {

namespace {

constexpr int64_t kTamanhoMensagem = 50;

std::string Digitos(int n, int largura) {
  char texto[16];
  std::snprintf(texto, sizeof texto, "%0*d", largura, n);
  return texto;
}

std::string DoisDigitos(int n) { return Digitos(n, 2); }

std::string HoraMinutoSegundo(const DataHora& agora) {
  return DoisDigitos(agora.HoraDoDia()) + ":" + DoisDigitos(agora.Minuto()) + ":" + DoisDigitos(agora.Segundo());
}

ErroExecucao ErroDoSistema(int numeroErrno) {
  switch (numeroErrno) {
    case ENOENT:
    case ENOTDIR: return ErroExecucao(CodigoErro::CaminhoNaoEncontrado, DescricaoPadrao(CodigoErro::CaminhoNaoEncontrado));
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return ErroExecucao(CodigoErro::PermissaoNegada, DescricaoPadrao(CodigoErro::PermissaoNegada));
    default: return ErroExecucao(CodigoErro::ErroDeEntradaSaida, DescricaoPadrao(CodigoErro::ErroDeEntradaSaida));
  }
}

// Writes the whole line at the end of the file, or gives errno.
int EscreveNoFim(int fd, const std::string& linha) {
  size_t escritos = 0;
  while (escritos < linha.size()) {
    ssize_t n = ::write(fd, linha.data() + escritos, linha.size() - escritos);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    escritos += static_cast<size_t>(n);
  }
  return 0;
}

void Escapa(std::string& saida, const char* formato, unsigned valor) {
  char texto[12];
  std::snprintf(texto, sizeof texto, formato, valor);
  saida += texto;
}

}  // namespace

std::string LinhaLegivel(std::string_view texto) {
  std::string saida;
  saida.reserve(std::min<size_t>(texto.size(), 2 * kTamanhoMaximoLinhaLog) + 16);
  int64_t caracteres = 0;
  size_t i = 0;
  for (; i < texto.size() && caracteres < kTamanhoMaximoLinhaLog; ++caracteres) {
    const auto c = static_cast<unsigned char>(texto[i]);
    const auto segundo = i + 1 < texto.size() ? static_cast<unsigned char>(texto[i + 1]) : 0u;
    const auto terceiro = i + 2 < texto.size() ? static_cast<unsigned char>(texto[i + 2]) : 0u;
    if (c == '\r') {
      saida += "\\r";
    } else if (c == '\n') {
      saida += "\\n";
    } else if (c == '\t') {
      saida += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      Escapa(saida, "\\x%02X", c);
    } else if (c == 0xC2 && segundo >= 0x80 && segundo <= 0x9F) {   // C1 controls (NEL among them)
      Escapa(saida, "\\u%04X", segundo);
      ++i;
    } else if (c == 0xE2 && segundo == 0x80 && (terceiro == 0xA8 || terceiro == 0xA9)) {   // line and paragraph separators
      Escapa(saida, "\\u%04X", 0x2000u + (terceiro - 0x80u));
      i += 2;
    } else {
      // The whole character, so that a cut never splits one.
      saida += static_cast<char>(c);
      while (i + 1 < texto.size() && (static_cast<unsigned char>(texto[i + 1]) & 0xC0) == 0x80) saida += texto[++i];
    }
    ++i;
  }
  if (i < texto.size()) {
    int64_t restantes = 0;
    for (; i < texto.size(); ++i) restantes += (static_cast<unsigned char>(texto[i]) & 0xC0) != 0x80;
    saida += " [... mais " + std::to_string(restantes) + " caracteres não registrados]";
  }
  return saida;
}

RegistroEventos::RegistroEventos(InterfaceOperador& ui, const MapeadorCaminhos& caminhos, const Relogio& relogio)
    : ui_(ui), caminhos_(caminhos), relogio_(relogio) {}

RegistroEventos::~RegistroEventos() { FechaArquivo(); }

void RegistroEventos::FechaArquivo() {
  if (arquivo_.fd >= 0) ::close(arquivo_.fd);
  arquivo_ = ArquivoAberto{};
}

// Appends one line, or raises what went wrong. The open file serves while
// its name still leads to it: a file removed or replaced meanwhile (cleaned
// up, rotated) is opened again by name, and its folder made again if gone.
void RegistroEventos::AcrescentaLinha(const std::string& nome, const std::string& linha) {
  std::lock_guard<std::mutex> trava(mutexArquivo_);
  if (arquivo_.fd >= 0) {
    struct stat st {};
    if (arquivo_.nome != nome || ::stat(arquivo_.local.c_str(), &st) != 0 || st.st_ino != arquivo_.inode ||
        st.st_dev != arquivo_.dispositivo)
      FechaArquivo();
  }
  if (arquivo_.fd < 0) {
    std::string local = caminhos_.MapearParaGravar(nome).string();
    int fd = ::open(local.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw ErroDoSistema(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
      int erro = errno;
      ::close(fd);
      throw ErroDoSistema(erro);
    }
    arquivo_ = ArquivoAberto{nome, std::move(local), fd, st.st_dev, st.st_ino};
  }
  if (int erro = EscreveNoFim(arquivo_.fd, linha)) {
    FechaArquivo();
    throw ErroDoSistema(erro);
  }
}

std::string RegistroEventos::NomeArquivoLog(DataHora data) {
  return std::string(kPastaLog) + "\\VelantNFe_" + DoisDigitos(data.Dia()) + "_" + DoisDigitos(data.Mes()) + "_" +
         Digitos(data.Ano(), 4) + ".LOG";
}

void RegistroEventos::CriaLogNFe(const std::string& Texto) {
  if (!gravaArquivo_) return;
  try {
    DataHora agora = relogio_.Agora();
    // The folder is created when missing; otherwise every line would be lost.
    AcrescentaLinha(NomeArquivoLog(agora), HoraMinutoSegundo(agora) + " - " + prefixo_ + LinhaLegivel(Texto) + vbCrLf);
  } catch (const ErroExecucao& e) {
    ui_.MsgBox(e.Descricao(), vbOKOnly);
    ui_.MsgBox("Erro ao criar LOG TEF: " + Texto, vbInformation, "Erro: CriaLogNFe");
  } catch (const std::exception& e) {
    ui_.MsgBox(e.what(), vbOKOnly);
    ui_.MsgBox("Erro ao criar LOG TEF: " + Texto, vbInformation, "Erro: CriaLogNFe");
  }
}

void RegistroEventos::RegistraEvento(const std::string& Texto, bool GravarArquivo, bool GravarMensagem) {
  if (GravarArquivo) CriaLogNFe(Texto);

  if (ui_.QuantidadeEventos() >= kMaximoEventosLista) ui_.RemoverPrimeiroEvento();

  if (GravarMensagem && escritor_) {
    std::string aparado = Trim(Texto);
    bool gravou = false;
    try {
      gravou = escritor_(Left(aparado, kTamanhoMensagem));
    } catch (const std::exception&) {
      gravou = false;
    }
    if (!gravou) CriaLogNFe(" ** Erro: Não foi possível definir mensagem: " + aparado);
  }

  ui_.AdicionarEventoSelecionado(prefixo_ + LinhaLegivel(Texto));
}

}  // namespace velant
