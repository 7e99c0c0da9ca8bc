#!/bin/sh
# Prints the COMMANDS section of qmctl's man page (help2man include format): every command's
# own help page, as `qmctl COMMAND --help` prints it.
#   packaging/qmctl-commands.sh PATH/TO/qmctl > qmctl-commands.h2m
set -eu
qmctl=$1
echo "[COMMANDS]"
for command in $("$qmctl" --help | awk '/^Commands:/ { on = 1; next } /^$/ { on = 0 } on { print $1 }'); do
  echo ".SS $command"
  echo ".nf"
  "$qmctl" "$command" --help | sed 's/\\/\\e/g; s/^[.'"'"']/\\\&&/; s/-/\\-/g'
  echo ".fi"
done
