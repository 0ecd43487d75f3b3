#!/usr/bin/env bash
# The scripts' command lines: --help prints the script's usage and exits 0
# without starting anything (every program the scripts start is a stub that
# records its call); any other argument is one line of bad usage, exit 2.
#
#   args_test.sh SCRIPTS-DIR
set -euo pipefail

scripts=$(cd "$1" && pwd)
stubs=$(mktemp -d /tmp/args-test-XXXXXX)
trap 'rm -rf "$stubs"' EXIT
for program in apt-get cmake ctest dpkg dpkg-query flock nproc python3 sudo wine wine64 \
    wineserver Xvfb; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/called"\nexit 1\n' "$program" "$stubs" >"$stubs/$program"
    chmod +x "$stubs/$program"
done

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# run STATUS SCRIPT ARGS...: output in $out and $err.
run() {
    local want=$1 script=$2 got=0
    shift 2
    PATH=$stubs:$PATH "$scripts/$script" "$@" >"$stubs/out" 2>"$stubs/err" </dev/null || got=$?
    out=$(cat "$stubs/out")
    err=$(cat "$stubs/err")
    [ "$got" = "$want" ] || fail "$script $*: exit $got, not $want: $out$err"
    [ ! -e "$stubs/called" ] || fail "$script $*: started $(cat "$stubs/called")"
}

for script in bootstrap demo fuzz test wine-run; do
    for help in --help -h; do
        run 0 "$script" "$help"
        [ -z "$err" ] || fail "$script $help wrote to standard error: $err"
        case "$out" in *"$script"*) ;; *) fail "$script $help: no usage: $out" ;; esac
    done
done

for case in "demo --frobnicate" "test now" "bootstrap -y" "fuzz --seconds" "fuzz --runs x" \
    "fuzz --bogus" "fuzz fuzz_nothing"; do
    read -ra words <<<"$case"
    run 2 "${words[@]}"
    [ -z "$out" ] || fail "$case wrote to standard output: $out"
    [ "$(echo "$err" | wc -l)" = 1 ] || fail "$case: more than one line: $err"
    case "$err" in *"(see $scripts/${words[0]} --help)") ;; *) fail "$case: $err" ;; esac
done
echo "the scripts' command lines: all checks passed"
