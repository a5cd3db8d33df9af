// Recipient group (gVetorDestinatario): the test identity of homologation,
// the foreign recipient and the state-registration indicator. Any error ends
// the routine with one log line naming the phase reached.
#include <exception>
#include <string>

#include "base/regional.h"
#include "base/texto.h"
#include "content/execucao_tolerante.h"
#include "content/formas_valor.h"
#include "content/formatacao_numeros.h"
#include "content/preenche_vetores.h"
#include "data/tabelas_solicitacao.h"

namespace velant {

namespace {

constexpr const char* kNomeHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";
constexpr const char* kCnpjHomologacao = "99999999000191";

}  // namespace

void Gera_dados_destinatario(Contexto& ctx) {
  int xFaseLog = 0;
  try {
    using namespace conteudo;
    xFaseLog = 10;
    ctx.log.RegistraEvento("        Gerando vetor Destinatário...", true, false);
    auto& v = ctx.vetores.gVetorDestinatario;
    v.assign(kSlotsDestinatario, std::string());
    const data::Recordset& nota = ctx.tabelas.TabelaNota;

    Valor ambiente(ctx.registro.LerRegistro(HKEY_CURRENT_USER, "nfe", "Ambiente"));
    bool homologacao = Igual(ambiente, Valor(int32_t{2}));
    bool producao = Igual(ambiente, Valor(int32_t{1}));
    xFaseLog = 20;

    bool exterior = Igual(nota.Value("ufcli"), Valor("EX"));
    if (homologacao && exterior) {
      v[0] = "";
      v[1] = kNomeHomologacao;
      v[7] = "EXTERIOR";
      v[13] = "";
    } else if (producao && exterior) {
      v[0] = "";
      v[1] = LimpoDe(nota, "RazaoSocialCli");
      v[7] = "EXTERIOR";
      v[13] = DigitosDe(nota, "iecli");
    } else if (homologacao && !exterior) {
      v[0] = kCnpjHomologacao;
      v[1] = kNomeHomologacao;
      v[7] = LimpoDe(nota, "NomeMunCli");
      v[13] = "";
    } else {
      xFaseLog = 60;
      v[0] = ValorDe(nota, "CgcCli");
      v[1] = LimpoDe(nota, "RazaoSocialCli");
      v[7] = LimpoDe(nota, "NomeMunCli");
      v[13] = DigitosDe(nota, "iecli");
    }

    xFaseLog = 70;
    v[2] = LimpoDe(nota, "LogradouroCli");
    v[3] = "";
    v[4] = "";
    v[5] = LimpoDe(nota, "bairrocli");
    v[6] = ValorDe(nota, "CodMunCli");

    xFaseLog = 80;
    v[8] = ValorDe(nota, "ufcli");
    v[9] = ValorDe(nota, "cepcli");
    v[10] = ValorDe(nota, "CodPaisCli");
    v[11] = LimpoDe(nota, "NomePaisCli");
    v[12] = ValorCampo(nota, MeioOuNulo(nota.Value("telefonecli"), 2, 999));

    xFaseLog = 90;
    if (Diferente(nota.Value("codsuframacl"), Valor(int32_t{0})) && !nota.Eof()) {
      v[14] = ValorDe(nota, "codsuframacl");
    } else {
      v[14] = "";
    }
    v[15] = "";

    xFaseLog = 100;
    for (int i = 21; i <= 24; ++i) v[i] = "";
    xFaseLog = 110;
    for (int i = 25; i <= 28; ++i) v[i] = "";
    xFaseLog = 160;
    for (int i = 29; i <= 32; ++i) v[i] = "";
    xFaseLog = 170;
    for (int i = 33; i <= 36; ++i) v[i] = "";

    // State-registration indicator: a CPF or an exempt registration is "9";
    // homologation sends "2" for a recipient in the country.
    v[37] = "1";
    const Valor& cgc = nota.Value("CgcCli");
    const Valor& ie = nota.Value("iecli");
    if (!cgc.ENulo() && Len(CStr(cgc)) == 11) {
      v[37] = "9";
    } else if (!ie.ENulo() && Like(UCase(CStr(ie)), "ISENT*")) {
      v[37] = "9";
      v[13] = "";
    } else {
      v[37] = "1";
    }
    if (homologacao) v[37] = "2";
    // A recipient abroad has no state registration: never a contributor.
    if (exterior) v[37] = "9";
    // A non-contributor buys as final consumer; the authority refuses otherwise.
    auto& ide = ctx.vetores.gVetorIde;
    if (v[37] == "9" && ide.size() > 14) ide[14] = "1";
    v[38] = "";

    ctx.log.RegistraEvento("        Gerado vetor Destinatário!", true, false);
  } catch (const std::exception& erro) {
    ctx.log.RegistraEvento("     ** Erro na Rotina: Gera_dados_destinatario - xFaseLog=" + std::to_string(xFaseLog) +
                               " - " + conteudo::DescricaoErro(erro),
                           true, false);
  }
}

}  // namespace velant
