#!/usr/bin/env bash
# Requests the Host cannot serve are cancelled with the reason, and the
# requests behind them are served: rows with an NSU of 0, below 0 or past 32
# bits, an LF-only text, an unknown command. velantnfe-ac turns LF line ends
# into CR LF before it inserts, and says so.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

nova_raiz; raiz=$RAIZ
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
db=$(banco "$raiz")

# Written while the Host is stopped, so that it finds them all at once, oldest NSU first.
kill -STOP "$host"
insere() {   # NSU; the text comes on the standard input
  cat > "$raiz/texto$1"
  sql "$db" "INSERT INTO SolicitacaoFuncaoNFe (NSU, [IP Computador AC], Texto)
             VALUES ($1, '127.0.0.1', CAST(readfile('$raiz/texto$1') AS TEXT))"
}
solicitacao '000-000 - STATUS SERVICO' '001-000 - 1' '999-999 - ' | insere -5
solicitacao '000-000 - STATUS SERVICO' '001-000 - 1' '999-999 - ' | insere 0
printf '000-000 - STATUS SERVICO\n001-000 - 1\n999-999 - \n' | insere 1
solicitacao '000-000 - status servico' '001-000 - 1' '999-999 - ' | insere 2
solicitacao '000-000 - STATUS SERVICO' '001-000 - 1' '999-999 - ' | insere 3
kill -CONT "$host"

resposta() { sql "$db" "SELECT COALESCE([Hora da Aprovacao], '-') <> '-', COALESCE([Hora Cancelamento Host], '-') <> '-', Mensagem FROM SolicitacaoFuncaoNFe WHERE NSU = $1"; }
for i in $(seq 1 150); do
  [ "$(sql "$db" "SELECT COUNT(*) FROM SolicitacaoFuncaoNFe WHERE [Hora Cancelamento Host] IS NOT NULL")" = 5 ] && break
  sleep 0.2
done
[ "$(resposta -5)" = "0|1|NSU -5 inválido: use de 1 a 2147483647" ] || falha "NSU -5: $(resposta -5)"
[ "$(resposta 0)" = "0|1|NSU 0 inválido: use de 1 a 2147483647" ] || falha "NSU 0: $(resposta 0)"
[ "$(resposta 1)" = "0|1|Texto sem CR LF (linhas devem terminar em CR LF)" ] || falha "só LF: $(resposta 1)"
[ "$(resposta 2)" = "0|1|Comando Desconhecido.  ->status servico<-" ] || falha "desconhecido: $(resposta 2)"
[ "$(resposta 3)" = "0|1|Serviço de NFe Indisponível" ] || falha "a que vinha atrás: $(resposta 3)"
linhas=$(log_do_dia "$raiz" | sed 's/^[0-9:]* - //')
for motivo in 'NSU -5 inválido: use de 1 a 2147483647' 'NSU 0 inválido: use de 1 a 2147483647' \
              'Texto sem CR LF (linhas devem terminar em CR LF)' 'Comando Desconhecido.  ->status servico<-'; do
  grep -qxF -- "      Solicitação recusada: $motivo" <<<"$linhas" || falha "log sem o motivo: $motivo"
done

# The AC: a file with LF line ends goes in with CR LF, and is accepted.
printf '000-000 - ATV\n001-000 - 5\n999-999 - \n' > "$raiz/so-lf.txt"
"$AC" enviar "$raiz/so-lf.txt" --raiz "$raiz" --espera 20 > "$raiz/so-lf.out" 2>&1 || falha "só LF pelo AC: $(cat "$raiz/so-lf.out")"
grep -qx 'Linhas terminadas só em LF convertidas para CR LF' "$raiz/so-lf.out" || falha "o AC não disse que converteu"
grep -q '^Host ativo: ' "$raiz/so-lf.out" || falha "ATV convertido: $(cat "$raiz/so-lf.out")"
[ "$(sql "$db" "SELECT hex(Texto) FROM SolicitacaoFuncaoNFe WHERE NSU = 4")" = \
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
