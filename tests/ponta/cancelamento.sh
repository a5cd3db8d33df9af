#!/usr/bin/env bash
# CANCELAR NFE from the AC through the Host to the authority simulator, on
# invoices the simulator authorised: cancelled (the first request after
# start-up), cancelled again, refused (wrong protocol, short justification),
# and cancelled with no front-end row, then asked again once the row exists.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/autoridade_apoio.inc"

nova_raiz; raiz=$RAIZ
inicia_simulador "$raiz/autoridade" --consultas-processamento 0
grava_registro "$raiz"
pedido="$FONTE/tests/content/dourados/simples_nacional_nacional.txt"   # company 1, series 1
autoriza_nota "$raiz" "$pedido" 1001; chave1=$CHAVE; prot1=$PROTOCOLO
autoriza_nota "$raiz" "$pedido" 1002; chave2=$CHAVE; prot2=$PROTOCOLO
db=$(banco "$raiz")
linha_ac() { sql "$db" "INSERT INTO MovimentoNFeSaidaCancelada (Empresa, Serie, [Numero da NFe]) VALUES (1, '1', '$1')"; }
linha() { sql "$db" "SELECT [Numero do Protocolo] || '|' || [Etapa Concluida] FROM MovimentoNFeSaidaCancelada WHERE Empresa = 1 AND Serie = '1' AND [Numero da NFe] = '$1'"; }
linha_ac "$chave1"

n=0
cancela() {   # $1 key, $2 number, $3 protocol, $4 justification
  n=$((n + 1))
  solicitacao "000-000 - CANCELAR NFE" "001-000 - $n" "040-000 - 1" "050-000 - $1" "051-000 - $3" "052-000 - $4" \
    "111-000 - $2" "112-000 - 1" "999-999 - " > "$raiz/cancela$n.txt"
  envia "$raiz" "$raiz/cancela$n.txt"
}
aprovada() { grep -q '^Aprovado pelo Host: [0-9:]* - NFe Cancelada com Sucesso!$' <<<"$1"; }
recusada() { grep -q '^Cancelado pelo Host: [0-9:]* - NFe não foi cancelada!$' <<<"$1"; }
caixas() { grep -c -F "[caixa] VelantNFe: $1" "$raiz/host.out" || true; }
inconsistencia="Inconsistência na atualização do Cancelamento da NF-e"

inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"

# The first request after start-up: registered, the event's protocol in the row.
saida=$(cancela "$chave1" 1001 "$prot1" "Cancelamento por erro de digitacao") || falha "cancelamento: $saida"
aprovada "$saida" || falha "cancelamento: $saida"
prot_evento=$(log_do_dia "$raiz" | sed -n 's/^[0-9:]* -       Resultado: 135 - Evento registrado e vinculado a NF-e - Protocolo: \([0-9]\{15\}\)$/\1/p')
[ -n "$prot_evento" ] || falha "cancelamento: linha de resultado no log: $(log_do_dia "$raiz" | tail -5)"
[ "$prot_evento" != "$prot1" ] || falha "cancelamento: o protocolo do evento é o da autorização"
[ "$(linha "$chave1")" = "$prot_evento|3" ] || falha "cancelamento: linha $(linha "$chave1")"
[ "$(situacao_nota "$chave1")" = 101 ] || falha "cancelamento: a autoridade não tem a nota cancelada"

# Again: already cancelled, approved; the event's protocol already recorded stays.
saida=$(cancela "$chave1" 1001 "$prot1" "Cancelamento por erro de digitacao") || falha "de novo: $saida"
aprovada "$saida" || falha "de novo: $saida"
grep -q -- '^[0-9:]* -       Resultado: 218 - Rejeição: NF-e já está cancelada na base de dados da SEFAZ$' \
  <(log_do_dia "$raiz") || falha "de novo: linha de resultado no log"
[ "$(linha "$chave1")" = "$prot_evento|3" ] || falha "de novo: linha $(linha "$chave1")"

# Refused: a protocol that is not the invoice's, with a justification full of
# the digits of success; then a justification under 15 characters.
linha_ac "$chave2"
rc=0; saida=$(cancela "$chave2" 1002 "${prot2%?}9" "Cancelamento 101 102 218 - NF 101") || rc=$?
[ "$rc" = 1 ] && recusada "$saida" || falha "protocolo errado: código $rc ($saida)"
[ "$(caixas "Erro ao cancelar nfe. Retorno!  / 222 - Rejeição: Protocolo de Autorização de Uso difere do cadastrado")" = 1 ] \
  || falha "protocolo errado: caixa de mensagem: $(tail -5 "$raiz/host.out")"
rc=0; saida=$(cancela "$chave2" 1002 "$prot2" "Erro 101 218") || rc=$?
[ "$rc" = 1 ] && recusada "$saida" || falha "justificativa curta: código $rc ($saida)"
# The component checks the event against its schema before sending it.
grep -q -- "^[0-9:]* -      \*\* Erro na Rotina: CancelaNFe - Mensagem envEvento fora do esquema .*xJust.*minLength" \
  <(log_do_dia "$raiz") || falha "justificativa curta: linha de erro no log"
[ "$(linha "$chave2")" = "0|0" ] || falha "recusados: linha $(linha "$chave2")"
[ "$(situacao_nota "$chave2")" = 100 ] || falha "recusados: a nota não está mais autorizada"

# No front-end row: registered at the authority, but not recorded, so not
# approved; likewise when already cancelled. Once the row exists, the
# invoice already cancelled is recorded with protocol 1111.
sql "$db" "DELETE FROM MovimentoNFeSaidaCancelada WHERE [Numero da NFe] = '$chave2'"
rc=0; saida=$(cancela "$chave2" 1002 "$prot2" "Cancelamento por erro de digitacao") || rc=$?
[ "$rc" = 1 ] && recusada "$saida" || falha "sem linha: código $rc ($saida)"
[ "$(situacao_nota "$chave2")" = 101 ] || falha "sem linha: a autoridade não cancelou"
rc=0; saida=$(cancela "$chave2" 1002 "$prot2" "Cancelamento por erro de digitacao") || rc=$?
[ "$rc" = 1 ] && recusada "$saida" || falha "sem linha, de novo: código $rc ($saida)"
[ "$(caixas "$inconsistencia")" = 2 ] || falha "sem linha: caixas de inconsistência: $(caixas "$inconsistencia")"
linha_ac "$chave2"
saida=$(cancela "$chave2" 1002 "$prot2" "Cancelamento por erro de digitacao") || falha "linha criada: $saida"
aprovada "$saida" || falha "linha criada: $saida"
[ "$(linha "$chave2")" = "1111|3" ] || falha "linha criada: linha $(linha "$chave2")"

para_host "$host" || falha "o Host terminou com erro"
para_simulador
echo "cancelamento: ok"
