#!/usr/bin/env bash
# Runs one end-to-end case file (tests/ponta/casos/*.caso): a Host on a fresh
# SQLite root, the authority simulator when the case names it, and the case's
# requests sent in turn through velantnfe-ac, each checked against what the
# case expects of the AC's answer, the log, the rows, the boxes, the
# authority and the files.
#   bash executa.sh <build-dir> <source-dir> <case-file>
#
# A case file is data, one item a line ('#' starts a comment line):
#   leiaute: 4.00          the Host, the simulator (4.00 only), the requests'
#                          dates and confere: in layout 4.00 (before simulador:)
#   simulador: OPTIONS     start the authority simulator (before the first step)
#   registro: "Name"="v"   a registry line that replaces or adds to the default
#                          one (homologation in SP, the test A1 certificate);
#                          inside a step, for that step only
#   registro+: "Name"="v"  inside a step: from that step on
#   fifo: NAME             a FIFO in the root (nobody writes it)
#   nota: N                the golden request of company 1, series 1, as invoice
#                          number N, authorised at the simulator beforehand
#   sql: STATEMENT         run on the Host's database before the step's request
#   [passo NAME]           a step; then, in any order:
#   controle: TEXT         the simulator's control file from this step on ('|'
#                          between its lines; empty: no fault)
#   opcao: OPTION          an option of velantnfe-ac enviar (e.g. --confirmar)
#   simulador: parar       the simulator is stopped before the request
#   host: reinicia         the Host is stopped (SIGTERM, a clean end) and started
#   > LINE                 a line of the request (sent with CR LF)
#   pedido: N [COMMAND]    the request is the invoice of tests/ponta/pedido_nfe.txt
#                          as number N, control number N, command NFE3.10 or COMMAND
#   codigo: N              the AC's exit code (0 approved, 1 cancelled)
#   resposta: GLOB         a line of the AC's output, '*' for any text
#   log: TEXT              a line the Host logged during the step, after its time
#   log~: REGEX            likewise, an extended regular expression
#   linha: SQL => TEXT     a query on the Host's database and its answer
#   autoridade: SQL => TEXT  a query on the simulator's database and its answer
#   caixa: N TEXT          the Host showed a message box with TEXT N times so far
#   saida: TEXT            a line of the Host's output so far (its status label)
#   saida~: REGEX          likewise, an extended regular expression
#   segundos: N            the answer came in fewer seconds
#   situacao: KEY => CSTAT the invoice's status at the authority afterwards
#   confere: N             invoice N is authorised once, its row at step 3 with the
#                          authority's key and protocol, its distribution file valid
#                          by the official schema and both signatures by xmlsec1
#   arquivos: GLOB => N    N files under the root match GLOB
#   esquema: FILE XSD      xmllint validates FILE (under the root) by schemas/XSD
#   assinatura: FILE NODE  xmlsec1 verifies the signature of element NODE (a
#                          child of FILE's root)
#   xml: FILE XPATH => TEXT  the string value of XPATH in FILE
#   pdf: FILE => TEXT      pdftotext of FILE, blanks and line ends removed, has TEXT
# At the end the Host is stopped with SIGTERM and must log its end.
# '{raiz}' in any value stands for the root folder, '{certs}' for the test
# certificates' folder, '{autoridade}' for the simulator's database;
# '{chave:N}' and '{protocolo:N}' for the key and authorisation protocol of
# invoice N ('nota:' ones, else its row in MovimentoNFe).
set -euo pipefail
source "$(dirname "$0")/../gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/../emissao_apoio.inc"
source "$(dirname "$0")/../autoridade_apoio.inc"
CASO=$3; nome=$(basename "$CASO" .caso)

nova_raiz; raiz=$RAIZ; SIM_DIR=$raiz/autoridade
registro_base=(); registro_passo=()   # "Name"="value" lines of the case, of the step
escreve_registro() { registro_host "$raiz" '"TaxaCreditoSN"="1,25"' '"TempoLimiteConexao"="2"' '"TempoLimiteLeitura"="5"' \
  '"TempoLimiteTotal"="10"' "${registro_base[@]}" "${registro_passo[@]}"; }

