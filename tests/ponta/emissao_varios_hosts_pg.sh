#!/usr/bin/env bash
# Four Hosts on one SQLite file, then four on one PostgreSQL database, with
# four front ends sending invoices at once: each invoice authorised once, in
# a batch number of its own, nothing lost. scripts/emissao-varios-hosts runs
# the same with 200 invoices.
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
source "$(dirname "$0")/emissao_apoio.inc"
source "$(dirname "$0")/varios_hosts.inc"

NOTAS=${NOTAS:-16}
# In 4.00 (LEIAUTE=4.00) PostgreSQL only: how Hosts share
# one SQLite file does not depend on the layout.
[ "$LEIAUTE" = 3.10 ] && varios_hosts sqlite 4 4 "$NOTAS"
varios_hosts pg 4 4 "$NOTAS"
