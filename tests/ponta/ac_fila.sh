#!/usr/bin/env bash
# velantnfe-ac and the queue: it never inserts past the 32-bit NSU range,
# says why whenever an insert fails, and the read-only commands (listar,
# mostrar, and velantnfe vetores) create nothing and say what is missing.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"

nova_raiz; raiz=$RAIZ
solicitacao "000-000 - ATV" "001-000 - 1" "999-999 - " > "$raiz/atv.txt"
# No Host runs: the first enviar makes the database, and nobody answers.
"$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --espera 0 > /dev/null 2>&1 || true
db=$(banco "$raiz")
[ "$(sql "$db" "SELECT COUNT(*) FROM SolicitacaoFuncaoNFe")" = 1 ] || falha "primeira inclusão"

# The last 32-bit NSU is taken: no wrap to a negative NSU.
sql "$db" "INSERT INTO SolicitacaoFuncaoNFe (NSU, [IP Computador AC], Texto) VALUES (2147483647, '127.0.0.1', 'x')"
rc=0; "$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --espera 0 > "$raiz/estouro.out" 2>&1 || rc=$?
[ "$rc" = 3 ] || falha "estouro: código $rc"
grep -qxF 'velantnfe-ac: a solicitação não foi incluída: o maior NSU da fila é 2147483647 e não há NSU livre depois dele (limite 2147483647)' \
  "$raiz/estouro.out" || falha "estouro: $(cat "$raiz/estouro.out")"
[ "$(sql "$db" "SELECT COUNT(*), MIN(NSU) FROM SolicitacaoFuncaoNFe")" = "2|1" ] || falha "estouro: linhas"

# The database refuses the row: the reason reaches the operator.
sql "$db" "DELETE FROM SolicitacaoFuncaoNFe WHERE NSU = 2147483647;
           CREATE TRIGGER fechada BEFORE INSERT ON SolicitacaoFuncaoNFe
           BEGIN SELECT RAISE(ABORT, 'fila fechada para manutenção'); END;"
rc=0; "$AC" enviar "$raiz/atv.txt" --raiz "$raiz" --espera 0 > "$raiz/recusada.out" 2>&1 || rc=$?
[ "$rc" = 3 ] || falha "inclusão recusada: código $rc"
grep -qxF 'velantnfe-ac: a solicitação não foi incluída: NSU 2 não gravado: fila fechada para manutenção (50 tentativas)' \
  "$raiz/recusada.out" || falha "inclusão recusada: $(cat "$raiz/recusada.out")"

# Read-only commands against what is not there: a message, and nothing made.
ausente="$raiz/nao-existe"
somente_leitura() {   # expected message, then the arguments after the command
  local esperado=$1; shift
  local acao rc
  for acao in listar "mostrar 1"; do
    rc=0
    # shellcheck disable=SC2086
    "$AC" $acao "$@" > "$raiz/leitura.out" 2>&1 || rc=$?
    [ "$rc" = 3 ] || falha "$acao $*: código $rc ($(cat "$raiz/leitura.out"))"
    grep -qxF -- "velantnfe-ac: $esperado" "$raiz/leitura.out" || falha "$acao $*: $(cat "$raiz/leitura.out")"
  done
}
somente_leitura "pasta raiz inexistente: $ausente" --raiz "$ausente"
[ ! -e "$ausente" ] || falha "a raiz foi criada"

vazia="$raiz/vazia"; mkdir "$vazia"
somente_leitura "arquivo INI inexistente: C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini ($vazia/C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini)" \
  --raiz "$vazia"
[ -z "$(ls -A "$vazia")" ] || falha "algo foi criado em $vazia: $(find "$vazia")"

semsgbd="$raiz/sem-sgbd"; mkdir -p "$(pasta_host "$semsgbd")"
printf '[Local]\r\nIP do Computador a ser processado=127.0.0.1\r\n' > "$(pasta_host "$semsgbd")/VelantNFe.ini"
cp "$(pasta_host "$semsgbd")/VelantNFe.ini" "$raiz/ini-antes"
somente_leitura "o arquivo INI C:\\KorvanePafEcf\\NFe\\VelantNFe\\VelantNFe.ini ($(pasta_host "$semsgbd")/VelantNFe.ini) não tem a chave \"Gerenciador de Banco de Dados\" na seção [SGBD]" \
  --raiz "$semsgbd"
cmp -s "$raiz/ini-antes" "$(pasta_host "$semsgbd")/VelantNFe.ini" || falha "o INI foi alterado"

printf '[SGBD]\r\nGerenciador de Banco de Dados=SQLITE\r\n' >> "$(pasta_host "$semsgbd")/VelantNFe.ini"
somente_leitura "banco de dados SQLite inexistente: C:\\KorvanePafEcf\\NFe\\VelantNFe\\dvk_data.db ($(pasta_host "$semsgbd")/dvk_data.db)" \
  --raiz "$semsgbd"
[ "$(ls -A "$(pasta_host "$semsgbd")")" = "VelantNFe.ini" ] || falha "algo foi criado: $(ls -A "$(pasta_host "$semsgbd")")"

# velantnfe vetores only reads too: on a root without an installation it
# says the database is missing and writes nothing there (no log either).
solicitacao "000-000 - NFE3.10" "001-000 - 1" "100-000 - " "800-001 - " "899-001 - " "999-999 - " > "$raiz/nota.txt"
rc=0; "$HOST" vetores "$raiz/nota.txt" --raiz "$vazia" --registro "$raiz/registro.reg" > "$raiz/vetores.out" 2>&1 || rc=$?
grep -qF 'velantnfe vetores: sem banco de dados (as consultas de CFOP falham): Banco de dados não configurado (seção SGBD): nenhuma conexão aberta' \
  "$raiz/vetores.out" || falha "vetores: $(head -5 "$raiz/vetores.out")"
[ -z "$(ls -A "$vazia")" ] || falha "vetores criou algo em $vazia: $(find "$vazia")"

# On an installation that has its database, both read.
"$AC" listar --raiz "$raiz" > "$raiz/listar.out" 2>&1 || falha "listar: $(cat "$raiz/listar.out")"
grep -q '^ *1 *1 ATV' "$raiz/listar.out" || falha "listar: $(cat "$raiz/listar.out")"
"$AC" mostrar 1 --raiz "$raiz" > "$raiz/mostrar.out" 2>&1 || falha "mostrar: $(cat "$raiz/mostrar.out")"
grep -qx 'Tipo de Operacao:             ATV' "$raiz/mostrar.out" || falha "mostrar: $(cat "$raiz/mostrar.out")"
echo "ac_fila: ok"
