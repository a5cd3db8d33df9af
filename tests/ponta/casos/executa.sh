#!/usr/bin/env bash
# Runs one end-to-end case file (tests/ponta/casos/*.caso): a Host on a fresh
# SQLite root, the authority simulator when the case names it, and the case's
# requests sent in turn through velantnfe-ac, each checked against what the
# case expects of the AC's answer, the log, the rows and the boxes.
#   bash executa.sh <build-dir> <source-dir> <case-file>
#
# A case file is data, one item a line ('#' starts a comment line):
#   simulador: OPTIONS     start the authority simulator (before the first step)
#   registro: "Name"="v"   a registry line that replaces or adds to the default
#                          one (homologation in SP, the test A1 certificate);
#                          inside a step, for that step only
#   fifo: NAME             a FIFO in the root (nobody writes it)
#   nota: N                the golden request of company 1, series 1, as invoice
#                          number N, authorised at the simulator beforehand;
#                          '{chave:N}' and '{protocolo:N}' then stand for its
#                          key and its authorisation protocol
#   sql: STATEMENT         run on the Host's database before the step's request
#   [passo NAME]           a step; then, in any order:
#   controle: TEXT         the simulator's control file for this step
#   opcao: OPTION          an option of velantnfe-ac enviar (e.g. --confirmar)
#   simulador: parar       the simulator is stopped before the request
#   > LINE                 a line of the request (sent with CR LF)
#   codigo: N              the AC's exit code (0 approved, 1 cancelled)
#   resposta: GLOB         a line of the AC's output, '*' for any text
#   log: TEXT              a line the Host logged during the step, after its time
#   log~: REGEX            likewise, an extended regular expression
#   linha: SQL => TEXT     a query on the Host's database and its answer
#   caixa: N TEXT          the Host showed a message box with TEXT N times so far
#   saida: TEXT            a line of the Host's output so far (its status label)
#   segundos: N            the answer came in fewer seconds
#   situacao: KEY => CSTAT the invoice's status at the authority afterwards
# At the end the Host is stopped with SIGTERM and must log its end.
# '{raiz}' in any value stands for the root folder.
set -euo pipefail
source "$(dirname "$0")/../gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/../autoridade_apoio.inc"
CASO=$3
nome=$(basename "$CASO" .caso)

nova_raiz; raiz=$RAIZ
registro_base=()   # "Name"="value" lines of the case
registro_passo=()

SIM_DIR=$raiz/autoridade
escreve_registro() {
  registro_host "$raiz" '"TaxaCreditoSN"="1,25"' '"TempoLimiteConexao"="2"' '"TempoLimiteLeitura"="5"' '"TempoLimiteTotal"="10"' \
    "${registro_base[@]}" "${registro_passo[@]}"
}

# The case, split: the settings before the first step, then one file per step.
mkdir -p "$raiz/passos"
passo=""; n=0
while IFS= read -r linha || [ -n "$linha" ]; do
  linha=${linha//\{raiz\}/$raiz}
  case "$linha" in
    '#'*|'') continue ;;
    '[passo '*']') n=$((n + 1)); passo="$raiz/passos/$(printf '%02d' $n)"; printf '%s\n' "${linha:7:-1}" > "$passo.nome"; : > "$passo" ;;
    *) if [ -n "$passo" ]; then printf '%s\n' "$linha" >> "$passo"; else printf '%s\n' "$linha" >> "$raiz/passos/ambiente"; fi ;;
  esac
done < "$CASO"

simulador=""
declare -A chaves protocolos
# The case's text with the keys and protocols of its invoices in place.
substitui() {
  local t=$1 n
  for n in "${!chaves[@]}"; do t=${t//\{chave:$n\}/${chaves[$n]}}; t=${t//\{protocolo:$n\}/${protocolos[$n]}}; done
  printf '%s' "$t"
}
if [ -f "$raiz/passos/ambiente" ]; then
  while IFS= read -r linha; do
    valor=${linha#*: }
    case "$linha" in
      simulador:*) simulador=1; inicia_simulador "$raiz/autoridade" ${valor#simulador:} ;;
      registro:*) registro_base+=("$valor") ;;
      fifo:*) mkfifo "$raiz/$valor" ;;
      nota:*) escreve_registro
        autoriza_nota "$raiz" "$FONTE/tests/content/dourados/simples_nacional_nacional.txt" "$valor"
        chaves[$valor]=$CHAVE; protocolos[$valor]=$PROTOCOLO ;;
      sql:*) ;;   # after the Host made its database
      *) falha "$nome: linha desconhecida: $linha" ;;
    esac
  done < "$raiz/passos/ambiente"
