#!/usr/bin/env bash
# `velantnfe cidades` (the window's Command1 button, once) on PostgreSQL:
# municipality names with an apostrophe and accents reach CidadeIBGE in upper
# case, the apostrophe as an acute accent; a second run copies nothing again;
# a source table it cannot read ends it with exit 1. The PostgreSQL server is
# the data tests' (CTest fixture velant_pg). (A quote in any value, the error
# codes and the window's button are the manager's tests.)
#   bash cidades_ibge.sh <build-dir> <source-dir>
set -euo pipefail
BUILD=$(cd "$1" && pwd)
HOST="$BUILD/velantnfe"
TRABALHO=$(mktemp -d "${TMPDIR:-/tmp}/cidades-ibge-XXXXXX")
falha() { echo "FALHOU: $*" >&2; exit 1; }
[ -n "${VELANT_PG_ESTADO:-}" ] || falha "sem VELANT_PG_ESTADO: rode pelo ctest, que inicia o PostgreSQL"
PORTA_PG=$(tr -d ' \n' < "$VELANT_PG_ESTADO/porta")
BANCO_PG="dvk_data_cidades$$"
psql_pg() { psql -X -q -At -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$PORTA_PG" -U postgres "$@"; }
trap 'psql_pg -d postgres -c "DROP DATABASE IF EXISTS $BANCO_PG WITH (FORCE)" > /dev/null 2>&1; rm -rf "$TRABALHO"' EXIT
sql() { psql_pg -d "$BANCO_PG" -c "$1"; }

raiz="$TRABALHO/postgresql"
mkdir -p "$raiz/C/KorvanePafEcf/NFe/VelantNFe"
printf '%s\r\n' '[Local]' 'IP do Computador a ser processado=127.0.0.1' '[SGBD]' 'Gerenciador de Banco de Dados=POSTGRESQL' \
  'IP do Banco de Dados=127.0.0.1' "Porta do Banco de Dados=$PORTA_PG" "Nome Interno BD=_cidades$$" \
  'Usuario do Banco de Dados=postgres' > "$raiz/C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini"
"$HOST" banco criar --raiz "$raiz" > "$raiz/banco.out" 2>&1 || falha "banco criar: $(cat "$raiz/banco.out")"
sql "INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('RO', 1100015, 'Alta Floresta D''Oeste'), ('SP', 3550308, 'São Paulo'),
       ('PI', 2207108, 'Olho D''Água do Piauí');"
saida=$("$HOST" cidades --raiz "$raiz" 2>&1) || falha "velantnfe cidades: $saida"
[ "$saida" = "CidadeIBGE: 3 municípios inseridos, 0 já estavam na tabela" ] || falha "$saida"
[ "$(sql "SELECT Codigo || '|' || Nome || '|' || UF FROM CidadeIBGE ORDER BY Codigo")" = \
"1100015|ALTA FLORESTA D´OESTE|RO
2207108|OLHO D´AGUA DO PIAUI|PI
3550308|SAO PAULO|SP" ] || falha "CidadeIBGE: $(sql "SELECT * FROM CidadeIBGE")"
saida=$("$HOST" cidades --raiz "$raiz" 2>&1) || falha "velantnfe cidades, de novo: $saida"
[ "$saida" = "CidadeIBGE: 0 municípios inseridos, 3 já estavam na tabela" ] || falha "de novo: $saida"

# A source table the query cannot read (the Host recreates a missing one).
sql "ALTER TABLE Municipios RENAME COLUMN XMUN TO Nome;"
rc=0; "$HOST" cidades --raiz "$raiz" > "$raiz/erro.out" 2>&1 || rc=$?
[ "$rc" = 1 ] && grep -q 'interrompido por erro' "$raiz/erro.out" || falha "sem XMUN: saída $rc: $(cat "$raiz/erro.out")"
echo "cidades_ibge: ok"
