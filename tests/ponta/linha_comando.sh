#!/usr/bin/env bash
# Every executable and sub-command answers --help with its usage and exit 0,
# and names the option or argument at fault, with exit 64, when the command
# line is wrong (65 when velantnfe danfe refuses the file); `velantnfe --help`
# lists every sub-command. --janela without
# a display falls back to the headless Host with a warning.
#   bash linha_comando.sh <build-dir> <source-dir>
set -euo pipefail
source "$(dirname "$0")/gerente_apoio.inc" "$1" "$2"
nova_raiz; TRABALHO=$RAIZ/vazia; mkdir "$TRABALHO"

# linha_comando.tsv: executable and arguments, exit status, a line of the
# output (grep -E, whole line); it has each sub-command listed by --help and
# answering its own.
while IFS=$'\t' read -r linha codigo esperado; do
  read -r -a argumentos <<<"$linha"; rc=0
  (cd "$TRABALHO" && "$BUILD/${argumentos[0]}" "${argumentos[@]:1}") > "$TRABALHO/saida" 2>&1 < /dev/null || rc=$?
  [ "$rc" = "$codigo" ] || falha "$linha: saída $rc, esperada $codigo: $(head -5 "$TRABALHO/saida")"
  grep -qxE -- "$esperado" "$TRABALHO/saida" || falha "$linha: sem a linha /$esperado/ em: $(cat "$TRABALHO/saida")"
done < <(tail -n +2 "$(dirname "$0")/linha_comando.tsv")

# --janela with no display at all, and with a display that does not answer:
# a warning, then the Host runs headless (the events on its output).
for tela in "-u DISPLAY" "DISPLAY=:97"; do
  nova_raiz; raiz=$RAIZ; rc=0
  # shellcheck disable=SC2086
  env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $tela \
    "$BUILD/velantnfe" --janela --uma-vez --raiz "$raiz" --registro "$raiz/registro.reg" \
    > "$raiz/saida" 2> "$raiz/erro" || rc=$?
  [ "$rc" = 0 ] && grep -q '^velantnfe: aviso: --janela ignorada: .*; o Host segue sem janela' "$raiz/erro" \
    || falha "--janela sem tela ($tela): saída $rc, sem o aviso? $(cat "$raiz/erro")"
  grep -q 'Reinstalling the application' "$raiz/erro" && falha "--janela sem tela ($tela): o Qt abortou"
  grep -q ' - Início$' "$raiz/saida" || falha "--janela sem tela ($tela): o Host não rodou: $(cat "$raiz/saida")"
done
echo "linha_comando: ok"
