#!/usr/bin/env bash
# Every executable and sub-command answers --help with its usage and exit 0,
# and names the option or argument at fault, with exit 64, when the command
# line is wrong (65 when velantnfe danfe refuses the file); `velantnfe --help`
# lists every sub-command. --janela without
# a display falls back to the headless Host with a warning.
#   bash linha_comando.sh <build-dir> <source-dir>
set -euo pipefail
BUILD=$(cd "$1" && pwd)
TRABALHO=$(mktemp -d "${TMPDIR:-/tmp}/linha-comando-XXXXXX")
trap 'rm -rf "$TRABALHO"' EXIT
falha() { echo "FALHOU: $*" >&2; exit 1; }

# executable and arguments | exit status | a line of the output (grep -E, whole line)
casos=$(cat <<'TABELA'
velantnfe --help                                    | 0  | uso: velantnfe \[--raiz PASTA\] .*
velantnfe danfe a.xml --raiz /tmp                   | 64 | velantnfe danfe: a opção --raiz não se aplica a este comando
velantnfe danfe /etc/hostname x.pdf                 | 65 | velantnfe danfe: DANFE recusado: .*
velantnfe --uma-vez --help                          | 0  | Comandos:
velantnfe gerar -h                                  | 0  | MovimentoNFe na etapa 0, .*
velantnfe banco criar --help                        | 0  | uso: velantnfe banco criar \[--raiz PASTA\]
velantnfe --bogus                                   | 64 | velantnfe: opção desconhecida: --bogus
velantnfe emitir                                    | 64 | velantnfe: comando desconhecido: emitir
velantnfe --raiz                                    | 64 | velantnfe: opção --raiz sem valor
velantnfe gerar                                     | 64 | velantnfe gerar: falta o argumento ARQUIVO
velantnfe gerar a.txt b.txt                         | 64 | velantnfe gerar: argumento a mais: b.txt
velantnfe gerar a.txt --raz /tmp                    | 64 | velantnfe gerar: opção desconhecida: --raz
velantnfe gerar a.txt --uma-vez                     | 64 | velantnfe gerar: a opção --uma-vez não se aplica a este comando
velantnfe vetores a.txt --janela                    | 64 | velantnfe vetores: a opção --janela não se aplica a este comando
velantnfe banco                                     | 64 | velantnfe banco: falta o argumento criar
velantnfe banco criar --registro r.reg              | 64 | velantnfe banco: a opção --registro não se aplica a este comando
velantnfe banco apagar                              | 64 | velantnfe banco: ação desconhecida: apagar
velantnfe-ac --help                                 | 0  |   velantnfe-ac enviar ARQUIVO .*
velantnfe-ac -h                                     | 0  |   velantnfe-ac mostrar NSU \[--raiz PASTA\]
velantnfe-ac mostrar -h                             | 0  | uso: velantnfe-ac mostrar NSU \[--raiz PASTA\]
velantnfe-ac                                        | 64 | uso: velantnfe-ac AÇÃO \[ARGUMENTOS\] \[OPÇÕES\]
velantnfe-ac apagar                                 | 64 | velantnfe-ac: ação desconhecida: apagar
velantnfe-ac --raiz /tmp                            | 64 | velantnfe-ac: opção desconhecida: --raiz
velantnfe-ac enviar                                 | 64 | velantnfe-ac enviar: falta o argumento ARQUIVO
velantnfe-ac enviar a.txt --espera                  | 64 | velantnfe-ac enviar: opção --espera sem valor
velantnfe-ac enviar a.txt --espera dez              | 64 | velantnfe-ac enviar: valor inválido para --espera \(segundos, 0 ou mais\): dez
velantnfe-ac enviar a.txt --esperar 5               | 64 | velantnfe-ac enviar: opção desconhecida: --esperar
velantnfe-ac listar --ip 10.0.0.1                   | 64 | velantnfe-ac listar: a opção --ip não se aplica a listar
velantnfe-ac mostrar doze                           | 64 | velantnfe-ac mostrar: NSU inválido: doze
velantnfe-autoridade --help                         | 0  | uso: velantnfe-autoridade --certificados DIR .*
velantnfe-autoridade --bogus                        | 64 | velantnfe-autoridade: opção desconhecida: --bogus
velantnfe-autoridade --porta                        | 64 | velantnfe-autoridade: opção --porta sem valor
velantnfe-autoridade --porta abc                    | 64 | velantnfe-autoridade: valor inválido para --porta: abc
velantnfe-autoridade --atraso -1 --certificados x   | 64 | velantnfe-autoridade: valor inválido para --atraso: -1
velantnfe-autoridade --ambiente 1                   | 64 | velantnfe-autoridade: faltam os certificados do servidor
velantnfe-autoridade chamadas                       | 64 | velantnfe-autoridade: uso: chamadas --banco ARQ.sqlite
velantnfe-autoridade chamadas --banco /nao/existe   | 64 | velantnfe-autoridade: banco inexistente: /nao/existe
TABELA
)

