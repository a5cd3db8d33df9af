#!/usr/bin/env bash
# The PostgreSQL server goes away under a running Host and comes back: the
# Host shows the outage in its status line, logs when it began and ended, and
# serves again within seconds without a restart. (A killed backend and an
# SQLite file unreadable at start are the data layer's reconnection tests.)
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"
trap '[ -z "${pg:-}" ] || bash "$FONTE/scripts/pg-teste" parar "$pg" || true; limpa' EXIT

# STATUS SERVICO with control number $2 to root $1, the AC waiting $3 s: answered
# (unavailable: there is no authority).
atendida() {
  solicitacao "000-000 - STATUS SERVICO" "001-000 - $2" "999-999 - " > "$1/status$2.txt"
  envia "$1" "$1/status$2.txt" "$3"
  [ "$ENVIO" = 1 ] && grep -q '^Cancelado pelo Host: [0-9:]* - Serviço de NFe Indisponível$' "$1/status$2.txt.out" \
    || falha "solicitação $2 não atendida (código $ENVIO): $(cat "$1/status$2.txt.out")"
}

nova_raiz; raiz=$RAIZ
pg="$raiz/pg"
bash "$FONTE/scripts/pg-teste" iniciar "$pg"
VELANT_PG_ESTADO=$pg banco_pg "$raiz" 01   # the server of this test
inicia_host "$raiz"; host=$HOST_PID
atendida "$raiz" 1 20

bash "$FONTE/scripts/pg-teste" desligar "$pg"
espera 150 0.2 no_log "$raiz" ' ** Erro: Banco de dados indisponível: Banco de dados POSTGRESQL: nenhuma conexão aberta: ' \
  || falha "servidor parado: sem a falha no log: $(log_do_dia "$raiz" | tail -5)"
grep -q '^\[status\] Banco de dados indisponível desde [0-9:]*: Banco de dados POSTGRESQL: nenhuma conexão aberta: ' "$raiz/host.out" \
  || falha "servidor parado: sem a falha no rótulo"
sleep 3   # a few failed attempts, spaced out
bash "$FONTE/scripts/pg-teste" religar "$pg"
inicio=$(date +%s)
atendida "$raiz" 2 30
[ $(( $(date +%s) - inicio )) -le 15 ] || falha "servidor religado: demorou $(( $(date +%s) - inicio )) s"
espera 150 0.2 no_log "$raiz" '      Banco de dados disponível novamente (indisponível desde ' \
  || falha "servidor religado: sem o fim da falha no log: $(log_do_dia "$raiz" | tail -5)"
[ "$(grep -c -- ' \*\* Erro: Banco de dados indisponível: ' <(log_do_dia "$raiz"))" = 1 ] || falha "o início da falha repetido no log"

kill -0 "$host" || falha "o Host parou"
para_host "$host" || falha "o Host terminou com erro"

echo "gerente_reconexao: ok"
