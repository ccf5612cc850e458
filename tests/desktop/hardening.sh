#!/usr/bin/env bash
# The protections of the program as we ship it, so that no later change of
# flags, toolchain or code loses one unnoticed.
#   Linux (ELF): position-independent, full RELRO (read-only relocations,
#     bound at start), stack protector, fortified libc calls, no executable stack.
#   Windows (PE): ASLR with high entropy, DEP, no writable code, and only
#     known DLLs in the import table (Windows takes those from the system
#     folder), opengl32 never among them.
# Usage: hardening.sh PROGRAM [OBJDUMP]   (OBJDUMP for a Windows program)
set -uo pipefail
PROGRAM=$1
OBJDUMP=${2:-objdump}
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

[ -f "$PROGRAM" ] || { echo "FAIL: no program at $PROGRAM" >&2; exit 1; }
magic=$(head -c 4 "$PROGRAM" | od -An -c | tr -d ' ')

check_elf() {
    local header dynamic segments symbols
    header=$(readelf -hW "$PROGRAM") || { fail "readelf cannot read $PROGRAM"; return; }
    dynamic=$(readelf -dW "$PROGRAM")
    segments=$(readelf -lW "$PROGRAM")
    symbols=$(readelf --dyn-syms -W "$PROGRAM")

    grep -Eq 'Type:[[:space:]]+DYN' <<<"$header" && grep -q 'INTERP' <<<"$segments" ||
        fail "not a position-independent executable"
    grep -q 'GNU_RELRO' <<<"$segments" || fail "no RELRO segment"
    grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' <<<"$dynamic" ||
        fail "symbols are not bound at start (no BIND_NOW): RELRO is only partial"
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "no stack protector (__stack_chk_fail)"
    local fortified
    fortified=$(grep -Eo '__[a-z_]+_chk' <<<"$symbols" | grep -v '^__stack_chk' | sort -u)
    [ -n "$fortified" ] || fail "no fortified libc function"
    grep 'GNU_STACK' <<<"$segments" | grep -q 'RWE' && fail "executable stack"
    echo "ELF: fortified" $fortified
}

# The DLLs Windows always loads from the system folder (KnownDLLs of
# Windows 10 and 11), besides ntdll, which every process has already.
known_dlls=" advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32
 kernel32 msctf msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore
 shell32 shlwapi user32 wldap32 wow64 wow64win ws2_32 ntdll "

check_pe() {
    local headers sections
    headers=$("$OBJDUMP" -p "$PROGRAM") || { fail "$OBJDUMP cannot read $PROGRAM"; return; }
    sections=$("$OBJDUMP" -h "$PROGRAM")

    local characteristics
    characteristics=$(awk '$1 == "DllCharacteristics" {print $2}' <<<"$headers")
    [ -n "$characteristics" ] || fail "no DllCharacteristics in the optional header"
    characteristics=$((16#${characteristics:-0}))
    (( characteristics & 0x40 )) || fail "no ASLR (DYNAMIC_BASE)"
    (( characteristics & 0x20 )) || fail "ASLR without high entropy (HIGH_ENTROPY_VA)"
    (( characteristics & 0x100 )) || fail "no DEP (NX_COMPAT)"
    # ASLR moves only a program that keeps its relocations.
    grep -Eq '^[[:space:]]+[0-9]+[[:space:]]+\.reloc[[:space:]]' <<<"$sections" ||
        fail "no .reloc section: the program cannot be moved"
    # objdump prints each section's flags on the line after its name.
    local writable_code
    writable_code=$(awk '/^ +[0-9]+ / {name = $2; next} /CODE/ && !/READONLY/ {print name}' <<<"$sections")
    [ -z "$writable_code" ] || fail "writable code in" $writable_code

    local dlls dll
    dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$headers")
    [ -n "$dlls" ] || fail "no import table found"
    for dll in $dlls; do
        [ "$dll" = opengl32.dll ] && { fail "imports from opengl32.dll, which Windows may take from the program's folder"; continue; }
        [[ "$known_dlls" == *" ${dll%.dll} "* ]] ||
            fail "imports $dll, which is not a known DLL: Windows may take it from the program's folder"
    done
    echo "PE: imports" $dlls
}

case "$magic" in
    177ELF) check_elf ;;
    MZ*) check_pe ;;
    *) fail "neither ELF nor PE: $PROGRAM" ;;
esac

[ "$failures" = 0 ] || exit 1
echo "PASS"
