#!/usr/bin/env bash
# arc from the command line: a real directory tree round trip (bytes and
# dates), damaged and hostile archives, usage and exit statuses.
#
#   arc_cli_test.sh ARC-COMMAND...   (the native arc, or wine-run arc.exe)
set -euo pipefail

arc=("$@")
work=$(mktemp -d /tmp/arc-cli-XXXXXX)
cd "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# run STATUS ARGS...: runs arc, expects STATUS; output in $out and $err
# (outside the work tree: Windows names ignore case, and OUT is a directory).
out=$work.out
err=$work.err
trap 'rm -rf "$work" "$out" "$err"' EXIT
run() {
    local want=$1 got=0
    shift
    "${arc[@]}" "$@" >"$out.raw" 2>"$err.raw" || got=$?
    tr -d '\r' <"$out.raw" >"$out"
    tr -d '\r' <"$err.raw" >"$err"
    rm -f "$out.raw" "$err.raw"
    if [ "$got" != "$want" ]; then
        cat "$out" "$err" >&2
        fail "arc $* exited $got, expected $want"
    fi
}

expect_in() {  # FILE TEXT
    grep -qF -- "$2" "$1" || { cat "$1" >&2; fail "'$2' missing from $1"; }
}

# The source tree: text, binary, empty, nested, one file over 1 MB; even
# seconds, since DOS times count in two-second steps.
mkdir -p SRC/FONTS/AFM SRC/Deep/er/still
seq 1 20000 >SRC/readme.txt
head -c 100000 /dev/urandom >SRC/FONTS/ABC.PFB
seq 1 3000 | sed 's/^/CharMetrics /' >SRC/FONTS/AFM/ABC.AFM
head -c 10 /dev/urandom >SRC/Deep/er/still/x.bin
: >SRC/EMPTY.DAT
{ seq 1 100000; head -c 800000 /dev/urandom; } >SRC/big.dat
touch -d '1980-01-01 00:00:00' SRC/EMPTY.DAT
touch -d '1995-08-24 11:30:58' SRC/readme.txt
touch -d '2024-02-29 23:59:58' SRC/FONTS/ABC.PFB
touch -d '2099-12-31 12:00:00' SRC/big.dat
touch -d '2001-07-04 08:09:10' SRC/FONTS/AFM/ABC.AFM SRC/Deep/er/still/x.bin

run 0 create T.ARC SRC
expect_in "$out" "T.ARC: 6 members"
run 0 list T.ARC
expect_in "$out" "1995-08-24  11:30:58  readme.txt"
expect_in "$out" "FONTS\\AFM\\ABC.AFM"
expect_in "$out" "Deep\\er\\still\\x.bin"
expect_in "$out" "6 members"
[ "$(grep -c '^ *[0-9]' "$out")" = 7 ] || fail "list shows $(grep -c '^ *[0-9]' "$out") rows"
run 0 test T.ARC
expect_in "$out" "T.ARC: 6 members OK"

same_dates() {  # FROM TO: every file of FROM has the same mtime in TO
    local f
    while IFS= read -r f; do
        [ "$(stat -c %Y "$1/$f")" = "$(stat -c %Y "$2/$f")" ] || fail "date of $f differs"
    done < <(cd "$1" && find . -type f)
}

run 0 extract T.ARC OUT/NEW
expect_in "$out" "6 members extracted"
diff -r SRC OUT/NEW || fail "extracted tree differs"
same_dates SRC OUT/NEW

run 0 extract T.ARC FLAT --flat
[ "$(ls FLAT | tr '\n' ' ')" = "ABC.AFM ABC.PFB EMPTY.DAT big.dat readme.txt x.bin " ] ||
    fail "flat extraction gave $(ls FLAT)"
cmp SRC/FONTS/ABC.PFB FLAT/ABC.PFB && cmp SRC/big.dat FLAT/big.dat
[ "$(stat -c %Y FLAT/big.dat)" = "$(stat -c %Y SRC/big.dat)" ] || fail "flat date differs"

# A wrong CRC-32 in the last entry (readme.txt): 14 bytes before the end.
cp T.ARC BADCRC.ARC
size=$(stat -c %s BADCRC.ARC)
printf '\xff' | dd of=BADCRC.ARC bs=1 seek=$((size - 14)) conv=notrunc status=none
run 1 test BADCRC.ARC
expect_in "$err" "arc: BADCRC.ARC: member readme.txt: its CRC-32 is"
run 1 extract BADCRC.ARC BADOUT
expect_in "$err" "arc: BADCRC.ARC: member readme.txt: its CRC-32 is"
[ ! -e BADOUT/readme.txt ] || fail "the member that failed its CRC-32 is on disk"
[ -e BADOUT/Deep/er/still/x.bin ] || fail "the members before the bad one are missing"