fi
[ -n "$simulador" ] || { mkdir -p "$raiz/autoridade"; : > "$raiz/autoridade/servicos.ini"; }
escreve_registro
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
db=$(banco "$raiz")
[ -f "$raiz/passos/ambiente" ] && while IFS= read -r linha; do
  case "$linha" in sql:*) sql "$db" "$(substitui "${linha#sql: }")" ;; esac
done < "$raiz/passos/ambiente"

for passo in "$raiz"/passos/[0-9][0-9]; do
  p="$nome/$(cat "$passo.nome")"
  registro_passo=(); opcoes=()
  : > "$passo.txt"
  while IFS= read -r linha; do
    linha=$(substitui "$linha")
    valor=${linha#*: }
    case "$linha" in
      '> '*) printf '%s\r\n' "${linha:2}" >> "$passo.txt" ;;
      registro:*) registro_passo+=("$valor") ;;
      controle:*) controle "$valor" ;;
      opcao:*) opcoes+=("$valor") ;;
      simulador:\ parar) para_simulador ;;
      sql:*) sql "$db" "$valor" ;;
    esac
  done < "$passo"
  escreve_registro
  antes=$(log_do_dia "$raiz" | wc -l)
  inicio=$(date +%s)
  envia "$raiz" "$passo.txt" 30 "${opcoes[@]}"; rc=$ENVIO
  segundos=$(( $(date +%s) - inicio ))
  log=$(log_do_dia "$raiz" | tail -n +$((antes + 1)) | sed 's/^[0-9:]* - //')
  while IFS= read -r linha; do
    linha=$(substitui "$linha")
    valor=${linha#*: }
    case "$linha" in
      codigo:*) [ "$rc" = "$valor" ] || falha "$p: código $rc, esperado $valor: $(cat "$passo.txt.out")" ;;
      resposta:*) ok=""
        while IFS= read -r s; do [[ "$s" == $valor ]] && ok=1; done < "$passo.txt.out"
        [ -n "$ok" ] || falha "$p: resposta sem '$valor': $(cat "$passo.txt.out")" ;;
      log:*) grep -qxF -- "$valor" <<<"$log" || falha "$p: log sem '$valor': $(tail -5 <<<"$log")" ;;
      log~:*) grep -qxE -- "$valor" <<<"$log" || falha "$p: log sem /$valor/: $(tail -5 <<<"$log")" ;;
      linha:*) consulta=${valor% => *}; esperado=${valor##* => }
        obtido=$(sql "$db" "$consulta")
        [ "$obtido" = "$esperado" ] || falha "$p: $consulta deu '$obtido', esperado '$esperado'" ;;
      caixa:*) vezes=$(grep -cF "[caixa] VelantNFe: ${valor#* }" "$raiz/host.out" || true)
        [ "$vezes" = "${valor%% *}" ] || falha "$p: $vezes caixas '${valor#* }', esperadas ${valor%% *}" ;;
      saida:*) grep -qxF -- "$valor" "$raiz/host.out" || falha "$p: a saída do Host não tem '$valor'" ;;
      segundos:*) [ "$segundos" -lt "$valor" ] || falha "$p: respondeu em $segundos s" ;;
      situacao:*) obtido=$(situacao_nota "${valor% => *}")
        [ "$obtido" = "${valor##* => }" ] || falha "$p: a autoridade tem ${valor% => *} em $obtido" ;;
    esac
  done < "$passo"
done

kill -0 "$host" || falha "$nome: o Host parou"
para_host "$host" || falha "$nome: o Host terminou com erro"
grep -q -- ' - Fim$' <(log_do_dia "$raiz") || falha "$nome: sem a linha de fim no log"
[ -n "$simulador" ] && para_simulador
echo "$nome: ok"
