// enviar: inserts a request with the next free NSU and follows it until the Host answers.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "base/arquivos.h"
#include "base/erro.h"
#include "base/regional.h"
#include "base/texto.h"
#include "aviso_espera.h"
#include "data/solicitacao_funcao_nfe.h"
#include "fila_ac.h"
#include "nota.h"

namespace velant::ac {

namespace {

constexpr int kTentativasNSU = 50;
// A Host polls once a second: a request nobody took in this time is worth a notice.
constexpr int kSegundosAteAviso = 5;

// The value of the first line with that code, or "" (the text's own format:
// code in characters 1 to 7, value from character 11).
std::string Campo(const std::string& texto, const std::string& codigo) {
  size_t inicio = 0;
  while (inicio < texto.size()) {
    size_t fim = texto.find("\r\n", inicio);
    if (fim == std::string::npos) fim = texto.size();
    std::string_view linha(texto.data() + inicio, fim - inicio);
    if (linha.substr(0, 7) == codigo) return Len(linha) > 10 ? Mid(linha, 11) : "";
    inicio = fim + 2;
  }
  return "";
}

int32_t Numero(const std::string& texto) {
  try {
    return texto.empty() ? 0 : CLng(Valor(texto));
  } catch (const ErroExecucao&) {
    return 0;
  }
}

int64_t MaiorNSU(data::CConexaoNfe& conexao) {
  auto rs = conexao.RsConexao("SELECT MAX(NSU) AS Maior FROM SolicitacaoFuncaoNFe");
  if (rs->State() != data::adStateOpen || rs->Eof()) throw std::runtime_error("consulta do maior NSU falhou");
  const Valor& v = rs->Value(0);
  return v.ENulo() ? 0 : CLngLng(v);
}

// Lone LFs (a file saved on Linux) become CR LF: the Host splits lines at
// CR LF only and would refuse the request.
bool ConverteLFParaCRLF(std::string& texto) {
  std::string convertido;
  convertido.reserve(texto.size() + texto.size() / 16);
  bool mudou = false;
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] == '\n' && (i == 0 || texto[i - 1] != '\r')) {
      convertido += '\r';
      mudou = true;
    }
    convertido += texto[i];
  }
  if (mudou) texto = std::move(convertido);
  return mudou;
}

// --campo CODIGO=VALOR: the value of the first line with that code, or a new
// line after the command and control number when the text has none (before
// the items, so that a header field reaches them).
void DefineCampo(std::string& texto, const std::string& codigo, const std::string& valor) {
  size_t inicio = 0, depoisDoCabecalho = std::string::npos;
  while (inicio < texto.size()) {
    size_t fim = texto.find("\r\n", inicio);
    if (fim == std::string::npos) fim = texto.size();
    const std::string_view linha(texto.data() + inicio, fim - inicio);
    if (linha.substr(0, 7) == codigo) {
      const std::string separador = linha.size() >= 10 ? std::string(linha.substr(7, 3)) : " - ";
      texto.replace(inicio, fim - inicio, codigo + separador + valor);
      return;
    }
    if (linha.substr(0, 7) == "000-000" || linha.substr(0, 7) == "001-000") {
      depoisDoCabecalho = std::min(fim + 2, texto.size());
    }
    inicio = fim + 2;
  }
  const std::string nova = codigo + " - " + valor + "\r\n";
  texto.insert(depoisDoCabecalho == std::string::npos ? 0 : depoisDoCabecalho, nova);
}

// The front end must send the invoice's authorisation protocol, which only
// the Host's row knows: without it the authority refuses the event.
std::string FaltaProtocolo(const std::string& texto) {
  if (Campo(texto, "000-000") != "CANCELAR NFE" || !Campo(texto, "051-000").empty()) return "";
  const std::string numero = Campo(texto, "111-000"), serie = Campo(texto, "112-000");
  return "CANCELAR NFE sem o protocolo de autorização (051-000). O protocolo da nota está em MovimentoNFe:\n"
         "  velantnfe-ac enviar ARQUIVO --campo 051-000=$(velantnfe-ac consultar " +
         (numero.empty() ? std::string("NUMERO") : numero) + " --serie " + (serie.empty() ? std::string("SERIE") : serie) +
         " --valor protocolo)";
}

