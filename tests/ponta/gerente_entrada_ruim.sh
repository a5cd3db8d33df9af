#!/usr/bin/env bash
# Whatever a front end writes into Texto through the real database gets an
# answer: random bytes, megabytes of text, Windows-1252, quotes and SQL, codes
# with letters; the Host goes on serving afterwards. (Each refusal's reason is
# the parser's unit table.)
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

nova_raiz; raiz=$RAIZ
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
db=$(banco "$raiz")
t="$raiz/textos"; mkdir -p "$t"

head -c 65536 /dev/urandom > "$t/01"
{ printf '000-000 - ATV\r\n'; head -c 200000 /dev/urandom; printf '\r\n999-999 - \r\n'; } > "$t/02"
# Five megabytes of unknown lines around a request that is accepted.
{
  printf '000-000 - STATUS SERVICO\r\n001-000 - 3\r\n'
  linha=$(printf '500-000 - %0490d' 0)
  for i in $(seq 1 10000); do printf '%s\r\n' "$linha"; done
  printf '999-999 - \r\n'
} > "$t/03"
# Windows-1252 text.
printf '000-000 - ATV\r\n001-000 - 5\r\n211-000 - Pra\xe7a da S\xe9\r\n999-999 - \r\n' > "$t/05"
# Quotes and SQL in every field of an invoice (each fits its column).
{
  printf '000-000 - NFE3.10\r\n001-000 - 6\r\n'
  for c in 002 041 042 043 045 046 050 051 052 088 089 133 210 211 212 213 310 311 351 353 359; do
    printf "%s-000 - x');DROP TABLE MovimentoNFe;--\r\n" "$c"
  done
  printf '110-000 - 05/12/2026\r\n111-000 - 15\r\n114-000 - 05/12/2026\r\n100-000 - \r\n'
  printf "800-001 - \r\n811-001 - O'Brien' OR '1'='1\r\n899-001 - \r\n999-999 - \r\n"
} > "$t/06"
# Codes with letters.
printf '000-000 - ATV\r\n001-000 - 8\r\nABC-DEF - 3\r\n00\r\n999-999 - \r\n' > "$t/08"
# The last one: the Host must still be serving.
printf '000-000 - ATV\r\n001-000 - 12\r\n999-999 - \r\n' > "$t/12"

for f in "$t"/*; do
  sql "$db" "INSERT INTO SolicitacaoFuncaoNFe (NSU, [IP Computador AC], Texto)
             VALUES ($((10#$(basename "$f"))), '127.0.0.1', CAST(readfile('$f') AS TEXT))"
done
total=$(ls "$t" | wc -l)

for i in $(seq 1 300); do
  [ "$(sql "$db" "SELECT COUNT(*) FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NOT NULL")" = "$total" ] && break
  kill -0 "$host" 2>/dev/null || falha "o Host parou: $(tail -20 "$raiz/host.out")"
  sleep 0.2
done
[ "$(sql "$db" "SELECT COUNT(*) FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NOT NULL")" = "$total" ] \
  || falha "nem todas as solicitações foram lidas: $(sql "$db" "SELECT NSU FROM SolicitacaoFuncaoNFe WHERE [Hora da Analise] IS NULL")"
sleep 1.5
kill -0 "$host" 2>/dev/null || falha "o Host parou"

resposta() { sql "$db" "SELECT COALESCE([Hora da Aprovacao], '-') <> '-', COALESCE([Hora Cancelamento Host], '-') <> '-', Mensagem FROM SolicitacaoFuncaoNFe WHERE NSU = $1"; }
[ "$(resposta 3)" = "0|1|Serviço de NFe Indisponível" ] || falha "5 MB: $(resposta 3)"
case "$(resposta 6)" in 0\|1\|*) ;; *) falha "SQL nos campos: $(resposta 6)" ;; esac
# Random bytes: refused for one reason or another, never approved.
[[ "$(resposta 1)" == 0\|1\|?* ]] || falha "bytes aleatórios: $(resposta 1)"
# ATV answered by its claim alone; random lines inside one may make it refused, with a reason.
[[ "$(resposta 2)" == "0|0|" || "$(resposta 2)" == 0\|1\|?* ]] || falha "ATV com bytes aleatórios: $(resposta 2)"
for n in 5 8 12; do
  [ "$(resposta "$n")" = "0|0|" ] || falha "ATV $n não devia ter resposta: $(resposta "$n")"
done
[ "$(sql "$db" "SELECT COUNT(*) FROM SolicitacaoFuncaoNFe")" = "$total" ] || falha "linhas sumiram"
sql "$db" "SELECT COUNT(*) FROM MovimentoNFe" > /dev/null || falha "tabela MovimentoNFe sumiu"

log=$(log_do_dia "$raiz")
grep -q '^\[status\] Gerenciador Padrão NFe Está Ativado !$' "$raiz/host.out" || falha "Windows-1252: ATV não aceito"
[ "$(grep -c 'Solicitação requisitada: ATV$' <<<"$log")" -ge 3 ] || falha "ATVs não lidos"

para_host "$host" || falha "o Host terminou com erro"
echo "gerente_entrada_ruim: ok"
