#!/usr/bin/env bash
# `make demo` builds only what the demonstration runs: the build it asks for
# names targets, and nothing those targets need is a test or a benchmark.
#   bash demo_alvos.sh <build-dir> <source-dir>
set -euo pipefail
BUILD=$(cd "$1" && pwd)
FONTE=$(cd "$2" && pwd)
falha() { echo "FALHOU: $*" >&2; exit 1; }

comandos=$(make -s -n -C "$FONTE" demo BUILD="$BUILD" 2>/dev/null)
construcao=$(grep -E '^\s*cmake --build ' <<<"$comandos") || falha "make demo não constrói nada: $comandos"
[ "$(wc -l <<<"$construcao")" = 1 ] || falha "make demo constrói mais de uma vez: $construcao"
alvos=$(sed -n 's/.*--target \(.*\)$/\1/p' <<<"$construcao")
[ -n "$alvos" ] || falha "make demo constrói tudo: $construcao"
# The executables the demonstration script runs are among the targets.
for exe in velantnfe velantnfe-ac velantnfe-autoridade; do
  grep -qw -- "$exe" <<<"$alvos" || falha "make demo não constrói $exe: $alvos"
done
# shellcheck disable=SC2086
compila=$(ninja -C "$BUILD" -t commands $alvos)
fora=$(grep -E '/(tests|bench|fuzz)/' <<<"$compila" || true)
[ -z "$fora" ] || falha "os alvos da demonstração precisam de testes ou benchmarks: $(head -3 <<<"$fora")"
echo "demo_alvos: ok ($alvos: $(wc -l <<<"$compila") comandos)"
