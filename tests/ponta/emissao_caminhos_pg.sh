#!/usr/bin/env bash
# emissao_caminhos.sh with the Host's database on PostgreSQL.
MOTOR=pg exec bash "$(dirname "$0")/emissao_caminhos.sh" "$@"
