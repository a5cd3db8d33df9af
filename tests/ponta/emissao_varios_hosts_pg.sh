#!/usr/bin/env bash
# Four Hosts on one SQLite file, then four on one PostgreSQL database, with
# four front ends sending invoices at once: each invoice authorised once, in
# a batch of its own number, at step 3 with its protocol and a valid
# distribution file in the folder of the Host that issued it, every request
# approved, more than one Host serving. scripts/emissao-varios-hosts runs the
# same with 200 invoices.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

NOTAS=${NOTAS:-16}
varios_hosts() {   # engine: sqlite (one file) or pg (one database)
  local motor=$1 pids_host=() series=() i f n servidos=0 obtido
  raizes_num_banco "$motor" 4; local raizes=("${RAIZES_FILA[@]}")
  for i in "${raizes[@]}"; do inicia_host "$i"; pids_host+=("$HOST_PID"); done
  # Each front end sends its share one after the other, all at once.
  envia_serie() { for n in $(seq "$1" 4 "$NOTAS"); do pedido_nfe "$n" "$n" > "$2/ac$1-nf$n.txt"; envia "$2" "$2/ac$1-nf$n.txt" 180; done; }
  for i in 1 2 3 4; do envia_serie "$i" "${raizes[$((i - 1))]}" & series+=($!); done
  wait "${series[@]}"
  n=0
  for f in $(find "${raizes[@]}" -name 'ac*-nf*.txt'); do
    [ "$(resposta "$f")" = "Aprovado: Processamento de NFe OK!" ] && n=$((n + 1)) || falha "$(basename "$f"): $(cat "$f.out")"
  done
  # Each number authorised once, one batch each, nothing else; rows and files.
  confere_notas_da_fila 1 "$NOTAS" "${raizes[@]}"
  obtido="$n|$(sim_sql "SELECT COUNT(*) FROM lote")|$(consulta "${raizes[0]}" "SELECT COUNT(DISTINCT [Numero do Lote]) FROM MovimentoNFe")"
  obtido="$obtido|$(find "${raizes[@]}" -name '*-procNFe.xml' | wc -l)"
  [ "$obtido" = "$NOTAS|$NOTAS|$NOTAS|$NOTAS" ] || falha "respostas aprovadas | lotes recebidos | números de lote | arquivos de distribuição: $obtido"
  for i in "${!raizes[@]}"; do
    grep -q 'Aprovado pelo Host:' <(log_do_dia "${raizes[$i]}") && servidos=$((servidos + 1))
    para_host "${pids_host[$i]}" || falha "o Host $i terminou com erro"
  done
  [ "$servidos" -gt 1 ] || falha "só um Host serviu"
  echo "varios_hosts ($motor): $NOTAS notas, 4 Hosts ($servidos serviram)"
}
# In 4.00 (LEIAUTE=4.00) PostgreSQL only: how Hosts share
# one SQLite file does not depend on the layout.
[ "$LEIAUTE" = 3.10 ] && varios_hosts sqlite
varios_hosts pg
