#!/usr/bin/env bash
# emissao_varios_hosts_pg.sh in layout 4.00.
LEIAUTE=4.00 exec bash "$(dirname "$0")/emissao_varios_hosts_pg.sh" "$@"