# The case, split: the settings before the first step, then one file per step.
mkdir -p "$raiz/passos"; : > "$raiz/passos/ambiente"; passo=""; n=0
while IFS= read -r linha || [ -n "$linha" ]; do
  linha=${linha//\{raiz\}/$raiz}; linha=${linha//\{certs\}/$CERTS}; linha=${linha//\{autoridade\}/$SIM_DIR/autoridade.sqlite}
  case "$linha" in
    '#'*|'') continue ;;
    '[passo '*']') n=$((n + 1)); passo="$raiz/passos/$(printf '%02d' $n)"; printf '%s\n' "${linha:7:-1}" > "$passo.nome"; : > "$passo" ;;
    *) printf '%s\n' "$linha" >> "${passo:-$raiz/passos/ambiente}" ;;
  esac
done < "$CASO"

declare -A valores   # {chave:N} and {protocolo:N} of the invoices of 'nota:'
# The case's text with the keys and protocols of its invoices in place.
substitui() {
  local t=$1 c v
  while [[ $t =~ \{((chave|protocolo):([0-9]+))\} ]]; do
    c=${BASH_REMATCH[1]}; v=${valores[$c]:-}
    [ -n "$v" ] || v=$(sql "$db" "SELECT [Numero $([ "${BASH_REMATCH[2]}" = chave ] && echo da NFe || echo do Protocolo)] FROM MovimentoNFe WHERE Numero = ${BASH_REMATCH[3]}")
    t=${t//"{$c}"/$v}
  done
  printf '%s' "$t"
}
while IFS= read -r linha; do
  valor=${linha#*:}; valor=${valor# }
  case "$linha" in
    leiaute:\ 4.00) leiaute_400 ;;
    simulador:*) inicia_simulador "$SIM_DIR" ${valor#simulador:} ;;
    registro:*) registro_base+=("$valor") ;;
    fifo:*) mkfifo "$raiz/$valor" ;;
    nota:*) escreve_registro
      autoriza_nota "$raiz" "$FONTE/tests/content/dourados/simples_nacional_nacional.txt" "$valor"
      valores[chave:$valor]=$CHAVE; valores[protocolo:$valor]=$PROTOCOLO ;;
    sql:*) ;;   # after the Host made its database
    *) falha "$nome: linha desconhecida: $linha" ;;
  esac
