# Bash completion for quireon2-print.
_quireon2_print() {
  local cur prev
  COMPREPLY=()
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD-1]}
  case $prev in
    -l | --layout)
      mapfile -t COMPREPLY < <(compgen -W '1 2 4 booklet' -- "$cur")
      return ;;
    -m | --feed)
      mapfile -t COMPREPLY < <(compgen -W 'straight flipped duplex inkjet' -- "$cur")
      return ;;
    -P | --printer)
      local IFS=$'\n' queues
      queues=$(LC_ALL=C lpstat -e 2>/dev/null; echo 'Print to PDF')
      mapfile -t COMPREPLY < <(compgen -W "$queues" -- "$cur")
      local i
      for i in "${!COMPREPLY[@]}"; do COMPREPLY[i]=$(printf '%q' "${COMPREPLY[i]}"); done
      return ;;
    --paper)
      mapfile -t COMPREPLY < <(compgen -W 'A4 Letter Legal A5 Executive Tabloid A3 B4 B5' -- "$cur")
      return ;;
    --header | --footer)
      mapfile -t COMPREPLY < <(compgen -W 'page file date none page,file page,date file,date page,file,date' -- "$cur")
      return ;;
    -o | --output | --settings)
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      compopt -o filenames 2>/dev/null
      return ;;
    -s | --signatures | -f | --font | -z | --size | --tab | --copies | --option | --sheets | \
      --pages | --title | --preview)
      return ;;
  esac
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W '--layout --signatures --no-signatures --feed
      --printer --output --paper --font --size --header --footer --outlines --no-outlines
      --tab --tab-stops --no-expand-tabs --yes --count --preview --quiet --settings --copies
      --option --sheets --pages --title --help --version' -- "$cur")
    return
  fi
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  compopt -o filenames 2>/dev/null
}
complete -F _quireon2_print quireon2-print
