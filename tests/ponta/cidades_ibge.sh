#!/usr/bin/env bash
# `velantnfe cidades` (the window's Command1 button, once) on SQLite and on
# PostgreSQL: municipality names with an apostrophe and accents reach
# CidadeIBGE in upper case, the apostrophe as an acute accent; a second run
# adds only new codes; a source table it cannot read stops it with the routine's box.
# The PostgreSQL server is the data tests' (CTest fixture velant_pg).
#   bash cidades_ibge.sh <build-dir> <source-dir>
set -euo pipefail
BUILD=$(cd "$1" && pwd)
HOST="$BUILD/velantnfe"
TRABALHO=$(mktemp -d "${TMPDIR:-/tmp}/cidades-ibge-XXXXXX")
BANCO_PG=""
limpa() {
  if [ -n "$BANCO_PG" ]; then
    psql -X -q -h 127.0.0.1 -p "$PORTA_PG" -U postgres -d postgres \
      -c "DROP DATABASE IF EXISTS $BANCO_PG WITH (FORCE)" >/dev/null 2>&1 || true
  fi
  rm -rf "$TRABALHO"
}
trap limpa EXIT
falha() { echo "FALHOU: $*" >&2; exit 1; }

[ -n "${VELANT_PG_ESTADO:-}" ] || falha "sem VELANT_PG_ESTADO: rode pelo ctest, que inicia o PostgreSQL"
PORTA_PG=$(tr -d ' \n' < "$VELANT_PG_ESTADO/porta")

ini() {   # $1 root, then lines of section SGBD
  local raiz=$1; shift
  mkdir -p "$raiz/C/KorvanePafEcf/NFe/VelantNFe"
  { printf '[Local]\r\nIP do Computador a ser processado=127.0.0.1\r\n[SGBD]\r\n'
    printf '%s\r\n' "$@"; } > "$raiz/C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini"
}

# One engine: $1 name, $2 root, $3 a command that runs SQL read from its argument.
exercita() {
  local motor=$1 raiz=$2 sql=$3 saida
  "$HOST" banco criar --raiz "$raiz" > "$raiz/banco.out" 2>&1 || falha "$motor: banco criar: $(cat "$raiz/banco.out")"
  $sql "INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('RO', 1100015, 'Alta Floresta D''Oeste');
        INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('SP', 3550308, 'São Paulo');
        INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('PI', 2207108, 'Olho D''Água do Piauí');"

  saida=$("$HOST" cidades --raiz "$raiz" 2>&1) || falha "$motor: primeira cópia: $saida"
  [ "$saida" = "CidadeIBGE: 3 municípios inseridos, 0 já estavam na tabela" ] || falha "$motor: $saida"
  [ "$($sql "SELECT Codigo || '|' || Nome || '|' || UF FROM CidadeIBGE ORDER BY Codigo")" = \
"1100015|ALTA FLORESTA D´OESTE|RO
2207108|OLHO D´AGUA DO PIAUI|PI
3550308|SAO PAULO|SP" ] || falha "$motor: CidadeIBGE: $($sql "SELECT * FROM CidadeIBGE")"

  $sql "INSERT INTO Municipios (UF, CMUN, XMUN) VALUES ('RS', 4317103, 'Sant''Ana do Livramento');"
  saida=$("$HOST" cidades --raiz "$raiz" 2>&1) || falha "$motor: segunda cópia: $saida"
  [ "$saida" = "CidadeIBGE: 1 municípios inseridos, 3 já estavam na tabela" ] || falha "$motor: $saida"
  [ "$($sql "SELECT COUNT(*) || '|' || COUNT(DISTINCT Codigo) FROM CidadeIBGE")" = "4|4" ] || falha "$motor: duplicou"
  [ "$($sql "SELECT Nome FROM CidadeIBGE WHERE Codigo = 4317103")" = "SANT´ANA DO LIVRAMENTO" ] || falha "$motor: RS"

  # A source table the query cannot read (the Host recreates a missing one).
  $sql "ALTER TABLE Municipios RENAME COLUMN XMUN TO Nome;"
  local rc=0
  "$HOST" cidades --raiz "$raiz" > "$raiz/erro.out" 2>&1 || rc=$?
  [ "$rc" = 1 ] || falha "$motor: sem XMUN: saída $rc: $(cat "$raiz/erro.out")"
  grep -q '^\[caixa\] Rotina: ConverteCidade1: ERrO não identificado! / .* / [0-9]*$' "$raiz/erro.out" \
    || falha "$motor: sem a caixa da rotina: $(cat "$raiz/erro.out")"
  grep -q 'interrompido por erro' "$raiz/erro.out" || falha "$motor: $(cat "$raiz/erro.out")"
  echo "ok: $motor"
}

raiz="$TRABALHO/sqlite"
ini "$raiz" "Gerenciador de Banco de Dados=SQLITE"
sql_sqlite() { sqlite3 -batch -noheader "$raiz/C/KorvanePafEcf/NFe/VelantNFe/dvk_data.db" "$1"; }
exercita SQLite "$raiz" sql_sqlite

raiz="$TRABALHO/postgresql"
sufixo="_cidades$$"
BANCO_PG="dvk_data$sufixo"
ini "$raiz" "Gerenciador de Banco de Dados=POSTGRESQL" "IP do Banco de Dados=127.0.0.1" \
  "Porta do Banco de Dados=$PORTA_PG" "Nome Interno BD=$sufixo" "Usuario do Banco de Dados=postgres"
sql_pg() { psql -X -q -At -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$PORTA_PG" -U postgres -d "$BANCO_PG" -c "$1"; }
exercita PostgreSQL "$raiz" sql_pg
echo "cidades_ibge: ok"
