#!/usr/bin/env bash
# Checks the desktop integration of a build as a user gets it from
# `cmake --install <build> --prefix ~/.local`: installs into a temporary home, updates the MIME
# and desktop databases there, validates the desktop entries, asks xdg-mime for the type of a
# .mdl file and its default program, and opens a .mdl file through ShellOpen (the shellopen
# tool) - once with a stand-in "model" that records its arguments, once with the installed
# model itself, which is ended again by its process id.
#
# usage: check-desktop.sh BUILD_DIR SHELLOPEN_PROGRAM
# Exits 0 when all is well, 1 on a failure, 77 (skipped) when the desktop tools are missing.
set -euo pipefail

build=${1:?build folder}
shellopen=${2:?shellopen program}

for tool in xdg-mime update-mime-database update-desktop-database desktop-file-validate; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIP: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/check-desktop-XXXXXX")
started=()
cleanup() {
  for pid in "${started[@]}"; do
    kill "$pid" 2> /dev/null || true
    for _ in $(seq 50); do [ -e "/proc/$pid" ] || break; sleep 0.1; done
  done
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# A private desktop: nothing of the developer's own folders takes part.
export HOME=$work/home
prefix=$HOME/.local
export XDG_DATA_HOME=$prefix/share
export XDG_CONFIG_HOME=$HOME/.config
export XDG_DATA_DIRS=$work/system/share
export XDG_CONFIG_DIRS=$work/system/xdg
export XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$work/runtime
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID XDG_MENU_PREFIX
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_DIRS" "$XDG_CONFIG_DIRS" "$XDG_CACHE_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

if ! cmake --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: cmake --install (is the whole build made?)"
  exit 1
fi
if [ ! -x "$prefix/bin/model" ]; then
  echo "SKIP: the build has no model program (a build without Qt)"
  exit 77
fi

update-mime-database "$XDG_DATA_HOME/mime"
update-desktop-database "$XDG_DATA_HOME/applications"

# The desktop entries and the icons.
for entry in model.desktop zelio.desktop; do
  file=$XDG_DATA_HOME/applications/$entry
  if [ ! -f "$file" ]; then
    fail "$entry is not installed"
  elif out=$(desktop-file-validate "$file" 2>&1) && [ -z "$out" ]; then
    pass "$entry is valid"
  else
    fail "$entry: $out"
  fi
done
grep -qx 'Exec=model %f' "$XDG_DATA_HOME/applications/model.desktop" || fail "model.desktop: Exec is not 'model %f'"
type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$XDG_DATA_HOME/mime/packages/model-browser.xml" | head -n 1)
grep -qx "MimeType=$type;" "$XDG_DATA_HOME/applications/model.desktop" || fail "model.desktop does not name $type"
icon_base=$XDG_DATA_HOME/icons/hicolor
for icon in apps/model-browser mimetypes/${type/\//-} apps/zelio; do
  for size in 16x16 32x32 48x48; do
    [ -s "$icon_base/$size/$icon.png" ] || fail "no $size/$icon.png"
  done
  [ -s "$icon_base/scalable/$icon.svg" ] || fail "no scalable/$icon.svg"
done
if find "$icon_base" -name '*.xpm' | grep -q .; then fail "XPM icons are installed"; fi
pass "icons installed"

# What xdg-mime says. Its type query needs a MIME-database client: the mimetype program or
# else gio (as on a GNOME desktop); `file` alone does not read the desktop's database.
mkdir -p "$work/docs"
document=$work/docs/x.mdl
printf '[MODEL]\n' > "$document"
if command -v mimetype > /dev/null; then
  got=$(xdg-mime query filetype "$document" || true)
elif command -v gio > /dev/null; then
  got=$(XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$document" 2> /dev/null || true)
else
  got=-
fi
if [ "$got" = - ]; then
  echo "note: neither mimetype nor gio is installed; the type query is left out"
elif [ "${got%%;*}" = "$type" ]; then
  pass "xdg-mime query filetype: $got"
else
  fail "xdg-mime query filetype gave '$got', not $type"
fi
got=$(xdg-mime query default "$type" || true)
[ "$got" = "model.desktop" ] && pass "xdg-mime query default: $got" || fail "xdg-mime query default gave '$got'"

# ShellOpen with a stand-in model first on PATH: it must be started with the document.
mkdir -p "$work/standin"
cat > "$work/standin/model" << EOF
#!/bin/sh
printf '%s\n' "\$@" > "$work/standin/args.tmp" && mv "$work/standin/args.tmp" "$work/standin/args"
EOF
chmod +x "$work/standin/model"
# The started program inherits shellopen's output: a file, so nothing waits for it to end.
PATH=$work/standin:$prefix/bin:$PATH "$shellopen" --time "$document" > "$work/result" 2>&1 || true
echo "shellopen (stand-in): $(tr '\n' ' ' < "$work/result")"
result=$(head -n 1 "$work/result")
for _ in $(seq 100); do [ -f "$work/standin/args" ] && break; sleep 0.1; done
if [ "$(cat "$work/standin/args" 2> /dev/null)" = "$document" ]; then
  pass "ShellOpen started the entry's program with the document"
else
  fail "ShellOpen did not start the stand-in with the document (result $result)"
fi

# Then the installed model itself, on an off-screen display; ended by its process id.
resolved=$(PATH=$prefix/bin:$PATH "$shellopen" --resolve "$document" || true)
grep -qx "program: $prefix/bin/model" <<< "$resolved" || fail "ShellOpen would not start the installed model: $resolved"
# The sample model, so that the program has something to show and stays up.
sample=$(dirname "$0")/../examples/sample.mdl
[ -f "$sample" ] && cp "$sample" "$document"
PATH=$prefix/bin:$PATH QT_QPA_PLATFORM=offscreen "$shellopen" "$document" > "$work/result" 2>&1 || true
result=$(head -n 1 "$work/result")
pid=""
for _ in $(seq 100); do
  for exe in /proc/[0-9]*/exe; do
    if [ "$exe" -ef "$prefix/bin/model" ]; then
      pid=${exe#/proc/}
      pid=${pid%/exe}
      started+=("$pid")
      break
    fi
  done
  [ -n "$pid" ] && break
  sleep 0.1
done
if [ "$result" = 42 ] && [ -n "$pid" ] && tr '\0' '\n' < "/proc/$pid/cmdline" | grep -qx "$document"; then
  pass "ShellOpen started the installed model (process $pid) with the document"
else
  fail "the installed model was not started with the document (result $result, process '${pid}')"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "desktop integration: all checks passed"
