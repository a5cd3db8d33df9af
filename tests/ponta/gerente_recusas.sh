#!/usr/bin/env bash
# velantnfe-ac turns LF line ends into CR LF before it inserts, and says so;
# a row whose NSU SQLite keeps past 32 bits is refused by the Host, and the AC
# will not insert after it. (The other refusals are the manager's unit tables.)
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

nova_raiz; raiz=$RAIZ
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
db=$(banco "$raiz")

resposta() { sql "$db" "SELECT COALESCE([Hora da Aprovacao], '-') <> '-', COALESCE([Hora Cancelamento Host], '-') <> '-', Mensagem FROM SolicitacaoFuncaoNFe WHERE NSU = $1"; }

# The AC: a file with LF line ends goes in with CR LF, and is accepted.
printf '000-000 - ATV\n001-000 - 5\n999-999 - \n' > "$raiz/so-lf.txt"
"$AC" enviar "$raiz/so-lf.txt" --raiz "$raiz" --espera 20 > "$raiz/so-lf.out" 2>&1 || falha "só LF pelo AC: $(cat "$raiz/so-lf.out")"
grep -qx 'Linhas terminadas só em LF convertidas para CR LF' "$raiz/so-lf.out" || falha "o AC não disse que converteu"
grep -q '^Host ativo: ' "$raiz/so-lf.out" || falha "ATV convertido: $(cat "$raiz/so-lf.out")"
[ "$(sql "$db" "SELECT hex(Texto) FROM SolicitacaoFuncaoNFe WHERE NSU = 1")" = \
  "$(printf '000-000 - ATV\r\n001-000 - 5\r\n999-999 - \r\n' | od -An -tx1 | tr -d ' \n' | tr a-f A-F)" ] \
  || falha "texto gravado pelo AC"

# An NSU past 32 bits (SQLite keeps 64) is refused by the Host, and the AC
# will not insert after it.
sql "$db" "INSERT INTO SolicitacaoFuncaoNFe (NSU, [IP Computador AC], Texto) VALUES (3000000000, '127.0.0.1', 'x')"
for i in $(seq 1 50); do
  [ "$(resposta 3000000000)" != "0|0|" ] && break
  sleep 0.2
done
[ "$(resposta 3000000000)" = "0|1|NSU 3000000000 inválido: use de 1 a 2147483647" ] || falha "NSU de 64 bits: $(resposta 3000000000)"
rc=0; "$AC" enviar "$raiz/so-lf.txt" --raiz "$raiz" --espera 1 > "$raiz/depois.out" 2>&1 || rc=$?
[ "$rc" = 3 ] || falha "depois do NSU de 64 bits: código $rc"
grep -qF 'velantnfe-ac: a solicitação não foi incluída: o maior NSU da fila é 3000000000 e não há NSU livre depois dele (limite 2147483647)' \
  "$raiz/depois.out" || falha "depois do NSU de 64 bits: $(cat "$raiz/depois.out")"

kill -0 "$host" || falha "o Host parou"
para_host "$host" || falha "o Host terminou com erro"
echo "gerente_recusas: ok"
