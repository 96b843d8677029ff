#!/usr/bin/env bash
# An installed copy as a user or a distribution gets it.
#   check_install.sh tree BUILD_DIR   installs into a temporary DESTDIR under another prefix
#                                     and checks every installed file with its own tool
#   check_install.sh deb BUILD_DIR    builds the Debian package, has lintian check it, unpacks
#                                     it and prints a PDF with the unpacked terminal command
set -euo pipefail

mode=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A private user with no settings and no printers but "Print to PDF"; no display at all.
mkdir -p "$work/home"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" CUPS_SERVER="$work/no-cups.sock"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/../cli/lsan.supp"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# Prints a small text to PDF with `print` and checks the PDF's text.
print_pdf() {
  local print=$1
  printf 'The first line of the notes\n\tand a tabbed one\n' >"$work/notes.txt"
  "$print" -P "Print to PDF" -l 1 -y -q -o "$work/notes.pdf" "$work/notes.txt" ||
    fail "$print could not print to PDF"
  pdftotext "$work/notes.pdf" - | grep -q "The first line of the notes" ||
    fail "the PDF of $print lacks the text"
}

check_tree() {
  local prefix=/opt/quireon2 root="$work/root"
  DESTDIR="$root" cmake --install "$build" --prefix "$prefix" >/dev/null
  local p="$root$prefix"
  for program in quireon2 quireon2-print; do
    [ "$("$p/bin/$program" --version)" = "$program $version" ] ||
      fail "$program --version does not answer '$program $version' without a display"
  done
  "$p/bin/quireon2" --help | grep -q '^Usage: quireon2' || fail "quireon2 --help"
  [ -f "$p/share/quireon2/quireon2.html" ] || fail "no help page"
  [ ! -e "$XDG_CONFIG_HOME" ] || fail "--version touched the settings"

  local desktop=("$p"/share/applications/*.desktop) metainfo=("$p"/share/metainfo/*.xml)
  desktop-file-validate "${desktop[@]}" || fail "desktop entry"
  grep -qx 'MimeType=text/plain;' "${desktop[@]}" || fail "the desktop entry opens no text files"
  appstreamcli validate --no-net "${metainfo[@]}" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "metainfo"; }
  grep -q "<release version=\"$version\"" "${metainfo[@]}" || fail "metainfo names another version"

  [ -f "$p/share/icons/hicolor/scalable/apps/quireon2.svg" ] || fail "no scalable icon"
  for size in 16 24 32 48 64 128 256; do
    file "$p/share/icons/hicolor/${size}x$size/apps/quireon2.png" |
      grep -q "PNG image data, $size x $size" || fail "the ${size}x$size icon"
  done

  # Both man pages render without a warning; the terminal command's page lists every option
  # and exit status its --help names.
  for page in quireon2 quireon2-print; do
    MANWIDTH=80 man --warnings -l "$p/share/man/man1/$page.1.gz" >"$work/$page.txt" \
      2>"$work/man.log" || fail "man $page"
    [ ! -s "$work/man.log" ] || { cat "$work/man.log" >&2; fail "man $page warns"; }
  done
  "$p/bin/quireon2-print" --help >"$work/help.txt"
  mapfile -t options < <(grep -o -- '--[a-z][a-z-]*' "$work/help.txt" | sort -u)
  [ "${#options[@]}" -gt 10 ] || fail "no options read from --help"
  for option in "${options[@]}"; do
    grep -q -- "$option" "$work/quireon2-print.txt" || fail "man quireon2-print lacks $option"
  done
  mapfile -t statuses < <(sed -n '/^Exit status/,$p' "$work/help.txt" | grep -o '[0-9] [a-z]' | cut -c1)
  [ "${#statuses[@]}" -ge 4 ] || fail "no exit statuses read from --help"
  sed -n '/^EXIT STATUS/,/^[A-Z]/p' "$work/quireon2-print.txt" >"$work/statuses.txt"
  for status in "${statuses[@]}"; do
    grep -qE "^ +$status( |$)" "$work/statuses.txt" || fail "man quireon2-print lacks exit status $status"
  done

  # The completion loads in bash and offers every option of --help, and a layout's values.
  local completion="$p/share/bash-completion/completions/quireon2-print"
  offered() {
    bash -c 'source "$1" && COMP_WORDS=(quireon2-print "${@:2}") COMP_CWORD=$(($# - 1)) &&
             _quireon2_print && printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
  }
  [ "$(bash -c 'source "$1" && complete -p quireon2-print' _ "$completion")" = \
    "complete -F _quireon2_print quireon2-print" ] || fail "the completion does not load"
  offered -- >"$work/offered.txt"
  for option in "${options[@]}"; do
    grep -qx -- "$option" "$work/offered.txt" || fail "the completion does not offer $option"
  done
  [ "$(offered --layout b)" = booklet ] || fail "the completion offers no layouts"

  print_pdf "$p/bin/quireon2-print"
  echo "PASS: installed under $prefix; programs, entry, metainfo, icons, man pages, completion"
}

check_deb() {
  cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
  local deb=("$work"/package/quireon2_"$version"_*.deb)
  [ -f "${deb[0]}" ] || fail "no package"
  # dpkg-shlibdeps found the libraries the programs link.
  local depends
  depends=$(dpkg-deb -f "${deb[0]}" Depends)
  for library in libqt6widgets6 libcups2 libcairo2 libfontconfig1 fonts-liberation; do
    [[ $depends == *"$library"* ]] || fail "the package does not depend on $library: $depends"
  done
  # Every file is root's, under /usr, and the documentation Debian wants is there.
  dpkg-deb -c "${deb[0]}" >"$work/contents.txt"
  awk '$2 != "root/root" || $6 !~ /^\.\/usr\// { print; bad = 1 } END { exit bad }' \
    "$work/contents.txt" || fail "files not root's or outside /usr"
  for file in usr/share/doc/quireon2/copyright usr/share/doc/quireon2/changelog.gz; do
    grep -q " \./$file$" "$work/contents.txt" || fail "no $file"
  done

  # lintian leaves a cache file in its temp folder: give it one that goes with ours.
  mkdir "$work/lintian-tmp"
  TMPDIR=$work/lintian-tmp lintian "${deb[0]}" >"$work/lintian.log" 2>&1 || true
  cat "$work/lintian.log"
  ! grep -q '^E: ' "$work/lintian.log" || fail "lintian reports errors"

  dpkg-deb -x "${deb[0]}" "$work/unpacked"
  [ "$("$work/unpacked/usr/bin/quireon2" --version)" = "quireon2 $version" ] ||
    fail "the unpacked quireon2 --version"
  print_pdf "$work/unpacked/usr/bin/quireon2-print"
  echo "PASS: package built, lintian without errors, the unpacked program prints"
}

case $mode in
  tree) check_tree ;;
  deb) check_deb ;;
  *) fail "usage: check_install.sh tree|deb BUILD_DIR" ;;
esac
