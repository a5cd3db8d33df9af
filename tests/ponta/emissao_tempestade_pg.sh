#!/usr/bin/env bash
# Two Hosts on two root folders and one database, killed with SIGKILL at
# random moments and started again, while three front ends send invoices
# and send again each one left without an answer: on one SQLite file and,
# at the same time, on one PostgreSQL database. No invoice is authorised twice, every
# invoice ends at step 3 with the authority's key and protocol and a valid
# distribution file in one of the roots, no request ends with the
# distribution file missing, and every request is answered with a message.
# TEMPESTADE_NOTAS invoices per database: 60 by default; ctest runs 12.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"

NOTAS=${TEMPESTADE_NOTAS:-60}
PIDS_ARQUIVOS=()
# The Hosts started by the killer are known by their pid files.
mata_restantes() { local f; for f in "${PIDS_ARQUIVOS[@]}"; do [ -s "$f" ] && kill -KILL "$(cat "$f")" 2>/dev/null || true; done; }
trap 'mata_restantes; limpa; apaga_bancos_pg' EXIT
# Starts the Host of root $1 and writes its pid to <root>/pid.
inicia_host_pid() { "$HOST" --raiz "$1" --registro "$1/registro.reg" >> "$1/host.out" 2>&1 & echo $! > "$1/pid"; }

# Kills one Host at random every 0.8 to 2.7 s and starts it again within a
# second, until the file $1/parar appears. The kills are counted in $1/mortes.
assassino() {
  local base=$1 raizes=("${@:2}") r pid
  while [ ! -e "$base/parar" ]; do
    sleep "$((RANDOM % 2)).$((RANDOM % 10))"; sleep 0.8
    [ -e "$base/parar" ] && break
    r=${raizes[$((RANDOM % ${#raizes[@]}))]}
    pid=$(cat "$r/pid"); kill -KILL "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true
    echo "$pid" >> "$base/mortes"
    sleep "0.$((RANDOM % 10))"
    inicia_host_pid "$r"
  done
}

# Invoice $2 sent from root $1 until a Host approves it (or says it was
# already authorised: the answer of the request that finished it was lost).
envia_ate_concluir() {
  local raiz=$1 n=$2 tentativa r
  for tentativa in $(seq 1 15); do
    pedido_nfe "$n" "$((n * 100 + tentativa))" > "$raiz/nf$n-$tentativa.txt"
    envia "$raiz" "$raiz/nf$n-$tentativa.txt" 10
    r=$(resposta "$raiz/nf$n-$tentativa.txt") || r=
    case "$r" in
      "Aprovado: Processamento de NFe OK!" | "Cancelado: NFe já autorizada - Protocolo: "*) return 0 ;;
    esac
  done
  echo "NF $n: sem conclusão em $tentativa pedidos; o último: $(cat "$raiz/nf$n-$tentativa.txt.out")" >> "$raiz/falhas"
}

tempestade() {   # in a subshell of its own: its own roots, Hosts and cleaning
  local motor=$1 i n faltas chave digest proc
  trap 'mata_restantes; limpa; apaga_bancos_pg' EXIT
  # Calls of at most 3 s and the shortest processing bound: a request
  # claimed by a Host that died is answered by the other after 53 s.
  raizes_num_banco "$motor" 2 '"TempoLimiteProcessamento"="5"' '"TempoLimiteConexao"="3"' \
    '"TempoLimiteLeitura"="3"' '"TempoLimiteTotal"="3"'
  local base=$BASE raizes=("${RAIZES_FILA[@]}")
  # Every call of the authority takes a while: more kills land between a
  # send and its answer.
  controle "atraso=0.3"
  for i in "${raizes[@]}"; do PIDS_ARQUIVOS+=("$i/pid"); inicia_host_pid "$i"; espera_inicio "$i"; done
  : > "$base/mortes"

  assassino "$base" "${raizes[@]}" &
  local pid_assassino=$! series=()
  envia_serie() { local n; for n in $(seq "$1" 3 "$NOTAS"); do envia_ate_concluir "$2" "$n"; done; }
  for i in 1 2 3; do envia_serie "$i" "${raizes[$(( i % 2 ))]}" & series+=($!); done
  wait "${series[@]}"
  touch "$base/parar"; wait "$pid_assassino"
  for i in "${raizes[@]}"; do [ ! -s "$i/falhas" ] || falha "$motor: notas sem conclusão: $(head -3 "$i/falhas")"; done

  # The requests the killed Hosts left claimed are answered by the living ones.
  espera_respondidas "${raizes[0]}" 120
  # None without a message, none with the distribution file missing.
  faltas=$(consulta "${raizes[0]}" "SELECT COUNT(CASE WHEN Mensagem IS NULL OR Mensagem = '' THEN 1 END),
    COUNT(CASE WHEN Mensagem LIKE 'Erro ao gerar arquivo de distribui%' THEN 1 END) FROM SolicitacaoFuncaoNFe")
  [ "$faltas" = "0|0" ] || falha "$motor: pedidos sem mensagem | sem arquivo de distribuição: $faltas"

  # Every number authorised once; the rows and the distribution files.
  confere_notas_da_fila 1 "$NOTAS" "${raizes[@]}"
  # A distribution file for each invoice, in the root of whichever Host
  # finished it, carrying the document the authority authorised.
  for n in $(seq 1 "$NOTAS"); do
    chave=$(sim_sql "SELECT chave FROM nota WHERE numero = $n")
    proc=$(find "${raizes[@]}" -name "$chave-procNFe.xml" | head -1)
    [ -n "$proc" ] || falha "$motor: NF $n sem arquivo de distribuição"
    digest=$(sim_sql "SELECT protNFe FROM nota WHERE chave = '$chave'" | sed -n 's/.*<digVal>\([^<]*\)<\/digVal>.*/\1/p')
    [ "$(xpath "$proc" nfeProc NFe Signature SignedInfo Reference DigestValue)" = "$digest" ] \
      || falha "$motor: NF $n: o arquivo de distribuição não traz o documento autorizado"
  done

  for i in "${raizes[@]}"; do kill -TERM "$(cat "$i/pid")" 2>/dev/null || true; done
  echo "tempestade ($motor): $NOTAS notas, $(consulta "${raizes[0]}" "SELECT COUNT(*) FROM SolicitacaoFuncaoNFe") pedidos, $(wc -l < "$base/mortes") Hosts mortos"
}

# Both engines at once: their waits for the requests of killed Hosts overlap.
tempestade sqlite & sqlite=$!
tempestade pg & pg=$!
wait "$sqlite" || falha "tempestade no SQLite"
wait "$pg" || falha "tempestade no PostgreSQL"
