#!/usr/bin/env bash
# The Host killed with SIGKILL at each boundary of an invoice's steps, held
# there by a row lock of PostgreSQL or by the simulator's delay:
#   1 after generation (the batch counter locked), nothing sent
#   2 after step 1 is written, the batch never reaching the authority
#   3 after the send, before its answer is stored (the row locked): the
#     receipt in 3.10, step 2 of the synchronous answer in 4.00
#   4 after step 2, before the situation query
#   5 after the protocol is stored, before step 3
# Restarted, the front end sends the request again. Every invoice ends
# authorised once, at step 3 with its protocol and a valid distribution
# file, every resent request is approved, and every killed one is answered
# as interrupted. LEIAUTE=4.00 (ctest runs it with TRABALHADORES=4) runs
# points 2 to 5 in 4.00: point 1 is over before any layout matters.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

nova_raiz; raiz=$RAIZ; BANCO_PG="t$(basename "$raiz" | tr -dc 'a-zA-Z0-9' | tr 'A-Z' 'a-z')"
banco_pg "$raiz" "$BANCO_PG"
inicia_simulador "$raiz/autoridade" --consultas-processamento 0
# Calls of at most 4 s and the shortest processing bound: a request that was
# claimed more than 10 + 5 + 6 x 4 + 20 = 59 s ago was interrupted.
registro_host "$raiz" '"TempoLimiteProcessamento"="5"' '"TempoLimiteLeitura"="4"' '"TempoLimiteTotal"="4"'
ATRASO=2
# What the row holds for the receipt from the send on: 4.00 has none.
RECIBO='[0-9]{15}'; [ "$LEIAUTE" = 4.00 ] && RECIBO='0?'