done < "$raiz/passos/ambiente"
mkdir -p "$SIM_DIR"; touch "$SIM_DIR/servicos.ini"   # with no simulator, no endpoints
escreve_registro
inicia_host "$raiz"; host=$HOST_PID; db=$(banco "$raiz")
while IFS= read -r linha; do sql "$db" "$(substitui "${linha#sql: }")"; done < <(grep '^sql: ' "$raiz/passos/ambiente" || true)

for passo in "$raiz"/passos/[0-9][0-9]; do
  p="$nome/$(cat "$passo.nome")"; registro_passo=(); opcoes=(); : > "$passo.txt"
  while IFS= read -r linha; do
    linha=$(substitui "$linha")
    valor=${linha#*:}; valor=${valor# }
    case "$linha" in
      '> '*) printf '%s\r\n' "${linha:2}" >> "$passo.txt" ;;
      pedido:*) read -r numero comando <<<"$valor"; pedido_nfe "$numero" "$numero" | sed "1s/NFE3.10/${comando:-NFE3.10}/" > "$passo.txt" ;;
      registro:*) registro_passo+=("$valor") ;;
      registro+:*) registro_base+=("$valor") ;;
      controle:*) controle "${valor//|/$'\n'}" ;;
      opcao:*) opcoes+=("$valor") ;;
      simulador:\ parar) para_simulador ;;
      host:\ reinicia) escreve_registro; para_host "$host" || falha "$p: o Host terminou com erro"
        inicia_host "$raiz"; host=$HOST_PID ;;
      sql:*) sql "$db" "$valor" ;;
    esac
  done < "$passo"
  escreve_registro
  antes=$(log_do_dia "$raiz" | wc -l); inicio=$(date +%s)
  envia "$raiz" "$passo.txt" 90 "${opcoes[@]}"; segundos=$(( $(date +%s) - inicio ))
  log=$(log_do_dia "$raiz" | tail -n +$((antes + 1)) | sed 's/^[0-9:]* - //')
  while IFS= read -r linha; do
    linha=$(substitui "$linha")
    valor=${linha#*:}; valor=${valor# }; consulta=${valor% => *}; esperado=${valor##* => }; arquivo="$raiz/${valor%% *}"
    case "$linha" in
      codigo:*) [ "$ENVIO" = "$valor" ] || falha "$p: código $ENVIO, esperado $valor: $(cat "$passo.txt.out")" ;;
      resposta:*) while IFS= read -r s; do [[ "$s" == $valor ]] && continue 2; done < "$passo.txt.out"
        falha "$p: resposta sem '$valor': $(cat "$passo.txt.out")" ;;
      log:*) grep -qxF -- "$valor" <<<"$log" || falha "$p: log sem '$valor': $(tail -5 <<<"$log")" ;;
      log~:*) grep -qxE -- "$valor" <<<"$log" || falha "$p: log sem /$valor/: $(tail -5 <<<"$log")" ;;
      linha:*|autoridade:*) base=$db; [ "${linha%%:*}" = linha ] || base=$SIM_DIR/autoridade.sqlite; obtido=$(sql "$base" "$consulta")
        [ "$obtido" = "$esperado" ] || falha "$p: $consulta deu '$obtido', esperado '$esperado'" ;;
      caixa:*) vezes=$(grep -cF "[caixa] VelantNFe: ${valor#* }" "$raiz/host.out" || true)
        [ "$vezes" = "${valor%% *}" ] || falha "$p: $vezes caixas '${valor#* }', esperadas ${valor%% *}" ;;
      saida:*) grep -qxF -- "$valor" "$raiz/host.out" || falha "$p: a saída do Host não tem '$valor'" ;;
      saida~:*) grep -qxE -- "$valor" "$raiz/host.out" || falha "$p: a saída do Host não tem /$valor/" ;;
      segundos:*) [ "$segundos" -lt "$valor" ] || falha "$p: respondeu em $segundos s" ;;
      situacao:*) obtido=$(situacao_nota "$consulta"); [ "$obtido" = "$esperado" ] || falha "$p: a autoridade tem $consulta em $obtido" ;;
      confere:*) confere_nota "$raiz" "$valor" ;;
      arquivos:*) obtido=$(cd "$raiz" && compgen -G "$consulta" | wc -l || true)
        [ "$obtido" = "$esperado" ] || falha "$p: $obtido arquivos $consulta, esperados $esperado" ;;
      esquema:*) xmllint --noout --schema "$FONTE/schemas/${valor#* }" "$arquivo" 2> "$raiz/xmllint.txt" || falha "$p: $(cat "$raiz/xmllint.txt")" ;;
      assinatura:*) assinatura_vale "$arquivo" "${valor#* }" ;;
      xml:*) consulta=${consulta#* }; obtido=$(xmllint --xpath "string($consulta)" "$arquivo")
        [ "$obtido" = "$esperado" ] || falha "$p: $consulta deu '$obtido', esperado '$esperado'" ;;
      pdf:*) pdftotext "$arquivo" - | tr -d ' \n' | grep -qF -- "$esperado" || falha "$p: ${valor%% *} sem '$esperado'" ;;
      '> '*|pedido:*|registro:*|registro+:*|controle:*|opcao:*|simulador:\ parar|host:\ reinicia|sql:*) ;;
      *) falha "$p: linha desconhecida: $linha" ;;
    esac
  done < "$passo"
done

kill -0 "$host" || falha "$nome: o Host parou"
para_host "$host" || falha "$nome: o Host terminou com erro"
grep -q -- ' - Fim$' <(log_do_dia "$raiz") || falha "$nome: sem a linha de fim no log"
echo "$nome: ok"