n=0
while IFS='|' read -r linha codigo esperado; do
  linha=$(sed 's/ *$//' <<<"$linha"); codigo=$(tr -d ' ' <<<"$codigo"); esperado=${esperado# }
  read -r -a argumentos <<<"$linha"
  exe="$BUILD/${argumentos[0]}"
  rc=0
  (cd "$TRABALHO" && "$exe" "${argumentos[@]:1}") > "$TRABALHO/saida" 2>&1 < /dev/null || rc=$?
  [ "$rc" = "$codigo" ] || falha "$linha: saída $rc, esperada $codigo: $(head -5 "$TRABALHO/saida")"
  grep -qxE -- "$esperado" "$TRABALHO/saida" || falha "$linha: sem a linha /$esperado/ em: $(cat "$TRABALHO/saida")"
  n=$((n + 1))
done <<<"$casos"

# Each sub-command is listed by --help and answers its own --help.
for comando in gerar vetores banco cidades host danfe; do
  "$BUILD/velantnfe" --help | grep -qE "^  $comando " || falha "velantnfe --help não lista $comando"
  "$BUILD/velantnfe" "$comando" --help > "$TRABALHO/ajuda" 2>&1 || falha "velantnfe $comando --help: $(cat "$TRABALHO/ajuda")"
  grep -q '^uso: velantnfe' "$TRABALHO/ajuda" || falha "velantnfe $comando --help sem o uso"
done

# --janela with no display at all, and with a display that does not answer:
# a warning, then the Host runs headless (the events on its output).
for tela in "" ":97"; do
  raiz="$TRABALHO/raiz$tela"
  mkdir -p "$raiz/C/KorvanePafEcf/NFe/VelantNFe"
  printf '[Local]\r\nIP do Computador a ser processado=127.0.0.1\r\n' > "$raiz/C/KorvanePafEcf/NFe/VelantNFe/VelantNFe.ini"
  if [ -n "$tela" ]; then ambiente=(DISPLAY="$tela"); else ambiente=(-u DISPLAY); fi
  rc=0
  env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${ambiente[@]}" \
    "$BUILD/velantnfe" --janela --uma-vez --raiz "$raiz" --registro "$raiz/registro.reg" \
    > "$raiz/saida" 2> "$raiz/erro" || rc=$?
  [ "$rc" = 0 ] || falha "--janela sem tela ($tela): saída $rc: $(cat "$raiz/erro")"
  grep -q '^velantnfe: aviso: --janela ignorada: .*; o Host segue sem janela' "$raiz/erro" \
    || falha "--janela sem tela ($tela): sem o aviso: $(cat "$raiz/erro")"
  grep -q 'Reinstalling the application' "$raiz/erro" && falha "--janela sem tela ($tela): o Qt abortou"
  grep -q ' - Início$' "$raiz/saida" || falha "--janela sem tela ($tela): o Host não rodou: $(cat "$raiz/saida")"
done
echo "linha_comando: ok ($n casos)"
