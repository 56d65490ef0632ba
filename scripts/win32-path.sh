#!/usr/bin/env bash
# Prints how 32-bit Windows programs run on this machine: "native" when its kernel executes
# 32-bit x86 programs (Wine's 32-bit loader runs as it is), "emulated" when it does not
# (the loader runs under qemu-i386).
#   NORV_WIN32_EMULATE=1   answer "emulated" on any machine, to try that path here
#   NORV_WIN32_PATH=P      answer P (native or emulated) without probing again: the test
#                          command probes once and passes its answer on to ctest this way
# The probe runs a static i386 program that only exits: it needs no 32-bit loader or library,
# so it answers for the kernel alone (the kernel's name or version would say nothing about
# a kernel built or booted without 32-bit support).
set -euo pipefail

case "${NORV_WIN32_PATH-}" in
  native | emulated) echo "$NORV_WIN32_PATH"; exit 0 ;;
  "") ;;
  *) echo "NORV_WIN32_PATH must be native or emulated, not '$NORV_WIN32_PATH'" >&2; exit 2 ;;
esac
if [ "${NORV_WIN32_EMULATE-}" = 1 ]; then
  echo emulated
  exit 0
fi

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
# exit(42) through the i386 system call gate.
printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' |
  as --32 -o "$probe/exit42.o"
ld -m elf_i386 -o "$probe/exit42" "$probe/exit42.o"
status=0
"$probe/exit42" 2>/dev/null || status=$?
if [ "$status" -eq 42 ]; then echo native; else echo emulated; fi
