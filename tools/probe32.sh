#!/bin/sh
# Exits 0 when this machine can start 32-bit Windows programs: Debian's
# 32-bit Wine loader is installed and the kernel runs it. Each Wine session
# then starts a 32-bit program of its prefix before any test runs.
loader=/usr/lib/wine/wine
[ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
