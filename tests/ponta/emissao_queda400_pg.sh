#!/usr/bin/env bash
# emissao_queda_pg.sh in layout 4.00: the synchronous send's kill points.
LEIAUTE=4.00 exec bash "$(dirname "$0")/emissao_queda_pg.sh" "$@"
