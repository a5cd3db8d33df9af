#!/usr/bin/env bash
# "NFE3.10" from velantnfe-ac through the Host to the authority simulator,
# on every path the authority's faults open: approved, repeated, rejected,
# not received ("Erro 94"), still in processing at the bound, answer lost,
# duplicate of this key (204) and of this number under another key (539),
# and a hostile authority whose protocols are tampered with after signing.
# Each invoice ends authorised once, with its row at step 3 and a valid
# distribution file whose signatures hold. MOTOR=pg runs it on PostgreSQL.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

nova_raiz_emissao; raiz=$RAIZ
inicia_simulador "$raiz/autoridade" --consultas-processamento 0
registro_host "$raiz" '"TempoLimiteProcessamento"="6"' "\"CertificadosConfiaveis\"=\"$CERTS/ac.pem\""
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"

controle_ac=0
# Sends invoice $1 (extra pedido_nfe arguments after it); the answer in RESPOSTA.
emite() {
  local numero=$1; shift
  controle_ac=$((controle_ac + 1))
  local arquivo="$raiz/nf$numero-$controle_ac.txt"
  pedido_nfe "$numero" "$controle_ac" 1 "$@" > "$arquivo"
  envia "$raiz" "$arquivo" 90
  RESPOSTA=$(resposta "$arquivo")
}
espera_resposta() {   # $1 expected answer, $2 what is being tested
  [ "$RESPOSTA" = "$1" ] || falha "$2: resposta '$RESPOSTA', esperada '$1'"
}
etapa() { consulta "$raiz" "SELECT [Etapa Concluida], [Numero da Recepcao] > 0 FROM MovimentoNFe WHERE Numero = $1"; }

# Approved; the same request again sends nothing and says why.
emite 101
espera_resposta "Aprovado: Processamento de NFe OK!" "aprovada"
confere_nota "$raiz" 101
lotes=$(sim_sql "SELECT COUNT(*) FROM lote")
emite 101
protocolo=$(sim_sql "SELECT nProt FROM nota WHERE numero = 101")
espera_resposta "Cancelado: NFe já autorizada - Protocolo: $protocolo" "repetida"
[ "$(sim_sql "SELECT COUNT(*) FROM lote")" = "$lotes" ] || falha "repetida: um lote foi enviado"
confere_nota "$raiz" 101

# Rejected: step 0 and the authority's reason; the next request is issued.
controle 'rejeitar=598'
emite 102
espera_resposta "Cancelado: 598 - Rejeição: NF-e emitida em ambiente de homolo" "rejeitada"
[ "$(etapa 102)" = "0|t" ] || [ "$(etapa 102)" = "0|1" ] || falha "rejeitada: etapa $(etapa 102)"
controle ''
emite 102
espera_resposta "Aprovado: Processamento de NFe OK!" "rejeitada e reenviada"
confere_nota "$raiz" 102

# Not received ("Erro 94"): step 0; the next request is issued.
controle 'paralisado=108'
emite 103
espera_resposta "Cancelado: Não foi possível enviar o lote" "Erro 94"
[ "$(etapa 103)" = "0|f" ] || [ "$(etapa 103)" = "0|0" ] || falha "Erro 94: etapa $(etapa 103)"
controle ''
emite 103
espera_resposta "Aprovado: Processamento de NFe OK!" "Erro 94 e reenviada"
confere_nota "$raiz" 103

# Still in processing when the bound (6 s) is reached: step 1 with the
# receipt; the next request queries it and sends nothing.
controle 'processando=sempre'
inicio=$(date +%s)
emite 104
espera_resposta "Cancelado: 105 - Lote em processamento" "em processamento"
[ $(( $(date +%s) - inicio )) -lt 30 ] || falha "em processamento: o limite não foi respeitado"
[ "$(etapa 104)" = "1|t" ] || [ "$(etapa 104)" = "1|1" ] || falha "em processamento: etapa $(etapa 104)"
controle ''
emite 104
espera_resposta "Aprovado: Processamento de NFe OK!" "em processamento e retomada"
[ "$(lotes_da_nota 104)" = 1 ] || falha "em processamento: $(lotes_da_nota 104) lotes"
confere_nota "$raiz" 104

# The answer to the send is lost: the authority has the invoice; the next
# request finds it there and sends nothing.
controle 'descartar=1'
emite 105
espera_resposta "Cancelado: Não foi possível enviar o lote" "resposta perdida"
controle ''
emite 105
espera_resposta "Aprovado: Processamento de NFe OK!" "resposta perdida e reenviada"
[ "$(lotes_da_nota 105)" = 1 ] || falha "resposta perdida: $(lotes_da_nota 105) lotes"
confere_nota "$raiz" 105

# A duplicate of the same key (204): the row was lost, the invoice is sent
# again; the authority's first authorisation is what the row records.
emite 106
espera_resposta "Aprovado: Processamento de NFe OK!" "duplicidade: primeira"
consulta "$raiz" "DELETE FROM MovimentoNFe WHERE Numero = 106" > /dev/null
emite 106
espera_resposta "Aprovado: Processamento de NFe OK!" "duplicidade 204"
[ "$(lotes_da_nota 106)" = 2 ] || falha "duplicidade 204: $(lotes_da_nota 106) lotes"
confere_nota "$raiz" 106
grep -q -- '        NFe já autorizada, nada é reenviado: NFe' <(log_do_dia "$raiz") || falha "duplicidade 204: log"

# The same number under another key (539, another emission month): the row
# takes the authorised key, and its distribution file the authorised document.
emite 107
espera_resposta "Aprovado: Processamento de NFe OK!" "539: primeira"
consulta "$raiz" "DELETE FROM MovimentoNFe WHERE Numero = 107" > /dev/null
emite 107 15/02/2016
espera_resposta "Aprovado: Processamento de NFe OK!" "duplicidade 539"
confere_nota "$raiz" 107

# Tampered protocols are not believed: nothing stored, no distribution file,
# the reason as the answer; the genuine answer later finishes the invoice.
controle 'adulterar=protocolo'
emite 108
espera_resposta "Cancelado: Assinatura da autoridade inválida" "protocolo adulterado"
[ "$(etapa 108)" = "1|t" ] || [ "$(etapa 108)" = "1|1" ] || falha "protocolo adulterado: etapa $(etapa 108)"
[ "$(consulta "$raiz" "SELECT [Numero do Protocolo] FROM MovimentoNFe WHERE Numero = 108")" = 0 ] \
  || falha "protocolo adulterado: protocolo gravado"
! ls "$raiz/C/Dunmor/nfe/arquivos/procNFe/"*"$(printf '%09d' 108)"*-procNFe.xml > /dev/null 2>&1 \
  || falha "protocolo adulterado: arquivo de distribuição gravado"
controle 'adulterar=assinatura'
emite 108
espera_resposta "Cancelado: Resposta da autoridade sem assinatura" "protocolo sem assinatura"
controle ''
emite 108
espera_resposta "Aprovado: Processamento de NFe OK!" "protocolo adulterado e depois o verdadeiro"
[ "$(lotes_da_nota 108)" = 1 ] || falha "protocolo adulterado: $(lotes_da_nota 108) lotes"
confere_nota "$raiz" 108

para_host "$host" || falha "o Host terminou com erro"
echo "emissao_caminhos ($MOTOR): ok"