// After an invoice is authorised: what the requests that follow it need.
void MostraNotaAutorizada(FilaAC& fila, const std::string& texto) {
  const int32_t numero = Numero(Campo(texto, "111-000"));
  const std::string empresa = Campo(texto, "040-000");
  for (const NotaRegistrada& n : LocalizaNotas(fila, Campo(texto, "112-000"), numero, empresa.empty() ? -1 : Numero(empresa))) {
    if (n.protocolo > 0) {
      std::printf("Nota %d série %s: chave %s, protocolo %lld\n", n.numero, n.serie.c_str(), n.chave.c_str(),
                  static_cast<long long>(n.protocolo));
    }
  }
}

// Another front end may take the same NSU between our reading and our
// insert: the key refuses the second row, and we try the next number.
// Returns 0 with `motivo` set when the request was not inserted.
int32_t Inclui(FilaAC& fila, const std::string& texto, const std::string& ip, std::string& motivo) {
  data::cSolicitacaoFuncaoNFe& s = fila.Solicitacao();
  const DataHora agora = fila.Relogio().Agora();
  std::mt19937 sorteio(std::random_device{}());
  for (int tentativa = 0; tentativa < kTentativasNSU; ++tentativa) {
    // The NSU column and the Host count in 32 bits: past the last one a
    // number would wrap to a negative NSU.
    const int64_t maior = MaiorNSU(fila.Conexao());
    if (maior >= std::numeric_limits<int32_t>::max()) {
      motivo = "o maior NSU da fila é " + std::to_string(maior) + " e não há NSU livre depois dele (limite " +
               std::to_string(std::numeric_limits<int32_t>::max()) + ")";
      return 0;
    }
    s.NSU(static_cast<int32_t>(std::max<int64_t>(maior, 0) + 1));
    s.NumeroControleSolicitacao(Numero(Campo(texto, "001-000")));
    s.DataSolicitacao(agora.SoData());
    s.HoraSolicitacao(agora.SoHora());
    s.TipoOperacao(Left(Campo(texto, "000-000"), 50));
    s.CodigoEstabelecimento(Numero(Campo(texto, "040-000")));
    s.SerieNFe(Left(Campo(texto, "112-000"), 10));
    s.NumeroNFe(Numero(Campo(texto, "111-000")));
    s.ChaveAcessoNFe(Left(Campo(texto, "050-000"), 60));
    s.IPComputadorAC(ip);
    s.IPInternetAC("");
    s.SegurancaEstabelecimento("");
    s.CodigoUsuario(0);
    s.VersaoAC("velantnfe-ac 6.07.01.1");
    s.VersaoHost("");
    s.Texto(texto);
    s.HoraAnalise(DataHora());
    s.HoraAprovacao(DataHora());
    s.HoraCancelamentoHost(DataHora());
    s.HoraConfirmacaoAC(DataHora());
    s.HoraCancelamentoAC(DataHora());
    s.Mensagem("");
    if (s.Incluir()) return s.NSU();
    motivo = "NSU " + std::to_string(s.NSU()) + " não gravado: " +
             (s.UltimoErro().empty() ? std::string("o banco não incluiu a linha") : s.UltimoErro());
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + sorteio() % 50));
  }
  motivo += " (" + std::to_string(kTentativasNSU) + " tentativas)";
  return 0;
}

}  // namespace

