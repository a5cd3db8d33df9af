#!/usr/bin/env bash
# The Host and the AC on an SQLite root: ATV and STATUS SERVICO without a
# fiscal component, the row's stamps, the log and the labels; the AC's views
# of the queue. (Refused requests are the manager's unit tables.)
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

nova_raiz; raiz=$RAIZ
inicia_host "$raiz"; host=$HOST_PID
espera_inicio "$raiz"
db=$(banco "$raiz")

# ATV: only the analysis stamp; the label shows the parser's text.
solicitacao "000-000 - ATV" "001-000 - 10" "999-999 - " > "$raiz/atv.txt"
"$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --espera 20 > "$raiz/atv.out" || falha "ATV: $(cat "$raiz/atv.out")"
[ "$(sql "$db" "SELECT [Hora da Analise] IS NOT NULL, [Hora da Aprovacao] IS NULL, [Hora Cancelamento Host] IS NULL,
                [Hora da Confirmacao AC] IS NULL, [Hora do Cancelamento AC] IS NULL, [Versao Host]
           FROM SolicitacaoFuncaoNFe WHERE NSU = 1")" = "1|1|1|1|1|6.07.01.1" ] || falha "ATV: carimbos da linha"
sleep 1.5
grep -q '^\[status\] Gerenciador Padrão NFe Está Ativado !$' "$raiz/host.out" || falha "ATV: rótulo"

# STATUS SERVICO with no fiscal component in this build.
solicitacao "000-000 - STATUS SERVICO" "001-000 - 12" "999-999 - " > "$raiz/status.txt"
rc=0; "$AC" enviar "$raiz/status.txt" --raiz "$raiz" --espera 20 > "$raiz/status.out" || rc=$?
[ "$rc" = 1 ] || falha "STATUS SERVICO: código $rc ($(cat "$raiz/status.out"))"
grep -q '^Cancelado pelo Host: [0-9:]* - Serviço de NFe Indisponível$' "$raiz/status.out" || falha "STATUS SERVICO: saída do AC"
[ "$(sql "$db" "SELECT [Hora Cancelamento Host] IS NOT NULL, [Hora da Aprovacao] IS NULL, Mensagem
           FROM SolicitacaoFuncaoNFe WHERE NSU = 2")" = "1|1|Serviço de NFe Indisponível" ] || falha "STATUS SERVICO: linha"
log=$(log_do_dia "$raiz")
grep -q -- '^[0-9:]* -      \*\* Erro na Rotina: TestaServidores - xFaseLog=20 - ' <<<"$log" || falha "STATUS SERVICO: linha de erro no log"
grep -q -- '^[0-9:]* -       Cancelado pelo Host: [0-9][0-9]:[0-9][0-9]:[0-9][0-9]$' <<<"$log" || falha "STATUS SERVICO: linha do carimbo"
grep -q -- '^[0-9:]* - \*\*\*\*\* Início de Solicitação \*\*\*\*\* - 2$' <<<"$log" || falha "linha de início"

# The AC's views of the queue, and its confirmation of an answer.
"$AC" mostrar 2 --raiz "$raiz" > "$raiz/mostrar.out" || falha "mostrar"
grep -qx 'Mensagem:                     Serviço de NFe Indisponível' "$raiz/mostrar.out" || falha "mostrar: mensagem"
grep -qx 'Tipo de Operacao:             STATUS SERVICO' "$raiz/mostrar.out" || falha "mostrar: comando"
grep -qx '001-000 - 12' "$raiz/mostrar.out" || falha "mostrar: texto"
rc=0; "$AC" mostrar 99 --raiz "$raiz" > /dev/null 2>&1 || rc=$?
[ "$rc" = 1 ] || falha "mostrar de NSU inexistente: código $rc"
solicitacao "000-000 - STATUS SERVICO" "001-000 - 13" "999-999 - " > "$raiz/confirmar.txt"
rc=0; "$AC" enviar "$raiz/confirmar.txt" --raiz "$raiz" --espera 20 --confirmar > /dev/null || rc=$?
[ "$rc" = 1 ] || falha "confirmar: código $rc"
[ "$(sql "$db" "SELECT [Hora da Confirmacao AC] IS NOT NULL, Mensagem FROM SolicitacaoFuncaoNFe WHERE NSU = 3")" = \
  "1|Serviço de NFe Indisponível" ] || falha "confirmar: linha"
"$AC" listar --raiz "$raiz" > "$raiz/listar.out" || falha "listar"
grep -q '^ *3 *13 STATUS SERVICO' "$raiz/listar.out" || falha "listar: $(cat "$raiz/listar.out")"
# An open request, written while no Host serves the queue, is listed as open.
kill -STOP "$host"
"$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --espera 0 > /dev/null || true
"$AC" listar --raiz "$raiz" > "$raiz/listar2.out"
kill -CONT "$host"
sed -n '2,3p' "$raiz/listar2.out" | grep -q '^ *4 *10 ATV' || falha "listar: aberta: $(cat "$raiz/listar2.out")"

# SIGTERM: the Host ends cleanly and logs its end.
para_host "$host" || falha "o Host terminou com erro"
grep -q -- ' - Fim$' <(log_do_dia "$raiz") || falha "sem a linha de fim"
echo "gerente_comandos: ok"