# A damaged stream in the first member, Deep\er\still\x.bin.
cp T.ARC BADZ.ARC
printf '\xff\xff\xff' | dd of=BADZ.ARC bs=1 seek=6 conv=notrunc status=none
run 1 test BADZ.ARC
expect_in "$err" "arc: BADZ.ARC: member Deep\\er\\still\\x.bin: its stream is damaged"
run 1 extract BADZ.ARC BADZOUT
expect_in "$err" "member Deep\\er\\still\\x.bin: its stream is damaged"

# A hand-made archive: GOOD.TXT, then ..\EVIL.TXT, both holding "hello".
le() {  # VALUE BYTES
    local i
    for ((i = 0; i < $2; i++)); do printf "\\x$(printf %02x $(($1 >> (8 * i) & 255)))"; done
}
hello='\x78\xda\xcb\x48\xcd\xc9\xc9\x07\x00\x06\x2c\x02\x15'
{
    le 30 4
    printf "$hello$hello"
    printf '\x22\x22\x22\x22'
    le 2 2
    le 2 2
    i=0
    for name in 'GOOD.TXT' '..\EVIL.TXT'; do
        le ${#name} 2
        printf '%s' "$name"
        le 5 4
        le 13 4
        le $((4 + 13 * i)) 4
        le $((0x3610a686)) 4
        le 0 4
        printf '\x1d\x1e\x0b\x18\x08\x0f'
        i=$((i + 1))
    done
} >HOSTILE.ARC
mkdir -p H/IN
run 1 test HOSTILE.ARC
expect_in "$err" "member ..\\EVIL.TXT: the name leaves the destination"
run 1 extract HOSTILE.ARC H/IN/OUT
expect_in "$err" "arc: HOSTILE.ARC: member ..\\EVIL.TXT: refused: the name leaves the destination"
[ "$(cd H && find . | sort | tr '\n' ' ')" = ". ./IN ./IN/OUT ./IN/OUT/GOOD.TXT " ] ||
    fail "hostile extraction left $(cd H && find .)"
[ ! -e EVIL.TXT ] && [ ! -e ../EVIL.TXT ] || fail "EVIL.TXT written"

# Failures without a member.
run 1 list NOPE.ARC
[ "$(cat "$err")" = "arc: NOPE.ARC: cannot open the archive" ] || fail "missing archive: $(cat "$err")"
run 1 extract NOPE.ARC NOPEOUT
expect_in "$err" "arc: NOPE.ARC: cannot open the archive"
echo "not an archive" >JUNK.ARC
run 1 test JUNK.ARC
expect_in "$err" "arc: JUNK.ARC: the archive directory cannot be read"
mkdir -p SRC2 && echo x >SRC2/LICENSE
run 1 create L.ARC SRC2
expect_in "$err" "LICENSE: the name has no dot"
[ ! -e L.ARC ] || fail "refused archive left behind"
run 1 create L.ARC NODIR
expect_in "$err" "NODIR: not a directory"
# A tree deeper than stored names (259 characters) or Windows paths go is
# refused, its path shown as the host writes it.
sep=/
case "${arc[0]}" in *wine-run) sep='\' ;; esac
level=$(printf 'L%.0s' {1..50})
mkdir -p "DEEP/$level/$level/$level/$level/$level/$level"
echo deep >"DEEP/$level/$level/$level/$level/$level/$level/X.TXT"
run 1 create DEEP.ARC DEEP
expect_in "$err" "arc: DEEP.ARC: DEEP${sep}${level}${sep}${level}${sep}"
grep -qE ': (the tree is too deep|cannot list the directory)$' "$err" || fail "DEEP: $(cat "$err")"
[ ! -e DEEP.ARC ] || fail "refused archive left behind"

# Usage: an error is one line that points to --help.
usage_error() {  # MESSAGE ARGS...: exit 2 and exactly that line
    local message=$1
    shift
    run 2 "$@"
    [ "$(cat "$err")" = "$message" ] || { cat "$err" >&2; fail "arc $*: not '$message'"; }
}
usage_error "arc: no command given (see arc --help)"
usage_error "arc: unknown command bogus (see arc --help)" bogus
usage_error "arc: wrong number of arguments: arc create ARCHIVE DIR (see arc create --help)" \
    create ONLY.ARC
usage_error "arc: wrong number of arguments: arc list ARCHIVE (see arc list --help)" list A B
usage_error "arc: unknown option --bogus (see arc extract --help)" extract A B --bogus
run 0 --help
expect_in "$out" "arc extract ARCHIVE DESTDIR [--flat]"
for cmd in create list test extract; do
    run 0 "$cmd" --help
    expect_in "$out" "usage: arc $cmd"
    expect_in "$out" "Exit status: 0 success, 1 failure"
done

echo "arc command line: all checks passed"
