#!/bin/sh
# Kept for older callers: the Win32 build is now tools/build-win32.sh (the programs, the Win32
# tests and the installer).
exec "$(dirname "$0")/build-win32.sh" "$@"