pg() { psql_pg -d "dvk_data$BANCO_PG" -tA -F '|' -c "$1"; }
# A statement of the Host waiting for a lock of this test.
host_esperando() { [ "$(pg "SELECT COUNT(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND query LIKE '%$1%'")" -ge 1 ]; }

# Holds a row lock in a session of its own until the file $raiz/soltar appears.
trava() {
  rm -f "$raiz/soltar" "$raiz/travado"
  { echo "BEGIN;"; echo "$1 FOR UPDATE;"; echo '\o '"$raiz/travado"; echo "SELECT 'travado';"
    while [ ! -f "$raiz/soltar" ]; do sleep 0.05; done; echo "COMMIT;"; } \
    | psql_pg -d "dvk_data$BANCO_PG" > /dev/null 2>&1 &
  TRAVA_PID=$!
  espera_ate "trava" grep -qs travado "$raiz/travado"
}
# The server would still run the dead Host's waiting statement once the lock
# goes: its session ends with the Host, as it would had the Host died first.
solta() {
  pg "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE wait_event_type = 'Lock' AND query LIKE '%$1%'" > /dev/null
  touch "$raiz/soltar"; wait "$TRAVA_PID" || true
}

controle_ac=0
# Starts the Host and writes invoice $1 to the request file $2 (a new control number).
inicia_e_pede() { inicia_host "$raiz"; host=$HOST_PID; controle_ac=$((controle_ac + 1)); pedido_nfe "$1" "$controle_ac" > "$2"; }
# Starts the Host and sends invoice $1 in the background (AC_PID), every call
# of the authority delayed by ATRASO s.
inicia_e_envia() {
  controle "atraso=$ATRASO"; inicia_e_pede "$1" "$raiz/nf$1-a.txt"
  "$AC" enviar "$raiz/nf$1-a.txt" --raiz "$raiz" --espera 120 > "$raiz/nf$1-a.txt.out" 2>&1 &
  AC_PID=$!
}
mata() {
  kill -KILL "$host"; wait "$host" 2>/dev/null || true
  kill -TERM "$AC_PID" 2>/dev/null || true; wait "$AC_PID" 2>/dev/null || true
  : > "$raiz/host.out"
}
# Restarts the Host, sends invoice $1 again, and expects it approved.
reenvia() {
  controle ''; inicia_e_pede "$1" "$raiz/nf$1-b.txt"
  envia "$raiz" "$raiz/nf$1-b.txt" 60
  [ "$(resposta "$raiz/nf$1-b.txt")|$(lotes_da_nota "$1")" = "Aprovado: Processamento de NFe OK!|1" ] \
    || falha "NF $1 reenviada (lotes na autoridade: $(lotes_da_nota "$1")): $(cat "$raiz/nf$1-b.txt.out")"
  para_host "$host" || falha "NF $1: o Host terminou com erro"
}

NOTAS="202 203 204 205"
if [ "$LEIAUTE" = 3.10 ]; then
  NOTAS="201 $NOTAS"
  # 1: generated (step 0), waiting for the batch counter.
  trava "SELECT Valor FROM ConfiguracaoDiversa WHERE Nome = 'Contador Lote NFe'"
  inicia_e_envia 201
  espera_ate "1: o Host esperando o contador" host_esperando 'Contador Lote NFe'
  na_etapa 201 '^0\|0\|0$' || falha "1: $(linha_nota 201)"
  mata; solta 'Contador Lote NFe'
  [ "$(pg "SELECT Valor FROM ConfiguracaoDiversa WHERE Nome = 'Contador Lote NFe'")|$(sim_sql "SELECT COUNT(*) FROM lote")" = "0.0000|0" ] \
    || falha "1: contador usado ou algo chegou à autoridade"
  reenvia 201
fi

# 2: step 1 written, the send held by the delay and then refused unprocessed.
inicia_e_envia 202
espera_ate "2: etapa 1" na_etapa 202 '^1\|0\|0$'
mata
controle "atraso=$ATRASO" 'paralisado=108'
sleep $((ATRASO + 1))
[ "$(sim_sql "SELECT COUNT(*) FROM nota WHERE numero = 202")" = 0 ] || falha "2: o lote chegou à autoridade"
reenvia 202

# 3: sent and authorised, the answer not stored (the row locked).
inicia_e_envia 203
espera_ate "3: etapa 1" na_etapa 203 '^1\|0\|0$'
trava "SELECT Numero FROM MovimentoNFe WHERE Numero = 203"
gravacao='Numero da Recepcao'
[ "$LEIAUTE" = 4.00 ] && gravacao='Etapa Concluida" = 2'
espera_ate "3: o Host esperando para gravar a resposta do envio" host_esperando "$gravacao"
mata; solta "$gravacao"
na_etapa 203 '^1\|0\|0$' || falha "3: $(linha_nota 203)"
[ "$(sim_sql "SELECT COUNT(*) FROM nota WHERE numero = 203")" = 1 ] || falha "3: a autoridade não autorizou"
reenvia 203

# 4: step 2, the situation query held by the delay.
inicia_e_envia 204
espera_ate "4: etapa 2" na_etapa 204 "^2\\|$RECIBO\\|0\$"
mata
reenvia 204

# 5: the protocol stored, the distribution file's query held by the delay.
inicia_e_envia 205
espera_ate "5: protocolo gravado" na_etapa 205 "^2\\|$RECIBO\\|[0-9]{15}\$"
mata
reenvia 205

# Every killed request is answered as interrupted by a Host that runs past
# the longest a request can take; the resent ones stay approved.
inicia_host "$raiz"; host=$HOST_PID
espera_respondidas "$raiz" 150
n_notas=$(wc -w <<<"$NOTAS")
[ "$(pg "SELECT COUNT(CASE WHEN Mensagem = 'Processamento interrompido: reenvie a solicitação' THEN 1 END),
  COUNT(CASE WHEN \"Hora da Aprovacao\" IS NOT NULL AND \"Hora Cancelamento Host\" IS NULL THEN 1 END) FROM SolicitacaoFuncaoNFe")|$(
  sim_sql "SELECT COUNT(*) FROM nota")" = "$n_notas|$n_notas|$n_notas" ] \
  || falha "interrompidas | reenviadas | notas na autoridade: $(pg 'SELECT NSU, Mensagem FROM SolicitacaoFuncaoNFe'); $(sim_sql "SELECT COUNT(*) FROM nota")"
for n in $NOTAS; do confere_nota "$raiz" "$n"; done
# 4.00 resumes every killed invoice by its situation: no batch-result query at all.
[ "$LEIAUTE" = 3.10 ] || [ "$(chamadas | awk -F '\t' '$2 == "NFeRetAutorizacao4"' | wc -l)" = 0 ] || falha "consultas de recibo em 4.00: $(chamadas)"
para_host "$host" || falha "o Host terminou com erro"
echo "emissao_queda_pg ($LEIAUTE): ok"
