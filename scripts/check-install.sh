#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks that the tree holds what a
# desktop program ships, each part agreeing with the others:
#     scripts/check-install.sh BUILD_DIR
# The desktop entry and the metainfo are validated by desktop-file-validate and
# appstreamcli, the manual pages by groff, when those are installed. Every fault found
# is printed; the exit status is 1 when there was any.
set -euo pipefail
build="${1:?usage: scripts/check-install.sh BUILD_DIR}"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

faults=0
fault() { echo "check-install: $*" >&2; faults=$((faults + 1)); }
have() { command -v "$1" >/dev/null 2>&1; }
# The value of KEY in GROUP of a desktop entry.
entry() { awk -v group="[$2]" -v key="$3" -F= '
  /^\[/ { inside = ($0 == group) } inside && $1 == key { sub(/^[^=]*=/, ""); print; exit }' "$1"; }

bin="$prefix/bin"
share="$prefix/share"
for program in kexbar kexbar-config; do
  [ -x "$bin/$program" ] || fault "bin/$program is missing or not executable"
done
for file in kexbar/Kexbar.HLP man/man1/kexbar.1 man/man1/kexbar-config.1 dbus-1/interfaces/io.github.kexbar.Kexbar.xml; do
  [ -s "$share/$file" ] || fault "share/$file is missing or empty"
done
# The bar's D-Bus interface description names the interface the bar serves.
interface="$share/dbus-1/interfaces/io.github.kexbar.Kexbar.xml"
grep -q '<interface name="io.github.kexbar.Kexbar">' "$interface" 2>/dev/null ||
  fault "io.github.kexbar.Kexbar.xml does not describe the interface io.github.kexbar.Kexbar"
if have xmllint; then
  xmllint --noout "$interface" >&2 || fault "io.github.kexbar.Kexbar.xml is not well-formed XML"
fi

# One desktop entry; its id names the metainfo, which names it back.
shopt -s nullglob
entries=("$share"/applications/*.desktop)
if [ ${#entries[@]} -ne 1 ]; then
  fault "share/applications holds ${#entries[@]} desktop entries, not one"
else
  desktop="${entries[0]}"
  id="$(basename "$desktop" .desktop)"
  [ "$(entry "$desktop" "Desktop Entry" Categories)" = "Utility;" ] || fault "$id.desktop: Categories is not Utility;"
  program="$(entry "$desktop" "Desktop Entry" Exec | cut -d' ' -f1)"
  [ -x "$bin/$program" ] || fault "$id.desktop: Exec names \"$program\", which is not installed in bin/"
  # The bar's application name is its program name, and that is its windows' WM_CLASS.
  [ "$(entry "$desktop" "Desktop Entry" StartupWMClass)" = "$program" ] ||
    fault "$id.desktop: StartupWMClass is not the window class \"$program\""
  icon="$(entry "$desktop" "Desktop Entry" Icon)"
  [ -s "$share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fault "$id.desktop: Icon \"$icon\" is not installed in share/icons/hicolor/scalable/apps/"
  actions="$(entry "$desktop" "Desktop Entry" Actions)"
  for action in Show Toggle; do
    case ";$actions" in *";$action;"*) ;; *) fault "$id.desktop: Actions lacks $action" ;; esac
  done
  IFS=';' read -r -a listed <<<"$actions"
  for action in "${listed[@]}"; do
    exec="$(entry "$desktop" "Desktop Action $action" Exec)"
    [ -x "$bin/${exec%% *}" ] || fault "$id.desktop: action $action runs \"${exec%% *}\", which is not installed"
  done
  if have desktop-file-validate; then
    desktop-file-validate "$desktop" >&2 || fault "$id.desktop: desktop-file-validate failed"
  fi

  metainfo="$share/metainfo/$id.metainfo.xml"
  if [ ! -s "$metainfo" ]; then
    fault "share/metainfo/$id.metainfo.xml is missing"
  else
    grep -q "<id>$id</id>" "$metainfo" || fault "$id.metainfo.xml: its id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
      fault "$id.metainfo.xml: the launchable is not $id.desktop"
    for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do
      [ -x "$bin/$binary" ] || fault "$id.metainfo.xml: provides \"$binary\", which is not installed"
    done
    if have appstreamcli; then
      appstreamcli validate --no-net "$metainfo" >&2 || fault "$id.metainfo.xml: appstreamcli validate failed"
    fi
  fi
fi

# The icon is an SVG picture (how Qt draws it is a test of its own).
svg="$share/icons/hicolor/scalable/apps/kexbar.svg"
grep -q '<svg[^>]*viewBox=' "$svg" 2>/dev/null || fault "the scalable icon is not an SVG with a viewBox"

# The manual pages: filled in, well-formed, and kexbar-config's page names every
# command the tool itself lists.
for page in "$share"/man/man1/*.1; do
  ! grep -q '@[A-Z_]*@' "$page" || fault "$(basename "$page"): a placeholder was not filled in"
  if have groff; then
    warnings="$(groff -man -Tutf8 -ww -z "$page" 2>&1)"
    [ -z "$warnings" ] || fault "$(basename "$page"): groff warns: $warnings"
  fi
done
if [ -x "$bin/kexbar-config" ]; then
  usage="$(ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" "$bin/kexbar-config" --help)"
  commands="$(sed -n -e 's/^  \([a-z-]*\).*/\1/p' -e 's/^or: kexbar-config \([a-z-]*\).*/\1/p' <<<"$usage")"
  [ -n "$commands" ] || fault "kexbar-config --help lists no commands"
  # The tagged paragraphs' tags: a command is described where one opens with its name.
  tags="$(awk 'previous == ".TP" { print } { previous = $0 }' "$share/man/man1/kexbar-config.1")"
  for command in $commands; do
    grep -Eq "^\.B[IR]{0,2} $command( |$)" <<<"$tags" ||
      fault "kexbar-config.1 does not describe the command \"$command\""
  done
fi

# kexbar's page describes every option kexbar --help lists, in a tagged paragraph
# whose tag names it (written with roff's minus signs).
if [ -x "$bin/kexbar" ]; then
  usage="$(ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" "$bin/kexbar" --help)"
  options="$(grep -oE -- '^  (--[a-z-]+|-[a-z])(, (--[a-z-]+|-[a-z]))*' <<<"$usage" | grep -oE -- '-{1,2}[a-z-]+')"
  [ -n "$options" ] || fault "kexbar --help lists no options"
  tags="$(awk 'previous == ".TP" { print } { previous = $0 }' "$share/man/man1/kexbar.1")"
  for option in $options; do
    grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" <<<"$tags" || fault "kexbar.1 does not describe the option \"$option\""
  done
fi

if [ "$faults" -gt 0 ]; then
  echo "check-install: $faults fault(s) in the installed tree" >&2
  exit 1
fi
echo "check-install: the installed tree is complete"