int Enviar(FilaAC& fila, const OpcoesAC& opcoes, const std::string& arquivo) {
  std::string motivo;
  auto conteudo = LerArquivoComum(arquivo, &motivo);
  if (!conteudo) {
    std::fprintf(stderr, "velantnfe-ac: não foi possível ler %s: %s\n", arquivo.c_str(), motivo.c_str());
    return 66;
  }
  // The queue keeps UTF-8; a file written in Windows-1252 is converted.
  std::string texto = ParaUtf8(*conteudo);
  if (ConverteLFParaCRLF(texto)) std::printf("Linhas terminadas só em LF convertidas para CR LF\n");
  for (const std::string& campo : opcoes.campos) {
    const std::string codigo = campo.substr(0, 7), valor = campo.substr(8);
    DefineCampo(texto, codigo, valor);
    std::printf("Campo %s: %s\n", codigo.c_str(), valor.c_str());
  }
  const std::string comando = Campo(texto, "000-000");
  if (const std::string falta = FaltaProtocolo(texto); !falta.empty()) {
    std::fprintf(stderr, "velantnfe-ac: a solicitação não foi incluída: %s\n", falta.c_str());
    return 3;
  }

  const std::string ip = fila.IPDoHost(opcoes.ip);
  const int32_t nsu = Inclui(fila, texto, ip, motivo);
  if (nsu <= 0) {
    std::fprintf(stderr, "velantnfe-ac: a solicitação não foi incluída: %s\n", motivo.c_str());
    return 3;
  }
  // A Host listening is woken at once; one that is not finds the row at its next poll.
  try {
    data::AvisaHosts(fila.Conexao());
  } catch (const std::exception&) {
  }
  std::printf("NSU %d incluído para o IP %s: %s\n", nsu, ip.c_str(), comando.c_str());
  std::fflush(stdout);
  if (opcoes.esperaSegundos == 0) return 0;   // only inserting: the insert is the answer

  using Relogio = std::chrono::steady_clock;
  const auto limite = Relogio::now() + std::chrono::seconds(opcoes.esperaSegundos);
  data::cSolicitacaoFuncaoNFe& s = fila.Solicitacao();
  const auto aviso = Relogio::now() + std::chrono::seconds(kSegundosAteAviso);
  bool avisou = false;
  // Said while waiting, and at the end of a wait shorter than that (not when only inserting).
  auto avisa = [&]() {
    if (avisou || opcoes.esperaSegundos == 0) return;
    avisou = true;
    std::printf("%s\n", AvisoSemAnalise(fila, ip, nsu, fila.Relogio().Agora()).c_str());
    std::fflush(stdout);
  };
  std::string mensagem;
  DataHora analise;
  while (Relogio::now() < limite) {
    if (s.LocalizarCodigo(nsu)) {
      if (analise.Zero() && !s.HoraAnalise().Zero()) {
        analise = s.HoraAnalise();
        std::printf("Em análise: %s\n", Hora(analise).c_str());
      }
      if (s.Mensagem() != mensagem) {
        mensagem = s.Mensagem();
        std::printf("Mensagem: %s\n", mensagem.c_str());
      }
      std::fflush(stdout);
      int codigo = -1;
      if (!s.HoraAprovacao().Zero()) {
        std::printf("Aprovado pelo Host: %s - %s\n", Hora(s.HoraAprovacao()).c_str(), s.Mensagem().c_str());
        if (comando == "NFE3.10") MostraNotaAutorizada(fila, texto);
        codigo = 0;
      } else if (!s.HoraCancelamentoHost().Zero()) {
        std::printf("Cancelado pelo Host: %s - %s\n", Hora(s.HoraCancelamentoHost()).c_str(), s.Mensagem().c_str());
        codigo = 1;
      } else if (comando == "ATV" && !analise.Zero()) {
        // The liveness check is answered by the claim alone.
        std::printf("Host ativo: %s\n", Hora(analise).c_str());
        codigo = 0;
      }
      if (codigo >= 0) {
        if (opcoes.confirmar) {
          s.HoraConfirmacaoAC(fila.Relogio().Agora().SoHora());
          if (!s.Alterar(nsu)) std::fprintf(stderr, "velantnfe-ac: a confirmação não foi gravada\n");
        }
        std::fflush(stdout);
        return codigo;
      }
      if (analise.Zero() && Relogio::now() >= aviso) avisa();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  if (analise.Zero()) avisa();
  std::printf("Sem resposta em %d s%s\n", opcoes.esperaSegundos,
              analise.Zero() ? "" : (" (em análise desde " + Hora(analise) + ")").c_str());
  return 2;
}

}  // namespace velant::ac
