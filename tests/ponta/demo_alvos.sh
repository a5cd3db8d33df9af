#!/usr/bin/env bash
# `make demo` builds only what the demonstration runs, in a folder of its
# own: the three executables the script starts, without tests, benchmarks,
# the window, optimisation or debug information.
#   bash demo_alvos.sh <build-dir> <source-dir>
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
nova_raiz; TRABALHO=$RAIZ; demo="$TRABALHO/build-demo"
comandos=$(make -s -n -C "$FONTE" demo BUILD_DEMO="$demo" 2>/dev/null | sed -e :a -e '/\\$/N; s/\\\n//; ta')
configura=$(grep -E '^\s*cmake -S ' <<<"$comandos") || falha "make demo não configura: $comandos"
construcao=$(grep -E '^\s*cmake --build ' <<<"$comandos") || falha "make demo não constrói nada: $comandos"
[ "$(wc -l <<<"$construcao")" = 1 ] || falha "make demo constrói mais de uma vez: $construcao"
grep -q -- "-B $demo " <<<"$configura" || falha "make demo não usa uma pasta própria: $configura"
alvos=$(sed -n 's/.*--target \(.*\)$/\1/p' <<<"$construcao")
[ -n "$alvos" ] || falha "make demo constrói tudo: $construcao"
# The executables scripts/demo starts are among them.
for exe in velantnfe velantnfe-ac velantnfe-autoridade; do
  grep -q "\$build/$exe\|$exe\"" "$FONTE/scripts/demo" || falha "scripts/demo não roda mais $exe: revise esta lista"
  grep -qw -- "$exe" <<<"$alvos" || falha "make demo não constrói $exe: $alvos"
done

# Configured as make demo does it, its targets compile nothing of the tests,
# benchmarks or window, and nothing optimised or with debug information.
(cd "$FONTE" && eval "${configura% >/dev/null}") > "$TRABALHO/configura.log" 2>&1 \
  || falha "a configuração da demonstração falhou: $(tail -5 "$TRABALHO/configura.log")"
# shellcheck disable=SC2086
compila=$(ninja -C "$demo" -t commands $alvos | grep -E ' -c ')
! grep -E '/(tests|bench|fuzz)/|/ui/qt/|Qt6' <<<"$compila" > "$TRABALHO/fora" || falha "os alvos da demonstração compilam testes, benchmarks ou a janela: $(head -3 "$TRABALHO/fora")"
! grep -E ' -O[1-3s]? | -g ' <<<"$compila" > "$TRABALHO/otimizado" || falha "a demonstração compila otimizado ou com depuração: $(head -1 "$TRABALHO/otimizado")"
echo "demo_alvos: ok ($alvos: $(wc -l <<<"$compila") compilações)"
